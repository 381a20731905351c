#pragma once

#include <QString>

namespace volmarin {

// Folder + "/" + name, joined exactly as they stand. The root yields "//name", which
// Linux accepts; names are never trimmed or case-changed.
QString joinPath(const QString& folder, const QString& name);

} // namespace volmarin
