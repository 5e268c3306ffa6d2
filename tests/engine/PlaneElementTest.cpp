// The plane element: Jacobian and integration factors, the stiffness of a square against its closed
// form, rigid-body modes, the incompatible modes under constant strain and in pure bending, gravity.
#include "engine/PlaneElement.h"

#include "ReferencePlaneElement.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace torva::engine;
namespace reference = torva::engine::test::reference;

namespace {

// Isotropic plane-stress D (row-major) in every Gauss point.
void Isotropic(double E, double nu, double D[9][9]) {
    const double m = E / (1.0 - nu * nu);
    for (int g = 0; g < 9; ++g) {
        const double d[9] = {m, m * nu, 0, m * nu, m, 0, 0, 0, m * (1.0 - nu) / 2.0};
        for (int i = 0; i < 9; ++i) D[g][i] = d[i];
    }
}

struct Element {
    double x[4], y[4];
    PlaneGaussGeometry gauss[9];
    double K[64], T[32];
    // Corners anticlockwise from the one with the smallest x and y, as the mesh gives them.
    Element(double x0, double y0, double a, double b, double t) {
        const double xs[4] = {x0, x0 + a, x0 + a, x0}, ys[4] = {y0, y0, y0 + b, y0 + b};
        for (int i = 0; i < 4; ++i) x[i] = xs[i], y[i] = ys[i];
        double inverse[4] = {0, 0, 0, 0};
        FormPlaneGeometry(x, y, t, gauss, inverse);
    }
    void Stiffness(double E, double nu, int formulation) {
        double D[9][9];
        Isotropic(E, nu, D);
        ASSERT_TRUE(PlaneElementStiffness(gauss, D, formulation, K, T));
    }
    double Energy(const double u[8]) const {
        double e = 0.0;
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 8; ++j) e += 0.5 * u[i] * K[8 * i + j] * u[j];
        return e;
    }
};

} // namespace

TEST(PlaneElement, RectangleIntegratesToItsVolume) {
    Element element(100, 50, 300, 200, 150);
    double sum = 0.0;
    for (const PlaneGaussGeometry& gp : element.gauss) sum += gp.factor;
    EXPECT_NEAR(sum, 300.0 * 200.0 * 150.0, 1e-6 * 300.0 * 200.0 * 150.0);
    // detJ = a b / 4 at every point: the centre's factor is detJ t w2 w2.
    EXPECT_NEAR(element.gauss[4].factor, 300.0 * 200.0 / 4.0 * 150.0 * kGaussWeight[1] * kGaussWeight[1],
                1e-9);
    // Gauss point 1 lies at xi = eta = -0.7746, next to local node 3, which is the corner (x0 + a, y0 + b).
    double N[4];
    GaussShapeFunctions(0, N);
    EXPECT_GT(N[2], 0.6);
}

TEST(PlaneElement, SquareMatchesItsClosedForm) {
    const double E = 30000, nu = 0.2, t = 200;
    Element element(0, 0, 500, 500, t);
    element.Stiffness(E, nu, 1);
    const double c = E * t / (1.0 - nu * nu);
    // Row of u1 for the bilinear square, nodes anticlockwise from the lower left corner.
    const double row[8] = {
        c * (0.5 - nu / 6),    c * (0.125 + nu / 8),  c * (-0.25 - nu / 12), c * (-0.125 + 3 * nu / 8),
        c * (-0.25 + nu / 12), c * (-0.125 - nu / 8), c * (nu / 6),          c * (0.125 - 3 * nu / 8)};
    for (int j = 0; j < 8; ++j) EXPECT_NEAR(element.K[j], row[j], 1e-6 * c) << "column " << j;
}

TEST(PlaneElement, RigidBodyModesCarryNoForce) {
    Element element(10, 20, 400, 250, 200);
    for (int formulation : {1, 2}) {
        element.Stiffness(30000, 0.2, formulation);
        const double modes[3][8] = {{1, 0, 1, 0, 1, 0, 1, 0},
                                    {0, 1, 0, 1, 0, 1, 0, 1},
                                    {-element.y[0], element.x[0], -element.y[1], element.x[1], -element.y[2],
                                     element.x[2], -element.y[3], element.x[3]}};
        for (const auto& mode : modes)
            for (int i = 0; i < 8; ++i) {
                double f = 0.0;
                for (int j = 0; j < 8; ++j) f += element.K[8 * i + j] * mode[j];
                EXPECT_NEAR(f, 0.0, 1e-6 * element.K[0] * 400.0) << "formulation " << formulation;
            }
    }
}

