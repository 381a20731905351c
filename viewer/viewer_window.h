#pragma once

#include "ui_TForm7.h"

#include <QWidget>

namespace volmarin {

// The full-screen viewer: one picture at a time on black, over the whole screen.
class TForm7 : public QWidget {
    Q_OBJECT
public:
    TForm7();

    Ui::TForm7 ui;

    void FormCreate();
    // Closes the viewer and gives back the window that opened it.
    void Image1Click();

protected:
    // However the viewer is closed (a click, the notice box, the window manager), its
    // opener is given back, so it is never left disabled.
    void closeEvent(QCloseEvent* event) override;
};

} // namespace volmarin
