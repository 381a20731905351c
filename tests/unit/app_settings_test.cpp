// Reading and writing the settings file, without windows.
#include "app/settings_file.h"
#include "platform/number_syntax.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace volmarin;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

TEST(SettingsReader, NumbersSkipBlanksAndEmptyLinesAndIgnoreTheRestOfTheirLine) {
    SettingsReader reader("  12 trailing words\r\n\r\n\r\n-7\n$1F\r\n  80  \r\nC:\\photos dir\r\n");
    EXPECT_EQ(reader.readNumber(), 12);
    EXPECT_EQ(reader.readNumber(), -7) << "empty lines before a number are skipped";
    EXPECT_EQ(reader.readNumber(), 31);
    EXPECT_EQ(reader.readText(), "  80  ") << "a text line is kept whole";
    EXPECT_EQ(reader.readText(), "C:\\photos dir");
    EXPECT_EQ(reader.readNumber(), 0) << "a number past the end reads as 0";
    EXPECT_EQ(reader.readText(), "") << "a text past the end is empty";
}

TEST(SettingsReader, TextLinesAcceptLfAndCrLfAndUtf8) {
    SettingsReader reader("1\n2\r\n80\n/home/写真/2024\r\n");
    EXPECT_EQ(reader.readNumber(), 1);
    EXPECT_EQ(reader.readNumber(), 2);
    EXPECT_EQ(reader.readText(), "80");
    EXPECT_EQ(reader.readText(), "/home/写真/2024");
    EXPECT_EQ(reader.readText(), "");
}

TEST(SettingsReader, ANumberLineThatIsNoNumberThrowsAndNamesTheText) {
    SettingsReader reader("10\nabc\n30\n");
    EXPECT_EQ(reader.readNumber(), 10);
    try {
        reader.readNumber();
        FAIL() << "letters must not read as a number";
    } catch (const ConversionError& error) {
        EXPECT_NE(std::string(error.what()).find("abc"), std::string::npos);
    }
    SettingsReader tooBig("2147483648\n");
    EXPECT_THROW(tooBig.readNumber(), ConversionError);
}

TEST(SettingsFormat, EighteenCrLfLinesThatReadBackTheSame) {
    SettingsValues values;
    for (int i = 0; i < 16; ++i) {
        values.numbers[i] = (i % 2 ? -1 : 1) * i * 37;
    }
    values.thumbnailSize = "$14";
    values.defaultFolder = "/media/カメラ/DCIM";
    const QByteArray text = formatSettings(values);
    EXPECT_EQ(text.count("\r\n"), 18);
    EXPECT_EQ(text.count('\n'), 18);
    EXPECT_TRUE(text.startsWith("0\r\n-37\r\n74\r\n"));

    SettingsReader reader(text);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(reader.readNumber(), values.numbers[i]) << "line " << i + 1;
    }
    EXPECT_EQ(reader.readText(), values.thumbnailSize);
    EXPECT_EQ(reader.readText(), values.defaultFolder);
}

