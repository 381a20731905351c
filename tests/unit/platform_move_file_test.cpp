#include "platform/file_exists.h"
#include "platform/move_file.h"
#include "platform/name_codec.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace volmarin;

namespace {

class MoveFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const QString& name) const { return joinPath(dir.path(), name); }

    void makeFile(const QString& name, const QByteArray& content) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
        f.write(content);
    }
    QByteArray contentOf(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList entries() const {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir dir;
};

TEST_F(MoveFileTest, RenamesInPlace) {
    makeFile("a.jpg", "A");
    const MoveResult r = moveFile(dir.path(), "a.jpg", "0001_旅行.jpg");
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.reason.isEmpty());
    EXPECT_EQ(entries(), QStringList{"0001_旅行.jpg"});
    EXPECT_EQ(contentOf("0001_旅行.jpg"), "A");
}

TEST_F(MoveFileTest, NeverReplacesAnExistingFile) {
    makeFile("a.jpg", "A");
    makeFile("b.jpg", "B");
    const MoveResult r = moveFile(dir.path(), "a.jpg", "b.jpg");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, QString::fromLocal8Bit(strerror(EEXIST)));
    EXPECT_EQ(contentOf("a.jpg"), "A");
    EXPECT_EQ(contentOf("b.jpg"), "B");
    // Nor a folder standing at the target.
    ASSERT_TRUE(QDir(dir.path()).mkdir("c.jpg"));
    EXPECT_FALSE(moveFile(dir.path(), "a.jpg", "c.jpg").ok);
    EXPECT_EQ(contentOf("a.jpg"), "A");
}

TEST_F(MoveFileTest, CaseOnlyRenameIsLeftToTheExistenceTest) {
    // The disk here tells case apart, so the move itself succeeds; what keeps the program
    // from making such a pair is the existence test, which sees the case variant.
    makeFile("a.jpg", "A");
    EXPECT_TRUE(fileExists(path("A.JPG")));
    EXPECT_TRUE(moveFile(dir.path(), "a.jpg", "A.JPG").ok);
    EXPECT_EQ(entries(), QStringList{"A.JPG"});
}

TEST_F(MoveFileTest, RefusesNamesThatPortableDisksCannotHoldAndChangesNothing) {
    makeFile("a.jpg", "A");
    for (const char16_t* bad :
         {u"b:c.jpg", u"b*.jpg", u"b?.jpg", u"b\".jpg", u"b<.jpg", u"b>.jpg", u"b|.jpg",
          u"b\\c.jpg", u"b\u0001.jpg", u"b\u001F.jpg", u"", u"/b.jpg", u"sub//b.jpg", u"sub/"}) {
        const QString name = QString::fromUtf16(bad);
        EXPECT_FALSE(isPortableName(name)) << name.toStdString();
        const MoveResult r = moveFile(dir.path(), "a.jpg", name);
        EXPECT_FALSE(r.ok) << name.toStdString();
        EXPECT_FALSE(r.reason.isEmpty());
    }
    EXPECT_EQ(entries(), QStringList{"a.jpg"});
    EXPECT_TRUE(isPortableName(" b .jpg"));
    EXPECT_TRUE(isPortableName("sub/b.jpg"));
    // Shift-JIS ソ (83 5C) and ポ (83 7C) kept from an old name: their second bytes are no marks.
    EXPECT_TRUE(isPortableName(nameFromBytes("0001_\x83\x5C\x83\x7C.jpg")));
    EXPECT_FALSE(isPortableName(nameFromBytes("\xA0\\.jpg"))) << "no Shift-JIS lead byte";
    EXPECT_FALSE(isPortableName(nameFromBytes("\x83\x5C\x5C.jpg"))) << "a backslash of its own";
}

TEST_F(MoveFileTest, MovesIntoAnExistingSubFolder) {
    makeFile("a.jpg", "A");
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    EXPECT_TRUE(moveFile(dir.path(), "a.jpg", "sub/a2.jpg").ok);
    EXPECT_EQ(contentOf("sub/a2.jpg"), "A");
    EXPECT_EQ(entries(), QStringList{"sub"});
    // A sub-folder that is not there makes the move fail.
    makeFile("b.jpg", "B");
    EXPECT_FALSE(moveFile(dir.path(), "b.jpg", "nosub/b.jpg").ok);
    EXPECT_EQ(contentOf("b.jpg"), "B");
}

TEST_F(MoveFileTest, MissingSourceFails) {
    makeFile("b.jpg", "B");
    const MoveResult r = moveFile(dir.path(), "a.jpg", "c.jpg");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, QString::fromLocal8Bit(strerror(ENOENT)));
    EXPECT_EQ(entries(), QStringList{"b.jpg"});
}

} // namespace
