// The blocked factorisation on AVX-512: panels of 16 columns, register tiles of 6 rows × two 8-lane
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
    static constexpr int kLanes = 8, kRows = 6;
    static TORVA_PANEL_INLINE Vec Load(const double* p) { return _mm512_load_pd(p); }
    static TORVA_PANEL_INLINE void Store(double* p, Vec v) { _mm512_store_pd(p, v); }
    static TORVA_PANEL_INLINE Vec Broadcast(double x) { return _mm512_set1_pd(x); }
    static TORVA_PANEL_INLINE Vec Zero() { return _mm512_setzero_pd(); }
    static TORVA_PANEL_INLINE Vec Sub(Vec a, Vec b) { return _mm512_sub_pd(a, b); }
    static TORVA_PANEL_INLINE Vec Mul(Vec a, Vec b) { return _mm512_mul_pd(a, b); }
    static TORVA_PANEL_INLINE Vec MulAdd(Vec a, Vec b, Vec c) { return _mm512_fmadd_pd(a, b, c); }
};

} // namespace

TORVA_PANEL_TARGET int FactoriseAvx512(double* A, const int32_t* D, int n, const double* source, double* y,
                                       double* work) {
    return FactorisePanels<LanesAvx512>(A, D, n, source, y, work);
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
