// The blocked factorisation on every instruction-set path this processor runs: agreement with the
// reference two-column factorisation to round-off, reconstruction of the matrix from its factors,
// solutions, the failing column of singular matrices, and factorising a copy of a source.
#include "engine/BlockedFactor.h"

#include "ReferenceColumnSolve.h"
#include "SkylineSystem.h"
#include "engine/ColumnSolve.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace torva::engine;
namespace reference = torva::engine::test::reference;
using torva::engine::test::PathsHere;
using torva::engine::test::Profile;
using torva::engine::test::SkylineSystem;

namespace {

// L(k, j) of factors in profile form (1-based, k <= j).
double Unit(const std::vector<double>& A, const std::vector<int32_t>& D, int k, int j) {
    if (k == j) return 1.0;
    const int h = D[j + 1] - D[j] - 1;
    return j - k <= h ? A[D[j] + j - k] : 0.0;
}

std::string Name(BlockedIsa isa) {
    return BlockedIsaName(isa);
}

} // namespace

TEST(BlockedFactor, TheBaselinePathRunsEverywhere) {
    EXPECT_TRUE(BlockedIsaAvailable(BlockedIsa::Sse2));
    EXPECT_TRUE(BlockedIsaAvailable(BestBlockedIsa()));
}

// Pivots within 1e-10 relative of the reference's, and U within 1e-10 of it relative to the largest
// term of its column (a term that cancels to near zero has no relative accuracy to keep): sizes around
// every panel width and row tile, so that partial panels and partial tiles are all met.
TEST(BlockedFactor, FactorsAgreeWithTheReference) {
    BlockedFactoriser factoriser(400);
    for (BlockedIsa isa : PathsHere())
        for (int size : {1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 15, 16, 17, 31, 33, 64, 250, 301})
            for (int kind = 0; kind < 3; ++kind) {
                const SkylineSystem system = Profile(size, kind, 100 + size);
                std::vector<double> expected = system.A, A = system.A;
                ASSERT_EQ(reference::FactoriseReference(expected.data(), system.D.data(), system.n), 0);
                ASSERT_EQ(factoriser.Factorise(A.data(), system.D.data(), system.n, nullptr, isa), 0)
                    << Name(isa) << " size " << size;
                double worstPivot = 0, worstUnit = 0;
                for (int j = 1; j <= system.n; ++j) {
                    const int d = system.D[j];
                    worstPivot = std::max(worstPivot, std::fabs(A[d] - expected[d]) / std::fabs(expected[d]));
                    double largest = 0, difference = 0;
                    for (int p = d + 1; p < system.D[j + 1]; ++p) {
                        largest = std::max(largest, std::fabs(expected[p]));
                        difference = std::max(difference, std::fabs(A[p] - expected[p]));
                    }
                    if (largest > 0) worstUnit = std::max(worstUnit, difference / largest);
                }
                EXPECT_LT(worstPivot, 1e-10) << Name(isa) << " size " << size << " kind " << kind;
                EXPECT_LT(worstUnit, 1e-10) << Name(isa) << " size " << size << " kind " << kind;
            }
}

// L D L' = K term by term, relative to sqrt(K(i, i) K(j, j)) (the matrix is scaled by 1e-3 .. 1e3).
TEST(BlockedFactor, FactorsReconstructTheMatrix) {
    BlockedFactoriser factoriser(200);
    for (BlockedIsa isa : PathsHere())
        for (int kind = 0; kind < 3; ++kind) {
            const SkylineSystem system = Profile(90, kind, 7 + kind);
            std::vector<double> A = system.A;
            ASSERT_EQ(factoriser.Factorise(A.data(), system.D.data(), system.n, nullptr, isa), 0);
            const int n = system.n;
            double worst = 0;
            for (int i = 1; i <= n; ++i)
                for (int j = i; j <= n; ++j) {
                    double sum = 0.0;
                    for (int k = 1; k <= i; ++k)
                        sum += Unit(A, system.D, k, i) * A[system.D[k]] * Unit(A, system.D, k, j);
                    const double expected = system.dense[(i - 1) * n + (j - 1)];
                    const double scale =
                        std::sqrt(system.dense[(i - 1) * (n + 1)] * system.dense[(j - 1) * (n + 1)]);
                    worst = std::max(worst, std::fabs(sum - expected) / scale);
                }
            EXPECT_LT(worst, 1e-13) << Name(isa) << " kind " << kind;
        }
}

