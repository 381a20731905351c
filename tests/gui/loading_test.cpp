// Loading a folder into the catalogue through the chooser, tick by tick.
#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "catalogue/catalogue_load.h"
#include "catalogue/list_selection.h"
#include "chooser/folder_chooser.h"
#include "viewer/notice_box.h"
#include "viewer/size_dialog.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

using namespace volmarin;
using namespace volmarin::test;

namespace {

class LoadingTest : public WindowSetTest {
protected:
    void SetUp() override {
        WindowSetTest::SetUp();
        photos = QDir(startFolder()).filePath("photos");
        QDir(startFolder()).mkdir("photos");
        startProgram();
        Form2->setFolder(photos);
    }

    // A picture of one colour with a black 8 x 8 block (one JPEG block) at its top left.
    void makePicture(const QString& name, int width, int height, QColor colour) {
        QImage image(width, height, QImage::Format_RGB888);
        image.fill(colour);
        for (int y = 0; y < std::min(8, height); ++y) {
            for (int x = 0; x < std::min(8, width); ++x) {
                image.setPixelColor(x, y, Qt::black);
            }
        }
        ASSERT_TRUE(image.save(QDir(photos).filePath(name), nullptr, 100)) << name.toStdString();
    }

    // The chooser opened by the menu's 開く(&O) and its OK pressed.
    void openAndPressOk() {
        clickMenuEntry(Form1->ui.Folder1);
        ASSERT_TRUE(Form2->isVisible());
        click(Form2->ui.Button1);
    }

    // Runs Timer1's ticks until the load leaves "読込中" or ticks run out; returns the
    // number of ticks that appended an item.
    int tickToEnd(int maxTicks = 2000) {
        int appended = 0;
        for (int i = 0; i < maxTicks && Form1->modeWord() == mode::Loading; ++i) {
            const int before = Form1->catalogue->count();
            Form1->Timer1Timer();
            appended += Form1->catalogue->count() - before;
            if (Form1->catalogue->count() == before) {
                QTest::qWait(2); // the worker is still decoding
            }
        }
        return appended;
    }

    QString photos;
};

} // namespace

TEST_F(LoadingTest, LoadsTheChoosersFilesInListOrderWithProgressAndExactThumbnails) {
    makePicture("b.bmp", 160, 120, Qt::red);   // landscape: 80 x 60 at (0, 10)
    makePicture("A.jpg", 60, 40, Qt::blue);    // small: unscaled at (10, 20)
    makePicture("c.bmp", 100, 200, Qt::green); // portrait: 40 x 80 at (20, 0)
    Form5->ui.Edit1->setText("80");
    openAndPressOk();
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_TRUE(Form1->isEnabled());
    EXPECT_EQ(Form1->modeWord(), mode::Loading);
    EXPECT_TRUE(Form1->Timer1->isActive());
    EXPECT_EQ(LoadedFolder, photos);
    EXPECT_EQ(Form1->ImageList1.width(), 80);

    // Each tick that appends shows the progress line and selects only the newest item.
    QStringList progress;
    while (Form1->modeWord() == mode::Loading) {
        const int before = Form1->catalogue->count();
        Form1->Timer1Timer();
        if (Form1->catalogue->count() > before && Form1->modeWord() == mode::Loading) {
            progress << Form1->statusLine();
            EXPECT_EQ(Form1->listSelection().selectedCount(), 1);
            EXPECT_EQ(Form1->listSelection().currentIndex(), Form1->catalogue->count() - 1);
        } else {
            QTest::qWait(2);
        }
    }
    EXPECT_EQ(progress, QStringList({"1/3   [ESC]で中断", "2/3   [ESC]で中断"}));
    EXPECT_EQ(Form1->modeWord(), mode::Loaded);
    EXPECT_EQ(Form1->statusLine(), "");
    EXPECT_EQ(Form1->listSelection().selectedCount(), 0);
    EXPECT_EQ(SourceIndex, -1);
    EXPECT_FALSE(Form1->Timer1->isActive());

    ASSERT_EQ(Form1->catalogue->count(), 3);
    EXPECT_EQ(Form1->catalogue->caption(0), "A.jpg");
    EXPECT_EQ(Form1->catalogue->caption(1), "b.bmp");
    EXPECT_EQ(Form1->catalogue->caption(2), "c.bmp");
    ASSERT_EQ(Form1->ImageList1.count(), 3);
    const QImage small = Form1->ImageList1.at(0);
    const QImage wide = Form1->ImageList1.at(1);
    const QImage tall = Form1->ImageList1.at(2);
    EXPECT_EQ(small.size(), QSize(80, 80));
    EXPECT_EQ(small.pixelColor(9, 19), QColor(Qt::white));
    EXPECT_LT(small.pixelColor(10, 20).value(), 40) << "the black corner lands at (10, 20)";
    EXPECT_EQ(wide.pixelColor(40, 9), QColor(Qt::white));
    EXPECT_EQ(wide.pixelColor(40, 10), QColor(Qt::red));
    EXPECT_EQ(wide.pixelColor(40, 69), QColor(Qt::red));
    EXPECT_EQ(wide.pixelColor(40, 70), QColor(Qt::white));
    EXPECT_EQ(wide.pixelColor(0, 10), QColor(Qt::black));
    EXPECT_EQ(tall.pixelColor(19, 40), QColor(Qt::white));
    EXPECT_EQ(tall.pixelColor(20, 40), QColor(Qt::green));
    EXPECT_EQ(tall.pixelColor(59, 40), QColor(Qt::green));
    EXPECT_EQ(tall.pixelColor(60, 40), QColor(Qt::white));
}

