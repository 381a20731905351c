#include "catalogue/thumbnail_loader.h"

#include "catalogue/image_decoder.h"
#include "platform/file_exists.h"

#include <QMutexLocker>
#include <QThread>

#include <algorithm>

namespace volmarin {

namespace {
// Two workers keep one core for the user interface on a small machine and still decode
// faster than the ticks take the thumbnails.
int workerCount() {
    return std::clamp(QThread::idealThreadCount() - 1, 1, 2);
}
} // namespace

ThumbnailLoader::ThumbnailLoader(QStringList paths, int n, std::function<bool()> slowRead)
    : paths_(std::move(paths)), n_(n), slowRead_(std::move(slowRead)), workers_(workerCount()) {}

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
        workers_.run([shared, file, path, n, slow] {
            if (shared->abandoned) {
                return;
            }
            Result result;
            try {
                // A file renamed to another letter case since it was listed is the same
                // file to the existence test, and so to the decoder.
                const QString found = existingEntryPath(path);
                result.thumbnail =
                    makeThumbnail(found.isEmpty() ? path : found, n, slow, &shared->abandoned);
            } catch (const std::exception& error) {
                result.error = QString::fromUtf8(error.what());
            }
            if (shared->abandoned) {
                return;
            }
            QMutexLocker lock(&shared->mutex);
            shared->ready.emplace(file, std::move(result));
        });
    }
}

std::optional<ThumbnailLoader::Result> ThumbnailLoader::take(int index) {
    queueUpTo(index + Ahead);
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
