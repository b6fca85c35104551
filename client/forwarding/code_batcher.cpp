#include "forwarding/code_batcher.h"

#include <limits>
#include <utility>

namespace mirelo {

CodeBatcher::CodeBatcher(std::size_t maxRuns, Deliver deliver)
    : maxRuns_(maxRuns > 0 ? maxRuns : 1), deliver_(std::move(deliver)) {}

CodeBatcher::~CodeBatcher() = default;

bool CodeBatcher::Post(int code) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!waiting_.empty() && waiting_.back().code == code) {
            if (waiting_.back().count == std::numeric_limits<std::uint32_t>::max()) return false;
            ++waiting_.back().count;
        } else {
            if (waiting_.size() >= maxRuns_) return false;
            waiting_.push_back(CodeRun{code, 1});
        }
        if (draining_) return true;  // the running drain takes it with its next batch
        draining_ = true;
    }
    if (worker_.Post([this] { Drain(); })) return true;
    // No worker could take the drain: the codes stay and the next Post tries again.
    const std::lock_guard<std::mutex> lock(mutex_);
    draining_ = false;
    return true;
}

bool CodeBatcher::WaitIdle(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    return idle_.wait_for(lock, limit, [this] { return !draining_ && waiting_.empty(); });
}

void CodeBatcher::Drain() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!waiting_.empty()) {
        const std::vector<CodeRun> batch(waiting_.begin(), waiting_.end());
        waiting_.clear();
        lock.unlock();
        try {
            deliver_(batch);
        } catch (...) {
            // A failed delivery loses its batch, not the ones after it.
        }
        lock.lock();
    }
    draining_ = false;
    idle_.notify_all();
}

}  // namespace mirelo
