// What the iterative method saves without changing its answers: the factorised iteration matrix is
// kept while the quasi-Newton iterations converge quickly, and a step starts from the last increment
// extrapolated. Both are checked against the scheme that forms and factorises the matrix at every
// iteration and starts every step from the committed state.
#include "EngineTestModels.h"
#include "engine/IterativeSolver.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <span>
#include <vector>

namespace torva::engine::test {
namespace {

struct StepSummary {
    double force = 0, loadFactor = 0, residual = 0;
    int iterations = 0, factorisations = 0;
};

// A push-over of `steps` equal increments with the given scheme; one summary a step.
std::vector<StepSummary> Pushover(double increment, int steps, bool keepFactorisation, bool extrapolate) {
    auto engine = std::make_unique<Engine>();
    const std::vector<int32_t> stream = CantileverWall().Stream();
    std::vector<StepSummary> summaries;
    for (int s = 1; s <= steps; ++s) {
        const RunStatus status = s == 1
                                     ? engine->Start(stream, kPushoverMode, increment, AnalysisMethod::Mcft)
                                     : engine->Step(increment);
        EXPECT_EQ(status, RunStatus::Done) << "step " << s;
        if (status != RunStatus::Done) break;
        if (s == 1) {
            // The scheme of every later step.
            ConvergenceTest test = engine->Iterative()->Test();
            test.keepFactorisation = keepFactorisation;
            test.extrapolate = extrapolate;
            engine->Iterative()->SetTest(test);
        }
        const IterativeStepRecord& r = engine->Iterative()->LastRecord();
        summaries.push_back(
            {engine->Results().Buffer()[1], r.loadFactor, r.residual, r.iterations, r.factorisations});
    }
    return summaries;
}

// Checks that through cracking, yielding and the plateau the kept matrix and the extrapolated start
// give every step's control force as the plain scheme does, to what the tolerances leave open (the
// two converge to different points within |R| <= 1e-3 |applied|), while factorising far less.
TEST(IterationEconomy, KeptMatrixAndExtrapolatedStartGiveThePlainSchemesCurve) {
    const std::vector<StepSummary> economic = Pushover(0.25, 40, true, true);
    const std::vector<StepSummary> plain = Pushover(0.25, 40, false, false);
    ASSERT_EQ(economic.size(), plain.size());
    int iterations[2] = {}, factorisations[2] = {};
    double peak = 0;
    for (size_t k = 1; k < plain.size(); ++k) {
        EXPECT_NEAR(economic[k].force, plain[k].force, 5e-3 * std::fabs(plain[k].force)) << "step " << k + 1;
        EXPECT_LE(economic[k].residual, 1e-3) << "step " << k + 1;
        iterations[0] += economic[k].iterations;
        iterations[1] += plain[k].iterations;
        factorisations[0] += economic[k].factorisations;
        factorisations[1] += plain[k].factorisations;
        // The plain scheme factorises at every iteration whose matrix changed.
        EXPECT_LE(plain[k].factorisations, plain[k].iterations) << "step " << k + 1;
        EXPECT_GE(plain[k].factorisations, plain[k].iterations - 1) << "step " << k + 1;
        peak = std::max(peak, plain[k].force);
    }
    EXPECT_GT(peak, 30000.0); // cracked and yielded, not an elastic run
    EXPECT_LT(factorisations[0], iterations[0] / 2);
    EXPECT_LT(factorisations[0], factorisations[1] / 2);
    std::printf("iterations %d / %d, factorisations %d / %d\n", iterations[0], iterations[1],
                factorisations[0], factorisations[1]);
}

// Checks the extrapolated start on the elastic branch: after the first two steps every small step
// lands in equilibrium in one iteration on the kept matrix, where the committed state as the start
// needs more; the load factors of the two agree.
TEST(IterationEconomy, ElasticStepsLandInOneIterationFromTheExtrapolatedStart) {
    const std::vector<StepSummary> extrapolated = Pushover(0.01, 8, true, true);
    const std::vector<StepSummary> committed = Pushover(0.01, 8, true, false);
    ASSERT_EQ(extrapolated.size(), 8u);
    ASSERT_EQ(committed.size(), 8u);
    for (size_t k = 2; k < extrapolated.size(); ++k) {
        EXPECT_EQ(extrapolated[k].iterations, 1) << "step " << k + 1;
        EXPECT_EQ(extrapolated[k].factorisations, 0) << "step " << k + 1;
        EXPECT_GE(committed[k].iterations, 2) << "step " << k + 1;
        EXPECT_NEAR(extrapolated[k].loadFactor, committed[k].loadFactor, 1e-3 * committed[k].loadFactor)
            << "step " << k + 1;
    }
}

} // namespace
} // namespace torva::engine::test
