#pragma once

#include <QWidget>

#include <array>
#include <initializer_list>

class QLineEdit;

namespace volmarin {
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;

// The seven windows, created once at start in this order and kept for the whole run.
extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;
extern TForm4* Form4;
extern TForm5* Form5;
extern TForm6* Form6;
extern TForm7* Form7;

// Creates the window set (each window's creation handler runs during its creation) and
// shows the main window. The shared state starts from its initial values.
void createWindowSet();

// Deletes all seven windows (tests create a fresh set for each case).
void destroyWindowSet();

// The seven windows in creation order (nullptr before they are created).
std::array<QWidget*, 7> windowSet();

// The window that a ReturnWindow number names, or nullptr for any other number.
QWidget* windowByNumber(int number);

// Enables or disables the window that a ReturnWindow number names, if any.
void setWindowEnabled(int number, bool enabled);

} // namespace volmarin

namespace volmarin {

// How a secondary window looks: fixed size, the program's font, a dialog border with or
// without the title bar's close box, and its place when no settings file says otherwise.
enum class CloseBox { Shown, Removed };
void prepareDialogWindow(QWidget* window, CloseBox closeBox, QPoint initialPlace);

// A hint of several lines, one text per line.
QString hintLines(std::initializer_list<const char*> lines);

// The number fields' filter: a text that is not a whole number empties the field.
void emptyUnlessWholeNumber(QLineEdit* field);

} // namespace volmarin
