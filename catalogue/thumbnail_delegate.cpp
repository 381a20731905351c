#include "catalogue/thumbnail_delegate.h"

#include "catalogue/thumbnail_list.h"

#include <QApplication>
#include <QPainter>

namespace volmarin {

namespace {
constexpr int Margin = 4;
constexpr int MinCaptionWidth = 64;
} // namespace

ThumbnailDelegate::ThumbnailDelegate(const ThumbnailList& thumbnails, QObject* parent)
    : QStyledItemDelegate(parent), thumbnails_(thumbnails) {}

QSize ThumbnailDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    const int edge = thumbnails_.width();
    const int width = std::max(edge, MinCaptionWidth) + 2 * Margin;
    return QSize(width, edge + option.fontMetrics.height() + 3 * Margin);
}

QRect ThumbnailDelegate::thumbnailRect(const QRect& itemRect) const {
    const int edge = thumbnails_.width();
    return QRect(itemRect.left() + (itemRect.width() - edge) / 2, itemRect.top() + Margin, edge,
                 edge);
}

QRect ThumbnailDelegate::captionRect(const QRect& itemRect, const QFontMetrics& metrics) const {
    const QRect thumb = thumbnailRect(itemRect);
    return QRect(itemRect.left() + 1, thumb.bottom() + Margin, itemRect.width() - 2,
                 metrics.height() + 2);
}

void ThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const bool selected =
        isRowSelected ? isRowSelected(index.row()) : bool(option.state & QStyle::State_Selected);
    const QPalette& palette = option.palette;
    const QRect thumb = thumbnailRect(option.rect);
    if (index.row() < thumbnails_.count()) {
        painter->drawImage(thumb.topLeft(), thumbnails_.at(index.row()));
    }
    if (selected) {
        // A translucent wash over the picture, as icon views mark a selected icon.
        QColor wash = palette.color(QPalette::Highlight);
        wash.setAlpha(90);
        painter->fillRect(thumb, wash);
    }

    const QRect caption = captionRect(option.rect, option.fontMetrics);
    const QString text = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                       Qt::ElideRight, caption.width() - 4);
    if (selected) {
        painter->fillRect(caption, palette.color(QPalette::Highlight));
        painter->setPen(palette.color(QPalette::HighlightedText));
    } else {
        painter->setPen(palette.color(QPalette::Text));
    }
    painter->drawText(caption, Qt::AlignHCenter | Qt::AlignVCenter, text);
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(palette.color(QPalette::Text), 1, Qt::DotLine));
        painter->drawRect(caption.adjusted(0, 0, -1, -1));
    }
}

} // namespace volmarin
