// The rules behind both rename dialogs: extensions, new names, the folder index and the
// rename operation. No window is made.
#include "platform/file_exists.h"
#include "platform/name_codec.h"
#include "platform/paths.h"
#include "rename/folder_index.h"
#include "rename/rename_rules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace volmarin;

namespace {

TEST(RenameRulesTest, ExtensionIsFromTheLastDotUnlessAFolderOrDriveMarkFollows) {
    struct Case {
        const char* name;
        const char* extension;
        const char* rest;
    };
    const Case cases[] = {
        {"a.b.jpg", ".jpg", "a.b"},
        {"写真.JPG", ".JPG", "写真"},
        {"noext", "", "noext"},
        {"x.", ".", "x"},
        {".hidden", ".hidden", ""},
        {"sub.d/file", "", "sub.d/file"},
        {"sub/a.jpg", ".jpg", "sub/a"},
        {"a.b:c", "", "a.b:c"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(extensionOf(QString::fromUtf8(c.name)), QString::fromUtf8(c.extension));
        EXPECT_EQ(withoutExtension(QString::fromUtf8(c.name)), QString::fromUtf8(c.rest));
    }
}

TEST(RenameRulesTest, NumbersTakeFourDigitsAndNegativesKeepThreeZeros) {
    const std::pair<int, const char*> cases[] = {{0, "0000"},   {5, "0005"},      {9, "0009"},
                                                 {10, "0010"},  {99, "0099"},     {100, "0100"},
                                                 {999, "0999"}, {1000, "1000"},   {9999, "9999"},
                                                 {-5, "000-5"}, {-999, "000-999"}};
    for (const auto& [n, text] : cases) {
        EXPECT_EQ(sequenceNumberText(n), text) << n;
    }
}

TEST(RenameRulesTest, NewNameJoinsNumberSeparatorBaseAndTheCaptionsOwnExtension) {
    const BatchNaming defaults{"_", "画像", false, 0};
    EXPECT_EQ(NewName(defaults, "x.jpg", 1), "0001_画像.jpg");
    EXPECT_EQ(NewName(defaults, "A.JPG", 1), "0001_画像.JPG");
    EXPECT_EQ(NewName(defaults, "noext", 12), "0012_画像");
    EXPECT_EQ(NewName(defaults, "a.b.Jpeg", -5), "000-5_画像.Jpeg");
    EXPECT_EQ(NewName({"", "", false, 0}, "x.bmp", 7), "0007.bmp");

    // The own name, with leading characters cut off.
    EXPECT_EQ(NewName({"", "", true, 4}, "0012_abc.jpg", 5), "0005_abc.jpg");
    EXPECT_EQ(NewName({"-", "ignored", true, 0}, "旅.行.jpg", 1), "0001-旅.行.jpg");
    EXPECT_EQ(NewName({"-", "", true, -3}, "abc.jpg", 1), "0001-abc.jpg");
    EXPECT_EQ(NewName({"-", "", true, 3}, "abc.jpg", 1), "0001-.jpg");
    EXPECT_EQ(NewName({"-", "", true, 999}, "abc.jpg", 1), "0001-.jpg");

    // A byte that is not UTF-8 is kept and counts as one character (Shift-JIS テスト).
    const QString ownName =
        NewName({"_", "", true, 2}, nameFromBytes("\x83\x65\x83\x58\x83\x67.jpg"), 1);
    EXPECT_EQ(nameToBytes(ownName), "0001_\x83\x58\x83\x67.jpg");
}

TEST(RenameRulesTest, OwnNameIsCountedInCodePointsAndCappedAtThreeHundred) {
    const QString face = QString::fromUcs4(U"\U0001F600"); // two UTF-16 units
    // Cutting two characters takes two whole faces, never half of one.
    EXPECT_EQ(NewName({"", "", true, 2}, face.repeated(3) + "猫.jpg", 1), "0001" + face + "猫.jpg");

    const QString longName = face.repeated(305) + ".jpg";
    const QString capped = NewName({"", "", true, 0}, longName, 1);
    EXPECT_EQ(capped, "0001" + face.repeated(300) + ".jpg");
    const QString afterCut = NewName({"", "", true, 10}, longName, 1);
    EXPECT_EQ(afterCut, "0001" + face.repeated(295) + ".jpg") << "the cap applies after the cut";
}

TEST(RenameRulesTest, FailureNoticeListsTheCharactersWithAFullWidthBar) {
    EXPECT_EQ(renameFailureMainLine(), "ファイル名に使えない文字が含まれてます");
    EXPECT_EQ(renameFailureSecondLine(), QString::fromUtf8("\\ / : , ; * ? \" < > \uFF5C"));
}

class RenameOnDiskTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString folder() const { return dir.path(); }
    QString path(const QString& name) const { return joinPath(dir.path(), name); }
    void makeFile(const QString& name, const QByteArray& content = "x") {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
        f.write(content);
    }
    void makeFolder(const QString& name) { ASSERT_TRUE(QDir(folder()).mkpath(name)); }
    QByteArray contentOf(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList entries() const {
        return QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                                        QDir::Name);
    }

    QTemporaryDir dir;
};

// The index answers every name as the disk lookup does, also after recorded moves.
TEST_F(RenameOnDiskTest, IndexAgreesWithTheExistenceTest) {
    makeFile("a.jpg");
    makeFile("B.JPG");
    makeFolder("dir.jpg");
    makeFile("c.jpg");
    makeFolder("C.JPG"); // a folder and a file that differ only in case
    makeFile("画像.JPG");
    makeFolder("sub");
    makeFile("sub/in.jpg");
    ASSERT_EQ(symlink("a.jpg", path("link.jpg").toUtf8().constData()), 0);
    ASSERT_EQ(symlink("gone.jpg", path("dangling.jpg").toUtf8().constData()), 0);
    const QStringList queries = {"a.jpg",   "A.JPG",    "b.jpg",      "B.JPG",      "dir.jpg",
                                 "DIR.JPG", "c.jpg",    "C.jpg",      "link.jpg",   "dangling.jpg",
                                 "none",    "sub",      "sub/in.jpg", "sub/IN.JPG", "*.jpg",
                                 "d*",      "?.JPG",    "",           ".",          "..",
                                 "*",       "画像.jpg", "x.jpg"};
    auto compare = [&](const char* when) {
        const FolderIndex index(folder());
        for (const QString& q : queries) {
            EXPECT_EQ(index.fileExists(q), fileExists(path(q))) << when << ": " << q.toStdString();
        }
    };
    compare("as made");
    {
        // The folder is read once: a file made afterwards is not seen.
        const FolderIndex before(folder());
        makeFile("x.jpg");
        EXPECT_FALSE(before.fileExists("x.jpg"));
        compare("with x.jpg");
    }

    FolderIndex index(folder());
    ASSERT_TRUE(renameFile(index, "a.jpg", "A2.jpg"));
    ASSERT_TRUE(renameFile(index, "B.JPG", "sub/b.jpg"));
    ASSERT_TRUE(renameFile(index, "sub/in.jpg", "in.jpg"));
    for (const QString& q : queries + QStringList{"a2.JPG", "in.jpg", "sub/B.JPG"}) {
        EXPECT_EQ(index.fileExists(q), fileExists(path(q))) << "after moves: " << q.toStdString();
    }
}

TEST_F(RenameOnDiskTest, RenameMovesOnlyToANameThatNoEntryBearsInAnyCase) {
    makeFile("a.jpg", "A");
    makeFile("B.jpg", "B");
    makeFolder("taken");
    makeFolder("sub");

    EXPECT_FALSE(renameFile(folder(), "a.jpg", "b.JPG")) << "a case variant of a file";
    EXPECT_FALSE(renameFile(folder(), "a.jpg", "TAKEN")) << "a folder";
    EXPECT_FALSE(renameFile(folder(), "a.jpg", "A.JPG")) << "its own name in another case";
    EXPECT_FALSE(renameFile(folder(), "missing.jpg", "m.jpg"));
    for (const char* bad : {"x*.jpg", "x?.jpg", "x\n.jpg", "x|y", "nosuchdir/x.jpg", "sub/"}) {
        EXPECT_FALSE(renameFile(folder(), "a.jpg", QString::fromUtf8(bad))) << bad;
    }
    EXPECT_EQ(entries(), (QStringList{"B.jpg", "a.jpg", "sub", "taken"}));
    EXPECT_EQ(contentOf("a.jpg"), "A");
    EXPECT_EQ(contentOf("B.jpg"), "B");

    makeFile("sub/X.JPG", "X");
    EXPECT_FALSE(renameFile(folder(), "a.jpg", "sub/x.jpg"))
        << "the case test looks in the sub-folder";
    EXPECT_TRUE(renameFile(folder(), "a.jpg", "sub/a.jpg"));
    EXPECT_EQ(contentOf("sub/a.jpg"), "A");
    EXPECT_TRUE(renameFile(folder(), "B.jpg", "b.jpg.old"));
    EXPECT_EQ(entries(), (QStringList{"b.jpg.old", "sub", "taken"}));
}

// A file that appears after the index was read is still never replaced: the move itself
// refuses atomically.
TEST_F(RenameOnDiskTest, StaleIndexNeverLetsAMoveReplaceAFile) {
    makeFile("a.jpg", "A");
    FolderIndex index(folder());
    makeFile("new.jpg", "LATE");
    EXPECT_FALSE(index.anyEntry("new.jpg"));
    EXPECT_FALSE(renameFile(index, "a.jpg", "new.jpg"));
    EXPECT_EQ(contentOf("a.jpg"), "A");
    EXPECT_EQ(contentOf("new.jpg"), "LATE");
    EXPECT_TRUE(index.fileExists("a.jpg")) << "a failed move is not recorded";
}

// Nothing is moved out of the folder or into it from outside, by ".." or through a link
// to another folder; links that stay inside, and a loaded folder reached through a link,
// are fine.
TEST_F(RenameOnDiskTest, RenamesStayInsideTheFolder) {
    makeFolder("photos/sub");
    makeFolder("photos/0001");
    makeFolder("outside");
    makeFolder("photos2");
    makeFile("outside/x.jpg", "X");
    const QString photos = path("photos");
    ASSERT_EQ(symlink("../outside", path("photos/out").toUtf8().constData()), 0);
    ASSERT_EQ(symlink("../photos2", path("photos/twin").toUtf8().constData()), 0);
    ASSERT_EQ(symlink("sub", path("photos/in").toUtf8().constData()), 0);
    ASSERT_EQ(symlink("photos", path("photos-link").toUtf8().constData()), 0);
    makeFile("photos/a.jpg", "A");
    FolderIndex index(photos);
    for (const char* escape : {"../a.jpg", "../../escaped.jpg", "0001/../../escaped.jpg",
                               "sub/../b.jpg", "out/a.jpg", "out/../photos/a.jpg", "twin/a.jpg"}) {
        EXPECT_FALSE(renameFile(photos, "a.jpg", escape)) << escape;
        EXPECT_FALSE(renameFile(index, "a.jpg", escape)) << escape;
    }
    EXPECT_FALSE(renameFile(photos, "out/x.jpg", "x.jpg")) << "a file from outside";
    EXPECT_FALSE(renameFile(index, "../outside/x.jpg", "x.jpg")) << "a file from outside";
    EXPECT_EQ(contentOf("photos/a.jpg"), "A");
    EXPECT_EQ(QDir(path("outside")).entryList(QDir::Files), QStringList{"x.jpg"});
    EXPECT_TRUE(QDir(path("photos2")).isEmpty());
    EXPECT_EQ(entries(), (QStringList{"outside", "photos", "photos-link", "photos2"}));

    EXPECT_TRUE(renameFile(index, "a.jpg", "sub/a.jpg")) << "a sub-folder is inside";
    EXPECT_TRUE(renameFile(photos, "sub/a.jpg", "in/b.jpg")) << "a link that stays inside";
    EXPECT_TRUE(renameFile(path("photos-link"), "sub/b.jpg", "./c.jpg")) << "via a link";
    EXPECT_EQ(contentOf("photos/c.jpg"), "A");
}

// Another program keeps swapping the sub-folder "sub" with a link to a folder outside, as
// fast as it can, while single renames move files into "sub" and a batch pass takes them
// out again: whatever the timing, every rename either stays inside or is refused.
TEST_F(RenameOnDiskTest, ASubFolderSwappedForALinkNeverLeadsOutside) {
    makeFolder("photos/sub");
    makeFolder("outside");
    makeFile("outside/own.jpg", "OWN");
    const QString photos = path("photos");
    ASSERT_EQ(symlink("../outside", path("photos/swap").toUtf8().constData()), 0);
    constexpr int files = 30;
    const auto name = [](const char* prefix, int i) {
        return prefix + QString::number(i) + ".jpg";
    };
    for (int i = 0; i < files; ++i)
        makeFile("photos/" + name("a", i), QByteArray::number(i));

    const QByteArray sub = path("photos/sub").toUtf8();
    const QByteArray swap = path("photos/swap").toUtf8();
    const auto exchange = [&] {
        return syscall(SYS_renameat2, AT_FDCWD, sub.constData(), AT_FDCWD, swap.constData(),
                       RENAME_EXCHANGE) == 0;
    };
    if (!exchange())
        GTEST_SKIP() << "this file system cannot exchange two names atomically";
    ASSERT_TRUE(exchange());
    std::atomic<bool> stop{false};
    std::atomic<int> swaps{0};
    std::thread swapper([&] {
        while (!stop.load())
            swaps += exchange() ? 1 : 0;
    });
    while (swaps.load() < 2)
        std::this_thread::yield();
    int single = 0, batch = 0;
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < files; ++i)
            single += renameFile(photos, name("a", i), "sub/" + name("a", i)) ? 1 : 0;
        FolderIndex index(photos);
        for (int i = 0; i < files; ++i)
            batch += renameFile(index, "sub/" + name("a", i), name("a", i)) ? 1 : 0;
    }
    stop = true;
    swapper.join();
    if (QFileInfo(path("photos/sub")).isSymLink()) {
        ASSERT_TRUE(exchange());
    }
    std::printf("%d swaps; %d single and %d batch renames of %d went through\n", swaps.load(),
                single, batch, 5 * files);

    EXPECT_EQ(QDir(path("outside")).entryList(QDir::Files), QStringList{"own.jpg"});
    EXPECT_EQ(contentOf("outside/own.jpg"), "OWN");
    for (int i = 0; i < files; ++i) {
        const QString top = "photos/" + name("a", i), inSub = "photos/sub/" + name("a", i);
        EXPECT_NE(QFile::exists(path(top)), QFile::exists(path(inSub))) << i;
        EXPECT_EQ(contentOf(QFile::exists(path(top)) ? top : inSub), QByteArray::number(i));
    }
}

// A caption whose file now bears its name in another letter case: the move takes that file.
TEST_F(RenameOnDiskTest, TheMoveTakesTheEntryFoundUnderAnotherCase) {
    makeFile("A.BMP", "first");
    makeFile("Sub.JPG", "second");
    EXPECT_TRUE(renameFile(folder(), "a.bmp", "one.bmp"));
    FolderIndex index(folder());
    EXPECT_TRUE(renameFile(index, "sub.jpg", "two.jpg"));
    EXPECT_EQ(entries(), (QStringList{"one.bmp", "two.jpg"}));
    EXPECT_EQ(contentOf("one.bmp"), "first");
    EXPECT_EQ(contentOf("two.jpg"), "second");
    EXPECT_FALSE(index.fileExists("Sub.JPG")) << "the index recorded the entry that moved";
    EXPECT_TRUE(index.fileExists("TWO.jpg"));
}

} // namespace
