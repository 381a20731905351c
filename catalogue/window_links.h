#pragma once

#include <QPoint>
#include <QString>

#include <cstdint>

// How the catalogue's steps (loading, selection, moves) reach what lies outside the
// catalogue: the program-wide variables, the list on screen, the status bar, the notice box
// and the chooser's file list. The main window provides each of these; tests provide plain
// stand-ins, so that the steps run without a window.
namespace volmarin {

// The program-wide variables the steps read and write. The program keeps them in one place
// for every window; the steps hold references to them.
struct CatalogueVariables {
    std::int32_t& SourceIndex;  // current item, -1 when none
    std::int32_t& TargetIndex;  // item under the last right press, or the next carry's place
    std::int32_t& MoveCount;    // items the pending move carries
    std::int32_t& LoadPosition; // index of the next file to load
    QString& LoadedFolder;      // folder of the loaded catalogue
};

// The selection marks of the list's items, one per item, as the list keeps them.
class SelectionMarks {
public:
    virtual ~SelectionMarks() = default;
    virtual int selectedCount() const = 0;
    virtual bool isRowSelected(int row) const = 0;
    // The lowest selected row, or -1.
    virtual int lowestSelectedRow() const = 0;
    virtual void setRowSelected(int row, bool selected) = 0;
    virtual void clearRows() = 0;
    // The list's own current item, where keys and Shift clicks go on from; no mark changes.
    virtual void setCurrentRow(int row) = 0;
    // While deferred (a gather), marks change in the list's own record and its other
    // bookkeeping catches up once when the deferral ends.
    virtual void setMarksDeferred(bool deferred) = 0;
};

// Where a drop would put the carried items: after the item under the pointer, or before it.
enum class DropSide { After, Before };

// The list on screen, apart from its marks.
class ListDisplay {
public:
    virtual ~ListDisplay() = default;
    // The item whose thumbnail or caption text is at a point of the list, or -1.
    virtual int itemAt(QPoint at) const = 0;
    // Hands the keyboard focus to the window's focus sink, off the list.
    virtual void releaseFocus() = 0;
    // A load begins: the grid takes thumbnails of edge n.
    virtual void setThumbnailEdge(int n) = 0;
    // The item just loaded becomes the only selected one and is scrolled into view.
    virtual void showLoadedItem(int row) = 0;
    // The pointer shape of a drag that a drop here would accept.
    virtual void showDropCursor(DropSide side) = 0;
    // The list's top edge within the window's client area, and its height, in pixels.
    virtual int top() const = 0;
    virtual int height() const = 0;
    // Scrolls the view by pixels (down when positive).
    virtual void scrollBy(int pixels) = 0;
    virtual void repaintNow() = 0;
};

// The main window's status bar: panel 0 holds the mode word, panel 1 the line beside it.
class StatusPanels {
public:
    virtual ~StatusPanels() = default;
    virtual QString modeWord() const = 0;
    virtual void setModeWord(const QString& word) = 0;
    virtual void setStatusLine(const QString& text) = 0;
};

// The notice box raised over the main window, which it disables until the notice's OK.
class MainWindowNotice {
public:
    virtual ~MainWindowNotice() = default;
    virtual void show(const QString& mainLine, const QString& secondLine) = 0;
};

// The chooser's file list, from which a load takes its files.
class FileListing {
public:
    virtual ~FileListing() = default;
    virtual int fileCount() const = 0;
    // A bare file name, in the list's order.
    virtual QString fileEntry(int index) const = 0;
    // The slow-read check box: very large pictures are first reduced by four.
    virtual bool slowRead() const = 0;
};

} // namespace volmarin
