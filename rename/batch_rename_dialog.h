#pragma once

#include "ui_TForm3.h"

#include <QWidget>

namespace volmarin {

// The batch rename dialog: renames a run of catalogue files to sequentially numbered
// names in catalogue order.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    TForm3();

    Ui::TForm3 ui;

    void Button2Click(); // キャンセル

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace volmarin
