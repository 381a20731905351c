#include "catalogue/thumbnail_loader.h"

#include "catalogue/image_decoder.h"
#include "platform/file_exists.h"

#include <QMutexLocker>
#include <QThread>

#include <algorithm>

namespace volmarin {

namespace {
// One worker per core: a big progressive photo takes several ticks to decode, so the load
// keeps up with its timer only when every core decodes. The user interface loses little,
// as a tick's own work is small and the workers sleep once they are far enough ahead. The
// bound keeps a many-core machine from holding that many pictures' rows at once.
constexpr int MostWorkers = 8;

int workerCount() {
    return std::clamp(QThread::idealThreadCount(), 1, MostWorkers);
}

// A file renamed to another letter case since it was listed is the same file to the
// existence test, and so to the decoder. It can also be renamed between that look and the
// opening: when the decode fails and the name now leads to another entry, that entry is
// decoded instead, a few times at most so that a file renamed over and over still ends.
ThumbnailLoader::Result decodeEntry(const ThumbnailLoader::Decode& decode, const QString& path,
                                    int n, bool slow, const std::atomic<bool>* cancel) {
    constexpr int MostLooks = 3;
    ThumbnailLoader::Result result;
    QString entry = existingEntryPath(path);
    for (int look = 1;; ++look) {
        const QString opened = entry.isEmpty() ? path : entry;
        try {
            result.thumbnail = decode(opened, n, slow, cancel);
            result.error.clear();
            return result;
        } catch (const DecodeCancelled& error) {
            result.error = QString::fromUtf8(error.what());
            return result;
        } catch (const std::exception& error) {
            result.error = QString::fromUtf8(error.what());
        }
        entry = existingEntryPath(path);
        if (look == MostLooks || entry.isEmpty() || entry == opened) {
            return result;
        }
    }
}
} // namespace

ThumbnailLoader::ThumbnailLoader(QStringList paths, int n, std::function<bool()> slowRead,
                                 Decode decode)
    : paths_(std::move(paths)), n_(n), slowRead_(std::move(slowRead)), decode_(std::move(decode)),
      ahead_(std::max(Ahead, 2 * workerCount())), workers_(workerCount()) {
    // The first decodes start now rather than at the first tick, a tick's time later.
    queueUpTo(ahead_ - 1);
}

ThumbnailLoader::~ThumbnailLoader() {
    shared_->abandoned = true;
}

void ThumbnailLoader::queueUpTo(int index) {
    const int last = std::min<int>(index, paths_.size() - 1);
    while (queued_ <= last) {
        const int file = queued_++;
        const QString path = paths_.at(file);
        const int n = n_;
        const bool slow = slowRead_ ? slowRead_() : false;
        std::shared_ptr<Shared> shared = shared_;
        workers_.run([shared, decode = decode_, file, path, n, slow] {
            if (shared->abandoned) {
                return;
            }
            Result result = decodeEntry(decode, path, n, slow, &shared->abandoned);
            if (shared->abandoned) {
                return;
            }
            QMutexLocker lock(&shared->mutex);
            shared->ready.emplace(file, std::move(result));
        });
    }
}

std::optional<ThumbnailLoader::Result> ThumbnailLoader::take(int index) {
    queueUpTo(index + ahead_);
    QMutexLocker lock(&shared_->mutex);
    const auto found = shared_->ready.find(index);
    if (found == shared_->ready.end()) {
        return std::nullopt;
    }
    Result result = std::move(found->second);
    shared_->ready.erase(found);
    return result;
}

} // namespace volmarin
