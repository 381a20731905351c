// The current item and the status line, driven by presses and keys in the catalogue.
#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "catalogue/list_selection.h"
#include "viewer/notice_box.h"
#include "viewer/viewer_window.h"

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

TEST_F(SelectionTest, LeftAndCtrlPressesSetTheCurrentItemAndTheStatusLine) {
    clickOn(11);
    EXPECT_EQ(SourceIndex, 11);
    EXPECT_EQ(Form1->modeWord(), mode::Movable);
    EXPECT_EQ(Form1->statusLine(), " [No.12]  l.jpg");

    clickOn(2, Qt::LeftButton, Qt::ControlModifier);
    clickOn(3, Qt::LeftButton, Qt::ControlModifier);
    clickOn(4, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Form1->statusLine(), " 4 ヶ所選択");
    EXPECT_EQ(SourceIndex, 4);

    // A click on one of them leaves it alone selected once the button is let go.
    clickOn(3);
    EXPECT_EQ(selectedPlaces(), QList<int>({3}));
    EXPECT_EQ(Form1->statusLine(), " [No.4]  d.jpg");

    // A press on empty space empties both panels and takes the focus off the list.
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, emptySpace());
    EXPECT_EQ(SourceIndex, -1);
    EXPECT_EQ(Form1->modeWord(), "");
    EXPECT_EQ(Form1->statusLine(), "");
    EXPECT_FALSE(Form1->ListView1->hasFocus());

    // A Ctrl press that leaves nothing selected keeps the line.
    clickOn(5);
    const QString line = Form1->statusLine();
    clickOn(5, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Form1->listSelection().selectedCount(), 0);
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
    // Over the item's own caption: in its cell, below its 40-pixel thumbnail.
    const QRect cell = Form1->ListView1->visualRect(Form1->catalogue->index(2));
    EXPECT_TRUE(cell.contains(editor->geometry()));
    EXPECT_GE(editor->y(), cell.top() + 4 + 40);
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

namespace {
// Thirty items: three rows of the grid and more.
class GridSelectionTest : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        QStringList captions;
        for (int i = 0; i < 30; ++i) {
            captions << QString("IMG_%1.jpg").arg(i, 2, 10, QChar('0'));
        }
        fillCatalogue(captions);
        const int top = Form1->ListView1->visualRect(Form1->catalogue->index(0)).top();
        while (Form1->ListView1->visualRect(Form1->catalogue->index(perRow)).top() == top) {
            ++perRow;
        }
        ASSERT_GE(perRow, 6);
        ASSERT_LE(perRow, 14);
    }
    static QList<int> run(int first, int last) {
        QList<int> places;
        for (int i = first; i <= last; ++i) {
            places << i;
        }
        return places;
    }
    int perRow = 0;
};
} // namespace

