#include "catalogue/selection_input.h"

#include "app/mode_word.h"
#include "catalogue/catalogue_load.h"
#include "catalogue/list_selection.h"
#include "catalogue/move_engine.h"
#include "platform/key_codes.h"

#include <utility>

namespace volmarin {

SelectionInput::SelectionInput(CatalogueVariables variables, ListSelection& selection,
                               ListDisplay& list, StatusPanels& panels, MainWindowNotice& notice,
                               CatalogueLoad& load, MoveEngine& moves)
    : variables_(variables), selection_(selection), list_(list), panels_(panels), notice_(notice),
      load_(load), moves_(moves) {}

void SelectionInput::showSelectionLine() {
    const int selected = selection_.selectedCount();
    if (selected == 1) {
        panels_.setStatusLine(selection_.currentItemLine());
    } else if (selected > 1) {
        panels_.setStatusLine(selection_.countLine());
    }
}

void SelectionInput::press(Qt::MouseButton button, QPoint at) {
    pressedItemSelectedCount_ = -1;
    if (mode::isBusy(panels_.modeWord())) {
        return;
    }
    std::int32_t& SourceIndex = variables_.SourceIndex;
    std::int32_t& TargetIndex = variables_.TargetIndex;
    if (button == Qt::LeftButton) {
        SourceIndex = list_.itemAt(at);
        if (SourceIndex >= 0) {
            panels_.setModeWord(mode::Movable);
            showSelectionLine();
            pressedItemSelectedCount_ = selection_.selectedCount();
        } else {
            panels_.setModeWord(mode::Idle);
            panels_.setStatusLine(QString());
            list_.releaseFocus();
        }
    } else if (button == Qt::RightButton) {
        TargetIndex = list_.itemAt(at);
        if (TargetIndex >= 0 && SourceIndex == -1) {
            panels_.setModeWord(mode::Idle);
            panels_.setStatusLine(QString());
            selection_.setCurrentIndex(-1);
            list_.releaseFocus();
        }
        if (TargetIndex == -1) {
            SourceIndex = -1;
            panels_.setModeWord(mode::Idle);
            panels_.setStatusLine(QString());
            selection_.setCurrentIndex(-1);
            list_.releaseFocus();
        }
        if (TargetIndex >= 0 && SourceIndex >= 0 && SourceIndex != TargetIndex &&
            selection_.selectedCount() == 1 && panels_.modeWord() == mode::Movable) {
            moves_.startSingleMove();
        }
    }
}

void SelectionInput::release() {
    const bool busy = mode::isBusy(panels_.modeWord());
    if (!busy && variables_.SourceIndex == -1) {
        list_.releaseFocus();
    }
    // A press on an item that is already selected changes the selection only when the
    // button is let go (it may start a drag of the whole selection instead): the line then
    // says what the press would have said, had the list reacted at once.
    const int countAtPress = std::exchange(pressedItemSelectedCount_, -1);
    if (!busy && countAtPress >= 0 && variables_.SourceIndex >= 0 &&
        selection_.selectedCount() != countAtPress) {
        showSelectionLine();
    }
}

void SelectionInput::keyRelease(int key) {
    if (panels_.modeWord() == mode::Loading && key == VK_ESCAPE) {
        load_.stop();
    }
    if (!mode::isBusy(panels_.modeWord()) && key != VK_ESCAPE && selection_.currentIndex() >= 0) {
        variables_.SourceIndex = selection_.currentIndex();
        panels_.setModeWord(mode::Movable);
        showSelectionLine();
    }
}

void SelectionInput::captionEditing(bool windowEnabled, bool* allow) {
    // Captions name files on disk; an edit in the list would part the two, so the old
    // caption stays and the user is pointed to the rename commands.
    *allow = false;
    if (windowEnabled) {
        notice_.show(QStringLiteral("この方法でリネームはできません"), QString());
    }
}

} // namespace volmarin
