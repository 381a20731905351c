#include "catalogue/catalogue_view.h"

#include "catalogue/thumbnail_delegate.h"
#include "platform/key_codes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace volmarin {

// ---- the selection ---------------------------------------------------------------------

CatalogueSelection::CatalogueSelection(QAbstractItemModel* model, QObject* parent)
    : QItemSelectionModel(model, parent) {
    resizeRecord();
    // Rows are only ever appended, or all removed at once.
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] { resizeRecord(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        selectedRows_.clear();
        selectedCount_ = 0;
        behind_ = false;
        resizeRecord();
    });
    // Connected before any view: the record is up to date when the view repaints.
    connect(this, &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                applyRanges(deselected, false);
                applyRanges(selected, true);
            });
}

void CatalogueSelection::resizeRecord() {
    selectedRows_.resize(static_cast<size_t>(model()->rowCount()), 0);
}

void CatalogueSelection::applyRanges(const QItemSelection& ranges, bool selected) {
    const int rows = static_cast<int>(selectedRows_.size());
    for (const QItemSelectionRange& range : ranges) {
        for (int row = std::max(range.top(), 0); row <= std::min(range.bottom(), rows - 1); ++row) {
            if (bool(selectedRows_[row]) != selected) {
                selectedRows_[row] = selected;
                selectedCount_ += selected ? 1 : -1;
            }
        }
    }
}

void CatalogueSelection::select(const QModelIndex& index, SelectionFlags command) {
    select(QItemSelection(index, index), command);
}

void CatalogueSelection::select(const QItemSelection& selection, SelectionFlags command) {
    // Whatever this change is (a click, a key, a clear, a page step), it acts on the
    // selection as it truly is.
    catchUpRanges();
    QItemSelectionModel::select(selection, command);
}

void CatalogueSelection::reset() {
    QItemSelectionModel::reset(); // emits nothing
    std::fill(selectedRows_.begin(), selectedRows_.end(), 0);
    selectedCount_ = 0;
    behind_ = false;
}

void CatalogueSelection::clearRows() {
    select(QItemSelection(), Clear);
}

void CatalogueSelection::setRowSelected(int row, bool selected) {
    if (row < 0 || row >= static_cast<int>(selectedRows_.size()) ||
        bool(selectedRows_[row]) == selected) {
        return;
    }
    if (deferred_) {
        selectedRows_[row] = selected;
        selectedCount_ += selected ? 1 : -1;
        behind_ = true;
        emit rowMarkChanged(row);
        return;
    }
    select(model()->index(row, 0), selected ? Select : Deselect);
    // Settled at once: a later Shift selection replaces only what the user's own last
    // click selected, never a mark the program made since.
    QItemSelectionModel::select(QItemSelection(), Select);
}

void CatalogueSelection::setRangesDeferred(bool deferred) {
    deferred_ = deferred;
    if (!deferred) {
        catchUpRanges();
    }
}

void CatalogueSelection::catchUpRanges() {
    if (!behind_) {
        return;
    }
    behind_ = false;
    QItemSelection runs;
    const int rows = static_cast<int>(selectedRows_.size());
    for (int row = 0; row < rows;) {
        if (!selectedRows_[row]) {
            ++row;
            continue;
        }
        const int first = row;
        while (row < rows && selectedRows_[row]) {
            ++row;
        }
        runs.select(model()->index(first, 0), model()->index(row - 1, 0));
    }
    // In two steps, each of which Qt compares against an empty selection: one replacing
    // step would compare thousands of ranges with thousands. Nothing is announced: the
    // record, which the list paints, already shows this selection.
    {
        const QSignalBlocker quiet(this);
        QItemSelectionModel::select(QItemSelection(), Clear);
        QItemSelectionModel::select(runs, Select);
        QItemSelectionModel::select(QItemSelection(), Select); // settle them, as above
    }
}

bool CatalogueSelection::isRowSelected(int row) const {
    return row >= 0 && row < static_cast<int>(selectedRows_.size()) && selectedRows_[row];
}

