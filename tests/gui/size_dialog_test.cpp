// The thumbnail-size dialog and the notice box it raises, driven by clicks and keys.
#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "viewer/notice_box.h"
#include "viewer/size_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QWindow>

using namespace volmarin;
using namespace volmarin::test;

namespace {

class SizeDialogTest : public WindowSetTest {
protected:
    void SetUp() override {
        WindowSetTest::SetUp();
        startProgram();
    }
    // Opens the dialog with Ctrl+S after putting text into the field.
    void openWith(const QString& text) {
        Form5->ui.Edit1->setText(text);
        QTest::keyClick(Form1, Qt::Key_S, Qt::ControlModifier);
        ASSERT_TRUE(Form5->isVisible());
    }
    QString field() const { return Form5->ui.Edit1->text(); }
    void retype(const QString& text) {
        Form5->ui.Edit1->selectAll();
        QTest::keyClick(Form5->ui.Edit1, Qt::Key_Delete);
        typeText(Form5->ui.Edit1, text);
    }
    bool rangeNoticeShown() const {
        return Form6->isVisible() && Form6->mainLine() == "有効範囲は20から150までです";
    }
};

} // namespace

TEST_F(SizeDialogTest, StepsByTenAndTestsOnlyTheValueBeforeTheStep) {
    struct Case {
        const char* start;
        bool up;
        const char* after;
    };
    const Case cases[] = {{"140", true, "150"}, {"150", true, "150"}, {"145", true, "155"},
                          {"30", false, "20"},  {"20", false, "20"},  {"25", false, "15"}};
    openWith("80");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + (c.up ? " up" : " down"));
        Form5->ui.Edit1->setText(c.start);
        click(c.up ? Form5->ui.Button3 : Form5->ui.Button4);
        EXPECT_EQ(field(), c.after);
    }
}

TEST_F(SizeDialogTest, OutOfRangeIsRefusedWithANoticeThatReturnsToTheDialog) {
    openWith("145");
    click(Form5->ui.Button3);
    ASSERT_EQ(field(), "155");
    click(Form5->ui.Button1);
    EXPECT_TRUE(rangeNoticeShown());
    EXPECT_EQ(ReturnWindow, 5);
    EXPECT_FALSE(Form5->isEnabled());
    EXPECT_TRUE(Form5->isVisible());
    click(Form6->ui.Button1);
    EXPECT_TRUE(Form5->isEnabled());
    EXPECT_FALSE(Form1->isEnabled()) << "the main window waits for the dialog";

    for (const char* refused : {"19", "151"}) {
        retype(refused);
        click(Form5->ui.Button1);
        EXPECT_TRUE(rangeNoticeShown()) << refused;
        click(Form6->ui.Button1);
    }
    for (const char* accepted : {"20", "150"}) {
        openWith(accepted);
        click(Form5->ui.Button1);
        EXPECT_FALSE(Form5->isVisible()) << accepted;
        EXPECT_TRUE(Form1->isEnabled());
    }
}

TEST_F(SizeDialogTest, AnEmptyFieldStandsForThePreviousSize) {
    openWith("80");
    retype("");
    click(Form5->ui.Button3);
    EXPECT_EQ(field(), "90");
    retype("");
    click(Form5->ui.Button4);
    EXPECT_EQ(field(), "70");
    retype("");
    click(Form5->ui.Button1);
    EXPECT_EQ(field(), "80");
    EXPECT_TRUE(rangeNoticeShown()) << "an empty field reads as 0";
    click(Form6->ui.Button1);
    EXPECT_EQ(field(), "80");
}

