// Names that are not UTF-8 (Shift-JIS, Latin-1, a lone 0xFF) in a start folder, a photos
// folder and its files, met as a user meets them. Qt's file classes cannot name such files,
// so the test makes and reads them by their bytes.
#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "catalogue/thumbnail_delegate.h"
#include "chooser/folder_chooser.h"
#include "platform/name_codec.h"
#include "rename/batch_rename_dialog.h"
#include "rename/single_rename_dialog.h"
#include "viewer/notice_box.h"
#include "viewer/size_dialog.h"
#include "viewer/viewer_window.h"

#include <QBuffer>
#include <QImage>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <map>

#include <unistd.h>

using namespace volmarin;
using namespace volmarin::test;
namespace fs = std::filesystem;

namespace {

void write(const std::string& path, const QByteArray& content) {
    std::ofstream(path, std::ios::binary).write(content.constData(), content.size());
}

// Every entry under root by its path's bytes, with a file's content.
std::map<std::string, std::string> treeOf(const std::string& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string& content = tree[entry.path().native().substr(root.size())];
        if (!entry.is_directory()) {
            std::ifstream file(entry.path(), std::ios::binary);
            content.assign(std::istreambuf_iterator<char>(file), {});
        }
    }
    return tree;
}

QByteArray picture(QColor colour, const std::string& name) {
    QImage image(64, 48, QImage::Format_RGB888);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, name.ends_with(".bmp") ? "BMP" : "JPG");
    return data;
}

std::string bytes(const QString& name) {
    return nameToBytes(name).toStdString();
}

class NameEncodingTest : public WindowSetTest {
protected:
    void TearDown() override {
        WindowSetTest::TearDown();
        fs::remove_all(bytes(startFolder()) + "/"); // Qt's own clean-up cannot name these
    }

    void runBatch(const QString& separator, bool ownName, const QString& first) {
        QTest::keyClick(Form1, Qt::Key_I, Qt::ControlModifier);
        if (Form3->ui.CheckBox1->isChecked() != ownName) {
            click(Form3->ui.CheckBox1);
        }
        Form3->ui.Edit2->clear();
        typeText(Form3->ui.Edit2, separator);
        Form3->ui.Edit1->clear();
        typeText(Form3->ui.Edit1, first);
        click(Form3->ui.Button1);
        Form3->Timer1Timer();
        if (Form3->Timer2->isActive()) {
            Form3->Timer2Timer();
        }
    }
    void leaveBatch() {
        click(Form6->ui.Button1);
        click(Form3->ui.Button2);
        activate(Form1);
    }
    QPoint itemCentre(int i) const {
        return Form1->ListView1->visualRect(Form1->catalogue->index(i)).center();
    }
};

} // namespace

