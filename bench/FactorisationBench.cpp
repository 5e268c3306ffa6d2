// The skyline factorisation of the 60 × 60 wall's stiffness (7,320 equations), in one run: the plain
// kernel, the blocked kernel on every instruction-set path this processor has, on the skyline profile
// (copied into panels and written back) and resident in its panel-major layout (the engine's way, and
// the figure the budgets are meant for), then a whole classic push-over step (every element re-formed,
// the profile factorised) with each kernel, and a step of the iterative method with all its
// iterations, before cracking and through the cracked range (the latter is the figure the iterative
// budget is meant for). Budgets: blocked factorisation ≤ 2.5 ms median on AVX-512, ≤ 4 ms on AVX2; the
// classic push-over step ≤ 8 ms median; the iterative step ≤ 50 ms median.
#include "WallStream.h"
#include "engine/BlockedFactor.h"
#include "engine/ColumnSolve.h"
#include "engine/Engine.h"
#include "engine/EngineTestAccess.h"
#include "engine/IterativeSolver.h"
#include "engine/LargePageAllocator.h"
#include "engine/PairSubstitution.h"
#include "engine/ThreadPool.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace torva::engine;
using torva::bench::WallStream;

// The assembled stiffness of the wall, copied out of an engine after its elastic analysis.
struct WallStiffness {
    int n = 0;
    std::vector<int32_t> D;
    std::vector<double> K, A;
    WallStiffness() {
        auto engine = std::make_unique<Engine>();
        std::vector<double> results(kResultBufferSize);
        const std::vector<int32_t> stream = WallStream(1, 1);
        int step = 0, status = 0;
        EngineTestAccess(*engine).Run(results, 0.0, stream, kElasticMode, step, status);
        n = engine->EquationCount();
        D.resize(n + 2);
        for (int j = 1; j <= n + 1; ++j) D[j] = engine->DiagonalAddress(j);
        K.resize(D[n + 1]);
        for (int p = 1; p < D[n + 1]; ++p) K[p] = engine->Profile(p);
        A = K;
    }
};

// The same matrix in the resident layout: K's store and the factors' store, 64-byte aligned, allocated
// as the engine allocates them (offered for large pages).
struct ResidentWall {
    PanelLayout layout;
    LargeVector<double> kBuffer, fBuffer;
    double *K = nullptr, *F = nullptr;
    explicit ResidentWall(const WallStiffness& w) : layout(w.n) {
        layout.Build(w.D.data(), w.n);
        kBuffer.assign(layout.Size() + 8, 0.0);
        fBuffer.assign(layout.Size() + 8, 0.0);
        K = Aligned(kBuffer);
        F = Aligned(fBuffer);
        layout.Scatter(w.K.data(), w.D.data(), K);
    }
    static double* Aligned(LargeVector<double>& buffer) {
        const auto address = reinterpret_cast<std::uintptr_t>(buffer.data());
        return buffer.data() + ((64 - address % 64) % 64) / sizeof(double);
    }
};

WallStiffness& Wall() {
    static WallStiffness wall;
    return wall;
}

void BM_FactorisePlain60x60(benchmark::State& state) {
    WallStiffness& w = Wall();
    for (auto _ : state)
        if (ColumnSolve(w.A.data(), nullptr, w.D.data(), w.n, 1, SolverKernel::Automatic, w.K.data()) != 0)
            state.SkipWithError("not positive definite");
    state.SetLabel(WideKernelAvailable() ? "AVX2 grouped" : "SSE2 grouped");
}
BENCHMARK(BM_FactorisePlain60x60)->Unit(benchmark::kMillisecond);

