// Reordering by right press and by dragging a selection, through the window. The move rules
// themselves, the worked examples among them, are checked in tests/unit/catalogue_steps_test.cpp.
#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/screen_cursors.h"
#include "app/window_set.h"
#include "catalogue/list_selection.h"
#include "catalogue/move_engine.h"
#include "viewer/notice_box.h"

#include <QScrollBar>
#include <QTest>

using namespace volmarin;
using namespace volmarin::test;

namespace {

const QStringList Eight = {"P0", "P1", "P2", "P3", "P4", "P5", "P6", "P7"};

class MoveTest : public CatalogueTest {
protected:
    // Selects the given places with Ctrl presses, the last one pressed (and current).
    void select(const QList<int>& places) {
        clickOn(places.first());
        for (int i = 1; i < places.size(); ++i) {
            clickOn(places[i], Qt::LeftButton, Qt::ControlModifier);
        }
    }
    // Runs Timer2's ticks until the move ends; returns how many ticks it took and the
    // ticks at which a carry happened.
    int tickToEnd(QList<int>* carryTicks = nullptr) {
        int ticks = 0;
        while (Form1->modeWord() == mode::Moving && ticks < 1000) {
            const QStringList before = order();
            ++ticks;
            Form1->Timer2Timer();
            if (carryTicks && order() != before) {
                *carryTicks << ticks;
            }
        }
        return ticks;
    }
    // The thumbnails must travel with their captions.
    void expectThumbnailsFollowCaptions(const QStringList& start) {
        for (int i = 0; i < Form1->catalogue->count(); ++i) {
            const int was = start.indexOf(Form1->catalogue->caption(i));
            EXPECT_EQ(Form1->ImageList1.at(i).pixel(0, 0),
                      QColor::fromHsv((was * 37) % 360, 200, 220).rgb())
                << "place " << i;
        }
    }
};

} // namespace

TEST_F(MoveTest, GatheringForwardMatchesTheWorkedExample) {
    fillCatalogue(Eight);
    select({1, 6, 3});
    ASSERT_EQ(SourceIndex, 3);
    dragItem(3, 4);
    EXPECT_EQ(Form1->modeWord(), mode::Moving);
    EXPECT_EQ(Form1->statusLine(), "残り 3   [クリック]で中断");
    QList<int> carries;
    EXPECT_EQ(tickToEnd(&carries), 5);
    EXPECT_EQ(carries, QList<int>({1, 2, 4}));
    EXPECT_EQ(order(), QStringList({"P0", "P2", "P4", "P1", "P3", "P6", "P5", "P7"}));
    EXPECT_EQ(selectedPlaces(), QList<int>({3, 4, 5}));
    EXPECT_EQ(Form1->modeWord(), mode::Movable);
    EXPECT_EQ(Form1->statusLine(), " 3 ヶ所選択");
    EXPECT_EQ(SourceIndex, 4) << "the dragged item, at its new place, is current";
    expectThumbnailsFollowCaptions(Eight);
}

TEST_F(MoveTest, SingleItemMovesByRightPressAndByDrag) {
    fillCatalogue(Eight);
    clickOn(2);
    clickOn(5, Qt::RightButton);
    EXPECT_EQ(Form1->modeWord(), mode::Moving);
    EXPECT_TRUE(Form1->Timer2->isActive());
    EXPECT_EQ(tickToEnd(), 1);
    EXPECT_EQ(order(), QStringList({"P0", "P1", "P3", "P4", "P5", "P2", "P6", "P7"}));
    EXPECT_EQ(selectedPlaces(), QList<int>({5}));
    EXPECT_EQ(Form1->statusLine(), " [No.6]  P2");

    clickOn(3);
    dragItem(3, 4); // onto the item right after it: the two swap
    EXPECT_EQ(Form1->statusLine(), " [No.4]  P4") << "a single drag shows no progress line";
    tickToEnd();
    EXPECT_EQ(order().mid(3, 2), QStringList({"P5", "P4"}));
    EXPECT_EQ(Form1->statusLine(), " [No.5]  P4");
    EXPECT_EQ(selectedPlaces(), QList<int>({4}));
}

