#include "platform/paths.h"

#include "platform/name_codec.h"

#include <QByteArray>
#include <QList>

#include <climits>
#include <cstdlib>

namespace volmarin {

namespace {

// The path with every symbolic link, "." and ".." resolved; empty when it does not exist.
QByteArray resolvedPath(const QString& path) {
    char buffer[PATH_MAX];
    const QByteArray encoded = path.isEmpty() ? QByteArray(".") : nameToBytes(path);
    return ::realpath(encoded.constData(), buffer) ? QByteArray(buffer) : QByteArray();
}

} // namespace

QString joinPath(const QString& folder, const QString& name) {
    return folder + u'/' + name;
}

bool staysInsideFolder(const QString& folder, const QString& name) {
    for (const QStringView part : QStringView(name).split(u'/')) {
        if (part == u"..")
            return false;
    }
    const qsizetype slash = name.lastIndexOf(u'/');
    if (slash < 0)
        return true;
    const QByteArray root = resolvedPath(folder);
    const QByteArray parent = resolvedPath(joinPath(folder, name.left(slash)));
    if (root.isEmpty() || parent.isEmpty())
        return false;
    return parent == root || parent.startsWith(root.endsWith('/') ? root : root + '/');
}

} // namespace volmarin
