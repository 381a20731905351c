#include "platform/file_exists.h"

#include "platform/name_codec.h"

#include <QByteArray>
#include <QChar>
#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace volmarin {

namespace {

// Patterns and names are folded the same way (the codec's foldCase), so that "É" and "é"
// meet, while a byte that is not UTF-8 stays itself: Latin-1 "\xC9" and "\xE9" remain two
// names.
std::u32string foldedCodePoints(const QString& text) {
    std::u32string out = nameCodePoints(text);
    foldCase(out);
    return out;
}

bool hasWildcard(const QString& name) {
    return name.contains(u'*') || name.contains(u'?');
}

// Both sides already folded. Greedy matching with one back-tracking point per "*", which
// is enough because a later "*" can absorb whatever an earlier one would have.
bool matchFolded(std::u32string_view pattern, std::u32string_view name) {
    constexpr auto none = std::u32string_view::npos;
    std::size_t p = 0, n = 0, star = none, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p, ++n;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            mark = n;
        } else if (star != none) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

// A regular file, or a symbolic link that leads to one, is a file; everything else is not.
bool isFileEntry(int dirFd, const dirent* entry) {
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st;
    return fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

// Calls visit(entry, foldedName, dirFd) for every entry of folder except "." and "..".
// Returns false when the folder cannot be read.
template <typename Visit> bool scanFolder(const QString& folder, Visit&& visit) {
    const QByteArray encoded = folder.isEmpty() ? QByteArray(".") : nameToBytes(folder);
    DIR* dir = opendir(encoded.constData());
    if (!dir)
        return false;
    const int fd = dirfd(dir);
    std::u32string folded;
    while (const dirent* entry = readdir(dir)) {
        const char* n = entry->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        // Every entry takes part, whatever its bytes: a Shift-JIS or Latin-1 name is as
        // much a file of the folder as any other.
        nameCodePointsFromBytes(n, folded);
        foldCase(folded);
        visit(entry, folded, fd);
    }
    closedir(dir);
    return true;
}

// The order of the program's file lists as a permutation of names. The collator gets a
// fixed locale so that lists do not change with the environment (an unset LANG gives the
// C locale, whose collation would put "é" after "z"). Should a collator ever compare case
// (a build without ICU), it is handed case-folded names instead, which keeps the order
// case-insensitive. Equal keys fall back to the names' byte order, and then to the input
// order, so the result is total and stable.
std::vector<qsizetype> fileListOrder(const QStringList& names) {
    std::vector<qsizetype> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    if (names.size() < 2)
        return order;
    QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    const bool foldFirst = collator.compare(QStringLiteral("A"), QStringLiteral("a")) != 0;
    std::vector<QCollatorSortKey> keys;
    std::vector<QByteArray> bytes;
    keys.reserve(names.size());
    bytes.reserve(names.size());
    for (const QString& name : names) {
        keys.push_back(collator.sortKey(foldFirst ? name.toCaseFolded() : name));
        bytes.push_back(nameToBytes(name));
    }
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int c = keys[a].compare(keys[b]);
        if (c != 0)
            return c < 0;
        return bytes[a] < bytes[b];
    });
    return order;
}

struct Split {
    QString folder;
    QString name;
};

Split splitPath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return {QStringLiteral("."), path};
    if (slash == 0)
        return {QStringLiteral("/"), path.mid(1)};
    return {path.left(slash), path.mid(slash + 1)};
}

} // namespace

bool wildcardMatch(const QString& pattern, const QString& name) {
    return matchFolded(foldedCodePoints(pattern), foldedCodePoints(name));
}

void sortFileNames(QStringList& names) {
    const auto order = fileListOrder(names);
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype i : order)
        sorted.append(names.at(i));
    names = std::move(sorted);
}

QStringList listFiles(const QString& folder, const QString& mask) {
    std::vector<std::u32string> patterns;
    for (const QString& pattern : mask.split(u';', Qt::SkipEmptyParts))
        patterns.push_back(foldedCodePoints(pattern));
    QStringList names;
    scanFolder(folder, [&](const dirent* entry, const std::u32string& folded, int fd) {
        const bool matches = std::any_of(patterns.begin(), patterns.end(),
                                         [&](const auto& p) { return matchFolded(p, folded); });
        if (matches && isFileEntry(fd, entry))
            names.append(nameFromBytes(entry->d_name));
    });
    sortFileNames(names);
    return names;
}

namespace {

struct Match {
    QString name;
    bool isFile = false;
};

// The entry of folder that the existence test looks at for a folded pattern: the first
// matching entry in file list order, folders included.
std::optional<Match> firstMatch(const QString& folder, const std::u32string& pattern) {
    QStringList matches;
    std::vector<bool> isFile;
    scanFolder(folder, [&](const dirent* entry, const std::u32string& folded, int fd) {
        if (matchFolded(pattern, folded)) {
            matches.append(nameFromBytes(entry->d_name));
            isFile.push_back(isFileEntry(fd, entry));
        }
    });
    if (matches.isEmpty())
        return std::nullopt;
    const qsizetype first = fileListOrder(matches).front();
    return Match{matches.at(first), isFile[first]};
}

bool isRegularFile(const QString& path) {
    struct stat st;
    return stat(nameToBytes(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

bool fileExists(const QString& path) {
    const Split split = splitPath(path);
    if (split.name.isEmpty())
        return false;
    if (!hasWildcard(split.name) && isRegularFile(path))
        return true;
    // Every entry the name matches takes part, folders too: the first in list order decides.
    const auto match = firstMatch(split.folder, foldedCodePoints(split.name));
    return match && match->isFile;
}

QString existingEntryPath(const QString& path) {
    const Split split = splitPath(path);
    if (split.name.isEmpty())
        return {};
    if (isRegularFile(path))
        return path;
    // A pattern stands for other files, never for the one the caller names.
    if (hasWildcard(split.name))
        return {};
    const auto match = firstMatch(split.folder, foldedCodePoints(split.name));
    if (!match || !match->isFile)
        return {};
    return path.left(path.lastIndexOf(u'/') + 1) + match->name;
}

} // namespace volmarin
