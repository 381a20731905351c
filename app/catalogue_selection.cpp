// The catalogue list's selection operations, with the effects the handlers rely on.
#include "app/main_window.h"
#include "app/program_state.h"

namespace volmarin {

int TForm1::currentIndex() const {
    return ListView1->lowestSelectedRow();
}

void TForm1::setCurrentIndex(int index) {
    if (index >= 0) {
        ListView1->setRowSelected(index, true);
        // The item is also the list's own current one, where keys and Shift clicks go on from.
        ListView1->setCurrentRow(index);
        return;
    }
    ListView1->setRowSelected(currentIndex(), false);
}

void TForm1::clearSelection() {
    ListView1->selection()->clearRows();
}

int TForm1::selectedCount() const {
    return ListView1->selectedCount();
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
