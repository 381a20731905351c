#include "catalogue/background_workers.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace volmarin {

namespace {
// Threads of every BackgroundWorkers alive in the process, counted for the program's end.
std::mutex liveMutex;
std::condition_variable liveChanged;
int liveThreads = 0;
} // namespace

struct BackgroundWorkers::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<void()>> queue;
    int running = 0;
    bool closing = false;

    void work() {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return closing || !queue.empty(); });
            if (queue.empty()) {
                return; // closing, and nothing left that anybody wants
            }
            std::function<void()> job = std::move(queue.front());
            queue.pop_front();
            ++running;
            lock.unlock();
            job();
            job = nullptr; // what the job holds goes before the count says it is done
            lock.lock();
            --running;
            changed.notify_all();
        }
    }
};

BackgroundWorkers::BackgroundWorkers(int threads) : shared_(std::make_shared<Shared>()) {
    for (int i = 0; i < threads; ++i) {
        {
            const std::lock_guard lock(liveMutex);
            ++liveThreads;
        }
        // Each thread holds the shared state, so it may outlive these workers.
        std::thread([shared = shared_]() mutable {
            shared->work();
            shared.reset();
            const std::lock_guard lock(liveMutex);
            --liveThreads;
            liveChanged.notify_all();
        }).detach();
    }
}

BackgroundWorkers::~BackgroundWorkers() {
    const std::lock_guard lock(shared_->mutex);
    shared_->queue.clear();
    shared_->closing = true;
    shared_->changed.notify_all();
}

void BackgroundWorkers::run(std::function<void()> job) {
    const std::lock_guard lock(shared_->mutex);
    shared_->queue.push_back(std::move(job));
    shared_->changed.notify_one();
}

void BackgroundWorkers::waitForIdle() {
    std::unique_lock lock(shared_->mutex);
    shared_->changed.wait(lock, [this] { return shared_->queue.empty() && shared_->running == 0; });
}

bool BackgroundWorkers::waitForAllThreads(std::chrono::milliseconds limit) {
    std::unique_lock lock(liveMutex);
    return liveChanged.wait_for(lock, limit, [] { return liveThreads == 0; });
}

} // namespace volmarin
