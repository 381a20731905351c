#include "rename/batch_rename_dialog.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "catalogue/list_selection.h"
#include "platform/fonts.h"
#include "platform/name_codec.h"
#include "platform/number_syntax.h"
#include "rename/folder_index.h"
#include "viewer/notice_box.h"

#include <QCloseEvent>

#include <algorithm>

namespace volmarin {

namespace {

constexpr int PhaseDelayMs = 100;
// Four digits hold the numbers up to 9999.
constexpr std::int64_t NumberLimit = 10000;

// The current item's line again: a batch may have renamed it.
void refreshStatusLine() {
    if (SourceIndex >= 0 && SourceIndex < Form1->catalogue->count()) {
        Form1->setStatusLine(Form1->listSelection().currentItemLine());
    }
}

} // namespace

TForm3::TForm3() {
    ui.setupUi(this);
    prepareDialogWindow(this, CloseBox::Shown, QPoint(136, 198));
    for (QLineEdit* field : {ui.Edit1, ui.Edit2, ui.Edit3, ui.Edit4, ui.Edit5, ui.Edit6}) {
        field->setFont(programFont(16));
    }
    ui.Label2->setFont(programFont(21));
    ui.Label5->setFont(programFont(21));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(PhaseDelayMs);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(PhaseDelayMs);

    connect(Timer1, &QTimer::timeout, this, &TForm3::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm3::Timer2Timer);
    connect(ui.Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(ui.Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    connect(ui.CheckBox1, &QCheckBox::toggled, this, &TForm3::CheckBox1Click);
    connect(ui.CheckBox2, &QCheckBox::toggled, this, &TForm3::CheckBox2Click);
    connect(ui.CheckBox3, &QCheckBox::toggled, this, &TForm3::CheckBox3Click);
    connect(ui.Edit1, &QLineEdit::textChanged, this, &TForm3::Edit1Change);
    connect(ui.Edit4, &QLineEdit::textChanged, this, &TForm3::Edit4Change);
    connect(ui.Edit5, &QLineEdit::textChanged, this, &TForm3::Edit5Change);
    connect(ui.Edit6, &QLineEdit::textChanged, this, &TForm3::Edit6Change);
    FormCreate();
}

void TForm3::FormCreate() {
    ui.Edit1->setToolTip(hintLines({"連番として付けたい", "最初の番号"}));
    ui.Edit2->setToolTip(hintLines(
        {"連番とファイル名の間の文字です", "同名ファイルがある時など", "変えてみて下さい"}));
    ui.Edit3->setToolTip(hintLines({"新しく付けたいファイル名"}));
    ui.Edit4->setToolTip(hintLines({"現在付いているファイル名の先頭から", "削除したい文字数です",
                                    "既に連番が付いている時など", "４で旧連番を削除出来ます"}));
    ui.Edit5->setToolTip(hintLines({"リネームを開始する画像No.", "この画像からスタートします"}));
    ui.Edit6->setToolTip(hintLines({"リネームを終了する画像No.", "この画像でストップします"}));
    // The hint check box switches exactly these eight; it remembers their texts.
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui.Edit1, ui.Edit2, ui.Edit3, ui.Edit4, ui.Edit5, ui.Edit6,
                                         ui.CheckBox1, ui.CheckBox2}) {
        hints_.emplace_back(control, control->toolTip());
    }
    CheckBox3Click();
}

void TForm3::CheckBox1Click() {
    const bool ownName = ui.CheckBox1->isChecked();
    ui.Edit3->setEnabled(!ownName);
    ui.Label4->setEnabled(!ownName);
    ui.Label6->setEnabled(ownName);
    ui.Label7->setEnabled(ownName);
    ui.Edit4->setEnabled(ownName);
    if (!ownName) {
        ui.Edit3->setFocus();
    }
}

void TForm3::CheckBox2Click() {
    const bool wholeCatalogue = ui.CheckBox2->isChecked();
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui.Edit5, ui.Edit6, ui.Label8, ui.Label9, ui.Label10}) {
        control->setEnabled(!wholeCatalogue);
    }
    if (!wholeCatalogue) {
        ui.Edit5->setFocus();
    }
}

void TForm3::CheckBox3Click() {
    const bool shown = ui.CheckBox3->isChecked();
    for (const auto& [control, hint] : hints_) {
        control->setToolTip(shown ? hint : QString());
    }
}

void TForm3::Edit1Change() {
    emptyUnlessWholeNumber(ui.Edit1);
}

void TForm3::Edit4Change() {
    emptyUnlessWholeNumber(ui.Edit4);
}

void TForm3::Edit5Change() {
    emptyUnlessWholeNumber(ui.Edit5);
}

void TForm3::Edit6Change() {
    emptyUnlessWholeNumber(ui.Edit6);
}

