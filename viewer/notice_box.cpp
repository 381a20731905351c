#include "viewer/notice_box.h"

#include "app/program_state.h"
#include "app/window_set.h"
#include "platform/window_frame.h"
#include "viewer/viewer_window.h"

#include <QApplication>
#include <QCloseEvent>

namespace volmarin {

TForm6::TForm6() {
    ui.setupUi(this);
    prepareDialogWindow(this, CloseBox::Removed, QPoint(276, 205));
    // The lines are shown exactly as given: a file name is never read as markup.
    ui.Panel1->setTextFormat(Qt::PlainText);
    ui.Label1->setTextFormat(Qt::PlainText);
    connect(ui.Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    FormCreate();
}

void TForm6::FormCreate() {
    // No close box (prepareDialogWindow); closeEvent refuses the window manager's requests.
}

void TForm6::closeEvent(QCloseEvent* event) {
    // Left only through its buttons. The exit closes it only while it is hidden, and then
    // the program ends anyway.
    event->ignore();
}

void TForm6::showNotice(int returnWindow, const QString& mainLine, const QString& secondLine) {
    ReturnWindow = returnWindow;
    ui.Panel1->setText(mainLine);
    ui.Label1->setText(secondLine);
    setWindowEnabled(returnWindow, false);
    // In front of the window it blocks, or of the viewer shown over that window, so that a
    // click on the blocked window never hides it. A notice that gives back no window blocks
    // the one it was raised from.
    QWidget* blocked = Form7->isVisible() ? Form7 : windowByNumber(returnWindow);
    if (!blocked && QApplication::activeWindow() != this) {
        blocked = QApplication::activeWindow();
    }
    if (blocked) {
        setStackingOwner(this, blocked);
    }
    show();
    raise();
    activateWindow();
}

void TForm6::Button1Click() {
    hide();
    switch (ReturnWindow) {
    case MainWindow:
    case ChooserWindow:
        setWindowEnabled(ReturnWindow, true);
        if (Form7->isVisible()) {
            Form7->Image1Click();
        }
        break;
    default:
        setWindowEnabled(ReturnWindow, true);
        break;
    }
    ui.Label1->clear();
}

} // namespace volmarin
