#include "chooser/volumes.h"

#include "chooser/folder_probe.h"
#include "platform/name_codec.h"
#include "platform/number_syntax.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

#include <dirent.h>

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

int digitValue(char c, int base) {
    const int value = hexDigitValue(static_cast<unsigned char>(c));
    return value < base ? value : -1;
}

// Bytes written as a marker (a backslash, or a backslash and "x") and digits of base, each
// escape standing for the byte it spells; everything else stands for itself.
QByteArray unescape(QByteArrayView text, QByteArrayView marker, int digits, int base) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        int value = -1;
        if (text.sliced(i).startsWith(marker) && i + marker.size() + digits <= text.size()) {
            value = 0;
            for (int d = 0; d < digits && value >= 0; ++d) {
                const int digit = digitValue(text[i + marker.size() + d], base);
                value = digit < 0 ? -1 : value * base + digit;
            }
        }
        if (value >= 0 && value < 256) {
            bytes.append(char(value));
            i += marker.size() + digits - 1;
        } else {
            bytes.append(text[i]);
        }
    }
    return bytes;
}

// The mount table writes a blank, a tab, a line end and a backslash in a path as a
// backslash and three octal digits.
QByteArray unescapeMountField(QByteArrayView field) {
    return unescape(field, "\\", 3, 8);
}

// One line of /proc/self/mountinfo: "36 35 98:0 /root /mnt/point options [tags] - type
// source super-options". False for a line that is not of that form.
bool readMountLine(const QByteArray& line, Volume& volume, QByteArray& type) {
    const QList<QByteArray> fields = line.split(' ');
    const qsizetype separator = fields.indexOf("-", 6);
    if (fields.size() < 10 || separator < 0 || separator + 2 >= fields.size()) {
        return false;
    }
    bool numbered = false;
    volume.mountId = fields[0].toInt(&numbered);
    const QByteArray mountPoint = unescapeMountField(fields[4]);
    if (!numbered || !mountPoint.startsWith('/')) {
        return false;
    }
    volume.mountPoint = nameFromBytes(mountPoint);
    type = fields[separator + 1];
    volume.device = nameFromBytes(unescapeMountField(fields[separator + 2]));
    return true;
}

// Device paths by volume label, from the links udev keeps in /dev/disk/by-label (on the
// device file system, so reading them asks no volume).
QHash<QString, QString> labelsByDevice() {
    QHash<QString, QString> labels;
    const QByteArray folder = "/dev/disk/by-label/";
    DIR* dir = ::opendir(folder.constData());
    if (dir == nullptr) {
        return labels;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        const QString device = QFileInfo(nameFromBytes(folder + entry->d_name)).canonicalFilePath();
        if (!device.isEmpty()) {
            labels.insert(device, labelOfLinkName(entry->d_name));
        }
    }
    ::closedir(dir);
    return labels;
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
    const QString place = nameForDisplay(volume.mountPoint);
    if (volume.kind == VolumeKind::Network && !volume.device.isEmpty()) {
        return place + u' ' + nameForDisplay(volume.device);
    }
    if (!volume.label.isEmpty()) {
        return place + QStringLiteral(" [") + nameForDisplay(volume.label) + u']';
    }
    return place;
}

QList<Volume> volumesOfMountTable(QByteArrayView table) {
    QList<Volume> volumes;
    for (const QByteArray& line : table.toByteArray().split('\n')) {
        Volume volume;
        QByteArray type;
        if (!readMountLine(line, volume, type) || !isRealFileSystem(type)) {
            continue;
        }
        volume.kind = volumeKind(type, false);
        // A later mount over the same place hides the earlier one.
        volumes.removeIf([&](const Volume& v) { return v.mountPoint == volume.mountPoint; });
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

QString labelOfLinkName(QByteArrayView linkName) {
    return nameFromBytes(unescape(linkName, "\\x", 2, 16));
}

namespace {

QList<Volume> volumesOfThisMountTable() {
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    return volumesOfMountTable(table.open(QIODevice::ReadOnly) ? table.readAll() : QByteArray());
}

} // namespace

bool isMountedAt(const QString& mountPoint) {
    const QList<Volume> volumes = volumesOfThisMountTable();
    return std::any_of(volumes.begin(), volumes.end(),
                       [&](const Volume& v) { return v.mountPoint == mountPoint; });
}

QList<Volume> mountedVolumes() {
    QList<Volume> volumes = volumesOfThisMountTable();
    const QHash<QString, QString> labels = labelsByDevice();
    volumes.removeIf([&](const Volume& v) {
        return v.mountPoint != u'/' && mountedOnFolder(v.mountId, v.mountPoint) == false;
    });
    for (Volume& volume : volumes) {
        if (volume.device.startsWith(QStringLiteral("/dev/"))) {
            volume.label = labels.value(QFileInfo(volume.device).canonicalFilePath());
            if (volume.kind == VolumeKind::Fixed && isRemovableDevice(volume.device)) {
                volume.kind = VolumeKind::Removable;
            }
        }
    }
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
