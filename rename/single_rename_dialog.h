#pragma once

#include "ui_TForm4.h"

#include <QWidget>

namespace volmarin {

// The single-item rename dialog: gives the current catalogue item's file a typed name.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    TForm4();

    Ui::TForm4 ui;

    void Button1Click(); // OK
    void Button2Click(); // キャンセル
    // Receives every key pressed in Memo1 as its virtual-key number; returns nothing
    // because the key always goes on to the field.
    void Memo1KeyDown(int key);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A notice that waits for the user: this dialog is given back by its OK, which takes
    // the focus so that Enter dismisses it.
    void showWaitingNotice(const QString& mainLine);
};

} // namespace volmarin
