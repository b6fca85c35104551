#include "core/worker_pool.h"

#include <utility>

namespace mirelo {

WorkerPool::WorkerPool(std::size_t threads, std::size_t waiting)
    : maxThreads_(threads > 0 ? threads : 1), capacity_(maxThreads_ + waiting) {}

WorkerPool::~WorkerPool() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

bool WorkerPool::Post(Job job) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_ || running_ + queue_.size() >= capacity_) return false;
        queue_.push_back(std::move(job));
        // One more thread only while every started one has a job of its own.
        if (threads_.size() < maxThreads_ && threads_.size() < running_ + queue_.size()) {
            try {
                threads_.emplace_back(&WorkerPool::Work, this);
            } catch (...) {
                // No thread could be started: the ones there are take the job, or it is dropped.
                if (threads_.empty()) {
                    queue_.pop_back();
                    return false;
                }
            }
        }
    }
    wake_.notify_one();
    return true;
}

std::size_t WorkerPool::ThreadCount() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return threads_.size();
}

std::size_t WorkerPool::Pending() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return running_ + queue_.size();
}

void WorkerPool::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        ++running_;
        lock.unlock();
        try {
            job();
        } catch (...) {
            // Nothing may leave a thread's start routine.
        }
        job = nullptr;  // what the job holds goes before the next one starts
        lock.lock();
        --running_;
    }
}

}  // namespace mirelo
