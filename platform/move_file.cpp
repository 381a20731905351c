#include "platform/move_file.h"

#include "platform/name_codec.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace volmarin {

namespace {

MoveResult failure(int error) {
    return {false, QString::fromLocal8Bit(std::strerror(error))};
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// One end of a move: the folder that holds the entry, held open, and the entry's name in it.
struct Place {
    Descriptor folder;
    QByteArray leaf;
};

bool hasDotDotPart(const QString& name) {
    for (const QStringView part : QStringView(name).split(u'/')) {
        if (part == u"..")
            return true;
    }
    return false;
}

// Kernels before 5.6 have no openat2: the folder is reached one part at a time, following no
// link at all, which is stricter than needed but never leads out.
int walkBeneath(int rootFd, const QByteArray& relative) {
    Descriptor current(fcntl(rootFd, F_DUPFD_CLOEXEC, 0));
    for (const QByteArray& part : relative.split('/')) {
        if (!current.valid())
            return -1;
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            errno = EXDEV;
            return -1;
        }
        current = Descriptor(
            openat(current.get(), part.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    return current.release();
}

// The folder relative (a path below root) opened beneath root: no step of the lookup, links
// followed included, may leave root.
int openBeneath(int rootFd, const QByteArray& relative) {
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    for (int attempt = 0; attempt < 32; ++attempt) {
        const long fd = syscall(SYS_openat2, rootFd, relative.constData(), &how, sizeof how);
        if (fd >= 0)
            return static_cast<int>(fd);
        // EAGAIN: a rename elsewhere on the machine raced a "..", so the kernel could not be
        // sure; asking again settles it.
        if (errno != EAGAIN)
            break;
    }
    if (errno != ENOSYS)
        return -1;
    return walkBeneath(rootFd, relative);
}

// Resolves name beneath root. False, with errno set, when its folder cannot be reached
// without leaving root.
bool resolve(int rootFd, const QString& name, Place& place) {
    const QByteArray bytes = nameToBytes(name);
    const qsizetype slash = bytes.lastIndexOf('/');
    place.leaf = bytes.mid(slash + 1);
    if (place.leaf.isEmpty() || bytes.startsWith('/')) {
        errno = bytes.startsWith('/') ? EXDEV : EINVAL;
        return false;
    }
    place.folder = Descriptor(slash < 0 ? fcntl(rootFd, F_DUPFD_CLOEXEC, 0)
                                        : openBeneath(rootFd, bytes.left(slash)));
    return place.folder.valid();
}

// The raw system call, so that the program does not depend on the C library's wrapper.
int renameNoReplace(const Place& from, const Place& to) {
    return static_cast<int>(syscall(SYS_renameat2, from.folder.get(), from.leaf.constData(),
                                    to.folder.get(), to.leaf.constData(), RENAME_NOREPLACE));
}

bool linkUnsupported(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

MoveResult moveNoReplace(const Place& from, const Place& to) {
    // 1. The kernel refuses atomically to replace anything at the target.
    if (renameNoReplace(from, to) == 0)
        return {true, {}};
    if (errno != EINVAL && errno != ENOSYS)
        return failure(errno);

    // 2. The file system does not know the flag (some network and FUSE file systems): a
    // hard link is created only where nothing stands, so it is just as safe; the old name
    // is then removed. Should that fail, the new link goes again and nothing has changed.
    const char* fromLeaf = from.leaf.constData();
    const char* toLeaf = to.leaf.constData();
    if (linkat(from.folder.get(), fromLeaf, to.folder.get(), toLeaf, 0) == 0) {
        if (unlinkat(from.folder.get(), fromLeaf, 0) == 0)
            return {true, {}};
        const int error = errno;
        unlinkat(to.folder.get(), toLeaf, 0);
        return failure(error);
    }
    if (!linkUnsupported(errno))
        return failure(errno);

    // 3. No hard links either (vfat, exfat and the like). The last resort looks first and
    // renames afterwards; another process creating the target in between would be
    // replaced. Nothing else on this machine writes into the folder being renamed, so
    // that window is accepted. The folders are still the ones reached beneath the loaded
    // folder.
    struct stat st;
    if (fstatat(to.folder.get(), toLeaf, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return failure(EEXIST);
    if (errno != ENOENT)
        return failure(errno);
    if (renameat(from.folder.get(), fromLeaf, to.folder.get(), toLeaf) == 0)
        return {true, {}};
    return failure(errno);
}

} // namespace

bool isPortableName(const QString& name) {
    static const QString forbidden = QStringLiteral("\\:*?\"<>|");
    for (const QStringView part : QStringView(name).split(u'/')) {
        if (part.isEmpty())
            return false;
        char32_t previous = 0;
        for (const char32_t c : nameCodePoints(part)) {
            if (c < 0x20)
                return false;
            // The second byte of a Shift-JIS character kept from an old name is no mark.
            if (c < 0x80 && forbidden.contains(QChar(char16_t(c))) &&
                !isDoubleByteTrail(previous, c))
                return false;
            previous = c;
        }
    }
    return true;
}

MoveResult moveFile(const QString& folder, const QString& fromName, const QString& toName,
                    const TargetCheck& targetCheck) {
    if (!isPortableName(toName))
        return failure(EINVAL);
    if (hasDotDotPart(fromName) || hasDotDotPart(toName))
        return failure(EXDEV);
    // The loaded folder itself is taken as the user chose it, links in its own path followed.
    const QByteArray root = folder.isEmpty() ? QByteArray(".") : nameToBytes(folder);
    const Descriptor rootFd(open(root.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!rootFd.valid())
        return failure(errno);
    Place from, to;
    if (!resolve(rootFd.get(), fromName, from) || !resolve(rootFd.get(), toName, to))
        return failure(errno);
    if (targetCheck && !targetCheck(to.folder.get(), nameFromBytes(to.leaf)))
        return failure(EEXIST);
    return moveNoReplace(from, to);
}

} // namespace volmarin
