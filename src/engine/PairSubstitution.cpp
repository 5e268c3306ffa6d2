#include "engine/PairSubstitution.h"

#include <cstring>

namespace torva::engine {
namespace {

typedef double Pair __attribute__((vector_size(16)));

Pair Load(const double* p) {
    Pair v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void Store(double* p, Pair v) {
    std::memcpy(p, &v, sizeof v);
}

} // namespace

void SubstitutePair(const double* A, double* W, const int32_t* D, int n) {
    // Forward: w(j) -= sum_k U(j - k, j) w(j - k), the pair of term j at W + 2j.
    for (int j = 2; j <= n; ++j) {
        const int h = D[j + 1] - D[j] - 1;
        if (h <= 0) continue;
        const double* a = &A[D[j] + 1]; // a[k - 1]: U(j - k, j)
        const double* w = &W[2 * (j - 1)];
        Pair s0 = {0, 0}, s1 = {0, 0};
        int k = 0;
        for (; k + 2 <= h; k += 2) {
            s0 += a[k] * Load(w - 2 * k);
            s1 += a[k + 1] * Load(w - 2 * k - 2);
        }
        if (k < h) s0 += a[k] * Load(w - 2 * k);
        Store(&W[2 * j], Load(&W[2 * j]) - (s0 + s1));
    }
    for (int j = 1; j <= n; ++j) {
        const double pivot = A[D[j]];
        Store(&W[2 * j], Load(&W[2 * j]) / Pair{pivot, pivot});
    }
    // Back: w(j - k) -= U(j - k, j) w(j), from the last column to the first.
    for (int j = n; j >= 2; --j) {
        const int h = D[j + 1] - D[j] - 1;
        if (h <= 0) continue;
        const double* a = &A[D[j] + 1];
        double* w = &W[2 * (j - 1)];
        const Pair wj = Load(&W[2 * j]);
        for (int k = 0; k < h; ++k) Store(w - 2 * k, Load(w - 2 * k) - a[k] * wj);
    }
}

} // namespace torva::engine
