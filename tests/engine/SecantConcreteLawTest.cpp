// Checks the secant concrete law: Saenz envelope, secant unloading to the origin, tension softening.
#include "LawDriver.h"

#include <cmath>
#include <gtest/gtest.h>

namespace torva::engine::testing {
namespace {

TEST(SecantConcreteLaw, CompressionFollowsSaenzThroughThePeakAndBeyond) {
    ConcreteDriver c(SecantConcreteLaw);
    const ConcreteLawInput& m = c.material;
    c.Step(-1e-5);
    EXPECT_EQ(c.history.state, 2);
    EXPECT_TRUE(c.last.branchChanged);
    for (double e : {-0.0005, -0.001, -0.0015, -0.002}) {
        c.To(e, 10);
        EXPECT_NEAR(c.stress, SaenzStress(m, e), 1e-9) << e;
        EXPECT_NEAR(c.last.tangent, SaenzTangent(m, e), 1e-6) << e;
        EXPECT_FALSE(c.last.crack);
        EXPECT_FALSE(c.last.branchChanged);
    }
    EXPECT_NEAR(c.stress, m.fs, 1e-9); // the peak (epk, fs)
    EXPECT_NEAR(c.last.tangent, 0.0, 1e-6);
    // Beyond the peak the Saenz curve itself descends.
    c.To(-0.004, 20);
    const double x = 2.0, k = m.E0 / m.Es - 2.0;
    EXPECT_NEAR(c.stress, m.E0 * -0.004 / (1.0 + k * x + x * x), 1e-9);
    EXPECT_GT(c.stress, m.fs);
    EXPECT_LT(c.last.tangent, 0.0);
}

TEST(SecantConcreteLaw, UnloadingFromCompressionIsAStraightLineToTheOrigin) {
    ConcreteDriver c(SecantConcreteLaw);
    c.To(-0.003, 30);
    const double eu = c.eps, su = c.stress;
    c.Step(0.0005);
    EXPECT_EQ(c.history.state, 4);
    EXPECT_TRUE(c.last.branchChanged);
    EXPECT_DOUBLE_EQ(c.last.tangent, su / eu);
    for (double e : {-0.002, -0.001, -0.0001}) {
        c.To(e, 5);
        EXPECT_NEAR(c.stress, su / eu * e, 1e-9) << e;
        EXPECT_FALSE(c.last.crack);
    }
    // Past the origin: zero stress and an open crack, whatever the tension strain.
    c.Step(0.0003);
    EXPECT_EQ(c.history.state, 6);
    EXPECT_EQ(c.stress, 0.0);
    EXPECT_EQ(c.last.tangent, 0.0);
    EXPECT_TRUE(c.last.crack);
    c.To(0.001, 4);
    EXPECT_EQ(c.stress, 0.0);
    EXPECT_TRUE(c.last.crack);
    // Back in compression: on the same secant, and on the envelope past the unloading point.
    c.Step(-0.0015);
    EXPECT_EQ(c.history.state, 4);
    EXPECT_NEAR(c.stress, su / eu * -0.0005, 1e-9);
    EXPECT_FALSE(c.last.crack);
    c.To(-0.0035, 10);
    EXPECT_EQ(c.history.state, 2);
    EXPECT_NEAR(c.stress, SaenzStress(c.material, -0.0035), 1e-9);
}

TEST(SecantConcreteLaw, TensionIsLinearToFtThenSoftensWithTheFourTenthsPower) {
    ConcreteDriver c(SecantConcreteLaw);
    const ConcreteLawInput& m = c.material;
    c.To(0.9 * m.ecr, 9);
    EXPECT_NEAR(c.stress, 0.9 * m.ft, 1e-12);
    EXPECT_EQ(c.history.state, 1);
    EXPECT_FALSE(c.last.crack);
    c.Step(0.2 * m.ecr);
    EXPECT_EQ(c.history.state, 3);
    EXPECT_TRUE(c.last.crack);
    EXPECT_TRUE(c.last.branchChanged);
    EXPECT_DOUBLE_EQ(c.last.tangent, -Single(0.1f) * m.E0);
    for (double ratio : {1.1, 2.0, 5.0, 20.0}) {
        c.To(ratio * m.ecr, 5);
        // The exponent is the single-precision 0.4, which a double 0.4 misses by ~1e-8 relative.
        EXPECT_NEAR(c.stress, m.ft * std::pow(1.0 / ratio, Single(0.4f)), 1e-13) << ratio;
        EXPECT_TRUE(c.last.crack);
    }
    EXPECT_GT(std::fabs(c.stress - m.ft * std::pow(1.0 / 20.0, 0.4)), 1e-9);
}

TEST(SecantConcreteLaw, TensionReversalGoesStraightToTheOriginThenCompressionStartsFromZero) {
    ConcreteDriver c(SecantConcreteLaw);
    const ConcreteLawInput& m = c.material;
    c.To(4.0 * m.ecr, 8);
    const double e1 = c.eps, s1 = c.stress;
    c.Step(-m.ecr);
    EXPECT_EQ(c.history.state, 5);
    EXPECT_TRUE(c.last.crack);
    EXPECT_NEAR(c.stress, s1 / e1 * 3.0 * m.ecr, 1e-12);
    c.To(0.5 * m.ecr, 5);
    EXPECT_NEAR(c.stress, s1 / e1 * 0.5 * m.ecr, 1e-12);
    // Reloading in tension retraces the secant and resumes the same softening curve.
    c.To(5.0 * m.ecr, 9);
    EXPECT_EQ(c.history.state, 3);
    EXPECT_NEAR(c.stress, m.ft * std::pow(0.2, Single(0.4f)), 1e-12);
    // Down through the origin into the compression envelope, which starts at zero stress.
    c.To(0.0001 * m.ecr, 10);
    c.Step(-0.0002);
    EXPECT_EQ(c.history.state, 2);
    EXPECT_FALSE(c.last.crack);
    EXPECT_NEAR(c.stress, SaenzStress(m, c.eps), 1e-9);
}

} // namespace
} // namespace torva::engine::testing