int CatalogueSelection::lowestSelectedRow() const {
    if (selectedCount_ == 0) {
        return -1;
    }
    const void* found = std::memchr(selectedRows_.data(), 1, selectedRows_.size());
    return static_cast<int>(static_cast<const char*>(found) - selectedRows_.data());
}

// ---- the view --------------------------------------------------------------------------

CatalogueView::CatalogueView(QWidget* parent) : QListView(parent) {
    // With dragging enabled, a press on an already selected item keeps the selection until
    // the release, so that a multi-selection can be dragged. The drag itself is ours.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    // Labels can be edited with F2. A click on a selected item must collapse a
    // multi-selection on release, which a click-to-edit trigger would prevent.
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The list takes the focus itself on a left or right press (mousePressEvent); a middle
    // press must leave the focus where it is, which a click focus policy would not.
    setFocusPolicy(Qt::TabFocus);
}

void CatalogueView::setModel(QAbstractItemModel* model) {
    QListView::setModel(model);
    QItemSelectionModel* madeByQt = selectionModel();
    CatalogueSelection* previous = selection_;
    selection_ = new CatalogueSelection(model, this);
    setSelectionModel(selection_);
    delete madeByQt;
    delete previous;
    // Marks made during a gather come with a carry, which lays out and repaints the whole
    // list anyway. Asking for an item's rectangle here would lay out thousands of items
    // inside the tick instead of once before the next paint.
    connect(selection_, &CatalogueSelection::rowMarkChanged, this,
            [this] { viewport()->update(); });
}

void CatalogueView::setSelectionDeferred(bool deferred) {
    if (!selection_) {
        return;
    }
    selection_->setRangesDeferred(deferred);
    if (!deferred && deferredCurrentRow_ >= 0) {
        const int row = deferredCurrentRow_;
        deferredCurrentRow_ = -1;
        setCurrentRow(row);
    }
}

void CatalogueView::setRowSelected(int row, bool selected) {
    if (selection_) {
        selection_->setRowSelected(row, selected);
    }
}

void CatalogueView::setCurrentRow(int row) {
    if (!model() || row < 0 || row >= model()->rowCount()) {
        return;
    }
    if (selection_ && selection_->rangesDeferred()) {
        deferredCurrentRow_ = row; // moving it now would lay the list out inside the tick
        return;
    }
    const bool scrolls = hasAutoScroll();
    setAutoScroll(false);
    keepSelection_ = true; // selectionCommand answers NoUpdate, so Qt moves the anchor too
    setCurrentIndex(model()->index(row, 0));
    keepSelection_ = false;
    setAutoScroll(scrolls);
}

ThumbnailDelegate* CatalogueView::thumbnailDelegate() const {
    return qobject_cast<ThumbnailDelegate*>(itemDelegate());
}

QStyleOptionViewItem CatalogueView::itemOption(const QModelIndex& index) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    if (isRowSelected(index.row())) {
        option.state |= QStyle::State_Selected;
    }
    if (hasFocus() && index == currentIndex()) {
        option.state |= QStyle::State_HasFocus;
    }
    return option;
}

QModelIndex CatalogueView::cellAt(const QPoint& point) const {
    return QListView::indexAt(point);
}

QRect CatalogueView::wholeCaptionRect() const {
    const QModelIndex current = currentIndex();
    ThumbnailDelegate* delegate = thumbnailDelegate();
    if (!delegate || !current.isValid()) {
        return {};
    }
    const QStyleOptionViewItem option = itemOption(current);
    if (!delegate->showsWholeCaption(option, current)) {
        return {};
    }
    return delegate->captionTextRect(option, current);
}

void CatalogueView::refreshWholeCaption() {
    const QPoint offset(horizontalOffset(), verticalOffset());
    if (!wholeCaptionShown_.isNull()) {
        viewport()->update(wholeCaptionShown_.translated(-offset));
    }
    const QRect now = wholeCaptionRect();
    if (!now.isNull()) {
        viewport()->update(now);
    }
    wholeCaptionShown_ = now.isNull() ? QRect() : now.translated(offset);
}

