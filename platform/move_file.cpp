#include "platform/move_file.h"

#include "platform/name_codec.h"
#include "platform/paths.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace volmarin {

namespace {

MoveResult failure(int error) {
    return {false, QString::fromLocal8Bit(std::strerror(error))};
}

// The raw system call, so that the program does not depend on the C library's wrapper.
int renameNoReplace(const char* from, const char* to) {
    return static_cast<int>(syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
}

bool linkUnsupported(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

} // namespace

bool isPortableName(const QString& name) {
    static const QString forbidden = QStringLiteral("\\:*?\"<>|");
    for (const QStringView part : QStringView(name).split(u'/')) {
        if (part.isEmpty())
            return false;
        for (const QChar c : part) {
            if (c.unicode() < 0x20 || forbidden.contains(c))
                return false;
        }
    }
    return true;
}

MoveResult moveFile(const QString& folder, const QString& fromName, const QString& toName) {
    if (!isPortableName(toName))
        return failure(EINVAL);
    return movePathNoReplace(joinPath(folder, fromName), joinPath(folder, toName));
}

MoveResult movePathNoReplace(const QString& fromPath, const QString& toPath) {
    const QByteArray from = nameToBytes(fromPath);
    const QByteArray to = nameToBytes(toPath);

    // 1. The kernel refuses atomically to replace anything at the target.
    if (renameNoReplace(from.constData(), to.constData()) == 0)
        return {true, {}};
    if (errno != EINVAL && errno != ENOSYS)
        return failure(errno);

    // 2. The file system does not know the flag (some network and FUSE file systems): a
    // hard link is created only where nothing stands, so it is just as safe; the old name
    // is then removed. Should that fail, the new link goes again and nothing has changed.
    if (link(from.constData(), to.constData()) == 0) {
        if (unlink(from.constData()) == 0)
            return {true, {}};
        const int error = errno;
        unlink(to.constData());
        return failure(error);
    }
    if (!linkUnsupported(errno))
        return failure(errno);

    // 3. No hard links either (vfat, exfat and the like). The last resort looks first and
    // renames afterwards; another process creating the target in between would be
    // replaced. Nothing else on this machine writes into the folder being renamed, so
    // that window is accepted.
    struct stat st;
    if (lstat(to.constData(), &st) == 0)
        return failure(EEXIST);
    if (errno != ENOENT)
        return failure(errno);
    if (rename(from.constData(), to.constData()) == 0)
        return {true, {}};
    return failure(errno);
}

} // namespace volmarin
