#pragma once

#include "catalogue/window_links.h"

#include <QString>

#include <cstdint>

namespace volmarin {

class CatalogueModel;

// The catalogue list's selection as the program's steps use it, and the two status lines
// that describe it. The current index is the lowest-numbered selected item, -1 when none is
// selected; setting it to i >= 0 selects item i and leaves the others as they are; setting
// it to -1 deselects the lowest selected item only.
class ListSelection {
public:
    ListSelection(SelectionMarks& marks, const CatalogueModel& model,
                  const std::int32_t& sourceIndex);

    int currentIndex() const;
    void setCurrentIndex(int index);
    void clearSelection();
    int selectedCount() const;
    bool isSelected(int index) const;
    void setSelected(int index, bool selected);

    // The list's own current item (see SelectionMarks::setCurrentRow).
    void setListCurrentRow(int row);
    void setMarksDeferred(bool deferred);

    // " [No.12]  a.jpg": the image number and caption of item SourceIndex.
    QString currentItemLine() const;
    // " 3 ヶ所選択": the selected count.
    QString countLine() const;

private:
    SelectionMarks& marks_;
    const CatalogueModel& model_;
    const std::int32_t& SourceIndex;
};

} // namespace volmarin
