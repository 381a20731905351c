#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace volmarin {

// A few threads that run decodes off the user-interface thread, which never waits for them:
// the owner of a piece of work that is no longer wanted tells it so through its own cancel
// flag and throws away whatever it still delivers, and deleting the workers drops the work
// not yet begun without waiting for the work that runs. The threads end by themselves once
// their work is done or abandoned, so a file that blocks or decodes for a long time holds
// up nobody but its own thread.
class BackgroundWorkers {
public:
    explicit BackgroundWorkers(int threads);
    ~BackgroundWorkers();
    BackgroundWorkers(const BackgroundWorkers&) = delete;
    BackgroundWorkers& operator=(const BackgroundWorkers&) = delete;

    // Queues job; jobs start in the order given.
    void run(std::function<void()> job);

    // For tests and measurements: waits until no job is queued or running.
    void waitForIdle();

    // At the end of the program: waits at most limit for the threads of all workers, those
    // already deleted included, to end; true when they all have.
    static bool waitForAllThreads(std::chrono::milliseconds limit);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace volmarin
