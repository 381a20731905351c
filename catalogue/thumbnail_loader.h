#pragma once

#include "catalogue/background_workers.h"
#include "catalogue/image_decoder.h"

#include <QImage>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace volmarin {

// Makes the thumbnails of one load ahead of the load's ticks, on a few worker threads, so
// that a tick never waits for a decode: it takes the thumbnail when it is ready and
// otherwise looks again at the next tick.
class ThumbnailLoader {
public:
    struct Result {
        QImage thumbnail; // n x n, when the file decoded
        QString error;    // the decoder's one-line reason, when it did not
    };

    // How a file becomes its thumbnail: makeThumbnail, or a stand-in that a test controls.
    using Decode = std::function<QImage(const QString& path, int n, bool slowRead,
                                        const std::atomic<bool>* cancel)>;

    // paths: the files in load order. slowRead is asked once per file, when its decode is
    // queued.
    ThumbnailLoader(QStringList paths, int n, std::function<bool()> slowRead,
                    Decode decode = makeThumbnail);
    // Abandons the load's decodes: queued ones are dropped, running ones told to stop, and
    // nothing is waited for.
    ~ThumbnailLoader();

    ThumbnailLoader(const ThumbnailLoader&) = delete;
    ThumbnailLoader& operator=(const ThumbnailLoader&) = delete;

    // The result for file index, handed over once, or nothing yet. Queues the decodes of
    // the next files so that they are ready when their ticks come.
    std::optional<Result> take(int index);

    // How many files are decoded ahead of the one being waited for, at least; with many
    // workers, two for each, so that none of them runs dry.
    static constexpr int Ahead = 6;

private:
    void queueUpTo(int index);

    // What the workers reach: it outlives the loader while an abandoned decode ends.
    struct Shared {
        QMutex mutex;
        std::map<int, Result> ready;
        std::atomic<bool> abandoned{false};
    };

    QStringList paths_;
    int n_;
    std::function<bool()> slowRead_;
    Decode decode_;
    int ahead_;
    int queued_ = 0; // files [0, queued_) have been handed to the workers
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    BackgroundWorkers workers_;
};

} // namespace volmarin
