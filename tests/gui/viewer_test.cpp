// The full-screen viewer opened from the catalogue and from the chooser, paged with keys
// and closed by clicks, on a 1024 x 768 screen.
#include "gui_test_support.h"
#include "support/jpeg_writer.h"

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "catalogue/list_selection.h"
#include "chooser/folder_chooser.h"
#include "viewer/notice_box.h"
#include "viewer/viewer_window.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QWindow>

using namespace volmarin;
using namespace volmarin::test;

namespace {

const QString FileMissing = QStringLiteral("ファイルが見当たりません");

// A double click as the window system delivers it to a widget: a click, then the second
// press as a double-click event, then its release.
void doubleClick(QWidget* widget, QPoint at, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(widget, Qt::LeftButton, modifiers, at);
    QTest::mouseDClick(widget, Qt::LeftButton, modifiers, at);
    QTest::mouseRelease(widget, Qt::LeftButton, modifiers, at);
}

// Where a picture of one colour landed on the viewer, and whether all of it has that colour.
struct Landing {
    QRect rect;
    bool uniform = false;
};

class ViewerTest : public WindowSetTest {
protected:
    void SetUp() override {
        WindowSetTest::SetUp();
        QDir(startFolder()).mkdir("photos");
        photos = QDir(startFolder()).filePath("photos");
        startProgram();
        Form7->setScreenSize(QSize(1024, 768));
    }

    QString pathOf(const QString& name) const { return QDir(photos).filePath(name); }

    void writePicture(const QString& name, int width, int height, QColor colour) {
        QImage image(width, height, QImage::Format_RGB888);
        image.fill(colour);
        ASSERT_TRUE(image.save(pathOf(name), "BMP")) << name.toStdString();
    }

    // The catalogue as a finished load leaves it, without running the load.
    void fillCatalogue(const QStringList& names) {
        Form1->ImageList1.setSize(40, 40);
        for (const QString& name : names) {
            QImage thumbnail(40, 40, QImage::Format_RGB888);
            thumbnail.fill(Qt::white);
            Form1->ImageList1.append(thumbnail);
            Form1->catalogue->append(name);
        }
        LoadedFolder = photos;
        Form1->setModeWord(mode::Loaded);
    }

    // Item index made current as a click leaves it, then double-clicked.
    void doubleClickItem(int index) {
        Form1->listSelection().clearSelection();
        Form1->listSelection().setCurrentIndex(index);
        SourceIndex = index;
        QListView* list = Form1->ListView1;
        const QRect item = list->visualRect(Form1->catalogue->index(index));
        ASSERT_FALSE(item.isEmpty());
        doubleClick(list->viewport(), item.center());
    }

    void openChooser() {
        Form2->setFolder(photos);
        clickMenuEntry(Form1->ui.Folder1);
        ASSERT_TRUE(Form2->isVisible());
    }

    void doubleClickChooserEntry(int row) {
        QListWidget* files = Form2->ui.FileListBox1;
        const QRect item = files->visualItemRect(files->item(row));
        ASSERT_FALSE(item.isEmpty());
        doubleClick(files->viewport(), item.center());
    }

    static void release(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyRelease(Form7, key, modifiers);
    }

    static QImage shown() { return Form7->ui.Image1->pixmap().toImage(); }

    static Landing landing() {
        const QImage image = shown();
        QRect rect;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y) != QColor(Qt::black)) {
                    rect |= QRect(x, y, 1, 1);
                }
            }
        }
        Landing result{rect, !rect.isEmpty()};
        const QColor inside = rect.isEmpty() ? QColor() : image.pixelColor(rect.topLeft());
        for (int y = rect.top(); y <= rect.bottom() && result.uniform; ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                if (image.pixelColor(x, y) != inside) {
                    result.uniform = false;
                    break;
                }
            }
        }
        return result;
    }

    static QColor centreColour() { return shown().pixelColor(512, 384); }

    QString photos;
};

} // namespace

