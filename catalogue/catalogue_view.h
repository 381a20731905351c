#pragma once

#include <QItemSelectionModel>
#include <QListView>

#include <functional>
#include <vector>

namespace volmarin {

class ThumbnailDelegate;

// The catalogue's selection. Every change of it passes through select(): the list's own
// reaction to clicks, keys and the rubber band, the program's marks, and clears from any
// window. Besides Qt's ranges it keeps a mark per row, read in constant time, which is
// always the true selection.
//
// Qt's ranges compare the whole old and new selection on every change, which with
// thousands of items selected apart costs milliseconds per mark. While ranges are
// deferred (a gather), the program's own single-row marks change the per-row record
// alone; the ranges catch up in one step when the deferral ends, before any other change
// is applied and before any input reaches the list, so that no change ever acts on an
// out-of-date selection and nothing marked is lost or comes back.
class CatalogueSelection : public QItemSelectionModel {
    Q_OBJECT
public:
    explicit CatalogueSelection(QAbstractItemModel* model, QObject* parent = nullptr);

    void select(const QModelIndex& index, SelectionFlags command) override;
    void select(const QItemSelection& selection, SelectionFlags command) override;
    void reset() override;

    bool isRowSelected(int row) const;
    int selectedCount() const { return selectedCount_; }
    // The lowest selected row, or -1.
    int lowestSelectedRow() const;

    // Marks one row selected or not, as the program does.
    void setRowSelected(int row, bool selected);
    // Unselects every row.
    void clearRows();

    // Deferring starts and ends with a gather; ending it brings the ranges up to date.
    void setRangesDeferred(bool deferred);
    bool rangesDeferred() const { return deferred_; }
    // Brings Qt's ranges up to the per-row record, if they lag behind it.
    void catchUpRanges();

signals:
    // A row's mark changed without a selectionChanged of Qt's ranges.
    void rowMarkChanged(int row);

private:
    void applyRanges(const QItemSelection& ranges, bool selected);
    void resizeRecord();

    std::vector<char> selectedRows_;
    int selectedCount_ = 0;
    bool deferred_ = false;
    bool behind_ = false; // Qt's ranges lag behind the record
};

// The catalogue's icon view. It reports presses, releases and key releases after its own
// reaction to them (selection, focus), and runs its own drag of the selection: pressing a
// selected item without Shift or Ctrl and moving past the drag distance starts it, every
// move over the list asks dragOver whether a drop there is accepted, and releasing over an
// accepted place calls dragDrop. The drag is plain mouse tracking, so real mouse events
// drive it wherever they come from.
//
// An item is hit at a point only where its thumbnail or its caption's text is drawn, and
// only inside the list's visible area; the blank rest of a grid cell is empty space.
class CatalogueView : public QListView {
    Q_OBJECT
public:
    explicit CatalogueView(QWidget* parent = nullptr);

    // Called for every pointer move of a drag over the list with the point in viewport
    // coordinates; returns whether a drop there is accepted. It may set the drag cursor.
    std::function<bool(QPoint)> dragOver;
    // Called when a drag ends over an accepted place.
    std::function<void(QPoint)> dragDrop;
    // Called whenever a drag ends, dropped or not.
    std::function<void()> dragEnded;

    bool dragging() const { return dragging_; }

    void setModel(QAbstractItemModel* model) override;
    CatalogueSelection* selection() const { return selection_; }

    bool isRowSelected(int row) const { return selection_ && selection_->isRowSelected(row); }
    int selectedCount() const { return selection_ ? selection_->selectedCount() : 0; }
    int lowestSelectedRow() const { return selection_ ? selection_->lowestSelectedRow() : -1; }
    void setRowSelected(int row, bool selected);

    // Makes row the list's current item and the anchor of Shift selections, without
    // changing the selection and without scrolling. During a gather the last such row
    // becomes current when the gather ends.
    void setCurrentRow(int row);

    // For a gather: see CatalogueSelection::setRangesDeferred.
    void setSelectionDeferred(bool deferred);

    // The item hit at a point of the viewport, or an invalid index.
    QModelIndex indexAt(const QPoint& point) const override;
    // How an item is drawn and hit: its rectangle, font and state.
    QStyleOptionViewItem itemOption(const QModelIndex& index) const;

    // The pointer shape while dragging.
    void setDragCursor(const QCursor& cursor);

signals:
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
    void released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
    void keyReleased(int virtualKey, Qt::KeyboardModifiers modifiers);

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

protected slots:
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    void endDrag();
    ThumbnailDelegate* thumbnailDelegate() const;
    // The grid cell's item at a point, whatever part of the cell it is.
    QModelIndex cellAt(const QPoint& point) const;
    // The rectangle of the current item's caption when it is shown whole, or an empty one.
    QRect wholeCaptionRect() const;
    void refreshWholeCaption();

    CatalogueSelection* selection_ = nullptr;
    QRect wholeCaptionShown_; // in content coordinates

    bool keepSelection_ = false; // setCurrentRow is moving the current item
    int deferredCurrentRow_ = -1;
    bool dragCandidate_ = false;
    bool dragging_ = false;
    bool dropAccepted_ = false;
    bool ignoreRelease_ = false; // the release that follows a drag cancelled with Esc
    QPoint pressPoint_;
};

} // namespace volmarin