QString TForm3::validationMessage() {
    const bool wholeCatalogue = ui.CheckBox2->isChecked();
    const bool ownName = ui.CheckBox1->isChecked();
    QString message;
    if (!wholeCatalogue && (ui.Edit5->text().isEmpty() || ui.Edit6->text().isEmpty())) {
        message = QStringLiteral("画像No. が入力されてません");
    }
    if (ownName && ui.Edit4->text().isEmpty()) {
        message = QStringLiteral("削除文字数が入力されてません");
    }
    if (ui.Edit1->text().isEmpty()) {
        message = QStringLiteral("開始連番数字が入力されてません");
    }
    if (!message.isEmpty()) {
        return message;
    }

    StartNumber = toWholeNumber(ui.Edit1->text());
    ItemCount = Form1->ImageList1.count();
    if (!wholeCatalogue) {
        RangeStart = toWholeNumber(ui.Edit5->text());
        RangeEnd = toWholeNumber(ui.Edit6->text());
    }
    if (ownName) {
        DeleteCount = toWholeNumber(ui.Edit4->text());
    }

    const std::int64_t numbersLeft = NumberLimit - StartNumber;
    const std::int64_t rangeLength = std::int64_t(RangeEnd) - RangeStart + 1;
    if (!wholeCatalogue && numbersLeft < rangeLength) {
        message = QStringLiteral("連番が４桁を越えてしまいます");
    }
    if (!wholeCatalogue && RangeStart > RangeEnd) {
        message = QStringLiteral("開始画像No.が終了画像No.を越えてます");
    }
    if (!wholeCatalogue && (RangeStart > ItemCount || RangeEnd > ItemCount)) {
        message = QStringLiteral("そんなに大きい画像No.はありません");
    }
    if (!wholeCatalogue && (RangeStart < 1 || RangeEnd < 1)) {
        message = QStringLiteral("画像No.0 はありません");
    }
    if (wholeCatalogue && numbersLeft < ItemCount) {
        message = QStringLiteral("連番が４桁を越えてしまいます");
    }
    return message;
}

void TForm3::Button1Click() {
    ReturnWindow = NoWindow;
    const QString problem = validationMessage();
    if (!problem.isEmpty()) {
        Form6->ui.Button1->show();
        Form6->showNotice(BatchRenameWindow, problem);
        return;
    }
    // From here on the batch cannot be stopped: no button until its end.
    Form6->ui.Button1->hide();
    Form6->showNotice(NoWindow, QStringLiteral("ファイルチェック中"));
    setEnabled(false);
    Timer1->start();
}

TForm3::Run TForm3::currentRun() const {
    Run run;
    if (ui.CheckBox2->isChecked()) {
        run = {0, ItemCount - 1};
    } else {
        run = {RangeStart - 1, RangeEnd - 1};
    }
    // Validation keeps the run inside the image list, which holds one thumbnail per item.
    run.first = std::max(run.first, 0);
    run.last = std::min(run.last, Form1->catalogue->count() - 1);
    return run;
}

BatchNaming TForm3::naming() const {
    return {ui.Edit2->text(), ui.Edit3->text(), ui.CheckBox1->isChecked(), DeleteCount};
}

void TForm3::finish(const QString& mainLine, const QString& secondLine) {
    Form6->showNotice(BatchRenameWindow, mainLine, secondLine);
    Form6->ui.Button1->show();
}

void TForm3::Timer1Timer() {
    Timer1->stop();
    const Run run = currentRun();
    const CatalogueModel& catalogue = *Form1->catalogue;
    // One look at the folder answers every name of the pass.
    const FolderIndex disk(LoadedFolder);
    for (int i = run.first; i <= run.last; ++i) {
        if (!disk.fileExists(catalogue.caption(i))) {
            finish(QStringLiteral("見当たらないファイルがあります"),
                   nameForDisplay(catalogue.caption(i)));
            return;
        }
    }
    const BatchNaming names = naming();
    for (int i = run.first; i <= run.last; ++i) {
        const QString newName = NewName(names, catalogue.caption(i), StartNumber + (i - run.first));
        if (disk.fileExists(newName)) {
            finish(QStringLiteral("同名ファイルがあります"), nameForDisplay(newName));
            return;
        }
    }
    Form6->ui.Panel1->setText(QStringLiteral("連番リネーム中"));
    Timer2->start();
}

void TForm3::Timer2Timer() {
    Timer2->stop();
    const Run run = currentRun();
    const BatchNaming names = naming();
    // Read again rather than trusting the check phase: a tick has passed, and a name taken
    // meanwhile in another letter case must still stop the pass.
    FolderIndex disk(LoadedFolder);
    for (int i = run.first; i <= run.last; ++i) {
        const QString caption = Form1->catalogue->caption(i);
        const QString newName = NewName(names, caption, StartNumber + (i - run.first));
        if (!disk.fileExists(caption) && disk.fileExists(newName)) {
            continue; // already renamed, by an earlier pass or by hand
        }
        if (!renameFile(disk, caption, newName)) {
            finish(renameFailureMainLine(), renameFailureSecondLine());
            refreshStatusLine();
            return;
        }
        Form1->catalogue->setCaption(i, newName);
    }
    finish(QStringLiteral("完了"));
    refreshStatusLine();
}

void TForm3::leave() {
    setWindowEnabled(MainWindow, true);
    // With no current item this deselects the lowest selected one.
    Form1->listSelection().setCurrentIndex(SourceIndex);
}

void TForm3::Button2Click() {
    hide();
    leave();
}

void TForm3::closeEvent(QCloseEvent* event) {
    // While a notice or a batch is up the dialog takes no input, the close box included.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    event->accept();
    leave();
}

} // namespace volmarin
