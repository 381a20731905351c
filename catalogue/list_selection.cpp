#include "catalogue/list_selection.h"

#include "catalogue/catalogue_model.h"
#include "platform/name_codec.h"

namespace volmarin {

ListSelection::ListSelection(SelectionMarks& marks, const CatalogueModel& model,
                             const std::int32_t& sourceIndex)
    : marks_(marks), model_(model), SourceIndex(sourceIndex) {}

int ListSelection::currentIndex() const {
    return marks_.lowestSelectedRow();
}

void ListSelection::setCurrentIndex(int index) {
    if (index >= 0) {
        marks_.setRowSelected(index, true);
        // The item is also the list's own current one, where keys and Shift clicks go on from.
        marks_.setCurrentRow(index);
        return;
    }
    marks_.setRowSelected(currentIndex(), false);
}

void ListSelection::clearSelection() {
    marks_.clearRows();
}

int ListSelection::selectedCount() const {
    return marks_.selectedCount();
}

bool ListSelection::isSelected(int index) const {
    return marks_.isRowSelected(index);
}

void ListSelection::setSelected(int index, bool selected) {
    marks_.setRowSelected(index, selected);
}

void ListSelection::setListCurrentRow(int row) {
    marks_.setCurrentRow(row);
}

void ListSelection::setMarksDeferred(bool deferred) {
    marks_.setMarksDeferred(deferred);
}

QString ListSelection::currentItemLine() const {
    return QStringLiteral(" [No.%1]  %2")
        .arg(SourceIndex + 1)
        .arg(nameForDisplay(model_.caption(SourceIndex)));
}

QString ListSelection::countLine() const {
    return QStringLiteral(" %1 ヶ所選択").arg(selectedCount());
}

} // namespace volmarin