// K u = f through the blocked factors and the substitution, on badly scaled systems.
TEST(BlockedFactor, SolvesBadlyScaledSystems) {
    BlockedFactoriser factoriser(600);
    for (BlockedIsa isa : PathsHere())
        for (unsigned seed : {1u, 2u}) {
            const SkylineSystem system = Profile(500, int(seed), seed);
            std::vector<double> exact(system.n + 1);
            for (int i = 1; i <= system.n; ++i) exact[i] = std::sin(0.37 * i) * std::pow(10.0, i % 7 - 3);
            const std::vector<double> f = system.Multiply(exact);
            std::vector<double> A = system.A, V = f;
            ASSERT_EQ(factoriser.Factorise(A.data(), system.D.data(), system.n, nullptr, isa), 0);
            ColumnSolve(A.data(), V.data(), system.D.data(), system.n, 2);
            const std::vector<double> Ku = system.Multiply(V);
            double residual = 0, norm = 0;
            for (int i = 1; i <= system.n; ++i) {
                residual = std::max(residual, std::fabs(Ku[i] - f[i]));
                norm = std::max(norm, std::fabs(f[i]));
            }
            EXPECT_LT(residual, 1e-12 * norm) << Name(isa) << " seed " << seed;
        }
}

// The load eliminated during the factorisation and the solve ended by BackSubstitute: the same
// solution as the separate substitution to round-off, and K u = f, on every path, on profiles whose
// panels start above their rows (ragged, banded, paired tops), and past the factoriser's size (the
// column-by-column fallback). The factors are those of a plain Factorise, bit for bit.
TEST(BlockedFactor, EliminationDuringTheFactorisationSolves) {
    BlockedFactoriser factoriser(450);
    for (BlockedIsa isa : PathsHere())
        for (int kind = 0; kind < 3; ++kind) {
            const SkylineSystem system = Profile(kind == 2 ? 500 : 437, kind, 7u + unsigned(kind));
            std::vector<double> exact(system.n + 1);
            for (int i = 1; i <= system.n; ++i) exact[i] = std::cos(0.21 * i) * std::pow(10.0, i % 5 - 2);
            const std::vector<double> f = system.Multiply(exact);
            std::vector<double> A = system.A, V = f, fused = f, plain = system.A;
            ASSERT_EQ(factoriser.Factorise(plain.data(), system.D.data(), system.n, nullptr, isa), 0);
            ColumnSolve(plain.data(), V.data(), system.D.data(), system.n, 2);
            ASSERT_EQ(factoriser.Factorise(A.data(), system.D.data(), system.n, nullptr, isa, fused.data()),
                      0);
            EXPECT_EQ(A, plain) << Name(isa) << " kind " << kind;
            BackSubstitute(A.data(), system.D.data(), system.n, fused.data());
            const std::vector<double> Ku = system.Multiply(fused);
            double residual = 0, norm = 0, gap = 0, size = 0;
            for (int i = 1; i <= system.n; ++i) {
                residual = std::max(residual, std::fabs(Ku[i] - f[i]));
                norm = std::max(norm, std::fabs(f[i]));
                gap = std::max(gap, std::fabs(fused[i] - V[i]));
                size = std::max(size, std::fabs(V[i]));
            }
            EXPECT_LT(residual, 1e-12 * norm) << Name(isa) << " kind " << kind;
            EXPECT_LT(gap, 1e-10 * size)
                << Name(isa) << " kind " << kind; // these systems are ill-conditioned
            EXPECT_GT(gap, 0.0) << "the sums run in another order: " << Name(isa) << " kind " << kind;
        }
}

// A column made dependent on the one before it, at several places in a panel (first, inside, last):
// the reference's column is reported, its pivot is near zero as the reference's, and every column
// before it is final; a load to eliminate changes none of it.
TEST(BlockedFactor, SingularMatricesFailAtTheReferenceColumn) {
    BlockedFactoriser factoriser(300);
    for (BlockedIsa isa : PathsHere())
        for (int j : {2, 17, 64, 123, 160, 199}) {
            SkylineSystem system = Profile(200, j % 3, 31);
            ASSERT_GE(system.D[j + 1] - system.D[j] - 1, 1);
            // K(j - 1, j) = sqrt(K(j - 1, j - 1) K(j, j)) makes the 2 × 2 block singular; a zero row
            // above it keeps column j's top term the only coupling.
            const int d = system.D[j];
            for (int p = d + 2; p < system.D[j + 1]; ++p) system.A[p] = 0.0;
            system.A[d + 1] = std::sqrt(system.A[d] * system.A[system.D[j - 1]]);
            for (int p = system.D[j - 1] + 1; p < d; ++p) system.A[p] = 0.0;
            std::vector<double> expected = system.A, A = system.A;
            const int failed = reference::FactoriseReference(expected.data(), system.D.data(), system.n);
            ASSERT_EQ(failed, j);
            EXPECT_EQ(factoriser.Factorise(A.data(), system.D.data(), system.n, nullptr, isa), failed)
                << Name(isa) << " column " << j;
            // With a load to eliminate: the same column, and the same factors before it.
            std::vector<double> withLoad = system.A, y(system.n + 1, 1.0);
            EXPECT_EQ(
                factoriser.Factorise(withLoad.data(), system.D.data(), system.n, nullptr, isa, y.data()),
                failed)
                << Name(isa) << " column " << j;
            for (int p = 1; p < d; ++p) ASSERT_EQ(withLoad[p], A[p]) << Name(isa) << " column " << j;
            EXPECT_LT(std::fabs(A[d]), 1e-11 * system.A[d]) << Name(isa) << " column " << j;
            for (int p = 1; p < d; ++p)
                EXPECT_NEAR(A[p], expected[p], 1e-10 * std::fabs(expected[p]) + 1e-300)
                    << Name(isa) << " column " << j << " term " << p;
        }
}

