#pragma once
// The blocked factorisation's kernel, written once over a vector type and compiled once per instruction
// set by the file that includes it (BlockedFactorSse2.cpp, ...), which first defines
// TORVA_PANEL_TARGET, the target attribute of its instruction set, and after the include a lanes type:
//   Vec, kLanes (doubles to a Vec), kRows (rows of a register tile), Load/Store (aligned),
//   LoadUnaligned/StoreUnaligned, LoadPart/StorePart(p, lo, hi) (lanes lo <= e < hi only, the others
//   neither read nor written; a loaded vector has zeros there), Transpose (kLanes vectors as a
//   kLanes × kLanes block), Broadcast, Zero, Sub, Mul, MulAdd(a, b, c) = a b + c.
//
// Storage as ColumnSolve's (column j from its diagonal upwards at A(D(j)), 1-based). With U the unit
// upper factor and d the pivots, G(r, c) = d(r) U(r, c) is the reduced term of row r of column c:
//
//     G(r, c) = K(r, c) - sum over i < r of U(i, r) G(i, c),     d(c) = G(c, c).
//
// Columns go in panels of W = 2 kLanes. A panel is copied into P, one row of W values per matrix row,
// zero outside each column's profile (a zero term stays zero, so every row can treat all W columns
// alike); the copy is done in square blocks of kLanes columns × kLanes rows, loaded as column vectors
// and transposed in registers, and the factors go back into A the same way:
//
//     row tJ      [ . . x x ]     tJ: the highest top row among the panel's columns
//      ...        [ x x x x ]
//     row j0 - 1  [ x x x x ]     the rows above the panel: the factorised columns' rows
//     row j0      [ d x x x ]     the panel's own diagonal block
//     row j0+W-1  [ . . . d ]
//
// 1. Rows above the panel, kRows at a time: the rows above the block reduce it as one kRows × W product
//    in registers (per row i: kRows broadcasts of U(i, r) from the factorised columns, two loads of
//    P(i, :), 2 kRows multiply-adds), then the block's own rows one after the other, still in
//    registers. Each final row is stored as G in P and as U = G / d in Q.
// 2. The diagonal block loses the rows above the panel: the same product with U(i, j0 + c) = Q(i, c).
// 3. The diagonal block column by column, with the pivot test; then Q and the pivots go back into A.
// 4. With a right-hand side y: the forward elimination y(j) -= sum over i < j of U(i, j) y(i) of the
//    panel's columns, while Q is still in the cache (one product over the rows above, then the block).
#include "engine/ColumnSolve.h"

#include <algorithm>
#include <cstdint>

#ifndef TORVA_PANEL_TARGET
#error "the including file names its instruction set in TORVA_PANEL_TARGET"
#endif

#define TORVA_PANEL inline TORVA_PANEL_TARGET
#define TORVA_PANEL_INLINE inline TORVA_PANEL_TARGET __attribute__((always_inline))

