#pragma once

#include <QString>
#include <QStringList>

namespace volmarin {

// Wildcard match of one name against a pattern: "*" any run, "?" one character
// (a Unicode code point); letters compare without regard to case (case folding).
bool wildcardMatch(const QString& pattern, const QString& name);

// Sorts names the way every file list of the program shows them: case-insensitively
// (QCollator, numeric mode off, so IMG_10 precedes IMG_2), ties broken by byte order.
void sortFileNames(QStringList& names);

// The regular files of a folder whose names match any of the ";"-separated patterns of
// mask (for example "*.bmp;*.jpg"), in file list order. Hidden files are included,
// folders never. An unreadable folder gives an empty list.
QStringList listFiles(const QString& folder, const QString& mask);

// The existence test: the last component of path is looked up in its folder; "*" and
// "?" are wildcards and letters match without regard to case. When several entries
// match, the first in file list order decides, and only a regular file counts.
bool fileExists(const QString& path);

// The path of the entry that the existence test finds for path, for the calls that then
// open or move it: path itself when it names a regular file (or a link to one), otherwise
// the path of the entry that bears its name in another letter case (the first in file
// list order, as the existence test takes it), or an empty text when the test finds no
// file. A name with "*" or "?" resolves only to itself: the entry a pattern matches is
// another file than the one named.
QString existingEntryPath(const QString& path);

} // namespace volmarin
