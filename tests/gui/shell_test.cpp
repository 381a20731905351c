// The main window's commands, the mode word's guard, start-up and exit.
#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/screen_cursors.h"
#include "app/window_set.h"
#include "chooser/folder_chooser.h"
#include "platform/fonts.h"
#include "rename/batch_rename_dialog.h"
#include "rename/single_rename_dialog.h"
#include "viewer/notice_box.h"
#include "viewer/size_dialog.h"
#include "viewer/viewer_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTimer>

using namespace volmarin;
using namespace volmarin::test;

namespace {

QByteArray crlfLines(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toUtf8() + "\r\n";
    }
    return out;
}

QList<QWidget*> dialogs() {
    return {Form2, Form3, Form4, Form5, Form6, Form7};
}

bool anyDialogShown() {
    for (QWidget* dialog : dialogs()) {
        if (dialog->isVisible()) {
            return true;
        }
    }
    return false;
}

class ShellTest : public WindowSetTest {};

} // namespace

TEST_F(ShellTest, StartsWithOnlyTheMainWindowAndItsInitialState) {
    startProgram();
    EXPECT_TRUE(Form1->isVisible());
    EXPECT_FALSE(anyDialogShown());
    EXPECT_EQ(Form1->windowTitle(), "VOLMARIN");
    EXPECT_EQ(Form1->modeWord(), "");
    EXPECT_EQ(Form1->pos(), QPoint(0, 0));
    EXPECT_EQ(Form1->frameGeometry().size(), QSize(800, 599)) << "the outer size";
    EXPECT_EQ(Form1->ImageList1.width(), 100);
    EXPECT_EQ(Form1->Timer1->interval(), 100);
    EXPECT_EQ(Form1->Timer2->interval(), 100);
    EXPECT_EQ(Form1->Timer3->interval(), 80);
    EXPECT_FALSE(Form1->Timer1->isActive());
    EXPECT_FALSE(Form1->Timer2->isActive()) << "the start-up tick stops its own timer";
    EXPECT_FALSE(Form1->Timer3->isActive());
    EXPECT_EQ(Form5->ui.Edit1->text(), "80");
    EXPECT_EQ(StartFolder, QDir::currentPath());
    EXPECT_TRUE(errors.isEmpty());

    const QStringList captions = {"開く", "一括連番", "リネーム",
                                  "設定", "お知らせ", "画像Ｖｉｅｗ"};
    for (int i = 0; i < captions.size(); ++i) {
        EXPECT_EQ(dialogs()[i]->windowTitle(), captions[i]);
    }
    EXPECT_EQ(Form2->size(), QSize(680, 428));
    EXPECT_EQ(Form3->size(), QSize(528, 200));
    EXPECT_EQ(Form4->size(), QSize(314, 88));
    EXPECT_EQ(Form5->size(), QSize(194, 128));
    EXPECT_EQ(Form6->size(), QSize(248, 148));
    EXPECT_EQ(Form5->pos(), QPoint(302, 201));
    EXPECT_EQ(Form6->pos(), QPoint(276, 205));
}

TEST_F(ShellTest, CreationSetsHintTimingAndRegistersTheTwoDragCursors) {
    startProgram();
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 10);
    const QCursor left = screenCursor(CursorDragLeft);
    const QCursor right = screenCursor(CursorDragRight);
    ASSERT_EQ(left.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(left.hotSpot(), QPoint(0, 0));
    EXPECT_EQ(right.hotSpot(), QPoint(0, 0));
    const QImage l = left.pixmap().toImage();
    EXPECT_EQ(right.pixmap().toImage(), l.mirrored(true, false)) << "R is L mirrored";
    EXPECT_NE(l, l.mirrored(true, false));
    // Black outline, white fill, clear elsewhere.
    int black = 0, white = 0, clear = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QColor c = l.pixelColor(x, y);
            clear += c.alpha() == 0;
            black += c.alpha() == 255 && c.value() == 0;
            white += c.alpha() == 255 && c.value() == 255;
        }
    }
    EXPECT_EQ(black + white + clear, 32 * 32);
    EXPECT_GT(black, 0);
    EXPECT_GT(white, 0);
    EXPECT_GT(clear, 0);
}

