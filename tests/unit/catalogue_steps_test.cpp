// The catalogue's selection rules and moves without a window: the list's marks, the status
// bar and the notice box are plain records, the thumbnails and captions are the real ones.
#include "app/mode_word.h"
#include "catalogue/catalogue_load.h"
#include "catalogue/catalogue_model.h"
#include "catalogue/list_selection.h"
#include "catalogue/move_engine.h"
#include "catalogue/selection_input.h"
#include "catalogue/thumbnail_list.h"

#include <QCoreApplication>
#include <QImage>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

using namespace volmarin;

namespace {

// The list: one mark per item, and a point (x, 100) hits item x, any other point none.
class ListRecord final : public SelectionMarks, public ListDisplay {
public:
    std::vector<bool> marks;
    int currentRow = -1;
    bool deferred = false;
    int focusReleases = 0;

    int selectedCount() const override { return int(std::count(marks.begin(), marks.end(), true)); }
    bool isRowSelected(int row) const override {
        return row >= 0 && row < int(marks.size()) && marks[row];
    }
    int lowestSelectedRow() const override {
        const auto found = std::find(marks.begin(), marks.end(), true);
        return found == marks.end() ? -1 : int(found - marks.begin());
    }
    void setRowSelected(int row, bool selected) override {
        if (row >= 0 && row < int(marks.size())) {
            marks[row] = selected;
        }
    }
    void clearRows() override { std::fill(marks.begin(), marks.end(), false); }
    void setCurrentRow(int row) override { currentRow = row; }
    void setMarksDeferred(bool on) override { deferred = on; }

