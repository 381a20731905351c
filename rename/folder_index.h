#pragma once

#include <QHash>
#include <QString>

#include <vector>

namespace volmarin {

enum class EntryKind { File, Other, AskDisk };

// The names of one folder, read once, for a pass that looks up thousands of names: the
// batch rename would otherwise scan the whole folder once per name. The index follows
// the moves that the pass records; what other programs do after the scan is not seen.
//
// Names with a "/" lie in sub-folders, and names with "*" or "?" are patterns: those few
// are answered from the disk directly, with the same rules.
class FolderIndex {
public:
    explicit FolderIndex(const QString& folder);

    const QString& folder() const { return folder_; }

    // The existence test, as fileExists(folder + "/" + name) answers it: letters match
    // without regard to case, the first matching entry in file list order decides, and
    // only a regular file (or a link to one) counts.
    bool fileExists(const QString& name) const;

    // The name of the entry that fileExists(name) finds, relative to the folder like name:
    // name itself, or the entry that bears it in another letter case; empty when the test
    // finds no file. The move acts on this entry.
    QString entryName(const QString& name) const;

    // True when any entry at all (file, folder, anything) bears name in any letter case.
    bool anyEntry(const QString& name) const;

    // Tells the index that oldName was moved to newName.
    void recordMove(const QString& oldName, const QString& newName);

private:
    struct Entry {
        QString name;
        EntryKind kind = EntryKind::Other;
    };
    bool isFile(const Entry& entry) const;
    QHash<QString, std::vector<Entry>> byFolded_;
    QString folder_;
};

// A name in the form the index compares: every code point case-folded on its own.
QString foldedName(const QString& name);

// The entry that the existence test finds for name in folder, as FolderIndex::entryName
// answers it, looked up on the disk.
QString entryNameInFolder(const QString& folder, const QString& name);

// True when some entry of folder bears name in any letter case (one look at the disk).
bool anyEntryInFolder(const QString& folder, const QString& name);

// The same for a folder already open (folderFd, an O_PATH descriptor will do), so that a
// look and a move that follows it meet the same folder whatever happens to its path.
bool anyEntryAt(int folderFd, const QString& name);

} // namespace volmarin
