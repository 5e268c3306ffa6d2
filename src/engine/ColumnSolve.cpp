#include "engine/ColumnSolve.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

namespace torva::engine {
namespace {

#if defined(__x86_64__) || defined(__i386__)
#define TORVA_WIDE_KERNEL 1
#define TORVA_TARGET_WIDE __attribute__((target("avx2")))
#else
#define TORVA_WIDE_KERNEL 0
#define TORVA_TARGET_WIDE
#endif
#define TORVA_INLINE inline __attribute__((always_inline))

typedef double Pair __attribute__((vector_size(16)));
typedef double Quad __attribute__((vector_size(32)));

// Four lanes as two 16-byte registers (any x86-64 processor).
struct Lanes2 {
    Pair lo, hi;
    static TORVA_INLINE Lanes2 Zero() {
        Lanes2 v;
        v.lo = Pair{0, 0};
        v.hi = Pair{0, 0};
        return v;
    }
    static TORVA_INLINE Lanes2 Load(const double* p) {
        Lanes2 v;
        __builtin_memcpy(&v.lo, p, 16);
        __builtin_memcpy(&v.hi, p + 2, 16);
        return v;
    }
    TORVA_INLINE void MulAdd(const Lanes2& a, const Lanes2& b) {
        lo += a.lo * b.lo;
        hi += a.hi * b.hi;
    }
    TORVA_INLINE double Sum() const {
        const Pair s = lo + hi; // (l0 + l2, l1 + l3)
        return s[0] + s[1];
    }
    // x = x / d and p = (x / d) · x, four terms.
    static TORVA_INLINE void Scale(double* x, const double* d, double* p) {
        for (int h = 0; h < 4; h += 2) {
            Pair xv, dv;
            __builtin_memcpy(&xv, x + h, 16);
            __builtin_memcpy(&dv, d + h, 16);
            const Pair c = xv / dv, q = c * xv;
            __builtin_memcpy(x + h, &c, 16);
            __builtin_memcpy(p + h, &q, 16);
        }
    }
};

// The same four lanes as one 32-byte register. Always inlined into FactoriseWide, whose target
// makes them AVX instructions (so no 32-byte value ever crosses a call).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif
struct Lanes4 {
    Quad v;
    static TORVA_INLINE Lanes4 Zero() {
        Lanes4 r;
        r.v = Quad{0, 0, 0, 0};
        return r;
    }
    static TORVA_INLINE Lanes4 Load(const double* p) {
        Lanes4 r;
        __builtin_memcpy(&r.v, p, 32);
        return r;
    }
    TORVA_INLINE void MulAdd(const Lanes4& a, const Lanes4& b) { v += a.v * b.v; }
    TORVA_INLINE double Sum() const { return (v[0] + v[2]) + (v[1] + v[3]); }
    static TORVA_INLINE void Scale(double* x, const double* d, double* p) {
        Quad xv, dv;
        __builtin_memcpy(&xv, x, 32);
        __builtin_memcpy(&dv, d, 32);
        const Quad c = xv / dv, q = c * xv;
        __builtin_memcpy(x, &c, 32);
        __builtin_memcpy(p, &q, 32);
    }
};

// a · b over n terms: packed lanes, then the remaining terms one by one.
template <class V> TORVA_INLINE double Dot(const double* a, const double* b, int n) {
    V s0 = V::Zero(), s1 = V::Zero();
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        s0.MulAdd(V::Load(a + i), V::Load(b + i));
        s1.MulAdd(V::Load(a + i + 4), V::Load(b + i + 4));
    }
    if (i + 4 <= n) {
        s0.MulAdd(V::Load(a + i), V::Load(b + i));
        i += 4;
    }
    double r = s0.Sum() + s1.Sum();
    for (; i < n; ++i) r += a[i] * b[i];
    return r;
}

// a · b1 and a · b2 in one pass over a.
template <class V>
TORVA_INLINE void DotPair(const double* a, const double* b1, const double* b2, int n, double& r1,
                          double& r2) {
    V s = V::Zero(), t = V::Zero();
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const V x = V::Load(a + i);
        s.MulAdd(x, V::Load(b1 + i));
        t.MulAdd(x, V::Load(b2 + i));
    }
    r1 = s.Sum();
    r2 = t.Sum();
    for (; i < n; ++i) {
        r1 += a[i] * b1[i];
        r2 += a[i] * b2[i];
    }
}

