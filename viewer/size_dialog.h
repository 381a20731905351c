#pragma once

#include "ui_TForm5.h"

#include <QWidget>

namespace volmarin {

// The thumbnail-size dialog: the text of Edit1 is the edge length, in pixels, of the
// thumbnails that the next load makes (20 to 150).
class TForm5 : public QWidget {
    Q_OBJECT
public:
    TForm5();

    Ui::TForm5 ui;

    void FormCreate();
    void Button1Click(); // OK
    void Button2Click(); // キャンセル
    void Button3Click(); // ↑
    void Button4Click(); // ↓
    void Edit1Change();

protected:
    // The close box is removed; the window manager's close requests are ignored.
    void closeEvent(QCloseEvent* event) override;

private:
    void step(int delta);
};

inline constexpr int MinThumbnailSize = 20;
inline constexpr int MaxThumbnailSize = 150;
// The most characters the user can type into the size field.
inline constexpr int MaxTypedSizeLength = 3;

} // namespace volmarin
