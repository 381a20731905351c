// The decode workers are never waited for: deleting them leaves a running job to end by
// itself, and the jobs not yet begun never run.
#include "catalogue/background_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
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

} // namespace
} // namespace volmarin