TEST_F(ViewerTest, PlacesEveryPictureByTheFittingRuleOnABlackScreen) {
    struct Row {
        QSize picture;
        QRect expected;
    };
    const std::vector<Row> rows = {
        {{300, 200}, {362, 284, 300, 200}},
        {{1024, 768}, {0, 0, 1024, 768}}, // exactly the screen: unscaled
        {{1025, 768}, {0, 0, 1024, 767}}, // one pixel wider: fitted to the width
        {{1600, 1200}, {0, 0, 1024, 768}},
        {{2000, 500}, {0, 256, 1024, 255}},
        {{2000, 1000}, {0, 128, 1024, 511}},
        {{1025, 100}, {0, 334, 1024, 99}},
        {{1000, 900}, {85, 0, 853, 768}}, // to the width, then to the height
        {{500, 2000}, {416, 0, 192, 768}},
    };
    QStringList names;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        names << QString("p%1.bmp").arg(i);
        writePicture(names.last(), rows[i].picture.width(), rows[i].picture.height(),
                     QColor(200, 40 + 20 * static_cast<int>(i), 30));
    }
    fillCatalogue(names);

    doubleClickItem(0);
    ASSERT_TRUE(Form7->isVisible());
    EXPECT_EQ(Form7->geometry(), QRect(0, 0, 1024, 768));
    EXPECT_EQ(Form7->ui.Image1->geometry(), QRect(0, 0, 1024, 768));
    EXPECT_TRUE(Form7->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(Form7->palette().color(QPalette::Window), QColor(Qt::black));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(names[static_cast<int>(i)].toStdString());
        if (i > 0) {
            release(Qt::Key_Right);
        }
        EXPECT_EQ(SourceIndex, static_cast<int>(i));
        EXPECT_EQ(shown().size(), QSize(1024, 768));
        const Landing landed = landing();
        EXPECT_EQ(landed.rect, rows[i].expected);
        EXPECT_TRUE(landed.uniform);
        EXPECT_EQ(centreColour(), QColor(200, 40 + 20 * static_cast<int>(i), 30));
    }
}

TEST_F(ViewerTest, APhonePhotoStoredSidewaysIsShownUpright) {
    // Stored as 2000 x 1000 pixels, red on the left and blue on the right, with Orientation
    // 6: upright it is 1000 x 2000, red above blue, fitted to the screen's height.
    JpegSettings settings;
    settings.exif = exifOrientationSegment(6);
    ASSERT_TRUE(writeJpeg(pathOf("phone.jpg"), 2000, 1000, settings, [](int, JSAMPLE* row) {
        const JSAMPLE red[] = {220, 20, 20}, blue[] = {20, 20, 220};
        for (int x = 0; x < 2000; ++x)
            std::copy_n(x < 1000 ? red : blue, 3, row + 3 * x);
    }));
    fillCatalogue({"phone.jpg"});
    doubleClickItem(0);
    ASSERT_TRUE(Form7->isVisible());
    EXPECT_EQ(landing().rect, QRect(320, 0, 384, 768));
    const QColor top = shown().pixelColor(512, 100);
    EXPECT_TRUE(top.red() > 180 && top.blue() < 60) << top.name().toStdString();
}

TEST_F(ViewerTest, PagesTheCatalogueOnKeyReleaseWithoutWrappingAround) {
    const QList<QColor> colours = {Qt::red, Qt::green, Qt::blue};
    for (int i = 0; i < 3; ++i) {
        writePicture(QString("%1.bmp").arg(i), 64, 48, colours[i]);
    }
    fillCatalogue({"0.bmp", "1.bmp", "2.bmp"});

    doubleClickItem(2);
    ASSERT_TRUE(Form7->isVisible());
    Form1->setStatusLine("unchanged"); // the click set the current-item line
    EXPECT_EQ(centreColour(), QColor(Qt::blue));
    // At the last item forward does nothing, and neither does a press or another key.
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_X, Qt::Key_Down, Qt::Key_Return}) {
        release(key);
    }
    QTest::keyPress(Form7, Qt::Key_Left);
    EXPECT_EQ(SourceIndex, 2);
    EXPECT_EQ(centreColour(), QColor(Qt::blue));
    EXPECT_TRUE(Form7->isVisible());

    release(Qt::Key_Left);
    EXPECT_EQ(SourceIndex, 1);
    EXPECT_EQ(Form1->listSelection().currentIndex(), 1);
    EXPECT_EQ(Form1->listSelection().selectedCount(), 1);
    EXPECT_EQ(centreColour(), QColor(Qt::green));
    release(Qt::Key_Z, Qt::ShiftModifier); // letters page whatever the shift state
    EXPECT_EQ(SourceIndex, 0);
    EXPECT_EQ(centreColour(), QColor(Qt::red));
    release(Qt::Key_Left);
    release(Qt::Key_Z);
    EXPECT_EQ(SourceIndex, 0);
    EXPECT_EQ(Form1->listSelection().currentIndex(), 0);
    EXPECT_EQ(centreColour(), QColor(Qt::red));
    release(Qt::Key_X, Qt::ShiftModifier);
    EXPECT_EQ(SourceIndex, 1);
    EXPECT_EQ(Form1->listSelection().selectedCount(), 1);
    EXPECT_EQ(centreColour(), QColor(Qt::green));

    EXPECT_FALSE(Form1->isEnabled());
    EXPECT_EQ(ReturnWindow, MainWindow);
    EXPECT_EQ(Form1->statusLine(), "unchanged");
}

