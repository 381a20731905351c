// A catalogue caption or a listed chooser entry whose file now bears its name in another
// letter case: the existence test finds it, so the viewer shows that file.
#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "chooser/folder_chooser.h"
#include "viewer/notice_box.h"
#include "viewer/viewer_window.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QTest>

using namespace volmarin;
using namespace volmarin::test;

namespace {

// A double click as the window system delivers it.
void doubleClick(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

class CaseVariantViewerTest : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        Form7->setScreenSize(QSize(640, 480));
    }
    void writePicture(const QString& name, QColor colour) {
        QImage image(64, 48, QImage::Format_RGB888);
        image.fill(colour);
        ASSERT_TRUE(image.save(QDir(photos).filePath(name), "BMP")) << name.toStdString();
    }
    void renameOnDisk(const QString& from, const QString& to) {
        ASSERT_TRUE(QFile::rename(QDir(photos).filePath(from), QDir(photos).filePath(to)));
    }
    static QColor centre() { return Form7->ui.Image1->pixmap().toImage().pixelColor(320, 240); }
    void closeViewer() {
        QTest::mouseClick(Form7, Qt::LeftButton, {}, QPoint(5, 5));
        ASSERT_FALSE(Form7->isVisible());
    }
};

} // namespace

TEST_F(CaseVariantViewerTest, CatalogueAndChooserShowTheFileFoundUnderAnotherCase) {
    writePicture("a.bmp", Qt::red);
    writePicture("b.bmp", Qt::green);
    fillCatalogue({"a.bmp", "b.bmp"});
    Form1->setModeWord(mode::Loaded);
    renameOnDisk("a.bmp", "A.BMP");
    renameOnDisk("b.bmp", "B.Bmp");

    clickOn(0);
    doubleClick(viewport(), itemPoint(0));
    ASSERT_TRUE(Form7->isVisible());
    EXPECT_EQ(centre(), QColor(Qt::red));
    // Paging reaches the next case variant the same way.
    QTest::keyRelease(Form7, Qt::Key_Right);
    EXPECT_EQ(SourceIndex, 1);
    EXPECT_EQ(centre(), QColor(Qt::green));
    EXPECT_FALSE(Form6->isVisible());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
    closeViewer();
    EXPECT_TRUE(Form1->isEnabled());

    // The chooser lists the folder, then the file changes case behind its back.
    Form2->setFolder(photos);
    clickMenuEntry(Form1->ui.Folder1);
    ASSERT_TRUE(Form2->isVisible());
    QListWidget* files = Form2->ui.FileListBox1;
    ASSERT_EQ(files->count(), 2);
    ASSERT_EQ(files->item(1)->text(), "B.Bmp");
    renameOnDisk("B.Bmp", "b.BMP");
    doubleClick(files->viewport(), files->visualItemRect(files->item(1)).center());
    ASSERT_TRUE(Form7->isVisible());
    EXPECT_EQ(centre(), QColor(Qt::green));
    EXPECT_EQ(ReturnWindow, ChooserWindow);
    EXPECT_FALSE(Form6->isVisible());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
    closeViewer();
    EXPECT_TRUE(Form2->isEnabled());
}
