#pragma once

#include "catalogue/move_engine.h"
#include "catalogue/window_links.h"

class QLabel;
class QWidget;

namespace volmarin {

class CatalogueView;
class TForm1;

// The catalogue list of the main window, with its focus sink and the drag cursors.
class CatalogueViewLink final : public SelectionMarks, public ListDisplay {
public:
    CatalogueViewLink(CatalogueView* list, QWidget* focusSink)
        : list_(list), focusSink_(focusSink) {}

    int selectedCount() const override;
    bool isRowSelected(int row) const override;
    int lowestSelectedRow() const override;
    void setRowSelected(int row, bool selected) override;
    void clearRows() override;
    void setCurrentRow(int row) override;
    void setMarksDeferred(bool deferred) override;

    int itemAt(QPoint at) const override;
    void releaseFocus() override;
    void setThumbnailEdge(int n) override;
    void showLoadedItem(int row) override;
    void showDropCursor(DropSide side) override;
    int top() const override;
    int height() const override;
    void scrollBy(int pixels) override;
    void repaintNow() override;

private:
    CatalogueView* list_;
    QWidget* focusSink_;
};

// The two panels of the main window's status bar.
class StatusBarPanels final : public StatusPanels {
public:
    StatusBarPanels(QLabel* modePanel, QLabel* linePanel) : mode_(modePanel), line_(linePanel) {}
    QString modeWord() const override;
    void setModeWord(const QString& word) override;
    void setStatusLine(const QString& text) override;

private:
    QLabel* mode_;
    QLabel* line_;
};

// The notice box with ReturnWindow 1: its OK enables the main window again.
class NoticeOverMainWindow final : public MainWindowNotice {
public:
    void show(const QString& mainLine, const QString& secondLine) override;
};

// The folder chooser's file list.
class ChooserFileListing final : public FileListing {
public:
    int fileCount() const override;
    QString fileEntry(int index) const override;
    bool slowRead() const override;
};

// Everything through which the main window's catalogue steps reach the windows, and the
// carrier of the catalogue's entries.
struct MainWindowLinks {
    MainWindowLinks(TForm1& window, QLabel* modePanel, QLabel* linePanel);

    CatalogueViewLink list;
    StatusBarPanels panels;
    NoticeOverMainWindow notice;
    ChooserFileListing files;
    CatalogueCarrier carrier;
};

} // namespace volmarin
