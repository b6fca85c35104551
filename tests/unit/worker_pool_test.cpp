#include "core/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace mirelo {
namespace {

// Holds every job until it is opened, so that a test decides when the pool empties.
class Gate {
public:
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        ++waiting_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    void WaitForWaiting(int count) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10), [&] { return waiting_ >= count; });
    }
    void Open() {
        const std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int waiting_ = 0;
    bool open_ = false;
};

bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 1000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

TEST(WorkerPool, AcceptsThreadsPlusWaitingJobsAndDropsTheRest) {
    struct Case {
        std::size_t threads;
        std::size_t waiting;
        int posted;
    };
    for (const Case c : {Case{1, 3, 200}, Case{2, 0, 10}, Case{4, 8, 200}}) {
        SCOPED_TRACE(c.threads);
        Gate gate;
        std::atomic<int> ran{0};
        WorkerPool pool(c.threads, c.waiting);
        int accepted = 0;
        for (int i = 0; i < c.posted; ++i) {
            accepted += pool.Post([&] {
                gate.Wait();
                ++ran;
            });
            EXPECT_LE(pool.ThreadCount(), c.threads);
        }
        EXPECT_EQ(accepted, static_cast<int>(c.threads + c.waiting));
        gate.WaitForWaiting(static_cast<int>(c.threads));
        EXPECT_EQ(pool.ThreadCount(), c.threads);
        gate.Open();
        EXPECT_TRUE(WaitUntil([&] { return pool.Pending() == 0; }));
        EXPECT_EQ(ran.load(), accepted);
        // Room again once the jobs are done.
        EXPECT_TRUE(pool.Post([] {}));
        EXPECT_EQ(pool.ThreadCount(), c.threads);
    }
}

TEST(WorkerPool, OneThreadRunsJobsInTheirOrder) {
    std::mutex mutex;
    std::vector<int> order;
    {
        WorkerPool pool(1, 50);
        for (int i = 0; i < 50; ++i) {
            ASSERT_TRUE(pool.Post([&, i] {
                const std::lock_guard<std::mutex> lock(mutex);
                order.push_back(i);
            }));
        }
        ASSERT_TRUE(WaitUntil([&] { return pool.Pending() == 0; }));
    }
    ASSERT_EQ(order.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(order[i], i);
}

TEST(WorkerPool, StartsNoThreadBeforeItsFirstJob) {
    WorkerPool pool(3, 3);
    EXPECT_EQ(pool.ThreadCount(), 0u);
    ASSERT_TRUE(pool.Post([] {}));
    ASSERT_TRUE(WaitUntil([&] { return pool.Pending() == 0; }));
    // One job at a time never needs a second thread.
    ASSERT_TRUE(pool.Post([] {}));
    ASSERT_TRUE(WaitUntil([&] { return pool.Pending() == 0; }));
    EXPECT_EQ(pool.ThreadCount(), 1u);
}

TEST(WorkerPool, AThrowingJobLeavesTheWorkerRunning) {
    std::atomic<bool> ran{false};
    WorkerPool pool(1, 1);
    ASSERT_TRUE(pool.Post([] { throw std::runtime_error("job failed"); }));
    ASSERT_TRUE(WaitUntil([&] { return pool.Pending() == 0; }));
    ASSERT_TRUE(pool.Post([&] { ran = true; }));
    EXPECT_TRUE(WaitUntil([&] { return ran.load(); }));
}

TEST(WorkerPool, DestructionDropsWaitingJobsAndWaitsForRunningOnes) {
    Gate gate;
    std::atomic<int> ran{0};
    std::thread opener;
    {
        WorkerPool pool(1, 5);
        for (int i = 0; i < 6; ++i) {
            ASSERT_TRUE(pool.Post([&] {
                gate.Wait();
                ++ran;
            }));
        }
        gate.WaitForWaiting(1);
        opener = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            gate.Open();
        });
    }
    opener.join();
    EXPECT_EQ(ran.load(), 1);
}

}  // namespace
}  // namespace mirelo
