#include "app/settings_file.h"

#include "platform/number_syntax.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace volmarin {

namespace {
bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}
} // namespace

SettingsReader::SettingsReader(QByteArray content) : data_(std::move(content)) {}

void SettingsReader::skipLineEnd() {
    while (pos_ < data_.size() && !isLineEnd(data_[pos_])) {
        ++pos_;
    }
    if (pos_ < data_.size() && data_[pos_] == '\r') {
        ++pos_;
    }
    if (pos_ < data_.size() && data_[pos_] == '\n') {
        ++pos_;
    }
}

std::int32_t SettingsReader::readNumber() {
    while (pos_ < data_.size() && isBlank(data_[pos_])) {
        ++pos_;
    }
    if (pos_ >= data_.size()) {
        return 0;
    }
    const qsizetype start = pos_;
    while (pos_ < data_.size() && !isBlank(data_[pos_])) {
        ++pos_;
    }
    const QString token = QString::fromUtf8(data_.mid(start, pos_ - start));
    skipLineEnd();
    return toWholeNumber(token);
}

QString SettingsReader::readText() {
    const qsizetype start = pos_;
    while (pos_ < data_.size() && !isLineEnd(data_[pos_])) {
        ++pos_;
    }
    const QString line = QString::fromUtf8(data_.mid(start, pos_ - start));
    skipLineEnd();
    return line;
}

QByteArray formatSettings(const SettingsValues& values) {
    QByteArray out;
    for (const std::int32_t number : values.numbers) {
        out += QByteArray::number(number);
        out += "\r\n";
    }
    out += values.thumbnailSize.toUtf8();
    out += "\r\n";
    out += values.defaultFolder.toUtf8();
    out += "\r\n";
    return out;
}

bool writeFileAtomically(const QString& path, const QByteArray& content) {
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temp = target + ".new-" + QByteArray::number(::getpid());

    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    qsizetype written = 0;
    while (ok && written < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + written, content.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        written += ok ? n : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
    }
    return ok;
}

} // namespace volmarin
