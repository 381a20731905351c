#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace volmarin {

inline const QString SettingsFileName = QStringLiteral("VOLMARIN.INI");

// Reads the settings file's values in order. Numbers: blanks and empty lines before the
// number are skipped, the number runs to the next blank or line end and must be a whole
// number (else ConversionError), the rest of its line is ignored, and a number missing
// because the file has ended reads as 0. Text: the whole line without its line end, or an
// empty text once the file has ended. Lines may end in CR LF or LF; text is UTF-8, and a
// folder line holds the folder's name bytes as they are.
class SettingsReader {
public:
    explicit SettingsReader(QByteArray content);

    std::int32_t readNumber();
    QString readText();
    // A text line that names a folder: its bytes are the folder's own, UTF-8 or not.
    QString readFolder();

private:
    void skipLineEnd();
    QByteArray readLineBytes();

    QByteArray data_;
    qsizetype pos_ = 0;
};

// The eighteen values of the file, in file order: sixteen window numbers (main window top,
// left, width, height, then top and left of the chooser, batch rename, single rename,
// size dialog, notice box and viewer), the thumbnail-size text and the default folder.
struct SettingsValues {
    std::array<std::int32_t, 16> numbers{};
    QString thumbnailSize;
    QString defaultFolder;
};

// The file's content: eighteen lines, each ended by CR LF, numbers in plain decimal, the
// default folder as its name's own bytes.
QByteArray formatSettings(const SettingsValues& values);

// The most of the settings file that is read: eighteen sane lines fit many times over.
inline constexpr qsizetype SettingsReadLimit = 64 * 1024;

// The first SettingsReadLimit bytes of the settings file at path (all of a smaller file),
// or nothing when it cannot be opened or is not a regular file. The file is opened without
// blocking, so a FIFO or device put in its place cannot stop the start-up.
std::optional<QByteArray> readSettingsFile(const QString& path);

// Replaces the file at path with content without ever leaving a partial file: the content
// goes to a new temporary file beside the file, is flushed to disk, and is renamed over
// it. The user's arrangement is kept: a symbolic link is written through to the file it
// leads to (the link stays a link), the file keeps its permission bits (and, where
// allowed, its owner), and a file without write permission for its owner, or one this
// process may not write, is left exactly as it is. On any failure, or for such a
// read-only file, nothing changes on disk and false is returned.
bool writeFileAtomically(const QString& path, const QByteArray& content);

} // namespace volmarin