// The picture shown need not be the lowest selected item: a Ctrl+double-click shows the
// item under the pointer while another stays selected. Paging goes from the picture shown
// and never past either end.
TEST_F(ViewerTest, PagingFromACtrlDoubleClickedItemStaysWithinTheCatalogue) {
    const QList<QColor> colours = {Qt::red, Qt::green, Qt::blue};
    for (int i = 0; i < 3; ++i) {
        writePicture(QString("%1.bmp").arg(i), 64, 48, colours[i]);
    }
    fillCatalogue({"0.bmp", "1.bmp", "2.bmp"});
    QListView* list = Form1->ListView1;
    const auto centreOf = [&](int i) {
        return list->visualRect(Form1->catalogue->index(i)).center();
    };
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centreOf(0));
    doubleClick(list->viewport(), centreOf(2), Qt::ControlModifier);
    ASSERT_TRUE(Form7->isVisible());
    EXPECT_EQ(centreColour(), QColor(Qt::blue));

    release(Qt::Key_Right); // the last item: nothing to page to
    EXPECT_EQ(SourceIndex, 2);
    EXPECT_EQ(centreColour(), QColor(Qt::blue));
    release(Qt::Key_Left);
    EXPECT_EQ(SourceIndex, 1);
    EXPECT_EQ(centreColour(), QColor(Qt::green));
    EXPECT_EQ(Form1->listSelection().selectedCount(), 1)
        << "the item shown is the only one selected";
    EXPECT_EQ(Form1->listSelection().currentIndex(), 1);
    release(Qt::Key_Left);
    release(Qt::Key_Left);
    EXPECT_EQ(SourceIndex, 0);
    EXPECT_EQ(Form1->listSelection().currentIndex(), 0);
    EXPECT_EQ(centreColour(), QColor(Qt::red));
}

TEST_F(ViewerTest, PagingOntoADeletedFileShowsTheNoticeAndItsOkClosesBoth) {
    writePicture("a.bmp", 64, 48, Qt::red);
    writePicture("b.bmp", 64, 48, Qt::green);
    fillCatalogue({"a.bmp", "b.bmp"});
    doubleClickItem(0);
    Form7->pageCache().waitForIdle(); // b is composed ahead, then deleted
    ASSERT_TRUE(QFile::remove(pathOf("b.bmp")));

    release(Qt::Key_Right);
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_EQ(Form6->mainLine(), FileMissing);
    EXPECT_TRUE(Form7->isVisible());
    EXPECT_EQ(centreColour(), QColor(Qt::red)) << "the previous picture stays behind the notice";
    EXPECT_FALSE(Form1->isEnabled());

    click(Form6->ui.Button1);
    EXPECT_FALSE(Form6->isVisible());
    EXPECT_FALSE(Form7->isVisible());
    EXPECT_TRUE(Form1->isEnabled());
    // The main window is usable: the viewer opens again from it.
    doubleClickItem(0);
    EXPECT_TRUE(Form7->isVisible());
    EXPECT_EQ(centreColour(), QColor(Qt::red));
}

