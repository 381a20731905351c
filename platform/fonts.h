#pragma once

#include <QFont>
#include <QStringList>

namespace volmarin {

// The family list every window asks for, best first, so that Japanese text finds glyphs.
QStringList programFontFamilies();

// The program's font at a pixel size.
QFont programFont(int pixelSize);

} // namespace volmarin
