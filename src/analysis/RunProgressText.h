#pragma once
// The status-bar lines of an analysis under way and done: the iterative method's step, iteration and
// out-of-balance force while it works, the iterations of the step shown afterwards, and where a run
// was stopped.
#include <string>

namespace torva {

// "1.2e-4": the residual with two significant digits (NaN: "not finite").
std::string ResidualText(double residual);
// "Step 37 — iteration 12, residual 3.2e-4"
std::string IteratingText(int step, int iteration, double residual);
// "Step 37: 12 iterations, residual 3.2e-4" ("1 iteration")
std::string StepIterationsText(int step, int iterations, double residual);
// "Stopped at step 37." (the last step done)
std::string StoppedText(int step);

} // namespace torva
