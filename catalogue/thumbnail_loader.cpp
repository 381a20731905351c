#include "catalogue/thumbnail_loader.h"

#include "catalogue/image_decoder.h"

#include <QMutexLocker>
#include <QRunnable>

#include <algorithm>

namespace volmarin {

ThumbnailLoader::ThumbnailLoader(QStringList paths, int n, std::function<bool()> slowRead)
    : paths_(std::move(paths)), n_(n), slowRead_(std::move(slowRead)) {
    // Two workers keep one core for the user interface on a small machine and still decode
    // faster than the ticks take the thumbnails.
    pool_.setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, 2));
}

ThumbnailLoader::~ThumbnailLoader() {
    pool_.clear();
    pool_.waitForDone();
}

void ThumbnailLoader::queueUpTo(int index) {
    const int last = std::min<int>(index, paths_.size() - 1);
    while (queued_ <= last) {
        const int file = queued_++;
        const QString path = paths_.at(file);
        const int n = n_;
        const bool slow = slowRead_ ? slowRead_() : false;
        std::shared_ptr<Shared> shared = shared_;
        pool_.start([shared, file, path, n, slow] {
            Result result;
            try {
                result.thumbnail = makeThumbnail(path, n, slow);
            } catch (const std::exception& error) {
                result.error = QString::fromUtf8(error.what());
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
