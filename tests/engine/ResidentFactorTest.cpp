// The factorisation and the substitutions in the resident panel-major layout, on every instruction-set
// path this processor runs: the same factors, bit for bit, as the blocked kernel working on the skyline
// profile (the same arithmetic in the same order, only the addressing differs), solutions of badly scaled
// systems, two right-hand sides in one pass, the failing column of singular matrices, and the layout's
// round trip; and the same factorisation shared by two threads.
#include "ReferenceColumnSolve.h"
#include "SkylineSystem.h"
#include "engine/BlockedFactor.h"
#include "engine/ColumnSolve.h"
#include "engine/PanelLayout.h"
#include "engine/PanelSchedule.h"
#include "engine/ThreadPool.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <latch>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace torva::engine;
namespace reference = torva::engine::test::reference;
using torva::engine::test::PathsHere;
using torva::engine::test::Profile;
using torva::engine::test::SkylineSystem;

namespace {

// A system's matrix in the resident layout, with a factors' store, both 64-byte aligned; the factors'
// store starts filled with a marker, to show what the factorisation writes.
struct Resident {
    PanelLayout layout;
    std::vector<double> kBuffer, fBuffer;
    double *K, *F;
    explicit Resident(const SkylineSystem& system) : layout(system.n) {
        layout.Build(system.D.data(), system.n);
        kBuffer.assign(layout.Size() + 8, 0.0);
        fBuffer.assign(layout.Size() + 8, 0.0);
        K = Aligned(kBuffer);
        F = Aligned(fBuffer);
        layout.Scatter(system.A.data(), system.D.data(), K);
    }
    static double* Aligned(std::vector<double>& buffer) {
        const auto address = reinterpret_cast<std::uintptr_t>(buffer.data());
        return buffer.data() + ((64 - address % 64) % 64) / sizeof(double);
    }
    std::vector<double> Factors(const SkylineSystem& system) const {
        std::vector<double> profile(system.A.size(), 0.0);
        layout.Gather(F, system.D.data(), profile.data());
        return profile;
    }
};

std::string Name(BlockedIsa isa, int size, int kind) {
    return std::string(BlockedIsaName(isa)) + " size " + std::to_string(size) + " kind " +
           std::to_string(kind);
}

} // namespace

// Scatter and Gather are inverse; the rectangle of each panel is zero outside the profile; rows start
// 128 bytes apart, so aligned storage keeps every row aligned.
TEST(PanelLayout, HoldsTheProfileAndZerosAroundIt) {
    for (int kind = 0; kind < 3; ++kind) {
        const SkylineSystem system = Profile(77, kind, 3u + unsigned(kind));
        PanelLayout layout(100);
        layout.Build(system.D.data(), system.n);
        EXPECT_EQ(layout.Size() % kPanelWidth, 0);
        std::vector<double> store(layout.Size(), 0.0), back(system.A.size(), 0.0);
        layout.Scatter(system.A.data(), system.D.data(), store.data());
        layout.Gather(store.data(), system.D.data(), back.data());
        EXPECT_EQ(std::vector<double>(back.begin() + 1, back.end()),
                  std::vector<double>(system.A.begin() + 1, system.A.end()));
        // Nothing but the profile's terms (all nonzero here) is in the store.
        const auto nonzero = [](double v) { return v != 0.0; };
        EXPECT_EQ(std::count_if(store.begin(), store.end(), nonzero),
                  std::count_if(system.A.begin() + 1, system.A.end(), nonzero))
            << "kind " << kind;
        for (int j = 1; j <= system.n; ++j) {
            const int top = j - (system.D[j + 1] - system.D[j] - 1);
            EXPECT_EQ(layout.Address(top, j) % kPanelWidth, (j - 1) % kPanelWidth);
            if (j > 1) {
                EXPECT_EQ(layout.Address(j, j) - layout.Address(j - 1, j), kPanelWidth);
            }
        }
        EXPECT_EQ(layout.ColumnsBegin(1), 0);
        EXPECT_EQ(layout.ColumnsEnd(system.n), layout.Size());
    }
}

// The factors equal those of the skyline kernel on the same path bit for bit, and so does a load
// eliminated during the factorisation: sizes around every panel width and row tile, ragged, banded and
// paired profiles.
TEST(ResidentFactor, FactorsAreTheSkylineKernelsBitForBit) {
    BlockedFactoriser factoriser(400);
    for (BlockedIsa isa : PathsHere())
        for (int size : {1, 2, 3, 5, 8, 9, 15, 16, 17, 31, 33, 48, 64, 250, 301})
            for (int kind = 0; kind < 3; ++kind) {
                const SkylineSystem system = Profile(size, kind, 200 + size);
                std::vector<double> skyline = system.A, y(system.n + 1), fused(system.n + 1);
                for (int i = 1; i <= system.n; ++i) y[i] = fused[i] = std::sin(1.3 * i);
                ASSERT_EQ(
                    factoriser.Factorise(skyline.data(), system.D.data(), system.n, nullptr, isa, y.data()),
                    0);
                Resident resident(system);
                ASSERT_EQ(factoriser.FactoriseResident(resident.layout, system.D.data(), resident.K,
                                                       resident.F, isa, fused.data()),
                          0)
                    << Name(isa, size, kind);
                const std::vector<double> factors = resident.Factors(system);
                EXPECT_EQ(std::vector<double>(factors.begin() + 1, factors.end()),
                          std::vector<double>(skyline.begin() + 1, skyline.end()))
                    << Name(isa, size, kind);
                EXPECT_EQ(fused, y) << Name(isa, size, kind);
            }
}

