// Checks the pieces of the iterative method's solution scheme: the quasi-Newton update of the
// iteration matrix (secant condition, Powell's damping, memory depth, and the convergence it buys on a
// linear system whose base matrix is poor) and the Gauss point's iteration matrix (the turning crack's
// shear modulus against a finite difference of the concrete model itself).
#include "engine/IterationMatrix.h"
#include "engine/McftConcrete.h"
#include "engine/QuasiNewton.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace torva::engine::testing {
namespace {

// A symmetric positive definite tridiagonal system, 1-based as the solver's vectors: diagonal 2,
// off-diagonal -0.95 (its Jacobi iteration converges, but slowly).
constexpr int kN = 8;

std::vector<double> Multiply(const std::vector<double>& x) {
    std::vector<double> y(kN + 1, 0.0);
    for (int i = 1; i <= kN; ++i) {
        y[i] = 2.0 * x[i];
        if (i > 1) y[i] -= 0.95 * x[i - 1];
        if (i < kN) y[i] -= 0.95 * x[i + 1];
    }
    return y;
}

// The base "matrix" is the diagonal alone.
void JacobiSolve(const std::vector<double>& rhs, std::vector<double>& x) {
    for (int i = 1; i <= kN; ++i) x[i] = rhs[i] / 2.0;
}

double Dot(const std::vector<double>& a, const std::vector<double>& b) {
    double s = 0.0;
    for (int i = 1; i <= kN; ++i) s += a[i] * b[i];
    return s;
}

// Iterations of x += H (b - A x) until |b - A x| <= 1e-10 |b|, at most `limit`.
int IterationsToSolve(int depth, int limit) {
    QuasiNewton update;
    update.Start(kN, depth);
    std::vector<double> x(kN + 1, 0.0), b(kN + 1, 0.0), step(kN + 1, 0.0);
    for (int i = 1; i <= kN; ++i) b[i] = 1.0 + 0.1 * i;
    for (int k = 1; k <= limit; ++k) {
        std::vector<double> r = Multiply(x);
        for (int i = 1; i <= kN; ++i) r[i] = b[i] - r[i];
        update.Apply(r, step, JacobiSolve);
        for (int i = 1; i <= kN; ++i) x[i] += step[i];
        const std::vector<double> y = Multiply(step);
        update.Add(step, y, r);
        std::vector<double> after = Multiply(x);
        for (int i = 1; i <= kN; ++i) after[i] = b[i] - after[i];
        if (std::sqrt(Dot(after, after)) <= 1e-10 * std::sqrt(Dot(b, b))) return k;
    }
    return limit + 1;
}

TEST(QuasiNewton, ConvergesWhereTheBaseMatrixAloneCrawls) {
    const int plain = IterationsToSolve(0, 2000);
    const int updated = IterationsToSolve(kN, 2000);
    EXPECT_GT(plain, 150);
    EXPECT_LE(updated, 25);
}

TEST(QuasiNewton, NewestPairMeetsTheSecantConditionAndMemoryIsBounded) {
    QuasiNewton update;
    update.Start(kN, 2);
    std::vector<double> s(kN + 1), result(kN + 1);
    for (int pair = 0; pair < 3; ++pair) {
        for (int i = 1; i <= kN; ++i) s[i] = std::sin(1.0 + i * (pair + 1));
        std::vector<double> r(kN + 1);
        for (int i = 1; i <= kN; ++i) r[i] = 2.0 * s[i]; // B s with B = diag(2), the base matrix
        update.Add(s, Multiply(s), r);
        const std::vector<double> y = Multiply(s);
        update.Apply(y, result, JacobiSolve);
        for (int i = 1; i <= kN; ++i) EXPECT_NEAR(result[i], s[i], 1e-12) << "pair " << pair;
    }
    EXPECT_EQ(update.Pairs(), 2);
    update.Start(kN, 2);
    EXPECT_EQ(update.Pairs(), 0);
}

// A pair whose internal forces went against the step (a crack opening under it) would make the
// update indefinite; damped, its curvature is a fifth of the base matrix's and H stays positive
// definite.
TEST(QuasiNewton, NegativeCurvatureIsDampedAndKeepsTheUpdatePositiveDefinite) {
    QuasiNewton update;
    update.Start(kN, 4);
    std::vector<double> s(kN + 1, 0.0), y(kN + 1, 0.0), r(kN + 1, 0.0), result(kN + 1);
    for (int i = 1; i <= kN; ++i) {
        s[i] = 1.0 / i;
        r[i] = 2.0 * s[i];
        y[i] = -0.5 * s[i];
    }
    update.Add(s, y, r);
    ASSERT_EQ(update.Pairs(), 1);
    // The damped y = theta y + (1 - theta) B s has s'y = 0.2 s'B s, and H maps it onto s.
    const double sBs = Dot(s, r), sy = Dot(s, y);
    const double theta = 0.8 * sBs / (sBs - sy);
    std::vector<double> damped(kN + 1);
    for (int i = 1; i <= kN; ++i) damped[i] = theta * y[i] + (1 - theta) * r[i];
    EXPECT_NEAR(Dot(s, damped), 0.2 * sBs, 1e-12 * sBs);
    update.Apply(damped, result, JacobiSolve);
    for (int i = 1; i <= kN; ++i) EXPECT_NEAR(result[i], s[i], 1e-12);
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<double> v(kN + 1);
        for (int i = 1; i <= kN; ++i) v[i] = std::cos(0.7 * trial * i + trial);
        update.Apply(v, result, JacobiSolve);
        EXPECT_GT(Dot(v, result), 0.0) << "trial " << trial;
    }
}

