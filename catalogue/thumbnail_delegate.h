#pragma once

#include <QStyledItemDelegate>

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

private:
    const ThumbnailList& thumbnails_;
};

} // namespace volmarin
