#include "chooser/folder_chooser.h"

#include "app/program_state.h"
#include "app/window_set.h"
#include "chooser/folder_entries.h"
#include "chooser/folder_probe.h"
#include "platform/file_exists.h"
#include "platform/fonts.h"
#include "platform/name_codec.h"
#include "platform/paths.h"
#include "platform/working_folder.h"
#include "viewer/notice_box.h"

#include <QCloseEvent>
#include <QDir>
#include <QPainter>
#include <QStyle>

namespace volmarin {

namespace {

const QString FileMask = QStringLiteral("*.bmp;*.jpg");
const QString FolderUnreachable = QStringLiteral("フォルダを開けません");
const QString VolumeGone = QStringLiteral("ドライブが見当たりません");
const QString DefaultSet = QStringLiteral("設定しました");

constexpr int FolderRowHeight = 16;
constexpr int FileRowHeight = 12;
constexpr int FileScrollMargin = 10;
constexpr int FolderScrollMargin = 300;

QIcon volumeIcon(const QStyle* style, VolumeKind kind) {
    switch (kind) {
    case VolumeKind::Removable:
        return style->standardIcon(QStyle::SP_DriveFDIcon);
    case VolumeKind::Network:
        return style->standardIcon(QStyle::SP_DriveNetIcon);
    case VolumeKind::Optical:
        return style->standardIcon(QStyle::SP_DriveCDIcon);
    case VolumeKind::Fixed:
        break;
    }
    return style->standardIcon(QStyle::SP_DriveHDIcon);
}

// The current folder's picture: the open folder with a marker, so that it stands out from
// the path above it.
QIcon currentFolderIcon(const QStyle* style) {
    QPixmap picture = style->standardIcon(QStyle::SP_DirOpenIcon).pixmap(16, 16);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(QColor(0, 96, 192));
    painter.drawEllipse(QRectF(9.5, 9.5, 6, 6));
    painter.end();
    return QIcon(picture);
}

QIcon folderIcon(const QStyle* style, FolderEntryKind kind) {
    switch (kind) {
    case FolderEntryKind::Path:
        return style->standardIcon(QStyle::SP_DirOpenIcon);
    case FolderEntryKind::Current:
        return currentFolderIcon(style);
    case FolderEntryKind::SubFolder:
        break;
    }
    return style->standardIcon(QStyle::SP_DirClosedIcon);
}

} // namespace

TForm2::TForm2() : currentFolder_(workingFolder()) {
    ui.setupUi(this);
    prepareDialogWindow(this, CloseBox::Shown, QPoint(62, 69));
    ui.Label1->setFont(programFont(16));
    ui.DriveComboBox1->setIconSize(QSize(14, 14));
    ui.DirectoryListBox1->setRowHeight(FolderRowHeight);
    ui.DirectoryListBox1->setIconSize(QSize(16, 16));
    ui.FileListBox1->setRowHeight(FileRowHeight);

    connect(ui.Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(ui.Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(ui.Button3, &QPushButton::clicked, this, &TForm2::Button3Click);
    connect(ui.CheckBox1, &QCheckBox::toggled, this, &TForm2::CheckBox1Click);
    connect(ui.DriveComboBox1, &QComboBox::activated, this, &TForm2::DriveComboBox1Change);
    connect(ui.DirectoryListBox1, &FolderListBox::entryChosen, this,
            &TForm2::DirectoryListBox1Chosen);
    connect(ui.FileListBox1, &FileListBox::selectionMovedByUser, this, &TForm2::FileListBox1Change);
    connect(ui.FileListBox1, &FileListBox::doubleClickedByUser, this,
            &TForm2::FileListBox1DblClick);

    FormCreate();
    fillDriveBox();
    if (!enterFolder(currentFolder_)) {
        showCurrentFolder();
    }
}

void TForm2::FormCreate() {
    defaultButtonHint_ = hintLines({"このフォルダを起動時に", "開く様にします"});
    slowReadHint_ =
        hintLines({"大きいサイズの画像が", "サムネイル表示されない時に", "チェックしてみて下さい"});
    fileListHint_ =
        hintLines({"ダブルクリックで表示します", "表示中", "[→][X]キー 次へ", "[←][Z]キー 戻る"});
    applyHints();
}

bool TForm2::setFolder(const QString& path) {
    return enterFolder(path);
}

void TForm2::refresh() {
    fillDriveBox();
    // A folder removed while the chooser was closed gives way to the nearest one left.
    QString folder = currentFolder_;
    FolderAnswer answer = probeFolder(folder, FolderAnswerLimit);
    while (answer == FolderAnswer::NotFolder && folder != QStringLiteral("/")) {
        folder = absoluteFolderPath(folder + QStringLiteral("/.."));
        answer = probeFolder(folder, FolderAnswerLimit);
    }
    // One on a volume that stopped answering meanwhile leaves the lists as they were, with
    // the notice, rather than freeze the window on the first look at it.
    if (answer == FolderAnswer::NoAnswer) {
        Form6->showNotice(ChooserWindow, FolderUnreachable, nameForDisplay(folder));
        return;
    }
    if (!enterFolder(folder)) {
        showCurrentFolder();
    }
}

int TForm2::fileCount() const {
    return ui.FileListBox1->count();
}

QString TForm2::fileEntry(int index) const {
    return ui.FileListBox1->item(index)->text();
}

QString TForm2::selectedFile() const {
    const QListWidgetItem* entry = ui.FileListBox1->currentItem();
    if (entry == nullptr || !entry->isSelected()) {
        return {};
    }
    return joinPath(currentFolder_, entry->text());
}

bool TForm2::slowRead() const {
    return ui.CheckBox2->isChecked();
}

bool TForm2::enterFolder(const QString& path) {
    const QString folder = absoluteFolderPath(path);
    if (!isReadableFolder(folder) || !setWorkingFolder(folder)) {
        return false;
    }
    currentFolder_ = folder;
    const qsizetype volume = volumeIndexFor(volumes_, folder);
    if (volume >= 0) {
        lastFolderOnVolume_[volumes_[volume].mountPoint] = folder;
    }
    showCurrentFolder();
    return true;
}

void TForm2::chooseFolder(const QString& path) {
    // A sub-folder can be where a volume is mounted whose server has stopped.
    if (probeFolder(path, FolderAnswerLimit) == FolderAnswer::NoAnswer || !enterFolder(path)) {
        // The list keeps showing where the chooser is, not the entry that was refused.
        FolderListBox* list = ui.DirectoryListBox1;
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->data(Qt::UserRole).toString() == currentFolder_) {
                list->setCurrentRow(row);
            }
        }
        Form6->showNotice(ChooserWindow, FolderUnreachable, nameForDisplay(path));
    }
}

void TForm2::showCurrentFolder() {
    selectDriveOfCurrentFolder();
    rebuildFolderList();
    rereadFileList();
    DirectoryListBox1Change();
}

void TForm2::fillDriveBox() {
    volumes_ = mountedVolumes();
    ui.DriveComboBox1->clear();
    for (const Volume& volume : volumes_) {
        ui.DriveComboBox1->addItem(volumeIcon(style(), volume.kind), volumeCaption(volume));
    }
    selectDriveOfCurrentFolder();
}

void TForm2::selectDriveOfCurrentFolder() {
    ui.DriveComboBox1->setCurrentIndex(int(volumeIndexFor(volumes_, currentFolder_)));
}

void TForm2::rebuildFolderList() {
    FolderListBox* list = ui.DirectoryListBox1;
    list->clear();
    // Each picture is made once and shared by its rows: a folder of many thousand
    // sub-folders would otherwise ask the icon theme as often.
    const QIcon pictures[] = {folderIcon(style(), FolderEntryKind::Path),
                              folderIcon(style(), FolderEntryKind::Current),
                              folderIcon(style(), FolderEntryKind::SubFolder)};
    int currentRow = -1;
    for (const FolderEntry& entry : folderEntries(currentFolder_)) {
        // Filled before it joins the list: each change of an item in a list searches the
        // list for it, a cost that grows with the square of the rows.
        auto* item = new QListWidgetItem(pictures[int(entry.kind)], entry.name);
        item->setData(Qt::UserRole, entry.path);
        item->setData(ListRowDelegate::IndentRole, entry.depth);
        if (entry.kind == FolderEntryKind::Current) {
            currentRow = list->count();
        }
        list->addItem(item);
    }
    list->setCurrentRow(currentRow);
    list->scrollToItem(list->item(currentRow));
}

void TForm2::rereadFileList() {
    ui.FileListBox1->clear();
    ui.FileListBox1->addItems(listFiles(currentFolder_, FileMask));
    FileListBox1Change();
}

void TForm2::applyHints() {
    const bool shown = ui.CheckBox1->isChecked();
    ui.FileListBox1->setToolTip(shown ? fileListHint_ : QString());
    ui.CheckBox2->setToolTip(shown ? slowReadHint_ : QString());
    ui.Button3->setToolTip(shown ? defaultButtonHint_ : QString());
}

void TForm2::DirectoryListBox1Chosen(int row) {
    if (const QListWidgetItem* entry = ui.DirectoryListBox1->item(row)) {
        chooseFolder(entry->data(Qt::UserRole).toString());
    }
}

void TForm2::DriveComboBox1Change(int index) {
    if (index < 0 || index >= volumes_.size()) {
        return;
    }
    const QString mountPoint = volumes_[index].mountPoint;
    if (!isMountedAt(mountPoint)) {
        fillDriveBox();
        Form6->showNotice(ChooserWindow, VolumeGone, nameForDisplay(mountPoint));
        return;
    }
    // A volume whose server has stopped is listed all the same; choosing it asks it once,
    // for a bounded time, and gives the notice of a folder that cannot be entered.
    if (probeFolder(mountPoint, FolderAnswerLimit) == FolderAnswer::NoAnswer) {
        selectDriveOfCurrentFolder();
        Form6->showNotice(ChooserWindow, FolderUnreachable, nameForDisplay(mountPoint));
        return;
    }
    // The folder last visited there, or the volume's top when that folder has gone since.
    const QString remembered = lastFolderOnVolume_.value(mountPoint, mountPoint);
    if (enterFolder(remembered) || (remembered != mountPoint && enterFolder(mountPoint))) {
        return;
    }
    selectDriveOfCurrentFolder();
    Form6->showNotice(ChooserWindow, FolderUnreachable, nameForDisplay(mountPoint));
}

void TForm2::DirectoryListBox1Change() {
    FolderListBox* list = ui.DirectoryListBox1;
    list->setScrollWidth(list->widestEntryWidth() + FolderScrollMargin);
}

void TForm2::FileListBox1Change() {
    FileListBox* list = ui.FileListBox1;
    ui.Label1->setText(QStringLiteral("%1 Files").arg(list->count()));
    list->setScrollWidth(list->widestEntryWidth() + FileScrollMargin);
}

void TForm2::Button2Click() {
    hide();
    setWindowEnabled(MainWindow, true);
}

void TForm2::Button3Click() {
    DefaultFolder = currentFolder_;
    Form6->showNotice(ChooserWindow, DefaultSet);
}

void TForm2::CheckBox1Click() {
    applyHints();
}

void TForm2::FormClose() {
    setWindowEnabled(MainWindow, true);
}

void TForm2::closeEvent(QCloseEvent* event) {
    event->accept();
    FormClose();
}

} // namespace volmarin