TEST_F(MoveTest, DragFeedbackAndRefusedDrops) {
    fillCatalogue(Eight);
    select({2, 5});
    QTest::mousePress(viewport(), Qt::LeftButton, {}, itemPoint(5));
    QTest::mouseMove(viewport(), itemPoint(6));
    QTest::mouseMove(viewport(), itemPoint(7));
    EXPECT_TRUE(Form1->ListView1->dragging());
    EXPECT_EQ(viewport()->cursor().pixmap().toImage(),
              screenCursor(CursorDragLeft).pixmap().toImage());
    QTest::mouseMove(viewport(), itemPoint(0));
    EXPECT_EQ(viewport()->cursor().pixmap().toImage(),
              screenCursor(CursorDragRight).pixmap().toImage());
    QTest::mouseMove(viewport(), itemPoint(2)); // a selected item: no drop
    EXPECT_EQ(viewport()->cursor().shape(), Qt::ForbiddenCursor);
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, itemPoint(2));
    EXPECT_EQ(Form1->modeWord(), mode::Movable);
    EXPECT_EQ(order(), Eight);
    EXPECT_EQ(selectedPlaces(), QList<int>({2, 5})) << "a refused drop keeps the selection";

    // Esc cancels a drag; the release that follows does nothing.
    QTest::mousePress(viewport(), Qt::LeftButton, {}, itemPoint(5));
    QTest::mouseMove(viewport(), itemPoint(6));
    QTest::mouseMove(viewport(), itemPoint(7));
    QTest::keyClick(Form1->ListView1, Qt::Key_Escape);
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, itemPoint(7));
    EXPECT_EQ(Form1->modeWord(), mode::Movable);
    EXPECT_EQ(selectedPlaces(), QList<int>({2, 5}));

    // A drop while a load runs is ignored, though the drag is shown.
    Form1->setModeWord(mode::Loading);
    dragItem(5, 7);
    EXPECT_EQ(Form1->modeWord(), mode::Loading);
    EXPECT_EQ(order(), Eight);
}

TEST_F(MoveTest, AClickDuringAGatherStopsItWithinTwoTicks) {
    fillCatalogue(Eight);
    select({0, 1, 7, 3});
    dragItem(3, 5);
    Form1->Timer2Timer();
    ASSERT_EQ(Form1->modeWord(), mode::Moving);
    QTest::mouseClick(viewport(), Qt::LeftButton, {},
                      QPoint(viewport()->width() - 3, viewport()->height() - 3));
    EXPECT_LE(tickToEnd(), 2);
    EXPECT_EQ(Form1->modeWord(), mode::Movable);
    EXPECT_EQ(Form1->statusLine(), " 0 ヶ所選択");
}

TEST_F(MoveTest, HoldingADragAtAnEdgeScrolls) {
    QStringList many;
    for (int i = 0; i < 300; ++i) {
        many << QString("p%1.jpg").arg(i);
    }
    fillCatalogue(many, 80);
    EXPECT_EQ(Form1->Timer3->interval(), 80);
    clickOn(0);
    QTest::mousePress(viewport(), Qt::LeftButton, {}, itemPoint(0));
    QTest::mouseMove(viewport(), itemPoint(1));
    QTest::mouseMove(viewport(), QPoint(50, viewport()->height() - 2)); // lower zone
    EXPECT_TRUE(Form1->Timer3->isActive());
    EXPECT_EQ(Form1->moves().ScrollDirection, 2);
    QScrollBar* bar = Form1->ListView1->verticalScrollBar();
    const int before = bar->value();
    Form1->Timer3Timer();
    EXPECT_EQ(bar->value(), before + 40) << "half a thumbnail per step";
    QTest::mouseMove(viewport(), QPoint(50, viewport()->height() / 2)); // back inside
    EXPECT_FALSE(Form1->Timer3->isActive());
    QTest::mouseMove(viewport(), QPoint(50, 1)); // the two top rows
    EXPECT_EQ(Form1->moves().ScrollDirection, 1);
    Form1->Timer3Timer();
    EXPECT_EQ(bar->value(), before);
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, QPoint(50, 1));
    EXPECT_FALSE(Form1->Timer3->isActive()) << "the end of the drag stops the scrolling";
}