TEST_F(ShellTest, MenuCaptionsKeepTheirAccessKeysAndShortcuts) {
    startProgram();
    const auto& ui = Form1->ui;
    EXPECT_EQ(ui.Open1->title(), "ファイル(&F)");
    EXPECT_EQ(ui.Riname->title(), "リネーム(&R)");
    EXPECT_EQ(ui.Hyouzi->title(), "表示(&V)");
    EXPECT_EQ(ui.N1->title(), "ヘルプ(&H)");
    EXPECT_EQ(ui.Folder1->text(), "開く(&O)");
    EXPECT_EQ(ui.SyuuRyou->text(), "終了(&X)");
    EXPECT_EQ(ui.Kobetu->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(ui.Ikkatu->shortcut(), QKeySequence("Ctrl+I"));
    EXPECT_EQ(ui.Settei->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_TRUE(ui.Folder1->shortcut().isEmpty());
    EXPECT_EQ(ui.VERSION->text(), "バージョン情報(&A)");

    // Each menu drops down in the program's font, as the rest of its text.
    for (QAction* menu : ui.MainMenu1->actions()) {
        QTest::mouseClick(ui.MainMenu1, Qt::LeftButton, {},
                          ui.MainMenu1->actionGeometry(menu).center());
        QWidget* shown = QApplication::activePopupWidget();
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->font().families(), programFontFamilies());
        EXPECT_EQ(shown->font().pixelSize(), 12);
        shown->close();
    }
}

// Every command, by menu and by shortcut, refuses to act while the program is busy.
TEST_F(ShellTest, EveryCommandDoesNothingWhileLoadingOrMoving) {
    startProgram();
    Form1->catalogue->append("a.jpg");
    SourceIndex = 0;
    LoadedFolder = startFolder();
    for (const QString& busy : {mode::Loading, mode::Moving}) {
        SCOPED_TRACE(busy.toStdString());
        Form1->setModeWord(busy);
        const auto& ui = Form1->ui;
        for (QAction* entry :
             {ui.Folder1, ui.Kobetu, ui.Ikkatu, ui.Settei, ui.VERSION, ui.SyuuRyou}) {
            clickMenuEntry(entry);
        }
        Form1->activateWindow();
        QTest::keyClick(Form1, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(Form1, Qt::Key_I, Qt::ControlModifier);
        QTest::keyClick(Form1, Qt::Key_S, Qt::ControlModifier);
        EXPECT_FALSE(anyDialogShown());
        EXPECT_TRUE(Form1->isEnabled());
        EXPECT_TRUE(Form1->isVisible());
        EXPECT_FALSE(QFile::exists(settingsPath())) << "the exit command must not write";
        EXPECT_EQ(Form1->modeWord(), busy);
    }
}

TEST_F(ShellTest, CommandsOpenTheirWindowsWhenAllowed) {
    startProgram();
    // Nothing is current and nothing loaded: the rename commands do nothing.
    QTest::keyClick(Form1, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(Form1, Qt::Key_I, Qt::ControlModifier);
    EXPECT_FALSE(anyDialogShown());

    Form1->catalogue->append("b.jpg");
    SourceIndex = 0;
    LoadedFolder = startFolder();
    Form1->setModeWord(mode::Movable);

    QTest::keyClick(Form1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Form4->isVisible());
    EXPECT_FALSE(Form1->isEnabled());
    EXPECT_EQ(Form4->ui.Memo1->text(), "b.jpg");
    click(Form4->ui.Button2);
    EXPECT_FALSE(Form4->isVisible());
    EXPECT_TRUE(Form1->isEnabled());

    clickMenuEntry(Form1->ui.Ikkatu);
    EXPECT_TRUE(Form3->isVisible());
    Form3->close(); // the close box gives the main window back too
    EXPECT_TRUE(Form1->isEnabled());

    clickMenuEntry(Form1->ui.Folder1);
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_FALSE(Form1->isEnabled());
    click(Form2->ui.Button2);
    EXPECT_TRUE(Form1->isEnabled());
}

TEST_F(ShellTest, VersionNoticeAndItsOkGiveBackTheMainWindow) {
    startProgram();
    clickMenuEntry(Form1->ui.VERSION);
    ASSERT_TRUE(Form6->isVisible());
    EXPECT_EQ(Form6->mainLine(), "VOLMARIN Version 1.6");
    EXPECT_FALSE(Form6->secondLine().isEmpty());
    EXPECT_FALSE(Form1->isEnabled());
    EXPECT_EQ(ReturnWindow, 1);
    click(Form6->ui.Button1);
    EXPECT_FALSE(Form6->isVisible());
    EXPECT_TRUE(Form1->isEnabled());
    EXPECT_TRUE(Form6->secondLine().isEmpty());

    // A following notice without a second line shows none.
    Form6->showNotice(MainWindow, "この方法でリネームはできません");
    EXPECT_TRUE(Form6->secondLine().isEmpty());
}

TEST_F(ShellTest, ExitCommandWritesEighteenLinesOnceThenTheCloseHandlerDoesNot) {
    startProgram();
    Form1->move(40, 30);
    Form1->resize(640, 480);
    Form5->ui.Edit1->setText("120");
    DefaultFolder = startFolder();
    clickMenuEntry(Form1->ui.SyuuRyou);
    EXPECT_EQ(ExitByMenu, 1);
    EXPECT_FALSE(Form1->isVisible());
    const QByteArray written = readSettings();
    const QList<QByteArray> lines = written.split('\n');
    ASSERT_EQ(lines.size(), 19) << written.toStdString();
    EXPECT_TRUE(written.endsWith("\r\n"));
    EXPECT_EQ(lines[0], "30\r");
    EXPECT_EQ(lines[1], "40\r");
    // Width and height are the outer size, frame included.
    EXPECT_EQ(lines[2], QByteArray::number(Form1->frameGeometry().width()) + "\r");
    EXPECT_EQ(lines[3], QByteArray::number(Form1->frameGeometry().height()) + "\r");
    EXPECT_GE(Form1->frameGeometry().width(), 640);
    EXPECT_EQ(lines[4], "69\r"); // chooser top
    EXPECT_EQ(lines[5], "62\r"); // chooser left
    EXPECT_EQ(lines[16], "120\r");
    EXPECT_EQ(QString::fromUtf8(lines[17].chopped(1)), startFolder());

    QFile::remove(settingsPath());
    Form1->close(); // the main window's close handler finds the file already written
    EXPECT_FALSE(QFile::exists(settingsPath()));
}

TEST_F(ShellTest, ClosingTheMainWindowWritesEvenWhileBusy) {
    startProgram();
    Form1->setModeWord(mode::Loading);
    Form1->close();
    EXPECT_EQ(readSettings().count('\n'), 18);
}

TEST_F(ShellTest, SavedPlacesComeBackAtTheNextStart) {
    QDir(startFolder()).mkdir("photos");
    const QString photos = QDir(startFolder()).filePath("photos");
    writeSettings(crlfLines({"11", "12", "700", "500", "21", "22", "31", "32", "41", "42", "51",
                             "52", "61", "62", "0", "0", "$14", photos}));
    startProgram();
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
    EXPECT_EQ(Form1->pos(), QPoint(12, 11));
    EXPECT_EQ(Form1->frameGeometry().size(), QSize(700, 500)) << "the outer size";
    EXPECT_EQ(Form2->pos(), QPoint(22, 21));
    EXPECT_EQ(Form3->pos(), QPoint(32, 31));
    EXPECT_EQ(Form6->pos(), QPoint(62, 61));
    EXPECT_EQ(Form5->ui.Edit1->text(), "$14");
    EXPECT_EQ(DefaultFolder, photos);
    EXPECT_EQ(Form2->currentFolder(), photos);
    EXPECT_EQ(StartFolder, startFolder()) << "taken before the chooser moves";

    // The next exit writes into the start folder, not the chooser's folder.
    Form1->close();
    EXPECT_EQ(readSettings(), crlfLines({"11", "12", "700", "500", "21", "22", "31", "32", "41",
                                         "42", "51", "52", "61", "62", "0", "0", "$14", photos}));
    EXPECT_FALSE(QFile::exists(QDir(photos).filePath("VOLMARIN.INI")));
}

TEST_F(ShellTest, ShortOrDamagedSettingsApplyWhatCameBefore) {
    {
        SCOPED_TRACE("ten lines");
        writeSettings("1\r\n2\r\n300\r\n400\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n");
        startProgram();
        EXPECT_EQ(Form4->pos(), QPoint(10, 9));
        EXPECT_EQ(Form5->pos(), QPoint(0, 0));
        EXPECT_EQ(Form7->pos(), QPoint(0, 0));
        EXPECT_EQ(Form5->ui.Edit1->text(), "");
        EXPECT_EQ(DefaultFolder, "");
        EXPECT_TRUE(errors.isEmpty());
        destroyWindowSet();
    }
    {
        SCOPED_TRACE("letters on line 3, LF line ends");
        writeSettings("15\n25\nabc\n400\n5\n6\n");
        startProgram();
        EXPECT_EQ(Form1->pos(), QPoint(25, 15));
        EXPECT_EQ(Form1->frameGeometry().size(), QSize(800, 599));
        EXPECT_EQ(Form2->pos(), QPoint(62, 69));
        EXPECT_EQ(Form5->ui.Edit1->text(), "80");
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].contains("abc"));
        destroyWindowSet();
    }
    {
        SCOPED_TRACE("a default folder that is gone");
        errors.clear();
        writeSettings(crlfLines({"0", "0", "800", "599", "0", "0", "0", "0", "0", "0", "0", "0",
                                 "0", "0", "0", "0", "80", startFolder() + "/gone"}));
        startProgram();
        EXPECT_EQ(DefaultFolder, "");
        EXPECT_EQ(Form2->currentFolder(), startFolder());
        Form1->close();
        EXPECT_TRUE(readSettings().endsWith("80\r\n\r\n"));
    }
}

// Closing the main window by its frame while a dialog that refuses to close is up: the
// settings are written once and the event loop ends, leaving no process without a window.
TEST_F(ShellTest, ClosingTheMainWindowWithADialogUpEndsTheProgramAndWritesOnce) {
    const auto openers = {&Ui::TForm1::Settei, &Ui::TForm1::VERSION};
    for (const auto opener : openers) {
        startProgram();
        clickMenuEntry(Form1->ui.*opener);
        ASSERT_TRUE(Form5->isVisible() || Form6->isVisible());
        QTimer::singleShot(0, Form1, [] { Form1->close(); });
        QTimer::singleShot(2000, Form1, [] { QCoreApplication::exit(99); });
        EXPECT_EQ(QCoreApplication::exec(), 0) << "closing the main window must end the program";
        EXPECT_EQ(readSettings().count("\r\n"), 18);

        writeSettings("left alone");
        Form1->close(); // a repeated request
        EXPECT_EQ(readSettings(), "left alone");
        destroyWindowSet();
    }
}

TEST_F(ShellTest, StoredSizesAreKeptWithinTheScreen) {
    const QSize screen = QGuiApplication::primaryScreen()->availableVirtualSize();
    writeSettings("5\r\n6\r\n2147483647\r\n2147483647\r\n");
    startProgram();
    EXPECT_EQ(Form1->pos(), QPoint(6, 5)) << "places are applied as read";
    EXPECT_LE(Form1->frameGeometry().width(), screen.width());
    EXPECT_LE(Form1->frameGeometry().height(), screen.height());
    destroyWindowSet();

    writeSettings("5\r\n6\r\n-300\r\n0\r\n");
    startProgram();
    EXPECT_GE(Form1->width(), Form1->minimumSizeHint().width());
    EXPECT_GE(Form1->height(), Form1->minimumSizeHint().height());
}

// A window given back by a dialog, the notice box or the viewer is the active one again,
// with the keyboard where it was before.
TEST_F(ShellTest, AWindowGivenBackTakesTheKeyboardWhereItWas) {
    startProgram();
    Form1->ListView1->setFocus();
    clickMenuEntry(Form1->ui.Settei);
    activate(Form5);
    click(Form5->ui.Button2);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == Form1; }, 1000));
    EXPECT_TRUE(Form1->ListView1->hasFocus());

    // A double click in the chooser's empty file list: the notice that no file is there.
    clickMenuEntry(Form1->ui.Folder1);
    activate(Form2);
    QTest::mouseDClick(Form2->ui.FileListBox1->viewport(), Qt::LeftButton);
    ASSERT_TRUE(Form6->isVisible());
    activate(Form6);
    click(Form6->ui.Button1);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == Form2; }, 1000));
    EXPECT_TRUE(Form2->ui.FileListBox1->hasFocus());
}