// K u = f through the resident factors and substitution, on badly scaled systems, against the exact
// solution and the skyline solve; two interleaved right-hand sides give each one's bits of a single
// solve; and the forward elimination done during the factorisation then the substitution from there
// agrees too.
TEST(ResidentFactor, SubstitutionSolvesOneOrTwoRightHandSides) {
    BlockedFactoriser factoriser(600);
    for (BlockedIsa isa : PathsHere())
        for (int kind = 0; kind < 3; ++kind) {
            const SkylineSystem system = Profile(kind == 2 ? 500 : 437, kind, 9u + unsigned(kind));
            const int n = system.n;
            std::vector<double> exact(n + 1), other(n + 1);
            for (int i = 1; i <= n; ++i) {
                exact[i] = std::cos(0.21 * i) * std::pow(10.0, i % 5 - 2);
                other[i] = 1.0 + 0.5 * std::sin(0.7 * i);
            }
            const std::vector<double> f = system.Multiply(exact), g = system.Multiply(other);
            Resident resident(system);
            ASSERT_EQ(
                factoriser.FactoriseResident(resident.layout, system.D.data(), resident.K, resident.F, isa),
                0);
            std::vector<double> u = f, v = g, pair(2 * n + 2);
            SubstituteResident(resident.layout, system.D.data(), resident.F, u.data(), isa);
            SubstituteResident(resident.layout, system.D.data(), resident.F, v.data(), isa);
            for (int i = 1; i <= n; ++i) pair[2 * i] = f[i], pair[2 * i + 1] = g[i];
            SubstituteResident(resident.layout, system.D.data(), resident.F, pair.data(), isa, 2);

            std::vector<double> skyline = system.A, V = f;
            ASSERT_EQ(factoriser.Factorise(skyline.data(), system.D.data(), n, nullptr, isa), 0);
            ColumnSolve(skyline.data(), V.data(), system.D.data(), n, 2);
            const std::vector<double> Ku = system.Multiply(u);
            double residual = 0, norm = 0, gap = 0, size = 0;
            for (int i = 1; i <= n; ++i) {
                residual = std::max(residual, std::fabs(Ku[i] - f[i]));
                norm = std::max(norm, std::fabs(f[i]));
                gap = std::max(gap, std::fabs(u[i] - V[i]));
                size = std::max(size, std::fabs(V[i]));
                ASSERT_EQ(pair[2 * i], u[i]) << Name(isa, n, kind) << " term " << i;
                ASSERT_EQ(pair[2 * i + 1], v[i]) << Name(isa, n, kind) << " term " << i;
                EXPECT_NEAR(v[i], other[i], 1e-9) << Name(isa, n, kind) << " term " << i;
            }
            EXPECT_LT(residual, 1e-12 * norm) << Name(isa, n, kind);
            EXPECT_LT(gap, 1e-10 * size) << Name(isa, n, kind);
        }
}

// A column made dependent on the one before it, at several places in a panel: the reference's column
// is reported, its pivot near zero lands at its diagonal in the factors' store, and the columns before
// it are the skyline kernel's bit for bit.
TEST(ResidentFactor, SingularMatricesFailAtTheReferenceColumn) {
    BlockedFactoriser factoriser(300);
    for (BlockedIsa isa : PathsHere())
        for (int j : {2, 16, 17, 64, 123, 160, 199}) {
            SkylineSystem system = Profile(200, j % 3, 31);
            ASSERT_GE(system.D[j + 1] - system.D[j] - 1, 1);
            const int d = system.D[j];
            for (int p = d + 2; p < system.D[j + 1]; ++p) system.A[p] = 0.0;
            system.A[d + 1] = std::sqrt(system.A[d] * system.A[system.D[j - 1]]);
            for (int p = system.D[j - 1] + 1; p < d; ++p) system.A[p] = 0.0;
            std::vector<double> expected = system.A, skyline = system.A;
            ASSERT_EQ(reference::FactoriseReference(expected.data(), system.D.data(), system.n), j);
            ASSERT_EQ(factoriser.Factorise(skyline.data(), system.D.data(), system.n, nullptr, isa), j);
            Resident resident(system);
            EXPECT_EQ(
                factoriser.FactoriseResident(resident.layout, system.D.data(), resident.K, resident.F, isa),
                j)
                << BlockedIsaName(isa) << " column " << j;
            const double pivot = resident.F[resident.layout.Address(j, j)];
            EXPECT_EQ(pivot, skyline[d]) << BlockedIsaName(isa) << " column " << j;
            EXPECT_LT(std::fabs(pivot), 1e-11 * system.A[d]) << BlockedIsaName(isa) << " column " << j;
            const std::vector<double> factors = resident.Factors(system);
            for (int p = 1; p < d; ++p)
                ASSERT_EQ(factors[p], skyline[p]) << BlockedIsaName(isa) << " term " << p;
        }
}

