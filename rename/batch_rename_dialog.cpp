#include "rename/batch_rename_dialog.h"

#include "app/program_state.h"
#include "app/window_set.h"
#include "platform/fonts.h"

#include <QCloseEvent>

namespace volmarin {

TForm3::TForm3() {
    ui.setupUi(this);
    prepareDialogWindow(this, CloseBox::Shown, QPoint(136, 198));
    for (QLineEdit* field : {ui.Edit1, ui.Edit2, ui.Edit3, ui.Edit4, ui.Edit5, ui.Edit6}) {
        field->setFont(programFont(16));
    }
    ui.Label2->setFont(programFont(21));
    ui.Label5->setFont(programFont(21));
    connect(ui.Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
}

void TForm3::Button2Click() {
    hide();
    setWindowEnabled(MainWindow, true);
}

void TForm3::closeEvent(QCloseEvent* event) {
    event->accept();
    setWindowEnabled(MainWindow, true);
}

} // namespace volmarin
