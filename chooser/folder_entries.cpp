#include "chooser/folder_entries.h"

#include "platform/file_exists.h"
#include "platform/name_codec.h"
#include "platform/paths.h"
#include "platform/working_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace volmarin {

namespace {

// The entry's type as the folder itself records it, so that listing a folder never asks
// the volumes mounted on its sub-folders: a stat of a mount point whose server has stopped
// would wait for as long as it is stopped. Only links (and file systems that record no
// type) are followed to see what they lead to.
bool isFolderEntry(int folderFd, const dirent* entry) {
    if (entry->d_type == DT_DIR) {
        return true;
    }
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) {
        return false;
    }
    struct stat info;
    return ::fstatat(folderFd, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

QStringList subFolderNames(const QString& folder) {
    QStringList names;
    DIR* dir = ::opendir(nameToBytes(folder).constData());
    if (dir == nullptr) {
        return names;
    }
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        // Hidden folders, "." and ".." all start with a dot.
        if (entry->d_name[0] != '.' && isFolderEntry(fd, entry)) {
            names.append(nameFromBytes(entry->d_name));
        }
    }
    ::closedir(dir);
    sortFileNames(names);
    return names;
}

QList<FolderEntry> folderEntries(const QString& currentFolder) {
    const QString current = absoluteFolderPath(currentFolder);
    QList<FolderEntry> entries;
    const QString root = QStringLiteral("/");
    entries.append({root, root, 0, FolderEntryKind::Path});
    QString path;
    int depth = 0;
    for (const QString& part : current.split(u'/', Qt::SkipEmptyParts)) {
        path += u'/' + part;
        entries.append({path, part, ++depth, FolderEntryKind::Path});
    }
    entries.last().kind = FolderEntryKind::Current;
    for (const QString& name : subFolderNames(current)) {
        entries.append({joinPath(current == root ? QString() : current, name), name, depth + 1,
                        FolderEntryKind::SubFolder});
    }
    return entries;
}

} // namespace volmarin
