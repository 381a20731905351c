#include "chooser/folder_chooser.h"

#include "app/program_state.h"
#include "app/window_set.h"
#include "platform/file_exists.h"
#include "platform/fonts.h"

#include <QCloseEvent>
#include <QDir>

namespace volmarin {

namespace {
const QString FileMask = QStringLiteral("*.bmp;*.jpg");
}

TForm2::TForm2() : currentFolder_(QDir::currentPath()) {
    ui.setupUi(this);
    prepareDialogWindow(this, CloseBox::Shown, QPoint(62, 69));
    ui.Label1->setFont(programFont(16));
    connect(ui.Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
}

void TForm2::setFolder(const QString& path) {
    if (QDir::setCurrent(path)) {
        currentFolder_ = QDir::currentPath();
    }
    refresh();
}

void TForm2::refresh() {
    const QStringList files = listFiles(currentFolder_, FileMask);
    ui.FileListBox1->clear();
    ui.FileListBox1->addItems(files);
    ui.Label1->setText(QStringLiteral("%1 Files").arg(files.size()));
}

int TForm2::fileCount() const {
    return ui.FileListBox1->count();
}

QString TForm2::fileEntry(int index) const {
    return ui.FileListBox1->item(index)->text();
}

void TForm2::Button2Click() {
    hide();
    setWindowEnabled(MainWindow, true);
}

void TForm2::closeEvent(QCloseEvent* event) {
    event->accept();
    setWindowEnabled(MainWindow, true);
}

} // namespace volmarin
