#include "app/settings_file.h"

#include "platform/name_codec.h"
#include "platform/number_syntax.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
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

QByteArray SettingsReader::readLineBytes() {
    const qsizetype start = pos_;
    while (pos_ < data_.size() && !isLineEnd(data_[pos_])) {
        ++pos_;
    }
    const QByteArray line = data_.mid(start, pos_ - start);
    skipLineEnd();
    return line;
}

QString SettingsReader::readText() {
    return QString::fromUtf8(readLineBytes());
}

QString SettingsReader::readFolder() {
    return nameFromBytes(readLineBytes());
}

QByteArray formatSettings(const SettingsValues& values) {
    QByteArray out;
    for (const std::int32_t number : values.numbers) {
        out += QByteArray::number(number);
        out += "\r\n";
    }
    out += values.thumbnailSize.toUtf8();
    out += "\r\n";
    // The folder's own bytes, so that a folder whose name is not UTF-8 is found again.
    out += nameToBytes(values.defaultFolder);
    out += "\r\n";
    return out;
}

std::optional<QByteArray> readSettingsFile(const QString& path) {
    const int fd = ::open(nameToBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray content(SettingsReadLimit, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < content.size()) {
        const ssize_t n = ::read(fd, content.data() + filled, content.size() - filled);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        filled += n;
    }
    ::close(fd);
    content.truncate(filled);
    return content;
}

namespace {

// The file that path finally names, following symbolic links (a relative link counts from
// its own folder); empty for a chain that does not end.
QByteArray followLinks(QByteArray path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), buffer, sizeof buffer);
        if (n <= 0 || n == ssize_t(sizeof buffer)) {
            return {};
        }
        const QByteArray target(buffer, n);
        if (target.startsWith('/')) {
            path = target;
        } else {
            const qsizetype slash = path.lastIndexOf('/');
            path = (slash < 0 ? QByteArray(".") : path.left(slash)) + '/' + target;
        }
    }
    return {};
}

bool writeAll(int fd, const QByteArray& content) {
    qsizetype written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + written, content.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += n;
    }
    return true;
}

} // namespace

bool writeFileAtomically(const QString& path, const QByteArray& content) {
    const QByteArray target = followLinks(nameToBytes(path));
    if (target.isEmpty()) {
        return false;
    }
    struct stat old;
    const bool replacing = ::lstat(target.constData(), &old) == 0;
    if (!replacing && errno != ENOENT) {
        return false;
    }
    if (replacing) {
        // Read-only is judged by the mode's owner write bit, not only by asking for write
        // access: root may write any file, yet a file whose write bit its user removed
        // was meant to stay as it is. Anything but a regular file is not ours to replace.
        if (!S_ISREG(old.st_mode) || (old.st_mode & S_IWUSR) == 0 ||
            ::access(target.constData(), W_OK) != 0) {
            return false;
        }
    }

    const QByteArray temp = target + ".new-" + QByteArray::number(::getpid());
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    if (replacing) {
        // Only root can give the file back to another owner; for anyone else this is a
        // no-op or refused, and the content matters more than the owner. The mode comes
        // after it, since a change of owner may clear mode bits.
        [[maybe_unused]] const int ownerKept = ::fchown(fd, old.st_uid, old.st_gid);
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    }
    ok = ok && writeAll(fd, content);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
    }
    return ok;
}

} // namespace volmarin