// A cracked reinforced point whose strain turns at fixed principal strains: the stress change is
// what the iteration matrix predicts with the rotation shear modulus (f1 - f2) / (2 (e1 - e2)); the
// model's secant shear modulus E1 E2 / (E1 + E2) predicts far less.
TEST(IterationMatrix, TurningCrackFollowsTheRotationShearModulus) {
    McftMaterial m;
    m.fc = 30;
    m.eps0 = 0.002;
    m.Ec = 25000;
    m.bars[0] = {0.02, 400, 200000, 0, 100};
    m.bars[1] = {0.01, 350, 200000, 0, 150};
    const double e1 = 0.0005, e2 = -0.0003, theta = 0.6;
    const auto strainAt = [&](double angle, double strain[3]) {
        const double c = std::cos(angle), s = std::sin(angle);
        strain[0] = e1 * c * c + e2 * s * s;
        strain[1] = e1 * s * s + e2 * c * c;
        strain[2] = 2 * (e1 - e2) * c * s;
    };
    double strain[3], ahead[3], behind[3];
    strainAt(theta, strain);
    constexpr double h = 1e-6;
    strainAt(theta + h, ahead);
    strainAt(theta - h, behind);
    McftPoint point, plus, minus;
    EvaluateMcft(m, strain, McftHistory{}, point);
    EvaluateMcft(m, ahead, McftHistory{}, plus);
    EvaluateMcft(m, behind, McftHistory{}, minus);
    ASSERT_TRUE(point.cracked);
    ASSERT_FALSE(point.yielded[0] || point.yielded[1]);
    EXPECT_NEAR(RotationShearModulus(point), (point.f1 - point.f2) / (2 * (e1 - e2)), 1e-9);
    EXPECT_GT(RotationShearModulus(point), 1.5 * point.G);

    double D[9];
    IterationMatrix(point, m, D);
    for (int i = 0; i < 3; ++i) {
        const double measured = (plus.stress[i] - minus.stress[i]) / (2 * h);
        double predicted = 0.0, secant = 0.0;
        for (int j = 0; j < 3; ++j) {
            const double rate = (ahead[j] - behind[j]) / (2 * h);
            predicted += D[3 * i + j] * rate;
            secant += point.D[3 * i + j] * rate;
        }
        EXPECT_NEAR(predicted, measured, 1e-4 * (1 + std::fabs(measured))) << "component " << i;
        EXPECT_GT(std::fabs(secant - measured), 0.05 * std::fabs(measured)) << "component " << i;
    }
}

// Where the principal strains coincide the axes are undefined: the secant modulus stays and the matrix
// is the point's secant, finite.
TEST(IterationMatrix, CoincidentPrincipalStrainsKeepTheSecantMatrix) {
    McftMaterial m;
    m.fc = 30;
    m.eps0 = 0.002;
    m.Ec = 25000;
    for (const double e : {-4e-4, 0.0, 3e-5, 2e-3}) {
        const double strain[3] = {e, e, 0.0};
        McftPoint point;
        EvaluateMcft(m, strain, McftHistory{}, point);
        EXPECT_EQ(RotationShearModulus(point), point.G) << e;
        double D[9];
        IterationMatrix(point, m, D);
        for (int k = 0; k < 9; ++k) {
            EXPECT_TRUE(std::isfinite(D[k])) << e;
            EXPECT_EQ(D[k], point.D[k]) << e << " " << k;
        }
    }
}

} // namespace
} // namespace torva::engine::testing