namespace torva::engine::blocked {
namespace {

template <class L> struct Panel {
    using Vec = typename L::Vec;
    static constexpr int kLanes = L::kLanes;
    static constexpr int W = 2 * kLanes;

    double* A;
    const int32_t* D;
    const double* K; // the profile before factorisation: the source, or A itself
    double* P;       // G of the panel, W to a row from row tJ
    double* Q;       // U of the panel, the same shape
    double* inverse; // 1 / d by row
    double* y;       // the right-hand side, or null
    int j0 = 0, width = 0, tJ = 0;

    TORVA_PANEL_INLINE int Top(int c) const { return c - (D[c + 1] - D[c] - 1); } // top row of column c
    TORVA_PANEL_INLINE double* RowP(int r) const { return P + long(r - tJ) * W; }
    TORVA_PANEL_INLINE double* RowQ(int r) const { return Q + long(r - tJ) * W; }

    // acc[t] += sum over k < count of a[t][k step] · (the row of W values at p + k W).
    template <int B>
    TORVA_PANEL_INLINE static void Product(const double* const (&a)[B], long step, const double* p, int count,
                                           Vec (&acc)[B][2]) {
        const double* u[B];
        for (int t = 0; t < B; ++t) u[t] = a[t];
        for (int k = 0; k < count; ++k, p += W) {
            const Vec p0 = L::Load(p), p1 = L::Load(p + kLanes);
            for (int t = 0; t < B; ++t) {
                const Vec v = L::Broadcast(*u[t]);
                u[t] += step;
                acc[t][0] = L::MulAdd(v, p0, acc[t][0]);
                acc[t][1] = L::MulAdd(v, p1, acc[t][1]);
            }
        }
    }

    // Row i of panel column c lies at source_[c] - i in K and at target_[c] - i in A; top_[c] is its
    // top row (a column past the last equation is empty).
    const double* source_[W];
    double* target_[W];
    int top_[W];

    TORVA_PANEL_INLINE void FindColumns() {
        for (int c = 0; c < W; ++c) {
            const int j = j0 + std::min(c, width - 1);
            source_[c] = K + D[j] + j;
            target_[c] = A + D[j] + j;
            top_[c] = c < width ? Top(j) : j0 + c + 1;
        }
    }

    // Column c's rows i0 .. i0 + kLanes - 1 are one vector in the profile, upside down: lane e holds row
    // i0 + kLanes - 1 - e. Interior: every lane inside the profile; else lanes lo <= e < hi are.
    TORVA_PANEL_INLINE bool Interior(int c, int i0) const {
        return top_[c] <= i0 && i0 + kLanes - 1 <= j0 + c;
    }
    TORVA_PANEL_INLINE void ProfileLanes(int c, int i0, int& lo, int& hi) const {
        lo = std::clamp(i0 + kLanes - 1 - (j0 + c), 0, kLanes);
        hi = std::clamp(i0 + kLanes - top_[c], 0, kLanes);
    }

    // K's columns into P, kLanes × kLanes blocks at a time: a block's column vectors are loaded (zero
    // outside the profile) and transposed into rows. Every row from tJ to the panel's last is written.
    TORVA_PANEL void Pack() const {
        const int last = j0 + width - 1;
        for (int c0 = 0; c0 < W; c0 += kLanes)
            for (int i0 = tJ; i0 <= last; i0 += kLanes) {
                Vec v[kLanes];
                for (int e = 0; e < kLanes; ++e) {
                    const int c = c0 + e;
                    const double* p = source_[c] - i0 - (kLanes - 1);
                    int lo, hi;
                    if (Interior(c, i0))
                        v[e] = L::LoadUnaligned(p);
                    else if (ProfileLanes(c, i0, lo, hi); lo < hi)
                        v[e] = L::LoadPart(p, lo, hi);
                    else
                        v[e] = L::Zero();
                }
                L::Transpose(v);
                for (int k = 0; k < kLanes; ++k) L::Store(RowP(i0 + kLanes - 1 - k) + c0, v[k]);
            }
    }

    // Rows r0 .. r0 + B - 1 above the panel. A row's factorised column r gives U(i, r) = A(D(r) + r - i)
    // from its top row on; the rows that every column of the block reaches go through the product.
    template <int B> TORVA_PANEL void RowsAbove(int r0) const {
        int lo[B], common = tJ;
        for (int t = 0; t < B; ++t) {
            lo[t] = std::max(tJ, Top(r0 + t));
            common = std::max(common, lo[t]);
        }
        common = std::min(common, r0);
        Vec acc[B][2];
        for (int t = 0; t < B; ++t) acc[t][0] = acc[t][1] = L::Zero();
        for (int t = 0; t < B; ++t) { // a column that reaches higher than the others
            const int r = r0 + t;
            for (int i = lo[t]; i < common; ++i) {
                const Vec v = L::Broadcast(A[D[r] + r - i]);
                const double* p = RowP(i);
                acc[t][0] = L::MulAdd(v, L::Load(p), acc[t][0]);
                acc[t][1] = L::MulAdd(v, L::Load(p + kLanes), acc[t][1]);
            }
        }
        const double* a[B];
        for (int t = 0; t < B; ++t) a[t] = &A[D[r0 + t] + r0 + t - common];
        Product<B>(a, -1, RowP(common), r0 - common, acc);
        // The block's own rows: row r0 + t is final before the rows below it use it.
        for (int t = 0; t < B; ++t) {
            const int r = r0 + t;
            double* p = RowP(r);
            const Vec g0 = L::Sub(L::Load(p), acc[t][0]), g1 = L::Sub(L::Load(p + kLanes), acc[t][1]);
            L::Store(p, g0);
            L::Store(p + kLanes, g1);
            const Vec scale = L::Broadcast(inverse[r]);
            L::Store(RowQ(r), L::Mul(g0, scale));
            L::Store(RowQ(r) + kLanes, L::Mul(g1, scale));
            for (int t2 = t + 1; t2 < B; ++t2) {
                const int r2 = r0 + t2;
                if (r < Top(r2)) continue;
                const Vec v = L::Broadcast(A[D[r2] + r2 - r]);
                acc[t2][0] = L::MulAdd(v, g0, acc[t2][0]);
                acc[t2][1] = L::MulAdd(v, g1, acc[t2][1]);
            }
        }
    }

    template <int B> TORVA_PANEL void RowsAboveTail(int r0, int count) const {
        if constexpr (B >= 1) {
            if (count == B)
                RowsAbove<B>(r0);
            else
                RowsAboveTail<B - 1>(r0, count);
        }
    }

    // Diagonal rows j0 + c0 .. + B - 1: the product over the rows above the panel, U from Q.
    template <int B> TORVA_PANEL void DiagonalByAbove(int c0) const {
        Vec acc[B][2];
        for (int t = 0; t < B; ++t) acc[t][0] = acc[t][1] = L::Zero();
        const double* a[B];
        for (int t = 0; t < B; ++t) a[t] = RowQ(tJ) + c0 + t;
        Product<B>(a, W, RowP(tJ), j0 - tJ, acc);
        for (int t = 0; t < B; ++t) {
            double* p = RowP(j0 + c0 + t);
            L::Store(p, L::Sub(L::Load(p), acc[t][0]));
            L::Store(p + kLanes, L::Sub(L::Load(p + kLanes), acc[t][1]));
        }
    }

    template <int B> TORVA_PANEL void DiagonalByAboveTail(int c0, int count) const {
        if constexpr (B >= 1) {
            if (count == B)
                DiagonalByAbove<B>(c0);
            else
                DiagonalByAboveTail<B - 1>(c0, count);
        }
    }

    // The diagonal block, column by column: column c's rows inside the panel are final, so they are
    // scaled, and row j0 + c loses them; its own term is then the pivot. Returns the failing column or 0.
    TORVA_PANEL int DiagonalBlock() const {
        for (int c = 0; c < width; ++c) {
            const int r = j0 + c;
            Vec acc0 = L::Zero(), acc1 = L::Zero();
            for (int i = j0; i < r; ++i) {
                const double* p = RowP(i);
                const double u = p[c] * inverse[i];
                RowQ(i)[c] = u;
                const Vec v = L::Broadcast(u);
                acc0 = L::MulAdd(v, L::Load(p), acc0);
                acc1 = L::MulAdd(v, L::Load(p + kLanes), acc1);
            }
            double* p = RowP(r);
            L::Store(p, L::Sub(L::Load(p), acc0));
            L::Store(p + kLanes, L::Sub(L::Load(p + kLanes), acc1));
            const double pivot = p[c];
            if (!(pivot > kPivotRatio * K[D[r]])) {
                WriteBack(c);
                A[D[r]] = pivot;
                return r;
            }
            inverse[r] = 1.0 / pivot;
            RowQ(r)[c] = pivot;
        }
        return 0;
    }

    // Step 4: the panel's entries of y, from the rows above the panel and then down its block.
    TORVA_PANEL void Eliminate() const {
        Vec acc0 = L::Zero(), acc1 = L::Zero();
        for (int i = tJ; i < j0; ++i) {
            const Vec v = L::Broadcast(y[i]);
            const double* q = RowQ(i);
            acc0 = L::MulAdd(v, L::Load(q), acc0);
            acc1 = L::MulAdd(v, L::Load(q + kLanes), acc1);
        }
        alignas(64) double above[W];
        L::Store(above, acc0);
        L::Store(above + kLanes, acc1);
        for (int c = 0; c < width; ++c) {
            double value = y[j0 + c] - above[c];
            for (int i = j0; i < j0 + c; ++i) value -= RowQ(i)[c] * y[i];
            y[j0 + c] = value;
        }
    }

    // The panel's first `columns` columns into the profile, pivots and U, from Q (whose diagonal holds
    // the pivots): Pack the other way round.
    TORVA_PANEL void WriteBack(int columns) const {
        const int last = j0 + columns - 1;
        for (int c0 = 0; c0 < columns; c0 += kLanes) {
            const int end = std::min(columns, c0 + kLanes);
            const int top = *std::min_element(top_ + c0, top_ + end);
            for (int i0 = top; i0 <= last; i0 += kLanes) {
                Vec v[kLanes];
                for (int k = 0; k < kLanes; ++k) v[k] = L::Load(RowQ(i0 + kLanes - 1 - k) + c0);
                L::Transpose(v);
                for (int c = c0; c < end; ++c) {
                    double* p = target_[c] - i0 - (kLanes - 1);
                    int lo, hi;
                    if (Interior(c, i0))
                        L::StoreUnaligned(p, v[c - c0]);
                    else if (ProfileLanes(c, i0, lo, hi); lo < hi)
                        L::StorePart(p, v[c - c0], lo, hi);
                }
            }
        }
    }
};

// `work`: 64-byte aligned, WorkspaceSize(n) doubles.
template <class L>
TORVA_PANEL int FactorisePanels(double* A, const int32_t* D, int n, const double* source, double* y,
                                double* work) {
    constexpr int W = Panel<L>::W;
    static_assert(W <= 16, "the work space holds panels up to 16 wide");
    Panel<L> s{};
    s.A = A;
    s.D = D;
    s.K = source != nullptr ? source : A;
    s.inverse = work;
    s.y = y;
    s.P = work + ((n + 2 + 7) & ~7L);
    s.Q = s.P + long(n + 16) * 16;
    for (int j0 = 1; j0 <= n; j0 += W) {
        s.j0 = j0;
        s.width = std::min(W, n - j0 + 1);
        s.tJ = j0;
        for (int c = 0; c < s.width; ++c) s.tJ = std::min(s.tJ, s.Top(j0 + c));
        s.FindColumns();
        s.Pack();
        // While the rows above run (arithmetic, mostly from the cache), the next panel's columns are
        // fetched from memory, in the source and in place, a few lines after each block.
        const int next = std::min(j0 + W, n + 1), after = std::min(j0 + 2 * W, n + 1);
        const long first = D[next], lines = (D[after] - D[next] + 7) / 8;
        const long perBlock = (lines + 1) / std::max(1, (j0 - s.tJ) / L::kRows) + 1;
        long fetched = 0;
        int r = s.tJ;
        for (; r + L::kRows <= j0; r += L::kRows) {
            s.template RowsAbove<L::kRows>(r);
            for (long k = 0; k < perBlock && fetched < lines; ++k, ++fetched) {
                if (s.K != A) __builtin_prefetch(s.K + first + 8 * fetched);
                __builtin_prefetch(A + first + 8 * fetched, 1);
            }
        }
        s.template RowsAboveTail<L::kRows - 1>(r, j0 - r);
        int c = 0;
        for (; c + L::kRows <= s.width; c += L::kRows) s.template DiagonalByAbove<L::kRows>(c);
        s.template DiagonalByAboveTail<L::kRows - 1>(c, s.width - c);
        const int failed = s.DiagonalBlock();
        if (failed != 0) return failed;
        if (y != nullptr) s.Eliminate();
        s.WriteBack(s.width);
    }
    return 0;
}

} // namespace
} // namespace torva::engine::blocked
