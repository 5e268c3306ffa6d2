#pragma once
// The panels of one resident factorisation shared between two threads. A thread takes the next panel
// not yet taken and waits only where the panel reads what another panel writes:
//
//   - a block of rows above the panel needs the factorised columns of those rows (and their pivots),
//     so it waits until the panels holding them are finished;
//   - the panel's last rows above, the forward elimination of the load and the panel's own "finished"
//     wait for the panel before it.
//
// Most of a panel's rows lie above the panel before it, so while one thread ends panel k the other
// already reduces panel k + 1 by the columns above panel k. Every panel does the same arithmetic in the
// same order whichever thread takes it: the factors are the one-thread factors, bit for bit. Panels are
// finished in order, so `finished` counts the panels done from the first.
//
// A failing pivot ends the factorisation at the first failing panel: its thread records it once every
// panel before it is finished (a failure there would come first), and every thread working on a later
// panel gives up at its next wait.
#include <atomic>
#include <chrono>
#include <climits>

namespace torva::engine {

class PanelSchedule {
public:
    // The next panel to work on (INT_MAX once the factorisation failed).
    int Take() {
        if (failedPanel_.load(std::memory_order_acquire) != kNone) return INT_MAX;
        return next_.fetch_add(1, std::memory_order_relaxed);
    }

    // Waits until the first `panels` panels are finished; false when a panel before `panel` failed,
    // which ends `panel`'s work. `known` caches the count seen, so that a satisfied wait costs a compare.
    bool WaitFinished(int panels, int panel, int& known) {
        if (known >= panels) return true;
        std::chrono::steady_clock::time_point start;
        for (int spins = 0;; ++spins) {
            known = finished_.load(std::memory_order_acquire);
            if (known >= panels) return true;
            if (failedPanel_.load(std::memory_order_acquire) < panel) return false;
            // A panel takes microseconds, and a worker waking up some tens of them: spin for up to
            // kSpin, then sleep until the count moves (the other thread may have lost its core, and
            // this one should not hold its own meanwhile).
            if (spins % 64 == 0) {
                const auto now = std::chrono::steady_clock::now();
                if (spins == 0)
                    start = now;
                else if (now - start > kSpin) {
                    stalled_.store(true, std::memory_order_relaxed);
                    finished_.wait(known, std::memory_order_acquire);
                    continue;
                }
            }
            Pause();
        }
    }

    // Panel `panel` is done: its factors, pivots and eliminated load are written.
    void Finish(int panel) {
        finished_.store(panel + 1, std::memory_order_release);
        finished_.notify_all();
    }

    // Panel `panel` failed at `column`: recorded if no panel before it fails. The count then changes to
    // -1, which wakes the threads waiting on it; none of them finishes a panel any more.
    void Fail(int panel, int column) {
        int known = 0;
        if (!WaitFinished(panel, panel, known)) return;
        failedColumn_ = column;
        failedPanel_.store(panel, std::memory_order_release);
        finished_.store(-1, std::memory_order_release);
        finished_.notify_all();
    }

    // A thread waited so long for the other that it went to sleep: the other had lost its core, or the
    // machine is busy (SharingBackoff.h). Read once the threads are done.
    bool Stalled() const { return stalled_.load(std::memory_order_relaxed); }

    // The failing column, 0 when every panel was finished. Read once the threads are done.
    int FailedColumn() const {
        return failedPanel_.load(std::memory_order_acquire) != kNone ? failedColumn_ : 0;
    }

private:
    static constexpr int kNone = INT_MAX;
    static constexpr std::chrono::microseconds kSpin{100};

    static void Pause() {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }

    // Taken by both threads at every panel; the other two are read at every wait: apart.
    alignas(64) std::atomic<int> next_{0};
    alignas(64) std::atomic<int> finished_{0};
    std::atomic<int> failedPanel_{kNone};
    std::atomic<bool> stalled_{false};
    int failedColumn_ = 0;
};

} // namespace torva::engine