void BM_FactoriseBlocked60x60(benchmark::State& state) {
    const auto isa = BlockedIsa(state.range(0));
    state.SetLabel(BlockedIsaName(isa));
    if (!BlockedIsaAvailable(isa)) {
        state.SkipWithError("not on this processor");
        for (auto _ : state) {
        }
        return;
    }
    WallStiffness& w = Wall();
    BlockedFactoriser factoriser(w.n);
    for (auto _ : state)
        if (factoriser.Factorise(w.A.data(), w.D.data(), w.n, w.K.data(), isa) != 0)
            state.SkipWithError("not positive definite");
}
BENCHMARK(BM_FactoriseBlocked60x60)
    ->Arg(int(BlockedIsa::Sse2))
    ->Arg(int(BlockedIsa::Avx2))
    ->Arg(int(BlockedIsa::Avx512))
    ->Unit(benchmark::kMillisecond);

// The engine's own way: the matrix kept in the panel-major layout, factorised from there into the
// factors' store, nothing copied or written back; on one thread, or shared by two (wall time).
void BM_FactoriseResident60x60(benchmark::State& state) {
    const auto isa = BlockedIsa(state.range(0));
    const int threads = int(state.range(1));
    state.SetLabel(std::string(BlockedIsaName(isa)) + ", " + std::to_string(threads) + " thread(s)");
    if (!BlockedIsaAvailable(isa)) {
        state.SkipWithError("not on this processor");
        for (auto _ : state) {
        }
        return;
    }
    WallStiffness& w = Wall();
    static ResidentWall resident(w);
    BlockedFactoriser factoriser(w.n);
    ThreadPool pool(threads);
    for (auto _ : state)
        if (factoriser.FactoriseResident(resident.layout, w.D.data(), resident.K, resident.F, isa, nullptr,
                                         &pool) != 0)
            state.SkipWithError("not positive definite");
    state.counters["store_MB"] = 8e-6 * double(resident.layout.Size());
}
BENCHMARK(BM_FactoriseResident60x60)
    ->Args({int(BlockedIsa::Sse2), 1})
    ->Args({int(BlockedIsa::Avx2), 1})
    ->Args({int(BlockedIsa::Avx512), 1})
    ->Args({int(BlockedIsa::Avx2), 2})
    ->Args({int(BlockedIsa::Avx512), 2})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Solves with the factors of the wall, as the steps do them: the backward pass after a load eliminated
// during the factorisation (the classic step), and the whole substitution of two interleaved right-hand
// sides (an iteration of the iterative method). Arguments: the skyline profile's routines (0) or the
// resident ones (1); one (1) or two (2) right-hand sides.
void BM_Substitute60x60(benchmark::State& state) {
    const bool resident = state.range(0) != 0;
    const int sides = int(state.range(1));
    WallStiffness& w = Wall();
    static ResidentWall store(w);
    const BlockedIsa isa = BestBlockedIsa();
    BlockedFactoriser factoriser(w.n);
    if (resident ? factoriser.FactoriseResident(store.layout, w.D.data(), store.K, store.F, isa) != 0
                 : factoriser.Factorise(w.A.data(), w.D.data(), w.n, w.K.data(), isa) != 0)
        state.SkipWithError("not positive definite");
    std::vector<double> y(2 * w.n + 2, 1.0);
    for (auto _ : state) {
        if (resident)
            SubstituteResident(store.layout, w.D.data(), store.F, y.data(), isa, sides, sides == 1);
        else if (sides == 1)
            BackSubstitute(w.A.data(), w.D.data(), w.n, y.data());
        else
            SubstitutePair(w.A.data(), y.data(), w.D.data(), w.n);
        benchmark::DoNotOptimize(y.data());
    }
    state.SetLabel(std::string(resident ? "resident " : "skyline ") + BlockedIsaName(isa) +
                   (sides == 1 ? ", backward pass" : ", two right-hand sides"));
}
BENCHMARK(BM_Substitute60x60)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 2})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond);

// An engine for the wall: the default one (the blocked kernel keeps the matrix in its panel-major
// layout), or one whose profile capacity holds the wall's skyline profile but not the panels, so that
// the blocked kernel copies each panel in from the skyline profile and writes its factors back (the
// engine as it was before the resident layout: an A/B in one run).
std::unique_ptr<Engine> WallEngine(const std::vector<int32_t>& stream, bool resident) {
    if (resident) return std::make_unique<Engine>();
    Engine probe;
    EngineTestAccess access(probe);
    access.DecodeInput(stream);
    access.NumberEquations();
    access.BuildTieMaps();
    access.BuildElementDofLists();
    access.BuildSkylineProfile();
    return std::make_unique<Engine>(EngineCapacity{kMaxNodes, kMaxElements, probe.ProfileLength() + 16});
}

