#include "catalogue/catalogue_view.h"

#include "platform/key_codes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace volmarin {

CatalogueView::CatalogueView(QWidget* parent) : QListView(parent) {
    // With dragging enabled, a press on an already selected item keeps the selection until
    // the release, so that a multi-selection can be dragged. The drag itself is ours.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    // Labels can be edited with F2. A click on a selected item must collapse a
    // multi-selection on release, which a click-to-edit trigger would prevent.
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void CatalogueView::setModel(QAbstractItemModel* model) {
    QListView::setModel(model);
    resetSelectionMirror();
    // Rows are only ever appended, or all removed at once.
    connect(model, &QAbstractItemModel::modelReset, this, &CatalogueView::resetSelectionMirror);
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int, int) {
        selectedRows_.resize(static_cast<size_t>(this->model()->rowCount()), 0);
    });
}

void CatalogueView::resetSelectionMirror() {
    selectedRows_.assign(model() ? static_cast<size_t>(model()->rowCount()) : 0, 0);
    selectedCount_ = 0;
    if (selectionModel()) {
        markRange(selectionModel()->selection(), true);
    }
}

void CatalogueView::markRange(const QItemSelection& ranges, bool selected) {
    for (const QItemSelectionRange& range : ranges) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (row < 0 || row >= static_cast<int>(selectedRows_.size()) ||
                bool(selectedRows_[row]) == selected) {
                continue;
            }
            selectedRows_[row] = selected;
            selectedCount_ += selected ? 1 : -1;
        }
    }
}

void CatalogueView::selectionChanged(const QItemSelection& selected,
                                     const QItemSelection& deselected) {
    markRange(deselected, false);
    markRange(selected, true);
    QListView::selectionChanged(selected, deselected);
}

void CatalogueView::setRowSelected(int row, bool selected) {
    if (row < 0 || row >= static_cast<int>(selectedRows_.size())) {
        return;
    }
    if (!selectionBatch_) {
        selectionModel()->select(model()->index(row, 0), selected ? QItemSelectionModel::Select
                                                                  : QItemSelectionModel::Deselect);
        return;
    }
    if (bool(selectedRows_[row]) != selected) {
        selectedRows_[row] = selected;
        selectedCount_ += selected ? 1 : -1;
        selectionBatchDirty_ = true;
        viewport()->update(visualRect(model()->index(row, 0)));
    }
}

void CatalogueView::beginSelectionBatch() {
    selectionBatch_ = true;
}

void CatalogueView::endSelectionBatch() {
    flushSelectionBatch();
    selectionBatch_ = false;
}

void CatalogueView::flushSelectionBatch() {
    if (!selectionBatchDirty_) {
        return;
    }
    selectionBatchDirty_ = false;
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
    selectionModel()->select(runs, QItemSelectionModel::ClearAndSelect);
}

bool CatalogueView::isRowSelected(int row) const {
    return row >= 0 && row < static_cast<int>(selectedRows_.size()) && selectedRows_[row];
}

int CatalogueView::lowestSelectedRow() const {
    if (selectedCount_ == 0) {
        return -1;
    }
    const auto found = std::find(selectedRows_.begin(), selectedRows_.end(), 1);
    return static_cast<int>(found - selectedRows_.begin());
}

void CatalogueView::setDragCursor(const QCursor& cursor) {
    viewport()->setCursor(cursor);
}

void CatalogueView::mousePressEvent(QMouseEvent* event) {
    flushSelectionBatch();
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        // A right press points at a destination; it leaves the selection as it is.
        setFocus(Qt::MouseFocusReason);
    } else {
        QListView::mousePressEvent(event);
    }
    const QModelIndex item = indexAt(at);
    dragCandidate_ = event->button() == Qt::LeftButton && item.isValid() &&
                     selectionModel()->isSelected(item) &&
                     !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    pressPoint_ = at;
    emit pressed(event->button(), event->modifiers(), at);
}

void CatalogueView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (dragCandidate_ && !dragging_ && (event->buttons() & Qt::LeftButton) &&
        (at - pressPoint_).manhattanLength() >= QApplication::startDragDistance()) {
        dragging_ = true;
    }
    if (dragging_) {
        dropAccepted_ = dragOver && dragOver(at);
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
        const bool drop = dropAccepted_ && event->button() == Qt::LeftButton;
        endDrag();
        if (drop && dragDrop) {
            dragDrop(at);
        }
    } else if (event->button() != Qt::RightButton) {
        QListView::mouseReleaseEvent(event);
    }
    dragCandidate_ = false;
    emit released(event->button(), event->modifiers(), at);
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
    flushSelectionBatch();
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
