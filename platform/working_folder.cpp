#include "platform/working_folder.h"

#include "platform/name_codec.h"

#include <QDir>

#include <cstdlib>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace volmarin {

QString workingFolder() {
    // The C library sizes the buffer itself, so a deep folder is never cut short.
    const std::unique_ptr<char, decltype(&std::free)> path(::getcwd(nullptr, 0), &std::free);
    return path ? nameFromBytes(path.get()) : QString();
}

bool setWorkingFolder(const QString& folder) {
    return !folder.isEmpty() && ::chdir(nameToBytes(folder).constData()) == 0;
}

bool isFolder(const QString& path) {
    struct stat st;
    return !path.isEmpty() && ::stat(nameToBytes(path).constData(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

bool isReadableFolder(const QString& path) {
    return isFolder(path) && ::access(nameToBytes(path).constData(), R_OK) == 0;
}

QString absoluteFolderPath(const QString& path) {
    // QDir::cleanPath works on the text alone; QDir::absolutePath would take the working
    // directory through Qt's lossy decoding.
    if (path.startsWith(u'/'))
        return QDir::cleanPath(path);
    const QString working = workingFolder();
    // A working directory removed under the program leaves a relative path relative,
    // rather than taking it from the root.
    if (working.isEmpty())
        return QDir::cleanPath(path.isEmpty() ? QStringLiteral(".") : path);
    return QDir::cleanPath(working + u'/' + path);
}

} // namespace volmarin
