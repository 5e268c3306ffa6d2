#pragma once
// The blocked skyline LDL' factorisation: the same storage, pivot test and outcome as ColumnSolve's
// mode 1 (see ColumnSolve.h), faster, with a different summation order. Columns go in panels of 4, 8
// or 16 (SSE2, AVX2 + FMA, AVX-512); a panel is reduced by the factorised columns above it as small
// dense products in registers. The engine keeps the matrix and its factors in the kernel's own
// panel-major layout (PanelLayout.h, FactoriseResident), so that nothing is copied in or written back;
// on a skyline profile (Factorise) the same arithmetic gives the same factors bit for bit. The factors
// agree with ColumnSolve's to round-off (not bit for bit, and not bit for bit between instruction
// sets); a failing pivot is found at the same column as long as the pivot is not within round-off of
// the threshold.
#include "engine/PanelLayout.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace torva::engine {

class PanelSchedule;
class ThreadPool;

enum class BlockedIsa { Sse2, Avx2, Avx512 };

// Whether the path can run on this processor (none can off x86-64).
bool BlockedIsaAvailable(BlockedIsa isa);
// The widest path this processor runs; Sse2 on every x86-64.
BlockedIsa BestBlockedIsa();
const char* BlockedIsaName(BlockedIsa isa);

// Owns the packed panels and the inverse pivots for up to `maxEquations` equations. The work space
// grows to what the largest system factorised so far needs, so an engine built for the largest model
// holds only what its models use, and a factorisation allocates only when it meets a larger system.
class BlockedFactoriser {
public:
    explicit BlockedFactoriser(int maxEquations);
    // Doubles of work space held now.
    std::size_t WorkspaceDoubles() const { return buffer_.size(); }

    // As ColumnSolve mode 1: 0 when the whole profile is factorised, else the failing column j (A(D(j))
    // then holds its pivot, the columns before it are final, the ones after it unfactorised). With a
    // `source`, the profile is read from there and the factors written into A. n <= maxEquations; an
    // isa that cannot run here falls back to the best one that can.
    int Factorise(double* A, const int32_t* D, int n, const double* source = nullptr);
    // With a right-hand side y (1-based, n values, or null): on success y also holds the forward
    // elimination L^-1 y, done panel by panel while the factors are in the cache; BackSubstitute ends
    // the solve.
    int Factorise(double* A, const int32_t* D, int n, const double* source, BlockedIsa isa,
                  double* y = nullptr);
    // The same in the resident layout (PanelLayout.h), nothing copied: K's store is read, the factors
    // go into F's (both 64-byte aligned, layout.Size() doubles, F's terms outside the profile zero).
    // The failing column j's pivot is then at F(layout.Address(j, j)). The isa must run here, and the
    // layout's equations be <= maxEquations.
    // With a pool of two or more threads, two of them share the panels (PanelSchedule.h): the same
    // factors and outcome, bit for bit.
    int FactoriseResident(const PanelLayout& layout, const int32_t* D, const double* K, double* F,
                          BlockedIsa isa, double* y = nullptr, ThreadPool* pool = nullptr);
    // The last FactoriseResident was shared and one thread slept waiting for the other.
    bool LastShareStalled() const { return lastShareStalled_; }

private:
    double* Workspace(int n); // 64-byte aligned, WorkspaceSize(n) doubles

    int maxEquations_;
    std::vector<double> buffer_;
    bool lastShareStalled_ = false;
};

// The rest of a solve after Factorise with a right-hand side: y(j) /= d(j), then the backward pass,
// y(i) -= U(i, j) y(j) from the last column to the first.
void BackSubstitute(const double* A, const int32_t* D, int n, double* y);

// With the resident factors F: y becomes K^-1 y. rightHandSides 2: two interleaved (term i of each at
// y[2i], y[2i + 1], as SubstitutePair). `eliminated`: y is L^-1 y already (FactoriseResident's). The
// isa must run here.
void SubstituteResident(const PanelLayout& layout, const int32_t* D, const double* F, double* y,
                        BlockedIsa isa, int rightHandSides = 1, bool eliminated = false);

namespace blocked {
// The entries of each path (BlockedFactorSse2.cpp, ...). `work`: 64-byte aligned, WorkspaceSize(n)
// doubles.
int FactoriseSse2(double* A, const int32_t* D, int n, const double* source, double* y, double* work);
int FactoriseAvx2(double* A, const int32_t* D, int n, const double* source, double* y, double* work);
int FactoriseAvx512(double* A, const int32_t* D, int n, const double* source, double* y, double* work);
// With a schedule, one of the two threads sharing the panels (`part` 0 or 1; PanelSchedule.h).
int FactoriseResidentSse2(const PanelLayout& layout, const int32_t* D, const double* K, double* F, double* y,
                          double* work, int part, PanelSchedule* schedule);
int FactoriseResidentAvx2(const PanelLayout& layout, const int32_t* D, const double* K, double* F, double* y,
                          double* work, int part, PanelSchedule* schedule);
int FactoriseResidentAvx512(const PanelLayout& layout, const int32_t* D, const double* K, double* F,
                            double* y, double* work, int part, PanelSchedule* schedule);
void SubstituteResidentSse2(const PanelLayout& layout, const int32_t* D, const double* F, double* y,
                            bool eliminated, int rightHandSides);
void SubstituteResidentAvx2(const PanelLayout& layout, const int32_t* D, const double* F, double* y,
                            bool eliminated, int rightHandSides);
void SubstituteResidentAvx512(const PanelLayout& layout, const int32_t* D, const double* F, double* y,
                              bool eliminated, int rightHandSides);
// The resident entry of a path, as FactoriseResident calls it; null off x86-64.
using ResidentEntry = int (*)(const PanelLayout& layout, const int32_t* D, const double* K, double* F,
                              double* y, double* work, int part, PanelSchedule* schedule);
ResidentEntry ResidentEntryOf(BlockedIsa isa);
// Where no path runs: the column-by-column factorisation, then the forward elimination of y (if any).
int FactoriseAndEliminate(double* A, const int32_t* D, int n, const double* source, double* y);
// Doubles of work space for n equations with panels up to 16 wide.
constexpr long WorkspaceSize(int n) {
    return (n + 2 + 8) + 2L * (n + 16) * 16;
}
} // namespace blocked

} // namespace torva::engine
