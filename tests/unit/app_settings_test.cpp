// Reading and writing the settings file, without windows.
#include "app/settings_file.h"
#include "platform/number_syntax.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
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