    int itemAt(QPoint at) const override {
        return at.y() == 100 && at.x() >= 0 && at.x() < int(marks.size()) ? at.x() : -1;
    }
    void releaseFocus() override { ++focusReleases; }
    void setThumbnailEdge(int) override {}
    void showLoadedItem(int) override {}
    void showDropCursor(DropSide) override {}
    int top() const override { return 2; }
    int height() const override { return 400; }
    void scrollBy(int) override {}
    void repaintNow() override {}
};

class PanelsRecord final : public StatusPanels {
public:
    QString word;
    QString line;
    QString modeWord() const override { return word; }
    void setModeWord(const QString& text) override { word = text; }
    void setStatusLine(const QString& text) override { line = text; }
};

class NoticeRecord final : public MainWindowNotice {
public:
    QStringList shown; // main line and second line of each notice
    void show(const QString& mainLine, const QString& secondLine) override {
        shown << mainLine << secondLine;
    }
};

class NoFiles final : public FileListing {
public:
    int fileCount() const override { return 0; }
    QString fileEntry(int) const override { return {}; }
    bool slowRead() const override { return false; }
};

// The real carrier, failing at the carries a test names.
class FailingCarrier final : public EntryCarrier {
public:
    explicit FailingCarrier(EntryCarrier& real) : real_(real) {}
    std::vector<int> failAt; // 1-based numbers of the carries that throw
    void carry(int from, int to) override {
        ++carries_;
        if (std::find(failAt.begin(), failAt.end(), carries_) != failAt.end()) {
            throw std::runtime_error("out of memory");
        }
        real_.carry(from, to);
    }

private:
    EntryCarrier& real_;
    int carries_ = 0;
};

const QStringList Eight = {"P0", "P1", "P2", "P3", "P4", "P5", "P6", "P7"};

class CatalogueStepsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "catalogue_steps_test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv); // the timers need one
    }

    void SetUp() override { fill(); }

    // The eight items, none selected.
    void fill() {
        thumbnails.setSize(4, 4); // empties the list
        model.clear();
        for (int i = 0; i < Eight.size(); ++i) {
            QImage thumbnail(4, 4, QImage::Format_RGB888);
            thumbnail.fill(QColor::fromHsv(i * 40, 200, 220));
            thumbnails.append(std::move(thumbnail));
            model.append(Eight[i]);
        }
        list.marks.assign(Eight.size(), false);
    }

    // The places selected, the last one pressed: the state a drag starts from.
    void pressAfterSelecting(const QList<int>& places) {
        list.clearRows();
        for (const int place : places) {
            list.marks[place] = true;
        }
        SourceIndex = places.last();
        panels.word = mode::Movable;
    }
    void dropOn(int place) {
        moves.dragOver(QPoint(place, 100));
        moves.drop();
    }
    // Runs the move timer's ticks until the move ends; returns how many ticks it took and
    // the ticks at which a carry happened.
    int tickToEnd(QList<int>* carryTicks = nullptr) {
        int ticks = 0;
        while (panels.word == mode::Moving && ticks < 1000) {
            const QStringList before = order();
            ++ticks;
            moveTimer.stop(); // as the tick handler does first
            moves.tick();
            if (carryTicks && order() != before) {
                *carryTicks << ticks;
            }
        }
        return ticks;
    }
    QStringList order() const {
        QStringList captions;
        for (int i = 0; i < model.count(); ++i) {
            captions << model.caption(i);
        }
        return captions;
    }
    QList<int> selectedPlaces() const {
        QList<int> places;
        for (int i = 0; i < int(list.marks.size()); ++i) {
            if (list.marks[i]) {
                places << i;
            }
        }
        return places;
    }
    void expectThumbnailsFollowCaptions() const {
        for (int i = 0; i < model.count(); ++i) {
            const int was = Eight.indexOf(model.caption(i));
            EXPECT_EQ(thumbnails.at(i).pixel(0, 0), QColor::fromHsv(was * 40, 200, 220).rgb())
                << "place " << i;
        }
    }

    std::int32_t SourceIndex = -1;
    std::int32_t TargetIndex = -1;
    std::int32_t MoveCount = 0;
    std::int32_t LoadPosition = 0;
    QString LoadedFolder;
    CatalogueVariables variables{SourceIndex, TargetIndex, MoveCount, LoadPosition, LoadedFolder};

    ThumbnailList thumbnails;
    CatalogueModel model{thumbnails};
    ListRecord list;
    PanelsRecord panels;
    NoticeRecord notice;
    NoFiles files;
    QTimer loadTimer;
    QTimer moveTimer;
    QTimer scrollTimer;
    CatalogueCarrier realCarrier{thumbnails, model};
    FailingCarrier carrier{realCarrier};
    ListSelection selection{list, model, SourceIndex};
    CatalogueLoad load{variables, thumbnails, model, selection, list,
                       panels,    notice,     files, loadTimer};
    MoveEngine moves{variables, carrier, thumbnails, selection,  list,
                     panels,    notice,  moveTimer,  scrollTimer};
    SelectionInput input{variables, selection, list, panels, notice, load, moves};
};

TEST_F(CatalogueStepsTest, TheListOperationsAndTheSelectionLines) {
    EXPECT_EQ(selection.currentIndex(), -1);
    selection.setCurrentIndex(5);
    selection.setCurrentIndex(2);
    EXPECT_EQ(selectedPlaces(), QList<int>({2, 5})) << "setting it selects and keeps the rest";
    EXPECT_EQ(list.currentRow, 2) << "and moves the list's own current item";
    EXPECT_EQ(selection.currentIndex(), 2) << "the lowest selected item";
    selection.setCurrentIndex(-1);
    EXPECT_EQ(selectedPlaces(), QList<int>({5})) << "-1 deselects the lowest one only";
    selection.setCurrentIndex(-1);
    selection.setCurrentIndex(-1); // with none selected, nothing happens
    EXPECT_EQ(selection.selectedCount(), 0);

    model.setCaption(7, "a.jpg");
    SourceIndex = 7;
    EXPECT_EQ(selection.currentItemLine(), " [No.8]  a.jpg");
    pressAfterSelecting({1, 3, 6});
    EXPECT_EQ(selection.countLine(), " 3 ヶ所選択");
    selection.clearSelection();
    EXPECT_EQ(selection.countLine(), " 0 ヶ所選択");
}

