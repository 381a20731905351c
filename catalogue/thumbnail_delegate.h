#pragma once

#include <QStyledItemDelegate>

#include <functional>

namespace volmarin {

class ThumbnailList;

// Paints a catalogue item: its square thumbnail, straight from the 24-bit thumbnail list,
// and its caption under it.
class ThumbnailDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    ThumbnailDelegate(const ThumbnailList& thumbnails, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The rectangle of the thumbnail inside an item's rectangle.
    QRect thumbnailRect(const QRect& itemRect) const;
    // The caption's rectangle inside an item's rectangle.
    QRect captionRect(const QRect& itemRect, const QFontMetrics& metrics) const;

    // Where the selection is read from when painting (the view's own record, which runs
    // ahead of the selection model during a batch); the style option's state otherwise.
    std::function<bool(int row)> isRowSelected;

private:
    const ThumbnailList& thumbnails_;
};

} // namespace volmarin
