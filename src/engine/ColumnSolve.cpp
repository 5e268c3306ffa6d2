#include "engine/ColumnSolve.h"

namespace torva::engine {
namespace {

// Dot product of two contiguous runs with eight independent partial sums, which the compiler turns
// into packed multiplies and adds (a single running sum would serialise on the add latency).
inline double Dot(const double* __restrict a, const double* __restrict b, int n) {
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0, s4 = 0, s5 = 0, s6 = 0, s7 = 0;
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        s0 += a[i] * b[i];
        s1 += a[i + 1] * b[i + 1];
        s2 += a[i + 2] * b[i + 2];
        s3 += a[i + 3] * b[i + 3];
        s4 += a[i + 4] * b[i + 4];
        s5 += a[i + 5] * b[i + 5];
        s6 += a[i + 6] * b[i + 6];
        s7 += a[i + 7] * b[i + 7];
    }
    for (; i < n; ++i) s0 += a[i] * b[i];
    return ((s0 + s1) + (s2 + s3)) + ((s4 + s5) + (s6 + s7));
}

int Factorise(double* A, const int32_t* D, int n) {
    for (int j = 1; j <= n; ++j) {
        const int kl = D[j] + 1, ku = D[j + 1] - 1, kh = ku - kl;
        const double diagonal = A[D[j]];
        if (kh > 0) {
            // Reduce each term, from the second-highest down to the one next to the diagonal, by the
            // dot product of the factorised column of its row with the terms above it in column j.
            int k = j - kh, ic = 0;
            for (int klt = ku - 1; klt >= kl; --klt) {
                ++ic;
                const int ki = D[k];
                const int nd = D[k + 1] - ki - 1;
                if (nd > 0) A[klt] -= Dot(&A[ki + 1], &A[klt + 1], ic < nd ? ic : nd);
                ++k;
            }
        }
        if (kh >= 0) {
            double b = 0.0;
            int k = j;
            for (int p = kl; p <= ku; ++p) {
                --k;
                const double c = A[p] / A[D[k]];
                b += c * A[p];
                A[p] = c;
            }
            A[D[j]] -= b;
        }
        if (!(A[D[j]] > kPivotRatio * diagonal)) return j;
    }
    return 0;
}

void Substitute(const double* A, double* V, const int32_t* D, int n) {
    // Forward reduction: V(j) -= sum of A(D(j) + k) V(j - k).
    for (int j = 1; j <= n; ++j) {
        const int h = D[j + 1] - D[j] - 1;
        if (h <= 0) continue;
        const double* a = &A[D[j] + 1];
        const double* v = &V[j - 1];
        double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        int k = 0;
        for (; k + 4 <= h; k += 4) {
            s0 += a[k] * v[-k];
            s1 += a[k + 1] * v[-k - 1];
            s2 += a[k + 2] * v[-k - 2];
            s3 += a[k + 3] * v[-k - 3];
        }
        for (; k < h; ++k) s0 += a[k] * v[-k];
        V[j] -= (s0 + s1) + (s2 + s3);
    }
    for (int j = 1; j <= n; ++j) V[j] /= A[D[j]];
    // Back-substitution: V(j - k) -= A(D(j) + k) V(j).
    for (int j = n; j >= 2; --j) {
        const int h = D[j + 1] - D[j] - 1;
        if (h <= 0) continue;
        const double* a = &A[D[j] + 1];
        double* v = &V[j - 1];
        const double vj = V[j];
        for (int k = 0; k < h; ++k) v[-k] -= a[k] * vj;
    }
}

} // namespace

int ColumnSolve(double* A, double* V, const int32_t* D, int n, int mode) {
    if (mode == 1) return Factorise(A, D, n);
    Substitute(A, V, D, n);
    return 0;
}

} // namespace torva::engine
