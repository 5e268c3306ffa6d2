// The iterative method's observer: told after every iteration with the step, the iteration count and
// the residual; answering false abandons the step under way, and the engine is then exactly as after
// the last step done (results, committed state, Gauss points), even when a cut step had committed
// pieces, so the run can go on from there as if nothing had happened.
#include "EngineTestModels.h"
#include "engine/IterativeSolver.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <span>
#include <vector>

namespace torva::engine::test {
namespace {

struct ObservedRun {
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    std::vector<int32_t> stream = CantileverWall().Stream();
    std::vector<IterationReport> reports;
    int cancelAt = 0; // abandon the step at this iteration (0: never)

    ObservedRun() {
        engine->SetIterationObserver([this](const IterationReport& report) {
            reports.push_back(report);
            return cancelAt == 0 || report.iteration < cancelAt;
        });
    }
    int Push(double increment) {
        reports.clear();
        const RunStatus status = engine->Started()
                                     ? engine->Step(increment, kPushoverMode)
                                     : engine->Start(stream, kPushoverMode, increment, AnalysisMethod::Mcft);
        return StatusCode(status);
    }
    std::vector<double> Buffer() const {
        const std::span<const double> b = engine->Results().Buffer();
        return {b.begin(), b.end()};
    }
    const IterativeSolver& Solver() const { return *engine->Iterative(); }
    // Every Gauss point's state, as bytes.
    std::vector<unsigned char> Points() const {
        std::vector<unsigned char> bytes;
        for (int e = 1; e <= 32; ++e)
            for (int g = 1; g <= 9; ++g) {
                const McftPoint& p = Solver().Point(e, g);
                const auto* raw = reinterpret_cast<const unsigned char*>(p.stress);
                bytes.insert(bytes.end(), raw, raw + sizeof p.stress + sizeof p.D);
                for (double v :
                     {p.e1, p.e2, p.f1, p.f2, p.theta, p.crackWidth, p.barStress[0], p.barStress[1]}) {
                    const auto* r = reinterpret_cast<const unsigned char*>(&v);
                    bytes.insert(bytes.end(), r, r + sizeof v);
                }
            }
        return bytes;
    }
};

// Checks the reports: one per iteration of the step, numbered from 1 without a gap, naming the step,
// the last one with the residual the step's record keeps.
TEST(IterationObserver, ReportsEveryIterationOfTheStepWithItsResidual) {
    ObservedRun run;
    ASSERT_EQ(run.Push(0.25), kStatusDone);
    // Start runs the gravity state (step 0) and step 1.
    ASSERT_FALSE(run.reports.empty());
    EXPECT_EQ(run.reports.front().step, 0);
    EXPECT_EQ(run.reports.back().step, 1);
    for (int s = 2; s <= 6; ++s) {
        ASSERT_EQ(run.Push(0.5), kStatusDone) << s;
        const IterativeStepRecord& record = run.Solver().LastRecord();
        ASSERT_EQ(int(run.reports.size()), record.iterations) << s;
        for (size_t k = 0; k < run.reports.size(); ++k) {
            EXPECT_EQ(run.reports[k].step, s);
            EXPECT_EQ(run.reports[k].iteration, int(k) + 1);
        }
        EXPECT_EQ(run.reports.back().residual, record.residual) << s;
        EXPECT_LE(record.residual, run.Solver().Test().forceTolerance);
    }
}

// Checks a step abandoned in its second iteration: status 8, and results, step count, load factor,
// step record and every Gauss point as after the step before, to the bit; without the observer's
// veto the same step then lands exactly on its target with the uninterrupted run's force.
TEST(IterationObserver, AnAbandonedStepLeavesTheLastStepDoneAndTheRunGoesOn) {
    ObservedRun cancelled, straight;
    for (int s = 1; s <= 4; ++s) {
        ASSERT_EQ(cancelled.Push(0.5), kStatusDone);
        ASSERT_EQ(straight.Push(0.5), kStatusDone);
    }
    ASSERT_EQ(straight.Push(0.5), kStatusDone);
    ASSERT_GE(straight.Solver().LastRecord().iterations, 3); // the veto falls inside the step
    const std::vector<double> before = cancelled.Buffer();
    const std::vector<unsigned char> points = cancelled.Points();
    const IterativeStepRecord record = cancelled.Solver().LastRecord();
    const double loadFactor = cancelled.Solver().LoadFactor();

    cancelled.cancelAt = 2;
    EXPECT_EQ(cancelled.Push(0.5), kStatusCancelled);
    EXPECT_EQ(cancelled.reports.size(), 2u); // abandoned at once, not after the step
    EXPECT_EQ(cancelled.engine->StepCount(), 4);
    EXPECT_EQ(cancelled.Buffer(), before);
    EXPECT_EQ(cancelled.Solver().LoadFactor(), loadFactor);
    EXPECT_EQ(cancelled.Solver().LastRecord().step, record.step);
    EXPECT_EQ(cancelled.Solver().LastRecord().iterations, record.iterations);
    EXPECT_TRUE(cancelled.Points() == points);

    cancelled.cancelAt = 0;
    ASSERT_EQ(cancelled.Push(0.5), kStatusDone);
    EXPECT_EQ(cancelled.engine->StepCount(), 5);
    const std::vector<double> after = cancelled.Buffer(), expected = straight.Buffer();
    EXPECT_EQ(after[0], expected[0]); // the target is the committed displacement plus the increment
    EXPECT_NEAR(after[1], expected[1], 2e-3 * std::fabs(expected[1]));
}

// Checks a cut step abandoned in its last iteration, after its first pieces were committed: the state
// saved before the cut comes back, so the load factor, the Gauss points and the control displacement
// of the next step are those of the last step done.
TEST(IterationObserver, AnAbandonedCutStepForgetsTheCommittedPieces) {
    ConvergenceTest tight;
    tight.iterationLimit = 6;
    ObservedRun probe, cancelled;
    for (int s = 1; s <= 4; ++s) {
        ASSERT_EQ(probe.Push(0.25), kStatusDone);
        ASSERT_EQ(cancelled.Push(0.25), kStatusDone);
    }
    probe.engine->Iterative()->SetTest(tight);
    cancelled.engine->Iterative()->SetTest(tight);
    ASSERT_EQ(probe.Push(1.0), kStatusDone);
    ASSERT_GT(probe.Solver().LastRecord().subSteps, 1); // the step was cut, pieces committed
    const int lastIteration = probe.Solver().LastRecord().iterations;

    const std::vector<double> before = cancelled.Buffer();
    const std::vector<unsigned char> points = cancelled.Points();
    const double loadFactor = cancelled.Solver().LoadFactor();
    cancelled.cancelAt = lastIteration;
    EXPECT_EQ(cancelled.Push(1.0), kStatusCancelled);
    EXPECT_EQ(int(cancelled.reports.size()), lastIteration);
    EXPECT_EQ(cancelled.Buffer(), before);
    EXPECT_EQ(cancelled.Solver().LoadFactor(), loadFactor);
    EXPECT_TRUE(cancelled.Points() == points);

    // Going on, the step starts from the last step done: it lands on the same target as the probe.
    cancelled.cancelAt = 0;
    ASSERT_EQ(cancelled.Push(1.0), kStatusDone);
    EXPECT_EQ(cancelled.Buffer()[0], probe.Buffer()[0]);
    EXPECT_NEAR(cancelled.Buffer()[1], probe.Buffer()[1], 0.01 * std::fabs(probe.Buffer()[1]));
}

// Checks an analysis abandoned in its gravity state: Start reports 8 and leaves nothing to step; a new
// Start gives, to the bit, the results of an engine that never saw the abandoned one.
TEST(IterationObserver, AnAbandonedStartLeavesNothingBehind) {
    ObservedRun run, fresh;
    run.cancelAt = 1;
    EXPECT_EQ(run.Push(0.25), kStatusCancelled);
    EXPECT_EQ(run.reports.size(), 1u);
    EXPECT_EQ(run.reports.front().step, 0);
    EXPECT_FALSE(run.engine->Started());
    EXPECT_EQ(StatusCode(run.engine->Step(0.25)), kStatusBadInput);

    run.cancelAt = 0;
    for (int s = 1; s <= 3; ++s) {
        ASSERT_EQ(run.Push(0.25), kStatusDone);
        ASSERT_EQ(fresh.Push(0.25), kStatusDone);
        EXPECT_EQ(run.Buffer(), fresh.Buffer()) << s;
    }
}

// Checks that the classic method never asks: it has no iterations to abandon.
TEST(IterationObserver, TheClassicMethodNeverCallsIt) {
    ObservedRun run;
    run.cancelAt = 1;
    ASSERT_EQ(StatusCode(run.engine->Start(run.stream, kPushoverMode, 0.25, AnalysisMethod::Classic)),
              kStatusDone);
    ASSERT_EQ(StatusCode(run.engine->Step(0.25)), kStatusDone);
    EXPECT_TRUE(run.reports.empty());
}

} // namespace
} // namespace torva::engine::test