TEST_F(LoadingTest, AMissingFileEndsTheLoadWithANotice) {
    for (int i = 0; i < 10; ++i) {
        makePicture(QString("p%1.bmp").arg(i), 8, 8, Qt::gray);
    }
    openAndPressOk();
    ASSERT_EQ(Form1->modeWord(), mode::Loading);
    QFile::remove(QDir(photos).filePath("p4.bmp"));
    EXPECT_EQ(tickToEnd(), 4);
    EXPECT_EQ(Form1->catalogue->count(), 4);
    EXPECT_EQ(Form1->modeWord(), mode::Loaded);
    EXPECT_EQ(Form1->statusLine(), "");
    EXPECT_EQ(Form1->listSelection().selectedCount(), 0);
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_EQ(Form6->mainLine(), "見当たらないファイルがあります");
    EXPECT_EQ(Form6->secondLine(), "読込を中断します");
    EXPECT_FALSE(Form1->isEnabled());
    click(Form6->ui.Button1);
    EXPECT_TRUE(Form1->isEnabled());
}

// A listed file renamed to another letter case before its turn is still the file the
// existence test finds, and is loaded from that entry.
TEST_F(LoadingTest, AFileRenamedToAnotherCaseMeanwhileIsLoaded) {
    makePicture("a.bmp", 20, 20, Qt::red);
    openAndPressOk();
    ASSERT_TRUE(QFile::rename(QDir(photos).filePath("a.bmp"), QDir(photos).filePath("A.BMP")));
    EXPECT_EQ(tickToEnd(), 1);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
    ASSERT_EQ(Form1->catalogue->count(), 1);
    EXPECT_EQ(Form1->ImageList1.at(0).pixelColor(40, 40), QColor(Qt::red));
}

TEST_F(LoadingTest, TheFirstFileMissingLeavesAnEmptyCatalogueButALoadedFolder) {
    makePicture("a.bmp", 8, 8, Qt::gray);
    makePicture("b.bmp", 8, 8, Qt::gray);
    openAndPressOk();
    QFile::remove(QDir(photos).filePath("a.bmp"));
    tickToEnd();
    EXPECT_EQ(Form1->catalogue->count(), 0);
    EXPECT_EQ(Form1->modeWord(), mode::Loaded);
    EXPECT_EQ(LoadedFolder, photos);
}

