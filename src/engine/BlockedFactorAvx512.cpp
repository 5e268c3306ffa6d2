// The blocked factorisation on AVX-512: panels of 16 columns, register tiles of 8 rows × two 8-lane
// registers, fused multiply-add.
#include "engine/BlockedFactor.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define TORVA_PANEL_TARGET __attribute__((target("avx512f,fma")))
#include "engine/BlockedPanel.h"

namespace torva::engine::blocked {
namespace {

struct LanesAvx512 {
    using Vec = __m512d;
    static constexpr int kLanes = 8, kRows = 8;
    static TORVA_PANEL_INLINE Vec Load(const double* p) { return _mm512_load_pd(p); }
    static TORVA_PANEL_INLINE void Store(double* p, Vec v) { _mm512_store_pd(p, v); }
    static TORVA_PANEL_INLINE Vec Broadcast(double x) { return _mm512_set1_pd(x); }
    static TORVA_PANEL_INLINE Vec Zero() { return _mm512_setzero_pd(); }
    static TORVA_PANEL_INLINE Vec Sub(Vec a, Vec b) { return _mm512_sub_pd(a, b); }
    static TORVA_PANEL_INLINE Vec Add(Vec a, Vec b) { return _mm512_add_pd(a, b); }
    static TORVA_PANEL_INLINE Vec Mul(Vec a, Vec b) { return _mm512_mul_pd(a, b); }
    static TORVA_PANEL_INLINE Vec MulAdd(Vec a, Vec b, Vec c) { return _mm512_fmadd_pd(a, b, c); }
    static TORVA_PANEL_INLINE Vec LoadUnaligned(const double* p) { return _mm512_loadu_pd(p); }
    static TORVA_PANEL_INLINE void StoreUnaligned(double* p, Vec v) { _mm512_storeu_pd(p, v); }
    static TORVA_PANEL_INLINE __mmask8 Lanes(int lo, int hi) {
        return __mmask8(((1u << hi) - 1u) & ~((1u << lo) - 1u));
    }
    // Lanes lo <= e < hi of p (0 <= lo, hi <= 8), zero elsewhere; the others are not read.
    static TORVA_PANEL_INLINE Vec LoadPart(const double* p, int lo, int hi) {
        return _mm512_maskz_loadu_pd(Lanes(lo, hi), p);
    }
    static TORVA_PANEL_INLINE void StorePart(double* p, Vec v, int lo, int hi) {
        _mm512_mask_storeu_pd(p, Lanes(lo, hi), v);
    }
    // The unmasked shuffles read an "undefined" vector that GCC then reports as uninitialised; all
    // lanes selected compiles to the same instructions.
    static constexpr __mmask8 kAll = 0xFF;
    static TORVA_PANEL_INLINE void Transpose(Vec (&v)[8]) {
        Vec t[8], u[8];
        for (int k = 0; k < 8; k += 2) {
            t[k] = _mm512_maskz_unpacklo_pd(kAll, v[k], v[k + 1]); // (v[k][0], v[k + 1][0], v[k][2], ...)
            t[k + 1] = _mm512_maskz_unpackhi_pd(kAll, v[k], v[k + 1]);
        }
        for (int k = 0; k < 8; k += 4)
            for (int odd = 0; odd < 2; ++odd) {
                u[k + odd] = _mm512_maskz_shuffle_f64x2(kAll, t[k + odd], t[k + 2 + odd], 0x88);
                u[k + 2 + odd] = _mm512_maskz_shuffle_f64x2(kAll, t[k + odd], t[k + 2 + odd], 0xDD);
            }
        // u[0]: elements 0 and 4 of rows 0-3, u[1]: 1 and 5, u[2]: 2 and 6, u[3]: 3 and 7; u[4..7] rows 4-7.
        for (int e = 0; e < 4; ++e) {
            v[e] = _mm512_maskz_shuffle_f64x2(kAll, u[e], u[e + 4], 0x88);
            v[e + 4] = _mm512_maskz_shuffle_f64x2(kAll, u[e], u[e + 4], 0xDD);
        }
    }
};

} // namespace

TORVA_PANEL_TARGET int FactoriseAvx512(double* A, const int32_t* D, int n, const double* source, double* y,
                                       double* work) {
    return FactorisePanels<LanesAvx512>(A, D, n, source, y, work);
}

TORVA_PANEL_TARGET int FactoriseResidentAvx512(const PanelLayout& layout, const int32_t* D, const double* K,
                                               double* F, double* y, double* work, int part,
                                               PanelSchedule* schedule) {
    return FactoriseResidentPanels<LanesAvx512>(layout, D, K, F, y, work, part, schedule);
}

TORVA_PANEL_TARGET void SubstituteResidentAvx512(const PanelLayout& layout, const int32_t* D, const double* F,
                                                 double* y, bool eliminated, int rightHandSides) {
    if (rightHandSides == 2)
        SubstituteResidentPanels<LanesAvx512, 2>(layout, D, F, y, eliminated);
    else
        SubstituteResidentPanels<LanesAvx512, 1>(layout, D, F, y, eliminated);
}

} // namespace torva::engine::blocked
#else
#include "engine/ColumnSolve.h"

namespace torva::engine::blocked {
int FactoriseAvx512(double* A, const int32_t* D, int n, const double* source, double* y, double*) {
    return FactoriseAndEliminate(A, D, n, source, y);
}
} // namespace torva::engine::blocked
#endif
