#include "viewer/size_dialog.h"

#include "app/program_state.h"
#include "app/window_set.h"
#include "platform/fonts.h"
#include "platform/number_syntax.h"
#include "rename/name_field_limit.h"
#include "viewer/notice_box.h"

#include <QCloseEvent>

namespace volmarin {

TForm5::TForm5() {
    ui.setupUi(this);
    prepareDialogWindow(this, CloseBox::Removed, QPoint(302, 201));
    ui.Edit1->setFont(programFont(15));
    // The limit is on typing only: the settings file, キャンセル and ↑/↓ put their text in
    // whole, and it is written back as it stands.
    limitToCodePoints(ui.Edit1, MaxTypedSizeLength);
    connect(ui.Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(ui.Button2, &QPushButton::clicked, this, &TForm5::Button2Click);
    connect(ui.Button3, &QPushButton::clicked, this, &TForm5::Button3Click);
    connect(ui.Button4, &QPushButton::clicked, this, &TForm5::Button4Click);
    connect(ui.Edit1, &QLineEdit::textChanged, this, &TForm5::Edit1Change);
    FormCreate();
}

void TForm5::FormCreate() {
    // The window menu's Close entry is gone: prepareDialogWindow drew no close box and
    // closeEvent refuses the window manager's requests.
}

void TForm5::closeEvent(QCloseEvent* event) {
    // Left only through its buttons. The exit closes it only while it is hidden, and then
    // the program ends anyway.
    event->ignore();
}

void TForm5::Edit1Change() {
    emptyUnlessWholeNumber(ui.Edit1);
}

void TForm5::step(int delta) {
    QString text = ui.Edit1->text();
    if (text.isEmpty()) {
        text = PreviousSize;
    }
    const std::int32_t value = toWholeNumber(text);
    // Only the value before the step is tested, so 145 goes up to 155; OK refuses it.
    const bool canStep = delta > 0 ? value < MaxThumbnailSize : value > MinThumbnailSize;
    if (canStep) {
        ui.Edit1->setText(QString::number(value + delta));
    }
}

void TForm5::Button3Click() {
    step(+10);
}

void TForm5::Button4Click() {
    step(-10);
}

void TForm5::Button1Click() {
    QString text = ui.Edit1->text();
    if (text.isEmpty()) {
        text = QStringLiteral("0");
        ui.Edit1->setText(PreviousSize);
    }
    const std::int32_t value = toWholeNumber(text);
    if (value > MaxThumbnailSize || value < MinThumbnailSize) {
        Form6->showNotice(SizeWindow, QStringLiteral("有効範囲は20から150までです"));
        return;
    }
    hide();
    setWindowEnabled(MainWindow, true);
}

void TForm5::Button2Click() {
    ui.Edit1->setText(PreviousSize);
    hide();
    setWindowEnabled(MainWindow, true);
}

} // namespace volmarin
