#include "chooser/chooser_lists.h"

#include "chooser/widest_text.h"
#include "platform/name_codec.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace volmarin {

ListRowDelegate::ListRowDelegate(int rowHeight, QObject* parent)
    : QStyledItemDelegate(parent), rowHeight_(rowHeight) {}

QSize ListRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const int width =
        rowWidth_ > 0 ? rowWidth_ : QStyledItemDelegate::sizeHint(option, index).width();
    return {width, rowHeight_};
}

QFont ListRowDelegate::fittedFont(const QFont& font) const {
    // The rows keep their height; the text gets the largest size whose whole line, the
    // parts below the base line (g, j, p, y, "_") included, lies within a row.
    QFont fitted = font;
    if (fitted.pixelSize() <= 0) {
        return fitted;
    }
    while (QFontMetrics(fitted).height() > rowHeight_ && fitted.pixelSize() > 6) {
        fitted.setPixelSize(fitted.pixelSize() - 1);
    }
    return fitted;
}

void ListRowDelegate::initStyleOption(QStyleOptionViewItem* option,
                                      const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    // Rows hold names as the program keeps them; a byte that is not UTF-8 shows as \xHH.
    option->text = nameForDisplay(option->text);
}

void ListRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyleOptionViewItem shifted = option;
    shifted.rect.setLeft(option.rect.left() + index.data(IndentRole).toInt() * IndentStep);
    shifted.font = fittedFont(option.font);
    shifted.fontMetrics = QFontMetrics(shifted.font);
    QStyledItemDelegate::paint(painter, shifted, index);
}

ChooserListBox::ChooserListBox(QWidget* parent)
    : QListWidget(parent), rows_(new ListRowDelegate(16, this)) {
    setItemDelegate(rows_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);
}

void ChooserListBox::setRowHeight(int height) {
    rows_->setRowHeight(height);
    doItemsLayout();
}

void ChooserListBox::setScrollWidth(int width) {
    rows_->setRowWidth(width);
    // At once rather than at the next layout pass, so the scroll range is right as soon
    // as the handler returns.
    doItemsLayout();
}

int ChooserListBox::widestEntryWidth() const {
    QStringList shown;
    shown.reserve(count());
    for (int row = 0; row < count(); ++row) {
        shown.append(nameForDisplay(item(row)->text()));
    }
    return widestTextWidth(font(), shown);
}

void FolderListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (QListWidgetItem* entry = itemAt(event->position().toPoint())) {
        emit entryChosen(row(entry));
    }
}

void FolderListBox::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        if (currentRow() >= 0) {
            emit entryChosen(currentRow());
        }
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
    QListWidget::mousePressEvent(event);
    emit selectionMovedByUser();
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit doubleClickedByUser();
    }
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before) {
        emit selectionMovedByUser();
    }
}

} // namespace volmarin
