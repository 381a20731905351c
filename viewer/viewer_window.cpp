#include "viewer/viewer_window.h"

#include "app/program_state.h"
#include "app/window_set.h"
#include "platform/fonts.h"

#include <QCloseEvent>

namespace volmarin {

TForm7::TForm7() {
    ui.setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFont(programFont(12));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    move(0, 0);
    FormCreate();
}

void TForm7::FormCreate() {
    // A borderless window has no window menu to trim: nothing to do on this platform.
}

void TForm7::Image1Click() {
    close();
}

void TForm7::closeEvent(QCloseEvent* event) {
    const bool wasShown = isVisible();
    event->accept();
    if (wasShown) {
        setWindowEnabled(ReturnWindow, true);
    }
}

} // namespace volmarin
