#pragma once

class QApplication;

namespace volmarin {

// What every window of the program does as windows did on the desktop it was designed for,
// given to all seven windows in one place:
// - Enter presses the push button that has the keyboard focus (only a focused one: no
//   window has a default button);
// - a window that waits for a dialog, a notice or the viewer hands the user on to it: when
//   the waiting window is clicked or activated, the window in front of it comes forward
//   with the keyboard.
void installWindowManners(QApplication& app);
void removeWindowManners(QApplication& app);

} // namespace volmarin
