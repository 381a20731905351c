#include "rename/single_rename_dialog.h"

#include "app/program_state.h"
#include "app/window_set.h"
#include "platform/fonts.h"

#include <QCloseEvent>

namespace volmarin {

TForm4::TForm4() {
    ui.setupUi(this);
    prepareDialogWindow(this, CloseBox::Shown, QPoint(242, 243));
    ui.Memo1->setFont(programFont(15));
    connect(ui.Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
}

void TForm4::Button2Click() {
    hide();
    setWindowEnabled(MainWindow, true);
}

void TForm4::closeEvent(QCloseEvent* event) {
    event->accept();
    setWindowEnabled(MainWindow, true);
}

} // namespace volmarin
