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
//
// Resident (PanelLayout.h): K and the factors are kept in the panel-major layout, so a row's K terms
// are read from K's store where the row is first reduced (P then holds its G), Q is the factors' own
// store (rows 16 values apart) and nothing is written back; U(i, r) of a factorised column is read
// from that store. The arithmetic is the same.
#include "engine/ColumnSolve.h"
#include "engine/PanelLayout.h"
#include "engine/PanelSchedule.h"

#include <algorithm>
#include <cstdint>

#ifndef TORVA_PANEL_TARGET
#error "the including file names its instruction set in TORVA_PANEL_TARGET"
#endif

#define TORVA_PANEL inline TORVA_PANEL_TARGET
#define TORVA_PANEL_INLINE inline TORVA_PANEL_TARGET __attribute__((always_inline))

namespace torva::engine::blocked {
namespace {

template <class L, bool kResident = false> struct Panel {
    using Vec = typename L::Vec;
    static constexpr int kLanes = L::kLanes;
    static constexpr int W = 2 * kLanes;
    static constexpr int kRowQ = kResident ? kPanelWidth : W;       // from a row of Q to the next
    static constexpr long kUnitStep = kResident ? kPanelWidth : -1; // from U(i, r) to U(i + 1, r)

    double* A; // the factors' profile (resident: their store)
    const int32_t* D;
    const double* K; // the profile before factorisation: the source, or A itself (resident: K's store)
    const PanelLayout* layout;       // resident only
    double* P;                       // G of the panel, W to a row from row tJ
    double* Q;                       // U of the panel, from row tJ (resident: in A)
    double* inverse;                 // 1 / d by row
    double* y;                       // the right-hand side, or null
    const double* initial = nullptr; // resident: K's row tJ of the panel
    int j0 = 0, width = 0, tJ = 0;

    TORVA_PANEL_INLINE int Top(int c) const { return c - (D[c + 1] - D[c] - 1); } // top row of column c
    TORVA_PANEL_INLINE double* RowP(int r) const { return P + long(r - tJ) * W; }
    TORVA_PANEL_INLINE double* RowQ(int r) const { return Q + long(r - tJ) * kRowQ; }
    // U(i, r) of a factorised column r is A[UnitOffset(i, r)], i >= Top(r); the offset is linear in i,
    // kUnitStep a row.
    TORVA_PANEL_INLINE long UnitOffset(int i, int r) const {
        if constexpr (kResident)
            return layout->Address(i, r);
        else
            return long(D[r]) + r - i;
    }
    TORVA_PANEL_INLINE double Diagonal(int r) const { // K(r, r)
        if constexpr (kResident)
            return K[layout->Address(r, r)];
        else
            return K[D[r]];
    }

    // Row r of the panel as it is before the factorisation: K's terms, read where the row is first
    // reduced (resident: straight from K's store, kPanelWidth values a row; else as packed into P).
    TORVA_PANEL_INLINE const double* Initial(int r) const {
        if constexpr (kResident)
            return initial + long(r - tJ) * kPanelWidth;
        else
            return RowP(r);
    }

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

    // Rows r0 .. r0 + B - 1 above the panel. A row's factorised column r gives U(i, r) (UnitOffset) from
    // its top row on; the rows that every column of the block reaches go through the product.
    template <int B> TORVA_PANEL void RowsAbove(int r0) const {
        // U(i, r0 + t) = A[at[t] + (i - r0) kUnitStep]: the address is linear in the row.
        int top[B], lo[B], common = tJ;
        long at[B];
        for (int t = 0; t < B; ++t) {
            top[t] = Top(r0 + t);
            at[t] = UnitOffset(r0, r0 + t);
            lo[t] = std::max(tJ, top[t]);
            common = std::max(common, lo[t]);
        }
        common = std::min(common, r0);
        Vec acc[B][2];
        for (int t = 0; t < B; ++t) acc[t][0] = acc[t][1] = L::Zero();
        for (int t = 0; t < B; ++t) { // a column that reaches higher than the others
            for (int i = lo[t]; i < common; ++i) {
                const Vec v = L::Broadcast(A[at[t] + (i - r0) * kUnitStep]);
                const double* p = RowP(i);
                acc[t][0] = L::MulAdd(v, L::Load(p), acc[t][0]);
                acc[t][1] = L::MulAdd(v, L::Load(p + kLanes), acc[t][1]);
            }
        }
        if (r0 > common) {
            const double* a[B];
            for (int t = 0; t < B; ++t) a[t] = A + at[t] + (common - r0) * kUnitStep;
            Product<B>(a, kUnitStep, RowP(common), r0 - common, acc);
        }
        // The block's own rows: row r0 + t is final before the rows below it use it.
        for (int t = 0; t < B; ++t) {
            const int r = r0 + t;
            double* p = RowP(r);
            const double* k = Initial(r);
            const Vec g0 = L::Sub(L::Load(k), acc[t][0]), g1 = L::Sub(L::Load(k + kLanes), acc[t][1]);
            L::Store(p, g0);
            L::Store(p + kLanes, g1);
            const Vec scale = L::Broadcast(inverse[r]);
            L::Store(RowQ(r), L::Mul(g0, scale));
            L::Store(RowQ(r) + kLanes, L::Mul(g1, scale));
            for (int t2 = t + 1; t2 < B; ++t2) {
                if (r < top[t2]) continue;
                const Vec v = L::Broadcast(A[at[t2] + t * kUnitStep]);
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
        Product<B>(a, kRowQ, RowP(tJ), j0 - tJ, acc);
        for (int t = 0; t < B; ++t) {
            double* p = RowP(j0 + c0 + t);
            const double* k = Initial(j0 + c0 + t);
            L::Store(p, L::Sub(L::Load(k), acc[t][0]));
            L::Store(p + kLanes, L::Sub(L::Load(k + kLanes), acc[t][1]));
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
            if (!(pivot > kPivotRatio * Diagonal(r))) {
                if constexpr (kResident) {
                    RowQ(r)[c] = pivot;
                } else {
                    WriteBack(c);
                    A[D[r]] = pivot;
                }
                return r;
            }
            inverse[r] = 1.0 / pivot;
            RowQ(r)[c] = pivot;
        }
        return 0;
    }

    // Step 4: the panel's entries of y, from the rows above the panel and then down its block. M
    // right-hand sides interleaved: term i of the k-th at y[M i + k].
    template <int M = 1> TORVA_PANEL void Eliminate() const {
        Vec acc[M][2];
        for (int k = 0; k < M; ++k) acc[k][0] = acc[k][1] = L::Zero();
        for (int i = tJ; i < j0; ++i) {
            const double* q = RowQ(i);
            const Vec q0 = L::Load(q), q1 = L::Load(q + kLanes);
            for (int k = 0; k < M; ++k) {
                const Vec v = L::Broadcast(y[M * i + k]);
                acc[k][0] = L::MulAdd(v, q0, acc[k][0]);
                acc[k][1] = L::MulAdd(v, q1, acc[k][1]);
            }
        }
        for (int k = 0; k < M; ++k) {
            alignas(64) double above[W];
            L::Store(above, acc[k][0]);
            L::Store(above + kLanes, acc[k][1]);
            for (int c = 0; c < width; ++c) {
                double value = y[M * (j0 + c) + k] - above[c];
                for (int i = j0; i < j0 + c; ++i) value -= RowQ(i)[c] * y[M * i + k];
                y[M * (j0 + c) + k] = value;
            }
        }
    }

    // The backward pass over the panel, its y(j) final (divided by the pivots): up its block, then
    // y(i) -= sum over the panel's columns c of U(i, c) y(c) for the rows above it, kLanes rows at a
    // time (their products transposed, so that each lane sums one row).
    template <int M> TORVA_PANEL void Substitute() const {
        for (int k = 0; k < M; ++k) {
            for (int c = width - 1; c > 0; --c) {
                const double value = y[M * (j0 + c) + k];
                for (int i = j0; i < j0 + c; ++i) y[M * i + k] -= RowQ(i)[c] * value;
            }
            alignas(64) double panel[W] = {};
            for (int c = 0; c < width; ++c) panel[c] = y[M * (j0 + c) + k];
            const Vec y0 = L::Load(panel), y1 = L::Load(panel + kLanes);
            int i = tJ;
            for (; i + kLanes <= j0; i += kLanes) {
                Vec v[kLanes];
                for (int e = 0; e < kLanes; ++e) {
                    const double* q = RowQ(i + e);
                    v[e] = L::MulAdd(L::Load(q + kLanes), y1, L::Mul(L::Load(q), y0));
                }
                L::Transpose(v);
                Vec sum = v[0];
                for (int e = 1; e < kLanes; ++e) sum = L::Add(sum, v[e]);
                alignas(64) double sums[kLanes];
                L::Store(sums, sum);
                for (int e = 0; e < kLanes; ++e) y[M * (i + e) + k] -= sums[e];
            }
            for (; i < j0; ++i) {
                const double* q = RowQ(i);
                alignas(64) double parts[kLanes];
                L::Store(parts, L::MulAdd(L::Load(q + kLanes), y1, L::Mul(L::Load(q), y0)));
                double sum = parts[0];
                for (int e = 1; e < kLanes; ++e) sum += parts[e];
                y[M * i + k] -= sum;
            }
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

// The kernel panels of the resident layout are W columns wide: a store panel of kPanelWidth columns
// holds kPanelWidth / W of them side by side, each from its own top row. Sets s to the one from j0.
template <class L> TORVA_PANEL_INLINE void ResidentPanel(Panel<L, true>& s, int j0, int n) {
    static_assert(kPanelWidth % Panel<L, true>::W == 0, "kernel panels tile the store's panels");
    s.j0 = j0;
    s.width = std::min(Panel<L, true>::W, n - j0 + 1);
    s.tJ = j0;
    for (int c = 0; c < s.width; ++c) s.tJ = std::min(s.tJ, s.Top(j0 + c));
    s.Q = s.A + s.layout->Address(s.tJ, j0);
}

// The factorisation in the resident layout: K's store read, the factors' store F written (both
// 64-byte aligned, layout.Size() doubles). Returns 0 or the failing column as FactorisePanels. With a
// schedule, this is one of two threads sharing the panels (PanelSchedule.h): `part` (0 or 1) picks the
// thread's own rows of the work space, and the outcome is the schedule's.
template <class L>
TORVA_PANEL int FactoriseResidentPanels(const PanelLayout& layout, const int32_t* D, const double* K,
                                        double* F, double* y, double* work, int part = 0,
                                        PanelSchedule* schedule = nullptr) {
    const int n = layout.Equations();
    Panel<L, true> s{};
    s.A = F;
    s.D = D;
    s.K = K;
    s.layout = &layout;
    s.inverse = work;
    s.y = y;
    s.P = work + ((n + 2 + 7) & ~7L) + long(part) * (n + 16) * 16;
    constexpr int W = Panel<L, true>::W;
    const int panels = (n + W - 1) / W;
    int known = 0; // panels known to be finished
    // The first `count` panels are finished (at once without a schedule).
    const auto ready = [&](int count, int panel) {
        return schedule == nullptr || schedule->WaitFinished(count, panel, known);
    };
    int k = schedule != nullptr ? schedule->Take() : 0;
    for (; k < panels; k = schedule != nullptr ? schedule->Take() : k + 1) {
        const int j0 = 1 + k * W;
        ResidentPanel(s, j0, n);
        s.initial = K + layout.Address(s.tJ, j0);
        // While the rows above run (arithmetic, mostly from the cache), the next panel's rows are
        // fetched from memory, K's to be read and F's to be written, a few lines after each block. Not
        // when two threads share the panels: the next one is the other thread's, and fetching its rows
        // here would take them from under it.
        const int next = j0 + W;
        long first = 0, lines = 0;
        if (next <= n && schedule == nullptr) {
            int top = next;
            for (int j = next; j < std::min(next + W, n + 1); ++j) top = std::min(top, s.Top(j));
            first = layout.Address(top, next) - (next - 1) % kPanelWidth;
            lines = (layout.ColumnsEnd(next) - first) / 8;
        }
        const long perBlock = (lines + 1) / std::max(1, (j0 - s.tJ) / L::kRows) + 1;
        long fetched = 0;
        int r = s.tJ;
        for (; r + L::kRows <= j0; r += L::kRows) {
            // The block's columns r .. r + kRows - 1 are factorised.
            if (!ready((r + L::kRows - 2) / W + 1, k)) return 0;
            s.template RowsAbove<L::kRows>(r);
            for (long m = 0; m < perBlock && fetched < lines; ++m, ++fetched) {
                __builtin_prefetch(K + first + 8 * fetched);
                __builtin_prefetch(F + first + 8 * fetched, 1);
            }
        }
        // The columns of the last rows above, and the load's terms above the panel.
        if (!ready(k, k)) return 0;
        s.template RowsAboveTail<L::kRows - 1>(r, j0 - r);
        int c = 0;
        for (; c + L::kRows <= s.width; c += L::kRows) s.template DiagonalByAbove<L::kRows>(c);
        s.template DiagonalByAboveTail<L::kRows - 1>(c, s.width - c);
        if (const int failed = s.DiagonalBlock(); failed != 0) {
            if (schedule == nullptr) return failed;
            schedule->Fail(k, failed);
            return 0;
        }
        if (y != nullptr) s.Eliminate();
        if (schedule != nullptr) schedule->Finish(k);
    }
    return 0;
}

// y becomes K^-1 y from the factors' store F: M right-hand sides interleaved (term i of the k-th at
// y[M i + k], 1-based); when `eliminated`, y holds L^-1 y already.
template <class L, int M>
TORVA_PANEL void SubstituteResidentPanels(const PanelLayout& layout, const int32_t* D, const double* F,
                                          double* y, bool eliminated) {
    const int n = layout.Equations();
    Panel<L, true> s{};
    s.A = const_cast<double*>(F); // read only: the passes below write y alone
    s.D = D;
    s.layout = &layout;
    s.y = y;
    constexpr int W = Panel<L, true>::W;
    for (int j0 = 1; j0 <= n && !eliminated; j0 += W) {
        ResidentPanel(s, j0, n);
        s.template Eliminate<M>();
    }
    for (int j = 1; j <= n; ++j) {
        const double pivot = F[layout.Address(j, j)];
        for (int k = 0; k < M; ++k) y[M * j + k] /= pivot;
    }
    for (int j0 = 1 + (n - 1) / W * W; j0 >= 1; j0 -= W) {
        ResidentPanel(s, j0, n);
        s.template Substitute<M>();
    }
}

} // namespace
} // namespace torva::engine::blocked
