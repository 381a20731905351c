#pragma once

#include <QListView>

#include <functional>
#include <vector>

namespace volmarin {

// The catalogue's icon view. It reports presses, releases and key releases after its own
// reaction to them (selection, focus), and runs its own drag of the selection: pressing a
// selected item without Shift or Ctrl and moving past the drag distance starts it, every
// move asks dragOver whether a drop there is accepted, and releasing over an accepted
// place calls dragDrop. The drag is plain mouse tracking, so real mouse events drive it
// wherever they come from.
class CatalogueView : public QListView {
    Q_OBJECT
public:
    explicit CatalogueView(QWidget* parent = nullptr);

    // Called for every pointer move of a drag with the point in viewport coordinates;
    // returns whether a drop there is accepted. It may set the drag cursor.
    std::function<bool(QPoint)> dragOver;
    // Called when a drag ends over an accepted place.
    std::function<void(QPoint)> dragDrop;
    // Called whenever a drag ends, dropped or not.
    std::function<void()> dragEnded;

    bool dragging() const { return dragging_; }

    // The selection, read in constant time: the selection model answers these by walking
    // its ranges, which a gather of thousands of items would do thousands of times a tick.
    bool isRowSelected(int row) const;
    int selectedCount() const { return selectedCount_; }
    // The lowest selected row, or -1.
    int lowestSelectedRow() const;

    void setModel(QAbstractItemModel* model) override;

    // Marks one row selected or not.
    void setRowSelected(int row, bool selected);
    // While a batch runs, setRowSelected changes only this view's own record and repaints
    // the row: the selection model compares its whole old and new selection on every
    // change, which with thousands of separate ranges costs milliseconds each time. The
    // record goes to the selection model at the end of the batch, and before the user's
    // own press or key acts on the list.
    void beginSelectionBatch();
    void endSelectionBatch();
    // The pointer shape while dragging.
    void setDragCursor(const QCursor& cursor);

signals:
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
    void released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
    void keyReleased(int virtualKey, Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

protected slots:
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;

private:
    void endDrag();
    void resetSelectionMirror();
    void markRange(const QItemSelection& ranges, bool selected);

    void flushSelectionBatch();

    bool selectionBatch_ = false;
    bool selectionBatchDirty_ = false;
    std::vector<char> selectedRows_;
    int selectedCount_ = 0;

    bool dragCandidate_ = false;
    bool dragging_ = false;
    bool dropAccepted_ = false;
    bool ignoreRelease_ = false; // the release that follows a drag cancelled with Esc
    QPoint pressPoint_;
};

} // namespace volmarin
