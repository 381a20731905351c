#include "viewer/page_cache.h"

#include "catalogue/image_decoder.h"
#include "platform/name_codec.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace volmarin {

FileStamp FileStamp::of(const QString& path) {
    struct stat info {};
    FileStamp stamp;
    if (::stat(nameToBytes(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return stamp;
    }
    stamp.size = info.st_size;
    stamp.modifiedNs = std::int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec;
    stamp.changedNs = std::int64_t{info.st_ctim.tv_sec} * 1'000'000'000 + info.st_ctim.tv_nsec;
    stamp.inode = info.st_ino;
    stamp.device = info.st_dev;
    return stamp;
}

// One canvas, ready or being made. The worker reaches nothing but its job, which it
// shares with the cache, so a job dropped or outlived by the cache is harmless.
struct PageCache::Job {
    enum class State { Queued, Running, Done };

    QString path;
    QSize screen;
    FileStamp stamp; // the file as it was when the job was made

    std::mutex mutex;
    std::condition_variable done;
    State state = State::Queued;
    std::atomic<bool> dropped{false}; // also tells a running composition to stop
    QImage canvas;                    // null when the file could not be read or changed meanwhile

    void run() {
        {
            const std::lock_guard lock(mutex);
            if (dropped) {
                state = State::Done;
                return;
            }
            state = State::Running;
        }
        QImage made;
        try {
            // A file that changes while it is read may give a mixture of both versions.
            if (FileStamp::of(path) == stamp) {
                made = composeOnScreen(path, screen.width(), screen.height(), &dropped);
                if (FileStamp::of(path) != stamp) {
                    made = QImage();
                }
            }
        } catch (...) {
            // The showing decodes the file itself and reports the failure then.
            made = QImage();
        }
        const std::lock_guard lock(mutex);
        if (!dropped) {
            canvas = std::move(made);
        }
        state = State::Done;
        done.notify_all();
    }
};

PageCache::PageCache() = default;

PageCache::~PageCache() {
    clear();
}

std::shared_ptr<PageCache::Job> PageCache::find(const QString& path, QSize screen) const {
    for (const auto& job : jobs_) {
        if (job->path == path && job->screen == screen) {
            return job;
        }
    }
    return nullptr;
}

void PageCache::drop(const std::shared_ptr<Job>& job) {
    job->dropped = true;
    {
        const std::lock_guard lock(job->mutex);
        job->canvas = QImage();
    }
    std::erase(jobs_, job);
}

QImage PageCache::take(const QString& path, QSize screen) {
    const std::shared_ptr<Job> job = find(path, screen);
    if (!job) {
        return {};
    }
    if (FileStamp::of(path) != job->stamp) {
        drop(job);
        return {};
    }
    std::unique_lock lock(job->mutex);
    if (job->state == Job::State::Queued) {
        // Not begun: the caller's own decode is as quick, and the worker will skip it.
        lock.unlock();
        drop(job);
        return {};
    }
    job->done.wait(lock, [&] { return job->state == Job::State::Done; });
    QImage canvas = job->canvas;
    lock.unlock();
    if (canvas.isNull()) {
        drop(job);
    } else {
        ++taken_;
    }
    return canvas;
}

void PageCache::keepShown(const QString& path, QSize screen, const FileStamp& stamp,
                          QImage canvas) {
    if (const auto old = find(path, screen)) {
        drop(old);
    }
    if (!stamp.valid() || canvas.isNull()) {
        return;
    }
    auto job = std::make_shared<Job>();
    job->path = path;
    job->screen = screen;
    job->stamp = stamp;
    job->state = Job::State::Done;
    job->canvas = std::move(canvas);
    jobs_.push_back(std::move(job));
}

void PageCache::surround(const QString& path, const QString& previous, const QString& next,
                         QSize screen, bool forwardFirst) {
    const auto wanted = [&](const std::shared_ptr<Job>& job) {
        return job->screen == screen &&
               (job->path == path || (!previous.isEmpty() && job->path == previous) ||
                (!next.isEmpty() && job->path == next));
    };
    const std::vector<std::shared_ptr<Job>> all = jobs_;
    for (const auto& job : all) {
        if (!wanted(job)) {
            drop(job);
        }
    }
    const QString& first = forwardFirst ? next : previous;
    const QString& second = forwardFirst ? previous : next;
    for (const QString* neighbour : {&first, &second}) {
        if (!neighbour->isEmpty() && *neighbour != path && !find(*neighbour, screen)) {
            start(*neighbour, screen);
        }
    }
}

void PageCache::start(const QString& path, QSize screen) {
    auto job = std::make_shared<Job>();
    job->path = path;
    job->screen = screen;
    job->stamp = FileStamp::of(path);
    if (!job->stamp.valid()) {
        return; // a missing file is the showing's to report
    }
    jobs_.push_back(job);
    worker_.run([job] { job->run(); });
}

void PageCache::clear() {
    const std::vector<std::shared_ptr<Job>> all = jobs_;
    for (const auto& job : all) {
        drop(job);
    }
}

int PageCache::heldCanvases() const {
    return static_cast<int>(jobs_.size());
}

void PageCache::waitForIdle() {
    worker_.waitForIdle();
}

} // namespace volmarin