// The reduction of one term by m terms above it. The first two terms were stored moments ago: taken
// one by one, so that no packed load has to wait for those stores.
template <class V> TORVA_INLINE double RowDot(const double* a, const double* b, int m) {
    double f = 0.0;
    if (m >= 1) f = a[0] * b[0];
    if (m >= 2) f += a[1] * b[1];
    if (m > 2) f += Dot<V>(a + 2, b + 2, m - 2);
    return f;
}

// Column j after its reduction: L = term / diagonal above, and the diagonal loses the sum of L · term,
// summed from the row next to the diagonal upwards. The quotients and products are independent and go
// four at a time; only the sum runs one term after the other.
template <class V> TORVA_INLINE void ScaleColumn(double* A, const int32_t* D, int j) {
    constexpr int kChunk = 32;
    const int h = D[j + 1] - D[j] - 1;
    double* x = &A[D[j] + 1]; // x[t]: the term of row j - 1 - t
    double product[kChunk];
    double b = 0.0;
    for (int t0 = 0; t0 < h; t0 += kChunk) {
        const int count = std::min(kChunk, h - t0);
        int t = 0;
        for (; t + 4 <= count; t += 4) {
            const int k = j - 1 - t0 - t;
            const double pivot[4] = {A[D[k]], A[D[k - 1]], A[D[k - 2]], A[D[k - 3]]};
            V::Scale(x + t0 + t, pivot, product + t);
        }
        for (; t < count; ++t) {
            const double c = x[t0 + t] / A[D[j - 1 - t0 - t]];
            product[t] = c * x[t0 + t];
            x[t0 + t] = c;
        }
        for (t = 0; t < count; ++t) b += product[t];
    }
    A[D[j]] -= b;
}

