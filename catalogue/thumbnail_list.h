#pragma once

#include <QImage>
#include <QSize>

#include <vector>

namespace volmarin {

// The catalogue's square thumbnails, in catalogue order. Each is a 24-bit image of the
// list's edge length, held once (no 32-bit copy per item).
class ThumbnailList {
public:
    int width() const { return size_.width(); }
    int height() const { return size_.height(); }
    // Changing the size empties the list, since every thumbnail must have the list's size.
    void setSize(int width, int height);

    int count() const { return static_cast<int>(images_.size()); }
    const QImage& at(int index) const { return images_[static_cast<size_t>(index)]; }
    void append(QImage image);
    void clear();

    // Moves the thumbnail at from to place to, shifting the ones between by one place.
    void carry(int from, int to);

private:
    QSize size_{100, 100};
    std::vector<QImage> images_;
};

} // namespace volmarin