TEST_F(ViewerTest, EveryWayOfClosingGivesBackExactlyTheOpener) {
    writePicture("a.bmp", 64, 48, Qt::red);
    writePicture("b.bmp", 64, 48, Qt::green);
    fillCatalogue({"a.bmp", "b.bmp"});

    doubleClickItem(0);
    ASSERT_TRUE(Form7->isVisible());
    EXPECT_FALSE(Form1->isEnabled());
    EXPECT_EQ(ReturnWindow, MainWindow);
    // A release without a press on the viewer (the end of the opening double click) is no
    // click; a press and release is.
    QTest::mouseRelease(Form7, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(Form7->isVisible());
    QTest::mouseClick(Form7, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(Form7->isVisible());
    EXPECT_TRUE(Form1->isEnabled());
    EXPECT_TRUE(Form7->ui.Image1->pixmap().isNull());

    // A close by the window manager behaves as the click.
    doubleClickItem(1);
    ASSERT_TRUE(Form7->isVisible());
    Form7->windowHandle()->close();
    EXPECT_FALSE(Form7->isVisible());
    EXPECT_TRUE(Form1->isEnabled());
    EXPECT_EQ(Form7->pageCache().heldCanvases(), 0);

    // From the chooser: the chooser comes back, the main window stays behind it.
    openChooser();
    doubleClickChooserEntry(0);
    ASSERT_TRUE(Form7->isVisible());
    EXPECT_FALSE(Form2->isEnabled());
    EXPECT_EQ(ReturnWindow, ChooserWindow);
    QTest::mouseClick(Form7, Qt::LeftButton, {}, QPoint(500, 500));
    EXPECT_FALSE(Form7->isVisible());
    EXPECT_TRUE(Form2->isEnabled());
    EXPECT_FALSE(Form1->isEnabled());
    doubleClickChooserEntry(1);
    Form7->windowHandle()->close();
    EXPECT_TRUE(Form2->isEnabled());
    EXPECT_FALSE(Form1->isEnabled());
}

TEST_F(ViewerTest, ThePreviewShowsChooserFilesAsTheCatalogueDoesAndPagesItsList) {
    writePicture("a.bmp", 2000, 500, Qt::red);
    writePicture("b.bmp", 300, 200, Qt::green);
    writePicture("c.bmp", 500, 2000, Qt::blue);
    fillCatalogue({"a.bmp"});
    doubleClickItem(0);
    const QImage fromCatalogue = shown();
    click(Form7);

    openChooser();
    QListWidget* files = Form2->ui.FileListBox1;
    ASSERT_EQ(files->count(), 3);
    doubleClickChooserEntry(0);
    ASSERT_TRUE(Form7->isVisible());
    EXPECT_EQ(shown(), fromCatalogue);
    EXPECT_EQ(files->currentRow(), 0);

    for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Z}) {
        release(key);
    }
    EXPECT_EQ(files->currentRow(), 0);
    EXPECT_EQ(centreColour(), QColor(Qt::red));
    release(Qt::Key_Right);
    EXPECT_EQ(files->currentRow(), 1);
    EXPECT_EQ(landing().rect, QRect(362, 284, 300, 200));
    release(Qt::Key_X);
    EXPECT_EQ(files->currentRow(), 2);
    EXPECT_EQ(landing().rect, QRect(416, 0, 192, 768));
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_X}) {
        release(key);
    }
    EXPECT_EQ(files->currentRow(), 2);
    EXPECT_EQ(centreColour(), QColor(Qt::blue));
    release(Qt::Key_Z);
    EXPECT_EQ(files->currentRow(), 1);
    EXPECT_EQ(ReturnWindow, ChooserWindow);
    EXPECT_FALSE(Form2->isEnabled());
    click(Form7);
    EXPECT_TRUE(Form2->isEnabled());
    EXPECT_EQ(files->currentRow(), 1) << "the preview leaves the list's selection where it is";
}

TEST_F(ViewerTest, APreviewOfADeletedEntryShowsOnlyTheNotice) {
    writePicture("a.bmp", 64, 48, Qt::red);
    writePicture("b.bmp", 64, 48, Qt::green);
    openChooser();
    ASSERT_TRUE(QFile::remove(pathOf("b.bmp")));

    doubleClickChooserEntry(1);
    EXPECT_FALSE(Form7->isVisible());
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_EQ(Form6->mainLine(), FileMissing);
    EXPECT_EQ(ReturnWindow, ChooserWindow);
    EXPECT_FALSE(Form2->isEnabled());
    click(Form6->ui.Button1);
    EXPECT_TRUE(Form2->isEnabled());
    EXPECT_FALSE(Form1->isEnabled()) << "the chooser is still open over the main window";
    ASSERT_EQ(Form2->ui.FileListBox1->count(), 2);
    EXPECT_EQ(Form2->ui.FileListBox1->item(1)->text(), "b.bmp");

    // Paging from a onto the deleted entry: the notice over the viewer, OK closes both.
    doubleClickChooserEntry(0);
    ASSERT_TRUE(Form7->isVisible());
    release(Qt::Key_Right);
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_TRUE(Form7->isVisible());
    EXPECT_EQ(centreColour(), QColor(Qt::red));
    click(Form6->ui.Button1);
    EXPECT_FALSE(Form7->isVisible());
    EXPECT_TRUE(Form2->isEnabled());
}

