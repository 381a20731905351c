#include "app/window_set.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/window_manners.h"
#include "chooser/folder_chooser.h"
#include "platform/fonts.h"
#include "platform/number_syntax.h"
#include "platform/window_frame.h"
#include "rename/batch_rename_dialog.h"
#include "rename/single_rename_dialog.h"
#include "viewer/notice_box.h"
#include "viewer/size_dialog.h"
#include "viewer/viewer_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>

#include <map>

static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace volmarin {

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TForm4* Form4 = nullptr;
TForm5* Form5 = nullptr;
TForm6* Form6 = nullptr;
TForm7* Form7 = nullptr;

std::array<QWidget*, 7> windowSet() {
    return {Form1, Form2, Form3, Form4, Form5, Form6, Form7};
}

void prepareDialogWindow(QWidget* window, CloseBox closeBox, QPoint initialPlace) {
    // Dialogs have no Qt parent (disabling the main window must not disable them), but
    // stack above it.
    setWindowFrame(
        window, closeBox == CloseBox::Shown ? WindowFrame::Dialog : WindowFrame::DialogWithoutClose,
        Form1);
    window->setFixedSize(window->size());
    window->setFont(programFont(12));
    // After the flags: changing them may move the window.
    window->move(initialPlace);
}

QString hintLines(std::initializer_list<const char*> lines) {
    QStringList texts;
    for (const char* line : lines) {
        texts << QString::fromUtf8(line);
    }
    return texts.join(u'\n');
}

void emptyUnlessWholeNumber(QLineEdit* field) {
    const QString text = field->text();
    if (!text.isEmpty() && !isWholeNumber(text)) {
        field->clear();
    }
}

void createWindowSet() {
    initResources();
    resetProgramState();
    Form1 = new TForm1();
    Form2 = new TForm2();
    Form3 = new TForm3();
    Form4 = new TForm4();
    Form5 = new TForm5();
    Form6 = new TForm6();
    Form7 = new TForm7();
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        installWindowManners(*app);
    }
    // The dialogs' native windows are made when they are first shown, so that until then
    // their places are those of their outer frames, as the settings file keeps them.
    Form1->show();
}

void destroyWindowSet() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        removeWindowManners(*app);
    }
    delete Form7;
    delete Form6;
    delete Form5;
    delete Form4;
    delete Form3;
    delete Form2;
    delete Form1;
    Form1 = nullptr;
    Form2 = nullptr;
    Form3 = nullptr;
    Form4 = nullptr;
    Form5 = nullptr;
    Form6 = nullptr;
    Form7 = nullptr;
}

QWidget* windowByNumber(int number) {
    switch (number) {
    case MainWindow:
        return Form1;
    case ChooserWindow:
        return Form2;
    case BatchRenameWindow:
        return Form3;
    case SingleRenameWindow:
        return Form4;
    case SizeWindow:
        return Form5;
    default:
        return nullptr;
    }
}

namespace {
// The control that had the keyboard focus in each window when it was disabled. Disabling
// a window takes the focus from its controls, so it is remembered here and given back.
std::map<int, QPointer<QWidget>> focusWhenDisabled;
} // namespace

void setWindowEnabled(int number, bool enabled) {
    QWidget* window = windowByNumber(number);
    if (!window) {
        return;
    }
    if (!enabled) {
        if (window->isEnabled()) {
            focusWhenDisabled[number] = window->focusWidget();
        }
        window->setEnabled(false);
        return;
    }
    window->setEnabled(true);
    if (!window->isVisible()) {
        return;
    }
    // The window given back is the one the user works in: it takes the keyboard, with the
    // focus where it was (without a window manager nothing else would hand it over).
    window->activateWindow();
    const QPointer<QWidget> focus = focusWhenDisabled[number];
    if (focus && focus->window() == window && focus->isEnabled() && focus->isVisible()) {
        focus->setFocus(Qt::ActiveWindowFocusReason);
    }
}

} // namespace volmarin
