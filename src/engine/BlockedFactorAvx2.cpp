// The blocked factorisation on AVX2: panels of 8 columns, register tiles of 6 rows × two 4-lane registers,
// fused multiply-add.
#include "engine/BlockedFactor.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define TORVA_PANEL_TARGET __attribute__((target("avx2,fma")))
#include "engine/BlockedPanel.h"

namespace torva::engine::blocked {
namespace {

struct LanesAvx2 {
    using Vec = __m256d;
    static constexpr int kLanes = 4, kRows = 6;
    static TORVA_PANEL_INLINE Vec Load(const double* p) { return _mm256_load_pd(p); }
    static TORVA_PANEL_INLINE void Store(double* p, Vec v) { _mm256_store_pd(p, v); }
    static TORVA_PANEL_INLINE Vec Broadcast(double x) { return _mm256_set1_pd(x); }
    static TORVA_PANEL_INLINE Vec Zero() { return _mm256_setzero_pd(); }
    static TORVA_PANEL_INLINE Vec Sub(Vec a, Vec b) { return _mm256_sub_pd(a, b); }
    static TORVA_PANEL_INLINE Vec Add(Vec a, Vec b) { return _mm256_add_pd(a, b); }
    static TORVA_PANEL_INLINE Vec Mul(Vec a, Vec b) { return _mm256_mul_pd(a, b); }
    static TORVA_PANEL_INLINE Vec MulAdd(Vec a, Vec b, Vec c) { return _mm256_fmadd_pd(a, b, c); }
    static TORVA_PANEL_INLINE Vec LoadUnaligned(const double* p) { return _mm256_loadu_pd(p); }
    static TORVA_PANEL_INLINE void StoreUnaligned(double* p, Vec v) { _mm256_storeu_pd(p, v); }
    static TORVA_PANEL_INLINE __m256i Lanes(int lo, int hi) {
        const __m256i lane = _mm256_setr_epi64x(0, 1, 2, 3);
        return _mm256_andnot_si256(_mm256_cmpgt_epi64(_mm256_set1_epi64x(lo), lane),
                                   _mm256_cmpgt_epi64(_mm256_set1_epi64x(hi), lane));
    }
    // Lanes lo <= e < hi of p (0 <= lo, hi <= 4), zero elsewhere; the others are not read.
    static TORVA_PANEL_INLINE Vec LoadPart(const double* p, int lo, int hi) {
        return _mm256_maskload_pd(p, Lanes(lo, hi));
    }
    static TORVA_PANEL_INLINE void StorePart(double* p, Vec v, int lo, int hi) {
        _mm256_maskstore_pd(p, Lanes(lo, hi), v);
    }
    static TORVA_PANEL_INLINE void Transpose(Vec (&v)[4]) {
        const Vec t0 = _mm256_unpacklo_pd(v[0], v[1]), t1 = _mm256_unpackhi_pd(v[0], v[1]);
        const Vec t2 = _mm256_unpacklo_pd(v[2], v[3]), t3 = _mm256_unpackhi_pd(v[2], v[3]);
        v[0] = _mm256_permute2f128_pd(t0, t2, 0x20);
        v[1] = _mm256_permute2f128_pd(t1, t3, 0x20);
        v[2] = _mm256_permute2f128_pd(t0, t2, 0x31);
        v[3] = _mm256_permute2f128_pd(t1, t3, 0x31);
    }
};

} // namespace

TORVA_PANEL_TARGET int FactoriseAvx2(double* A, const int32_t* D, int n, const double* source, double* y,
                                     double* work) {
    return FactorisePanels<LanesAvx2>(A, D, n, source, y, work);
}

TORVA_PANEL_TARGET int FactoriseResidentAvx2(const PanelLayout& layout, const int32_t* D, const double* K,
                                             double* F, double* y, double* work, int part,
                                             PanelSchedule* schedule) {
    return FactoriseResidentPanels<LanesAvx2>(layout, D, K, F, y, work, part, schedule);
}

TORVA_PANEL_TARGET void SubstituteResidentAvx2(const PanelLayout& layout, const int32_t* D, const double* F,
                                               double* y, bool eliminated, int rightHandSides) {
    if (rightHandSides == 2)
        SubstituteResidentPanels<LanesAvx2, 2>(layout, D, F, y, eliminated);
    else
        SubstituteResidentPanels<LanesAvx2, 1>(layout, D, F, y, eliminated);
}

} // namespace torva::engine::blocked
#else
#include "engine/ColumnSolve.h"

namespace torva::engine::blocked {
int FactoriseAvx2(double* A, const int32_t* D, int n, const double* source, double* y, double*) {
    return FactoriseAndEliminate(A, D, n, source, y);
}
} // namespace torva::engine::blocked
#endif
