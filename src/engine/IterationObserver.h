#pragma once
// What the iterative method tells its caller after every equilibrium iteration, and the caller's
// answer: a window shows the progress of a long step and can abandon it without waiting for its end.
#include <functional>

namespace torva::engine {

struct IterationReport {
    int step = 0;        // the load step under way (0: the gravity state)
    int iteration = 0;   // iterations of the step so far, over its attempts and sub-steps
    double residual = 0; // |R| / |applied force| after the iteration (NaN when it diverged)
};

// Returns false to abandon the step under way (status kStatusCancelled).
using IterationObserver = std::function<bool(const IterationReport&)>;

} // namespace torva::engine
