#include "catalogue/thumbnail_delegate.h"

#include "catalogue/thumbnail_list.h"
#include "platform/name_codec.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QTextLayout>
#include <QWidget>

namespace volmarin {

namespace {
constexpr int Margin = 4;
constexpr int MinCaptionWidth = 64;
constexpr int CaptionLines = 2; // a grid cell has room for this many caption lines
constexpr int TextInset = 2;    // between a cell's side and the widest caption line

int trimmedWidth(const QFontMetrics& metrics, const QString& line) {
    qsizetype end = line.size();
    while (end > 0 && line.at(end - 1).isSpace()) {
        --end;
    }
    return metrics.horizontalAdvance(line.left(end));
}
} // namespace

ThumbnailDelegate::ThumbnailDelegate(const ThumbnailList& thumbnails, QObject* parent)
    : QStyledItemDelegate(parent), thumbnails_(thumbnails) {}

QSize ThumbnailDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    const int edge = thumbnails_.width();
    const int width = std::max(edge, MinCaptionWidth) + 2 * Margin;
    return QSize(width, edge + CaptionLines * option.fontMetrics.height() + 3 * Margin + 2);
}

void ThumbnailDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                             const QModelIndex&) const {
    // The style's own placement assumes a decoration beside the text and lands on the next
    // cell; the editor is one line as wide as the caption's area, within the cell.
    const int top = thumbnailRect(option.rect).bottom() + Margin;
    const int height = std::min(editor->sizeHint().height(), option.rect.bottom() + 1 - top);
    editor->setGeometry(
        QRect(option.rect.left() + TextInset, top, option.rect.width() - 2 * TextInset, height));
}

QRect ThumbnailDelegate::thumbnailRect(const QRect& itemRect) const {
    const int edge = thumbnails_.width();
    return QRect(itemRect.left() + (itemRect.width() - edge) / 2, itemRect.top() + Margin, edge,
                 edge);
}

QStringList ThumbnailDelegate::wrapCaption(const QString& text, const QFont& font, int width,
                                           bool whole) {
    QStringList lines;
    QTextLayout layout(text, font);
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrapping);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (!whole && lines.size() == CaptionLines - 1) {
            // The last line takes the rest of the name, cut at its end if it is longer.
            lines << QFontMetrics(font).elidedText(text.mid(line.textStart()), Qt::ElideRight,
                                                   width);
            break;
        }
        lines << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    if (lines.isEmpty()) {
        lines << QString();
    }
    return lines;
}

bool ThumbnailDelegate::rowSelected(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    return isRowSelected ? isRowSelected(index.row()) : bool(option.state & QStyle::State_Selected);
}

bool ThumbnailDelegate::showsWholeCaption(const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    return view && view->currentIndex() == index && rowSelected(option, index);
}

ThumbnailDelegate::Caption ThumbnailDelegate::layoutCaption(const QStyleOptionViewItem& option,
                                                            const QModelIndex& index) const {
    const QRect thumb = thumbnailRect(option.rect);
    const QRect area(option.rect.left() + TextInset, thumb.bottom() + Margin + 1,
                     option.rect.width() - 2 * TextInset, 0);
    const QFontMetrics& metrics = option.fontMetrics;
    Caption caption;
    // A caption is the file's name; a byte of it that is not UTF-8 shows as "\xHH".
    caption.lines = wrapCaption(nameForDisplay(index.data(Qt::DisplayRole).toString()), option.font,
                                area.width(), showsWholeCaption(option, index));
    int top = area.top();
    for (const QString& line : caption.lines) {
        const int width = std::min(trimmedWidth(metrics, line), area.width());
        const QRect lineRect(area.left() + (area.width() - width) / 2, top, width,
                             metrics.height());
        caption.lineRects << lineRect;
        caption.textRect |= lineRect;
        top += metrics.height();
    }
    if (caption.textRect.isNull()) {
        caption.textRect = QRect(area.center().x(), area.top(), 0, metrics.height());
    }
    caption.textRect.adjust(-1, -1, 1, 1);
    return caption;
}

QStringList ThumbnailDelegate::captionLines(const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    return layoutCaption(option, index).lines;
}

QRect ThumbnailDelegate::captionTextRect(const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const {
    return layoutCaption(option, index).textRect;
}

bool ThumbnailDelegate::hits(const QStyleOptionViewItem& option, const QModelIndex& index,
                             QPoint point) const {
    return thumbnailRect(option.rect).contains(point) ||
           captionTextRect(option, index).contains(point);
}

void ThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const QRect thumb = thumbnailRect(option.rect);
    if (index.row() < thumbnails_.count()) {
        painter->drawImage(thumb.topLeft(), thumbnails_.at(index.row()));
    }
    if (rowSelected(option, index)) {
        // A translucent wash over the picture, as icon views mark a selected icon.
        QColor wash = option.palette.color(QPalette::Highlight);
        wash.setAlpha(90);
        painter->fillRect(thumb, wash);
    }
    paintCaption(painter, option, index);
}

void ThumbnailDelegate::paintCaption(QPainter* painter, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    const QPalette& palette = option.palette;
    const Caption caption = layoutCaption(option, index);
    if (rowSelected(option, index)) {
        painter->fillRect(caption.textRect, palette.color(QPalette::Highlight));
        painter->setPen(palette.color(QPalette::HighlightedText));
    } else {
        painter->setPen(palette.color(QPalette::Text));
    }
    painter->setFont(option.font);
    const int ascent = option.fontMetrics.ascent();
    for (qsizetype i = 0; i < caption.lines.size(); ++i) {
        const QRect& line = caption.lineRects.at(i);
        painter->drawText(QPoint(line.left(), line.top() + ascent), caption.lines.at(i));
    }
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(palette.color(QPalette::Text), 1, Qt::DotLine));
        painter->drawRect(caption.textRect.adjusted(0, 0, -1, -1));
    }
}

} // namespace volmarin
