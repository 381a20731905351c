#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace volmarin {

// The three kinds of rows of the folder list, each with its own picture.
enum class FolderEntryKind { Path, Current, SubFolder };

struct FolderEntry {
    QString path;  // the folder a double-click or Enter makes current
    QString name;  // the text shown; "/" for the root
    int depth = 0; // indentation level: 0 for the root
    FolderEntryKind kind = FolderEntryKind::Path;
};

// The visible sub-folders of folder (no hidden ones, never "." or ".."), in file list
// order. Symbolic links to folders count as folders.
QStringList subFolderNames(const QString& folder);

// The rows of the folder list for a current folder: the root, each folder on the way
// down, the current folder, then its sub-folders as read from disk now.
QList<FolderEntry> folderEntries(const QString& currentFolder);

} // namespace volmarin
