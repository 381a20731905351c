// The catalogue list's selection operations, with the effects the handlers rely on.
#include "app/main_window.h"
#include "app/program_state.h"

#include <QItemSelectionModel>

namespace volmarin {

int TForm1::currentIndex() const {
    const QModelIndexList selected = ListView1->selectionModel()->selectedIndexes();
    int lowest = -1;
    for (const QModelIndex& index : selected) {
        if (lowest < 0 || index.row() < lowest) {
            lowest = index.row();
        }
    }
    return lowest;
}

void TForm1::setCurrentIndex(int index) {
    QItemSelectionModel* selection = ListView1->selectionModel();
    if (index >= 0) {
        selection->select(catalogue->index(index), QItemSelectionModel::Select);
        return;
    }
    const int lowest = currentIndex();
    if (lowest >= 0) {
        selection->select(catalogue->index(lowest), QItemSelectionModel::Deselect);
    }
}

void TForm1::clearSelection() {
    ListView1->selectionModel()->clearSelection();
}

int TForm1::selectedCount() const {
    return static_cast<int>(ListView1->selectionModel()->selectedIndexes().size());
}

QString TForm1::currentItemLine() const {
    return QStringLiteral(" [No.%1]  %2").arg(SourceIndex + 1).arg(catalogue->caption(SourceIndex));
}

QString TForm1::countLine() const {
    return QStringLiteral(" %1 ヶ所選択").arg(selectedCount());
}

void TForm1::showSelectionLine() {
    const int selected = selectedCount();
    if (selected == 1) {
        setStatusLine(currentItemLine());
    } else if (selected > 1) {
        setStatusLine(countLine());
    }
}

} // namespace volmarin