// Enter presses the push button that has the focus, in whichever window it is: each opens
// with a button focused but the chooser, where the user moves the focus onto キャンセル.
TEST_F(ShellTest, EnterPressesTheFocusedButtonOfEveryWindow) {
    startProgram();
    LoadedFolder = startFolder();
    const std::pair<QAction*, QWidget*> openings[] = {{Form1->ui.VERSION, Form6},
                                                      {Form1->ui.Settei, Form5},
                                                      {Form1->ui.Ikkatu, Form3},
                                                      {Form1->ui.Folder1, Form2}};
    for (const auto& [opener, window] : openings) {
        clickMenuEntry(opener);
        activate(window);
        if (window == Form2) {
            Form2->ui.Button2->setFocus(Qt::TabFocusReason);
        }
        ASSERT_TRUE(qobject_cast<QPushButton*>(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(window->isVisible()) << window->windowTitle().toStdString();
        EXPECT_TRUE(Form1->isEnabled());
    }
}

// What a label shows is its text exactly: drawn as the same label draws plain text, with no
// markup read into a file name and no blanks collapsed.
bool showsAsPlainText(QLabel* label) {
    const QImage shown = label->grab().toImage();
    const Qt::TextFormat format = label->textFormat();
    label->setTextFormat(Qt::PlainText);
    const QImage plain = label->grab().toImage();
    label->setTextFormat(format);
    return shown == plain;
}

TEST_F(ShellTest, NamesInTheStatusBarAndTheNoticeBoxAreShownExactlyAsStored) {
    startProgram();
    const QString name = QStringLiteral("p  &lt;q <b>r</b>.bmp");
    Form1->setStatusLine(QStringLiteral(" [No.1]  ") + name);
    Form6->showNotice(MainWindow, name, name);
    auto* panel1 = Form1->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    ASSERT_TRUE(panel1);
    for (QLabel* label : {panel1, Form6->ui.Panel1, Form6->ui.Label1}) {
        EXPECT_TRUE(showsAsPlainText(label)) << label->objectName().toStdString();
    }
}
