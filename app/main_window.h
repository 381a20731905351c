#pragma once

#include "catalogue/catalogue_model.h"
#include "catalogue/catalogue_view.h"
#include "catalogue/thumbnail_list.h"
#include "catalogue/thumbnail_loader.h"

#include "ui_TForm1.h"

#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace volmarin {

// The main window: the catalogue list, the menu and the two-panel status bar whose first
// panel holds the mode word.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1();
    ~TForm1() override;

    Ui::TForm1 ui;
    CatalogueView* ListView1 = nullptr;
    QPushButton* Button1 = nullptr; // focus sink under the list, never seen
    QStatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr; // loading, one file per tick
    QTimer* Timer2 = nullptr; // the start-up step, then the moves
    QTimer* Timer3 = nullptr; // scrolling while a drag is held at the edge
    ThumbnailList ImageList1;
    CatalogueModel* catalogue = nullptr;

    QString modeWord() const { return statusPanel0_->text(); }
    void setModeWord(const QString& word) { statusPanel0_->setText(word); }
    QString statusLine() const { return statusPanel1_->text(); }
    void setStatusLine(const QString& text) { statusPanel1_->setText(text); }

    // Writes the settings file from the windows' present state (both exit paths use it).
    void settingsWrite();

    // Loading: OK in the chooser starts it, each Timer1 tick takes one file.
    void startLoading(int n, const QStringList& files);
    void Timer1Timer();
    // Esc during a load: what is loaded stays.
    void stopLoading();

    // The list's selection as the handlers see it. The current index is the lowest-numbered
    // selected item, -1 when none is selected. Setting it to i >= 0 selects item i and
    // leaves the others; setting it to -1 deselects the lowest selected item only.
    int currentIndex() const;
    void setCurrentIndex(int index);
    void clearSelection();
    int selectedCount() const;

    // Status panel 1's selection texts: " [No.12]  a.jpg" for item SourceIndex, and
    // " 3 ヶ所選択" for the selected count.
    QString currentItemLine() const;
    QString countLine() const;
    // The current-item line when exactly one item is selected, the count line when more
    // are; with none selected the panel keeps its text.
    void showSelectionLine();

    void FormCreate();
    void Timer2Timer();
    void Timer3Timer();
    void ListView1DblClick();
    void ListView1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at);
    void ListView1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at);
    void ListView1KeyUp(int key, Qt::KeyboardModifiers shift);
    // An edit of a caption in the list: a user's edit never renames a file.
    void ListView1Changing(int index, const QString& newCaption, bool* allow);
    bool ListView1DragOver(QPoint at);
    void ListView1DragDrop(QPoint at);

    // State of the moves.
    int DropIndex = -1;       // the item the selection was dropped on, fixed for the move
    int LastIndex = -1;       // thumbnail count - 1 at the drop
    int RemainingCount = 0;   // selected count at the drop minus the carries so far
    bool MoveForward = false; // the pass carries toward higher places
    bool FirstPass = false;
    int ScrollDirection = 0; // 0 none, 1 up, 2 down
    int DragOverItem = -1;   // item under the pointer at the last drag-over

    // Moves the entry at from (thumbnail and caption) to place to, the entries between
    // one place toward from; selection marks stay where they are.
    void carry(int from, int to);
    // Called before every carry; a test makes a carry fail through it.
    std::function<void(int from, int to)> beforeCarry;
    void Folder1Click();
    void SyuuRyouClick();
    void KobetuClick();
    void IkkatuClick();
    void SetteiClick();
    void VERSIONClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void startupStep();
    void openDialog(QWidget* dialog, QWidget* focus);
    void applySettingsFile(const QByteArray& content);
    // Places the window's outer frame and sets its outer size as far as the settings file
    // gave them.
    void applyStoredFrame();
    void keepStoredFrame();
    void layoutCatalogue();
    void finishLoading();

    bool isSelected(int index) const;
    void setSelected(int index, bool selected);
    void singleMoveTick();
    void multiMoveTick();
    void moveFailed();
    QString moveProgressLine() const;
    int pressedIndex_ = -1; // the dragged item, followed through the carries

    // The load's picture object: it decodes the files ahead of their ticks.
    std::unique_ptr<ThumbnailLoader> picture_;

    bool ending_ = false; // the main window has been closed: the program is ending
    // The main window's frame as the settings file gave it, kept until the window
    // manager's own frame is known.
    struct StoredFrame {
        std::optional<int> top, left, width, height;
    };
    std::optional<StoredFrame> storedFrame_;
    QMargins marginsWhenPlaced_;
    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
};

} // namespace volmarin
