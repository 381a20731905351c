// The decode workers are never waited for: deleting them leaves a running job to end by
// itself, and the jobs not yet begun never run.
#include "catalogue/background_workers.h"
#include "catalogue/thumbnail_loader.h"

#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

namespace volmarin {
namespace {

using namespace std::chrono_literals;

TEST(BackgroundWorkers, DeletingThemWaitsForNothingAndDropsWhatHasNotBegun) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> started;
    auto ranAfter = std::make_shared<std::atomic<int>>(0);
    std::atomic<bool> letGo{false};

    auto workers = std::make_unique<BackgroundWorkers>(1);
    workers->run([&started, released] {
        started.set_value();
        released.wait(); // a file that will not let go
    });
    for (int i = 0; i < 5; ++i) {
        workers->run([ranAfter] { ++*ranAfter; });
    }
    started.get_future().wait();

    // Should the deletion wait after all, the blocked job is let go after a while so that
    // the test fails instead of hanging.
    std::promise<void> deleted;
    std::thread guard([&, done = deleted.get_future()] {
        if (done.wait_for(3s) == std::future_status::timeout) {
            letGo = true;
        }
        release.set_value();
    });
    workers.reset();
    EXPECT_FALSE(letGo) << "deleting the workers waited for the running job";
    deleted.set_value();
    guard.join();

    EXPECT_TRUE(BackgroundWorkers::waitForAllThreads(5s)) << "the thread did not end by itself";
    EXPECT_EQ(*ranAfter, 0) << "jobs queued behind the running one must be dropped";
}

TEST(BackgroundWorkers, RunJobsInOrderAndReportIdle) {
    BackgroundWorkers workers(1);
    std::vector<int> order;
    for (int i = 0; i < 20; ++i) {
        workers.run([&order, i] { order.push_back(i); });
    }
    workers.waitForIdle();
    ASSERT_EQ(order.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(order[i], i);
    }
}

// File i's result as the load's ticks take it, looking again every few milliseconds; nothing
// after 20 s.
std::optional<ThumbnailLoader::Result> takeWhenReady(ThumbnailLoader& loader, int i) {
    std::optional<ThumbnailLoader::Result> result;
    const auto giveUp = std::chrono::steady_clock::now() + 20s;
    while (!(result = loader.take(i)) && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(5ms);
    }
    return result;
}

// A load of photos that each take long to decode keeps every core busy: as many decodes
// run side by side as there are cores, and the ticks still take the files in order.
TEST(BackgroundWorkers, ALoadDecodesOnEveryCoreAndHandsOverInOrder) {
    const int cores = std::min(QThread::idealThreadCount(), 8);
    QStringList paths;
    for (int i = 0; i <= cores; ++i) {
        paths << QString("/photos/p%1.jpg").arg(i);
    }
    std::mutex mutex;
    std::condition_variable changed;
    int running = 0;
    int mostAtOnce = 0;
    // Each decode holds on until one is running on every core, or gives up after a while
    // so that too few workers fail the test instead of hanging it.
    const auto slowDecode = [&](const QString& path, int n, bool, const std::atomic<bool>*) {
        std::unique_lock lock(mutex);
        mostAtOnce = std::max(mostAtOnce, ++running);
        changed.notify_all();
        changed.wait_for(lock, 5s, [&] { return mostAtOnce >= cores; });
        --running;
        QImage thumbnail(n, n, QImage::Format_RGB888);
        thumbnail.fill(QColor(paths.indexOf(path), 0, 0));
        return thumbnail;
    };
    ThumbnailLoader loader(
        paths, 8, [] { return false; }, slowDecode);
    for (int i = 0; i <= cores; ++i) {
        const std::optional<ThumbnailLoader::Result> result = takeWhenReady(loader, i);
        ASSERT_TRUE(result) << "file " << i;
        EXPECT_EQ(qRed(result->thumbnail.pixel(0, 0)), i) << "another file's thumbnail";
    }
    EXPECT_EQ(mostAtOnce, cores) << "the files were not decoded side by side";
}

// A photo renamed to another letter case after its entry was looked up but before it was
// opened is decoded from its new entry, as the load's existence test still finds it.
TEST(BackgroundWorkers, AFileRenamedJustBeforeItsOpeningIsDecodedFromItsNewEntry) {
    QTemporaryDir folder;
    QImage red(20, 20, QImage::Format_RGB888);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(folder.filePath("a.bmp")));
    QStringList opened;
    const auto renamingDecode = [&](const QString& path, int n, bool slow,
                                    const std::atomic<bool>* cancel) {
        if (opened.isEmpty()) {
            QFile::rename(folder.filePath("a.bmp"), folder.filePath("A.BMP"));
        }
        opened << QFileInfo(path).fileName();
        return makeThumbnail(path, n, slow, cancel);
    };
    ThumbnailLoader loader(
        {folder.filePath("a.bmp")}, 40, [] { return false; }, renamingDecode);
    const std::optional<ThumbnailLoader::Result> result = takeWhenReady(loader, 0);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->error.isEmpty()) << result->error.toStdString();
    EXPECT_EQ(result->thumbnail.pixelColor(20, 20), QColor(Qt::red));
    EXPECT_EQ(opened, QStringList({"a.bmp", "A.BMP"}));
}

} // namespace
} // namespace volmarin
