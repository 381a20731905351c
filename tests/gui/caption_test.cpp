// Captions in the catalogue: two lines in every cell, the current item's caption whole.
#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/window_set.h"
#include "catalogue/thumbnail_delegate.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

using namespace volmarin;
using namespace volmarin::test;

namespace {

const QString LongName = QStringLiteral("とても長い名前の写真ファイル_北海道旅行_二日目_朝.jpg");

class CaptionTest : public CatalogueTest {
protected:
    QStringList linesOf(int i) const {
        const QModelIndex index = Form1->catalogue->index(i);
        return delegate()->captionLines(Form1->ListView1->itemOption(index), index);
    }
    ThumbnailDelegate* delegate() const {
        return qobject_cast<ThumbnailDelegate*>(Form1->ListView1->itemDelegate());
    }
    QRect cell(int i) const { return Form1->ListView1->visualRect(Form1->catalogue->index(i)); }
};

} // namespace

TEST_F(CaptionTest, LongNamesWrapOntoTwoLinesAndTheCurrentOneShowsWhole) {
    QStringList names;
    for (int i = 1; i <= 4; ++i) {
        names << QString("縦_ポートレート_%1.jpg").arg(i, 2, 10, QChar('0'));
    }
    names << "0030_画像.jpg"
          << "0031_画像.jpg" << LongName << "a.jpg";
    for (int i = 0; i < 8; ++i) {
        names << QString("%1_写真.jpg").arg(i);
    }
    fillCatalogue(names, 80);
    ASSERT_NE(delegate(), nullptr);
    const int lineHeight = Form1->ListView1->fontMetrics().height();
    EXPECT_GE(cell(0).height(), 80 + 2 * lineHeight) << "room for two caption lines";

    // Names that fit in two lines are shown whole, extension and all.
    for (int i = 0; i < 6; ++i) {
        const QStringList lines = linesOf(i);
        EXPECT_LE(lines.size(), 2) << i;
        EXPECT_EQ(lines.join(QString()), names[i]) << i;
    }
    EXPECT_EQ(linesOf(7), QStringList({"a.jpg"}));
    // A longer one is cut with "…" at the end of its second line.
    const QStringList cut = linesOf(6);
    ASSERT_EQ(cut.size(), 2);
    ASSERT_TRUE(cut[1].endsWith(QChar(0x2026)));
    EXPECT_TRUE(LongName.startsWith(cut[0] + cut[1].chopped(1)));

    // The item below the long name, and a point in it just under the long name's cell.
    const int perRow = [this] {
        int n = 0;
        while (cell(n).top() == cell(0).top()) {
            ++n;
        }
        return n;
    }();
    const int below = 6 + perRow;
    ASSERT_LT(below, names.size());
    const QPoint underCell(cell(6).center().x(), cell(below).top() + 10);
    const QRgb belowColour = Form1->ImageList1.at(below).pixel(40, 10);
    EXPECT_EQ(Form1->ListView1->viewport()->grab().toImage().pixel(underCell), belowColour);

    // Made current, it shows whole, over the thumbnail of the item below, and is hit there.
    clickOn(6);
    const QStringList whole = linesOf(6);
    EXPECT_GT(whole.size(), 2);
    EXPECT_EQ(whole.join(QString()), LongName);
    const QImage shot = Form1->ListView1->viewport()->grab().toImage();
    EXPECT_NE(shot.pixel(underCell), belowColour);
    EXPECT_EQ(Form1->ListView1->indexAt(underCell).row(), 6);
    // Another item made current folds it again.
    clickOn(0);
    EXPECT_EQ(linesOf(6), cut);
    EXPECT_EQ(Form1->ListView1->viewport()->grab().toImage().pixel(underCell), belowColour);
    EXPECT_EQ(Form1->ListView1->indexAt(underCell).row(), below);

    // For a person to look at: the grid with the long name current.
    clickOn(6);
    const QString artefacts =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../test-artifacts");
    QDir().mkpath(artefacts);
    EXPECT_TRUE(Form1->grab().save(QDir(artefacts).filePath("captions.png")));
}