TEST_F(LoadingTest, ABrokenFileIsReportedAndSkipped) {
    makePicture("a.bmp", 8, 8, Qt::gray);
    QFile broken(QDir(photos).filePath("b.jpg"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("this is no JPEG");
    broken.close();
    makePicture("c.bmp", 8, 8, Qt::gray);
    openAndPressOk();
    tickToEnd();
    EXPECT_EQ(Form1->catalogue->count(), 2);
    EXPECT_EQ(Form1->catalogue->caption(1), "c.bmp");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("b.jpg")) << errors[0].toStdString();
    EXPECT_EQ(Form1->modeWord(), mode::Loaded);
}

TEST_F(LoadingTest, FileCountLimitAndEmptyFolder) {
    openAndPressOk(); // no files: nothing happens
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_EQ(Form1->modeWord(), "");
    click(Form2->ui.Button2);

    // Names are all that the limit looks at, so empty files stand in for pictures.
    for (int i = 0; i < 9999; ++i) {
        QFile file(QDir(photos).filePath(QString("%1.jpg").arg(i, 5, 10, QChar('0'))));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    openAndPressOk();
    EXPECT_EQ(Form1->modeWord(), mode::Loading) << "9999 files load";
    EXPECT_FALSE(Form2->isVisible());
    Form1->catalogueLoad().stop();

    QFile extra(QDir(photos).filePath("last.jpg"));
    ASSERT_TRUE(extra.open(QIODevice::WriteOnly));
    extra.close();
    openAndPressOk();
    EXPECT_EQ(Form1->modeWord(), mode::LoadStopped) << "10000 files are refused";
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_EQ(Form6->mainLine(), "開けるファイル数は9999までです");
    EXPECT_FALSE(Form2->isEnabled());
    click(Form6->ui.Button1);
    EXPECT_TRUE(Form2->isEnabled());
    EXPECT_TRUE(Form2->isVisible());
}

TEST_F(LoadingTest, ASizeNoThumbnailCanHaveGoesToTheErrorReportBeforeAnythingChanges) {
    makePicture("a.bmp", 8, 8, Qt::gray);
    // Not a number; no size at all; negative; larger than any screen.
    for (const char* size : {"", "0", "-5", "99999"}) {
        SCOPED_TRACE(size);
        errors.clear();
        Form5->ui.Edit1->setText(size);
        openAndPressOk(); // the click's exception reaches the application's error report
        EXPECT_EQ(errors.size(), 1);
        EXPECT_TRUE(Form2->isVisible());
        EXPECT_FALSE(Form1->isEnabled());
        EXPECT_EQ(Form1->modeWord(), "");
        EXPECT_TRUE(LoadedFolder.isEmpty());
        EXPECT_FALSE(Form1->Timer1->isActive());
        click(Form2->ui.Button2);
    }
}

// Esc while the workers are deep in pictures that take long to decode: the load stops at
// once, and a new load straight after gets its own thumbnails only.
TEST_F(LoadingTest, EscDuringSlowDecodesStopsAtOnceAndTheNextLoadIsItsOwn) {
    makePicture("slow.jpg", 64, 64, Qt::darkGray);
    QFile small(QDir(photos).filePath("slow.jpg"));
    ASSERT_TRUE(small.open(QIODevice::ReadOnly));
    QByteArray bytes = small.readAll();
    small.close();
    // The frame header claims 32768 x 32768: the decoder runs through rows of no data.
    const qsizetype sof = bytes.indexOf(QByteArray("\xff\xc0", 2));
    ASSERT_GT(sof, 0);
    bytes[sof + 5] = char(0x80);
    bytes[sof + 6] = 0;
    bytes[sof + 7] = char(0x80);
    bytes[sof + 8] = 0;
    for (int i = 0; i < 6; ++i) {
        QFile slow(QDir(photos).filePath(QStringLiteral("s%1.jpg").arg(i)));
        ASSERT_TRUE(slow.open(QIODevice::WriteOnly));
        slow.write(bytes);
    }
    QFile::remove(QDir(photos).filePath("slow.jpg"));

    Form5->ui.Edit1->setText("80");
    openAndPressOk();
    Form1->Timer1Timer(); // hands the first files to the workers
    QTest::qWait(50);
    Form1->ListView1->setFocus();
    QTest::keyClick(Form1->ListView1, Qt::Key_Escape);
    EXPECT_EQ(Form1->modeWord(), mode::LoadStopped);
    EXPECT_FALSE(Form1->Timer1->isActive());

    for (int i = 0; i < 6; ++i) {
        QFile::remove(QDir(photos).filePath(QStringLiteral("s%1.jpg").arg(i)));
    }
    makePicture("n1.bmp", 20, 20, Qt::red);
    makePicture("n2.bmp", 20, 20, Qt::blue);
    openAndPressOk();
    EXPECT_EQ(tickToEnd(), 2);
    EXPECT_EQ(Form1->modeWord(), mode::Loaded);
    EXPECT_EQ(Form1->catalogue->count(), 2);
    EXPECT_EQ(Form1->ImageList1.at(0).pixelColor(40, 40), QColor(Qt::red));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
}
