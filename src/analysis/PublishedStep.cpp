#include "analysis/PublishedStep.h"

#include "analysis/ResultFieldFill.h"
#include "engine/Engine.h"
#include "engine/IterativeSolver.h"

namespace torva {

void PublishEngineStep(const engine::Engine& engine, const MeshView& mesh, PublishedStep& step,
                       const std::shared_ptr<StepStorage>& storage) {
    if (storage) {
        const StepAllocator<double> allocator(storage);
        step.results = StepVector<double>(allocator);
        step.record.strains = StepVector<double>(allocator);
        step.record.bars = StepVector<double>(allocator);
    }
    const engine::ResultView results = engine.Results();
    const std::span<const double> values = results.Values();
    step.results.assign(values.begin(), values.end());
    step.displacement = results.ControlDisplacement();
    step.force = results.ControlForce();
    const engine::IterativeSolver* solver = engine.Iterative();
    if (engine.Method() == engine::AnalysisMethod::Mcft && solver) {
        step.iterations = solver->LastRecord().iterations;
        step.residual = solver->LastRecord().residual;
        FillFromResults(results, mesh, step.field);
        FillFromEngine(engine, mesh, step.field);
        return;
    }
    CaptureClassicStep(engine, mesh, step.record);
}

} // namespace torva