// Both parts of a shared factorisation on threads of their own, let go at the same moment (so that they
// overlap from the first panel, which the pool's sleeping worker seldom does), the second after `delay`.
int FactoriseInTwoParts(BlockedIsa isa, Resident& resident, const SkylineSystem& system, double* y,
                        std::chrono::microseconds delay = {}) {
    std::vector<double> buffer(blocked::WorkspaceSize(system.n) + 8, 0.0);
    double* work = Resident::Aligned(buffer);
    PanelSchedule schedule;
    std::latch start(2);
    auto part = [&](int which) {
        start.arrive_and_wait();
        if (which == 1) std::this_thread::sleep_for(delay);
        blocked::ResidentEntryOf(isa)(resident.layout, system.D.data(), resident.K, resident.F, y, work,
                                      which, &schedule);
    };
    std::thread other(part, 1);
    part(0);
    other.join();
    return schedule.FailedColumn();
}

// Two threads sharing the panels write the one-thread factors and eliminated load, bit for bit, over the
// whole store, through the pool and with both parts let go together or one late; repeated, since the
// threads meet at different points each time.
TEST(ResidentFactor, TwoThreadsGiveTheOneThreadFactorsBitForBit) {
    BlockedFactoriser one(1200), two(1200);
    ThreadPool pool(2);
    for (BlockedIsa isa : PathsHere())
        for (int size : {1, 2, 17, 33, 250, 1200})
            for (int kind = 0; kind < 3; ++kind) {
                const SkylineSystem system = Profile(size, kind, 500 + size);
                std::vector<double> y(system.n + 1);
                for (int i = 1; i <= system.n; ++i) y[i] = std::cos(0.9 * i);
                Resident expected(system);
                std::vector<double> eliminated = y;
                ASSERT_EQ(one.FactoriseResident(expected.layout, system.D.data(), expected.K, expected.F, isa,
                                                eliminated.data()),
                          0);
                for (int round = 0; round < 6; ++round) {
                    Resident shared(system);
                    std::vector<double> fused = y;
                    const int failed =
                        round == 0 ? two.FactoriseResident(shared.layout, system.D.data(), shared.K, shared.F,
                                                           isa, fused.data(), &pool)
                                   : FactoriseInTwoParts(isa, shared, system, fused.data(),
                                                         std::chrono::microseconds(round == 5 ? 300 : 0));
                    ASSERT_EQ(failed, 0) << Name(isa, size, kind);
                    ASSERT_EQ(0, std::memcmp(shared.F, expected.F, sizeof(double) * expected.layout.Size()))
                        << Name(isa, size, kind) << " round " << round;
                    ASSERT_EQ(fused, eliminated) << Name(isa, size, kind) << " round " << round;
                }
            }
}

// Two failing columns: the first is reported with its pivot, and the columns before it are the
// one-thread factors. In the diagonal matrix no panel waits for another, so the later failure is often
// found first; in the banded one the panels depend on each other.
TEST(ResidentFactor, TwoThreadsFailAtTheFirstFailingColumn) {
    BlockedFactoriser one(300), two(300);
    ThreadPool pool(2);
    for (BlockedIsa isa : PathsHere())
        for (int highest : {0, 60})
            for (auto [first, second] : {std::pair{40, 150}, std::pair{3, 4}, std::pair{200, 17 * 11}}) {
                const int a = std::min(first, second), b = std::max(first, second);
                SkylineSystem system(256, 77, highest == 0 ? 0 : 30, highest);
                system.A[system.D[a]] = -system.A[system.D[a]];
                system.A[system.D[b]] = -system.A[system.D[b]];
                Resident expected(system);
                ASSERT_EQ(
                    one.FactoriseResident(expected.layout, system.D.data(), expected.K, expected.F, isa), a);
                const std::vector<double> before = expected.Factors(system);
                for (int round = 0; round < 20; ++round) {
                    Resident shared(system);
                    ASSERT_EQ(round % 2 == 0 ? two.FactoriseResident(shared.layout, system.D.data(), shared.K,
                                                                     shared.F, isa, nullptr, &pool)
                                             : FactoriseInTwoParts(isa, shared, system, nullptr),
                              a)
                        << BlockedIsaName(isa) << " columns " << a << ", " << b << " round " << round;
                    EXPECT_EQ(shared.F[shared.layout.Address(a, a)],
                              expected.F[expected.layout.Address(a, a)]);
                    const std::vector<double> factors = shared.Factors(system);
                    for (int p = 1; p < system.D[a]; ++p)
                        ASSERT_EQ(factors[p], before[p]) << BlockedIsaName(isa) << " term " << p;
                }
            }
}
