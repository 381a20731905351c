#pragma once

#include "catalogue/window_links.h"

#include <Qt>

namespace volmarin {

class CatalogueLoad;
class ListSelection;
class MoveEngine;

// What presses, releases, key releases and label edits in the catalogue list do, after the
// list's own reaction to them: the current item (SourceIndex), the item under a right press
// (TargetIndex), the selection texts of status panel 1, Esc stopping a load, a right press
// starting a single-item move, and the refusal of renames typed into the list.
class SelectionInput {
public:
    SelectionInput(CatalogueVariables variables, ListSelection& selection, ListDisplay& list,
                   StatusPanels& panels, MainWindowNotice& notice, CatalogueLoad& load,
                   MoveEngine& moves);

    void press(Qt::MouseButton button, QPoint at);
    void release();
    // key: a Windows virtual-key code.
    void keyRelease(int key);
    // An edit of a caption in the list; windowEnabled: the main window takes input.
    void captionEditing(bool windowEnabled, bool* allow);

private:
    // The current-item line when exactly one item is selected, the count line when more
    // are; with none selected the panel keeps its text.
    void showSelectionLine();

    CatalogueVariables variables_;
    ListSelection& selection_;
    ListDisplay& list_;
    StatusPanels& panels_;
    MainWindowNotice& notice_;
    CatalogueLoad& load_;
    MoveEngine& moves_;
    // The selected count that the last left press on an item saw; -1 after any other press.
    int pressedItemSelectedCount_ = -1;
};

} // namespace volmarin
