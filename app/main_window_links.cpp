#include "app/main_window_links.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/screen_cursors.h"
#include "app/window_set.h"
#include "catalogue/catalogue_view.h"
#include "chooser/folder_chooser.h"
#include "viewer/notice_box.h"

#include <QLabel>
#include <QScrollBar>

namespace volmarin {

int CatalogueViewLink::selectedCount() const {
    return list_->selectedCount();
}

bool CatalogueViewLink::isRowSelected(int row) const {
    return list_->isRowSelected(row);
}

int CatalogueViewLink::lowestSelectedRow() const {
    return list_->lowestSelectedRow();
}

void CatalogueViewLink::setRowSelected(int row, bool selected) {
    list_->setRowSelected(row, selected);
}

void CatalogueViewLink::clearRows() {
    list_->selection()->clearRows();
}

void CatalogueViewLink::setCurrentRow(int row) {
    list_->setCurrentRow(row);
}

void CatalogueViewLink::setMarksDeferred(bool deferred) {
    list_->setSelectionDeferred(deferred);
}

int CatalogueViewLink::itemAt(QPoint at) const {
    const QModelIndex item = list_->indexAt(at);
    return item.isValid() ? item.row() : -1;
}

void CatalogueViewLink::releaseFocus() {
    focusSink_->setFocus();
}

void CatalogueViewLink::setThumbnailEdge(int n) {
    // The grid follows the new thumbnail size.
    list_->setIconSize(QSize(n, n));
    list_->doItemsLayout();
}

void CatalogueViewLink::showLoadedItem(int row) {
    const QModelIndex item = list_->model()->index(row, 0);
    list_->selectionModel()->clearSelection();
    list_->selectionModel()->select(item, QItemSelectionModel::Select);
    list_->scrollTo(item, QAbstractItemView::EnsureVisible);
}

void CatalogueViewLink::showDropCursor(DropSide side) {
    list_->setDragCursor(screenCursor(side == DropSide::After ? CursorDragLeft : CursorDragRight));
}

int CatalogueViewLink::top() const {
    return list_->y();
}

int CatalogueViewLink::height() const {
    return list_->height();
}

void CatalogueViewLink::scrollBy(int pixels) {
    QScrollBar* bar = list_->verticalScrollBar();
    bar->setValue(bar->value() + pixels);
}

void CatalogueViewLink::repaintNow() {
    list_->viewport()->repaint();
}

QString StatusBarPanels::modeWord() const {
    return mode_->text();
}

void StatusBarPanels::setModeWord(const QString& word) {
    mode_->setText(word);
}

void StatusBarPanels::setStatusLine(const QString& text) {
    line_->setText(text);
}

void NoticeOverMainWindow::show(const QString& mainLine, const QString& secondLine) {
    Form6->showNotice(MainWindow, mainLine, secondLine);
}

int ChooserFileListing::fileCount() const {
    return Form2->fileCount();
}

QString ChooserFileListing::fileEntry(int index) const {
    return Form2->fileEntry(index);
}

bool ChooserFileListing::slowRead() const {
    return Form2->slowRead();
}

MainWindowLinks::MainWindowLinks(TForm1& window, QLabel* modePanel, QLabel* linePanel)
    : list(window.ListView1, window.Button1), panels(modePanel, linePanel),
      carrier(window.ImageList1, *window.catalogue) {}

} // namespace volmarin