TEST_F(SizeDialogTest, FilterEmptiesAnyTextThatIsNoNumber) {
    openWith("80");
    retype("12");
    EXPECT_EQ(field(), "12");
    typeText(Form5->ui.Edit1, "a");
    EXPECT_EQ(field(), "");
    typeText(Form5->ui.Edit1, "7");
    EXPECT_EQ(field(), "7");
    for (const char* lone : {"x", "-", "$"}) {
        retype(lone);
        EXPECT_EQ(field(), "") << lone;
    }
    // A paste longer than three characters is cut to three, which the filter then judges.
    for (const auto& [pasted, kept] :
         {std::pair{"1234", "123"}, std::pair{"12a4", ""}, std::pair{"$14", "$14"}}) {
        retype("");
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(Form5->ui.Edit1, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(field(), kept) << pasted;
    }
    click(Form5->ui.Button1);
    EXPECT_FALSE(Form5->isVisible()) << "$14 reads as 20";
    EXPECT_EQ(field(), "$14");
}

TEST_F(SizeDialogTest, CancelRestoresTheSizeShownAtOpening) {
    openWith("80");
    click(Form5->ui.Button3);
    click(Form5->ui.Button3);
    EXPECT_EQ(field(), "100");
    click(Form5->ui.Button2);
    EXPECT_EQ(field(), "80");
    EXPECT_FALSE(Form5->isVisible());
    EXPECT_TRUE(Form1->isEnabled());
}

TEST_F(SizeDialogTest, StepWithNoSizeAtAllGoesToTheErrorReport) {
    openWith("");
    PreviousSize = "";
    click(Form5->ui.Button3);
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(field(), "");
    EXPECT_TRUE(Form5->isVisible()) << "the program goes on";
}

TEST_F(SizeDialogTest, DialogAndNoticeIgnoreTheWindowManagersClose) {
    openWith("80");
    Form5->windowHandle()->close(); // as the window manager asks
    EXPECT_TRUE(Form5->isVisible());
    click(Form5->ui.Button2);
    QTest::keyClick(Form1, Qt::Key_S, Qt::ControlModifier);
    click(Form5->ui.Button1);
    Form6->showNotice(MainWindow, "x");
    Form6->windowHandle()->close();
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_FALSE(Form6->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(Form5->windowFlags() & Qt::WindowCloseButtonHint);
}

namespace {

// Eighteen settings lines with the given thumbnail size on line 17.
QByteArray settingsWithSize(const QByteArray& size) {
    QByteArray out;
    for (int i = 0; i < 16; ++i) {
        out += "0\r\n";
    }
    return out + size + "\r\n\r\n";
}

QByteArray line17(const QByteArray& settings) {
    return settings.split('\n').value(16).chopped(1);
}

class StoredSizeTest : public WindowSetTest {};

} // namespace

TEST_F(StoredSizeTest, TheFieldTakesAStoredSizeWholeAndLimitsOnlyTyping) {
    for (const char* stored : {"0x14", "1000"}) {
        SCOPED_TRACE(stored);
        writeSettings(settingsWithSize(stored));
        startProgram();
        EXPECT_EQ(Form5->ui.Edit1->text(), stored);
        Form1->close();
        EXPECT_EQ(line17(readSettings()), stored) << "written back as it stands";
        destroyWindowSet();
    }

    writeSettings(settingsWithSize("1000"));
    startProgram();
    QTest::keyClick(Form1, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(Form5->isVisible());
    QLineEdit* field = Form5->ui.Edit1;
    field->setFocus();
    field->end(false);
    // Typing or pasting cannot lengthen it; shortening and then typing up to three works.
    typeText(field, "5");
    EXPECT_EQ(field->text(), "1000");
    QApplication::clipboard()->setText("12");
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field->text(), "1000");
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), "10");
    typeText(field, "59");
    EXPECT_EQ(field->text(), "105");
    // The filter still runs on every change: a letter within the limit empties the field.
    QTest::keyClick(field, Qt::Key_Backspace);
    typeText(field, "z");
    EXPECT_EQ(field->text(), "");
    // キャンセル puts the size shown at the opening back whole; ↓ steps from it.
    click(Form5->ui.Button2);
    EXPECT_EQ(field->text(), "1000");
    QTest::keyClick(Form1, Qt::Key_S, Qt::ControlModifier);
    click(Form5->ui.Button4);
    EXPECT_EQ(field->text(), "990");
    field->setText("$7FFFFFFF");
    click(Form5->ui.Button4);
    EXPECT_EQ(field->text(), "2147483637");
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
}