TEST(PlaneElement, IncompatibleModesRestUnderConstantStrain) {
    Element element(0, 0, 400, 250, 200);
    double K1[64];
    element.Stiffness(30000, 0.2, 1);
    std::copy(element.K, element.K + 64, K1);
    element.Stiffness(30000, 0.2, 2);
    // u = 1e-3 x + 2e-4 y, v = -5e-4 x + 3e-4 y: constant strain.
    double u[8];
    for (int a = 0; a < 4; ++a) {
        u[2 * a] = 1e-3 * element.x[a] + 2e-4 * element.y[a];
        u[2 * a + 1] = -5e-4 * element.x[a] + 3e-4 * element.y[a];
    }
    double alpha[4] = {0, 0, 0, 0};
    for (int a = 0; a < 4; ++a)
        for (int l = 0; l < 8; ++l) alpha[a] += element.T[8 * a + l] * u[l];
    for (double value : alpha) EXPECT_NEAR(value, 0.0, 1e-12);
    for (int i = 0; i < 8; ++i) {
        double f1 = 0, f2 = 0;
        for (int j = 0; j < 8; ++j) f1 += K1[8 * i + j] * u[j], f2 += element.K[8 * i + j] * u[j];
        EXPECT_NEAR(f1, f2, 1e-9 * std::fabs(f1) + 1e-9);
    }
    // The strains at every Gauss point are the constant field.
    for (const PlaneGaussGeometry& gp : element.gauss) {
        double de[3];
        PlaneStrainIncrement(gp, u, alpha, de);
        EXPECT_NEAR(de[0], 1e-3, 1e-12);
        EXPECT_NEAR(de[1], 3e-4, 1e-12);
        EXPECT_NEAR(de[2], 2e-4 - 5e-4, 1e-12);
    }
}

TEST(PlaneElement, IncompatibleModesGivePureBendingExactly) {
    // u = kappa x y about the centre: ex = kappa y. Exact energy with free lateral strains: E kappa^2 I L
    // / 2.
    const double a = 400, b = 250, t = 200, E = 30000, nu = 0.2, kappa = 1e-6;
    Element element(-a / 2, -b / 2, a, b, t);
    double u[8];
    for (int i = 0; i < 4; ++i) u[2 * i] = kappa * element.x[i] * element.y[i], u[2 * i + 1] = 0.0;
    const double exact = 0.5 * E * kappa * kappa * (t * b * b * b / 12.0) * a;
    element.Stiffness(E, nu, 2);
    EXPECT_NEAR(element.Energy(u), exact, 1e-6 * exact);
    element.Stiffness(E, nu, 1);
    EXPECT_GT(element.Energy(u), 1.5 * exact); // the plain element locks in shear
}

TEST(PlaneElement, GravityLoadSharesTheWeight) {
    Element element(0, 0, 400, 300, 200);
    double load[8];
    PlaneGravityLoad(element.gauss, 2400.0, 9.8, load);
    const double weight = 2400.0 * 1e-9 * 9.8 * 400 * 300 * 200; // N, towards +y
    for (int a = 0; a < 4; ++a) {
        EXPECT_EQ(load[2 * a], 0.0);
        EXPECT_NEAR(load[2 * a + 1], weight / 4.0, 1e-6 * weight);
    }
}

TEST(PlaneElement, DegenerateElementKeepsThePlainStiffness) {
    Element element(0, 0, 400, 300, 200);
    double D[9][9] = {};
    double K[64], T[32];
    EXPECT_FALSE(PlaneElementStiffness(element.gauss, D, 2, K, T)); // zero modulus: Kaa has no pivot
    for (double value : T) EXPECT_EQ(value, 0.0);
    for (double value : K) EXPECT_EQ(value, 0.0);
}

// Material matrices that are not finite, or whose products overflow, give the bits of the reference too:
// there the products with the zeros of B0 and G are NaN and must be formed (the formation leaves them
// out only when every value it finds is finite).
TEST(PlaneElement, NonFiniteMaterialsGiveTheReferenceBits) {
    const double x[4] = {0, 250, 240, 10}, y[4] = {0, 20, 300, 280};
    PlaneGaussGeometry gauss[9];
    double inverse[4] = {0, 0, 0, 0};
    FormPlaneGeometry(x, y, 200.0, gauss, inverse);
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    for (const double odd : {inf, -inf, nan, 1e300, -1e305}) {
        for (int entry : {0, 1, 2, 4, 8}) {
            double D[9][9];
            for (int g = 0; g < 9; ++g) {
                const double d[9] = {30000, 6000, 0.0, 6000, 30000, 0.0, 0.0, 0.0, 12000};
                std::copy_n(d, 9, D[g]);
            }
            D[4][entry] = odd;
            for (int formulation : {1, 2}) {
                double K[64], T[32], expectedK[64], expectedT[32];
                const bool expected =
                    reference::ReferencePlaneElementStiffness(gauss, D, formulation, expectedK, expectedT);
                EXPECT_EQ(PlaneElementStiffness(gauss, D, formulation, K, T), expected);
                EXPECT_EQ(0, std::memcmp(K, expectedK, sizeof K))
                    << odd << " at " << entry << ", formulation " << formulation;
                EXPECT_EQ(0, std::memcmp(T, expectedT, sizeof T))
                    << odd << " at " << entry << ", formulation " << formulation;
            }
        }
    }
}