QModelIndex CatalogueView::indexAt(const QPoint& point) const {
    // Outside the visible area there is no item, not even one scrolled out of view there.
    if (!viewport()->rect().contains(point)) {
        return {};
    }
    // The current item's caption shown whole is drawn over the cells below it.
    if (wholeCaptionRect().contains(point)) {
        return currentIndex();
    }
    const QModelIndex cell = cellAt(point);
    ThumbnailDelegate* delegate = thumbnailDelegate();
    if (!cell.isValid() || !delegate) {
        return cell;
    }
    return delegate->hits(itemOption(cell), cell, point) ? cell : QModelIndex();
}

void CatalogueView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    if (!selection_ || !model()) {
        return;
    }
    QItemSelection chosen;
    const int rows = model()->rowCount();
    if (state() == DragSelectingState) {
        // The rubber band takes the items whose thumbnail or caption it touches.
        const QRect band = rect.normalized();
        ThumbnailDelegate* delegate = thumbnailDelegate();
        int runStart = -1;
        for (int row = 0; row <= rows; ++row) {
            bool touched = false;
            if (row < rows) {
                const QModelIndex index = model()->index(row, 0);
                const QRect cell = visualRect(index);
                touched = cell.intersects(band) &&
                          (!delegate || delegate->thumbnailRect(cell).intersects(band) ||
                           delegate->captionTextRect(itemOption(index), index).intersects(band));
            }
            if (touched && runStart < 0) {
                runStart = row;
            } else if (!touched && runStart >= 0) {
                chosen.select(model()->index(runStart, 0), model()->index(row - 1, 0));
                runStart = -1;
            }
        }
    } else {
        // A click, or a Shift selection from the anchor (one corner) to the item clicked or
        // stepped to (the other): every item between the two in catalogue order, whichever
        // rows of the grid they stand on.
        const QModelIndex from = cellAt(rect.topLeft());
        const QModelIndex to = cellAt(rect.bottomRight());
        if (from.isValid() || to.isValid()) {
            const int first = from.isValid() ? from.row() : to.row();
            const int last = to.isValid() ? to.row() : from.row();
            chosen.select(model()->index(std::min(first, last), 0),
                          model()->index(std::max(first, last), 0));
        }
    }
    selection_->select(chosen, command);
}

QItemSelectionModel::SelectionFlags CatalogueView::selectionCommand(const QModelIndex& index,
                                                                    const QEvent* event) const {
    if (keepSelection_) {
        return QItemSelectionModel::NoUpdate;
    }
    QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    // As in the desktop's icon views, a Shift click or Shift arrow selects exactly the run
    // from the anchor; with Ctrl as well, the run is added to what is selected.
    const bool pressOrKey = event && (event->type() == QEvent::MouseButtonPress ||
                                      event->type() == QEvent::MouseButtonDblClick ||
                                      event->type() == QEvent::KeyPress);
    if (pressOrKey && (command & QItemSelectionModel::Current) &&
        (command & QItemSelectionModel::Select)) {
        const Qt::KeyboardModifiers modifiers = static_cast<const QInputEvent*>(event)->modifiers();
        if ((modifiers & Qt::ShiftModifier) && !(modifiers & Qt::ControlModifier)) {
            command |= QItemSelectionModel::Clear;
        }
    }
    return command;
}

void CatalogueView::selectionChanged(const QItemSelection& selected,
                                     const QItemSelection& deselected) {
    QListView::selectionChanged(selected, deselected);
    refreshWholeCaption();
}

void CatalogueView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    refreshWholeCaption();
}

void CatalogueView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                const QList<int>& roles) {
    QListView::dataChanged(topLeft, bottomRight, roles);
    // A caption shown whole reaches below its own cell. Its new text is repainted with the
    // whole list, without asking for geometry now (see rowMarkChanged above).
    const int current = currentIndex().row();
    if (current >= topLeft.row() && current <= bottomRight.row()) {
        viewport()->update();
    }
}

