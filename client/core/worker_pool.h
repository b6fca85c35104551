#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace mirelo {

// A fixed number of worker threads and a bounded number of jobs, for the work that every received
// notification may start. A job is accepted while fewer than `threads + waiting` jobs are in the
// pool (running or waiting); beyond that Post refuses it and the caller drops it, so a burst of
// notifications never grows the number of threads nor the memory held. Jobs start in the order they
// were posted; with one thread they also end in that order, which is what a receiver that must see
// the order of the notifications needs.
//
// Threads start when the first jobs arrive, never more than `threads`, and then stay. A job that
// throws is ended there; the worker carries on.
class WorkerPool {
public:
    using Job = std::function<void()>;

    WorkerPool(std::size_t threads, std::size_t waiting);
    // Drops the jobs still waiting and waits for the running ones. A pool whose jobs may block for
    // long (network requests) is therefore kept for the life of the process and never destroyed.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Queues the job; false when the pool is full (the job is dropped, not run).
    bool Post(Job job);

    // The threads started so far, at most the `threads` given.
    std::size_t ThreadCount() const;
    // Jobs running or waiting.
    std::size_t Pending() const;

private:
    void Work();

    const std::size_t maxThreads_;
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace mirelo
