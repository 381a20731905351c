// The windows' handlers whose work is the catalogue's: the chooser's OK and the load's
// ticks, presses, keys and edits in the list, the drag and the scrolling. Each hands its
// work to the main window's loading, selection and move objects.
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "catalogue/catalogue_load.h"
#include "catalogue/move_engine.h"
#include "catalogue/selection_input.h"
#include "chooser/folder_chooser.h"
#include "platform/number_syntax.h"
#include "viewer/notice_box.h"
#include "viewer/size_dialog.h"

#include <QScreen>

#include <algorithm>
#include <stdexcept>

namespace volmarin {

namespace {
constexpr int MaxFiles = 9999;
}

void TForm2::Button1Click() {
    const int count = fileCount();
    if (count > MaxFiles) {
        Form6->showNotice(ChooserWindow, QStringLiteral("開けるファイル数は9999までです"));
        return;
    }
    if (count < 1) {
        return;
    }
    // A size text that is no number stops here, before anything has changed, and so does a
    // size that no thumbnail can have (none, negative, larger than the screen): one report,
    // not one for every file.
    const int n = toWholeNumber(Form5->ui.Edit1->text());
    const QScreen* screen = Form1->screen();
    const int largest = screen ? std::min(screen->size().width(), screen->size().height()) : 4096;
    if (n < 1 || n > largest) {
        throw std::runtime_error(
            QStringLiteral(
                "サムネイルの大きさ %1 では読み込めません（1 から %2 までにしてください）")
                .arg(n)
                .arg(largest)
                .toStdString());
    }
    hide();
    setWindowEnabled(MainWindow, true);
    // The catalogue takes the keys at once, so that Esc stops the load.
    Form1->ListView1->setFocus(Qt::OtherFocusReason);
    Form1->catalogueLoad().start(n, currentFolder());
}

void TForm1::Timer1Timer() {
    load_->tick();
}

void TForm1::Timer3Timer() {
    moves_->scrollTick();
}

void TForm1::ListView1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, QPoint at) {
    input_->press(button, at);
}

void TForm1::ListView1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    input_->release();
}

void TForm1::ListView1KeyUp(int key, Qt::KeyboardModifiers) {
    input_->keyRelease(key);
}

void TForm1::ListView1Changing(int, const QString&, bool* allow) {
    input_->captionEditing(isEnabled(), allow);
}

bool TForm1::ListView1DragOver(QPoint at) {
    return moves_->dragOver(at);
}

void TForm1::ListView1DragDrop(QPoint) {
    moves_->drop();
}

} // namespace volmarin
