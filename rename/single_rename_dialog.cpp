#include "rename/single_rename_dialog.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "catalogue/list_selection.h"
#include "platform/file_exists.h"
#include "platform/fonts.h"
#include "platform/key_codes.h"
#include "platform/name_codec.h"
#include "platform/paths.h"
#include "rename/name_field_limit.h"
#include "rename/rename_rules.h"
#include "viewer/notice_box.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace volmarin {

TForm4::TForm4() {
    ui.setupUi(this);
    prepareDialogWindow(this, CloseBox::Shown, QPoint(242, 243));
    ui.Memo1->setFont(programFont(15));
    limitToCodePoints(ui.Memo1, MaxTypedNameLength);
    ui.Memo1->installEventFilter(this);
    connect(ui.Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(ui.Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.Memo1 && event->type() == QEvent::KeyPress) {
        Memo1KeyDown(virtualKeyFromQt(static_cast<QKeyEvent*>(event)->key()));
    }
    return QWidget::eventFilter(watched, event);
}

void TForm4::Memo1KeyDown(int key) {
    if (key == VK_RETURN) {
        Button1Click();
    }
    if (key == VK_ESCAPE) {
        hide();
        setWindowEnabled(MainWindow, true);
    }
}

void TForm4::showWaitingNotice(const QString& mainLine) {
    Form6->showNotice(SingleRenameWindow, mainLine);
    Form6->ui.Button1->setFocus();
}

void TForm4::Button1Click() {
    // The field holds the shown form, in which a byte that is not UTF-8 reads "\xHH": what
    // the user leaves of such a name keeps its bytes.
    const QString newName = nameFromDisplay(ui.Memo1->text());
    if (newName.isEmpty() || SourceIndex < 0 || SourceIndex >= Form1->catalogue->count()) {
        return;
    }
    const QString oldName = Form1->catalogue->caption(SourceIndex);
    const QString newPath = joinPath(LoadedFolder, newName);
    const QString oldPath = joinPath(LoadedFolder, oldName);

    if (fileExists(newPath)) {
        showWaitingNotice(QStringLiteral("同名ファイルがあります"));
    }
    if (!fileExists(oldPath)) {
        showWaitingNotice(QStringLiteral("ファイルが見当たりません"));
    }
    // Tested again: the disk is the only judge, and it may have changed meanwhile.
    if (!fileExists(oldPath) || fileExists(newPath)) {
        return;
    }
    if (!renameFile(LoadedFolder, oldName, newName)) {
        Form6->showNotice(SingleRenameWindow, renameFailureMainLine(), renameFailureSecondLine());
        return;
    }
    Form1->catalogue->setCaption(SourceIndex, newName);
    Form1->setStatusLine(Form1->listSelection().currentItemLine());
    hide();
    setWindowEnabled(MainWindow, true);
}

void TForm4::Button2Click() {
    hide();
    setWindowEnabled(MainWindow, true);
}

void TForm4::closeEvent(QCloseEvent* event) {
    // A dialog that waits on a notice takes no input, the close box included.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    event->accept();
    setWindowEnabled(MainWindow, true);
}

} // namespace volmarin
