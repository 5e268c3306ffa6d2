// The skyline LDL' solver: solutions of variable-band systems, the relative pivot test, and that a
// failed factorisation reports its column.
#include "engine/ColumnSolve.h"

#include "ReferenceColumnSolve.h"
#include "SkylineSystem.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

using namespace torva::engine;
namespace reference = torva::engine::test::reference;
using torva::engine::test::SkylineSystem;

TEST(ColumnSolve, SolvesRaggedBadlyScaledSystems) {
    for (unsigned seed : {1u, 2u, 3u}) {
        SkylineSystem system(300, seed);
        std::vector<double> exact(system.n + 1);
        for (int i = 1; i <= system.n; ++i)
            exact[i] = std::sin(0.37 * i) / (1.0 + system.dense[(i - 1) * (system.n + 1)]);
        std::vector<double> V = system.Multiply(exact);
        std::vector<double> A = system.A;
        ASSERT_EQ(ColumnSolve(A.data(), V.data(), system.D.data(), system.n, 1), 0);
        ColumnSolve(A.data(), V.data(), system.D.data(), system.n, 2);
        // Residual relative to the load, and the solution itself.
        const std::vector<double> f = system.Multiply(exact);
        const std::vector<double> Ku = system.Multiply(V);
        double residual = 0, norm = 0;
        for (int i = 1; i <= system.n; ++i) {
            residual = std::max(residual, std::fabs(Ku[i] - f[i]));
            norm = std::max(norm, std::fabs(f[i]));
            EXPECT_NEAR(V[i], exact[i], 1e-9 * std::fabs(exact[i]) + 1e-300);
        }
        EXPECT_LT(residual, 1e-12 * norm);
    }
}

TEST(ColumnSolve, FactorsReconstructTheMatrix) {
    SkylineSystem system(60, 7);
    std::vector<double> A = system.A;
    ASSERT_EQ(ColumnSolve(A.data(), nullptr, system.D.data(), system.n, 1), 0);
    // A holds L (unit upper, by columns) and diag: K(i, j) = sum_k L(k, i) d(k) L(k, j).
    auto L = [&](int k, int j) -> double { // 1-based, k <= j
        if (k == j) return 1.0;
        const int h = system.D[j + 1] - system.D[j] - 1;
        return j - k <= h ? A[system.D[j] + j - k] : 0.0;
    };
    for (int i = 1; i <= system.n; ++i)
        for (int j = i; j <= system.n; ++j) {
            double sum = 0.0;
            for (int k = 1; k <= i; ++k) sum += L(k, i) * A[system.D[k]] * L(k, j);
            const double expected = system.dense[(i - 1) * system.n + (j - 1)];
            EXPECT_NEAR(sum, expected,
                        1e-12 * std::sqrt(system.dense[(i - 1) * (system.n + 1)] *
                                          system.dense[(j - 1) * (system.n + 1)]));
        }
}

TEST(ColumnSolve, ZeroPivotInColumnOneLeavesEverythingUnfactorised) {
    // 3 equations, full profile: K = [0 1 2; 1 4 1; 2 1 5].
    std::vector<int32_t> D = {0, 1, 2, 4, 7};
    std::vector<double> A = {0, 0.0, 4.0, 1.0, 5.0, 1.0, 2.0};
    const std::vector<double> original = A;
    EXPECT_EQ(ColumnSolve(A.data(), nullptr, D.data(), 3, 1), 1);
    EXPECT_EQ(A, original);
}

TEST(ColumnSolve, PivotTestIsRelativeToTheDiagonal) {
    std::vector<int32_t> D = {0, 1, 2, 4};
    auto factorise = [&](double k22) {
        std::vector<double> A = {0, 1.0e6, k22, 1.0e6}; // K = [1e6 1e6; 1e6 k22]
        return ColumnSolve(A.data(), nullptr, D.data(), 2, 1);
    };
    EXPECT_EQ(factorise(1.0e6 * (1.0 + 1e-13)), 2); // a mechanism up to round-off, either sign
    EXPECT_EQ(factorise(1.0e6 * (1.0 - 1e-13)), 2);
    EXPECT_EQ(factorise(1.0e6), 2);
    EXPECT_EQ(factorise(1.0e6 * (1.0 + 1e-9)), 0); // stiff but well posed
    EXPECT_EQ(factorise(std::nan("")), 2);         // a NaN pivot stops it as well
    std::vector<double> negative = {0, -1.0};
    std::vector<int32_t> one = {0, 1, 2};
    EXPECT_EQ(ColumnSolve(negative.data(), nullptr, one.data(), 1, 1), 1);
}

TEST(ColumnSolve, BothKernelsGiveBitwiseIdenticalFactors) {
    if (!WideKernelAvailable()) GTEST_SKIP() << "no AVX2 on this processor";
    for (unsigned seed : {4u, 5u}) {
        SkylineSystem system(250, seed);
        std::vector<double> portable = system.A, wide = system.A;
        ASSERT_EQ(ColumnSolve(portable.data(), nullptr, system.D.data(), system.n, 1, SolverKernel::Portable),
                  0);
        ASSERT_EQ(ColumnSolve(wide.data(), nullptr, system.D.data(), system.n, 1, SolverKernel::Wide), 0);
        EXPECT_EQ(portable, wide);
    }
}

