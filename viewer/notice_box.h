#pragma once

#include "ui_TForm6.h"

#include <QWidget>

namespace volmarin {

// The notice box: a main line, an optional second line and OK. Its OK gives back the
// window that ReturnWindow names.
class TForm6 : public QWidget {
    Q_OBJECT
public:
    TForm6();

    Ui::TForm6 ui;

    QString mainLine() const { return ui.Panel1->text(); }
    QString secondLine() const { return ui.Label1->text(); }

    // What every caller does to raise a notice: ReturnWindow := returnWindow, the two lines
    // set, the window that returnWindow names disabled, the box shown.
    void showNotice(int returnWindow, const QString& mainLine, const QString& secondLine = {});

    void FormCreate();
    void Button1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace volmarin
