#pragma once
// The skyline factorisation as it was first written (two columns at a time, 4-lane dot products in
// two 16-byte registers), kept unchanged as the reference that faster kernels must match bit for bit.
#include <algorithm>
#include <cstdint>

namespace torva::engine::test::reference {

constexpr double kPivotRatio = 1e-11;
#define TORVA_INLINE inline __attribute__((always_inline))

typedef double Pair __attribute__((vector_size(16)));

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

// Column j after its reduction: L = term / diagonal above, and the diagonal loses the sum of L · term.
TORVA_INLINE void ScaleColumn(double* A, const int32_t* D, int j) {
    double b = 0.0;
    int k = j;
    for (int p = D[j] + 1; p <= D[j + 1] - 1; ++p) {
        --k;
        const double c = A[p] / A[D[k]];
        b += c * A[p];
        A[p] = c;
    }
    A[D[j]] -= b;
}

// Factorisation, two columns at a time. In rows: the term x(r) of column c loses the sum over i of
// L(r - i, r) x(r - i), where L(r - i, r) = A(D(r) + i) is the factorised column r and x(r - i) are the
// terms above it, already reduced. Columns j and j + 1 share the factorised column of every row above
// j, so one pass over it serves both, and their two chains of reductions run side by side.
template <class V> TORVA_INLINE int Factorise(double* A, const int32_t* D, int n, const double* source) {
    auto height = [D](int r) { return D[r + 1] - D[r] - 1; };
    for (int j = 1; j <= n; j += 2) {
        if (source != nullptr)
            __builtin_memcpy(&A[D[j]], &source[D[j]], sizeof(double) * (D[std::min(j + 2, n + 1)] - D[j]));
        const int topJ = j - height(j); // the top row of column j
        const double diagonalJ = A[D[j]];
        auto x = [A, D](int column, int row) { return &A[D[column] + column - row]; };
        if (j == n) {
            for (int r = topJ + 1; r <= j - 1; ++r)
                *x(j, r) -= RowDot<V>(&A[D[r] + 1], x(j, r) + 1, std::min(r - topJ, height(r)));
            ScaleColumn(A, D, j);
            return A[D[j]] > kPivotRatio * diagonalJ ? 0 : j;
        }
        const int k = j + 1, topK = k - height(k);
        const double diagonalK = A[D[k]];
        // Rows that only one of the two columns reaches, then the rows both reach.
        const int common = std::max(topJ, topK) + 1;
        for (int r = topJ + 1; r < common && r <= j - 1; ++r)
            *x(j, r) -= RowDot<V>(&A[D[r] + 1], x(j, r) + 1, std::min(r - topJ, height(r)));
        for (int r = topK + 1; r < common && r <= j - 1; ++r)
            *x(k, r) -= RowDot<V>(&A[D[r] + 1], x(k, r) + 1, std::min(r - topK, height(r)));
        for (int r = common; r <= j - 1; ++r) {
            const int mj = std::min(r - topJ, height(r)), mk = std::min(r - topK, height(r));
            const double* a = &A[D[r] + 1];
            const double* bj = x(j, r) + 1;
            const double* bk = x(k, r) + 1;
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
            *x(j, r) -= fj + dj;
            *x(k, r) -= fk + dk;
        }
        ScaleColumn(A, D, j);
        if (!(A[D[j]] > kPivotRatio * diagonalJ)) return j;
        if (j > topK) *x(k, j) -= RowDot<V>(&A[D[j] + 1], x(k, j) + 1, std::min(j - topK, height(j)));
        ScaleColumn(A, D, k);
        if (!(A[D[k]] > kPivotRatio * diagonalK)) return k;
    }
    return 0;
}

inline int FactoriseReference(double* A, const int32_t* D, int n) {
    return Factorise<Lanes2>(A, D, n, nullptr);
}

#undef TORVA_INLINE

} // namespace torva::engine::test::reference
