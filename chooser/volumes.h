#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace volmarin {

// What the drive box draws beside a volume.
enum class VolumeKind { Fixed, Removable, Network, Optical };

// One entry of the drive box: a mounted file system that holds files a user can browse.
struct Volume {
    QString mountPoint; // "/" or a path without a trailing "/"
    QString label;      // the volume name, empty when it has none
    QString device;     // for a network volume, its share ("//server/photos", "host:/export")
    VolumeKind kind = VolumeKind::Fixed;
};

// False for the kernel's and the session's own file systems (proc, sysfs, cgroup, devpts,
// tmpfs, ...), which hold no photos and would only bury the real volumes.
bool isRealFileSystem(const QByteArray& type);

VolumeKind volumeKind(const QByteArray& type, bool removableDevice);

// The drive box text: the mount point, then the share of a network volume or the volume
// name in square brackets where there is one.
QString volumeCaption(const Volume& volume);

// The real volumes mounted now, sorted by mount point; "/" is always among them.
QList<Volume> mountedVolumes();

// The volume that holds path: the one with the longest mount point that is path itself or
// one of its ancestors; -1 when none does.
qsizetype volumeIndexFor(const QList<Volume>& volumes, const QString& path);

} // namespace volmarin