// The factorisation works in rows: the term x(r) of column c loses the sum over i of L(r - i, r) x(r - i),
// where L(r - i, r) = A(D(r) + i) is the factorised column r and x(r - i) are the terms above it, already
// reduced. Columns are paired (1, 2), (3, 4), ...; each term's sum has the form its pair gives it:
//
//   a row only one column of the pair reaches    RowDot: two single products, then Dot
//   a row both reach (from `common` on)           the two single products, then one 4-lane accumulator
//                                                 per column over the terms both have (DotPair), then Dot
//                                                 over the terms only the longer one has
//   row j of column j + 1, the last column of an odd count: RowDot
//
// and the factors depend on nothing else: how many columns go through one pass, and in which order their
// independent terms are reduced, changes the speed only.
template <class V> struct Skyline {
    double* A;
    const int32_t* D;

    TORVA_INLINE int Height(int r) const { return D[r + 1] - D[r] - 1; }
    TORVA_INLINE int Top(int c) const { return c - Height(c); } // the row above the top term of column c
    TORVA_INLINE double* X(int column, int row) const { return &A[D[column] + column - row]; }

    // Column c, row r, in the single form.
    TORVA_INLINE void Single(int c, int r, int top) const {
        *X(c, r) -= RowDot<V>(&A[D[r] + 1], X(c, r) + 1, std::min(r - top, Height(r)));
    }

    // Columns j and k = j + 1, row r, in the paired form.
    TORVA_INLINE void Paired(int j, int r, int topJ, int topK) const {
        const int k = j + 1;
        const int mj = std::min(r - topJ, Height(r)), mk = std::min(r - topK, Height(r));
        const double* a = &A[D[r] + 1];
        const double* bj = X(j, r) + 1;
        const double* bk = X(k, r) + 1;
        double fj = 0.0, fk = 0.0;
        if (mj >= 1) fj = a[0] * bj[0];
        if (mj >= 2) fj += a[1] * bj[1];
        if (mk >= 1) fk = a[0] * bk[0];
        if (mk >= 2) fk += a[1] * bk[1];
        const int shared = std::max(std::min(mj, mk), 2);
        double dj = 0.0, dk = 0.0;
        if (shared > 2) DotPair<V>(a + 2, bj + 2, bk + 2, shared - 2, dj, dk);
        if (mj > shared) dj += Dot<V>(a + shared, bj + shared, mj - shared);
        if (mk > shared) dk += Dot<V>(a + shared, bk + shared, mk - shared);
        *X(j, r) -= fj + dj;
        *X(k, r) -= fk + dk;
    }

    // Row r of the pair (j, j + 1) in the form the pair gives it.
    TORVA_INLINE void PairRow(int j, int r, int topJ, int topK, int common) const {
        if (r >= common) {
            Paired(j, r, topJ, topK);
            return;
        }
        if (r > topJ) Single(j, r, topJ);
        if (r > topK) Single(j + 1, r, topK);
    }

    // The end of a row for four columns (two pairs, each column reaching as far as its partner) at
    // once, their values side by side in the lane order (c0, c2, c1, c3). Every lane does what the
    // single-column end does, operation for operation: the lane sums (l0 + l2) + (l1 + l3), the single
    // terms one after the other (each kept only where the pair has it), f = a0 b0 + a1 b1, x - (f + d).
    // Reads up to four terms past a column's last, which the caller has checked are in the profile.
    // (Helpers always inlined: a 32-byte value must not cross a call into code built without AVX.)
    static TORVA_INLINE Quad LoadQuad(const double* p) {
        Quad v;
        __builtin_memcpy(&v, p, 32);
        return v;
    }
    // Rows of four values of columns c0..c3 -> value k of each, lanes (c0, c2, c1, c3).
    static TORVA_INLINE void Transpose(const Quad* w, Quad& v0, Quad& v1, Quad& v2) {
        const Quad t0 = __builtin_shufflevector(w[0], w[2], 0, 4, 2, 6);
        const Quad t1 = __builtin_shufflevector(w[0], w[2], 1, 5, 3, 7);
        const Quad t2 = __builtin_shufflevector(w[1], w[3], 0, 4, 2, 6);
        const Quad t3 = __builtin_shufflevector(w[1], w[3], 1, 5, 3, 7);
        v0 = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
        v1 = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
        v2 = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    }
    static TORVA_INLINE void FinishFour(const double* a, const double* const* b, const V* s,
                                        const int* packed, const int* shared) {
        const Quad u01 = __builtin_shufflevector(s[0].v, s[1].v, 0, 1, 4, 5) +
                         __builtin_shufflevector(s[0].v, s[1].v, 2, 3, 6, 7);
        const Quad u23 = __builtin_shufflevector(s[2].v, s[3].v, 0, 1, 4, 5) +
                         __builtin_shufflevector(s[2].v, s[3].v, 2, 3, 6, 7);
        Quad d =
            __builtin_shufflevector(u01, u23, 0, 4, 2, 6) + __builtin_shufflevector(u01, u23, 1, 5, 3, 7);
        Quad w[4], x, b0, b1;
        for (int c = 0; c < 4; ++c) w[c] = LoadQuad(b[c] - 1);
        Transpose(w, x, b0, b1);
        const Quad a0 = {a[0], a[0], a[0], a[0]}, a1 = {a[1], a[1], a[1], a[1]};
        const Quad f = a0 * b0 + a1 * b1;
        const Quad first = LoadQuad(a + packed[0]), second = LoadQuad(a + packed[1]);
        w[0] = first * LoadQuad(b[0] + packed[0]);
        w[1] = first * LoadQuad(b[1] + packed[0]);
        w[2] = second * LoadQuad(b[2] + packed[1]);
        w[3] = second * LoadQuad(b[3] + packed[1]);
        Quad t0, t1, t2;
        Transpose(w, t0, t1, t2);
        const double tail0 = shared[0] - packed[0], tail1 = shared[1] - packed[1];
        const Quad tail = {tail0, tail1, tail0, tail1};
        // A term a pair does not have adds +0 instead, which leaves d as it is: d is never -0 (the lanes
        // start at +0, and no sum of a value that is not -0 gives -0).
        const Quad zero = {0, 0, 0, 0};
        t0 = tail > Quad{0, 0, 0, 0} ? t0 : zero;
        t1 = tail > Quad{1, 1, 1, 1} ? t1 : zero;
        t2 = tail > Quad{2, 2, 2, 2} ? t2 : zero;
        d = ((d + t0) + t1) + t2;
        const Quad result = x - (f + d);
        *(const_cast<double*>(b[0]) - 1) = result[0];
        *(const_cast<double*>(b[2]) - 1) = result[1];
        *(const_cast<double*>(b[1]) - 1) = result[2];
        *(const_cast<double*>(b[3]) - 1) = result[3];
    }

    // Row r of the P pairs that start at column j0, all in the paired form: one pass over L(., r) serves
    // 2P columns, whose 2P independent accumulators keep the adder busy. Each column's lanes receive the
    // same terms in the same order as in Paired.
    template <int P> TORVA_INLINE void PairedRows(int j0, int r, const int* top, bool slack) const {
        constexpr int C = 2 * P;
        const int h = Height(r);
        const double* a = &A[D[r] + 1];
        const double* b[C];
        int m[C], shared[P], packed[P];
#pragma GCC unroll 16
        for (int c = 0; c < C; ++c) {
            b[c] = X(j0 + c, r) + 1;
            m[c] = std::min(r - top[c], h);
        }
        int common = INT32_MAX;
#pragma GCC unroll 8
        for (int p = 0; p < P; ++p) {
            shared[p] = std::max(std::min(m[2 * p], m[2 * p + 1]), 2);
            packed[p] = 2 + ((shared[p] - 2) & ~3); // the end of the packed terms
            common = std::min(common, packed[p]);
        }
        V s[C];
#pragma GCC unroll 16
        for (int c = 0; c < C; ++c) s[c] = V::Zero();
        int i = 2;
        for (; i < common; i += 4) {
            const V x = V::Load(a + i);
#pragma GCC unroll 16
            for (int c = 0; c < C; ++c) s[c].MulAdd(x, V::Load(b[c] + i));
        }
#pragma GCC unroll 8
        for (int p = 0; p < P; ++p)
            for (int t = i; t < packed[p]; t += 4) {
                const V x = V::Load(a + t);
                s[2 * p].MulAdd(x, V::Load(b[2 * p] + t));
                s[2 * p + 1].MulAdd(x, V::Load(b[2 * p + 1] + t));
            }
        if (slack) {
            bool plain = true;
#pragma GCC unroll 16
            for (int c = 0; c < C; ++c) plain = plain && m[c] == shared[c / 2];
            if constexpr (std::is_same_v<V, Lanes4>) {
                if (plain) {
                    for (int half = 0; half < C / 4; ++half)
                        FinishFour(a, b + 4 * half, s + 4 * half, packed + 2 * half, shared + 2 * half);
                    return;
                }
            }
            if (plain) {
#pragma GCC unroll 16
                for (int c = 0; c < C; ++c) {
                    const int p = c / 2, pk = packed[p], tail = shared[p] - pk;
                    const double* bc = b[c];
                    double f = a[0] * bc[0];
                    f += a[1] * bc[1];
                    // Terms the pair does not have add +0 (see FinishFour).
                    const double t0 = tail > 0 ? a[pk] * bc[pk] : 0.0;
                    const double t1 = tail > 1 ? a[pk + 1] * bc[pk + 1] : 0.0;
                    const double t2 = tail > 2 ? a[pk + 2] * bc[pk + 2] : 0.0;
                    const double d = ((s[c].Sum() + t0) + t1) + t2;
                    *(const_cast<double*>(bc) - 1) -= f + d;
                }
                return;
            }
        }
#pragma GCC unroll 16
        for (int c = 0; c < C; ++c) {
            const int p = c / 2;
            double f = 0.0;
            if (m[c] >= 1) f = a[0] * b[c][0];
            if (m[c] >= 2) f += a[1] * b[c][1];
            double d = 0.0;
            if (shared[p] > 2) {
                d = s[c].Sum();
                for (int t = packed[p]; t < shared[p]; ++t) d += a[t] * b[c][t];
            }
            if (m[c] > shared[p]) d += Dot<V>(a + shared[p], b[c] + shared[p], m[c] - shared[p]);
            *(const_cast<double*>(b[c]) - 1) -= f + d;
        }
    }

    // The pair (j, j + 1) from its own rows on: rows from `from` to j - 1, then the two columns finished.
    // Returns the column whose pivot fails, or 0.
    TORVA_INLINE int FinishPair(int j, int from, int topJ, int topK, int common) const {
        const int k = j + 1;
        const double diagonalJ = A[D[j]], diagonalK = A[D[k]];
        for (int r = from; r <= j - 1; ++r) PairRow(j, r, topJ, topK, common);
        ScaleColumn<V>(A, D, j);
        if (!(A[D[j]] > kPivotRatio * diagonalJ)) return j;
        if (j > topK) Single(k, j, topK);
        ScaleColumn<V>(A, D, k);
        if (!(A[D[k]] > kPivotRatio * diagonalK)) return k;
        return 0;
    }

    // P pairs from column j0 on. The rows above j0 are final for all of them: a row that every pair
    // reaches in the paired form goes through PairedRows, the few rows nearer the column tops pair by
    // pair. Then pair after pair finishes with the rows inside the group.
    template <int P> TORVA_INLINE int Group(int j0, int n, const double* source) const {
        int top[2 * P], common[P], wide = 1;
        for (int c = 0; c < 2 * P; ++c) top[c] = Top(j0 + c);
        for (int p = 0; p < P; ++p) {
            common[p] = std::max(top[2 * p], top[2 * p + 1]) + 1;
            wide = std::max(wide, common[p]);
        }
        for (int p = 0; p < P; ++p) {
            const int j = j0 + 2 * p;
            for (int r = std::min(top[2 * p], top[2 * p + 1]) + 1; r < std::min(wide, j0); ++r)
                PairRow(j, r, top[2 * p], top[2 * p + 1], common[p]);
        }
        // Every column of the group is followed by at least four more: reading four terms past a
        // column's last stays inside the profile.
        const bool slack = j0 + 2 * P + 3 <= n;
        // Meanwhile the next group's columns are fetched, in the source and in place, a few lines a row.
        const int next = std::min(j0 + 2 * P, n + 1), after = std::min(j0 + 4 * P, n + 1);
        const int lines = (D[after] - D[next] + 7) / 8, rows = std::max(j0 - wide, 1);
        const int perRow = (lines + rows - 1) / rows;
        int fetched = 0;
        for (int r = wide; r < j0; ++r) {
            PairedRows<P>(j0, r, top, slack);
            for (int t = 0; t < perRow && fetched < lines; ++t, ++fetched) {
                if (source != nullptr) __builtin_prefetch(&source[D[next] + 8 * fetched]);
                __builtin_prefetch(&A[D[next] + 8 * fetched], 1);
            }
        }
        for (int p = 0; p < P; ++p) {
            const int j = j0 + 2 * p;
            const int failed = FinishPair(j, j0, top[2 * p], top[2 * p + 1], common[p]);
            if (failed != 0) return failed;
        }
        return 0;
    }
};