// The packed formation against the one-entry-at-a-time reference: distorted quadrilaterals, full and
// sparse material matrices, both formulations, bit for bit (and a degenerate element that stops the
// condensation).
TEST(PlaneElement, PackedStiffnessMatchesTheReferenceBitForBit) {
    std::mt19937 random(17);
    std::uniform_real_distribution<double> jitter(-60.0, 60.0), modulus(0.0, 40000.0), unit(-1.0, 1.0);
    for (int trial = 0; trial < 200; ++trial) {
        double x[4] = {0, 250, 250, 0}, y[4] = {0, 0, 300, 300};
        for (int a = 0; a < 4 && trial % 4 != 0; ++a) x[a] += jitter(random), y[a] += jitter(random);
        PlaneGaussGeometry gauss[9];
        double inverse[4] = {0, 0, 0, 0};
        FormPlaneGeometry(x, y, trial % 7 == 0 ? 0.0 : 200.0, gauss, inverse);
        double D[9][9];
        for (int g = 0; g < 9; ++g) {
            // Every third element keeps the zeros of a concrete tangent at angle 0 (+0 and -0 alike).
            const bool sparse = trial % 3 == 0;
            const double d11 = modulus(random), d22 = modulus(random), d33 = modulus(random) / 2.0;
            const double d12 = 0.2 * std::sqrt(d11 * d22) * unit(random);
            const double d13 = sparse ? (g % 2 ? -0.0 : 0.0) : 0.1 * d11 * unit(random);
            const double d23 = sparse ? 0.0 : 0.1 * d22 * unit(random);
            const double d[9] = {d11, d12, d13, d12, d22, d23, d13, d23, d33};
            for (int i = 0; i < 9; ++i) D[g][i] = d[i];
        }
        for (int formulation : {1, 2}) {
            double K[64], T[32], expectedK[64], expectedT[32];
            const bool expected =
                reference::ReferencePlaneElementStiffness(gauss, D, formulation, expectedK, expectedT);
            EXPECT_EQ(PlaneElementStiffness(gauss, D, formulation, K, T), expected) << trial;
            EXPECT_EQ(0, std::memcmp(K, expectedK, sizeof K))
                << "trial " << trial << " formulation " << formulation;
            EXPECT_EQ(0, std::memcmp(T, expectedT, sizeof T))
                << "trial " << trial << " formulation " << formulation;
        }
    }
}

// The nine points' strain increments at once are the one-point formula's bits: distorted elements,
// increments with zeros of either sign (a restrained dof, formulation 1's alpha) and, once, a value that
// is not finite, where the products with the zeros of B0 and G turn NaN.
TEST(PlaneElement, StrainIncrementsOfTheNinePointsAreThoseOfEachPoint) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> jitter(-60.0, 60.0), unit(-1.0, 1.0);
    const double inf = std::numeric_limits<double>::infinity();
    for (int trial = 0; trial < 300; ++trial) {
        double x[4] = {0, 250, 250, 0}, y[4] = {0, 0, 300, 300};
        for (int a = 0; a < 4; ++a) x[a] += jitter(random), y[a] += jitter(random);
        PlaneGaussGeometry gauss[9];
        double inverse[4] = {0, 0, 0, 0};
        FormPlaneGeometry(x, y, 200.0, gauss, inverse);
        double du[8], alpha[4];
        for (double& v : du)
            v = trial % 3 == 0 && unit(random) < 0.0 ? (unit(random) < 0 ? -0.0 : 0.0) : unit(random);
        for (double& v : alpha) v = trial % 2 == 0 ? 0.0 : 1e-3 * unit(random);
        if (trial % 50 == 7) du[trial % 8] = trial % 100 == 7 ? inf : std::nan("");
        if (trial % 50 == 17) alpha[trial % 4] = -inf;
        double together[9][3];
        PlaneStrainIncrements(gauss, du, alpha, together);
        for (int g = 0; g < 9; ++g) {
            double alone[3];
            PlaneStrainIncrement(gauss[g], du, alpha, alone);
            EXPECT_EQ(0, std::memcmp(alone, together[g], sizeof alone)) << trial << " " << g;
        }
    }
}
