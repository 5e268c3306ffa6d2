// Choice of the blocked factorisation's path at run time, and its work space.
#include "engine/BlockedFactor.h"

#include "engine/ColumnSolve.h"
#include "engine/PanelSchedule.h"
#include "engine/ThreadPool.h"

#include <cstdint>

namespace torva::engine {

bool BlockedIsaAvailable(BlockedIsa isa) {
#if defined(__x86_64__)
    switch (isa) {
    case BlockedIsa::Sse2:
        return true;
    case BlockedIsa::Avx2: {
        static const bool available = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        return available;
    }
    case BlockedIsa::Avx512: {
        static const bool available = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("fma");
        return available;
    }
    }
#endif
    (void)isa;
    return false;
}

BlockedIsa BestBlockedIsa() {
    if (BlockedIsaAvailable(BlockedIsa::Avx512)) return BlockedIsa::Avx512;
    if (BlockedIsaAvailable(BlockedIsa::Avx2)) return BlockedIsa::Avx2;
    return BlockedIsa::Sse2;
}

const char* BlockedIsaName(BlockedIsa isa) {
    switch (isa) {
    case BlockedIsa::Sse2:
        return "SSE2";
    case BlockedIsa::Avx2:
        return "AVX2";
    case BlockedIsa::Avx512:
        return "AVX-512";
    }
    return "?";
}

BlockedFactoriser::BlockedFactoriser(int maxEquations) : maxEquations_(maxEquations) {}

double* BlockedFactoriser::Workspace(int n) {
    // Room for the alignment below too. Grown zeroed, as a new one would be.
    const std::size_t needed = std::size_t(blocked::WorkspaceSize(n)) + 8;
    if (buffer_.size() < needed) buffer_.assign(needed, 0.0);
    // The packed panels are read in whole vectors: 64-byte aligned.
    const auto address = reinterpret_cast<std::uintptr_t>(buffer_.data());
    return buffer_.data() + ((64 - address % 64) % 64) / sizeof(double);
}

int BlockedFactoriser::Factorise(double* A, const int32_t* D, int n, const double* source) {
    return Factorise(A, D, n, source, BestBlockedIsa());
}

int BlockedFactoriser::Factorise(double* A, const int32_t* D, int n, const double* source, BlockedIsa isa,
                                 double* y) {
    if (n > maxEquations_) return blocked::FactoriseAndEliminate(A, D, n, source, y);
    double* work = Workspace(n);
    if (!BlockedIsaAvailable(isa)) isa = BestBlockedIsa();
#if defined(__x86_64__)
    switch (isa) {
    case BlockedIsa::Avx512:
        return blocked::FactoriseAvx512(A, D, n, source, y, work);
    case BlockedIsa::Avx2:
        return blocked::FactoriseAvx2(A, D, n, source, y, work);
    case BlockedIsa::Sse2:
        return blocked::FactoriseSse2(A, D, n, source, y, work);
    }
#endif
    return blocked::FactoriseAndEliminate(A, D, n, source, y);
}

int BlockedFactoriser::FactoriseResident(const PanelLayout& layout, const int32_t* D, const double* K,
                                         double* F, BlockedIsa isa, double* y, ThreadPool* pool) {
    double* work = Workspace(layout.Equations());
    const blocked::ResidentEntry entry = blocked::ResidentEntryOf(isa);
    lastShareStalled_ = false;
    if (entry == nullptr) return -1;
    if (pool == nullptr || pool->Threads() < 2) return entry(layout, D, K, F, y, work, 0, nullptr);
    // The work space holds the packed rows of two threads (its second half is the skyline kernel's
    // store of U, which the resident kernel does not use).
    PanelSchedule schedule;
    pool->ParallelFor(2, 1, [&](int begin, int end) {
        for (int part = begin; part < end; ++part) entry(layout, D, K, F, y, work, part, &schedule);
    });
    lastShareStalled_ = schedule.Stalled();
    return schedule.FailedColumn();
}

void SubstituteResident(const PanelLayout& layout, const int32_t* D, const double* F, double* y,
                        BlockedIsa isa, int rightHandSides, bool eliminated) {
#if defined(__x86_64__)
    switch (isa) {
    case BlockedIsa::Avx512:
        return blocked::SubstituteResidentAvx512(layout, D, F, y, eliminated, rightHandSides);
    case BlockedIsa::Avx2:
        return blocked::SubstituteResidentAvx2(layout, D, F, y, eliminated, rightHandSides);
    case BlockedIsa::Sse2:
        return blocked::SubstituteResidentSse2(layout, D, F, y, eliminated, rightHandSides);
    }
#endif
    (void)layout, (void)D, (void)F, (void)y, (void)isa, (void)rightHandSides, (void)eliminated;
}

void BackSubstitute(const double* A, const int32_t* D, int n, double* y) {
    ColumnSolve(const_cast<double*>(A), y, D, n, 3);
}

namespace blocked {

ResidentEntry ResidentEntryOf(BlockedIsa isa) {
#if defined(__x86_64__)
    switch (isa) {
    case BlockedIsa::Avx512:
        return FactoriseResidentAvx512;
    case BlockedIsa::Avx2:
        return FactoriseResidentAvx2;
    case BlockedIsa::Sse2:
        return FactoriseResidentSse2;
    }
#endif
    (void)isa;
    return nullptr;
}

int FactoriseAndEliminate(double* A, const int32_t* D, int n, const double* source, double* y) {
    const int failed = ColumnSolve(A, nullptr, D, n, 1, SolverKernel::Automatic, source);
    if (failed != 0 || y == nullptr) return failed;
    for (int j = 2; j <= n; ++j) {
        const int height = D[j + 1] - D[j] - 1;
        double sum = 0.0;
        for (int k = 1; k <= height; ++k) sum += A[D[j] + k] * y[j - k];
        y[j] -= sum;
    }
    return 0;
}

} // namespace blocked

} // namespace torva::engine