template <class V, int P>
TORVA_INLINE int Factorise(double* A, const int32_t* D, int n, const double* source) {
    const Skyline<V> s{A, D};
    auto copy = [&](int from, int to) { // columns from..to - 1
        if (source != nullptr)
            __builtin_memcpy(&A[D[from]], &source[D[from]], sizeof(double) * (D[to] - D[from]));
    };
    int j = 1;
    for (; j + 2 * P - 1 <= n; j += 2 * P) {
        copy(j, j + 2 * P);
        const int failed = s.template Group<P>(j, n, source);
        if (failed != 0) return failed;
    }
    for (; j + 1 <= n; j += 2) {
        copy(j, j + 2);
        const int topJ = s.Top(j), topK = s.Top(j + 1);
        const int failed = s.FinishPair(j, std::min(topJ, topK) + 1, topJ, topK, std::max(topJ, topK) + 1);
        if (failed != 0) return failed;
    }
    if (j == n) { // the last column of an odd count
        copy(j, j + 1);
        const double diagonal = A[D[j]];
        const int top = s.Top(j);
        for (int r = top + 1; r <= j - 1; ++r) s.Single(j, r, top);
        ScaleColumn<V>(A, D, j);
        return A[D[j]] > kPivotRatio * diagonal ? 0 : j;
    }
    return 0;
}

