// Mechanisms through the whole engine: the reference factorisation and the blocked one on every
// instruction-set path report status 4 at the same equation, with a pivot that is round-off of the
// diagonal, and leave the result buffer untouched.
#include "EngineTestModels.h"
#include "engine/BlockedFactor.h"
#include "engine/ColumnSolve.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace torva::engine;
using namespace torva::engine::test;

namespace {

// A wall of nx × ny elements of 300 × 250 mm, loaded at its top corner; the supports make it a
// mechanism or not.
GridModel WallOnSupports(int nx, int ny, int supports) {
    GridModel model(std::vector<int>(nx, 300), std::vector<int>(ny, 250));
    switch (supports) {
    case 0: // x held along the base: it slides in y
        model.RestrainRow(0, 1);
        break;
    case 1: // x held along the base and one pin: it turns about the pin
        model.RestrainRow(0, 1);
        model.Restrain(0, 0, 12);
        break;
    case 2: // held along one side in x only: it slides along that side
        model.RestrainColumn(0, 1);
        break;
    default: // none
        break;
    }
    model.LoadNode(nx, ny, 100000, 0);
    model.controlNode = model.Node(nx, ny);
    model.controlDirection = 1;
    return model;
}

struct Outcome {
    int status = 0, equation = 0;
    double pivot = 0;
};

Outcome ElasticCall(const GridModel& model, FactorKernel kernel, BlockedIsa isa) {
    EngineRun run(model);
    run.engine->SetFactorKernel(kernel, isa);
    std::fill(run.results.begin(), run.results.end(), 7.0);
    Outcome outcome;
    outcome.status = run.Call(kElasticMode);
    outcome.equation = run.engine->FailedEquation();
    outcome.pivot = run.engine->FailedPivot();
    EXPECT_TRUE(std::all_of(run.results.begin(), run.results.end(), [](double v) { return v == 7.0; }));
    return outcome;
}

} // namespace

// A wall whose mechanisms show some 520 .. 550 equations into its profile, dozens of panels in, and
// one as small as a single panel.
TEST(UnstableModelFactorisation, EveryKernelStopsAtTheReferenceEquation) {
    const int sizes[][2] = {{24, 10}, {3, 1}};
    for (const auto& size : sizes)
        for (int supports = 0; supports < 4; ++supports) {
            const GridModel model = WallOnSupports(size[0], size[1], supports);
            const std::string name = std::to_string(size[0]) + " x " + std::to_string(size[1]) +
                                     ", supports " + std::to_string(supports);
            const Outcome reference = ElasticCall(model, FactorKernel::Reference, BlockedIsa::Sse2);
            ASSERT_EQ(reference.status, kStatusUnstable) << name;
            ASSERT_GT(reference.equation, 0) << name;
            for (BlockedIsa isa : {BlockedIsa::Sse2, BlockedIsa::Avx2, BlockedIsa::Avx512}) {
                if (!BlockedIsaAvailable(isa)) continue;
                const Outcome blocked = ElasticCall(model, FactorKernel::Blocked, isa);
                EXPECT_EQ(blocked.status, kStatusUnstable) << name << ", " << BlockedIsaName(isa);
                EXPECT_EQ(blocked.equation, reference.equation) << name << ", " << BlockedIsaName(isa);
                // Both pivots are what is left of a diagonal term of about 1e5 .. 1e7 after cancellation.
                EXPECT_LT(std::fabs(blocked.pivot), 1e-11 * 1e7) << name << ", " << BlockedIsaName(isa);
            }
        }
}

// The same walls held properly factorise on every kernel: the test above does not pass by accident.
TEST(UnstableModelFactorisation, TheSameWallsHeldAtTheBaseAreStable) {
    GridModel model = WallOnSupports(24, 10, 3);
    model.RestrainRow(0, 12);
    for (BlockedIsa isa : {BlockedIsa::Sse2, BlockedIsa::Avx2, BlockedIsa::Avx512}) {
        if (!BlockedIsaAvailable(isa)) continue;
        EngineRun run(model);
        run.engine->SetFactorKernel(FactorKernel::Blocked, isa);
        EXPECT_EQ(run.Call(kElasticMode), kStatusDone) << BlockedIsaName(isa);
        EXPECT_EQ(run.engine->FailedEquation(), 0) << BlockedIsaName(isa);
    }
}
