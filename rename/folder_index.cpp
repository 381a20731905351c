#include "rename/folder_index.h"

#include "platform/file_exists.h"
#include "platform/name_codec.h"
#include "platform/paths.h"

#include <QByteArray>
#include <QChar>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace volmarin {

namespace {

bool isPattern(const QString& name) {
    return name.contains(u'*') || name.contains(u'?');
}

bool isDotEntry(const char* n) {
    return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
}

// A regular file counts as a file; a symbolic link counts when it leads to one, which is
// asked when the question comes, since a move may have changed where it leads.
EntryKind kindOf(const dirent* entry) {
    switch (entry->d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_LNK:
    case DT_UNKNOWN:
        return EntryKind::AskDisk;
    default:
        return EntryKind::Other;
    }
}

// Calls visit(name, kind) for every entry, whatever its bytes: a Shift-JIS name is a file
// like any other, and a new name may collide with it.
template <typename Visit> void scanFolder(const QString& folder, Visit&& visit) {
    const QByteArray encoded = folder.isEmpty() ? QByteArray(".") : nameToBytes(folder);
    DIR* dir = opendir(encoded.constData());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        if (isDotEntry(entry->d_name))
            continue;
        visit(nameFromBytes(entry->d_name), kindOf(entry));
    }
    closedir(dir);
}

struct SplitName {
    QString folder;
    QString leaf;
};

SplitName splitAtLastSlash(const QString& folder, const QString& name) {
    const qsizetype slash = name.lastIndexOf(u'/');
    return {joinPath(folder, name.left(slash)), name.mid(slash + 1)};
}

} // namespace

QString foldedName(const QString& name) {
    std::u32string codePoints = nameCodePoints(name);
    foldCase(codePoints);
    return nameFromCodePoints(codePoints);
}

QString entryNameInFolder(const QString& folder, const QString& name) {
    if (name.isEmpty())
        return {};
    const QString found = existingEntryPath(joinPath(folder, name));
    if (found.isEmpty())
        return {};
    // Only the last part can differ from name: the folders of the path are taken as given.
    return name.left(name.lastIndexOf(u'/') + 1) + found.mid(found.lastIndexOf(u'/') + 1);
}

bool anyEntryAt(int folderFd, const QString& name) {
    if (name.isEmpty())
        return false;
    // The exact name first: it also catches "." and "..", which a scan leaves out.
    struct stat st;
    if (fstatat(folderFd, nameToBytes(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return true;
    const int readable = openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = readable >= 0 ? fdopendir(readable) : nullptr;
    if (!dir) {
        if (readable >= 0)
            close(readable);
        return false;
    }
    const QString wanted = foldedName(name);
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        if (!isDotEntry(entry->d_name) && foldedName(nameFromBytes(entry->d_name)) == wanted) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}

bool anyEntryInFolder(const QString& folder, const QString& name) {
    const QByteArray path = folder.isEmpty() ? QByteArray(".") : nameToBytes(folder);
    const int folderFd = open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return false;
    const bool found = anyEntryAt(folderFd, name);
    close(folderFd);
    return found;
}

FolderIndex::FolderIndex(const QString& folder) : folder_(folder) {
    scanFolder(folder, [this](const QString& name, EntryKind kind) {
        byFolded_[foldedName(name)].push_back({name, kind});
    });
}

bool FolderIndex::isFile(const Entry& entry) const {
    if (entry.kind != EntryKind::AskDisk)
        return entry.kind == EntryKind::File;
    struct stat st;
    return stat(nameToBytes(joinPath(folder_, entry.name)).constData(), &st) == 0 &&
           S_ISREG(st.st_mode);
}

bool FolderIndex::fileExists(const QString& name) const {
    if (name.isEmpty())
        return false;
    if (name.contains(u'/') || isPattern(name))
        return volmarin::fileExists(joinPath(folder_, name));
    const auto hit = byFolded_.constFind(foldedName(name));
    if (hit == byFolded_.cend())
        return false;
    const std::vector<Entry>& entries = *hit;
    for (const Entry& entry : entries) {
        if (entry.name == name && isFile(entry))
            return true;
    }
    if (entries.size() == 1)
        return isFile(entries.front());
    // Several entries differ only in case: the file list order decides, which the disk
    // lookup knows.
    return volmarin::fileExists(joinPath(folder_, name));
}

QString FolderIndex::entryName(const QString& name) const {
    if (name.isEmpty())
        return {};
    if (name.contains(u'/') || isPattern(name))
        return entryNameInFolder(folder_, name);
    const auto hit = byFolded_.constFind(foldedName(name));
    if (hit == byFolded_.cend())
        return {};
    const std::vector<Entry>& entries = *hit;
    for (const Entry& entry : entries) {
        if (entry.name == name && isFile(entry))
            return name;
    }
    if (entries.size() == 1)
        return isFile(entries.front()) ? entries.front().name : QString();
    return entryNameInFolder(folder_, name);
}

bool FolderIndex::anyEntry(const QString& name) const {
    if (name.isEmpty())
        return false;
    if (name.contains(u'/')) {
        const SplitName split = splitAtLastSlash(folder_, name);
        return anyEntryInFolder(split.folder, split.leaf);
    }
    if (name == u"." || name == u"..")
        return true;
    return byFolded_.contains(foldedName(name));
}

void FolderIndex::recordMove(const QString& oldName, const QString& newName) {
    EntryKind kind = EntryKind::AskDisk;
    const auto from = byFolded_.find(foldedName(oldName));
    if (from != byFolded_.end()) {
        std::vector<Entry>& entries = *from;
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            if (it->name == oldName) {
                kind = it->kind;
                entries.erase(it);
                break;
            }
        }
        if (entries.empty())
            byFolded_.erase(from);
    }
    if (!newName.contains(u'/'))
        byFolded_[foldedName(newName)].push_back({newName, kind});
}

} // namespace volmarin
