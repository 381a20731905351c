#pragma once

#include <QStringList>
#include <QStyledItemDelegate>

#include <functional>

namespace volmarin {

class ThumbnailList;

// Paints a catalogue item: its square thumbnail, straight from the 24-bit thumbnail list,
// and its caption under it. A caption wraps onto at most two lines, the second cut with
// "…" when the name is longer; the list's current item, while selected, shows its caption
// whole, as many lines as it takes.
class ThumbnailDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    ThumbnailDelegate(const ThumbnailList& thumbnails, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // A caption's editor (F2) goes over the caption, under the thumbnail of its own cell.
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    // The rectangle of the thumbnail inside an item's rectangle.
    QRect thumbnailRect(const QRect& itemRect) const;
    // Whether the item shows its caption whole: the current item of the list, while selected.
    bool showsWholeCaption(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // The rectangle of the caption's text as it is drawn, cut or whole.
    QRect captionTextRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // Whether the point lies on the item's thumbnail or on its caption's text.
    bool hits(const QStyleOptionViewItem& option, const QModelIndex& index, QPoint point) const;
    // Draws the caption alone: a whole caption is drawn again over the items below it.
    void paintCaption(QPainter* painter, const QStyleOptionViewItem& option,
                      const QModelIndex& index) const;

    // The lines the item's caption is drawn in.
    QStringList captionLines(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    // Where the selection is read from when painting (the selection's per-row record, which
    // runs ahead of Qt's ranges during a gather); the style option's state otherwise.
    std::function<bool(int row)> isRowSelected;

private:
    struct Caption {
        QStringList lines;
        QList<QRect> lineRects;
        QRect textRect; // the lines' rectangles together, with a pixel around them
    };
    Caption layoutCaption(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // A caption's lines: wrapped within width at word boundaries where there are any,
    // anywhere else; unless whole, at most two, the second cut with "…" at its end.
    static QStringList wrapCaption(const QString& text, const QFont& font, int width, bool whole);
    bool rowSelected(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    const ThumbnailList& thumbnails_;
};

} // namespace volmarin