TEST_F(ViewerTest, APreparedPictureIsShownOnlyWhileItsFileIsUnchanged) {
    writePicture("a.bmp", 64, 48, Qt::red);
    writePicture("b.bmp", 64, 48, Qt::green);
    writePicture("c.bmp", 64, 48, Qt::blue);
    writePicture("d.bmp", 3000, 1000, Qt::yellow);
    fillCatalogue({"a.bmp", "b.bmp", "c.bmp", "d.bmp"});

    doubleClickItem(0);
    Form7->pageCache().waitForIdle();
    const int takenBefore = Form7->pageCache().canvasesTaken();
    release(Qt::Key_Right);
    EXPECT_EQ(Form7->pageCache().canvasesTaken(), takenBefore + 1) << "b was composed ahead";
    const QImage prepared = shown();
    Form7->pageCache().clear();
    release(Qt::Key_Left);
    release(Qt::Key_Right); // b again, now decoded on the spot
    EXPECT_EQ(shown(), prepared);

    // c is composed ahead, then rewritten with the same size and another colour.
    Form7->pageCache().waitForIdle();
    EXPECT_LE(Form7->pageCache().heldCanvases(), 3);
    writePicture("c.bmp", 64, 48, Qt::magenta);
    release(Qt::Key_Right);
    EXPECT_EQ(centreColour(), QColor(Qt::magenta));
    // d is composed ahead, then replaced by a picture of another size.
    Form7->pageCache().waitForIdle();
    writePicture("d.bmp", 300, 200, Qt::cyan);
    release(Qt::Key_Right);
    EXPECT_EQ(landing().rect, QRect(362, 284, 300, 200));
    EXPECT_EQ(centreColour(), QColor(Qt::cyan));
    EXPECT_LE(Form7->pageCache().heldCanvases(), 3);
}

TEST_F(ViewerTest, AnUndecodableFileIsReportedAndTheViewerStaysAsItWas) {
    writePicture("a.bmp", 64, 48, Qt::red);
    QFile bad(pathOf("bad.jpg"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("this is no JPEG");
    bad.close();
    fillCatalogue({"a.bmp", "bad.jpg"});

    // A first opening: the viewer is up and black, the main window still enabled.
    ReturnWindow = SizeWindow;
    doubleClickItem(1);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("bad.jpg")) << errors[0].toStdString();
    EXPECT_TRUE(Form7->isVisible());
    EXPECT_EQ(landing().rect, QRect());
    EXPECT_TRUE(Form1->isEnabled());
    EXPECT_EQ(ReturnWindow, SizeWindow);
    click(Form7);
    EXPECT_FALSE(Form7->isVisible());

    // Paging onto it: the previous picture stays, the main window stays disabled.
    doubleClickItem(0);
    release(Qt::Key_Right);
    EXPECT_EQ(errors.size(), 2);
    EXPECT_TRUE(Form7->isVisible());
    EXPECT_EQ(centreColour(), QColor(Qt::red));
    EXPECT_FALSE(Form1->isEnabled());
    EXPECT_EQ(ReturnWindow, MainWindow);
    click(Form7);
    EXPECT_TRUE(Form1->isEnabled());
}

TEST_F(ViewerTest, ADoubleClickOpensInEveryModeButLoading) {
    writePicture("a.bmp", 64, 48, Qt::red);
    fillCatalogue({"a.bmp"});
    Form1->setModeWord(mode::Loading);
    doubleClickItem(0);
    EXPECT_FALSE(Form7->isVisible());
    EXPECT_TRUE(Form1->isEnabled());

    Form1->setModeWord(mode::Moving);
    doubleClickItem(0);
    EXPECT_TRUE(Form7->isVisible());
    click(Form7);

    // Nothing selected: nothing happens.
    Form1->setModeWord(mode::Loaded);
    Form1->listSelection().clearSelection();
    Form1->ListView1DblClick();
    EXPECT_FALSE(Form7->isVisible());
}

TEST_F(ViewerTest, ClosingTheProgramWhilePicturesArePreparedIsSafe) {
    writePicture("a.bmp", 64, 48, Qt::red);
    writePicture("b.bmp", 4000, 3000, Qt::green);
    writePicture("c.bmp", 4000, 3000, Qt::blue);
    fillCatalogue({"a.bmp", "b.bmp", "c.bmp"});
    doubleClickItem(0);
    release(Qt::Key_Right); // at once: b is still being composed, or not yet begun
    EXPECT_EQ(centreColour(), QColor(Qt::green));
    release(Qt::Key_Left);
    EXPECT_EQ(centreColour(), QColor(Qt::red));
    // TearDown destroys the windows at once, with b or c still being composed.
}
