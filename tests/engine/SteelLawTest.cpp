// Checks the bilinear and curved bar laws and the joint steel spring along strain paths.
#include "LawDriver.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <utility>

namespace torva::engine::testing {
namespace {

constexpr double kEs = 200000.0, kFy = 400.0, kEy = kFy / kEs;

TEST(BilinearSteelLaw, MonotonicTensionYieldsAtEyAndHardensWithAThousandthOfEs) {
    BarDriver bar(BilinearSteelLaw, kEs, kFy);
    const double Esh = Single(0.001f) * kEs;
    bar.To(0.5 * kEy, 5);
    EXPECT_NEAR(bar.stress, 0.5 * kFy, 1e-9);
    EXPECT_EQ(bar.history.state, 1);
    EXPECT_FALSE(bar.last.branchChanged);
    bar.Step(0.7 * kEy); // crosses ey inside the step
    EXPECT_EQ(bar.history.state, 2);
    EXPECT_TRUE(bar.last.branchChanged);
    EXPECT_DOUBLE_EQ(bar.last.tangent, Esh);
    EXPECT_NEAR(bar.stress, kFy + 0.2 * kEy * Esh, 1e-9);
    for (double e : {2.0 * kEy, 5.0 * kEy, 10.0 * kEy}) {
        bar.To(e, 7);
        EXPECT_NEAR(bar.stress, kFy + (e - kEy) * Esh, 1e-9) << e;
        EXPECT_FALSE(bar.last.branchChanged);
    }
}

TEST(BilinearSteelLaw, ReversalIsElasticOverTwiceFyThenFollowsTheCompressionHardeningLine) {
    BarDriver bar(BilinearSteelLaw, kEs, kFy);
    const double Esh = Single(0.001f) * kEs;
    bar.To(4.0 * kEy, 40);
    const double e1 = bar.e, s1 = bar.stress;
    bar.Step(-0.5 * kEy);
    EXPECT_EQ(bar.history.state, 4);
    EXPECT_TRUE(bar.last.branchChanged);
    EXPECT_DOUBLE_EQ(bar.history.eB, e1 - 2.0 * kEy);
    EXPECT_DOUBLE_EQ(bar.history.sB, s1 - 2.0 * kFy);
    EXPECT_NEAR(bar.stress, s1 - 0.5 * kEy * kEs, 1e-9);
    bar.To(e1 - 1.9 * kEy, 14); // still elastic
    EXPECT_NEAR(bar.stress, s1 - 1.9 * kEy * kEs, 1e-9);
    EXPECT_EQ(bar.history.state, 4);
    for (double e : {e1 - 2.5 * kEy, -2.0 * kEy, -6.0 * kEy}) {
        bar.To(e, 9);
        EXPECT_EQ(bar.history.state, 3);
        EXPECT_NEAR(bar.stress, -kFy + Esh * (e + kEy), 1e-9) << e;
    }
    // Back again: elastic up to the shifted tension line.
    bar.To(-6.0 * kEy + 1.5 * kEy, 3);
    EXPECT_EQ(bar.history.state, 4);
    bar.To(8.0 * kEy, 50);
    EXPECT_EQ(bar.history.state, 2);
    EXPECT_NEAR(bar.stress, kFy + Esh * (8.0 * kEy - kEy), 1e-9);
}

TEST(BilinearSteelLaw, VirginCompressionYieldsSymmetrically) {
    BarDriver bar(BilinearSteelLaw, kEs, kFy);
    const double Esh = Single(0.001f) * kEs;
    bar.To(-3.0 * kEy, 12);
    EXPECT_EQ(bar.history.state, 3);
    EXPECT_NEAR(bar.stress, Esh * (kEy - 3.0 * kEy) - kFy, 1e-9);
}

// The form of the curve written out: s* = b x + (1 - b) x / (1 + x^R)^(1/R).
double CurveStar(double x, double R) {
    const double b = Single(0.02f);
    return b * x + (1.0 - b) * x / std::pow(1.0 + std::pow(x, R), 1.0 / R);
}

TEST(CurvedSteelLaw, MonotonicCurvePassesNearYieldAndTendsToTwoPercentOfEs) {
    BarDriver bar(CurvedSteelLaw, kEs, kFy);
    bar.To(kEy, 25);
    // From zero e0 = ey, xi = 0 and R = 20: s = fy s*(1).
    EXPECT_NEAR(bar.stress, kFy * CurveStar(1.0, 20.0), 1e-9);
    EXPECT_NEAR(bar.stress / kFy, 0.9666, 1e-3);
    BarDriver fresh(CurvedSteelLaw, kEs, kFy);
    fresh.To(0.5 * kEy, 3);
    EXPECT_NEAR(fresh.stress, kFy * CurveStar(0.5, 20.0), 1e-9);
    EXPECT_NEAR(fresh.last.tangent, fresh.stress / (0.5 * kEy), 1e-6 * kEs); // secant of the steps, capped
    fresh.To(40.0 * kEy, 200);
    EXPECT_NEAR(fresh.stress, kFy * CurveStar(40.0, 20.0), 1e-9);
    EXPECT_NEAR(fresh.last.tangent, Single(0.02f) * kEs, 1e-3 * kEs);
    EXPECT_GT(fresh.last.tangent, Single(0.02f) * kEs);
}

TEST(CurvedSteelLaw, ReversalStartsANewCurveTowardsTheCompressionAsymptote) {
    BarDriver bar(CurvedSteelLaw, kEs, kFy);
    bar.To(5.0 * kEy, 50);
    const double er = bar.e, sr = bar.stress;
    bar.Step(-1e-5);
    EXPECT_DOUBLE_EQ(bar.history.er, er);
    EXPECT_DOUBLE_EQ(bar.history.sr, sr);
    EXPECT_EQ(bar.history.state, 2);
    EXPECT_TRUE(bar.last.branchChanged);
    EXPECT_NEAR(bar.last.tangent, kEs, 0.01 * kEs); // starts nearly elastic
    // Far on the compression side the stress approaches the asymptote -fy + b E (e + ey).
    const double b = Single(0.02f);
    bar.To(-30.0 * kEy, 300);
    const double asymptote = -kFy + b * kEs * (bar.e + kEy);
    EXPECT_LT(bar.stress, 0.0);
    EXPECT_NEAR(bar.stress, asymptote, 0.01 * kFy);
    // The curve written out from the reversal point.
    const double e0 = (-(sr + kFy) + (b * kEy + er) * kEs) / (kEs * (1.0 - b));
    const double xi = std::fabs(e0 + kEy) / kEy;
    const double R = 20.0 - 18.5 * xi / (Single(0.15f) + xi);
    const double x = std::fabs((bar.e - er) / (e0 - er));
    EXPECT_NEAR(bar.stress, sr + CurveStar(x, R) * (e0 - er) * kEs, 1e-9);
}

TEST(CurvedSteelLaw, ZeroIncrementKeepsStressTangentAndHistory) {
    BarDriver bar(CurvedSteelLaw, kEs, kFy);
    bar.To(3.0 * kEy, 30);
    const double stress = bar.stress;
    const BarLawHistory before = bar.history;
    bar.Step(0.0);
    EXPECT_EQ(bar.last.dStress, 0.0);
    EXPECT_GT(bar.stress, 0.0); // the bar in tension stays in tension
    EXPECT_EQ(bar.stress, stress);
    EXPECT_EQ(bar.last.tangent, before.tangent);
    EXPECT_FALSE(bar.last.branchChanged);
    EXPECT_EQ(bar.history.state, before.state);
    EXPECT_EQ(bar.history.prevDe, before.prevDe);
    EXPECT_EQ(bar.history.er, before.er);
    EXPECT_EQ(bar.history.sr, before.sr);
    // Loading on continues the same curve; unloading after the pause is still a reversal.
    BarDriver straight(CurvedSteelLaw, kEs, kFy);
    straight.To(3.0 * kEy, 30);
    straight.Step(kEy);
    bar.Step(kEy);
    EXPECT_DOUBLE_EQ(bar.stress, straight.stress);
    bar.Step(0.0);
    const double e = bar.e, s = bar.stress;
    bar.Step(-1e-5);
    EXPECT_EQ(bar.history.er, e);
    EXPECT_EQ(bar.history.sr, s);
    EXPECT_GT(bar.stress, s - 1e-5 * kEs * 1.0001);
}

TEST(CurvedSteelLaw, TinyIncrementsKeepTheTangentAndTheInitialisingStepResetsHistory) {
    BarDriver bar(CurvedSteelLaw, kEs, kFy);
    bar.To(4.0 * kEy, 40);
    const double tangent = bar.last.tangent;
    EXPECT_LT(tangent, 0.1 * kEs);
    bar.Step(5e-7);
    EXPECT_EQ(bar.last.tangent, tangent);
    bar.Step(2e-6);
    EXPECT_NE(bar.last.tangent, tangent);

    // A step counter of 0 starts from the origin's curve whatever the history says.
    BarDriver again(CurvedSteelLaw, kEs, kFy);
    again.history.er = 1.0;
    again.history.sr = 123.0;
    again.history.prevDe = -1.0;
    again.history.tangent = 1.0;
    again.Step(0.5 * kEy);
    EXPECT_NEAR(again.stress, kFy * CurveStar(0.5, 20.0), 1e-9);
    EXPECT_EQ(again.history.er, 0.0);
}

// The curved law as first written, both powers always evaluated: the law must give the same bits.
void ReferenceCurvedSteelLaw(const BarLawInput& in, BarLawHistory& h, LawResult& out) {
    const double b = Single(0.02f), E = in.E, fy = in.fy, ey = in.ey;
    const double e = in.e, sp = in.sp, de = in.de, en = e + de;
    if (in.step == 0) {
        h.prevDe = 0.0;
        h.er = 0.0;
        h.sr = 0.0;
        h.tangent = E;
    }
    if (de == 0.0) {
        out = LawResult{0.0, h.tangent, false, false};
        return;
    }
    if (h.prevDe * de < 0.0) {
        h.er = e;
        h.sr = sp;
    }
    const int before = h.state;
    double e0 = 0.0, xi = 0.0;
    if (de > 0.0) {
        h.state = 1;
        e0 = ((fy - h.sr) + (h.er - b * ey) * E) / (E * (1.0 - b));
        xi = std::fabs(e0 - ey) / ey;
    } else {
        h.state = 2;
        e0 = (-(h.sr + fy) + (b * ey + h.er) * E) / (E * (1.0 - b));
        xi = std::fabs(e0 + ey) / ey;
    }
    const double R = 20.0 - 18.5 * xi / (Single(0.15f) + xi);
    const double x = std::fabs((en - h.er) / (e0 - h.er));
    const double s = h.sr + CurveStar(x, R) * (e0 - h.er) * E;
    h.prevDe = de;
    if (std::fabs(de) > 9.999999974752427e-07) h.tangent = std::min(std::fabs((s - sp) / de), E);
    out = LawResult{s - sp, h.tangent, false, h.state != before};
}

TEST(CurvedSteelLaw, SameBitsAsTheCurveWithBothPowersAlwaysEvaluated) {
    // Random walks of every amplitude, from a hundredth of ey a step to several ey, with frequent
    // reversals: x near 0 right after each reversal, R from 20 down towards 1.5 after large excursions.
    std::mt19937 random(5);
    int negligible = 0, evaluated = 0;
    for (double amplitude : {0.01, 0.05, 0.2, 1.0, 4.0}) {
        BarDriver bar(CurvedSteelLaw, kEs, kFy), reference(ReferenceCurvedSteelLaw, kEs, kFy);
        std::uniform_real_distribution<double> size(0.0, amplitude * kEy);
        double direction = 1.0;
        for (int k = 0; k < 3000; ++k) {
            if (random() % 7 == 0) direction = -direction;
            const double de = direction * size(random);
            bar.Step(de);
            reference.Step(de);
            ASSERT_EQ(bar.stress, reference.stress) << amplitude << " step " << k;
            ASSERT_EQ(bar.last.tangent, reference.last.tangent);
            ASSERT_EQ(bar.history.state, reference.history.state);
            ASSERT_EQ(bar.history.er, reference.history.er);
            const double x = std::fabs((bar.e - bar.history.er) / (kEy + bar.history.er));
            (x < 0.1 ? negligible : evaluated) += 1;
        }
    }
    EXPECT_GT(negligible, 1000);
    EXPECT_GT(evaluated, 1000);
    // Reversals from every peak between 0.5 and 4 ey, then fine steps back: R of every size, and x
    // sweeping slowly through the skipped range and out of it.
    for (double peak = 0.5; peak <= 4.0; peak += 0.02) {
        BarDriver bar(CurvedSteelLaw, kEs, kFy), reference(ReferenceCurvedSteelLaw, kEs, kFy);
        bar.To(peak * kEy, 10);
        reference.To(peak * kEy, 10);
        for (int k = 0; k < 400; ++k) {
            bar.Step(-0.0007 * kEy * (1 + k % 3));
            reference.Step(-0.0007 * kEy * (1 + k % 3));
            ASSERT_EQ(bar.stress, reference.stress) << "peak " << peak << " step " << k;
            ASSERT_EQ(bar.last.tangent, reference.last.tangent);
        }
    }
}

TEST(CurvedSteelLaw, PowersAtTheEdgesOfTheSkippedRangeAddNothingToOne) {
    // The largest x the law treats as negligible for each least R: 1 + x^R is exactly 1 there.
    for (auto [R, x] : {std::pair{20.0, 0.15}, {15.0, 0.085}, {10.0, 0.025}, {5.0, 0.0006}}) {
        EXPECT_EQ(1.0 + std::pow(x, R), 1.0) << R;
        EXPECT_EQ(std::pow(1.0 + std::pow(x, R), 1.0 / R), 1.0) << R;
        EXPECT_EQ(CurveStar(x, R), Single(0.02f) * x + (1.0 - Single(0.02f)) * x);
    }
}

TEST(SteelSpringLaw, VirginCompressionStaysElasticWhileTensionYields) {
    const double ks = 5000.0, Fy = 10000.0, dy = Fy / ks;
    const double Ksh = Single(0.001f) * ks;
    BarDriver spring(SteelSpringLaw, ks, Fy);
    spring.To(-3.0 * dy, 10);
    EXPECT_EQ(spring.history.state, 1);
    EXPECT_NEAR(spring.stress, -3.0 * Fy, 1e-6);
    EXPECT_FALSE(spring.last.branchChanged);
    spring.To(1.5 * dy, 20);
    EXPECT_EQ(spring.history.state, 2);
    EXPECT_NEAR(spring.stress, Fy + 0.5 * dy * Ksh, 1e-6);
    // After yielding in tension the reversal does yield in compression, 2 Fy lower.
    spring.To(-2.0 * dy, 20);
    EXPECT_EQ(spring.history.state, 3);
    EXPECT_NEAR(spring.stress, -Fy + Ksh * (-2.0 * dy + dy), 1e-6);
}

} // namespace
} // namespace torva::engine::testing