TEST(BlockedFactor, PivotTestIsRelativeToTheDiagonal) {
    BlockedFactoriser factoriser(4);
    std::vector<int32_t> D = {0, 1, 2, 4};
    for (BlockedIsa isa : PathsHere()) {
        auto factorise = [&](double k22) {
            std::vector<double> A = {0, 1.0e6, k22, 1.0e6}; // K = [1e6 1e6; 1e6 k22]
            return factoriser.Factorise(A.data(), D.data(), 2, nullptr, isa);
        };
        EXPECT_EQ(factorise(1.0e6 * (1.0 + 1e-13)), 2) << Name(isa);
        EXPECT_EQ(factorise(1.0e6), 2) << Name(isa);
        EXPECT_EQ(factorise(1.0e6 * (1.0 + 1e-9)), 0) << Name(isa);
        EXPECT_EQ(factorise(std::nan("")), 2) << Name(isa);
        std::vector<double> first = {0, 0.0, 4.0, 1.0}; // K = [0 1; 1 4]: column 1, nothing written
        const std::vector<double> original = first;
        EXPECT_EQ(factoriser.Factorise(first.data(), D.data(), 2, nullptr, isa), 1) << Name(isa);
        EXPECT_EQ(first, original) << Name(isa);
    }
}

// With a source, the factors land in A, bit for bit those of the in-place run, and the source is
// left as it was.
TEST(BlockedFactor, FactorisesACopyOfItsSource) {
    BlockedFactoriser factoriser(200);
    for (BlockedIsa isa : PathsHere()) {
        const SkylineSystem system = Profile(150, 2, 11);
        std::vector<double> inPlace = system.A, copy(system.A.size(), -1.0);
        const std::vector<double> source = system.A;
        ASSERT_EQ(factoriser.Factorise(inPlace.data(), system.D.data(), system.n, nullptr, isa), 0);
        ASSERT_EQ(factoriser.Factorise(copy.data(), system.D.data(), system.n, source.data(), isa), 0);
        EXPECT_EQ(std::vector<double>(copy.begin() + 1, copy.end()),
                  std::vector<double>(inPlace.begin() + 1, inPlace.end()))
            << Name(isa);
        EXPECT_EQ(source, system.A) << Name(isa);
    }
}

// The work space grows with the systems met, never past what the largest one needs: a factoriser that
// grew through small systems gives a large one the same bits as a new one, and one that met only a
// small system holds only its share.
TEST(BlockedFactor, TheWorkSpaceGrowsToTheLargestSystemMet) {
    BlockedFactoriser grown(5000), fresh(5000);
    EXPECT_EQ(grown.WorkspaceDoubles(), 0u);
    const SkylineSystem small = Profile(40, 2, 5), large = Profile(700, 2, 6);
    std::vector<double> A = small.A;
    ASSERT_EQ(grown.Factorise(A.data(), small.D.data(), small.n), 0);
    const size_t afterSmall = grown.WorkspaceDoubles();
    EXPECT_GE(afterSmall, size_t(blocked::WorkspaceSize(small.n)));
    EXPECT_LT(afterSmall, size_t(blocked::WorkspaceSize(5000)) / 10);

    std::vector<double> byGrown = large.A, byFresh = large.A;
    ASSERT_EQ(grown.Factorise(byGrown.data(), large.D.data(), large.n), 0);
    ASSERT_EQ(fresh.Factorise(byFresh.data(), large.D.data(), large.n), 0);
    EXPECT_EQ(byGrown, byFresh);
    EXPECT_EQ(grown.WorkspaceDoubles(), fresh.WorkspaceDoubles());

    // Back to the small one: no shrinking, same factors as before.
    std::vector<double> again = small.A;
    ASSERT_EQ(grown.Factorise(again.data(), small.D.data(), small.n), 0);
    EXPECT_EQ(again, A);
    EXPECT_EQ(grown.WorkspaceDoubles(), fresh.WorkspaceDoubles());
}
