#pragma once
// What a push-over run in another thread hands to the window after each engine call: copies of
// everything the window shows of that step, so the window never reads the engine while it works.
#include "analysis/MeshView.h"
#include "analysis/ResultField.h"
#include "analysis/StepRecord.h"

#include <memory>
#include <vector>

namespace torva {

namespace engine {
class Engine;
}

struct PublishedStep {
    int step = 0;                       // the engine's step counter after the call
    int status = 0;                     // the engine status of the call (0 done)
    double displacement = 0, force = 0; // the control displacement (mm) and force (N) after it
    StepVector<double> results;         // the used part of the engine's result buffer after the step
                                        // (empty when status != 0)
    int iterations = 0;                 // the iterative method's iterations of the step (0: classic)
    double residual = 0;                // and its out-of-balance force / applied force at the end
    // The step as the results window records it: the classic engine's states captured compactly (the
    // field is decoded from them and `results` when shown), or else the field filled in full.
    StepRecord record;
    ResultField field;
};

// After a successful engine call, in the thread that made it: the step's results, control point and
// iterative record, and its state for the results window (captured for the classic method, the
// iterative method's points filled in full), laid out by `mesh`. The large arrays are taken from
// `storage` when one is given.
void PublishEngineStep(const engine::Engine& engine, const MeshView& mesh, PublishedStep& step,
                       const std::shared_ptr<StepStorage>& storage = {});

} // namespace torva
