#pragma once
// The engine input stream of the benchmarks' wall, shared by the engine benchmarks.
#include <cstdint>
#include <vector>

namespace torva::bench {

// n × n (60 × 60 unless given) elements of 250 × 250 mm numbered as the mesh numbers them, pinned along the
// last row (the bottom of the screen), pushed at the first row; rebar everywhere, gravity on.
inline std::vector<int32_t> WallStream(int concreteSelector, int rebarSelector, int n = 60) {
    const int side = n + 1;
    std::vector<int32_t> s = {2, side * side, side, side};
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) s.insert(s.end(), {250 * i, 250 * j});
    for (int i = 0; i <= n; ++i) s.insert(s.end(), {n * side + i + 1, 12});
    s.push_back(980);
    s.insert(s.end(), {1, 20000, 30, 2000, 240000, 3000, 300, 20});
    s.insert(s.end(), {1, 10000, 20000, 40000, 10000, 20000, 40000, 200});
    s.push_back(n * n);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const int a = j * side + i + 1;
            s.insert(s.end(), {a, a + 1, a + side + 1, a + side, 1, 1, 0, 0, 0});
        }
    for (int i = 0; i <= n; ++i) s.insert(s.end(), {i + 1, 1000000, 0});
    s.insert(s.end(), {n + 1, 1, concreteSelector, rebarSelector, 0});
    return s;
}

} // namespace torva::bench