void CatalogueView::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    // The current item's whole caption goes over the items painted after it.
    const QRect whole = wholeCaptionRect();
    wholeCaptionShown_ =
        whole.isNull() ? QRect() : whole.translated(horizontalOffset(), verticalOffset());
    if (whole.isNull() || !event->region().intersects(whole)) {
        return;
    }
    QPainter painter(viewport());
    const QModelIndex current = currentIndex();
    thumbnailDelegate()->paintCaption(&painter, itemOption(current), current);
}

void CatalogueView::setDragCursor(const QCursor& cursor) {
    viewport()->setCursor(cursor);
}

bool CatalogueView::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        if (selection_) {
            selection_->catchUpRanges(); // the list's key handling reads Qt's ranges
        }
        break;
    default:
        break;
    }
    return QListView::event(event);
}

bool CatalogueView::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (selection_) {
            selection_->catchUpRanges(); // the list's click handling reads Qt's ranges
        }
        break;
    default:
        break;
    }
    return QListView::viewportEvent(event);
}

void CatalogueView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    if (button == Qt::LeftButton || button == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
    }
    // A right press points at a destination and leaves the selection as it is; the middle
    // button does nothing at all. Only the left button selects.
    if (button == Qt::LeftButton) {
        QListView::mousePressEvent(event);
    }
    const QModelIndex item = indexAt(at);
    dragCandidate_ = button == Qt::LeftButton && item.isValid() && isRowSelected(item.row()) &&
                     !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    pressPoint_ = at;
    emit pressed(button, event->modifiers(), at);
}

void CatalogueView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (dragCandidate_ && !dragging_ && (event->buttons() & Qt::LeftButton) &&
        (at - pressPoint_).manhattanLength() >= QApplication::startDragDistance()) {
        dragging_ = true;
    }
    if (dragging_) {
        // Only a place over the list takes a drop; anywhere else the drag shows that it
        // cannot drop, and a release there ends it without a move.
        dropAccepted_ = viewport()->rect().contains(at) && dragOver && dragOver(at);
        if (!dropAccepted_) {
            setDragCursor(Qt::ForbiddenCursor);
        }
        return;
    }
    if (dragCandidate_) {
        return; // below the drag distance: neither a drag nor a rubber band yet
    }
    QListView::mouseMoveEvent(event);
}

void CatalogueView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (ignoreRelease_) {
        ignoreRelease_ = false;
    } else if (dragging_) {
        const bool drop =
            dropAccepted_ && event->button() == Qt::LeftButton && viewport()->rect().contains(at);
        endDrag();
        if (drop && dragDrop) {
            dragDrop(at);
        }
    } else if (event->button() == Qt::LeftButton) {
        QListView::mouseReleaseEvent(event);
    }
    dragCandidate_ = false;
    emit released(event->button(), event->modifiers(), at);
}

void CatalogueView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        QListView::mouseDoubleClickEvent(event);
        return;
    }
    // Only a left double click opens an item; the second press of any other is a press.
    mousePressEvent(event);
}

void CatalogueView::endDrag() {
    dragging_ = false;
    dragCandidate_ = false;
    dropAccepted_ = false;
    viewport()->unsetCursor();
    if (dragEnded) {
        dragEnded();
    }
}

void CatalogueView::keyPressEvent(QKeyEvent* event) {
    if (dragging_) {
        if (event->key() == Qt::Key_Escape) {
            endDrag(); // Esc cancels the drag; the button's release then does nothing
            ignoreRelease_ = true;
        }
        return;
    }
    QListView::keyPressEvent(event);
}

void CatalogueView::keyReleaseEvent(QKeyEvent* event) {
    QListView::keyReleaseEvent(event);
    if (!event->isAutoRepeat()) {
        emit keyReleased(virtualKeyFromQt(event->key()), event->modifiers());
    }
}

} // namespace volmarin
