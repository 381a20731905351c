#include "catalogue/catalogue_view.h"

#include "platform/key_codes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

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

void CatalogueView::setDragCursor(const QCursor& cursor) {
    viewport()->setCursor(cursor);
}

void CatalogueView::mousePressEvent(QMouseEvent* event) {
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
