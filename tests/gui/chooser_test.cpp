// The folder chooser: its drive box, folder list, file list, count label and buttons.
#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "chooser/chooser_lists.h"
#include "chooser/folder_chooser.h"
#include "chooser/volumes.h"
#include "chooser/widest_text.h"
#include "platform/fonts.h"
#include "platform/name_codec.h"
#include "viewer/notice_box.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <algorithm>

#include <sys/mount.h>
#include <sys/stat.h>

using namespace volmarin;
using namespace volmarin::test;

// Readable failure messages for names and lists of names.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

QStringList rowTexts(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) {
        texts << list->item(row)->text();
    }
    return texts;
}

QListWidgetItem* rowNamed(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.last();
}

QPoint centreOf(QListWidget* list, QListWidgetItem* item) {
    list->scrollToItem(item);
    return list->visualItemRect(item).center();
}

void clickRow(QListWidget* list, const QString& text) {
    QListWidgetItem* item = rowNamed(list, text);
    ASSERT_NE(item, nullptr) << text.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centreOf(list, item));
}

void doubleClickRow(QListWidget* list, const QString& text) {
    QListWidgetItem* item = rowNamed(list, text);
    ASSERT_NE(item, nullptr) << text.toStdString();
    const QPoint at = centreOf(list, item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// The folder list's rows for a folder: root, the path down to it, then the given
// sub-folders.
QStringList folderRows(const QString& folder, const QStringList& subFolders) {
    return QStringList{"/"} + folder.split('/', Qt::SkipEmptyParts) + subFolders;
}

// The horizontal extent a list can be scrolled over.
int scrollExtent(QListWidget* list) {
    return list->horizontalScrollBar()->maximum() + list->viewport()->width();
}

class ChooserTest : public WindowSetTest {
protected:
    QString folder(const QString& name) const { return QDir(startFolder()).filePath(name); }

    void openChooser() {
        clickMenuEntry(Form1->ui.Folder1);
        ASSERT_TRUE(Form2->isVisible());
        activate(Form2);
    }
};

} // namespace

TEST_F(ChooserTest, ListsOnlyBmpAndJpegFilesInListOrderWithTheirCount) {
    QDir(startFolder()).mkdir("photos");
    QDir(folder("photos")).mkdir("y.jpg");
    for (const char* name : {"PHOTO.JPG", "photo.Bmp", ".x.jpg", "x.jpeg", "x.png", "b.jpg",
                             "A.bmp", "a.jpg", "IMG_2.jpg", "IMG_10.jpg"}) {
        touch(folder("photos/") + name);
    }
    startProgram();
    openChooser();
    EXPECT_EQ(Form2->fileCount(), 0);
    EXPECT_EQ(Form2->ui.Label1->text(), "0 Files");

    doubleClickRow(Form2->ui.DirectoryListBox1, "photos");
    ASSERT_EQ(Form2->currentFolder(), folder("photos"));
    const QStringList expected = {".x.jpg",     "A.bmp",     "a.jpg",     "b.jpg",
                                  "IMG_10.jpg", "IMG_2.jpg", "photo.Bmp", "PHOTO.JPG"};
    EXPECT_EQ(rowTexts(Form2->ui.FileListBox1), expected);
    EXPECT_EQ(Form2->fileCount(), 8);
    EXPECT_EQ(Form2->fileEntry(7), "PHOTO.JPG");
    EXPECT_EQ(Form2->ui.Label1->text(), "8 Files");

    // Rows are 12 pixels apart in the file list and 16 in the folder list.
    FileListBox* files = Form2->ui.FileListBox1;
    FolderListBox* folders = Form2->ui.DirectoryListBox1;
    EXPECT_EQ(files->visualItemRect(files->item(1)).top(), 12);
    EXPECT_EQ(folders->visualItemRect(folders->item(1)).top(), 16);

    // A click selects a file, which is then the selected file.
    EXPECT_EQ(Form2->selectedFile(), "");
    clickRow(files, "b.jpg");
    EXPECT_EQ(Form2->selectedFile(), folder("photos/b.jpg"));
    QTest::keyClick(files, Qt::Key_Down);
    EXPECT_EQ(Form2->selectedFile(), folder("photos/IMG_10.jpg"));
}

TEST_F(ChooserTest, FolderListWalksDownAndUpAndTheWorkingDirectoryFollows) {
    QDir start(startFolder());
    for (const char* name : {"b", "A", ".hidden", "c d", "b/inner"}) {
        start.mkpath(name);
    }
    touch(folder("b/one.jpg"));
    touch(folder("plain"));
    // A link to a folder is a folder; a name that is not UTF-8 (Latin-1 "zé") is listed too.
    ASSERT_TRUE(QFile::link(folder("A"), folder("link")));
    ASSERT_EQ(::mkdir(nameToBytes(startFolder()) + "/z\xE9", 0755), 0);
    const QStringList subFolders = {"A", "b", "c d", "link", nameFromBytes("z\xE9")};
    startProgram();
    openChooser();
    FolderListBox* folders = Form2->ui.DirectoryListBox1;
    EXPECT_EQ(rowTexts(folders), folderRows(startFolder(), subFolders));
    const int startRow = int(folderRows(startFolder(), {}).size()) - 1;
    EXPECT_EQ(folders->currentRow(), startRow) << "the current folder is selected";

    // A single click only selects.
    clickRow(folders, "b");
    EXPECT_EQ(folders->currentItem()->text(), "b");
    EXPECT_EQ(Form2->currentFolder(), startFolder());
    EXPECT_EQ(rowTexts(folders), folderRows(startFolder(), subFolders));

    // Enter on the selected entry enters it.
    QTest::keyClick(folders, Qt::Key_Return);
    EXPECT_EQ(Form2->currentFolder(), folder("b"));
    EXPECT_EQ(QDir::currentPath(), folder("b"));
    EXPECT_EQ(rowTexts(folders), folderRows(folder("b"), {"inner"}));
    EXPECT_EQ(folders->currentRow(), startRow + 1);
    EXPECT_EQ(rowTexts(Form2->ui.FileListBox1), QStringList{"one.jpg"});
    EXPECT_EQ(Form2->ui.Label1->text(), "1 Files");

    // Double-click on a sub-folder, then back up through a path entry.
    doubleClickRow(folders, "inner");
    EXPECT_EQ(Form2->currentFolder(), folder("b/inner"));
    EXPECT_EQ(Form2->ui.Label1->text(), "0 Files");
    doubleClickRow(folders, QDir(startFolder()).dirName());
    EXPECT_EQ(Form2->currentFolder(), startFolder());
    EXPECT_EQ(QDir::currentPath(), startFolder());

    // The root entry leads to the root, whose drive entry is "/".
    doubleClickRow(folders, "/");
    EXPECT_EQ(Form2->currentFolder(), "/");
    EXPECT_EQ(folders->currentRow(), 0);
    EXPECT_EQ(Form2->ui.DriveComboBox1->currentText().section(' ', 0, 0), "/");

    // Neither OK nor キャンセル is bound to Enter or Esc: from the file list, neither key
    // reaches them (Enter presses a button only when the button itself has the focus).
    Form2->setFolder(folder("b"));
    Form2->ui.FileListBox1->setFocus();
    QTest::keyClick(Form2->ui.FileListBox1, Qt::Key_Return);
    QTest::keyClick(Form2->ui.FileListBox1, Qt::Key_Escape);
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_EQ(Form1->modeWord(), "");
}

TEST_F(ChooserTest, DefaultButtonKeepsTheLastFolderAndItsNoticeGivesTheChooserBack) {
    QDir(startFolder()).mkdir("first");
    QDir(startFolder()).mkdir("second");
    startProgram();
    openChooser();
    for (const char* name : {"first", "second"}) {
        Form2->setFolder(folder(name));
        click(Form2->ui.Button3);
        EXPECT_EQ(DefaultFolder, folder(name));
        ASSERT_TRUE(Form6->isVisible());
        EXPECT_EQ(Form6->mainLine(), "設定しました");
        EXPECT_EQ(ReturnWindow, 2);
        EXPECT_FALSE(Form2->isEnabled());
        click(Form6->ui.Button1);
        EXPECT_FALSE(Form6->isVisible());
        EXPECT_TRUE(Form2->isEnabled());
    }
    EXPECT_EQ(DefaultFolder, folder("second"));
    EXPECT_TRUE(readSettings().isEmpty()) << "written only at exit";
}

TEST_F(ChooserTest, ReopeningShowsFilesAddedOrRemovedMeanwhile) {
    touch(folder("old.jpg"));
    startProgram();
    openChooser();
    EXPECT_EQ(Form2->ui.Label1->text(), "1 Files");
    click(Form2->ui.Button2);
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_TRUE(Form1->isEnabled());

    touch(folder("new.bmp"));
    openChooser();
    EXPECT_EQ(rowTexts(Form2->ui.FileListBox1), (QStringList{"new.bmp", "old.jpg"}));
    EXPECT_EQ(Form2->ui.Label1->text(), "2 Files");

    Form2->close(); // the close box, too, gives the main window back
    EXPECT_TRUE(Form1->isEnabled());
    QFile::remove(folder("old.jpg"));
    openChooser();
    EXPECT_EQ(rowTexts(Form2->ui.FileListBox1), QStringList{"new.bmp"});
    EXPECT_EQ(Form2->ui.Label1->text(), "1 Files");
}

TEST_F(ChooserTest, HintSwitchClearsAndRestoresTheThreeHints) {
    startProgram();
    openChooser();
    const QString fileHint = "ダブルクリックで表示します\n表示中\n[→][X]キー 次へ\n[←][Z]キー 戻る";
    const QString slowHint =
        "大きいサイズの画像が\nサムネイル表示されない時に\nチェックしてみて下さい";
    const QString defaultHint = "このフォルダを起動時に\n開く様にします";
    EXPECT_TRUE(Form2->ui.CheckBox1->isChecked());
    EXPECT_FALSE(Form2->slowRead());
    click(Form2->ui.CheckBox2);
    EXPECT_TRUE(Form2->slowRead());

    click(Form2->ui.CheckBox1);
    EXPECT_EQ(Form2->ui.FileListBox1->toolTip(), "");
    EXPECT_EQ(Form2->ui.CheckBox2->toolTip(), "");
    EXPECT_EQ(Form2->ui.Button3->toolTip(), "");
    click(Form2->ui.CheckBox1);
    EXPECT_EQ(Form2->ui.FileListBox1->toolTip(), fileHint);
    EXPECT_EQ(Form2->ui.CheckBox2->toolTip(), slowHint);
    EXPECT_EQ(Form2->ui.Button3->toolTip(), defaultHint);
    for (QWidget* other : {static_cast<QWidget*>(Form2->ui.Button1),
                           static_cast<QWidget*>(Form2->ui.DirectoryListBox1)}) {
        EXPECT_EQ(other->toolTip(), "");
    }
}

TEST_F(ChooserTest, FolderDeletedAfterListingIsReportedAndNothingMoves) {
    QDir(startFolder()).mkpath("gone/deeper");
    QDir(startFolder()).mkdir("stays");
    touch(folder("a.jpg"));
    startProgram();
    openChooser();
    FolderListBox* folders = Form2->ui.DirectoryListBox1;
    const QStringList foldersBefore = rowTexts(folders);
    ASSERT_TRUE(foldersBefore.contains("gone"));

    ASSERT_TRUE(QDir(folder("gone")).removeRecursively());
    doubleClickRow(folders, "gone");
    ASSERT_TRUE(Form6->isVisible());
    EXPECT_EQ(Form6->mainLine(), "フォルダを開けません");
    EXPECT_EQ(Form6->secondLine(), folder("gone"));
    EXPECT_EQ(ReturnWindow, 2);
    EXPECT_FALSE(Form2->isEnabled());
    EXPECT_EQ(Form2->currentFolder(), startFolder());
    EXPECT_EQ(QDir::currentPath(), startFolder());
    EXPECT_EQ(rowTexts(folders), foldersBefore);
    // The current folder's entry stands right above its sub-folders, and is selected again.
    EXPECT_EQ(folders->selectedItems(), QList{folders->item(foldersBefore.indexOf("gone") - 1)});
    EXPECT_EQ(rowTexts(Form2->ui.FileListBox1), QStringList{"a.jpg"});

    click(Form6->ui.Button1);
    EXPECT_TRUE(Form2->isEnabled());
    doubleClickRow(folders, "stays");
    EXPECT_EQ(Form2->currentFolder(), folder("stays"));
}

TEST_F(ChooserTest, ScrollWidthsFollowTheWidestName) {
    touch(folder("short.jpg"));
    startProgram();
    openChooser();
    FileListBox* files = Form2->ui.FileListBox1;
    const QFontMetrics metrics(files->font());
    EXPECT_EQ(scrollExtent(files),
              std::max(files->viewport()->width(), metrics.horizontalAdvance("short.jpg") + 10));
    EXPECT_FALSE(files->horizontalScrollBar()->isVisible());

    const QString longName = QString(200, 'w') + ".jpg";
    touch(folder(longName));
    Form2->refresh();
    const int wide = metrics.horizontalAdvance(longName) + 10;
    ASSERT_GT(wide, files->viewport()->width());
    EXPECT_EQ(scrollExtent(files), wide);
    EXPECT_TRUE(files->horizontalScrollBar()->isVisible());

    // The folder list keeps 300 pixels beyond its widest name (indentation not counted).
    QDir(startFolder()).mkdir(QString(120, 'm'));
    Form2->refresh();
    FolderListBox* folders = Form2->ui.DirectoryListBox1;
    EXPECT_EQ(scrollExtent(folders),
              QFontMetrics(folders->font()).horizontalAdvance(QString(120, 'm')) + 300);
    EXPECT_TRUE(folders->horizontalScrollBar()->isVisible());
}

TEST(ChooserVolumes, TheVolumeOfAFolderIsItsLongestMountPointAbove) {
    QList<Volume> volumes;
    for (const char* mountPoint : {"/", "/mnt/a", "/mnt/a/b", "/media/usb"}) {
        volumes.append({mountPoint, {}, {}, VolumeKind::Fixed});
    }
    EXPECT_EQ(volumeIndexFor(volumes, "/"), 0);
    EXPECT_EQ(volumeIndexFor(volumes, "/home/me"), 0);
    EXPECT_EQ(volumeIndexFor(volumes, "/mnt/a"), 1);
    EXPECT_EQ(volumeIndexFor(volumes, "/mnt/ab"), 0) << "a name prefix is no folder prefix";
    EXPECT_EQ(volumeIndexFor(volumes, "/mnt/a/b/c"), 2);
    EXPECT_EQ(volumeIndexFor(volumes, "/media/usb/DCIM"), 3);

    EXPECT_EQ(volumeCaption({"/media/usb", "CAMERA", "/dev/sdb1", VolumeKind::Removable}),
              "/media/usb [CAMERA]");
    EXPECT_EQ(volumeCaption({"/mnt/nas", "", "//nas/photos", VolumeKind::Network}),
              "/mnt/nas //nas/photos");

    const QList<Volume> mounted = mountedVolumes();
    ASSERT_FALSE(mounted.isEmpty());
    EXPECT_EQ(mounted[0].mountPoint, "/");
    for (const Volume& volume : mounted) {
        EXPECT_FALSE(volume.mountPoint.startsWith("/proc") || volume.mountPoint.startsWith("/sys"))
            << volume.mountPoint.toStdString();
    }
}

// The drive box reads the mount table as text: mount points with their escapes, the last
// mount at a place, the kernel's own file systems left out, kinds from the types.
TEST(ChooserVolumes, TheMountTableIsReadAsText) {
    const QByteArray table =
        "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
        "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
        "40 27 8:17 / /media/me/My\\040Photos rw shared:5 - vfat /dev/sdb1 rw\n"
        "41 27 0:50 / /mnt/nas rw - nfs4 nas:/export/photos rw\n"
        "42 27 0:51 / /mnt/nas rw - cifs //nas/photos rw\n"
        "43 27 11:0 / /media/cd ro - iso9660 /dev/sr0 ro\n"
        "44 27 0:52 / /mnt/caf\xE9 rw - fuse.sshfs me@host: rw\n"
        "45 27 0:53 / /run/user/1000 rw - tmpfs tmpfs rw\n"
        "not a line of the table\n";
    QStringList captions;
    QList<VolumeKind> kinds;
    for (const Volume& volume : volumesOfMountTable(table)) {
        captions << volumeCaption(volume);
        kinds << volume.kind;
    }
    EXPECT_EQ(captions, (QStringList{"/", "/media/cd", "/media/me/My Photos",
                                     "/mnt/caf\\xE9 me@host:", "/mnt/nas //nas/photos"}));
    EXPECT_EQ(kinds, (QList<VolumeKind>{VolumeKind::Fixed, VolumeKind::Optical, VolumeKind::Fixed,
                                        VolumeKind::Network, VolumeKind::Network}));
    EXPECT_EQ(volumesOfMountTable(table)[3].mountPoint, nameFromBytes("/mnt/caf\xE9"));
    EXPECT_EQ(volumesOfMountTable("")[0].mountPoint, "/");

    EXPECT_EQ(labelOfLinkName("My\\x20Photos"), "My Photos");
    EXPECT_EQ(labelOfLinkName("\\xe5\\x86\\x99\\xe7\\x9c\\x9f"), "写真");
    EXPECT_EQ(labelOfLinkName("A\\x2fB\\xZZ"), "A/B\\xZZ");
}

// A file mounted over a file (containers do it for /etc/hosts) is no volume: it is left out
// once the question asked in the background has its answer. A folder mounted so stays.
TEST(ChooserVolumes, AFileMountedOverAFileIsNoVolume) {
    QTemporaryDir dir;
    touch(dir.filePath("hosts"));
    touch(dir.filePath("etc-hosts"));
    QDir(dir.path()).mkdir("photos");
    QDir(dir.path()).mkdir("mnt");
    const QByteArray root = nameToBytes(dir.path());
    const auto unmount = [&] {
        ::umount2(root + "/etc-hosts", MNT_DETACH);
        ::umount2(root + "/mnt", MNT_DETACH);
    };
    if (::mount(root + "/hosts", root + "/etc-hosts", nullptr, MS_BIND, nullptr) != 0 ||
        ::mount(root + "/photos", root + "/mnt", nullptr, MS_BIND, nullptr) != 0) {
        unmount();
        GTEST_SKIP() << "bind mounts cannot be made here";
    }
    const auto listed = [](const QString& mountPoint) {
        const QList<Volume> volumes = mountedVolumes();
        return std::any_of(volumes.begin(), volumes.end(),
                           [&](const Volume& v) { return v.mountPoint == mountPoint; });
    };
    for (int round = 0; round < 500 && listed(dir.filePath("etc-hosts")); ++round) {
        QTest::qWait(10);
    }
    EXPECT_FALSE(listed(dir.filePath("etc-hosts")));
    EXPECT_TRUE(listed(dir.filePath("mnt")));
    unmount();
}

// The scroll width is that of the widest name as a whole line of text measures it, in any
// script, though only the names that can be the widest are measured whole.
TEST(ChooserLists, TheScrollWidthIsThatOfTheWidestName) {
    QStringList camera;
    for (int i = 1; i <= 9999; ++i) {
        camera << QString::asprintf("IMG_%04d.jpg", i);
    }
    const QList<QStringList> cases = {
        {},
        {"iiiiiiiiiiiiiiii.jpg", "WWWWWW.jpg", "mmmmmmm.jpg"},
        {"AVAVAVAVAVAV.jpg", "XXXXXXXXXX.jpg", "Te To Ty.jpg"},
        {"写真_2024.jpg", "しゃしん.bmp", "ＡＢＣ全角.jpg", "abcdefghijklmn.jpg"},
        {"e\u0301e\u0301e\u0301e\u0301.jpg", "eeeee.jpg"},
        {"\U0001F642\U0001F642\U0001F642.jpg", "abcdefgh.jpg"},
        {"مرحبا بالعالم.jpg", "שלום עולם.jpg", "hello world.jpg"},
        camera,
        camera + QStringList{"IMG_0001 (edited).jpg"},
    };
    const QFont font = programFont(12);
    const QFontMetrics metrics(font);
    for (const QStringList& names : cases) {
        int widest = 0;
        for (const QString& name : names) {
            widest = std::max(widest, metrics.horizontalAdvance(name));
        }
        EXPECT_EQ(widestTextWidth(font, names), widest) << names.value(0).toStdString();
    }
}

// Vertical extent of the ink (pixels darker than mid grey) in image, or -1 without ink.
int inkHeight(const QImage& image) {
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                top = top < 0 ? y : top;
                bottom = y;
                break;
            }
        }
    }
    return top < 0 ? -1 : bottom - top + 1;
}

