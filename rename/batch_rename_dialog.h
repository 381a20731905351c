#pragma once

#include "rename/rename_rules.h"

#include "ui_TForm3.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <utility>
#include <vector>

namespace volmarin {

// The batch rename dialog: renames a run of catalogue files to sequentially numbered
// names in catalogue order. OK validates the fields; the check phase follows one Timer1
// tick later and the rename phase one Timer2 tick after that, while the notice box shows
// the progress.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    TForm3();

    Ui::TForm3 ui;
    QTimer* Timer1 = nullptr; // the check phase, one tick
    QTimer* Timer2 = nullptr; // the rename phase, one tick

    // What OK read from the fields, kept until the next OK.
    std::int32_t StartNumber = 0;
    std::int32_t ItemCount = 0;
    std::int32_t RangeStart = 0;
    std::int32_t RangeEnd = 0;
    std::int32_t DeleteCount = 0;

    void FormCreate();
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void Edit1Change();
    void Edit4Change();
    void Edit5Change();
    void Edit6Change();
    void Button1Click(); // OK
    void Button2Click(); // キャンセル
    void Timer1Timer();
    void Timer2Timer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Catalogue positions of the run, first and last included; empty when last < first.
    struct Run {
        int first = 0;
        int last = -1;
    };
    Run currentRun() const;
    BatchNaming naming() const;

    // The check that failed last decides the message.
    QString validationMessage();
    // Ends the batch with a notice whose OK gives this dialog back.
    void finish(const QString& mainLine, const QString& secondLine = {});
    void leave();

    std::vector<std::pair<QWidget*, QString>> hints_;
};

} // namespace volmarin
