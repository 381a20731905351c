#include "platform/file_exists.h"
#include "platform/name_codec.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <unistd.h>

using namespace volmarin;

namespace {

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const QString& name) const { return joinPath(dir.path(), name); }

    void makeFile(const QString& name) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
        f.write("x");
    }
    void makeFolder(const QString& name) { ASSERT_TRUE(QDir(dir.path()).mkpath(name)); }

    QTemporaryDir dir;
};

TEST(Wildcards, MatchStarAndQuestionMarkWithoutRegardToCase) {
    const struct {
        const char16_t* pattern;
        const char16_t* name;
        bool matches;
    } cases[] = {
        {u"*.jpg", u"a.jpg", true},
        {u"*.jpg", u"A.JPG", true},
        {u"*.jpg", u".jpg", true},
        {u"*.jpg", u"a.jpeg", false},
        {u"*.jpg", u"a.jpg.txt", false},
        {u"*.jpg", u"a.jpg.jpg", true},
        {u"a*b*c", u"aXXbYYbZZc", true},
        {u"a*b*c", u"aXXbYYcZZ", false},
        {u"?.bmp", u"1.bmp", true},
        {u"?.bmp", u"12.bmp", false},
        {u"?.bmp", u".bmp", false},
        {u"*", u"", true},
        {u"", u"a", false},
        // "?" is one code point: a character outside the BMP is two UTF-16 units.
        {u"?.jpg", u"\U0001F600.jpg", true},
        {u"??.jpg", u"\U0001F600.jpg", false},
        // Case folding reaches beyond ASCII.
        {u"É*.jpg", u"été.JPG", true},
        {u"ΣΟΦΊΑ.bmp", u"σοφία.BMP", true},
        {u"画像?.jpg", u"画像1.JPG", true},
        {u"画像?.jpg", u"画象1.jpg", false},
        {u"e.jpg", u"é.jpg", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wildcardMatch(QString::fromUtf16(c.pattern), QString::fromUtf16(c.name)),
                  c.matches)
            << QString::fromUtf16(c.pattern).toStdString() << " vs "
            << QString::fromUtf16(c.name).toStdString();

    // A byte that is not UTF-8 is one character, itself and no other, without letter case.
    EXPECT_TRUE(wildcardMatch("?.JPG", nameFromBytes("\xFF.jpg")));
    EXPECT_FALSE(wildcardMatch(nameFromBytes("\xE9t\xE9.jpg"), nameFromBytes("\xE8t\xE8.jpg")));
    EXPECT_FALSE(wildcardMatch(nameFromBytes("\xC9t\xC9.jpg"), nameFromBytes("\xE9t\xE9.jpg")));
    // The second byte of a Shift-JIS character has no case either: テ (83 65) is not ウ (83 45).
    EXPECT_FALSE(wildcardMatch(nameFromBytes("\x83\x65.jpg"), nameFromBytes("\x83\x45.JPG")));
    EXPECT_TRUE(wildcardMatch(nameFromBytes("\xA0"
                                            "e.jpg"),
                              nameFromBytes("\xA0"
                                            "E.JPG")));
}

TEST(FileListOrder, IsCaseInsensitiveNotNumericAndTotal) {
    QStringList names{"b.jpg", "IMG_2.jpg", "a.jpg", "A.jpg", "IMG_10.jpg",
                      "A.bmp", "E.jpg",     "é.jpg", "z.jpg"};
    sortFileNames(names);
    // A.jpg and a.jpg tie without regard to case; byte order puts "A" (0x41) first.
    const QStringList expected{"A.bmp", "A.jpg",      "a.jpg",     "b.jpg", "E.jpg",
                               "é.jpg", "IMG_10.jpg", "IMG_2.jpg", "z.jpg"};
    EXPECT_EQ(names, expected);

    QStringList reversed(expected.rbegin(), expected.rend());
    sortFileNames(reversed);
    EXPECT_EQ(reversed, expected);
}

TEST(FileListOrder, DoesNotDependOnTheLocaleOfTheEnvironment) {
    const QStringList input{"z.jpg", "é.jpg", "E.jpg", "_x.jpg", "b.JPG", "B.jpg", "画像.jpg"};
    QStringList underJapanese = input;
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    sortFileNames(underJapanese);

    QStringList underC = input;
    QLocale::setDefault(QLocale::c());
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    sortFileNames(underC);
    std::setlocale(LC_ALL, savedC.c_str());
    QLocale::setDefault(saved);

    EXPECT_EQ(underC, underJapanese);
    // Under plain code-point order "é" would come after "z".
    EXPECT_LT(underC.indexOf("é.jpg"), underC.indexOf("z.jpg"));
    EXPECT_LT(underC.indexOf("B.jpg"), underC.indexOf("b.JPG"));
}

TEST_F(FolderTest, ListFilesFiltersByMaskAndKeepsOnlyFiles) {
    for (const char* name : {"PHOTO.JPG", "photo.Bmp", ".x.jpg", "x.jpeg", "x.png", "b.jpg",
                             "IMG_2.jpg", "IMG_10.jpg", "a.jpg", "A.bmp"})
        makeFile(QString::fromUtf8(name));
    makeFolder("y.jpg");
    ASSERT_EQ(symlink("b.jpg", path("link.jpg").toUtf8().constData()), 0);
    ASSERT_EQ(symlink("y.jpg", path("dirlink.jpg").toUtf8().constData()), 0);
    ASSERT_EQ(symlink("missing", path("dangling.jpg").toUtf8().constData()), 0);

    const QStringList expected{".x.jpg",    "A.bmp",    "a.jpg",     "b.jpg",    "IMG_10.jpg",
                               "IMG_2.jpg", "link.jpg", "photo.Bmp", "PHOTO.JPG"};
    EXPECT_EQ(listFiles(dir.path(), "*.bmp;*.jpg"), expected);
    // Empty parts of a mask match nothing; each file is listed once even if two parts match.
    EXPECT_EQ(listFiles(dir.path(), ";*.BMP;;*.bmp;"), (QStringList{"A.bmp", "photo.Bmp"}));
    EXPECT_TRUE(listFiles(path("no such folder"), "*.jpg").isEmpty());
}

TEST_F(FolderTest, ListFilesCopesWithNonAsciiNames) {
    makeFile("画像02.jpg");
    makeFile("画像01.JPG");
    makeFile("Été.bmp");
    EXPECT_EQ(listFiles(dir.path(), "*.bmp;*.jpg"),
              (QStringList{"Été.bmp", "画像01.JPG", "画像02.jpg"}));
}

TEST_F(FolderTest, FileExistsFindsExactCaseVariantAndWildcardNames) {
    makeFile("Photo.jpg");
    makeFile("画像.JPG");
    makeFile("Été.jpg");
    makeFolder("album");

    EXPECT_TRUE(fileExists(path("Photo.jpg")));
    EXPECT_TRUE(fileExists(path("PHOTO.JPG")));
    EXPECT_TRUE(fileExists(path("photo.jpg")));
    EXPECT_TRUE(fileExists(path("画像.jpg")));
    EXPECT_TRUE(fileExists(path("été.jpg")));
    EXPECT_TRUE(fileExists(path("P*.jpg")));
    EXPECT_TRUE(fileExists(path("?hoto.JPG")));
    EXPECT_FALSE(fileExists(path("Photo.jpg.bak")));
    EXPECT_FALSE(fileExists(path("Ete.jpg")));
    EXPECT_FALSE(fileExists(path("Q*")));
    EXPECT_FALSE(fileExists(path("album")));
    EXPECT_FALSE(fileExists(path("ALBUM")));
    EXPECT_FALSE(fileExists(path("")));
    EXPECT_FALSE(fileExists(joinPath(path("no such folder"), "Photo.jpg")));
}

TEST_F(FolderTest, FileExistsLetsTheFirstMatchInListOrderDecide) {
    makeFolder("a.jpg");
    makeFile("b.jpg");
    // The folder a.jpg sorts before b.jpg, so it is what "?.jpg" finds.
    EXPECT_FALSE(fileExists(path("?.jpg")));
    EXPECT_FALSE(fileExists(path("*")));
    EXPECT_TRUE(fileExists(path("b*")));

    // A case variant that is a folder hides a file only when it comes first.
    makeFolder("C.JPG");
    makeFile("c.jpg");
    EXPECT_TRUE(fileExists(path("c.jpg")));  // the exact name is a file
    EXPECT_FALSE(fileExists(path("C.jpg"))); // "C.JPG" (the folder) precedes "c.jpg"
    makeFile("D.JPG");
    makeFolder("d.jpg");
    EXPECT_TRUE(fileExists(path("D.jpg")));
}

TEST_F(FolderTest, FileExistsInTheWorkingFolderAndThroughSymlinks) {
    makeFile("a.jpg");
    ASSERT_EQ(symlink("a.jpg", path("l.jpg").toUtf8().constData()), 0);
    EXPECT_TRUE(fileExists(path("L.JPG")));
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_TRUE(fileExists("A.JPG"));
    EXPECT_TRUE(fileExists("l.jpg"));
    QDir::setCurrent(saved);
}

TEST_F(FolderTest, ExistingEntryPathNamesTheEntryTheExistenceTestFound) {
    makeFile("Photo.jpg");
    makeFile("画像.JPG");
    makeFolder("C.JPG");
    makeFile("c.jpg");
    makeFile("D.JPG");
    makeFolder("d.jpg");
    makeFolder("album");
    EXPECT_EQ(existingEntryPath(path("Photo.jpg")), path("Photo.jpg"));
    EXPECT_EQ(existingEntryPath(path("photo.JPG")), path("Photo.jpg"));
    EXPECT_EQ(existingEntryPath(path("画像.jpg")), path("画像.JPG"));
    EXPECT_EQ(existingEntryPath(path("c.jpg")), path("c.jpg"));
    EXPECT_EQ(existingEntryPath(path("C.jpg")), "") << "the folder C.JPG comes first";
    EXPECT_EQ(existingEntryPath(path("d.jpg")), path("D.JPG")) << "d.jpg itself is a folder";
    EXPECT_EQ(existingEntryPath(path("album")), "");
    EXPECT_EQ(existingEntryPath(path("none.jpg")), "");
    EXPECT_EQ(existingEntryPath(path("")), "");
    // A pattern finds a file, but never stands for it.
    EXPECT_TRUE(fileExists(path("P*.jpg")));
    EXPECT_EQ(existingEntryPath(path("P*.jpg")), "");
    // The folders of the path are kept as given; a bare name stays bare.
    EXPECT_EQ(existingEntryPath(dir.path() + "//PHOTO.jpg"), dir.path() + "//Photo.jpg");
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_EQ(existingEntryPath("PHOTO.JPG"), "Photo.jpg");
    QDir::setCurrent(saved);
}

} // namespace