// The picture of a list's only row, holding text, unselected.
QImage rowPicture(QListWidget* list, const QString& text) {
    list->clear();
    list->addItem(text);
    list->clearSelection();
    list->setCurrentRow(-1);
    return list->viewport()->grab(list->visualItemRect(list->item(0))).toImage();
}

// Every row shows its text whole, descenders and underscores included, in the rows'
// described heights: 12 pixels in the file list, 16 in the folder list. A byte of a name
// that is not UTF-8 shows as \xHH.
TEST_F(ChooserTest, RowsShowTheirTextWhole) {
    const QString text = QStringLiteral("IMG_0001 gjpqy 画像.jpg");
    startProgram();
    openChooser();
    for (ChooserListBox* list : {static_cast<ChooserListBox*>(Form2->ui.FileListBox1),
                                 static_cast<ChooserListBox*>(Form2->ui.DirectoryListBox1)}) {
        SCOPED_TRACE(list->objectName().toStdString());
        EXPECT_EQ(rowPicture(list, nameFromBytes("caf\xE9.jpg")), rowPicture(list, "caf\\xE9.jpg"));
        const QImage shown = rowPicture(list, text);

        // The same text drawn with room to spare, in the font the row uses.
        const auto* rows = static_cast<const ListRowDelegate*>(list->itemDelegate());
        QImage free(600, 80, QImage::Format_RGB32);
        free.fill(Qt::white);
        QPainter painter(&free);
        painter.setFont(rows->fittedFont(list->font()));
        painter.setPen(Qt::black);
        painter.drawText(10, 50, text);
        painter.end();

        EXPECT_EQ(inkHeight(shown), inkHeight(free)) << "the row cuts its text";
        EXPECT_GE(rows->fittedFont(list->font()).pixelSize(), 9) << "too small to read";
    }
}
