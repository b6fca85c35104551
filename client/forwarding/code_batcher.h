#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "core/worker_pool.h"

namespace mirelo {

// A code repeated `count` times in a row.
struct CodeRun {
    int code = 0;
    std::uint32_t count = 0;

    bool operator==(const CodeRun&) const = default;
};

// Codes handed to one worker that delivers them in batches: every code posted while a batch is being
// delivered waits and goes with the next batch, so the cost that a delivery pays once (finding the
// receivers) is paid once per batch instead of once per code. Codes keep the order they were posted
// in, within and across batches, and every accepted code is delivered once.
//
// What waits is held as runs of equal consecutive codes, at most `maxRuns` of them: a burst of one
// code holds one run whatever its length. A code that would start a run beyond that is refused, and
// so is one more of a run that has reached its limit. Post never blocks on a delivery.
class CodeBatcher {
public:
    using Deliver = std::function<void(const std::vector<CodeRun>& batch)>;

    CodeBatcher(std::size_t maxRuns, Deliver deliver);
    // Waits for the batch being delivered; what still waits is dropped.
    ~CodeBatcher();
    CodeBatcher(const CodeBatcher&) = delete;
    CodeBatcher& operator=(const CodeBatcher&) = delete;

    // Queues the code; false when it was refused (nothing of it is delivered).
    bool Post(int code);

    // Waits until every accepted code has been delivered, at most `limit`; true when they were.
    bool WaitIdle(std::chrono::milliseconds limit);

    // The worker threads started so far: 0 or 1.
    std::size_t ThreadCount() const { return worker_.ThreadCount(); }

private:
    void Drain();

    const std::size_t maxRuns_;
    const Deliver deliver_;
    std::mutex mutex_;
    std::condition_variable idle_;
    std::deque<CodeRun> waiting_;
    bool draining_ = false;
    WorkerPool worker_{1, 1};  // last: it stops before what its job uses goes
};

}  // namespace mirelo
