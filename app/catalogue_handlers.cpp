// Presses, releases, keys and caption edits in the catalogue list: the current item,
// the selection texts of the status bar, and Esc during a load.
#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "platform/key_codes.h"
#include "viewer/notice_box.h"

namespace volmarin {

namespace {
int itemAt(const QListView* list, QPoint at) {
    const QModelIndex item = list->indexAt(at);
    return item.isValid() ? item.row() : -1;
}
} // namespace

void TForm1::ListView1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, QPoint at) {
    if (mode::isBusy(modeWord())) {
        return;
    }
    if (button == Qt::LeftButton) {
        SourceIndex = itemAt(ListView1, at);
        if (SourceIndex >= 0) {
            setModeWord(mode::Movable);
            showSelectionLine();
        } else {
            setModeWord(mode::Idle);
            setStatusLine(QString());
            Button1->setFocus();
        }
    } else if (button == Qt::RightButton) {
        TargetIndex = itemAt(ListView1, at);
        if (TargetIndex >= 0 && SourceIndex == -1) {
            setModeWord(mode::Idle);
            setStatusLine(QString());
            setCurrentIndex(-1);
            Button1->setFocus();
        }
        if (TargetIndex == -1) {
            SourceIndex = -1;
            setModeWord(mode::Idle);
            setStatusLine(QString());
            setCurrentIndex(-1);
            Button1->setFocus();
        }
        if (TargetIndex >= 0 && SourceIndex >= 0 && SourceIndex != TargetIndex &&
            selectedCount() == 1 && modeWord() == mode::Movable) {
            // The next Timer2 tick moves item SourceIndex to place TargetIndex.
            setModeWord(mode::Moving);
            MoveCount = 1;
            Timer2->start();
        }
    }
}

void TForm1::ListView1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    if (!mode::isBusy(modeWord()) && SourceIndex == -1) {
        Button1->setFocus();
    }
}

void TForm1::ListView1KeyUp(int key, Qt::KeyboardModifiers) {
    if (modeWord() == mode::Loading && key == VK_ESCAPE) {
        stopLoading();
    }
    if (!mode::isBusy(modeWord()) && key != VK_ESCAPE && currentIndex() >= 0) {
        SourceIndex = currentIndex();
        setModeWord(mode::Movable);
        showSelectionLine();
    }
}

void TForm1::ListView1Changing(int, const QString&, bool* allow) {
    // Captions name files on disk; an edit in the list would part the two, so the old
    // caption stays and the user is pointed to the rename commands.
    *allow = false;
    if (isEnabled()) {
        Form6->showNotice(MainWindow, QStringLiteral("この方法でリネームはできません"));
    }
}

} // namespace volmarin