TEST_F(CatalogueStepsTest, PressesSetTheCurrentItemAndRightPressesStartOnlyQualifiedMoves) {
    const QPoint none(3, 9);
    list.marks[4] = true; // the list's own reaction to the press comes first
    input.press(Qt::LeftButton, QPoint(4, 100));
    EXPECT_EQ(SourceIndex, 4);
    EXPECT_EQ(panels.word, mode::Movable);
    EXPECT_EQ(panels.line, " [No.5]  P4");
    list.marks[4] = false; // a Ctrl press that leaves nothing selected keeps the line
    input.press(Qt::LeftButton, QPoint(4, 100));
    EXPECT_EQ(panels.line, " [No.5]  P4");
    list.marks[2] = list.marks[4] = true;
    input.press(Qt::LeftButton, QPoint(2, 100));
    EXPECT_EQ(panels.line, " 2 ヶ所選択");
    input.press(Qt::MiddleButton, QPoint(6, 100));
    EXPECT_EQ(SourceIndex, 2);

    // Right presses that start nothing: on the current item, with two selected, on empty
    // space, and on an item while nothing is current.
    input.press(Qt::RightButton, QPoint(2, 100));
    input.press(Qt::RightButton, QPoint(6, 100));
    EXPECT_EQ(TargetIndex, 6);
    EXPECT_EQ(panels.word, mode::Movable);
    EXPECT_FALSE(moveTimer.isActive());
    input.press(Qt::RightButton, none);
    EXPECT_EQ(SourceIndex, -1);
    EXPECT_EQ(panels.word, mode::Idle);
    EXPECT_EQ(panels.line, "");
    EXPECT_EQ(selectedPlaces(), QList<int>({4})) << "the lowest selected item is deselected";
    list.marks[1] = true;
    panels.line = "kept?";
    input.press(Qt::RightButton, QPoint(6, 100));
    EXPECT_EQ(TargetIndex, 6);
    EXPECT_EQ(panels.line, "");
    EXPECT_EQ(selectedPlaces(), QList<int>({4}));
    EXPECT_EQ(list.focusReleases, 2);

    // One item selected and current, a right press on another: the single-item move.
    list.clearRows();
    list.marks[2] = true;
    input.press(Qt::LeftButton, QPoint(2, 100));
    input.press(Qt::RightButton, QPoint(5, 100));
    EXPECT_EQ(panels.word, mode::Moving);
    EXPECT_EQ(MoveCount, 1);
    EXPECT_TRUE(moveTimer.isActive());
    input.press(Qt::LeftButton, none); // ignored while moving
    input.release();
    EXPECT_EQ(SourceIndex, 2);
    EXPECT_EQ(tickToEnd(), 1);
    EXPECT_EQ(order(), QStringList({"P0", "P1", "P3", "P4", "P5", "P2", "P6", "P7"}));
    EXPECT_EQ(selectedPlaces(), QList<int>({5}));
    EXPECT_EQ(SourceIndex, 5);
    EXPECT_EQ(TargetIndex, -1);
    EXPECT_EQ(panels.line, " [No.6]  P2");
    EXPECT_FALSE(moveTimer.isActive());
}

// Eight items P0 to P7, P1, P3 and P6 selected, P3 pressed: the worked examples.
TEST_F(CatalogueStepsTest, GatheringMatchesTheWorkedExamples) {
    struct Example {
        int dropOn;
        int ticks;
        QList<int> carryTicks;
        QStringList order;
        QList<int> selected;
        int remaining;
        int pressedEndsAt;
    };
    const Example examples[] = {
        {4, 5, {1, 2, 4}, {"P0", "P2", "P4", "P1", "P3", "P6", "P5", "P7"}, {3, 4, 5}, 0, 4},
        {2, 3, {1, 2}, {"P0", "P1", "P3", "P6", "P2", "P4", "P5", "P7"}, {1, 2, 3}, 1, 2},
    };
    for (const Example& example : examples) {
        SCOPED_TRACE(example.dropOn);
        fill();
        pressAfterSelecting({1, 6, 3});
        dropOn(example.dropOn);
        EXPECT_EQ(panels.word, mode::Moving);
        EXPECT_EQ(panels.line, "残り 3   [クリック]で中断");
        EXPECT_TRUE(list.deferred);
        QList<int> carries;
        EXPECT_EQ(tickToEnd(&carries), example.ticks);
        EXPECT_EQ(carries, example.carryTicks);
        EXPECT_EQ(order(), example.order);
        EXPECT_EQ(selectedPlaces(), example.selected);
        EXPECT_EQ(moves.RemainingCount, example.remaining);
        EXPECT_EQ(panels.word, mode::Movable);
        EXPECT_EQ(panels.line, " 3 ヶ所選択");
        EXPECT_FALSE(moveTimer.isActive());
        EXPECT_FALSE(list.deferred);
        EXPECT_EQ(SourceIndex, example.pressedEndsAt) << "the dragged item is current";
        EXPECT_EQ(list.currentRow, example.pressedEndsAt);
        expectThumbnailsFollowCaptions();
    }
}

