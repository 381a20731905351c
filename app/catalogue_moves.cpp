// Reordering the catalogue: the single-item move, the gathering of a dropped selection one
// carry per Timer2 tick, the drag feedback and the scrolling at the list's edges.
#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/screen_cursors.h"
#include "app/window_set.h"
#include "viewer/notice_box.h"

#include <QScrollBar>

namespace volmarin {

namespace {
constexpr int EdgeZone = 10; // the lower scrolling zone starts this far above the bottom
}

bool TForm1::isSelected(int index) const {
    return ListView1->isRowSelected(index);
}

void TForm1::setSelected(int index, bool selected) {
    ListView1->setRowSelected(index, selected);
}

QString TForm1::moveProgressLine() const {
    return QStringLiteral("残り %1   [クリック]で中断").arg(RemainingCount);
}

void TForm1::carry(int from, int to) {
    if (beforeCarry) {
        beforeCarry(from, to);
    }
    ImageList1.carry(from, to);
    catalogue->carry(from, to);
    // The dragged item is followed to its new place.
    if (pressedIndex_ == from) {
        pressedIndex_ = to;
    } else if (from < to && pressedIndex_ > from && pressedIndex_ <= to) {
        --pressedIndex_;
    } else if (to < from && pressedIndex_ >= to && pressedIndex_ < from) {
        ++pressedIndex_;
    }
}

void TForm1::moveFailed() {
    Form6->showNotice(MainWindow, QStringLiteral("厳しいです、画像の枚数を減らすか"),
                      QStringLiteral("サムネイルを小さくしてください"));
}

void TForm1::singleMoveTick() {
    try {
        carry(SourceIndex, TargetIndex);
    } catch (const std::exception&) {
        SourceIndex = -1;
        TargetIndex = -1;
        setCurrentIndex(-1);
        setModeWord(mode::Idle);
        setStatusLine(QString());
        moveFailed();
        return;
    }
    setSelected(SourceIndex, false);
    SourceIndex = TargetIndex;
    TargetIndex = -1;
    setCurrentIndex(SourceIndex);
    setModeWord(mode::Movable);
    setStatusLine(currentItemLine());
}

void TForm1::multiMoveTick() {
    Timer2->start();
    if (MoveForward && TargetIndex > 0) {
        while (!isSelected(SourceIndex) && SourceIndex > 0) {
            --SourceIndex;
        }
    }
    if (!MoveForward && TargetIndex < LastIndex) {
        while (!isSelected(SourceIndex) && SourceIndex < LastIndex) {
            ++SourceIndex;
        }
    }
    if (isSelected(SourceIndex)) {
        try {
            carry(SourceIndex, TargetIndex);
        } catch (const std::exception&) {
            setModeWord(mode::Idle);
            setStatusLine(QString());
            Timer2->stop();
            ListView1->setSelectionDeferred(false);
            moveFailed();
            return;
        }
        if (SourceIndex < TargetIndex) {
            setSelected(SourceIndex, false);
            setCurrentIndex(TargetIndex);
            --TargetIndex;
        }
        if (SourceIndex > TargetIndex) {
            setSelected(SourceIndex, false);
            setCurrentIndex(TargetIndex);
            ++TargetIndex;
        }
        --RemainingCount;
        setStatusLine(moveProgressLine());
    }
    if (FirstPass && SourceIndex == 0) {
        FirstPass = false;
        MoveForward = false;
        TargetIndex = DropIndex == LastIndex ? DropIndex : DropIndex + 1;
        while (isSelected(TargetIndex) && TargetIndex < LastIndex) {
            ++TargetIndex;
        }
        SourceIndex = TargetIndex;
    }
    if (FirstPass && SourceIndex == LastIndex) {
        FirstPass = false;
        MoveForward = true;
        TargetIndex = DropIndex == 0 ? 0 : DropIndex - 1;
        while (isSelected(TargetIndex) && TargetIndex > 0) {
            --TargetIndex;
        }
        SourceIndex = TargetIndex;
    }
    if (!FirstPass && (SourceIndex == 0 || SourceIndex == LastIndex)) {
        setModeWord(mode::Movable);
        setStatusLine(countLine());
        Timer2->stop();
        ListView1->setSelectionDeferred(false);
        // The item the user dragged, at its new place, is the current one, so that the
        // rename command acts on it.
        if (pressedIndex_ >= 0 && pressedIndex_ < catalogue->count()) {
            SourceIndex = pressedIndex_;
            ListView1->setCurrentRow(SourceIndex);
        }
    }
}

bool TForm1::ListView1DragOver(QPoint at) {
    bool accept = false;
    const QModelIndex item = ListView1->indexAt(at);
    DragOverItem = item.isValid() ? item.row() : -1;
    if (DragOverItem >= 0 && !isSelected(DragOverItem)) {
        accept = true;
        if (DragOverItem > SourceIndex) {
            ListView1->setDragCursor(screenCursor(CursorDragLeft));
        } else if (DragOverItem < SourceIndex) {
            ListView1->setDragCursor(screenCursor(CursorDragRight));
        }
    }
    const int top = ListView1->y();
    const int height = ListView1->height();
    const int y = at.y();
    if (y < top) {
        Timer3->start();
        ScrollDirection = 1;
    }
    if (top + height < y + EdgeZone) {
        Timer3->start();
        ScrollDirection = 2;
    }
    if (ScrollDirection != 0 && y > top && top + height > y + EdgeZone) {
        Timer3->stop();
        ScrollDirection = 0;
        ListView1->viewport()->repaint();
    }
    return accept;
}

void TForm1::ListView1DragDrop(QPoint) {
    if (modeWord() != mode::Movable) {
        return;
    }
    TargetIndex = DragOverItem;
    MoveCount = selectedCount();
    setModeWord(mode::Moving);
    pressedIndex_ = SourceIndex;
    if (MoveCount > 1) {
        if (DragOverItem > SourceIndex) {
            MoveForward = true;
            SourceIndex = TargetIndex - 1;
        }
        if (DragOverItem < SourceIndex) {
            MoveForward = false;
            SourceIndex = TargetIndex + 1;
        }
        FirstPass = true;
        DropIndex = DragOverItem;
        LastIndex = ImageList1.count() - 1;
        RemainingCount = MoveCount;
        setStatusLine(moveProgressLine());
        // Thousands of items may be selected apart: their marks change in the selection's
        // own record until the gather ends.
        ListView1->setSelectionDeferred(true);
    }
    Timer2->start();
}

void TForm1::Timer3Timer() {
    const int step = ImageList1.height() / 2;
    QScrollBar* bar = ListView1->verticalScrollBar();
    if (ScrollDirection == 1) {
        bar->setValue(bar->value() - step);
    } else if (ScrollDirection == 2) {
        bar->setValue(bar->value() + step);
    }
    ListView1->viewport()->repaint();
}

} // namespace volmarin
