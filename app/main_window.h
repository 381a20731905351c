#pragma once

#include "catalogue/catalogue_model.h"
#include "catalogue/catalogue_view.h"
#include "catalogue/thumbnail_list.h"

#include "ui_TForm1.h"

#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <optional>

namespace volmarin {

class CatalogueLoad;
class ListSelection;
class MoveEngine;
class SelectionInput;
struct MainWindowLinks;

// The main window: the catalogue list, the menu and the two-panel status bar whose first
// panel holds the mode word. It hosts the catalogue's loading, selection and moves, to
// which its handlers hand the work.
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

    CatalogueLoad& catalogueLoad() { return *load_; }
    ListSelection& listSelection() { return *selection_; }
    MoveEngine& moves() { return *moves_; }

    // Writes the settings file from the windows' present state (both exit paths use it).
    void settingsWrite();

    void FormCreate();
    void Timer1Timer();
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
    void applyStoredFrame(const QMargins& margins);
    void keepStoredFrame();
    void checkStoredFrame();
    QMargins currentFrameMargins() const;
    void layoutCatalogue();

    // The main window's frame as the settings file gave it (or the first start's), kept
    // until a window manager's frame is known and seen at that place.
    struct StoredFrame {
        std::optional<int> top, left, width, height;
    };
    std::optional<StoredFrame> storedFrame_;
    QMargins marginsWhenPlaced_;
    QPoint placeAsked_;
    QSize sizeAsked_;
    // Looks again, a moment after each request, whether the window manager put the frame
    // where it was asked; a few more requests at most.
    QTimer frameCheck_;
    int frameRequestsLeft_ = 8;

    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
    std::unique_ptr<MainWindowLinks> links_;
    std::unique_ptr<ListSelection> selection_;
    std::unique_ptr<CatalogueLoad> load_;
    std::unique_ptr<MoveEngine> moves_;
    std::unique_ptr<SelectionInput> input_;
    bool ending_ = false; // the main window has been closed: the program is ending
};

} // namespace volmarin
