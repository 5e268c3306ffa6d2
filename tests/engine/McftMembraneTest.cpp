// A single membrane panel under a uniform stress state (sx, sy, txy) solved twice: directly, by
// Newton on the principal strains and the crack angle with the panel's equations written out
// again here, and by total-load secant iterations on the three strains with the material point's
// secant matrix. Both must land on the same strains.
#include "McftPanelEquations.h"
#include "engine/McftMaterial.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>

namespace torva::engine::testing {
namespace {

// Total-load secant iterations: strain = D(strain)^-1 load from the unstrained panel.
Vec3 SecantSolve(const McftMaterial& m, const Vec3& load, int& iterations) {
    Vec3 e{0, 0, 0};
    for (iterations = 0; iterations < 5000; ++iterations) {
        McftPoint point;
        EvaluateMcft(m, e.data(), {}, point);
        const Vec3 next = Solve3(point.D, load);
        const double change =
            std::max({std::fabs(next[0] - e[0]), std::fabs(next[1] - e[1]), std::fabs(next[2] - e[2])});
        e = next;
        if (change < 1e-15) break;
    }
    return e;
}

struct Case {
    const char* name;
    Vec3 load;
    Vec3 guess; // e1, e2, angle of e1 for the direct solve
};

TEST(McftMembrane, DirectSolutionOfThePanelEquationsEqualsTheSecantSolution) {
    const McftPanel panel;
    const Case cases[] = {
        {"pure shear", {0, 0, 3.0}, {0.002, -0.0005, 0.8}},
        {"shear with lateral compression", {0, -2.0, 3.5}, {0.002, -0.0007, 0.7}},
        {"shear with tension", {1.0, 0.5, 2.0}, {0.002, -0.0003, 0.8}},
        {"shear near the y bars' yield", {0, 0, 4.6}, {0.003, -0.0006, 0.9}},
        {"shear with the y bars yielded", {0, 0, 5.0}, {0.004, -0.0008, 1.0}},
        // y bars yielded, close to the panel's strength
        {"shear near the panel's strength", {0, 0, 5.3}, {0.004, -0.0008, 1.0}},
    };
    for (const Case& c : cases) {
        int iterations = 0;
        const Vec3 secant = SecantSolve(panel.Material(), c.load, iterations);
        const Vec3 direct = DirectSolve(panel, c.load, c.guess);
        const double scale = std::max({std::fabs(direct[0]), std::fabs(direct[1]), std::fabs(direct[2])});
        EXPECT_LT(iterations, 5000) << c.name;
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(secant[i], direct[i], 1e-6 * scale) << c.name << " strain " << i;
        // The state really is cracked, with the bars working.
        McftPoint point;
        EvaluateMcft(panel.Material(), secant.data(), {}, point);
        EXPECT_EQ(point.condition, ConcreteCondition::Cracked) << c.name;
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(point.stress[i], c.load[i], 1e-9) << c.name;
        ::testing::Test::RecordProperty(c.name, iterations);
    }
}

} // namespace
} // namespace torva::engine::testing
