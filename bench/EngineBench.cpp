// The analysis engine on a 60 × 60 wall (3600 elements, 32,400 Gauss points). Budgets: elastic analysis
// < 150 ms; one push-over step with the stiffness re-formed and refactorised < 20 ms; the Gauss-point
// update of all elements < 10 ms per step.
#include "WallStream.h"
#include "engine/Engine.h"
#include "engine/EngineTestAccess.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

using namespace torva::engine;
using torva::bench::WallStream;

struct Fixture {
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    std::vector<double> results = std::vector<double>(kResultBufferSize);
    std::vector<int32_t> stream;
    int step = 0, status = 0;
    Fixture(int concreteSelector, int rebarSelector) : stream(WallStream(concreteSelector, rebarSelector)) {}
    void Call(int mode, double increment) {
        EngineTestAccess(*engine).Run(results, increment, stream, mode, step, status);
    }
};

void BM_ElasticAnalysis60x60(benchmark::State& state) {
    Fixture f(1, 1);
    for (auto _ : state) {
        f.step = 0;
        f.Call(kElasticMode, 0.0);
        if (f.status != kStatusDone) state.SkipWithError("analysis failed");
    }
}
BENCHMARK(BM_ElasticAnalysis60x60)->Unit(benchmark::kMillisecond);

// The curved rebar law re-forms every element with bars at every step: all 3600 elements are formed
// again, assembled as differences, and the whole profile is factorised.
void BM_PushoverStepReformed60x60(benchmark::State& state) {
    Fixture f(1, 2);
    f.Call(kPushoverMode, 0.01);
    for (auto _ : state) {
        ++f.step;
        f.Call(kPushoverMode, 0.01);
        if (f.status != kStatusDone) state.SkipWithError("step failed");
    }
}
BENCHMARK(BM_PushoverStepReformed60x60)->Unit(benchmark::kMillisecond);

void BM_GaussPointUpdate60x60(benchmark::State& state) {
    Fixture f(1, 1);
    f.Call(kPushoverMode, 0.01);
    for (auto _ : state) EngineTestAccess(*f.engine).UpdateElementStates(kPushoverMode, ++f.step);
}
BENCHMARK(BM_GaussPointUpdate60x60)->Unit(benchmark::kMillisecond);

// Re-formation of all 3600 element stiffnesses and their assembly as differences.
void BM_StiffnessReformation60x60(benchmark::State& state) {
    Fixture f(1, 2);
    f.Call(kPushoverMode, 0.01);
    ++f.step;
    f.Call(kPushoverMode, 0.01); // every element with bars is flagged again
    for (auto _ : state) EngineTestAccess(*f.engine).UpdateChangedStiffness();
}
BENCHMARK(BM_StiffnessReformation60x60)->Unit(benchmark::kMillisecond);

void BM_Factorisation60x60(benchmark::State& state) {
    Fixture f(1, 1);
    f.Call(kElasticMode, 0.0);
    double zero[400] = {};
    for (auto _ : state) {
        EngineTestAccess(*f.engine).AddElementMatrix(1, zero); // the profile changed: factorise again
        EngineTestAccess(*f.engine).SolveForIncrement();
    }
}
BENCHMARK(BM_Factorisation60x60)->Unit(benchmark::kMillisecond);

} // namespace