TEST_F(MoveTest, ADragEndingOutsideTheListMovesNothing) {
    QStringList many; // more than the list shows: items lie below it, out of view
    for (int i = 0; i < 60; ++i) {
        many << QString("p%1.jpg").arg(i);
    }
    fillCatalogue(many, 80);
    QStatusBar* statusBar = Form1->StatusBar1;
    const QPoint onStatusBar =
        viewport()->mapFromGlobal(statusBar->mapToGlobal(statusBar->rect().center()));
    const QPoint leftOfList(-6, itemPoint(9).y());
    ASSERT_FALSE(viewport()->rect().contains(onStatusBar));

    clickOn(3);
    for (const QPoint& outside : {onStatusBar, leftOfList}) {
        QTest::mousePress(viewport(), Qt::LeftButton, {}, itemPoint(3));
        QTest::mouseMove(viewport(), itemPoint(4));
        QTest::mouseMove(viewport(), itemPoint(9));
        ASSERT_TRUE(Form1->ListView1->dragging());
        ASSERT_EQ(Form1->moves().DragOverItem, 9);
        QTest::mouseMove(viewport(), outside);
        EXPECT_EQ(viewport()->cursor().shape(), Qt::ForbiddenCursor);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, outside);
        EXPECT_FALSE(Form1->ListView1->dragging());
        EXPECT_EQ(Form1->modeWord(), mode::Movable);
        EXPECT_FALSE(Form1->Timer2->isActive());
        EXPECT_EQ(order(), many);
    }

    // With the list scrolled, no point beyond its visible area is an item, though items lie
    // there out of view; the edge zones still scroll.
    QScrollBar* bar = Form1->ListView1->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 20);
    bar->setValue(bar->maximum() / 2);
    const int height = viewport()->height();
    for (const QPoint& outside : {QPoint(50, -5), QPoint(50, height + 5), onStatusBar}) {
        EXPECT_FALSE(Form1->ListView1->indexAt(outside).isValid());
    }
    int shown = 0; // the first item wholly in view
    while (Form1->ListView1->visualRect(Form1->catalogue->index(shown)).top() < 0) {
        ++shown;
    }
    QTest::mousePress(viewport(), Qt::LeftButton, {}, itemPoint(shown));
    QTest::mouseMove(viewport(), itemPoint(shown + 1));
    QTest::mouseMove(viewport(), QPoint(50, 1));
    EXPECT_EQ(Form1->moves().ScrollDirection, 1);
    EXPECT_TRUE(Form1->Timer3->isActive());
    QTest::mouseMove(viewport(), QPoint(50, height - 2));
    EXPECT_EQ(Form1->moves().ScrollDirection, 2);
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, onStatusBar);
    EXPECT_FALSE(Form1->Timer3->isActive());
    EXPECT_EQ(order(), many);
}

TEST_F(MoveTest, AfterAMoveShiftExtendsFromTheMovedItem) {
    fillCatalogue(Eight);
    clickOn(2);
    clickOn(5, Qt::RightButton);
    tickToEnd();
    EXPECT_EQ(Form1->ListView1->currentIndex().row(), 5);
    clickOn(7, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(selectedPlaces(), QList<int>({5, 6, 7}));

    // After a gather, the dragged item is current and the anchor.
    select({1, 6, 3});
    dragItem(3, 4);
    tickToEnd();
    ASSERT_EQ(SourceIndex, 4);
    EXPECT_EQ(Form1->ListView1->currentIndex().row(), 4);
    clickOn(0, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(selectedPlaces(), QList<int>({0, 1, 2, 3, 4}));
}

TEST_F(MoveTest, ClearsAndMarksDuringAGatherAllGoOneWay) {
    fillCatalogue(Eight);
    const auto painted = [] {
        QList<int> places;
        for (int i = 0; i < Form1->catalogue->count(); ++i) {
            if (Form1->ListView1->isRowSelected(i)) {
                places << i;
            }
        }
        return places;
    };
    select({1, 6, 3});
    dragItem(3, 4);
    Form1->Timer2Timer(); // the first carry marks its item at the new place
    ASSERT_EQ(Form1->modeWord(), mode::Moving);
    // A page step of the viewer: the selection cleared, then the item shown selected.
    Form1->listSelection().clearSelection();
    EXPECT_EQ(Form1->listSelection().selectedCount(), 0);
    EXPECT_EQ(painted(), QList<int>());
    Form1->listSelection().setCurrentIndex(7);
    EXPECT_EQ(painted(), QList<int>({7}));
    // A Ctrl click of the user's, on top.
    clickOn(0, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(painted(), QList<int>({0, 7}));
    EXPECT_EQ(selectedPlaces(), painted());
    tickToEnd();
    EXPECT_EQ(Form1->listSelection().selectedCount(), 2);
    EXPECT_EQ(selectedPlaces(), painted());
    EXPECT_EQ(Form1->statusLine(), " 2 ヶ所選択");
}
