#include "viewer/viewer_window.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "catalogue/image_decoder.h"
#include "catalogue/list_selection.h"
#include "chooser/folder_chooser.h"
#include "platform/fonts.h"
#include "platform/key_codes.h"
#include "platform/paths.h"
#include "platform/window_frame.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QSignalBlocker>

namespace volmarin {

namespace {
constexpr int KeyX = 88;
constexpr int KeyZ = 90;

QRect primaryScreenGeometry() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}
} // namespace

TForm7::TForm7() {
    ui.setupUi(this);
    setWindowFrame(this, WindowFrame::Borderless);
    setFont(programFont(12));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    // The picture control takes no clicks of its own: the window sees every click on it.
    ui.Image1->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui.Image1->setContentsMargins(0, 0, 0, 0);
    ui.Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    move(0, 0);
    FormCreate();
}

void TForm7::FormCreate() {
    // A borderless window has no window menu here, so there is no move entry to remove.
}

QSize TForm7::screenSize() const {
    return fixedScreenSize_.isValid() ? fixedScreenSize_ : primaryScreenGeometry().size();
}

void TForm7::showImageFile(const QString& path, int owner) {
    const QSize screen = screenSize();
    // Placed over the screen rather than maximized: without a window manager nothing would
    // maximize it, and with one a maximized window may leave room for panels.
    setGeometry(QRect(primaryScreenGeometry().topLeft(), screen));
    ui.Image1->setGeometry(QRect(QPoint(0, 0), screen));
    setStackingOwner(this, windowByNumber(owner));
    show();
    raise();
    activateWindow();

    QImage canvas = pages_.take(path, screen);
    if (canvas.isNull()) {
        const FileStamp before = FileStamp::of(path);
        canvas = composeOnScreen(path, screen.width(), screen.height());
        pages_.keepShown(path, screen, FileStamp::of(path) == before ? before : FileStamp(),
                         canvas);
    }
    // The canvas is shared, not converted: a copy in the screen's own format would cost a
    // fresh screen-sized buffer on every showing, while drawing converts on the fly.
    ui.Image1->setPixmap(QPixmap::fromImage(canvas, Qt::NoFormatConversion));
    setWindowEnabled(owner, false);
    ReturnWindow = owner;
    prepareNeighbours(path, owner);
}

void TForm7::prepareNeighbours(const QString& path, int owner) {
    QString previous;
    QString next;
    if (owner == MainWindow) {
        const int count = Form1->catalogue->count();
        if (SourceIndex < 0 || SourceIndex >= count ||
            joinPath(LoadedFolder, Form1->catalogue->caption(SourceIndex)) != path) {
            return;
        }
        if (SourceIndex > 0) {
            previous = joinPath(LoadedFolder, Form1->catalogue->caption(SourceIndex - 1));
        }
        if (SourceIndex < count - 1) {
            next = joinPath(LoadedFolder, Form1->catalogue->caption(SourceIndex + 1));
        }
    } else if (owner == ChooserWindow) {
        const int row = Form2->ui.FileListBox1->currentRow();
        if (Form2->selectedFile() != path) {
            return;
        }
        if (row > 0) {
            previous = joinPath(Form2->currentFolder(), Form2->fileEntry(row - 1));
        }
        if (row < Form2->fileCount() - 1) {
            next = joinPath(Form2->currentFolder(), Form2->fileEntry(row + 1));
        }
    } else {
        return;
    }
    pages_.surround(path, previous, next, screenSize(), lastStepForward_);
}

void TForm7::Image1Click() {
    close();
}

void TForm7::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!isVisible()) {
        return;
    }
    ui.Image1->clear();
    pages_.clear();
    hide();
    if (ReturnWindow == MainWindow || ReturnWindow == ChooserWindow) {
        setWindowEnabled(ReturnWindow, true);
    }
}

void TForm7::mousePressEvent(QMouseEvent* event) {
    pressedOnPicture_ = event->button() == Qt::LeftButton;
}

void TForm7::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and a release on the picture; the release of the double click
    // that opened the viewer is not one.
    const bool click = pressedOnPicture_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressedOnPicture_ = false;
    if (click) {
        Image1Click();
    }
}

void TForm7::keyReleaseEvent(QKeyEvent* event) {
    // A held key pages once, when it is let go.
    if (event->isAutoRepeat()) {
        return;
    }
    FormKeyUp(virtualKeyFromQt(event->key()));
}

void TForm7::FormKeyUp(int virtualKey) {
    const bool forward = virtualKey == VK_RIGHT || virtualKey == KeyX;
    const bool back = virtualKey == VK_LEFT || virtualKey == KeyZ;
    if (!forward && !back) {
        return;
    }
    if (ReturnWindow == MainWindow) {
        // The step goes from the picture shown, which stays within the catalogue whatever
        // else is selected.
        const int shown = SourceIndex;
        if (forward ? shown < Form1->ImageList1.count() - 1 : shown > 0) {
            lastStepForward_ = forward;
            SourceIndex += forward ? 1 : -1;
            Form1->listSelection().clearSelection();
            Form1->listSelection().setCurrentIndex(SourceIndex);
            Form1->ListView1DblClick();
        }
    } else if (ReturnWindow == ChooserWindow) {
        QListWidget* files = Form2->ui.FileListBox1;
        const int row = files->currentRow();
        if (forward ? row < files->count() - 1 : row > 0) {
            lastStepForward_ = forward;
            {
                // Paging moves the selection without the list's change handler.
                const QSignalBlocker quiet(files);
                files->setCurrentRow(row + (forward ? 1 : -1));
            }
            Form2->FileListBox1DblClick();
        }
    }
}

} // namespace volmarin
