#pragma once

#include <QByteArray>
#include <QByteArrayView>
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
    int mountId = -1; // the mount table's number for this mount
};

// False for the kernel's and the session's own file systems (proc, sysfs, cgroup, devpts,
// tmpfs, ...), which hold no photos and would only bury the real volumes.
bool isRealFileSystem(const QByteArray& type);

VolumeKind volumeKind(const QByteArray& type, bool removableDevice);

// The drive box text: the mount point, then the share of a network volume or the volume
// name in square brackets where there is one.
QString volumeCaption(const Volume& volume);

// The real volumes of a mount table as /proc/self/mountinfo gives it, sorted by mount
// point, "/" always among them; where several are mounted at one place, the last. Only the
// table's text is read: no volume is asked anything, so a volume that does not answer is
// listed like any other. Labels are left empty, and kinds come from the file system types.
QList<Volume> volumesOfMountTable(QByteArrayView table);

// The volume label that a link name of /dev/disk/by-label stands for: the link names
// write a blank, a slash and other unsafe bytes as "\x" and two hexadecimal digits.
QString labelOfLinkName(QByteArrayView linkName);

// The real volumes mounted now, with their labels and removable drives, sorted by mount
// point; "/" is always among them. Nothing here waits on a volume: labels come from the
// links of /dev/disk/by-label and removability from /sys, and whether a mount point is a
// folder (a file can be mounted over a file, as containers do with /etc/hosts) is asked in
// the background, so such a mount is left out from the time its answer is known.
QList<Volume> mountedVolumes();

// Whether a real volume is mounted at mountPoint now (and not only the folder it was
// mounted on), from the mount table alone.
bool isMountedAt(const QString& mountPoint);

// The volume that holds path: the one with the longest mount point that is path itself or
// one of its ancestors; -1 when none does.
qsizetype volumeIndexFor(const QList<Volume>& volumes, const QString& path);

} // namespace volmarin
