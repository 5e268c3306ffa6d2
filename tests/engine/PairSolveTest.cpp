// The two right-hand sides an equilibrium iteration solves in one pass: the paired substitution
// against the dense matrix and the column solver's own substitution, and the paired quasi-Newton
// product against the single one, term for term.
#include "SkylineSystem.h"
#include "engine/ColumnSolve.h"
#include "engine/PairSubstitution.h"
#include "engine/QuasiNewton.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace torva::engine::test {
namespace {

// Checks K x = b for both vectors (residual against the dense matrix) and agreement with ColumnSolve
// mode 2 on the same factors, on ragged skylines with empty columns, one-term columns and full ones.
TEST(PairSolve, SolvesBothRightHandSidesWithTheSameFactors) {
    struct Case {
        int n, lowest, highest;
        unsigned seed;
    };
    const Case cases[] = {{1, 0, 0, 1},   {2, 0, 1, 2},    {7, 0, 3, 3},
                          {60, 0, 59, 4}, {250, 0, 40, 5}, {400, 20, 90, 6}};
    for (const Case& c : cases) {
        SkylineSystem system(c.n, c.seed, c.lowest, c.highest);
        std::vector<double> factors = system.A;
        ASSERT_EQ(ColumnSolve(factors.data(), nullptr, system.D.data(), c.n, 1), 0) << c.n;
        std::mt19937 random(c.seed + 100);
        std::uniform_real_distribution<double> value(-1.0, 1.0);
        std::vector<double> b1(c.n + 1, 0.0), b2(c.n + 1, 0.0), W(2 * (c.n + 1), 0.0);
        for (int i = 1; i <= c.n; ++i) {
            b1[i] = W[2 * i] = value(random);
            b2[i] = W[2 * i + 1] = i == c.n ? 1.0 : 0.0; // a unit load on the last equation
        }
        SubstitutePair(factors.data(), W.data(), system.D.data(), c.n);
        std::vector<double> x1(c.n + 1), x2(c.n + 1);
        for (int i = 1; i <= c.n; ++i) {
            x1[i] = W[2 * i];
            x2[i] = W[2 * i + 1];
        }
        std::vector<double> single1 = b1, single2 = b2;
        ColumnSolve(factors.data(), single1.data(), system.D.data(), c.n, 2);
        ColumnSolve(factors.data(), single2.data(), system.D.data(), c.n, 2);
        const std::vector<double> f1 = system.Multiply(x1), f2 = system.Multiply(x2);
        for (int i = 1; i <= c.n; ++i) {
            double scale = 0.0;
            for (int j = 0; j < c.n; ++j) scale += std::fabs(system.dense[(i - 1) * c.n + j] * x1[j + 1]);
            EXPECT_NEAR(f1[i], b1[i], 1e-12 * scale + 1e-300) << c.n << ": row " << i;
            double scale2 = 0.0;
            for (int j = 0; j < c.n; ++j) scale2 += std::fabs(system.dense[(i - 1) * c.n + j] * x2[j + 1]);
            EXPECT_NEAR(f2[i], b2[i], 1e-12 * scale2 + 1e-300) << c.n << ": row " << i;
            EXPECT_NEAR(x1[i], single1[i], 1e-10 * std::fabs(single1[i]) + 1e-300) << c.n << ": term " << i;
            EXPECT_NEAR(x2[i], single2[i], 1e-10 * std::fabs(single2[i]) + 1e-300) << c.n << ": term " << i;
        }
    }
}

// With the same base solve, the paired product gives each vector the bits the single product gives
// it: the two vectors' corrections must not mix.
TEST(PairSolve, PairedQuasiNewtonProductEqualsTheSingleOnesBitForBit) {
    constexpr int n = 9;
    const auto diagonal = [](int i) { return 1.0 + 0.37 * i; };
    const auto solve = [&](const std::vector<double>& rhs, std::vector<double>& x) {
        for (int i = 1; i <= n; ++i) x[i] = rhs[i] / diagonal(i);
    };
    const auto solvePair = [&](std::vector<double>& w) {
        for (int i = 1; i <= n; ++i) {
            w[2 * i] /= diagonal(i);
            w[2 * i + 1] /= diagonal(i);
        }
    };
    QuasiNewton update;
    update.Start(n, 3);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(0.1, 1.0);
    for (int pair = 0; pair < 5; ++pair) { // more pairs than the depth: the oldest make room
        std::vector<double> s(n + 1), y(n + 1), r(n + 1);
        for (int i = 1; i <= n; ++i) {
            s[i] = value(random);
            y[i] = value(random);
            r[i] = s[i] * diagonal(i);
        }
        update.Add(s, y, r);
    }
    ASSERT_EQ(update.Pairs(), 3);
    std::vector<double> v1(n + 1), v2(n + 1);
    for (int i = 1; i <= n; ++i) {
        v1[i] = value(random) - 0.5;
        v2[i] = i % 3 == 0 ? 1.0 : 0.0;
    }
    std::vector<double> single1(n + 1), single2(n + 1), paired1(n + 1), paired2(n + 1);
    update.Apply(v1, single1, solve);
    update.Apply(v2, single2, solve);
    update.ApplyPair(v1, v2, paired1, paired2, solvePair);
    EXPECT_EQ(0, std::memcmp(&single1[1], &paired1[1], n * sizeof(double)));
    EXPECT_EQ(0, std::memcmp(&single2[1], &paired2[1], n * sizeof(double)));
    double difference = 0.0;
    for (int i = 1; i <= n; ++i) difference += std::fabs(paired1[i] - paired2[i]);
    EXPECT_GT(difference, 0.0);
}

} // namespace
} // namespace torva::engine::test
