#pragma once
// Random symmetric positive definite skyline systems for the solver tests, kept dense for the checks.
#include "engine/BlockedFactor.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace torva::engine::test {

// A symmetric positive definite matrix with a ragged skyline, kept dense for the checks.
struct SkylineSystem {
    int n;
    std::vector<double> dense; // n × n
    std::vector<int32_t> D;    // 1-based diagonal addresses, n + 1 entries used
    std::vector<double> A;     // 1-based profile

    // `pairedTops`: the two columns of each pair (1, 2), (3, 4), ... start at the same row, as the x and
    // y equations of a mesh node do.
    SkylineSystem(int size, unsigned seed, int lowest = 0, int highest = 40, bool pairedTops = false)
        : n(size), dense(size * size, 0.0), D(size + 2), A(1) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> height(lowest, highest);
        std::uniform_real_distribution<double> value(-1.0, 1.0);
        std::vector<int> top(n);
        for (int j = 0; j < n; ++j) {
            top[j] = std::max(0, j - (j == 0 ? 0 : height(random)));
            if (pairedTops && j % 2 == 1) top[j] = top[j - 1];
            for (int i = top[j]; i < j; ++i) dense[i * n + j] = dense[j * n + i] = value(random);
        }
        // Diagonal dominance makes it positive definite; scales of 1e-3..1e3 make it badly scaled too.
        for (int j = 0; j < n; ++j) {
            double sum = 1.0;
            for (int i = 0; i < n; ++i) sum += i != j ? std::fabs(dense[i * n + j]) : 0.0;
            dense[j * n + j] = sum;
        }
        std::vector<double> scale(n);
        for (int j = 0; j < n; ++j) scale[j] = std::pow(10.0, 3.0 * value(random));
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) dense[i * n + j] *= scale[i] * scale[j];
        D[1] = 1;
        for (int j = 1; j <= n; ++j) {
            D[j + 1] = D[j] + (j - 1 - top[j - 1]) + 1;
            for (int k = 0; k <= j - 1 - top[j - 1]; ++k) A.push_back(dense[(j - 1 - k) * n + (j - 1)]);
        }
    }
    std::vector<double> Multiply(const std::vector<double>& u) const {
        std::vector<double> f(n + 1, 0.0);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) f[i + 1] += dense[i * n + j] * u[j + 1];
        return f;
    }
};

// The blocked kernel's instruction-set paths this processor runs.
inline std::vector<BlockedIsa> PathsHere() {
    std::vector<BlockedIsa> paths;
    for (BlockedIsa isa : {BlockedIsa::Sse2, BlockedIsa::Avx2, BlockedIsa::Avx512})
        if (BlockedIsaAvailable(isa)) paths.push_back(isa);
    return paths;
}

// Three kinds of profile: ragged (empty columns, tops that jump), an even band, and the paired tops of
// mesh nodes.
inline SkylineSystem Profile(int size, int kind, unsigned seed) {
    switch (kind) {
    case 0:
        return SkylineSystem(size, seed);
    case 1:
        return SkylineSystem(size, seed, 60, 64);
    default:
        return SkylineSystem(size, seed, 20, 70, true);
    }
}

} // namespace torva::engine::test
