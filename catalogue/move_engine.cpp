#include "catalogue/move_engine.h"

#include "app/mode_word.h"
#include "catalogue/catalogue_model.h"
#include "catalogue/list_selection.h"
#include "catalogue/thumbnail_list.h"

#include <QTimer>

#include <exception>

namespace volmarin {

namespace {
constexpr int EdgeZone = 10; // the lower scrolling zone starts this far above the bottom
}

CatalogueCarrier::CatalogueCarrier(ThumbnailList& thumbnails, CatalogueModel& model)
    : thumbnails_(thumbnails), model_(model) {}

void CatalogueCarrier::carry(int from, int to) {
    thumbnails_.carry(from, to);
    model_.carry(from, to);
}

MoveEngine::MoveEngine(CatalogueVariables variables, EntryCarrier& carrier,
                       const ThumbnailList& thumbnails, ListSelection& selection, ListDisplay& list,
                       StatusPanels& panels, MainWindowNotice& notice, QTimer& moveTimer,
                       QTimer& scrollTimer)
    : variables_(variables), carrier_(carrier), thumbnails_(thumbnails), selection_(selection),
      list_(list), panels_(panels), notice_(notice), moveTimer_(moveTimer),
      scrollTimer_(scrollTimer) {}

QString MoveEngine::moveProgressLine() const {
    return QStringLiteral("残り %1   [クリック]で中断").arg(RemainingCount);
}

void MoveEngine::carry(int from, int to) {
    carrier_.carry(from, to);
    // The dragged item is followed to its new place.
    if (draggedItem_ == from) {
        draggedItem_ = to;
    } else if (from < to && draggedItem_ > from && draggedItem_ <= to) {
        --draggedItem_;
    } else if (to < from && draggedItem_ >= to && draggedItem_ < from) {
        ++draggedItem_;
    }
}

void MoveEngine::moveFailed() {
    notice_.show(QStringLiteral("厳しいです、画像の枚数を減らすか"),
                 QStringLiteral("サムネイルを小さくしてください"));
}

void MoveEngine::startSingleMove() {
    panels_.setModeWord(mode::Moving);
    variables_.MoveCount = 1;
    moveTimer_.start();
}

void MoveEngine::tick() {
    if (variables_.MoveCount == 1) {
        singleMoveTick();
    } else if (variables_.MoveCount > 1) {
        multiMoveTick();
    } else {
        // A drop with nothing selected carries nothing: the move ends at once.
        panels_.setModeWord(variables_.SourceIndex >= 0 ? mode::Movable : mode::Idle);
    }
}

void MoveEngine::singleMoveTick() {
    std::int32_t& SourceIndex = variables_.SourceIndex;
    std::int32_t& TargetIndex = variables_.TargetIndex;
    try {
        carry(SourceIndex, TargetIndex);
    } catch (const std::exception&) {
        SourceIndex = -1;
        TargetIndex = -1;
        selection_.setCurrentIndex(-1);
        panels_.setModeWord(mode::Idle);
        panels_.setStatusLine(QString());
        moveFailed();
        return;
    }
    selection_.setSelected(SourceIndex, false);
    SourceIndex = TargetIndex;
    TargetIndex = -1;
    selection_.setCurrentIndex(SourceIndex);
    panels_.setModeWord(mode::Movable);
    panels_.setStatusLine(selection_.currentItemLine());
}

void MoveEngine::multiMoveTick() {
    std::int32_t& SourceIndex = variables_.SourceIndex;
    std::int32_t& TargetIndex = variables_.TargetIndex;
    const auto isSelected = [this](int index) { return selection_.isSelected(index); };
    moveTimer_.start();
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
            panels_.setModeWord(mode::Idle);
            panels_.setStatusLine(QString());
            moveTimer_.stop();
            selection_.setMarksDeferred(false);
            moveFailed();
            return;
        }
        if (SourceIndex < TargetIndex) {
            selection_.setSelected(SourceIndex, false);
            selection_.setCurrentIndex(TargetIndex);
            --TargetIndex;
        }
        if (SourceIndex > TargetIndex) {
            selection_.setSelected(SourceIndex, false);
            selection_.setCurrentIndex(TargetIndex);
            ++TargetIndex;
        }
        --RemainingCount;
        panels_.setStatusLine(moveProgressLine());
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
        panels_.setModeWord(mode::Movable);
        panels_.setStatusLine(selection_.countLine());
        moveTimer_.stop();
        selection_.setMarksDeferred(false);
        // The item the user dragged, at its new place, is the current one, so that the
        // rename command acts on it.
        if (draggedItem_ >= 0 && draggedItem_ < thumbnails_.count()) {
            SourceIndex = draggedItem_;
            selection_.setListCurrentRow(SourceIndex);
        }
    }
}

bool MoveEngine::dragOver(QPoint at) {
    bool accept = false;
    DragOverItem = list_.itemAt(at);
    if (DragOverItem >= 0 && !selection_.isSelected(DragOverItem)) {
        accept = true;
        if (DragOverItem > variables_.SourceIndex) {
            list_.showDropCursor(DropSide::After);
        } else if (DragOverItem < variables_.SourceIndex) {
            list_.showDropCursor(DropSide::Before);
        }
    }
    const int top = list_.top();
    const int height = list_.height();
    const int y = at.y();
    if (y < top) {
        scrollTimer_.start();
        ScrollDirection = 1;
    }
    if (top + height < y + EdgeZone) {
        scrollTimer_.start();
        ScrollDirection = 2;
    }
    if (ScrollDirection != 0 && y > top && top + height > y + EdgeZone) {
        scrollTimer_.stop();
        ScrollDirection = 0;
        list_.repaintNow();
    }
    return accept;
}

void MoveEngine::drop() {
    if (panels_.modeWord() != mode::Movable) {
        return;
    }
    std::int32_t& SourceIndex = variables_.SourceIndex;
    std::int32_t& TargetIndex = variables_.TargetIndex;
    TargetIndex = DragOverItem;
    variables_.MoveCount = selection_.selectedCount();
    panels_.setModeWord(mode::Moving);
    draggedItem_ = SourceIndex;
    if (variables_.MoveCount > 1) {
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
        LastIndex = thumbnails_.count() - 1;
        RemainingCount = variables_.MoveCount;
        panels_.setStatusLine(moveProgressLine());
        // Thousands of items may be selected apart: their marks change in the list's own
        // record until the gather ends.
        selection_.setMarksDeferred(true);
    }
    moveTimer_.start();
}

void MoveEngine::dragEnded() {
    // A scroll started at an edge stops when the drag ends, wherever the pointer is.
    scrollTimer_.stop();
    ScrollDirection = 0;
}

void MoveEngine::scrollTick() {
    const int step = thumbnails_.height() / 2;
    if (ScrollDirection == 1) {
        list_.scrollBy(-step);
    } else if (ScrollDirection == 2) {
        list_.scrollBy(step);
    }
    list_.repaintNow();
}

} // namespace volmarin
