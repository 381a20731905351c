#include "catalogue/thumbnail_list.h"

#include <algorithm>

namespace volmarin {

void ThumbnailList::setSize(int width, int height) {
    size_ = QSize(width, height);
    images_.clear();
}

void ThumbnailList::append(QImage image) {
    images_.push_back(std::move(image));
}

void ThumbnailList::clear() {
    images_.clear();
}

void ThumbnailList::carry(int from, int to) {
    auto first = images_.begin();
    if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
    } else if (to < from) {
        std::rotate(first + to, first + from, first + from + 1);
    }
}

} // namespace volmarin