std::string KernelLabel(Engine& engine) {
    if (engine.GetFactorKernel() == FactorKernel::Reference) return "plain";
    return std::string("blocked ") + BlockedIsaName(BestBlockedIsa()) +
           (engine.ProfileResident() ? " resident" : " skyline") +
           (EngineTestAccess(engine).FactorisationShareable() ? " shared" : "");
}

// The curved rebar law flags every element at every step: all of them are formed again, assembled as
// differences, and the whole profile is factorised. Arguments: plain (0), blocked on the skyline
// profile (1) or blocked resident (2) factorisation, the wall's size, the threads of the element loops.
void BM_PushoverStep(benchmark::State& state) {
    const int kernel = int(state.range(0));
    const int size = int(state.range(1)), threads = int(state.range(2));
    const std::vector<int32_t> stream = WallStream(1, 2, size);
    auto engine = WallEngine(stream, kernel == 2);
    engine->SetFactorKernel(kernel != 0 ? FactorKernel::Blocked : FactorKernel::Reference);
    engine->SetElementThreads(threads, 1);
    std::vector<double> results(kResultBufferSize);
    int step = 0, status = 0;
    EngineTestAccess(*engine).Run(results, 0.01, stream, kPushoverMode, step, status);
    state.SetLabel(KernelLabel(*engine) + ", " + std::to_string(engine->ElementThreads()) + " thread(s)");
    for (auto _ : state) {
        ++step;
        EngineTestAccess(*engine).Run(results, 0.01, stream, kPushoverMode, step, status);
        if (status != kStatusDone) state.SkipWithError("step failed");
    }
}
BENCHMARK(BM_PushoverStep)
    ->Args({0, 60, 1})
    ->Args({1, 60, 1})
    ->Args({2, 60, 1})
    ->Args({1, 60, 2})
    ->Args({2, 60, 2})
    ->Args({2, 30, 1})
    ->Args({2, 30, 2})
    ->Args({2, 15, 1})
    ->Args({2, 15, 2})
    ->Unit(benchmark::kMillisecond);

// The iterative method on the wall: 0.05 mm steps from a state pushed 0.5 mm, still uncracked (the
// first cracks come at 1.45 mm; BM_IterativeCrackedRange measures the cracked range); each measured
// step is one push-over step with all its equilibrium iterations (counter "iterations").
// Arguments: the wall's size, the threads of the element loops, the blocked kernel on the skyline
// profile (0) or resident (1).
constexpr int kPreloadSteps = 9; // 0.5 mm
void BM_IterativeStep(benchmark::State& state) {
    const int size = int(state.range(0));
    const std::vector<int32_t> stream = WallStream(1, 1, size);
    auto engine = WallEngine(stream, state.range(2) != 0);
    engine->SetElementThreads(int(state.range(1)), 1);
    if (engine->Start(stream, kPushoverMode, 0.05, AnalysisMethod::Mcft) != RunStatus::Done) {
        state.SkipWithError("the iterative analysis did not start");
        for (auto _ : state) {
        }
        return;
    }
    for (int k = 0; k < kPreloadSteps; ++k)
        if (engine->Step(0.05) != RunStatus::Done) {
            state.SkipWithError((std::string("preload failed at step ") + std::to_string(k + 2)).c_str());
            break;
        }
    double iterations = 0;
    for (auto _ : state) {
        if (const RunStatus status = engine->Step(0.05); status != RunStatus::Done)
            state.SkipWithError(
                (std::string("step failed, status ") + std::to_string(int(status)) + ": " + engine->Message())
                    .c_str());
        iterations += engine->Iterative()->LastRecord().iterations;
    }
    state.counters["iterations"] = benchmark::Counter(iterations, benchmark::Counter::kAvgIterations);
    state.SetLabel(KernelLabel(*engine) + ", " + std::to_string(engine->ElementThreads()) + " thread(s)");
}
BENCHMARK(BM_IterativeStep)
    ->Args({30, 1, 1})
    ->Args({30, 2, 1})
    ->Args({60, 1, 0})
    ->Args({60, 1, 1})
    ->Args({60, 2, 0})
    ->Args({60, 2, 1})
    ->Iterations(10)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

