// The current item and the status line, driven by presses and keys in the catalogue.
#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "viewer/notice_box.h"

#include <QLineEdit>
#include <QTest>

using namespace volmarin;
using namespace volmarin::test;

namespace {
class SelectionTest : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        fillCatalogue({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg", "g.jpg", "h.jpg",
                       "i.jpg", "j.jpg", "k.jpg", "l.jpg"});
    }
    QPoint emptySpace() const { return QPoint(viewport()->width() - 3, viewport()->height() - 3); }
};
} // namespace

TEST_F(SelectionTest, LeftPressesSetTheCurrentItemAndTheStatusLine) {
    clickOn(11);
    EXPECT_EQ(SourceIndex, 11);
    EXPECT_EQ(Form1->modeWord(), mode::Movable);
    EXPECT_EQ(Form1->statusLine(), " [No.12]  l.jpg");

    clickOn(2, Qt::LeftButton, Qt::ControlModifier);
    clickOn(3, Qt::LeftButton, Qt::ControlModifier);
    clickOn(4, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Form1->statusLine(), " 4 ヶ所選択");
    EXPECT_EQ(SourceIndex, 4);

    // A press on empty space empties both panels and takes the focus off the list.
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, emptySpace());
    EXPECT_EQ(SourceIndex, -1);
    EXPECT_EQ(Form1->modeWord(), "");
    EXPECT_EQ(Form1->statusLine(), "");
    EXPECT_FALSE(Form1->ListView1->hasFocus());
}

TEST_F(SelectionTest, ACtrlPressThatLeavesNothingSelectedKeepsTheLine) {
    clickOn(5);
    const QString line = Form1->statusLine();
    clickOn(5, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Form1->selectedCount(), 0);
    EXPECT_EQ(Form1->modeWord(), mode::Movable);
    EXPECT_EQ(Form1->statusLine(), line);
}

TEST_F(SelectionTest, RightPressesThatStartNoMove) {
    // Nothing current yet: both panels emptied, focus moved off the list.
    clickOn(3, Qt::RightButton);
    EXPECT_EQ(TargetIndex, 3);
    EXPECT_EQ(Form1->modeWord(), "");
    EXPECT_FALSE(Form1->Timer2->isActive());

    clickOn(1);
    clickOn(1, Qt::RightButton); // on the current item itself
    EXPECT_EQ(TargetIndex, 1);
    EXPECT_EQ(Form1->modeWord(), mode::Movable);
    EXPECT_FALSE(Form1->Timer2->isActive());

    clickOn(2, Qt::LeftButton, Qt::ControlModifier); // two selected
    clickOn(6, Qt::RightButton);
    EXPECT_EQ(TargetIndex, 6);
    EXPECT_EQ(Form1->modeWord(), mode::Movable);
    EXPECT_EQ(selectedPlaces(), QList<int>({1, 2}));

    QTest::mouseClick(viewport(), Qt::RightButton, {}, emptySpace());
    EXPECT_EQ(SourceIndex, -1);
    EXPECT_EQ(Form1->modeWord(), "");
    EXPECT_EQ(Form1->statusLine(), "");
}

TEST_F(SelectionTest, ArrowKeysUpdateTheCurrentItemOnRelease) {
    clickOn(1);
    QTest::keyClick(Form1->ListView1, Qt::Key_Left);
    EXPECT_EQ(SourceIndex, 0);
    EXPECT_EQ(Form1->statusLine(), " [No.1]  a.jpg");
    QTest::keyClick(Form1->ListView1, Qt::Key_Right);
    QTest::keyClick(Form1->ListView1, Qt::Key_Right);
    EXPECT_EQ(SourceIndex, 2);
    EXPECT_EQ(Form1->statusLine(), " [No.3]  c.jpg");
}

TEST_F(SelectionTest, PressesAndKeysAreIgnoredWhileBusyButEscStopsALoad) {
    clickOn(1);
    Form1->setModeWord(mode::Moving);
    clickOn(4);
    QTest::keyClick(Form1->ListView1, Qt::Key_Escape);
    EXPECT_EQ(SourceIndex, 1);
    EXPECT_EQ(Form1->modeWord(), mode::Moving) << "Esc does not stop a move";

    Form1->setModeWord(mode::Loading);
    Form1->Timer1->start();
    Form1->setStatusLine("3/9   [ESC]で中断");
    QTest::keyClick(Form1->ListView1, Qt::Key_Escape);
    EXPECT_EQ(Form1->modeWord(), mode::LoadStopped);
    EXPECT_FALSE(Form1->Timer1->isActive());
    EXPECT_EQ(Form1->statusLine(), "");
    EXPECT_EQ(SourceIndex, -1);
    EXPECT_EQ(Form1->catalogue->count(), 12) << "what was loaded stays";
}

TEST_F(SelectionTest, AnInPlaceEditIsRefusedOnceAndTheCaptionKept) {
    clickOn(2);
    QTest::keyClick(Form1->ListView1, Qt::Key_F2);
    auto* editor = Form1->ListView1->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr) << "label editing stays available";
    editor->selectAll();
    QTest::keyClicks(editor, "renamed.jpg");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view commits an edit from the event loop
    EXPECT_EQ(Form1->catalogue->caption(2), "c.jpg");
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_EQ(Form6->mainLine(), "この方法でリネームはできません");
    EXPECT_FALSE(Form1->isEnabled());
    click(Form6->ui.Button1);
    EXPECT_TRUE(Form1->isEnabled());
    EXPECT_FALSE(Form6->isVisible());
}
