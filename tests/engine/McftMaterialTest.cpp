// Checks the concrete and bar response of the iterative method's material point against numbers
// worked out by hand from the published curves, and its secant matrix for symmetry, positive
// definiteness, consistency with the stress and invariance under rotation.
#include "engine/McftMaterial.h"

#include "engine/McftConcrete.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <random>

namespace torva::engine::testing {
namespace {

McftMaterial Plain(double fc = 30, double Ec = 25000) {
    McftMaterial m;
    m.fc = fc;
    m.eps0 = 0.002;
    m.Ec = Ec;
    return m;
}

McftMaterial Reinforced() {
    McftMaterial m = Plain();
    m.bars[0] = {0.02, 400, 200000, 0, 100};
    m.bars[1] = {0.01, 350, 200000, 0, 150};
    return m;
}

McftPoint Evaluate(const McftMaterial& m, double ex, double ey, double gxy, const McftHistory& h = {}) {
    const double strain[3] = {ex, ey, gxy};
    McftPoint p;
    EvaluateMcft(m, strain, h, p);
    return p;
}

void ExpectFinite(const McftPoint& p) {
    for (double v : p.D) EXPECT_TRUE(std::isfinite(v));
    for (double v : p.stress) EXPECT_TRUE(std::isfinite(v));
    EXPECT_TRUE(std::isfinite(p.f1) && std::isfinite(p.f2) && std::isfinite(p.theta) &&
                std::isfinite(p.crackWidth));
}

// Symmetric with positive leading minors (Sylvester), and stress = D · strain.
void ExpectSecantConsistent(const McftPoint& p, const double strain[3]) {
    const double* D = p.D;
    EXPECT_NEAR(D[1], D[3], 1e-9 * std::fabs(D[0]));
    EXPECT_NEAR(D[2], D[6], 1e-9 * std::fabs(D[0]));
    EXPECT_NEAR(D[5], D[7], 1e-9 * std::fabs(D[0]));
    EXPECT_GT(D[0], 0);
    EXPECT_GT(D[0] * D[4] - D[1] * D[3], 0);
    const double det = D[0] * (D[4] * D[8] - D[5] * D[7]) - D[1] * (D[3] * D[8] - D[5] * D[6]) +
                       D[2] * (D[3] * D[7] - D[4] * D[6]);
    EXPECT_GT(det, 0);
    for (int i = 0; i < 3; ++i) {
        const double s = D[3 * i] * strain[0] + D[3 * i + 1] * strain[1] + D[3 * i + 2] * strain[2];
        EXPECT_NEAR(p.stress[i], s, 1e-9 * (1 + std::fabs(s)));
    }
}

TEST(McftMaterial, ZeroStrainGivesTheInitialElasticMatrixWithoutNaN) {
    const McftPoint p = Evaluate(Reinforced(), 0, 0, 0);
    ExpectFinite(p);
    EXPECT_DOUBLE_EQ(p.D[0], 25000 + 0.02 * 200000);
    EXPECT_DOUBLE_EQ(p.D[4], 25000 + 0.01 * 200000);
    EXPECT_DOUBLE_EQ(p.D[8], 12500);
    EXPECT_DOUBLE_EQ(p.D[1], 0);
    EXPECT_DOUBLE_EQ(p.D[2], 0);
    EXPECT_EQ(p.condition, ConcreteCondition::Uncracked);
    EXPECT_EQ(p.crackWidth, 0);
    // Without a cracking strength the point uses 0.33 sqrt(fc) and still starts elastic.
    const McftPoint plain = Evaluate(Plain(), 0, 0, 0);
    EXPECT_DOUBLE_EQ(plain.D[0], 25000);
}

TEST(McftMaterial, TensionIsLinearToCrackingThenStiffensOnTheCrackedBranch) {
    const McftMaterial m = Reinforced();
    const double ft = 0.33 * std::sqrt(30.0), ecr = ft / 25000;
    McftPoint p = Evaluate(m, 0.9 * ecr, 0, 0);
    EXPECT_EQ(p.condition, ConcreteCondition::Uncracked);
    EXPECT_NEAR(p.f1, 0.9 * ft, 1e-12);
    EXPECT_NEAR(p.stress[0], 0.9 * ft + 0.02 * 200000 * 0.9 * ecr, 1e-9);
    // Well past cracking, bars far from yield: f1 = ft / (1 + sqrt(500 e1)).
    p = Evaluate(m, 0.001, 0, 0);
    EXPECT_EQ(p.condition, ConcreteCondition::Cracked);
    EXPECT_NEAR(p.f1, ft / (1 + std::sqrt(0.5)), 1e-12);
    EXPECT_NEAR(p.stress[0], p.f1 + 0.02 * 200000 * 0.001, 1e-9);
    // Crack normal along x: crossed by the x bars only, spaced 100 mm.
    EXPECT_NEAR(p.crackWidth, 0.1, 1e-12);
    EXPECT_TRUE(p.cracked);
}

TEST(McftMaterial, BarsAtYieldLeaveNoTensionAcrossACrackNormalToThem) {
    McftMaterial m = Reinforced();
    // x bars yielded on average (fs = fy): a crack normal to x cannot pass any further tension.
    const McftPoint p = Evaluate(m, 0.004, 0, 0);
    EXPECT_TRUE(p.yielded[0]);
    EXPECT_FALSE(p.yielded[1]);
    EXPECT_DOUBLE_EQ(p.barStress[0], 400);
    EXPECT_LT(p.f1, 1e-6 * 25000 * 0.004 * 1.0001);
    EXPECT_NEAR(p.stress[0], 0.02 * 400, 1e-3);
    // With hardening the bar carries more than fy, and still no concrete tension.
    m.bars[0].Esh = 2000;
    const McftPoint hardening = Evaluate(m, 0.004, 0, 0);
    EXPECT_NEAR(hardening.barStress[0], 400 + 2000 * 0.002, 1e-9);
}

TEST(McftMaterial, CrackCheckCutsTheAverageTensionWhenBothBarsNearYield) {
    McftMaterial m = Plain();
    m.bars[0] = {0.01, 400, 200000, 0, 100};
    m.bars[1] = {0.01, 400, 200000, 0, 100};
    // Bars at 380 of 400 both ways, cracks at 45°: each reserve is 0.01 · 20, f1 <= 0.2 · (½ + ½),
    // well under the tension stiffening of e1 = 0.0059.
    const McftPoint p = Evaluate(m, 0.0019, 0.0019, 0.008);
    EXPECT_NEAR(p.e1, 0.0059, 1e-15);
    EXPECT_NEAR(p.barStress[0], 380, 1e-9);
    EXPECT_GT(0.33 * std::sqrt(30.0) / (1 + std::sqrt(500 * 0.0059)), 0.6);
    EXPECT_NEAR(p.f1, 0.2, 1e-12);
    EXPECT_NEAR(p.stress[2], 0.5 * (p.f1 - p.f2), 1e-9);
}

TEST(McftMaterial, CrackTensionLimitTakesTheBarReservesAndTheInterfaceShear) {
    using mcft::CrackTensionLimit;
    const double reserve[2] = {1.0, 3.0};
    // Crack normal at 60° from x: c² = 1/4, s² = 3/4. Both bars at yield: 1/4 + 9/4 = 2.5;
    // x runs out first: 1 + vci tan 60°.
    EXPECT_NEAR(CrackTensionLimit(reserve, 0.25, 0.75, 0.5), 1 + 0.5 * std::sqrt(3.0), 1e-12);
    EXPECT_NEAR(CrackTensionLimit(reserve, 0.25, 0.75, 5.0), 2.5, 1e-12);
    // Crack normal along y: only the y bars matter, the x reserve does not limit.
    EXPECT_NEAR(CrackTensionLimit(reserve, 0.0, 1.0, 0.5), 3.0, 1e-12);
    // y runs out first: the mirror case, with cot.
    const double mirrored[2] = {3.0, 1.0};
    EXPECT_NEAR(CrackTensionLimit(mirrored, 0.75, 0.25, 0.5), 1 + 0.5 * std::sqrt(3.0), 1e-12);
    const double none[2] = {0, 0};
    EXPECT_EQ(CrackTensionLimit(none, 0.5, 0.5, 2.0), 0.0); // no bars: nothing crosses a crack
}

TEST(McftMaterial, CrackShearLimitAndSpacingFollowTheCrackWidthAndDirection) {
    const McftMaterial m = Reinforced();
    const mcft::Concrete c = mcft::ConcreteOf(m);
    EXPECT_NEAR(mcft::CrackShearLimit(c, 0), std::sqrt(30.0) / 0.31, 1e-12);
    EXPECT_NEAR(mcft::CrackShearLimit(c, 0.5), std::sqrt(30.0) / (0.31 + 24 * 0.5 / 36), 1e-12);
    // High-strength concrete: smooth crack faces, the aggregate counts less from 60 and not at all from 70
    // N/mm2.
    McftMaterial strong = m;
    strong.fc = 65;
    EXPECT_NEAR(mcft::ConcreteOf(strong).aggregate, 10, 1e-12);
    strong.fc = 90;
    EXPECT_EQ(mcft::ConcreteOf(strong).aggregate, 0);
    EXPECT_NEAR(mcft::CrackShearLimit(mcft::ConcreteOf(strong), 0.5),
                std::sqrt(90.0) / (0.31 + 24 * 0.5 / 16), 1e-12);
    const double h = std::sqrt(0.5);
    EXPECT_NEAR(mcft::CrackSpacing(m, h, h), 1 / (h / 100 + h / 150), 1e-9);
    McftMaterial oneWay = m;
    oneWay.bars[1] = {};
    EXPECT_NEAR(mcft::CrackSpacing(oneWay, h, h), 100 / h, 1e-9);
    EXPECT_EQ(mcft::CrackSpacing(Plain(), h, h), 1000); // no bars: one dominant crack
}

TEST(McftMaterial, PureShearStrainSoftensTheCompressionByTheTensileStrain) {
    const McftMaterial m = Reinforced();
    // gxy = 0.004 alone: e1 = 0.002 at 45°, e2 = -0.002 = -eps0, on the peak of the softened parabola.
    const McftPoint p = Evaluate(m, 0, 0, 0.004);
    EXPECT_NEAR(p.e1, 0.002, 1e-15);
    EXPECT_NEAR(p.e2, -0.002, 1e-15);
    EXPECT_NEAR(p.theta, std::numbers::pi / 4, 1e-12);
    const double f2max = 30 / (0.8 + 0.34);
    EXPECT_NEAR(p.f2, -f2max, 1e-9);
    EXPECT_NEAR(p.stress[2], 0.5 * (p.f1 - p.f2), 1e-9);
    EXPECT_NEAR(p.stress[0], 0.5 * (p.f1 + p.f2), 1e-9); // bars unstrained
    // Halfway up the parabola, the softening of the peak is the same.
    const McftPoint half = Evaluate(m, 0.001, 0.001, 0.004); // e1 = 0.003, e2 = -0.001
    EXPECT_NEAR(half.f2, -30 / (0.8 + 0.34 * 1.5) * 0.75, 1e-9);
    // Unsoftened under biaxial compression: the parabola of fc.
    const McftPoint biaxial = Evaluate(Plain(), -0.001, -0.003, 0);
    EXPECT_NEAR(biaxial.f1, -30 * 0.75, 1e-9);
    EXPECT_NEAR(biaxial.f2, -30 * 0.75, 1e-9);
    EXPECT_EQ(biaxial.condition, ConcreteCondition::PastPeak);
}

TEST(McftMaterial, ConditionFollowsCrackingPeakAndCrushingStrains) {
    const McftMaterial m = Plain();
    EXPECT_EQ(Evaluate(m, -0.001, 0, 0).condition, ConcreteCondition::Uncracked);
    EXPECT_EQ(Evaluate(m, -0.0021, 0, 0).condition, ConcreteCondition::PastPeak);
    const McftPoint crushed = Evaluate(m, -0.0045, 0, 0);
    EXPECT_EQ(crushed.condition, ConcreteCondition::Crushed);
    ExpectFinite(crushed);
    EXPECT_LT(std::fabs(crushed.f2), 1e-6 * 25000 * 0.0045 * 1.0001); // down to the floor
    // Once crushed, a later smaller strain still reports it.
    McftHistory h;
    CommitMcft(crushed, h);
    EXPECT_EQ(Evaluate(m, -0.001, 0, 0, h).condition, ConcreteCondition::Crushed);
}

TEST(McftMaterial, CommitKeepsTheExtremesAndUnloadingFollowsTheSecant) {
    const McftMaterial m = Reinforced();
    McftHistory h;
    const McftPoint peak = Evaluate(m, 0.0, 0.0, 0.003);
    CommitMcft(peak, h);
    EXPECT_DOUBLE_EQ(h.e1Max, peak.e1);
    EXPECT_DOUBLE_EQ(h.e2Min, peak.e2);
    EXPECT_TRUE(h.cracked);
    // At half the strain both principal stresses are half the committed ones (secant to the origin).
    const McftPoint back = Evaluate(m, 0.0, 0.0, 0.0015, h);
    EXPECT_NEAR(back.f1, 0.5 * peak.f1, 1e-12);
    EXPECT_NEAR(back.f2, 0.5 * peak.f2, 1e-9);
    EXPECT_EQ(back.condition, ConcreteCondition::Cracked);
    // Without the history the same strain is on the envelope: stiffer in compression.
    EXPECT_LT(Evaluate(m, 0.0, 0.0, 0.0015).f2, back.f2);
    McftHistory again = h;
    CommitMcft(back, again);
    EXPECT_DOUBLE_EQ(again.e1Max, h.e1Max);
    EXPECT_DOUBLE_EQ(again.e2Min, h.e2Min);
}

TEST(McftMaterial, BarStressIsElasticPlasticOrHardening) {
    McftBars b{0.01, 400, 200000, 0, 100};
    EXPECT_DOUBLE_EQ(mcft::BarStress(b, 0.001), 200);
    EXPECT_DOUBLE_EQ(mcft::BarStress(b, 0.01), 400);
    EXPECT_DOUBLE_EQ(mcft::BarStress(b, -0.01), -400);
    b.Esh = 1000;
    EXPECT_NEAR(mcft::BarStress(b, 0.012), 400 + 1000 * 0.01, 1e-9);
    EXPECT_NEAR(mcft::BarStress(b, -0.012), -400 - 1000 * 0.01, 1e-9);
    EXPECT_EQ(mcft::BarStress(McftBars{}, 0.01), 0);
    // Without a yield strength the bars stay elastic and keep carrying tension across a crack.
    McftMaterial m = Reinforced();
    m.bars[0].fy = 0;
    const McftPoint p = Evaluate(m, 0.004, 0, 0);
    EXPECT_DOUBLE_EQ(p.barStress[0], 800);
    EXPECT_FALSE(p.yielded[0]);
    EXPECT_NEAR(p.f1, 0.33 * std::sqrt(30.0) / (1 + std::sqrt(2.0)), 1e-12);
}

// Concrete alone has no preferred direction: rotating the strain rotates the stress.
TEST(McftMaterial, ConcreteResponseIsInvariantUnderRotation) {
    McftMaterial m = Plain();
    m.bars[0].spacing = m.bars[1].spacing = 100; // same spacing both ways: isotropic crack spacing
    const double strains[][3] = {{0.002, -0.001, 0.0015}, {-0.0008, -0.0025, 0.001}, {0.00003, 0.0, 0.00001}};
    for (const auto& e : strains) {
        const McftPoint p = Evaluate(m, e[0], e[1], e[2]);
        for (double angle : {0.3, 1.1, 2.5}) {
            const double c = std::cos(angle), s = std::sin(angle);
            const double er[3] = {c * c * e[0] + s * s * e[1] + c * s * e[2],
                                  s * s * e[0] + c * c * e[1] - c * s * e[2],
                                  -2 * c * s * e[0] + 2 * c * s * e[1] + (c * c - s * s) * e[2]};
            const McftPoint q = Evaluate(m, er[0], er[1], er[2]);
            const double sr[3] = {c * c * p.stress[0] + s * s * p.stress[1] + 2 * c * s * p.stress[2],
                                  s * s * p.stress[0] + c * c * p.stress[1] - 2 * c * s * p.stress[2],
                                  -c * s * p.stress[0] + c * s * p.stress[1] + (c * c - s * s) * p.stress[2]};
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(q.stress[i], sr[i], 1e-9) << angle << " " << i;
            EXPECT_NEAR(q.f1, p.f1, 1e-9);
            EXPECT_NEAR(q.f2, p.f2, 1e-9);
        }
    }
}

TEST(McftMaterial, SecantMatrixIsSymmetricPositiveDefiniteAndGivesTheStressEverywhere) {
    std::mt19937 rng(15);
    std::uniform_real_distribution<double> strain(-0.006, 0.01);
    McftMaterial variants[5] = {Reinforced(), Plain(), Reinforced(), Reinforced(), Reinforced()};
    variants[2].bars[1] = {}; // bars one way only
    variants[3].ft = 0;
    variants[3].Ec = 0;         // defaults for both
    variants[4].bars[0].fy = 0; // bars that never yield
    for (const McftMaterial& m : variants)
        for (int n = 0; n < 400; ++n) {
            const double e[3] = {strain(rng), strain(rng), strain(rng)};
            McftPoint p;
            EvaluateMcft(m, e, {}, p);
            ExpectFinite(p);
            ExpectSecantConsistent(p, e);
        }
    // Equal principal strains (no direction) and huge strains stay finite.
    for (double v : {1e-12, 0.001, -0.001, 0.5, -0.5}) {
        const double e[3] = {v, v, 0};
        McftPoint p;
        EvaluateMcft(Reinforced(), e, {}, p);
        ExpectFinite(p);
        ExpectSecantConsistent(p, e);
    }
}

} // namespace
} // namespace torva::engine::testing
