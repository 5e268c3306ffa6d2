// The blocked factorisation on SSE2 (any x86-64): panels of 4 columns, register tiles of 4 rows × two 2-lane
// registers, no fused multiply-add.
#include "engine/BlockedFactor.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define TORVA_PANEL_TARGET __attribute__((target("sse2")))
#include "engine/BlockedPanel.h"

namespace torva::engine::blocked {
namespace {

struct LanesSse2 {
    using Vec = __m128d;
    static constexpr int kLanes = 2, kRows = 4;
    static TORVA_PANEL_INLINE Vec Load(const double* p) { return _mm_load_pd(p); }
    static TORVA_PANEL_INLINE void Store(double* p, Vec v) { _mm_store_pd(p, v); }
    static TORVA_PANEL_INLINE Vec Broadcast(double x) { return _mm_set1_pd(x); }
    static TORVA_PANEL_INLINE Vec Zero() { return _mm_setzero_pd(); }
    static TORVA_PANEL_INLINE Vec Sub(Vec a, Vec b) { return _mm_sub_pd(a, b); }
    static TORVA_PANEL_INLINE Vec Add(Vec a, Vec b) { return _mm_add_pd(a, b); }
    static TORVA_PANEL_INLINE Vec Mul(Vec a, Vec b) { return _mm_mul_pd(a, b); }
    static TORVA_PANEL_INLINE Vec MulAdd(Vec a, Vec b, Vec c) { return _mm_add_pd(_mm_mul_pd(a, b), c); }
    static TORVA_PANEL_INLINE Vec LoadUnaligned(const double* p) { return _mm_loadu_pd(p); }
    static TORVA_PANEL_INLINE void StoreUnaligned(double* p, Vec v) { _mm_storeu_pd(p, v); }
    // Lanes lo <= e < hi of p (0 <= lo, hi <= 2), zero elsewhere; the others are not read.
    static TORVA_PANEL_INLINE Vec LoadPart(const double* p, int lo, int hi) {
        return _mm_setr_pd(lo <= 0 && hi > 0 ? p[0] : 0.0, lo <= 1 && hi > 1 ? p[1] : 0.0);
    }
    static TORVA_PANEL_INLINE void StorePart(double* p, Vec v, int lo, int hi) {
        if (lo <= 0 && hi > 0) _mm_storel_pd(p, v);
        if (lo <= 1 && hi > 1) _mm_storeh_pd(p + 1, v);
    }
    static TORVA_PANEL_INLINE void Transpose(Vec (&v)[2]) {
        const Vec t = _mm_unpacklo_pd(v[0], v[1]);
        v[1] = _mm_unpackhi_pd(v[0], v[1]);
        v[0] = t;
    }
};

} // namespace

TORVA_PANEL_TARGET int FactoriseSse2(double* A, const int32_t* D, int n, const double* source, double* y,
                                     double* work) {
    return FactorisePanels<LanesSse2>(A, D, n, source, y, work);
}

TORVA_PANEL_TARGET int FactoriseResidentSse2(const PanelLayout& layout, const int32_t* D, const double* K,
                                             double* F, double* y, double* work, int part,
                                             PanelSchedule* schedule) {
    return FactoriseResidentPanels<LanesSse2>(layout, D, K, F, y, work, part, schedule);
}

TORVA_PANEL_TARGET void SubstituteResidentSse2(const PanelLayout& layout, const int32_t* D, const double* F,
                                               double* y, bool eliminated, int rightHandSides) {
    if (rightHandSides == 2)
        SubstituteResidentPanels<LanesSse2, 2>(layout, D, F, y, eliminated);
    else
        SubstituteResidentPanels<LanesSse2, 1>(layout, D, F, y, eliminated);
}

} // namespace torva::engine::blocked
#else
#include "engine/ColumnSolve.h"

namespace torva::engine::blocked {
int FactoriseSse2(double* A, const int32_t* D, int n, const double* source, double* y, double*) {
    return FactoriseAndEliminate(A, D, n, source, y);
}
} // namespace torva::engine::blocked
#endif
