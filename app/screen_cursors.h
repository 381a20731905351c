#pragma once

#include <QCursor>

namespace volmarin {

// Pointer shapes registered under a number, as the drag feedback asks for them.
inline constexpr int CursorDragLeft = 6;  // "L": drop after the current item
inline constexpr int CursorDragRight = 7; // "R": drop before it

void registerScreenCursor(int number, const QCursor& cursor);
// The cursor registered under number, or the arrow when none is.
QCursor screenCursor(int number);

// Loads the resources "L" and "R" (32 x 32, hot spot at the top left) as cursors 6 and 7.
void registerDragCursors();

} // namespace volmarin
