// One plane element of the iterative method under a general uniform in-plane stress state (sx, sy and
// txy all non-zero), loaded by the nodal forces of that stress: every Gauss point must carry the strain
// that the panel's equations, solved directly (McftPanelEquations.h), give for it, to 1e-6. The element
// is cracked in both cases; in the second the y bars have yielded.
#include "EngineTestModels.h"
#include "McftPanelEquations.h"
#include "engine/IterativeSolver.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace torva::engine::test {
namespace {

using testing::DirectSolve;
using testing::McftPanel;
using testing::Vec3;

constexpr int kSide = 500;         // mm, a square element
constexpr int kThickness = 100;    // mm
constexpr double kEdgeShare = 0.5; // of an edge's force at each of its two nodes

// The element with the panel's concrete and bars: Ec 25000, fc 30, eps0 0.002, ft from fc, no weight;
// bars rho 0.02 at 100 mm in x (200 mm2), rho 0.01 at 150 mm in y (150 mm2), fy 400 / 350.
// Node 1 is held, node 2 held in y: the uniform strain needs no support reaction.
StreamModel PanelElement(const Vec3& stress) {
    StreamModel m;
    m.nodes = {{0, 0}, {kSide, 0}, {kSide, kSide}, {0, kSide}};
    m.restraints = {{1, 12}, {2, 2}};
    m.concrete.push_back({kThickness * 100, 25, 2000, 0, 3000, 0, 20});
    m.rebar.push_back({20000, 10000, 40000, 15000, 15000, 35000, 200});
    m.elements.push_back({1, 2, 3, 4, 1, 1, 0, 0, 0});
    // The nodal forces of the uniform stress: each edge's traction, half to each of its nodes.
    const double edge = kSide * kThickness * kEdgeShare * 100; // N × 100 per N/mm2
    const double sx = stress[0], sy = stress[1], t = stress[2];
    const auto force = [&](double value) { return int(std::lround(value * edge)); };
    m.loads = {{2, force(sx - t), force(t - sy)},
               {3, force(sx + t), force(sy + t)},
               {4, force(t - sx), force(sy - t)}};
    return m;
}

struct Case {
    const char* name;
    Vec3 stress; // N/mm2
    Vec3 guess;  // e1, e2 and the angle of e1 for the direct solve
    bool yieldedY;
};

TEST(McftElement, UniformStressStateEqualsTheDirectPanelSolution) {
    const McftPanel panel;
    const Case cases[] = {
        {"cracked, bars elastic", {1.0, 0.5, 2.0}, {0.002, -0.0003, 0.8}, false},
        {"cracked, y bars yielded", {0.4, 0.5, 4.6}, {0.004, -0.0008, 1.0}, true},
    };
    for (const Case& c : cases) {
        // Force control: the pattern is half the stress, so the second step carries all of it, iterated
        // to a tight test.
        const Vec3 half = {c.stress[0] / 2, c.stress[1] / 2, c.stress[2] / 2};
        Engine engine;
        const std::vector<int32_t> stream = PanelElement(half).Stream();
        ASSERT_EQ(engine.Start(stream, kElasticMode, 0.0, AnalysisMethod::Mcft), RunStatus::Done) << c.name;
        ConvergenceTest tight;
        tight.forceTolerance = 1e-12;
        tight.displacementTolerance = 1e-12;
        tight.iterationLimit = 2000;
        engine.Iterative()->SetTest(tight);
        ASSERT_EQ(engine.Step(0.0, kElasticMode), RunStatus::Done) << c.name;
        ASSERT_DOUBLE_EQ(engine.Iterative()->LastRecord().loadFactor, 2.0);

        const Vec3 direct = DirectSolve(panel, c.stress, c.guess);
        const Vec3 check = testing::PanelStress(
            panel, 0.5 * (direct[0] + direct[1]) + std::hypot(0.5 * (direct[0] - direct[1]), 0.5 * direct[2]),
            0.5 * (direct[0] + direct[1]) - std::hypot(0.5 * (direct[0] - direct[1]), 0.5 * direct[2]),
            0.5 * std::atan2(direct[2], direct[0] - direct[1]));
        for (int i = 0; i < 3; ++i) ASSERT_NEAR(check[i], c.stress[i], 1e-9) << c.name << " direct solve";
        const double scale = std::max({std::fabs(direct[0]), std::fabs(direct[1]), std::fabs(direct[2])});
        for (int g = 1; g <= kGaussPoints; ++g) {
            const double* strain = engine.GaussPoint(1, g).strain;
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(strain[i], direct[i], 1e-6 * scale)
                    << c.name << " point " << g << " strain " << i;
            const McftPoint& point = engine.Iterative()->Point(1, g);
            EXPECT_EQ(point.condition, ConcreteCondition::Cracked) << c.name;
            EXPECT_FALSE(point.yielded[0]) << c.name;
            EXPECT_EQ(point.yielded[1], c.yieldedY) << c.name;
        }
    }
}

} // namespace
} // namespace torva::engine::test
