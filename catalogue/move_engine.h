#pragma once

#include "catalogue/window_links.h"

class QTimer;

namespace volmarin {

class CatalogueModel;
class ListSelection;
class ThumbnailList;

// Moves one catalogue entry, its thumbnail and its caption, from place from to place to;
// the entries between shift one place toward from. It may throw when the catalogue cannot
// be changed.
class EntryCarrier {
public:
    virtual ~EntryCarrier() = default;
    virtual void carry(int from, int to) = 0;
};

// The carrier of the catalogue itself: the thumbnail list and the list's model.
class CatalogueCarrier final : public EntryCarrier {
public:
    CatalogueCarrier(ThumbnailList& thumbnails, CatalogueModel& model);
    void carry(int from, int to) override;

private:
    ThumbnailList& thumbnails_;
    CatalogueModel& model_;
};

// Reordering the catalogue: the single-item move (one tick of the move timer), the
// gathering of a dropped selection beside the drop item (one carry per tick, in two passes),
// the drag feedback and the scrolling while a drag is held at the list's edge. Moves change
// only which thumbnail and caption stand at which place, and set the selection marks.
class MoveEngine {
public:
    MoveEngine(CatalogueVariables variables, EntryCarrier& carrier, const ThumbnailList& thumbnails,
               ListSelection& selection, ListDisplay& list, StatusPanels& panels,
               MainWindowNotice& notice, QTimer& moveTimer, QTimer& scrollTimer);

    // A right press on another item: its next tick moves item SourceIndex to TargetIndex.
    void startSingleMove();
    // Every pointer move of a drag over the list; returns whether a drop there is accepted.
    bool dragOver(QPoint at);
    // A drop on the item under the pointer at the last drag-over.
    void drop();
    // The drag ended, dropped or not: a scroll at the edge stops.
    void dragEnded();
    // A tick of the move timer while the mode word is 移動中 (the timer is stopped already).
    void tick();
    // A tick of the scroll timer: half a thumbnail up or down.
    void scrollTick();

    // Carries one entry through the carrier and follows the dragged item to its new place.
    void carry(int from, int to);

    int DropIndex = -1;       // the item the selection was dropped on, fixed for the move
    int LastIndex = -1;       // thumbnail count - 1 at the drop
    int RemainingCount = 0;   // selected count at the drop minus the carries so far
    bool MoveForward = false; // the pass carries toward higher places
    bool FirstPass = false;
    int ScrollDirection = 0; // 0 none, 1 up, 2 down
    int DragOverItem = -1;   // item under the pointer at the last drag-over

private:
    void singleMoveTick();
    void multiMoveTick();
    void moveFailed();
    QString moveProgressLine() const;

    CatalogueVariables variables_;
    EntryCarrier& carrier_;
    const ThumbnailList& thumbnails_;
    ListSelection& selection_;
    ListDisplay& list_;
    StatusPanels& panels_;
    MainWindowNotice& notice_;
    QTimer& moveTimer_;
    QTimer& scrollTimer_;
    int draggedItem_ = -1; // the item pressed to start the drag, followed through the carries
};

} // namespace volmarin