TEST_F(NameEncodingTest, SuchNamesAreListedLoadedShownViewedRenamedAndKeptByTheirBytes) {
    const std::string home = bytes(startFolder());
    const std::string start = home + "/\x8E\xCA\x90\x5E"; // 写真 in Shift-JIS
    const std::string photos = start + "/caf\xE9";        // café in Latin-1
    fs::create_directories(photos);
    // Where a lossy decoding of the start folder's name (U+FFFD ʐ^) would write.
    fs::create_directory(home + "/\xEF\xBF\xBD\xCA\x90\x5E");
    const std::vector<std::string> names = {"a.jpg", "b.jpg", "\x83\x65\x83\x58\x83\x67.jpg",
                                            "\xE9t\xE9.bmp", "\xFF.jpg"}; // テスト, été
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta};
    for (std::size_t i = 0; i < names.size(); ++i) {
        write(photos + "/" + names[i], picture(colours[i], names[i]));
    }
    write(start + "/VOLMARIN.INI",
          QByteArray("0\r\n").repeated(16) + "100\r\n" + photos.c_str() + "\r\n");
    auto expected = treeOf(home);
    ASSERT_EQ(::chdir(start.c_str()), 0);

    startProgram();
    EXPECT_EQ(Form5->ui.Edit1->text(), "100") << "the start folder's own settings were read";
    EXPECT_EQ(bytes(StartFolder), start);
    Form7->setScreenSize(QSize(1024, 768));

    // The chooser opens in the default folder, and lists, counts and loads every picture.
    clickMenuEntry(Form1->ui.Folder1);
    EXPECT_EQ(bytes(Form2->currentFolder()), photos);
    EXPECT_EQ(Form2->ui.Label1->text(), "5 Files");
    click(Form2->ui.Button1);
    for (int tick = 0; tick < 2000 && Form1->modeWord() == mode::Loading; ++tick) {
        Form1->Timer1Timer();
        QTest::qWait(1);
    }
    ASSERT_EQ(Form1->catalogue->count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(bytes(Form1->catalogue->caption(i)), names[i]);
    }

    // Shown with "\xHH" for each such byte, in the status line and the caption; viewed.
    QTest::mouseClick(Form1->ListView1->viewport(), Qt::LeftButton, {}, itemCentre(3));
    EXPECT_EQ(Form1->statusLine(), " [No.4]  \\xE9t\\xE9.bmp");
    const QModelIndex item = Form1->catalogue->index(3);
    EXPECT_EQ(qobject_cast<ThumbnailDelegate*>(Form1->ListView1->itemDelegate())
                  ->captionLines(Form1->ListView1->itemOption(item), item)
                  .join(QString()),
              "\\xE9t\\xE9.bmp");
    QTest::keyClick(Form1->ListView1, Qt::Key_F2); // an edit in the list starts from it too
    auto* editor = Form1->ListView1->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "\\xE9t\\xE9.bmp");
    QTest::keyClick(editor, Qt::Key_Escape);
    QTest::mouseDClick(Form1->ListView1->viewport(), Qt::LeftButton, {}, itemCentre(3));
    ASSERT_TRUE(Form7->isVisible());
    EXPECT_EQ(Form7->ui.Image1->pixmap().toImage().pixelColor(512, 384), QColor(Qt::yellow));
    click(Form7);

    // A single rename that keeps part of the name: テスト.jpg becomes テス.jpg.
    QTest::mouseClick(Form1->ListView1->viewport(), Qt::LeftButton, {}, itemCentre(2));
    activate(Form1);
    QTest::keyClick(Form1, Qt::Key_Z, Qt::ControlModifier);
    QLineEdit* field = Form4->ui.Memo1;
    EXPECT_EQ(field->text(), "\\x83e\\x83X\\x83g.jpg");
    QTest::keyClick(field, Qt::Key_End);
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(field, Qt::Key_Left);
    }
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(field, Qt::Key_Backspace); // "\x83g"
    }
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(bytes(Form1->catalogue->caption(2)), "\x83\x65\x83\x58.jpg");
    activate(Form1);

    // The batch with the own names: a photo bearing one of the new names stops it, with
    // that name shown; another separator then renames all, each keeping its bytes.
    write(photos + "/0004_\xE9t\xE9.bmp", "older");
    const auto blocked = treeOf(home);
    runBatch("_", true, "0001");
    EXPECT_EQ(Form6->secondLine(), "0004_\\xE9t\\xE9.bmp");
    EXPECT_EQ(treeOf(home), blocked);
    leaveBatch();
    runBatch("-", true, "0001");
    EXPECT_EQ(Form6->mainLine(), "完了");
    leaveBatch();
    EXPECT_EQ(bytes(Form1->catalogue->caption(2)), "0003-\x83\x65\x83\x58.jpg");
    EXPECT_EQ(bytes(Form1->catalogue->caption(4)), "0005-\xFF.jpg");

    // The batch with a typed base, then the exit, which writes the start folder's own
    // settings file with the default folder's bytes; nothing else is written anywhere.
    runBatch("_", false, "0101");
    EXPECT_EQ(Form6->mainLine(), "完了");
    leaveBatch();
    clickMenuEntry(Form1->ui.SyuuRyou);
    const std::string folder = photos.substr(home.size()) + "/";
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string renamed =
            "010" + std::to_string(i + 1) + "_画像" + (i == 3 ? ".bmp" : ".jpg");
        expected[folder + renamed] = expected[folder + names[i]];
        expected.erase(folder + names[i]);
    }
    expected[folder + "0004_\xE9t\xE9.bmp"] = "older";
    const std::string written = treeOf(home)[start.substr(home.size()) + "/VOLMARIN.INI"];
    EXPECT_TRUE(written.ends_with("\r\n100\r\n" + photos + "\r\n"));
    expected[start.substr(home.size()) + "/VOLMARIN.INI"] = written;
    EXPECT_EQ(treeOf(home), expected);
}