int FactorisePortable(double* A, const int32_t* D, int n, const double* source) {
    return Factorise<Lanes2, 2>(A, D, n, source);
}

#if TORVA_WIDE_KERNEL
TORVA_TARGET_WIDE int FactoriseWide(double* A, const int32_t* D, int n, const double* source) {
    return Factorise<Lanes4, 4>(A, D, n, source);
}
#else
int FactoriseWide(double* A, const int32_t* D, int n, const double* source) {
    return Factorise<Lanes2, 2>(A, D, n, source);
}
#endif

// Two terms of a run that goes backwards in memory, as a pair in running order.
TORVA_INLINE Pair LoadBackwards(const double* p) { // (p[0], p[-1])
    Pair v;
    __builtin_memcpy(&v, p - 1, 16);
    return __builtin_shufflevector(v, v, 1, 0);
}

// Forward reduction (dot products down the column, V read backwards) and back-substitution (axpy up
// the column, V written backwards), two terms at a time.
void Substitute(const double* A, double* V, const int32_t* D, int n, bool forward = true) {
    for (int j = 1; j <= n && forward; ++j) {
        const int h = D[j + 1] - D[j] - 1;
        if (h <= 0) continue;
        const double* a = &A[D[j] + 1];
        const double* v = &V[j - 1]; // V(j - 1), V(j - 2), ...
        Pair s0 = {0, 0}, s1 = {0, 0};
        int k = 0;
        for (; k + 4 <= h; k += 4) {
            Pair a0, a1;
            __builtin_memcpy(&a0, a + k, 16);
            __builtin_memcpy(&a1, a + k + 2, 16);
            s0 += a0 * LoadBackwards(v - k);
            s1 += a1 * LoadBackwards(v - k - 2);
        }
        const Pair s = s0 + s1;
        double sum = s[0] + s[1];
        for (; k < h; ++k) sum += a[k] * v[-k];
        V[j] -= sum;
    }
    for (int j = 1; j <= n; ++j) V[j] /= A[D[j]];
    for (int j = n; j >= 2; --j) {
        const int h = D[j + 1] - D[j] - 1;
        if (h <= 0) continue;
        const double* a = &A[D[j] + 1];
        double* v = &V[j - 1];
        const double vj = V[j];
        const Pair scale = {vj, vj};
        int k = 0;
        for (; k + 2 <= h; k += 2) {
            Pair ak, vk;
            __builtin_memcpy(&ak, a + k, 16);
            vk = LoadBackwards(v - k) - ak * scale;
            const Pair stored = __builtin_shufflevector(vk, vk, 1, 0); // back to memory order
            __builtin_memcpy(v - k - 1, &stored, 16);
        }
        for (; k < h; ++k) v[-k] -= a[k] * vj;
    }
}

