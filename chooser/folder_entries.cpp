#include "chooser/folder_entries.h"

#include "platform/file_exists.h"
#include "platform/paths.h"

#include <QDir>

namespace volmarin {

QString normalFolderPath(const QString& folder) {
    return QDir::cleanPath(QDir(folder).absolutePath());
}

QStringList subFolderNames(const QString& folder) {
    // Without QDir::Hidden, names starting with "." are left out.
    QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    sortFileNames(names);
    return names;
}

QList<FolderEntry> folderEntries(const QString& currentFolder) {
    const QString current = normalFolderPath(currentFolder);
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