TEST(ColumnSolve, PortableKernelSolvesToo) {
    SkylineSystem system(301, 9); // an odd count: the last column is factorised on its own
    std::vector<double> exact(system.n + 1, 1.0), A = system.A;
    std::vector<double> V = system.Multiply(exact);
    ASSERT_EQ(ColumnSolve(A.data(), V.data(), system.D.data(), system.n, 1, SolverKernel::Portable), 0);
    ColumnSolve(A.data(), V.data(), system.D.data(), system.n, 2);
    for (int i = 1; i <= system.n; ++i) EXPECT_NEAR(V[i], 1.0, 1e-9);
}

TEST(ColumnSolve, FactorisesACopyOfItsSource) {
    SkylineSystem system(120, 11);
    std::vector<double> inPlace = system.A, copy(system.A.size(), -1.0);
    const std::vector<double> source = system.A;
    ASSERT_EQ(ColumnSolve(inPlace.data(), nullptr, system.D.data(), system.n, 1), 0);
    ASSERT_EQ(ColumnSolve(copy.data(), nullptr, system.D.data(), system.n, 1, SolverKernel::Automatic,
                          source.data()),
              0);
    EXPECT_EQ(std::vector<double>(copy.begin() + 1, copy.end()),
              std::vector<double>(inPlace.begin() + 1, inPlace.end()));
    EXPECT_EQ(source, system.A);
}

// The fast kernels against the straightforward two-column factorisation kept in ReferenceColumnSolve.h:
// every factor bit for bit, on ragged profiles (empty columns, tops that jump, every count of columns
// modulo the group sizes) and on a profile whose pivot fails part-way.
TEST(ColumnSolve, KernelsMatchTheReferenceBitForBit) {
    for (int size : {1, 2, 3, 7, 8, 9, 15, 16, 17, 63, 250, 301}) {
        for (unsigned seed : {21u, 22u, 23u, 24u}) {
            // Seeds 23 and 24: a band of nearly even height, where whole groups of columns share their
            // rows, the second with the tops of a mesh's node pairs.
            SkylineSystem system = seed == 24u   ? SkylineSystem(size, seed, 60, 64, true)
                                   : seed == 23u ? SkylineSystem(size, seed, 60, 64)
                                                 : SkylineSystem(size, seed);
            std::vector<double> expected = system.A;
            ASSERT_EQ(reference::FactoriseReference(expected.data(), system.D.data(), system.n), 0);
            for (SolverKernel kernel :
                 {SolverKernel::Portable, SolverKernel::Wide, SolverKernel::Automatic}) {
                std::vector<double> A(system.A.size(), -7.0);
                ASSERT_EQ(
                    ColumnSolve(A.data(), nullptr, system.D.data(), system.n, 1, kernel, system.A.data()), 0);
                A[0] = expected[0];
                EXPECT_EQ(0, std::memcmp(A.data(), expected.data(), sizeof(double) * A.size()))
                    << "size " << size << " seed " << seed << " kernel " << int(kernel);
            }
        }
    }
}

TEST(ColumnSolve, KernelsFailAtTheReferenceColumnWithItsPivot) {
    SkylineSystem system(200, 31);
    // Column 123 made dependent on the one before it: the same column and pivot must be reported.
    const int j = 123;
    const int h = system.D[j + 1] - system.D[j] - 1;
    ASSERT_GE(h, 1);
    system.A[system.D[j] + 1] = std::sqrt(system.A[system.D[j]] * system.A[system.D[j - 1]]);
    std::vector<double> expected = system.A;
    const int failed = reference::FactoriseReference(expected.data(), system.D.data(), system.n);
    ASSERT_GT(failed, 0);
    for (SolverKernel kernel : {SolverKernel::Portable, SolverKernel::Wide}) {
        std::vector<double> A = system.A;
        EXPECT_EQ(ColumnSolve(A.data(), nullptr, system.D.data(), system.n, 1, kernel), failed);
        EXPECT_EQ(A[system.D[failed]], expected[system.D[failed]]);
        // Every column before it is final.
        EXPECT_EQ(0, std::memcmp(A.data() + 1, expected.data() + 1, sizeof(double) * (system.D[failed] - 1)));
    }
}

TEST(ColumnSolve, SubstitutionKernelsGiveTheSameBits) {
    // Ragged and banded profiles, counts around the block sizes; both kernels from the same factors.
    for (int size : {1, 2, 5, 8, 13, 64, 301}) {
        for (bool banded : {false, true}) {
            SkylineSystem system = banded ? SkylineSystem(size, 41, 60, 64, true) : SkylineSystem(size, 42);
            std::vector<double> A = system.A;
            ASSERT_EQ(ColumnSolve(A.data(), nullptr, system.D.data(), system.n, 1), 0);
            std::vector<double> load(system.n + 1);
            for (int i = 1; i <= system.n; ++i) load[i] = std::cos(0.3 * i) * std::pow(10.0, i % 5);
            std::vector<double> portable = load, wide = load;
            ColumnSolve(A.data(), portable.data(), system.D.data(), system.n, 2, SolverKernel::Portable);
            ColumnSolve(A.data(), wide.data(), system.D.data(), system.n, 2, SolverKernel::Wide);
            EXPECT_EQ(0, std::memcmp(portable.data(), wide.data(), sizeof(double) * portable.size()))
                << "size " << size << (banded ? " banded" : " ragged");
        }
    }
}
