#include "chooser/volumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace volmarin {

namespace {

bool isNetworkFileSystem(const QByteArray& type) {
    static const QList<QByteArray> network = {"nfs",        "nfs4",       "cifs", "smb3", "smbfs",
                                              "fuse.sshfs", "fuse.davfs", "afs",  "9p",   "ncpfs"};
    return network.contains(type);
}

// The kernel tells whether a block device (or the disk that holds a partition) can be
// taken out: /sys/class/block/<name>/removable, or the same file one level up.
bool isRemovableDevice(const QString& device) {
    if (!device.startsWith(QStringLiteral("/dev/"))) {
        return false;
    }
    const QString blockName = QFileInfo(device).canonicalFilePath().section(u'/', -1);
    if (blockName.isEmpty()) {
        return false;
    }
    const QString sysPath =
        QFileInfo(QStringLiteral("/sys/class/block/") + blockName).canonicalFilePath();
    if (sysPath.isEmpty()) {
        return false;
    }
    for (const QString& candidate :
         {sysPath + QStringLiteral("/removable"), sysPath + QStringLiteral("/../removable")}) {
        QFile file(candidate);
        if (file.open(QIODevice::ReadOnly)) {
            return file.readAll().trimmed() == "1";
        }
    }
    return false;
}

bool holds(const QString& mountPoint, const QString& path) {
    if (mountPoint == QStringLiteral("/")) {
        return path.startsWith(u'/');
    }
    return path == mountPoint ||
           (path.startsWith(mountPoint) && path.at(mountPoint.size()) == u'/');
}

} // namespace

bool isRealFileSystem(const QByteArray& type) {
    static const QList<QByteArray> pseudo = {
        "proc",        "sysfs",           "cgroup",     "cgroup2",   "devpts",    "devtmpfs",
        "tmpfs",       "ramfs",           "securityfs", "pstore",    "debugfs",   "tracefs",
        "configfs",    "fusectl",         "mqueue",     "hugetlbfs", "bpf",       "autofs",
        "binfmt_misc", "efivarfs",        "rpc_pipefs", "nsfs",      "selinuxfs", "squashfs",
        "fuse.portal", "fuse.gvfsd-fuse", "fuse.lxcfs", "rootfs",    "none"};
    return !type.isEmpty() && !pseudo.contains(type);
}

VolumeKind volumeKind(const QByteArray& type, bool removableDevice) {
    if (isNetworkFileSystem(type)) {
        return VolumeKind::Network;
    }
    if (type == "iso9660" || type == "udf") {
        return VolumeKind::Optical;
    }
    return removableDevice ? VolumeKind::Removable : VolumeKind::Fixed;
}

QString volumeCaption(const Volume& volume) {
    if (volume.kind == VolumeKind::Network && !volume.device.isEmpty()) {
        return volume.mountPoint + u' ' + volume.device;
    }
    if (!volume.label.isEmpty()) {
        return volume.mountPoint + QStringLiteral(" [") + volume.label + u']';
    }
    return volume.mountPoint;
}

QList<Volume> mountedVolumes() {
    QList<Volume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const QString mountPoint = QDir::cleanPath(storage.rootPath());
        const QByteArray type = storage.fileSystemType();
        // A file bind-mounted over another (containers do it for /etc/hosts) is no volume.
        if (!storage.isValid() || !isRealFileSystem(type) || !QFileInfo(mountPoint).isDir()) {
            continue;
        }
        Volume volume;
        volume.mountPoint = mountPoint;
        volume.label = storage.name();
        volume.device = QString::fromLocal8Bit(storage.device());
        volume.kind = volumeKind(type, isRemovableDevice(volume.device));
        // A later mount over the same place hides the earlier one.
        volumes.removeIf([&](const Volume& v) { return v.mountPoint == mountPoint; });
        volumes.append(volume);
    }
    if (std::none_of(volumes.begin(), volumes.end(),
                     [](const Volume& v) { return v.mountPoint == u'/'; })) {
        Volume root;
        root.mountPoint = QStringLiteral("/");
        volumes.append(root);
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const Volume& a, const Volume& b) { return a.mountPoint < b.mountPoint; });
    return volumes;
}

qsizetype volumeIndexFor(const QList<Volume>& volumes, const QString& path) {
    qsizetype best = -1;
    for (qsizetype i = 0; i < volumes.size(); ++i) {
        const QString& mountPoint = volumes[i].mountPoint;
        if (holds(mountPoint, path) &&
            (best < 0 || mountPoint.size() > volumes[best].mountPoint.size())) {
            best = i;
        }
    }
    return best;
}

} // namespace volmarin