TEST_F(GridSelectionTest, ShiftSelectsTheRunFromTheAnchorAcrossGridRows) {
    clickOn(5);
    clickOn(perRow + 4, Qt::LeftButton, Qt::ShiftModifier); // on the next row
    EXPECT_EQ(selectedPlaces(), run(5, perRow + 4));
    EXPECT_EQ(Form1->statusLine(), QString(" %1 ヶ所選択").arg(perRow));

    // A Ctrl click moves the anchor; Shift alone then selects the run from it and no more.
    clickOn(2 * perRow + 3, Qt::LeftButton, Qt::ControlModifier);
    clickOn(perRow + 1, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(selectedPlaces(), run(perRow + 1, 2 * perRow + 3));
    EXPECT_EQ(Form1->listSelection().selectedCount(), perRow + 3);
    // Ctrl+Shift adds the run to what is selected.
    clickOn(0, Qt::LeftButton, Qt::ControlModifier);
    clickOn(2, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(selectedPlaces(), run(0, 2) + run(perRow + 1, 2 * perRow + 3));

    // Shift with the arrow keys extends from the anchor in the same way.
    clickOn(3);
    QTest::keyClick(Form1->ListView1, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selectedPlaces(), run(3, perRow + 3));
    QTest::keyClick(Form1->ListView1, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(selectedPlaces(), run(3, perRow + 4));
    EXPECT_EQ(SourceIndex, 3);
    EXPECT_EQ(Form1->statusLine(), QString(" %1 ヶ所選択").arg(perRow + 2));
}

TEST_F(GridSelectionTest, TheMiddleButtonChangesNothing) {
    clickOn(2);
    ASSERT_TRUE(Form1->ListView1->hasFocus());
    const QString line = Form1->statusLine();
    clickOn(6, Qt::MiddleButton);
    QTest::mouseDClick(viewport(), Qt::MiddleButton, {}, itemPoint(6));
    EXPECT_EQ(selectedPlaces(), QList<int>({2}));
    EXPECT_EQ(Form1->ListView1->currentIndex().row(), 2);
    EXPECT_EQ(SourceIndex, 2);
    EXPECT_EQ(Form1->statusLine(), line);
    EXPECT_TRUE(Form1->ListView1->hasFocus());
    EXPECT_FALSE(Form7->isVisible()) << "only a left double click opens the viewer";

    // Nor does it take the focus from elsewhere.
    Form1->Button1->setFocus();
    clickOn(7, Qt::MiddleButton);
    EXPECT_TRUE(Form1->Button1->hasFocus());

    // The right press that follows moves the item that the status line names.
    clickOn(9, Qt::RightButton);
    Form1->Timer2Timer();
    EXPECT_EQ(order().at(9), "IMG_02.jpg");
    EXPECT_EQ(selectedPlaces(), QList<int>({9}));
}

TEST_F(SelectionTest, OnlyTheThumbnailAndTheCaptionTextAreHit) {
    // Beside the short caption of item 4, and beside its thumbnail: empty space.
    const QRect cell = Form1->ListView1->visualRect(Form1->catalogue->index(4));
    const QPoint besideCaption(cell.left() + 1, cell.top() + 4 + 40 + 10);
    const QPoint besideThumbnail(cell.right() - 1, cell.top() + 20);
    clickOn(1);
    for (const QPoint& blank : {besideCaption, besideThumbnail}) {
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, blank);
        EXPECT_EQ(SourceIndex, -1);
        EXPECT_EQ(Form1->listSelection().selectedCount(), 0);
        EXPECT_EQ(Form1->statusLine(), "");
        EXPECT_FALSE(Form1->ListView1->indexAt(blank).isValid());
    }
    // The caption's text and the thumbnail are the item.
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, QPoint(cell.center().x(), besideCaption.y()));
    EXPECT_EQ(SourceIndex, 4);
    QTest::mouseClick(viewport(), Qt::LeftButton, {},
                      QPoint(cell.center().x() - 18, cell.top() + 6));
    EXPECT_EQ(SourceIndex, 4);

    // A rubber band over the blank sides of two cells selects neither item.
    const QRect next = Form1->ListView1->visualRect(Form1->catalogue->index(5));
    QTest::mousePress(viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 1, cell.top() + 8));
    QTest::mouseMove(viewport(), QPoint(next.left() + 4, cell.top() + 30));
    QTest::mouseMove(viewport(), QPoint(next.left() + 6, cell.top() + 34));
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, QPoint(next.left() + 6, cell.top() + 34));
    EXPECT_EQ(Form1->listSelection().selectedCount(), 0);
    // Reaching into item 5's thumbnail takes it.
    QTest::mousePress(viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 1, cell.top() + 8));
    QTest::mouseMove(viewport(), QPoint(next.left() + 10, cell.top() + 30));
    QTest::mouseMove(viewport(), QPoint(next.center().x(), cell.top() + 34));
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, QPoint(next.center().x(), cell.top() + 34));
    EXPECT_EQ(selectedPlaces(), QList<int>({5}));
}
