#pragma once
// A request to end a run early, set from one thread and polled by the run in another. The run looks at
// it between steps, and the iterative method at every iteration, so a cancelled run ends after the
// step under way, or within one iteration of it.
#include <atomic>

namespace torva {

class CancelToken {
public:
    void Cancel() { cancelled_.store(true, std::memory_order_release); }
    void Reset() { cancelled_.store(false, std::memory_order_release); }
    bool Cancelled() const { return cancelled_.load(std::memory_order_acquire); }

private:
    std::atomic<bool> cancelled_{false};
};

} // namespace torva