TEST(AtomicWrite, ReplacesTheFileAndLeavesNoTemporaryBehind) {
    QTemporaryDir dir;
    const QString path = dir.filePath("VOLMARIN.INI");
    writeAll(path, "old\r\n");
    ASSERT_TRUE(writeFileAtomically(path, "new\r\n"));
    EXPECT_EQ(readAll(path), "new\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"VOLMARIN.INI"});
}

TEST(AtomicWrite, AFolderThatIsGoneFailsQuietly) {
    QTemporaryDir dir;
    const QString path = dir.filePath("gone/VOLMARIN.INI");
    EXPECT_FALSE(writeFileAtomically(path, "x"));
    EXPECT_FALSE(QFile::exists(path));
}

TEST(AtomicWrite, AReadOnlyFolderKeepsTheOldFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders; the full-disk case covers it";
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("VOLMARIN.INI");
    writeAll(path, "old\r\n");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(writeFileAtomically(path, "new\r\n"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readAll(path), "old\r\n");
}

// A disk that fills up half-way through the write: the old file must survive whole and
// no partial file may be left. The limit on file size makes the write fail part-way.
TEST(AtomicWrite, AWriteThatFailsHalfWayKeepsTheOldFileWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("VOLMARIN.INI");
    writeAll(path, "old settings\r\n");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool ok = writeFileAtomically(path, QByteArray(4096, 'x'));
        ::_exit(ok ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write must report its failure";
    EXPECT_EQ(readAll(path), "old settings\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"VOLMARIN.INI"});
}

TEST(SettingsRead, ReadsAtMost64KiBAndNothingButARegularFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("VOLMARIN.INI");
    // One line of a megabyte of digits: only its start is read.
    QByteArray huge(1 << 20, '7');
    writeAll(path, huge);
    const auto content = readSettingsFile(path);
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(*content, huge.left(64 * 1024));

    writeAll(path, "1\r\n2\r\n");
    EXPECT_EQ(readSettingsFile(path), QByteArray("1\r\n2\r\n"));
    EXPECT_EQ(readSettingsFile(dir.filePath("none")), std::nullopt);
    // A FIFO in the file's place would block a plain open for good.
    QFile::remove(path);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    EXPECT_EQ(readSettingsFile(path), std::nullopt);
    EXPECT_EQ(readSettingsFile(dir.path()), std::nullopt);
}

namespace {

mode_t modeOf(const QString& path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

} // namespace

TEST(AtomicWrite, WritesThroughASymbolicLinkToItsTarget) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("start"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("dotfiles"));
    const QString target = dir.filePath("dotfiles/volmarin.ini");
    writeAll(target, "old\r\n");
    // A relative link, as a user makes one to keep the settings elsewhere, through a
    // second link.
    const QString link = dir.filePath("start/VOLMARIN.INI");
    ASSERT_EQ(::symlink("../dotfiles/middle", QFile::encodeName(link).constData()), 0);
    ASSERT_EQ(
        ::symlink("volmarin.ini", QFile::encodeName(dir.filePath("dotfiles/middle")).constData()),
        0);

    ASSERT_TRUE(writeFileAtomically(link, "new\r\n"));
    EXPECT_TRUE(S_ISLNK(modeOf(link))) << "the link stays a link";
    char linkText[64] = {};
    ASSERT_GT(::readlink(QFile::encodeName(link).constData(), linkText, sizeof linkText - 1), 0);
    EXPECT_STREQ(linkText, "../dotfiles/middle");
    EXPECT_EQ(readAll(target), "new\r\n");
    EXPECT_TRUE(S_ISREG(modeOf(target)));
    EXPECT_EQ(QDir(dir.filePath("start"))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              QStringList{"VOLMARIN.INI"});
    EXPECT_EQ(QDir(dir.filePath("dotfiles"))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              (QStringList{"middle", "volmarin.ini"}));
}

TEST(AtomicWrite, KeepsThePermissionBitsAndLeavesAReadOnlyFileAlone) {
    QTemporaryDir dir;
    const QString path = dir.filePath("VOLMARIN.INI");
    for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0664)}) {
        writeAll(path, "old\r\n");
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        ASSERT_TRUE(writeFileAtomically(path, "new\r\n"));
        EXPECT_EQ(readAll(path), "new\r\n");
        EXPECT_EQ(modeOf(path) & 07777, mode);
    }
    // Without the owner's write bit the file stays as it is, also for root, which could
    // write it anyway.
    for (const mode_t mode : {mode_t(0444), mode_t(0400), mode_t(0066)}) {
        writeAll(path, "kept\r\n");
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        EXPECT_FALSE(writeFileAtomically(path, "new\r\n"));
        EXPECT_EQ(modeOf(path) & 07777, mode);
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0600), 0);
        EXPECT_EQ(readAll(path), "kept\r\n");
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"VOLMARIN.INI"});
}
