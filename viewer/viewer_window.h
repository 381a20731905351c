#pragma once

#include "ui_TForm7.h"
#include "viewer/page_cache.h"

#include <QWidget>

namespace volmarin {

// The full-screen viewer: one picture at a time on black, over the whole screen. The
// window that opened it (ReturnWindow 1, the catalogue, or 2, the chooser) stays disabled
// while it is shown, and its list is what the arrow keys page through.
class TForm7 : public QWidget {
    Q_OBJECT
public:
    TForm7();

    Ui::TForm7 ui;

    // Shows the file composed on black over the whole screen, then disables owner and makes
    // it ReturnWindow. A file that cannot be decoded throws DecodeError with the viewer
    // already up and the owner untouched.
    void showImageFile(const QString& path, int owner);

    // The size the viewer covers: the primary screen's, unless a test has fixed another.
    QSize screenSize() const;
    void setScreenSize(QSize size) { fixedScreenSize_ = size; }

    // The pictures composed ahead for paging (tests and measurements look into it).
    PageCache& pageCache() { return pages_; }

    void FormCreate();
    void FormKeyUp(int virtualKey);
    // Closes the viewer and gives back the window that opened it.
    void Image1Click();

protected:
    // However the viewer is closed (a click, the notice box, the window manager), it
    // behaves as a click on the picture, so its opener is never left disabled.
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Starts composing the pictures on either side of path in the owner's list, when
    // path is that list's current entry.
    void prepareNeighbours(const QString& path, int owner);

    QSize fixedScreenSize_;
    PageCache pages_;
    bool pressedOnPicture_ = false;
    bool lastStepForward_ = true;
};

} // namespace volmarin
