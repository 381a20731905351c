#pragma once

#include <QString>

namespace volmarin {

// The working directory and folder checks, with every byte of a folder's name kept (Qt's
// own calls turn a byte that is not UTF-8 into U+FFFD or "?", and would then read, enter
// or write a different folder, or none).

// The process's working directory; empty when it cannot be read (it was removed, say).
QString workingFolder();

// Makes folder the working directory; false, and nothing changed, when it cannot be entered.
bool setWorkingFolder(const QString& folder);

// True when path names a folder, symbolic links followed.
bool isFolder(const QString& path);

// True when path names a folder whose entries this process may read.
bool isReadableFolder(const QString& path);

// The absolute, clean form of path ("/" for the root, no trailing "/" otherwise), a relative
// path taken from the working directory (and left relative when that cannot be read). Only
// the text is worked on: the disk is not asked.
QString absoluteFolderPath(const QString& path);

} // namespace volmarin
