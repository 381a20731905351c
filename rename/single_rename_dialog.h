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

    void Button2Click(); // キャンセル

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace volmarin
