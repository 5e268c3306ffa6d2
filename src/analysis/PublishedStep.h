#pragma once
// What a push-over run in another thread hands to the window after each engine call: copies of
// everything the window shows of that step, so the window never reads the engine while it works.
#include "analysis/ResultField.h"

#include <vector>

namespace torva {

struct PublishedStep {
    int step = 0;                       // the engine's step counter after the call
    int status = 0;                     // the engine status of the call (0 done)
    double displacement = 0, force = 0; // the control displacement (mm) and force (N) after it
    std::vector<double> results;        // the engine's result buffer after the step (empty when status != 0)
    int iterations = 0;                 // the iterative method's iterations of the step (0: classic)
    double residual = 0;                // and its out-of-balance force / applied force at the end
    ResultField field;                  // the step as the results window records it
};

} // namespace torva
