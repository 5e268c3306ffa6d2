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
    static TORVA_PANEL_INLINE Vec Mul(Vec a, Vec b) { return _mm_mul_pd(a, b); }
    static TORVA_PANEL_INLINE Vec MulAdd(Vec a, Vec b, Vec c) { return _mm_add_pd(_mm_mul_pd(a, b), c); }
};

} // namespace

TORVA_PANEL_TARGET int FactoriseSse2(double* A, const int32_t* D, int n, const double* source, double* y,
                                     double* work) {
    return FactorisePanels<LanesSse2>(A, D, n, source, y, work);
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
