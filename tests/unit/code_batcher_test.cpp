#include "forwarding/code_batcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace mirelo {
namespace {

using namespace std::chrono_literals;

// Records every batch; the first delivery waits until the test lets it go, so that the test decides
// what waits for the second batch.
class Receiver {
public:
    void Deliver(const std::vector<CodeRun>& batch) {
        std::unique_lock<std::mutex> lock(mutex_);
        batches_.push_back(batch);
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
    }
    void WaitForFirst() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, 10s, [this] { return !batches_.empty(); });
    }
    void Release() {
        const std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    std::vector<std::vector<CodeRun>> Batches() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return batches_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::vector<CodeRun>> batches_;
    bool released_ = false;
};

TEST(CodeBatcher, CodesPostedDuringADeliveryGoTogetherAsRunsInTheirOrder) {
    struct Case {
        std::size_t maxRuns;
        std::vector<int> whileBusy;
        std::vector<bool> accepted;
        std::vector<CodeRun> secondBatch;
    };
    const Case cases[] = {
        {8, {100, 100, 100}, {true, true, true}, {{100, 3}}},
        {8, {100, 200, 100, 100}, {true, true, true, true}, {{100, 1}, {200, 1}, {100, 2}}},
        {2, {1, 2, 3, 2, 2}, {true, true, false, true, true}, {{1, 1}, {2, 3}}},
        {1, {5, 5, 6}, {true, true, false}, {{5, 2}}},
    };
    for (const Case& c : cases) {
        Receiver receiver;
        CodeBatcher batcher(c.maxRuns, [&](const std::vector<CodeRun>& batch) { receiver.Deliver(batch); });
        ASSERT_TRUE(batcher.Post(7));
        receiver.WaitForFirst();
        std::vector<bool> accepted;
        for (int code : c.whileBusy) accepted.push_back(batcher.Post(code));
        EXPECT_EQ(accepted, c.accepted);
        receiver.Release();
        ASSERT_TRUE(batcher.WaitIdle(10s));
        const std::vector<std::vector<CodeRun>> expected = {{{7, 1}}, c.secondBatch};
        EXPECT_EQ(receiver.Batches(), expected);
    }
}

TEST(CodeBatcher, EveryCodeArrivesOnceInOrderOnOneThread) {
    std::vector<int> delivered;
    CodeBatcher batcher(4, [&](const std::vector<CodeRun>& batch) {
        for (const CodeRun& run : batch) delivered.insert(delivered.end(), run.count, run.code);
    });
    std::vector<int> posted;
    for (int i = 0; i < 3000; ++i) {
        const int code = i % 7 < 4 ? 100 : 200 + i % 3;
        if (batcher.Post(code)) {
            posted.push_back(code);
        } else {
            ASSERT_TRUE(batcher.WaitIdle(10s));  // full only while the worker is behind
            ASSERT_TRUE(batcher.Post(code));
            posted.push_back(code);
        }
        EXPECT_LE(batcher.ThreadCount(), 1u);
    }
    ASSERT_TRUE(batcher.WaitIdle(10s));
    EXPECT_EQ(delivered, posted);
}

TEST(CodeBatcher, AFailedDeliveryLosesOnlyItsOwnBatch) {
    std::vector<int> delivered;
    CodeBatcher batcher(4, [&](const std::vector<CodeRun>& batch) {
        if (batch.front().code == 1) throw std::runtime_error("receiver gone");
        for (const CodeRun& run : batch) delivered.push_back(run.code);
    });
    ASSERT_TRUE(batcher.Post(1));
    ASSERT_TRUE(batcher.WaitIdle(10s));
    ASSERT_TRUE(batcher.Post(2));
    ASSERT_TRUE(batcher.WaitIdle(10s));
    EXPECT_EQ(delivered, std::vector<int>{2});
}

TEST(CodeBatcher, StartsNoThreadBeforeItsFirstCode) {
    CodeBatcher batcher(4, [](const std::vector<CodeRun>&) {});
    EXPECT_EQ(batcher.ThreadCount(), 0u);
    EXPECT_TRUE(batcher.WaitIdle(0ms));
}

}  // namespace
}  // namespace mirelo
