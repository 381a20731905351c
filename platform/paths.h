#pragma once

#include <QString>

namespace volmarin {

// Folder + "/" + name, joined exactly as they stand. The root yields "//name", which
// Linux accepts; names are never trimmed or case-changed.
QString joinPath(const QString& folder, const QString& name);

// True when name, taken relative to folder, cannot lead out of it: no "/"-separated part
// of name is "..", and the folder that name lies in (folder itself, or a sub-folder when
// name holds a "/") resolves, symbolic links followed, to folder or to a folder under it.
// A name whose sub-folder does not exist is not inside.
bool staysInsideFolder(const QString& folder, const QString& name);

} // namespace volmarin
