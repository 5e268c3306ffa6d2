#pragma once
// A small pool of worker threads that lives as long as its owner (an analysis), so that a step's
// element loops are split over the processor's cores without creating a thread per step.
//
// ParallelFor(count, grain, body) calls body(begin, end) on chunks of `grain` indices covering
// [0, count) (on one thread, or for count <= grain, on the whole range at once) and returns when every
// chunk is done. The calling thread takes chunks too; a worker that
// wakes late finds the chunks already taken and goes back to sleep, so a busy machine costs no waiting.
// Which thread runs a chunk, and in which order, is not fixed: the body writes per-index data only
// (anything summed over indices is summed afterwards, in index order, by the caller).
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace torva::engine {

class ThreadPool {
public:
    // `threads` counts the calling thread: 1 makes ParallelFor a plain loop.
    explicit ThreadPool(int threads);
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    int Threads() const { return int(workers_.size()) + 1; }

    // The cores of this processor, at least 1.
    static int ProcessorThreads();

    template <class Body> void ParallelFor(int count, int grain, Body&& body) {
        if (grain < 1) grain = 1;
        if (workers_.empty() || count <= grain) {
            if (count > 0) body(0, count);
            return;
        }
        using Target = std::remove_reference_t<Body>;
        Call call = [](void* context, int begin, int end) { (*static_cast<Target*>(context))(begin, end); };
        Run(count, grain, call, const_cast<void*>(static_cast<const void*>(&body)));
    }

private:
    using Call = void (*)(void* context, int begin, int end);
    void Run(int count, int grain, Call call, void* context);
    void Drain();
    void Work();

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    // The current job, written under the lock before it opens and read by the threads inside it.
    Call call_ = nullptr;
    void* context_ = nullptr;
    int count_ = 0, grain_ = 1;
    std::atomic<int> next_{0};
    unsigned long generation_ = 0;
    bool open_ = false, stop_ = false;
    int inside_ = 0; // workers taking chunks of the current job
};

} // namespace torva::engine
