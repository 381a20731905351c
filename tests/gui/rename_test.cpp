// The single-item and batch rename dialogs, driven by clicks and keys, judged by the names
// and contents on disk, the captions, the status line and the notice box.
#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "catalogue/list_selection.h"
#include "rename/batch_rename_dialog.h"
#include "rename/single_rename_dialog.h"
#include "viewer/notice_box.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QWindow>

#include <unistd.h>

using namespace volmarin;
using namespace volmarin::test;

namespace {

const QString FailureSecondLine = QString::fromUtf8("\\ / : , ; * ? \" < > \uFF5C");

// Types text key by key; characters beyond ASCII arrive as an input method would send
// them, as key events that carry only their text.
void typeAny(QWidget* widget, const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80) {
            QTest::keyClick(widget, char(c));
        } else {
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString::fromUcs4(&c, 1),
                                Qt::NoModifier);
        }
    }
}

class RenameTest : public WindowSetTest {
protected:
    void SetUp() override {
        WindowSetTest::SetUp();
        photos = QDir(startFolder()).filePath("photos");
        ASSERT_TRUE(QDir(startFolder()).mkdir("photos"));
        startProgram();
        LoadedFolder = photos;
        Form1->ImageList1.setSize(8, 8);
    }

    // A catalogue as a load would leave it: one file, caption and thumbnail per name. Each
    // file holds its original name, so that every move can be traced.
    void addItems(const QStringList& names) {
        for (const QString& name : names) {
            makeFile(name, name.toUtf8());
            Form1->catalogue->append(name);
            QImage thumbnail(8, 8, QImage::Format_RGB888);
            thumbnail.fill(Qt::gray);
            Form1->ImageList1.append(thumbnail);
        }
    }
    void makeFile(const QString& name, const QByteArray& content) {
        QFile file(QDir(photos).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        file.write(content);
    }
    QByteArray contentOf(const QString& name) const {
        QFile file(QDir(photos).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QStringList onDisk(const QString& sub = {}) const {
        return QDir(QDir(photos).filePath(sub))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    }
    QStringList captions() const {
        QStringList out;
        for (int i = 0; i < Form1->catalogue->count(); ++i) {
            out << Form1->catalogue->caption(i);
        }
        return out;
    }
    // Moves the loaded folder two levels down, so that a name climbing out of it by "../.."
    // still lands inside the test's own folder, and adds a link to a folder outside it.
    void loadDeeperFolderWithLinkOut() {
        photos = QDir(startFolder()).filePath("photos/inner/photos");
        ASSERT_TRUE(QDir().mkpath(photos));
        LoadedFolder = photos;
        ASSERT_TRUE(QDir(startFolder()).mkdir("elsewhere"));
        ASSERT_EQ(::symlink("../../../elsewhere", QFile::encodeName(photos + "/out").constData()),
                  0);
    }
    // Every file under the start folder, relative to it.
    QStringList filesEverywhere() const {
        QStringList out;
        QDirIterator it(startFolder(), QDir::Files | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            out << QDir(startFolder()).relativeFilePath(it.next());
        }
        out.sort();
        return out;
    }
    void select(int index) {
        SourceIndex = index;
        Form1->listSelection().clearSelection();
        Form1->listSelection().setCurrentIndex(index);
    }

    QString photos;
};

class SingleRenameTest : public RenameTest {
protected:
    // 個別(&Z) by its shortcut, for item index.
    void open(int index) {
        select(index);
        activate(Form1);
        QTest::keyClick(Form1, Qt::Key_Z, Qt::ControlModifier);
        ASSERT_TRUE(Form4->isVisible());
        ASSERT_FALSE(Form1->isEnabled());
    }
    void retype(const QString& text) {
        QTest::keyClick(Form4->ui.Memo1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(Form4->ui.Memo1, Qt::Key_Delete);
        typeAny(Form4->ui.Memo1, text);
    }
    // A notice raised by this dialog, left with its OK; the dialog is open again after it.
    void expectNotice(const QString& mainLine, const QString& secondLine, bool okTakesFocus) {
        EXPECT_TRUE(Form6->isVisible());
        EXPECT_EQ(Form6->mainLine(), mainLine);
        EXPECT_EQ(Form6->secondLine(), secondLine);
        EXPECT_EQ(ReturnWindow, 4);
        EXPECT_FALSE(Form4->isEnabled());
        if (okTakesFocus) {
            EXPECT_EQ(Form6->focusWidget(), Form6->ui.Button1);
        }
        click(Form6->ui.Button1);
        EXPECT_FALSE(Form6->isVisible());
        EXPECT_TRUE(Form4->isEnabled());
        EXPECT_TRUE(Form4->isVisible());
        EXPECT_FALSE(Form1->isEnabled());
    }
};

} // namespace

TEST_F(SingleRenameTest, OkRenamesTheFileAndUpdatesCaptionAndStatusLine) {
    addItems({"x.jpg", "a.jpg", "y.jpg"});
    open(1);
    EXPECT_EQ(Form4->ui.Memo1->text(), "a.jpg");
    EXPECT_EQ(Form4->focusWidget(), Form4->ui.Memo1);
    retype("旅行.jpg");
    click(Form4->ui.Button1);
    EXPECT_EQ(onDisk(), (QStringList{"x.jpg", "y.jpg", "旅行.jpg"}));
    EXPECT_EQ(contentOf("旅行.jpg"), "a.jpg");
    EXPECT_EQ(captions(), (QStringList{"x.jpg", "旅行.jpg", "y.jpg"}));
    EXPECT_EQ(Form1->statusLine(), " [No.2]  旅行.jpg");
    EXPECT_FALSE(Form4->isVisible());
    EXPECT_TRUE(Form1->isEnabled());
    EXPECT_FALSE(Form6->isVisible());
    EXPECT_EQ(Form1->listSelection().currentIndex(), 1) << "the selection stays";

    // Without an extension the file loses it; the item stays with its thumbnail.
    open(1);
    retype("photo");
    click(Form4->ui.Button1);
    EXPECT_EQ(onDisk(), (QStringList{"photo", "x.jpg", "y.jpg"}));
    EXPECT_EQ(captions()[1], "photo");
    EXPECT_EQ(Form1->ImageList1.count(), 3);
}

TEST_F(SingleRenameTest, EnterActsAsOkAndEscAsCancel) {
    addItems({"a.jpg"});
    open(0);
    retype("b.jpg");
    QTest::keyClick(Form4->ui.Memo1, Qt::Key_Escape);
    EXPECT_FALSE(Form4->isVisible());
    EXPECT_TRUE(Form1->isEnabled());
    EXPECT_EQ(onDisk(), QStringList{"a.jpg"});

    open(0);
    EXPECT_EQ(Form4->ui.Memo1->text(), "a.jpg") << "opening takes the caption again";
    retype("b.jpg");
    QTest::keyClick(Form4->ui.Memo1, Qt::Key_Return);
    EXPECT_EQ(onDisk(), QStringList{"b.jpg"});
    EXPECT_EQ(captions(), QStringList{"b.jpg"});
    EXPECT_FALSE(Form4->isVisible());

    // The keypad's Enter too; other keys reach the field unchanged.
    open(0);
    retype("c.jpg");
    QTest::keyClick(Form4->ui.Memo1, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(onDisk(), QStringList{"c.jpg"});

    // キャンセル and the close box leave everything as it was.
    open(0);
    retype("d.jpg");
    click(Form4->ui.Button2);
    EXPECT_FALSE(Form4->isVisible());
    EXPECT_TRUE(Form1->isEnabled());
    open(0);
    Form4->windowHandle()->close();
    EXPECT_FALSE(Form4->isVisible());
    EXPECT_TRUE(Form1->isEnabled());
    EXPECT_EQ(onDisk(), QStringList{"c.jpg"});
}

TEST_F(SingleRenameTest, EmptyNameDoesNothing) {
    addItems({"a.jpg"});
    open(0);
    retype("");
    click(Form4->ui.Button1);
    QTest::keyClick(Form4->ui.Memo1, Qt::Key_Return);
    EXPECT_FALSE(Form6->isVisible());
    EXPECT_TRUE(Form4->isVisible());
    EXPECT_TRUE(Form4->isEnabled());
    EXPECT_EQ(onDisk(), QStringList{"a.jpg"});
}

TEST_F(SingleRenameTest, TakenNamesInAnyCaseAndMissingFilesAreReported) {
    addItems({"a.jpg", "b.jpg"});
    const QString sameName = "同名ファイルがあります";
    const QString missing = "ファイルが見当たりません";
    open(0);
    for (const char* taken : {"a.jpg", "A.JPG", "B.jpg", "*.jpg", "?.JPG"}) {
        SCOPED_TRACE(taken);
        retype(taken);
        click(Form4->ui.Button1);
        expectNotice(sameName, "", true);
        EXPECT_EQ(Form4->ui.Memo1->text(), taken) << "the typed text stays for another try";
    }
    EXPECT_EQ(onDisk(), (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_EQ(captions(), (QStringList{"a.jpg", "b.jpg"}));

    // The file went away behind the program's back: missing, also when the new name is
    // taken, since that notice comes second.
    ASSERT_TRUE(QFile::remove(QDir(photos).filePath("a.jpg")));
    retype("new.jpg");
    QTest::keyClick(Form4->ui.Memo1, Qt::Key_Return);
    expectNotice(missing, "", true);
    retype("b.jpg");
    click(Form4->ui.Button1);
    expectNotice(missing, "", true);
    EXPECT_EQ(onDisk(), QStringList{"b.jpg"});
    EXPECT_EQ(captions(), (QStringList{"a.jpg", "b.jpg"}));
}

TEST_F(SingleRenameTest, EveryFailedMoveGivesTheSameFailureNotice) {
    addItems({"a.jpg"});
    ASSERT_TRUE(QDir(photos).mkdir("folder.jpg"));
    ASSERT_TRUE(QDir(photos).mkdir("Album"));
    const QString failure = "ファイル名に使えない文字が含まれてます";
    open(0);
    retype("folder.jpg");
    click(Form4->ui.Button1);
    EXPECT_EQ(Form6->focusWidget(), nullptr) << "this notice does not move the focus";
    expectNotice(failure, FailureSecondLine, false);
    // A folder is no file for the existence test, but the move may not touch it; the
    // patterns match only folders or nothing; the characters cannot stand in a name.
    for (const char* refused :
         {"FOLDER.JPG", "alb*", "x?.jpg", "a|b.jpg", "c:d.jpg", "nosuch/a.jpg"}) {
        SCOPED_TRACE(refused);
        retype(refused);
        click(Form4->ui.Button1);
        expectNotice(failure, FailureSecondLine, false);
    }

    // A pasted line break is kept in the name, and the move refuses it.
    QTest::keyClick(Form4->ui.Memo1, Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->setText("two\nlines.jpg");
    QTest::keyClick(Form4->ui.Memo1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Form4->ui.Memo1->text(), "two\nlines.jpg");
    QTest::keyClick(Form4->ui.Memo1, Qt::Key_Return);
    expectNotice(failure, FailureSecondLine, false);

    EXPECT_EQ(onDisk(), (QStringList{"Album", "a.jpg", "folder.jpg"}));
    EXPECT_TRUE(onDisk("Album").isEmpty());
    EXPECT_EQ(captions(), QStringList{"a.jpg"});
    EXPECT_EQ(contentOf("a.jpg"), "a.jpg");
}

TEST_F(SingleRenameTest, SlashMovesIntoAnExistingSubFolderAndTheCaptionKeepsResolving) {
    addItems({"a.jpg"});
    ASSERT_TRUE(QDir(photos).mkdir("sub"));
    open(0);
    retype("sub/a2.jpg");
    click(Form4->ui.Button1);
    EXPECT_EQ(onDisk(), QStringList{"sub"});
    EXPECT_EQ(onDisk("sub"), QStringList{"a2.jpg"});
    EXPECT_EQ(captions(), QStringList{"sub/a2.jpg"});
    EXPECT_EQ(Form1->statusLine(), " [No.1]  sub/a2.jpg");

    // The relative caption is still the file's name: it can be renamed back.
    makeFile("sub/A3.JPG", "other");
    open(0);
    retype("sub/a3.jpg");
    click(Form4->ui.Button1);
    expectNotice("同名ファイルがあります", "", true);
    retype("back.jpg");
    click(Form4->ui.Button1);
    EXPECT_EQ(onDisk(), (QStringList{"back.jpg", "sub"}));
    EXPECT_EQ(contentOf("back.jpg"), "a.jpg");
    EXPECT_EQ(contentOf("sub/A3.JPG"), "other");
}

TEST_F(SingleRenameTest, NoNewNameLeadsOutOfTheLoadedFolder) {
    loadDeeperFolderWithLinkOut();
    ASSERT_TRUE(QDir(photos).mkdir("sub"));
    addItems({"a.jpg"});
    const QString failure = "ファイル名に使えない文字が含まれてます";
    open(0);
    for (const char* escape : {"../../escaped.jpg", "../a.jpg", "sub/../../a.jpg", "sub/../b.jpg",
                               "out/a.jpg", "out/../x.jpg"}) {
        SCOPED_TRACE(escape);
        retype(escape);
        click(Form4->ui.Button1);
        expectNotice(failure, FailureSecondLine, false);
    }
    EXPECT_EQ(filesEverywhere(), QStringList{"photos/inner/photos/a.jpg"});
    EXPECT_EQ(captions(), QStringList{"a.jpg"});
    EXPECT_TRUE(QDir(startFolder() + "/elsewhere").isEmpty());

    retype("sub/a.jpg"); // an existing sub-folder is still inside
    click(Form4->ui.Button1);
    EXPECT_FALSE(Form4->isVisible());
    EXPECT_EQ(filesEverywhere(), QStringList{"photos/inner/photos/sub/a.jpg"});
}

TEST_F(SingleRenameTest, ACaptionWhoseFileNowBearsAnotherCaseIsRenamed) {
    addItems({"a.bmp", "b.jpg"});
    ASSERT_TRUE(QFile::rename(photos + "/a.bmp", photos + "/A.BMP"));
    open(0);
    retype("c.bmp");
    click(Form4->ui.Button1);
    EXPECT_FALSE(Form6->isVisible());
    EXPECT_FALSE(Form4->isVisible());
    EXPECT_EQ(onDisk(), (QStringList{"b.jpg", "c.bmp"}));
    EXPECT_EQ(contentOf("c.bmp"), "a.bmp");
    EXPECT_EQ(captions(), (QStringList{"c.bmp", "b.jpg"}));
    // A new name taken in another case is still refused.
    open(1);
    retype("C.BMP");
    click(Form4->ui.Button1);
    expectNotice("同名ファイルがあります", "", true);
    EXPECT_EQ(onDisk(), (QStringList{"b.jpg", "c.bmp"}));
}

TEST_F(SingleRenameTest, FieldTakesAtMost256CharactersAndCutsAPasteToFit) {
    addItems({"a.jpg"});
    open(0);
    const QString face = QString::fromUcs4(U"\U0001F600");
    retype(face.repeated(250) + "123456");
    EXPECT_EQ(Form4->ui.Memo1->text(), face.repeated(250) + "123456");
    typeText(Form4->ui.Memo1, "7");
    EXPECT_EQ(Form4->ui.Memo1->text().toUcs4().size(), 256);

    // A paste keeps what fits and the rest of the name; an escaped byte counts as one.
    retype("a.jpg");
    Form4->ui.Memo1->setCursorPosition(1);
    QApplication::clipboard()->setText(QString(QChar(0xDC83)).repeated(300));
    QTest::keyClick(Form4->ui.Memo1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Form4->ui.Memo1->text(), "a" + QString(QChar(0xDC83)).repeated(251) + ".jpg");
    // Over the whole text, OK then tries the cut name (too long for the disk), not the old.
    QApplication::clipboard()->setText(QString("n").repeated(253) + ".jpg");
    QTest::keyClick(Form4->ui.Memo1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Form4->ui.Memo1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Form4->ui.Memo1->text(), QString("n").repeated(253) + ".jp");
    click(Form4->ui.Button1);
    expectNotice("ファイル名に使えない文字が含まれてます", FailureSecondLine, false);
}

namespace {

class BatchRenameTest : public RenameTest {
protected:
    // 一括連番(&I) by its shortcut.
    void open() {
        activate(Form1);
        QTest::keyClick(Form1, Qt::Key_I, Qt::ControlModifier);
        ASSERT_TRUE(Form3->isVisible());
        ASSERT_FALSE(Form1->isEnabled());
    }
    void retype(QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        typeAny(field, text);
    }
    void useRange(const QString& first, const QString& last) {
        if (Form3->ui.CheckBox2->isChecked()) {
            click(Form3->ui.CheckBox2);
        }
        retype(Form3->ui.Edit5, first);
        retype(Form3->ui.Edit6, last);
    }
    // OK, then the two phases one tick after the other, as their timers would run them.
    void runBatch() {
        click(Form3->ui.Button1);
        ASSERT_EQ(Form6->mainLine(), "ファイルチェック中");
        ASSERT_TRUE(Form3->Timer1->isActive());
        Form3->Timer1Timer();
        if (Form3->Timer2->isActive()) {
            Form3->Timer2Timer();
        }
    }
    // The notice that ends a batch or a validation, with its OK visible.
    void expectEnd(const QString& mainLine, const QString& secondLine = {}) {
        EXPECT_TRUE(Form6->isVisible());
        EXPECT_EQ(Form6->mainLine(), mainLine);
        EXPECT_EQ(Form6->secondLine(), secondLine);
        EXPECT_FALSE(Form6->ui.Button1->isHidden());
        EXPECT_EQ(ReturnWindow, 3);
        EXPECT_FALSE(Form3->isEnabled());
        EXPECT_FALSE(Form3->Timer1->isActive());
        EXPECT_FALSE(Form3->Timer2->isActive());
    }
    void dismissNotice() {
        click(Form6->ui.Button1);
        ASSERT_FALSE(Form6->isVisible());
        ASSERT_TRUE(Form3->isEnabled());
        ASSERT_TRUE(Form3->isVisible());
    }
};

} // namespace

TEST_F(BatchRenameTest, OpensWithItsDefaultsHintsAndEnablingRules) {
    addItems({"a.jpg"});
    open();
    const Ui::TForm3& ui = Form3->ui;
    EXPECT_EQ(Form3->focusWidget(), ui.Button2);
    EXPECT_EQ(ui.Edit1->text(), "0001");
    EXPECT_EQ(ui.Edit2->text(), "_");
    EXPECT_EQ(ui.Edit3->text(), "画像");
    EXPECT_EQ(ui.Edit4->text(), "0");
    EXPECT_EQ(ui.Edit5->text(), "1");
    EXPECT_EQ(ui.Edit6->text(), "2");
    EXPECT_FALSE(ui.CheckBox1->isChecked());
    EXPECT_TRUE(ui.CheckBox2->isChecked());
    EXPECT_TRUE(ui.CheckBox3->isChecked());
    EXPECT_EQ(Form3->Timer1->interval(), 100);
    EXPECT_EQ(Form3->Timer2->interval(), 100);
    EXPECT_FALSE(Form3->Timer1->isActive());
    EXPECT_FALSE(Form3->Timer2->isActive());
    EXPECT_EQ(ui.Edit1->font().pixelSize(), 16);
    EXPECT_EQ(ui.Label2->font().pixelSize(), 21);

    EXPECT_EQ(ui.Edit4->toolTip(), "現在付いているファイル名の先頭から\n削除したい文字数です\n"
                                   "既に連番が付いている時など\n４で旧連番を削除出来ます");
    EXPECT_EQ(ui.Edit6->toolTip(), "リネームを終了する画像No.\nこの画像でストップします");
    EXPECT_EQ(ui.CheckBox2->toolTip(), "サムネイルの最初から最後までリネーム");
    const QList<QWidget*> hinted = {ui.Edit1, ui.Edit2, ui.Edit3,     ui.Edit4,
                                    ui.Edit5, ui.Edit6, ui.CheckBox1, ui.CheckBox2};
    click(ui.CheckBox3);
    for (QWidget* control : hinted) {
        EXPECT_TRUE(control->toolTip().isEmpty()) << control->objectName().toStdString();
    }
    click(ui.CheckBox3);
    for (QWidget* control : hinted) {
        EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
    }

    const QList<QWidget*> ownNameParts = {ui.Label6, ui.Edit4, ui.Label7};
    const QList<QWidget*> rangeParts = {ui.Label8, ui.Edit5, ui.Label9, ui.Edit6, ui.Label10};
    for (QWidget* control : ownNameParts + rangeParts) {
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    }
    click(ui.CheckBox1);
    EXPECT_FALSE(ui.Edit3->isEnabled());
    EXPECT_FALSE(ui.Label4->isEnabled());
    for (QWidget* control : ownNameParts) {
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    }
    EXPECT_EQ(Form3->focusWidget(), ui.CheckBox1) << "the focus stays on the box";
    click(ui.CheckBox1);
    EXPECT_TRUE(ui.Edit3->isEnabled());
    EXPECT_EQ(Form3->focusWidget(), ui.Edit3);
    EXPECT_FALSE(ui.Edit4->isEnabled());

    click(ui.CheckBox2);
    for (QWidget* control : rangeParts) {
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    }
    EXPECT_EQ(Form3->focusWidget(), ui.Edit5);
    click(ui.CheckBox2);
    EXPECT_FALSE(ui.Edit5->isEnabled());
}

TEST_F(BatchRenameTest, NumberFieldsHoldOnlyANumberOrNothing) {
    open();
    QLineEdit* edit1 = Form3->ui.Edit1;
    retype(edit1, "12");
    EXPECT_EQ(edit1->text(), "12");
    typeText(edit1, "a");
    EXPECT_EQ(edit1->text(), "") << "a letter empties the whole field";
    typeText(edit1, "-");
    EXPECT_EQ(edit1->text(), "") << "a lone sign is no number";
    typeText(edit1, "5");
    QTest::keyClick(edit1, Qt::Key_Home);
    typeText(edit1, "-");
    EXPECT_EQ(edit1->text(), "-5") << "a sign in front of digits stays";
    typeText(edit1, "$");
    EXPECT_EQ(edit1->text(), "") << "a prefix without digits is no number";
    QApplication::clipboard()->setText("$1F");
    QTest::keyClick(edit1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit1->text(), "$1F");
    retype(edit1, "123456");
    EXPECT_EQ(edit1->text(), "1234") << "four characters at most";

    click(Form3->ui.CheckBox1);
    click(Form3->ui.CheckBox2);
    QApplication::clipboard()->setText("98765"); // a paste is cut to the limit
    for (QLineEdit* field : {edit1, Form3->ui.Edit4, Form3->ui.Edit5, Form3->ui.Edit6}) {
        retype(field, "");
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(field->text(), QString("98765").left(field == Form3->ui.Edit4 ? 3 : 4));
    }
    for (QLineEdit* field : {Form3->ui.Edit4, Form3->ui.Edit5, Form3->ui.Edit6}) {
        retype(field, "7x");
        EXPECT_EQ(field->text(), "") << field->objectName().toStdString();
    }
    click(Form3->ui.CheckBox1);
    retype(Form3->ui.Edit2, "x y");
    retype(Form3->ui.Edit3, "-$");
    EXPECT_EQ(Form3->ui.Edit2->text(), "x y") << "no filter on the separator";
    EXPECT_EQ(Form3->ui.Edit3->text(), "-$") << "no filter on the base";
}

TEST_F(BatchRenameTest, ValidationShowsTheLastFailingCheck) {
    addItems({"a.jpg", "b.jpg", "c.jpg"});
    struct Case {
        bool ownName;
        bool wholeCatalogue;
        const char *start, *deleteCount, *first, *last;
        const char* message;
    };
    const Case cases[] = {
        {false, false, "1", "0", "", "2", "画像No. が入力されてません"},
        {true, false, "1", "", "1", "", "削除文字数が入力されてません"},
        {true, false, "", "", "", "", "開始連番数字が入力されてません"},
        // Until the first three pass, nothing else is looked at.
        {false, false, "", "0", "0", "99", "開始連番数字が入力されてません"},
        {false, false, "9999", "0", "1", "2", "連番が４桁を越えてしまいます"},
        {false, false, "1", "0", "3", "2", "開始画像No.が終了画像No.を越えてます"},
        {false, false, "1", "0", "2", "4", "そんなに大きい画像No.はありません"},
        {false, false, "1", "0", "0", "4", "画像No.0 はありません"},
        {false, false, "9999", "0", "0", "4", "画像No.0 はありません"},
        {false, false, "9999", "0", "-3", "1", "画像No.0 はありません"},
        {false, true, "9998", "0", "1", "1", "連番が４桁を越えてしまいます"},
    };
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        if (Form3->ui.CheckBox1->isChecked() != c.ownName) {
            click(Form3->ui.CheckBox1);
        }
        if (Form3->ui.CheckBox2->isChecked() != c.wholeCatalogue) {
            click(Form3->ui.CheckBox2);
        }
        Form3->ui.Edit1->setText(c.start);
        Form3->ui.Edit4->setText(c.deleteCount);
        Form3->ui.Edit5->setText(c.first);
        Form3->ui.Edit6->setText(c.last);
        click(Form3->ui.Button1);
        expectEnd(QString::fromUtf8(c.message));
        dismissNotice();
    }
    EXPECT_EQ(onDisk(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
}

TEST_F(BatchRenameTest, LargestStartNumbersPassForRunsThatStayWithinFourDigits) {
    addItems({"a.jpg", "b.jpg", "c.jpg"});
    open();
    retype(Form3->ui.Edit1, "9998");
    useRange("2", "3");
    runBatch();
    expectEnd("完了");
    EXPECT_EQ(captions(), (QStringList{"a.jpg", "9998_画像.jpg", "9999_画像.jpg"}));
    dismissNotice();

    click(Form3->ui.CheckBox2);
    retype(Form3->ui.Edit1, "9997");
    Form3->ui.Edit2->setText("-");
    runBatch();
    expectEnd("完了");
    EXPECT_EQ(onDisk(), (QStringList{"9997-画像.jpg", "9998-画像.jpg", "9999-画像.jpg"}));
}

// The batch with its real timers: each phase one tick after the one before.
TEST_F(BatchRenameTest, DefaultsRenameTheWholeCatalogueInOrder) {
    addItems({"x.jpg", "A.JPG", "noext", "b.bmp"});
    select(1);
    open();
    click(Form3->ui.Button1);
    EXPECT_EQ(ReturnWindow, 0);
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_EQ(Form6->mainLine(), "ファイルチェック中");
    EXPECT_TRUE(Form6->ui.Button1->isHidden());
    EXPECT_FALSE(Form3->isEnabled());
    Form3->windowHandle()->close();
    EXPECT_TRUE(Form3->isVisible()) << "a running batch cannot be closed";
    EXPECT_EQ(onDisk(), (QStringList{"A.JPG", "b.bmp", "noext", "x.jpg"}));

    ASSERT_TRUE(QTest::qWaitFor([] { return Form6->mainLine() != "ファイルチェック中"; }, 2000));
    EXPECT_EQ(Form6->mainLine(), "連番リネーム中");
    EXPECT_TRUE(Form6->ui.Button1->isHidden());
    EXPECT_EQ(onDisk(), (QStringList{"A.JPG", "b.bmp", "noext", "x.jpg"}));
    ASSERT_TRUE(QTest::qWaitFor([] { return Form6->mainLine() == "完了"; }, 2000));

    expectEnd("完了");
    EXPECT_EQ(onDisk(),
              (QStringList{"0001_画像.jpg", "0002_画像.JPG", "0003_画像", "0004_画像.bmp"}));
    EXPECT_EQ(contentOf("0002_画像.JPG"), "A.JPG");
    EXPECT_EQ(contentOf("0003_画像"), "noext");
    EXPECT_EQ(captions(),
              (QStringList{"0001_画像.jpg", "0002_画像.JPG", "0003_画像", "0004_画像.bmp"}));
    EXPECT_EQ(Form1->statusLine(), " [No.2]  0002_画像.JPG");
    EXPECT_EQ(Form1->ImageList1.count(), 4);

    // The same batch again finds its first new name taken.
    dismissNotice();
    runBatch();
    expectEnd("同名ファイルがあります", "0001_画像.jpg");
    EXPECT_EQ(captions()[0], "0001_画像.jpg");
    dismissNotice();
    EXPECT_FALSE(Form1->isEnabled()) << "the main window waits for the dialog";
}

TEST_F(BatchRenameTest, RangeOwnNamesAndOddSettingsFollowTheNameRule) {
    addItems({"0012_abc.jpg", "two.jpg", "three.jpg"});
    open();
    // The range 1 to 1 with the number 0.
    retype(Form3->ui.Edit1, "0");
    useRange("1", "1");
    runBatch();
    expectEnd("完了");
    EXPECT_EQ(captions(), (QStringList{"0000_画像.jpg", "two.jpg", "three.jpg"}));
    dismissNotice();

    // Own names with four leading characters cut, no separator, numbers from -5.
    click(Form3->ui.CheckBox1);
    retype(Form3->ui.Edit4, "4");
    retype(Form3->ui.Edit2, "");
    retype(Form3->ui.Edit5, "2");
    retype(Form3->ui.Edit6, "3");
    retype(Form3->ui.Edit1, "5");
    QTest::keyClick(Form3->ui.Edit1, Qt::Key_Home);
    typeText(Form3->ui.Edit1, "-");
    runBatch();
    expectEnd("完了");
    EXPECT_EQ(captions(), (QStringList{"0000_画像.jpg", "000-5.jpg", "000-4e.jpg"}));
    dismissNotice();

    // A negative count cuts nothing; an empty base leaves number, separator and extension.
    retype(Form3->ui.Edit4, "8");
    QTest::keyClick(Form3->ui.Edit4, Qt::Key_Home);
    typeText(Form3->ui.Edit4, "-");
    retype(Form3->ui.Edit2, "~");
    retype(Form3->ui.Edit1, "20");
    click(Form3->ui.CheckBox2);
    runBatch();
    expectEnd("完了");
    EXPECT_EQ(captions(), (QStringList{"0020~0000_画像.jpg", "0021~000-5.jpg", "0022~000-4e.jpg"}));
    dismissNotice();
    click(Form3->ui.CheckBox1);
    retype(Form3->ui.Edit3, "");
    retype(Form3->ui.Edit1, "7");
    runBatch();
    expectEnd("完了");
    EXPECT_EQ(onDisk(), (QStringList{"0007~.jpg", "0008~.jpg", "0009~.jpg"}));
    EXPECT_EQ(contentOf("0009~.jpg"), "three.jpg");
}

TEST_F(BatchRenameTest, CheckPhaseStopsAtMissingFilesAndTakenNamesBeforeRenamingAny) {
    addItems({"a.jpg", "b.jpg", "c.jpg"});
    open();
    ASSERT_TRUE(QFile::remove(QDir(photos).filePath("c.jpg")));
    runBatch();
    expectEnd("見当たらないファイルがあります", "c.jpg");
    dismissNotice();
    EXPECT_TRUE(Form6->secondLine().isEmpty()) << "the notice's OK clears its second line";

    // A name taken in another letter case counts, also by a file outside the run.
    makeFile("c.jpg", "c.jpg");
    makeFile("0003_画像.JPG", "outsider");
    runBatch();
    expectEnd("同名ファイルがあります", "0003_画像.jpg");
    EXPECT_EQ(onDisk(), (QStringList{"0003_画像.JPG", "a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(captions(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
}

TEST_F(BatchRenameTest, NoThumbnailsFinishesWithoutRenaming) {
    makeFile("loose.jpg", "x");
    select(-1);
    Form1->setStatusLine("before");
    open();
    runBatch();
    expectEnd("完了");
    EXPECT_EQ(onDisk(), QStringList{"loose.jpg"});
    EXPECT_EQ(Form1->statusLine(), "before") << "no current item to show";
}

// A name that is taken between the check and the rename phase, exactly or in another case:
// the pass renames what comes before it, stops there and overwrites nothing.
TEST_F(BatchRenameTest, NameTakenBetweenThePhasesEndsThePassAndBothFilesSurvive) {
    for (const char* intruder : {"0003_画像.jpg", "0003_画像.JPG"}) {
        SCOPED_TRACE(intruder);
        Form1->catalogue->clear();
        Form1->ImageList1.clear();
        for (const QString& name : onDisk()) {
            ASSERT_TRUE(QFile::remove(QDir(photos).filePath(name)));
        }
        addItems({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
        select(3);
        if (!Form3->isVisible()) {
            open();
        }
        click(Form3->ui.Button1);
        Form3->Timer1Timer();
        ASSERT_EQ(Form6->mainLine(), "連番リネーム中");
        makeFile(intruder, "intruder");
        Form3->Timer2Timer();

        expectEnd("ファイル名に使えない文字が含まれてます", FailureSecondLine);
        EXPECT_EQ(onDisk(), (QStringList{"0001_画像.jpg", "0002_画像.jpg", intruder, "c.jpg",
                                         "d.jpg", "e.jpg"}));
        EXPECT_EQ(contentOf(intruder), "intruder");
        EXPECT_EQ(contentOf("c.jpg"), "c.jpg");
        EXPECT_EQ(contentOf("0002_画像.jpg"), "b.jpg");
        EXPECT_EQ(captions(),
                  (QStringList{"0001_画像.jpg", "0002_画像.jpg", "c.jpg", "d.jpg", "e.jpg"}));
        EXPECT_EQ(Form1->statusLine(), " [No.4]  d.jpg");
        dismissNotice();
    }
}

// A file that cannot be moved in the middle of a run: its caption reaches it through a
// link to a folder outside the loaded one, and nothing is moved from there.
TEST_F(BatchRenameTest, FailureHalfWayKeepsWhatWasDoneAndTheNextRunStopsAtIt) {
    const QString elsewhere = QDir(startFolder()).filePath("elsewhere");
    ASSERT_TRUE(QDir().mkdir(elsewhere));
    ASSERT_EQ(::symlink("../elsewhere", QFile::encodeName(photos + "/out").constData()), 0);
    addItems({"a.jpg", "b.jpg", "out/c.jpg", "d.jpg"});
    select(0);
    open();
    runBatch();
    expectEnd("ファイル名に使えない文字が含まれてます", FailureSecondLine);
    EXPECT_EQ(onDisk(), (QStringList{"0001_画像.jpg", "0002_画像.jpg", "d.jpg", "out"}));
    EXPECT_EQ(captions(), (QStringList{"0001_画像.jpg", "0002_画像.jpg", "out/c.jpg", "d.jpg"}));
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::Files), QStringList{"c.jpg"});
    EXPECT_EQ(Form1->statusLine(), " [No.1]  0001_画像.jpg");
    dismissNotice();

    runBatch();
    expectEnd("同名ファイルがあります", "0001_画像.jpg");
    dismissNotice();
    // A new separator gets past the names already given, once the file is inside.
    retype(Form3->ui.Edit2, "-");
    ASSERT_TRUE(QFile::remove(photos + "/out"));
    ASSERT_TRUE(QDir(photos).mkdir("out"));
    ASSERT_TRUE(QFile::rename(elsewhere + "/c.jpg", photos + "/out/c.jpg"));
    runBatch();
    expectEnd("完了");
    EXPECT_EQ(onDisk(), (QStringList{"0001-画像.jpg", "0002-画像.jpg", "0003-画像.jpg",
                                     "0004-画像.jpg", "out"}));
    EXPECT_EQ(contentOf("0003-画像.jpg"), "out/c.jpg");
}

// A file that already bears its new name while its old one is gone is left alone.
TEST_F(BatchRenameTest, RenamePhaseSkipsAFileRenamedMeanwhile) {
    addItems({"a.jpg", "b.jpg", "c.jpg"});
    open();
    click(Form3->ui.Button1);
    Form3->Timer1Timer();
    ASSERT_TRUE(
        QFile::rename(QDir(photos).filePath("b.jpg"), QDir(photos).filePath("0002_画像.jpg")));
    Form3->Timer2Timer();
    expectEnd("完了");
    EXPECT_EQ(onDisk(), (QStringList{"0001_画像.jpg", "0002_画像.jpg", "0003_画像.jpg"}));
    EXPECT_EQ(captions(), (QStringList{"0001_画像.jpg", "b.jpg", "0003_画像.jpg"}));
}

TEST_F(BatchRenameTest, CancelAndCloseBoxSelectTheCurrentItemAgain) {
    addItems({"a.jpg", "b.jpg", "c.jpg"});
    select(2);
    open();
    Form1->listSelection().clearSelection();
    click(Form3->ui.Button2);
    EXPECT_FALSE(Form3->isVisible());
    EXPECT_TRUE(Form1->isEnabled());
    EXPECT_EQ(Form1->listSelection().currentIndex(), 2);

    open();
    Form1->listSelection().clearSelection();
    Form3->windowHandle()->close();
    EXPECT_FALSE(Form3->isVisible());
    EXPECT_TRUE(Form1->isEnabled());
    EXPECT_EQ(Form1->listSelection().currentIndex(), 2);

    // With no current item the lowest selected item is deselected.
    SourceIndex = -1;
    Form1->listSelection().clearSelection();
    Form1->listSelection().setCurrentIndex(0);
    Form1->listSelection().setCurrentIndex(1);
    open();
    click(Form3->ui.Button2);
    EXPECT_EQ(Form1->listSelection().currentIndex(), 1);
    EXPECT_EQ(Form1->listSelection().selectedCount(), 1);
    EXPECT_EQ(onDisk(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
}

TEST_F(BatchRenameTest, ASeparatorThatClimbsOutEndsThePassAndMovesNothing) {
    loadDeeperFolderWithLinkOut();
    // The first part of each new name is an existing folder, so that "0001/../../" leads
    // out of the loaded folder.
    ASSERT_TRUE(QDir(photos).mkdir("0001"));
    ASSERT_TRUE(QDir(photos).mkdir("0002"));
    addItems({"a.jpg", "b.jpg"});
    const QString failure = "ファイル名に使えない文字が含まれてます";
    open();
    retype(Form3->ui.Edit2, "/../");
    retype(Form3->ui.Edit3, "../escaped");
    runBatch();
    expectEnd(failure, FailureSecondLine);
    dismissNotice();
    // Also when the name would come back inside: no ".." is taken.
    retype(Form3->ui.Edit3, "画像");
    runBatch();
    expectEnd(failure, FailureSecondLine);
    dismissNotice();
    // Through a link to another folder: "0001/x.jpg" where 0001 leads out.
    ASSERT_TRUE(QDir(photos).rmdir("0001"));
    ASSERT_EQ(::symlink("out", QFile::encodeName(photos + "/0001").constData()), 0);
    retype(Form3->ui.Edit2, "/");
    retype(Form3->ui.Edit3, "x");
    runBatch();
    expectEnd(failure, FailureSecondLine);

    EXPECT_EQ(filesEverywhere(),
              (QStringList{"photos/inner/photos/a.jpg", "photos/inner/photos/b.jpg"}));
    EXPECT_EQ(captions(), (QStringList{"a.jpg", "b.jpg"}));
}

TEST_F(BatchRenameTest, CaptionsWhoseFilesNowBearAnotherCaseAreRenamed) {
    addItems({"a.bmp", "b.jpg", "c.jpg"});
    ASSERT_TRUE(QFile::rename(photos + "/a.bmp", photos + "/A.BMP"));
    ASSERT_TRUE(QFile::rename(photos + "/c.jpg", photos + "/C.Jpg"));
    open();
    runBatch();
    expectEnd("完了");
    EXPECT_EQ(onDisk(), (QStringList{"0001_画像.bmp", "0002_画像.jpg", "0003_画像.jpg"}));
    EXPECT_EQ(contentOf("0001_画像.bmp"), "a.bmp");
    EXPECT_EQ(contentOf("0003_画像.jpg"), "c.jpg");
    EXPECT_EQ(captions(), (QStringList{"0001_画像.bmp", "0002_画像.jpg", "0003_画像.jpg"}));
}
