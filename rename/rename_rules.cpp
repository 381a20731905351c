#include "rename/rename_rules.h"

#include "platform/move_file.h"
#include "platform/name_codec.h"
#include "rename/folder_index.h"

#include <algorithm>

namespace volmarin {

namespace {

// The index of the extension's dot, or -1. "/" and ":" never stand inside a surrogate
// pair, and a byte of a name that is not UTF-8 (a Shift-JIS trail byte, say) is one unit of
// its own, so scanning UTF-16 units finds the same marks as scanning characters.
qsizetype extensionDot(const QString& name) {
    for (qsizetype i = name.size() - 1; i >= 0; --i) {
        const QChar c = name.at(i);
        if (c == u'.')
            return i;
        if (c == u'/' || c == u':')
            return -1;
    }
    return -1;
}

// A byte of the name that is not UTF-8 counts as one character and is kept as it is, so the
// new name holds the original bytes after the number and separator.
QString ownBase(const QString& caption, int deleteCount) {
    const std::u32string codePoints = nameCodePoints(withoutExtension(caption));
    const std::size_t length = codePoints.size();
    const std::size_t first = std::clamp<qsizetype>(deleteCount, 0, qsizetype(length));
    const std::size_t kept = std::min<std::size_t>(length - first, MaxOriginalBaseLength);
    return nameFromCodePoints(std::u32string_view(codePoints).substr(first, kept));
}

bool noEntryBearsTheName(int folderFd, const QString& leaf) {
    return !anyEntryAt(folderFd, leaf);
}

} // namespace

QString extensionOf(const QString& name) {
    const qsizetype dot = extensionDot(name);
    return dot < 0 ? QString() : name.mid(dot);
}

QString withoutExtension(const QString& name) {
    const qsizetype dot = extensionDot(name);
    return dot < 0 ? name : name.left(dot);
}

QString sequenceNumberText(int n) {
    QString zeros;
    if (n >= 1000) {
        zeros = QString();
    } else if (n >= 100) {
        zeros = QStringLiteral("0");
    } else if (n >= 10) {
        zeros = QStringLiteral("00");
    } else {
        zeros = QStringLiteral("000");
    }
    return zeros + QString::number(n);
}

QString NewName(const BatchNaming& naming, const QString& caption, int n) {
    const QString base =
        naming.useOriginalName ? ownBase(caption, naming.deleteCount) : naming.baseName;
    return sequenceNumberText(n) + naming.separator + base + extensionOf(caption);
}

QString renameFailureMainLine() {
    return QStringLiteral("ファイル名に使えない文字が含まれてます");
}

QString renameFailureSecondLine() {
    // The bar is the full-width one (U+FF5C): the list is a hint for the eye only.
    return QStringLiteral("\\ / : , ; * ? \" < > ｜");
}

bool renameFile(const QString& folder, const QString& oldName, const QString& newName) {
    const QString found = entryNameInFolder(folder, oldName);
    return moveFile(folder, found.isEmpty() ? oldName : found, newName, noEntryBearsTheName).ok;
}

bool renameFile(FolderIndex& index, const QString& oldName, const QString& newName) {
    // A name in the loaded folder itself is answered by the index; one in a sub-folder is
    // looked at in the folder the move reaches, once.
    const bool inSubFolder = newName.contains(u'/');
    if (!inSubFolder && index.anyEntry(newName))
        return false;
    QString found = index.entryName(oldName);
    if (found.isEmpty())
        found = oldName; // the move then fails as for any missing file
    const TargetCheck check = inSubFolder ? TargetCheck(noEntryBearsTheName) : nullptr;
    if (!moveFile(index.folder(), found, newName, check).ok)
        return false;
    index.recordMove(found, newName);
    return true;
}

} // namespace volmarin
