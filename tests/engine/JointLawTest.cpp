// Checks the concrete spring of a joint: cracking, softening, secant closing and elastic contact.
#include "LawDriver.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace torva::engine::testing {
namespace {

constexpr double kK0 = 1.0e6, kFcr = 500.0, kDcr = kFcr / kK0;

struct SpringDriver {
    SpringDriver() { InitConcreteSpringHistory(history, kK0); }
    double Step(double dd) {
        SpringLawInput in;
        in.d = d;
        in.Fp = force;
        in.dd = dd;
        in.k0dd = kK0 * dd;
        in.k0 = kK0;
        in.Fcr = kFcr;
        ConcreteSpringLaw(in, history, last);
        d += dd;
        force += last.dStress;
        return force;
    }
    double To(double target, int n) {
        const double dd = (target - d) / n;
        for (int i = 0; i < n; ++i) Step(dd);
        return force;
    }
    ConcreteSpringHistory history;
    LawResult last;
    double d = 0.0, force = 0.0;
};

double Softening(double dref, double Fref, double d) {
    return Fref * std::pow(dref / d, Single(0.4f));
}

TEST(ConcreteSpringLaw, ElasticToCrackingThenSoftensWithTheFourTenthsPower) {
    SpringDriver spring;
    spring.To(0.8 * kDcr, 4);
    EXPECT_NEAR(spring.force, 0.8 * kFcr, 1e-9);
    EXPECT_EQ(spring.history.state, 1);
    spring.Step(0.4 * kDcr);
    EXPECT_EQ(spring.history.state, 3);
    EXPECT_TRUE(spring.last.branchChanged);
    EXPECT_DOUBLE_EQ(spring.last.tangent, -Single(0.1f) * kK0);
    EXPECT_NEAR(spring.force, Softening(kDcr, kFcr, 1.2 * kDcr), 1e-9);
    spring.To(6.0 * kDcr, 10);
    EXPECT_NEAR(spring.force, Softening(kDcr, kFcr, 6.0 * kDcr), 1e-9);
    EXPECT_FALSE(spring.last.branchChanged);
}

TEST(ConcreteSpringLaw, ClosingCarriesNoCompressionUntilTheOpeningIsBelowZero) {
    SpringDriver spring;
    spring.To(5.0 * kDcr, 10);
    const double d1 = spring.d, F1 = spring.force;
    spring.Step(-0.5 * kDcr);
    EXPECT_EQ(spring.history.state, 4);
    EXPECT_DOUBLE_EQ(spring.last.tangent, F1 / d1);
    for (int i = 0; i < 45; ++i) {
        spring.Step(-0.1 * kDcr);
        if (spring.d > 1e-12) {
            EXPECT_GE(spring.force, -1e-9) << spring.d;
            EXPECT_NEAR(spring.force, F1 / d1 * spring.d, 1e-6); // on the secant to the origin
        }
    }
    EXPECT_NEAR(spring.d, 0.0, 1e-12);
    EXPECT_NEAR(spring.force, 0.0, 1e-6);
    spring.Step(-0.3 * kDcr);
    EXPECT_EQ(spring.history.state, 2);
    EXPECT_DOUBLE_EQ(spring.last.tangent, kK0);
    EXPECT_NEAR(spring.force, -0.3 * kDcr * kK0, 1e-6); // elastic with k0 from zero force
    spring.To(-2.0 * kDcr, 5);
    EXPECT_NEAR(spring.force, -2.0 * kDcr * kK0, 1e-6);
}

TEST(ConcreteSpringLaw, ReopeningReturnsToTheSofteningCurveWithTheSofteningTangent) {
    // From the secant (state 4): beyond the last opening the softening curve resumes.
    SpringDriver spring;
    spring.To(4.0 * kDcr, 8);
    const double d1 = spring.d, F1 = spring.force;
    spring.To(2.0 * kDcr, 4);
    spring.To(4.5 * kDcr, 5);
    EXPECT_EQ(spring.history.state, 3);
    EXPECT_NEAR(spring.force, Softening(d1, F1, 4.5 * kDcr), 1e-9);
    EXPECT_NEAR(spring.force, Softening(kDcr, kFcr, 4.5 * kDcr), 1e-9);

    // From contact (state 2): elastic up to the reference opening, then the softening curve.
    SpringDriver closed;
    closed.To(3.0 * kDcr, 6);
    closed.To(-kDcr, 8);
    ASSERT_EQ(closed.history.state, 2);
    closed.Step(kDcr + 0.5 * kDcr); // to 0.5 dcr, still below dref = 3 dcr
    EXPECT_EQ(closed.history.state, 2);
    EXPECT_NEAR(closed.force, 0.5 * kDcr * kK0, 1e-6);
    closed.Step(3.0 * kDcr); // to 3.5 dcr
    EXPECT_EQ(closed.history.state, 3);
    EXPECT_TRUE(closed.last.branchChanged);
    EXPECT_DOUBLE_EQ(closed.last.tangent, -Single(0.1f) * kK0);
    EXPECT_NEAR(closed.force, Softening(closed.history.dref, closed.history.Fref, 3.5 * kDcr), 1e-9);
}

TEST(ConcreteSpringLaw, AWideCrackClosesOnTheSecantEvenWithTheBoundedTangentStoredBack) {
    // The joint keeps one tangent, bounded by 0.01 k0; here the secant is far flatter.
    SpringDriver spring;
    spring.To(60.0 * kDcr, 60);
    const double d1 = spring.d, F1 = spring.force;
    ASSERT_LT(F1 / d1, 0.01 * kK0);
    for (int i = 0; i < 60; ++i) {
        spring.history.tangent = std::max(spring.history.tangent, 0.01 * kK0);
        spring.Step(-kDcr);
        EXPECT_NEAR(spring.force, F1 / d1 * spring.d, 1e-6) << spring.d;
        EXPECT_GE(spring.force, -1e-9);
    }
}

TEST(ConcreteSpringLaw, VirginClosingIsElastic) {
    SpringDriver spring;
    spring.Step(-kDcr);
    EXPECT_EQ(spring.history.state, 2);
    EXPECT_TRUE(spring.last.branchChanged);
    EXPECT_NEAR(spring.force, -kFcr, 1e-9);
    spring.To(0.5 * kDcr, 3); // below the cracking opening the closed spring stays elastic
    EXPECT_EQ(spring.history.state, 2);
    EXPECT_NEAR(spring.force, 0.5 * kFcr, 1e-9);
}

} // namespace
} // namespace torva::engine::testing