TEST_F(CatalogueStepsTest, AdjacentPairAndRunsDroppedOnTheEnds) {
    pressAfterSelecting({4, 3});
    dropOn(5);
    EXPECT_EQ(tickToEnd(), 4);
    EXPECT_EQ(order(), QStringList({"P0", "P1", "P2", "P5", "P3", "P4", "P6", "P7"}));
    EXPECT_EQ(selectedPlaces(), QList<int>({4, 5}));

    pressAfterSelecting({2, 5}); // P2 and P4, dropped on the first item
    dropOn(0);
    tickToEnd();
    EXPECT_EQ(order().mid(0, 3), QStringList({"P2", "P4", "P0"}));

    pressAfterSelecting({0, 1}); // dropped on the last item: the run goes to the very end
    dropOn(7);
    tickToEnd();
    EXPECT_EQ(order().mid(5), QStringList({"P7", "P2", "P4"}));
    EXPECT_EQ(panels.word, mode::Movable);
    expectThumbnailsFollowCaptions();

    // Drops that move nothing: while loading, and with nothing selected.
    pressAfterSelecting({3});
    panels.word = mode::Loading;
    dropOn(5);
    EXPECT_EQ(panels.word, mode::Loading);
    EXPECT_FALSE(moveTimer.isActive());
    panels.word = mode::Movable;
    list.clearRows();
    dropOn(5);
    EXPECT_EQ(tickToEnd(), 1);
    EXPECT_EQ(panels.word, mode::Movable);
    EXPECT_EQ(order().mid(5), QStringList({"P7", "P2", "P4"}));
}

TEST_F(CatalogueStepsTest, AFailedCarryEndsTheMoveWithTheNotice) {
    carrier.failAt = {1, 3};
    list.marks[2] = true;
    SourceIndex = 2;
    TargetIndex = 5;
    panels.word = mode::Movable;
    moves.startSingleMove();
    tickToEnd();
    EXPECT_EQ(panels.word, "");
    EXPECT_EQ(panels.line, "");
    EXPECT_EQ(SourceIndex, -1);
    EXPECT_EQ(TargetIndex, -1);
    EXPECT_EQ(selection.selectedCount(), 0);
    EXPECT_EQ(notice.shown,
              QStringList({"厳しいです、画像の枚数を減らすか", "サムネイルを小さくしてください"}));
    EXPECT_EQ(order(), Eight);

    // In a gather: the selection stays, the move ends, commands are available again.
    notice.shown.clear();
    pressAfterSelecting({1, 6, 3});
    dropOn(4);
    tickToEnd();
    EXPECT_EQ(panels.word, "");
    EXPECT_EQ(panels.line, "");
    EXPECT_FALSE(moveTimer.isActive());
    EXPECT_FALSE(list.deferred);
    EXPECT_EQ(notice.shown.size(), 2);
    EXPECT_EQ(order(), QStringList({"P0", "P1", "P2", "P4", "P3", "P5", "P6", "P7"}));
    EXPECT_EQ(selectedPlaces(), QList<int>({1, 4, 6}));
}

} // namespace