#if TORVA_WIDE_KERNEL
// The same substitution with four terms to a register. Forward: the lanes take the terms k, k + 1,
// k + 2, k + 3 as the two pairs above do, and are summed as (l0 + l2) + (l1 + l3); the newest value
// V(j - 1) comes from a register, so no packed load waits for the store just made. Back: every V(i)
// receives the same updates in the same order (column n first); blocks of four sit at fixed places in
// V, so each column's loads meet the previous column's stores whole.
TORVA_TARGET_WIDE void SubstituteWide(const double* A, double* V, const int32_t* D, int n,
                                      bool forward = true) {
    double last = 0.0; // V(j - 1), reduced
    for (int j = 1; j <= n && forward; ++j) {
        const int h = D[j + 1] - D[j] - 1;
        if (h <= 0) {
            last = V[j];
            continue;
        }
        const double* a = &A[D[j] + 1];
        const double* v = &V[j - 1]; // V(j - 1), V(j - 2), ...
        Quad s = {0, 0, 0, 0};
        int k = 0;
        if (h >= 4) {
            Quad a0;
            __builtin_memcpy(&a0, a, 32);
            const Quad x = {last, v[-1], v[-2], v[-3]};
            s += a0 * x;
            for (k = 4; k + 4 <= h; k += 4) {
                Quad ak, vk;
                __builtin_memcpy(&ak, a + k, 32);
                __builtin_memcpy(&vk, v - k - 3, 32);
                s += ak * __builtin_shufflevector(vk, vk, 3, 2, 1, 0);
            }
        }
        double sum = (s[0] + s[2]) + (s[1] + s[3]);
        if (k == 0 && h > 0) sum += a[k++] * last;
        for (; k < h; ++k) sum += a[k] * v[-k];
        last = V[j] - sum;
        V[j] = last;
    }
    for (int j = 1; j <= n; ++j) V[j] /= A[D[j]];
    for (int j = n; j >= 2; --j) {
        const int low = j - (D[j + 1] - D[j] - 1); // the top row of column j
        const double* a = &A[D[j] + j];            // a[-i]: the term of row i
        const double vj = V[j];
        const Quad scale = {vj, vj, vj, vj};
        int i = j - 1;
        for (; i >= low && (i & 3) != 3; --i) V[i] -= a[-i] * vj;
        for (; i - 3 >= low; i -= 4) { // V(i - 3) .. V(i)
            Quad vi, ai;
            __builtin_memcpy(&vi, &V[i - 3], 32);
            __builtin_memcpy(&ai, a - i, 32);
            vi -= __builtin_shufflevector(ai, ai, 3, 2, 1, 0) * scale;
            __builtin_memcpy(&V[i - 3], &vi, 32);
        }
        for (; i >= low; --i) V[i] -= a[-i] * vj;
    }
}
#else
void SubstituteWide(const double* A, double* V, const int32_t* D, int n, bool forward = true) {
    Substitute(A, V, D, n, forward);
}
#endif

} // namespace

bool WideKernelAvailable() {
#if TORVA_WIDE_KERNEL
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
#else
    return false;
#endif
}

int ColumnSolve(double* A, double* V, const int32_t* D, int n, int mode, SolverKernel kernel,
                const double* source) {
    const bool wide =
        kernel == SolverKernel::Wide || (kernel == SolverKernel::Automatic && WideKernelAvailable());
    if (mode != 1) {
        if (wide && WideKernelAvailable())
            SubstituteWide(A, V, D, n, mode != 3);
        else
            Substitute(A, V, D, n, mode != 3);
        return 0;
    }
    return wide && WideKernelAvailable() ? FactoriseWide(A, D, n, source)
                                         : FactorisePortable(A, D, n, source);
}

} // namespace torva::engine