// The iterative method through the wall's cracked range: from the step before the first cracks
// (1.4 mm, preloaded in the same 0.05 mm steps) to 3.9 mm, where the cracks near the supports are open
// and the bars there have yielded. Each benchmark iteration is the next step with all its iterations
// and cuts, so the 50 iterations of a run are the 50 steps of the range. Counters: the median step
// (wall time, the calling thread's CPU time and that of all threads, in ms), iterations and pieces a step
// (mean), the most iterations a step took, and where the range ended (mm). Arguments: the wall's size, the
// threads of the element loops.
constexpr int kUncrackedSteps = 27; // after the first step: 1.4 mm
constexpr int kCrackedSteps = 50;   // 1.4 to 3.9 mm
double CpuMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return 1e3 * double(t.tv_sec) + 1e-6 * double(t.tv_nsec);
}
double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t m = values.size() / 2;
    return values.size() % 2 != 0 ? values[m] : 0.5 * (values[m - 1] + values[m]);
}
void BM_IterativeCrackedRange(benchmark::State& state) {
    const int size = int(state.range(0));
    auto engine = std::make_unique<Engine>();
    engine->SetElementThreads(int(state.range(1)), 1);
    const std::vector<int32_t> stream = WallStream(1, 1, size);
    bool ready = engine->Start(stream, kPushoverMode, 0.05, AnalysisMethod::Mcft) == RunStatus::Done;
    for (int k = 0; ready && k < kUncrackedSteps; ++k) ready = engine->Step(0.05) == RunStatus::Done;
    if (!ready) {
        state.SkipWithError("the preload to 1.4 mm failed");
        for (auto _ : state) {
        }
        return;
    }
    std::vector<double> wall, cpu, processCpu;
    double iterations = 0, pieces = 0, maxIterations = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        const double cpuBegin = CpuMs(CLOCK_THREAD_CPUTIME_ID),
                     processBegin = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        if (const RunStatus status = engine->Step(0.05); status != RunStatus::Done) {
            state.SkipWithError(
                (std::string("step failed, status ") + std::to_string(int(status)) + ": " + engine->Message())
                    .c_str());
            break;
        }
        cpu.push_back(CpuMs(CLOCK_THREAD_CPUTIME_ID) - cpuBegin);
        processCpu.push_back(CpuMs(CLOCK_PROCESS_CPUTIME_ID) - processBegin);
        wall.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
        const IterativeStepRecord& record = engine->Iterative()->LastRecord();
        iterations += record.iterations;
        pieces += record.subSteps;
        maxIterations = std::max(maxIterations, double(record.iterations));
    }
    const double steps = std::max<double>(1.0, double(wall.size()));
    state.counters["median_ms"] = Median(wall);
    state.counters["median_cpu_ms"] = Median(cpu);
    state.counters["median_all_threads_cpu_ms"] = Median(processCpu);
    state.counters["iterations"] = iterations / steps;
    state.counters["max_iterations"] = maxIterations;
    state.counters["pieces"] = pieces / steps;
    state.counters["end_mm"] = engine->Iterative()->LastRecord().controlDisplacement;
    state.SetLabel(std::to_string(engine->ElementThreads()) + " thread(s)");
}
BENCHMARK(BM_IterativeCrackedRange)
    ->Args({60, 1})
    ->Args({60, 2})
    ->Iterations(kCrackedSteps)
    ->Unit(benchmark::kMillisecond);

} // namespace
