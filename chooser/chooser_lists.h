#pragma once

#include <QListWidget>
#include <QStyledItemDelegate>

namespace volmarin {

// Rows of a fixed height and one common width, each showing its name in the shown form of
// names (nameForDisplay) while the item keeps the name itself. The common width is the list's
// scroll width: the view's content is as wide as its widest row, so the horizontal scroll bar
// covers exactly that width. An item's IndentRole (levels) shifts its picture and text
// right without entering the measured text.
class ListRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int IndentRole = Qt::UserRole + 1;
    static constexpr int IndentStep = 8;

    ListRowDelegate(int rowHeight, QObject* parent);

    void setRowHeight(int height) { rowHeight_ = height; }
    void setRowWidth(int width) { rowWidth_ = width; }
    int rowWidth() const { return rowWidth_; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The font a row's text is drawn in: font, made smaller when its lines are taller
    // than a row.
    QFont fittedFont(const QFont& font) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    int rowHeight_;
    int rowWidth_ = 0;
};

// A list box of the chooser: single selection, fixed row height and a scroll width that
// its owner sets.
class ChooserListBox : public QListWidget {
    Q_OBJECT
public:
    explicit ChooserListBox(QWidget* parent = nullptr);

    void setRowHeight(int height);
    // The horizontal extent the scroll bar covers; the bar shows when it exceeds the
    // visible width.
    void setScrollWidth(int width);

    // The width of the widest entry as shown, in the list's font, 0 for an empty list.
    int widestEntryWidth() const;

private:
    ListRowDelegate* rows_;
};

// The folder list: a double-click or Enter on an entry chooses its folder; a single click
// only selects.
class FolderListBox : public ChooserListBox {
    Q_OBJECT
public:
    using ChooserListBox::ChooserListBox;

signals:
    void entryChosen(int row);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The file list: tells its owner when the user's click or key moved the selection (a
// selection moved by the program is not reported), and of every double-click, on an entry
// or not.
class FileListBox : public ChooserListBox {
    Q_OBJECT
public:
    using ChooserListBox::ChooserListBox;

signals:
    void selectionMovedByUser();
    void doubleClickedByUser();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace volmarin
