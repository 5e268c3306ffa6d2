// The engine's matrix in the blocked kernel's own panel-major layout: chosen when the capacity holds
// it, the skyline layout otherwise (with results that agree to round-off), and moved across when the
// kernel changes in the middle of a push-over, the assembled terms unchanged and the steps after it
// still assembling into the right places.
#include "EngineTestModels.h"
#include "engine/BlockedFactor.h"
#include "engine/Engine.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace torva::engine;
using namespace torva::engine::test;

namespace {

// A 12 × 12 wall with bars, hysteretic concrete and the curved bar law (every element re-formed each
// step), pushed sideways at its top corner in steps that crack it and open its cracks wider.
GridModel PushedWall() {
    GridModel m(std::vector<int>(12, 250), std::vector<int>(12, 250));
    m.rebar.push_back(kWallRebar);
    m.SetRebar(1);
    m.RestrainRow(0, 12);
    m.LoadNode(12, 12, 800000, 0);
    m.controlNode = m.Node(12, 12);
    m.controlDirection = 1;
    m.concreteSelector = 2;
    m.rebarSelector = 2;
    return m;
}

constexpr double kIncrements[] = {1.0, 2.0, 3.0, 3.0, 4.0, 4.0, 5.0};

// How many Gauss points have cracked.
long Cracked(const Engine& engine) {
    long cracked = 0;
    for (int e = 1; e <= engine.ElementCount(); ++e)
        for (int g = 1; g <= 9; ++g) cracked += engine.GaussPoint(e, g).concrete.crack != 0;
    return cracked;
}

std::vector<double> ProfileTerms(const Engine& engine) {
    std::vector<double> terms;
    for (int p = 1; p <= engine.ProfileLength(); ++p) terms.push_back(engine.Profile(p));
    return terms;
}

// The largest difference of two result buffers relative to the largest magnitude in them.
double Deviation(const std::vector<double>& a, const std::vector<double>& b) {
    double worst = 0, scale = 0;
    for (size_t k = 0; k < a.size(); ++k) {
        worst = std::max(worst, std::fabs(a[k] - b[k]));
        scale = std::max(scale, std::fabs(a[k]));
    }
    return worst / scale;
}

bool AnyBlockedPath() {
    return BlockedIsaAvailable(BestBlockedIsa());
}

} // namespace

// Resident with the blocked kernel and room for it; skyline with the reference kernel, and with the
// blocked kernel when the capacity holds the profile but not the panels' rectangles. Each gives the
// same matrix term for term, and the same elastic displacements to round-off.
TEST(ResidentProfile, ChosenWhenTheCapacityHoldsIt) {
    if (!AnyBlockedPath()) GTEST_SKIP() << "no blocked path on this processor";
    const GridModel model = PushedWall();
    EngineRun resident(model), reference(model);
    reference.engine->SetFactorKernel(FactorKernel::Reference);
    ASSERT_EQ(resident.Call(kElasticMode), kStatusDone);
    ASSERT_EQ(reference.Call(kElasticMode), kStatusDone);
    EXPECT_TRUE(resident.engine->ProfileResident());
    EXPECT_FALSE(reference.engine->ProfileResident());

    EngineRun tight(model);
    const int terms = resident.engine->ProfileLength();
    tight.engine = std::make_unique<Engine>(EngineCapacity{kMaxNodes, kMaxElements, terms + 8});
    ASSERT_EQ(tight.Call(kElasticMode), kStatusDone);
    EXPECT_FALSE(tight.engine->ProfileResident());

    EXPECT_EQ(ProfileTerms(*resident.engine), ProfileTerms(*reference.engine));
    EXPECT_EQ(ProfileTerms(*resident.engine), ProfileTerms(*tight.engine));
    const int count = 2 + 2 * int(model.nodes.size());
    const std::vector<double> u(resident.results.begin(), resident.results.begin() + count);
    EXPECT_LT(Deviation(u, {reference.results.begin(), reference.results.begin() + count}), 1e-12);
    EXPECT_LT(Deviation(u, {tight.results.begin(), tight.results.begin() + count}), 1e-12);
}

// Blocked (resident) for three steps, then the reference kernel (skyline) for two, then blocked again:
// each change leaves every assembled term as it was, and the push-over goes on as one that never
// changed, to the round-off the kernels differ by (a term added at a wrong address would not).
TEST(ResidentProfile, MovesAcrossWhenTheKernelChanges) {
    if (!AnyBlockedPath()) GTEST_SKIP() << "no blocked path on this processor";
    const GridModel model = PushedWall();
    EngineRun switched(model), steady(model);
    for (int step = 0; step < 7; ++step) {
        if (step == 3 || step == 5) {
            const std::vector<double> before = ProfileTerms(*switched.engine);
            switched.engine->SetFactorKernel(step == 3 ? FactorKernel::Reference : FactorKernel::Blocked);
            EXPECT_EQ(switched.engine->ProfileResident(), step == 5);
            EXPECT_EQ(ProfileTerms(*switched.engine), before) << "step " << step;
        }
        ASSERT_EQ(switched.Call(kPushoverMode, kIncrements[step]), kStatusDone) << "step " << step;
        ASSERT_EQ(steady.Call(kPushoverMode, kIncrements[step]), kStatusDone) << "step " << step;
        const int count = 2 + 2 * int(model.nodes.size());
        EXPECT_LT(Deviation({steady.results.begin(), steady.results.begin() + count},
                            {switched.results.begin(), switched.results.begin() + count}),
                  1e-9)
            << "step " << step;
        EXPECT_LT(Deviation(ProfileTerms(*steady.engine), ProfileTerms(*switched.engine)), 1e-9)
            << "step " << step;
    }
    EXPECT_TRUE(switched.engine->ProfileResident());
    EXPECT_GT(Cracked(*steady.engine), 0); // the stiffness did change from step to step
}
