#pragma once
// When two threads share a factorisation, one that loses its core mid-panel holds up every panel after
// it: on a busy machine a shared factorisation can take several times as long as one thread's. So a
// shared factorisation in which a thread had to sleep waiting for the other (PanelSchedule) is followed
// by a run of factorisations on one thread; the run doubles while the sharing keeps stalling, up to
// kLongest, and a clean shared factorisation brings it back to kShortest. The choice changes only the
// time taken: the factors are the same bits either way.
namespace torva::engine {

class SharingBackoff {
public:
    static constexpr int kShortest = 16, kLongest = 1024;

    // Whether the next factorisation may be shared.
    bool Allowed() const { return skip_ == 0; }

    // After a shared factorisation; `stalled`: a thread slept waiting for the other.
    void AfterShared(bool stalled) {
        if (!stalled) {
            run_ = kShortest;
            return;
        }
        skip_ = run_;
        run_ = run_ < kLongest ? 2 * run_ : kLongest;
    }
    // After a factorisation on one thread.
    void AfterSingle() {
        if (skip_ > 0) --skip_;
    }

private:
    int skip_ = 0;        // factorisations left on one thread
    int run_ = kShortest; // the next run's length
};

} // namespace torva::engine
