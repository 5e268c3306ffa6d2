#include "engine/ThreadPool.h"

#include <algorithm>

namespace torva::engine {

ThreadPool::ThreadPool(int threads) {
    for (int t = 1; t < threads; ++t) workers_.emplace_back([this] { Work(); });
}

ThreadPool::~ThreadPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

int ThreadPool::ProcessorThreads() {
    return std::max(1, int(std::thread::hardware_concurrency()));
}

void ThreadPool::Run(int count, int grain, Call call, void* context) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        call_ = call;
        context_ = context;
        count_ = count;
        grain_ = grain;
        next_.store(0, std::memory_order_relaxed);
        ++generation_;
        open_ = true;
    }
    wake_.notify_all();
    Drain();
    // Every chunk is taken; close the job to latecomers and wait for the chunks still running.
    std::unique_lock<std::mutex> lock(mutex_);
    open_ = false;
    done_.wait(lock, [this] { return inside_ == 0; });
}

void ThreadPool::Drain() {
    for (;;) {
        const int begin = next_.fetch_add(grain_, std::memory_order_relaxed);
        if (begin >= count_) return;
        call_(context_, begin, std::min(begin + grain_, count_));
    }
}

void ThreadPool::Work() {
    unsigned long seen = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stop_ || (open_ && generation_ != seen); });
            if (stop_) return;
            seen = generation_;
            ++inside_;
        }
        Drain();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (--inside_ == 0) done_.notify_one();
        }
    }
}

} // namespace torva::engine
