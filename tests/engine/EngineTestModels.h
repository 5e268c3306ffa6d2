#pragma once
// Hand-written engine input streams for the engine tests: a small model description that writes the
// stream field by field, and grid models numbered the way the mesh numbers them (row by row, x fastest;
// element nodes anticlockwise from the corner with the smallest x and y).
#include "engine/Engine.h"
#include "engine/EngineTestAccess.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace torva::engine::test {

struct StreamModel {
    int formulation = 2;
    std::vector<std::array<int, 2>> nodes;      // x, y in mm
    std::vector<std::array<int, 2>> restraints; // node, code
    int gravity = 0;                            // m/sec2 × 100
    std::vector<std::array<int, 7>>
        concrete; // t×100, Ec/1000, nu×10000, density×100, fc×100, ft×100, eps0×10000
    std::vector<std::array<int, 7>> rebar; // Ax×100, sx×100, fyx×100, Ay×100, sy×100, fyy×100, Es/1000
    std::vector<std::array<int, 9>> elements; // n1..n4, concrete, rebar, discrete, fibre, output
    std::vector<std::array<int, 3>> loads;    // node, Fx×100, Fy×100
    int controlNode = 0, controlDirection = 1, concreteSelector = 0, rebarSelector = 0, activeOutput = 0;

    std::vector<int32_t> Stream() const {
        std::vector<int32_t> s = {formulation, int(nodes.size()), int(restraints.size()), int(loads.size())};
        for (const auto& n : nodes) s.insert(s.end(), n.begin(), n.end());
        for (const auto& r : restraints) s.insert(s.end(), r.begin(), r.end());
        s.push_back(gravity);
        s.push_back(int(concrete.size()));
        for (const auto& c : concrete) s.insert(s.end(), c.begin(), c.end());
        s.push_back(int(rebar.size()));
        for (const auto& r : rebar) s.insert(s.end(), r.begin(), r.end());
        s.push_back(int(elements.size()));
        for (const auto& e : elements) s.insert(s.end(), e.begin(), e.end());
        for (const auto& l : loads) s.insert(s.end(), l.begin(), l.end());
        s.insert(s.end(), {controlNode, controlDirection, concreteSelector, rebarSelector, activeOutput});
        return s;
    }
};

// Concrete of 200 mm, Ec 30000 N/mm2, nu 0.2, 2400 kg/m3, fc 30, ft 3, eps0 0.002.
constexpr std::array<int, 7> kWallConcrete = {20000, 30, 2000, 240000, 3000, 300, 20};
// Bars of 100 mm2 at 200 mm both ways, fy 400, Es 200000.
constexpr std::array<int, 7> kWallRebar = {10000, 20000, 40000, 10000, 20000, 40000, 200};

// A grid of columns `widths` and rows `heights` (mm); every cell an element of concrete type 1.
struct GridModel : StreamModel {
    int nx = 0, ny = 0;
    std::vector<int> xs, ys; // node line coordinates

    GridModel(const std::vector<int>& widths, const std::vector<int>& heights) {
        nx = int(widths.size()), ny = int(heights.size());
        xs = {0}, ys = {0};
        for (int w : widths) xs.push_back(xs.back() + w);
        for (int h : heights) ys.push_back(ys.back() + h);
        for (int j = 0; j <= ny; ++j)
            for (int i = 0; i <= nx; ++i) nodes.push_back({xs[i], ys[j]});
        concrete.push_back(kWallConcrete);
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                const int discrete = heights[j] == 0 ? 2 : widths[i] == 0 ? 1 : 0;
                elements.push_back(
                    {Node(i, j), Node(i + 1, j), Node(i + 1, j + 1), Node(i, j + 1), 1, 0, discrete, 0, 0});
            }
    }
    // 1-based node number of grid node (i, j).
    int Node(int i, int j) const { return j * (nx + 1) + i + 1; }
    int ElementAt(int i, int j) const { return j * nx + i + 1; }
    void Restrain(int i, int j, int code) { restraints.push_back({Node(i, j), code}); }
    void RestrainRow(int j, int code) {
        for (int i = 0; i <= nx; ++i) Restrain(i, j, code);
    }
    void RestrainColumn(int i, int code) {
        for (int j = 0; j <= ny; ++j) Restrain(i, j, code);
    }
    void LoadNode(int i, int j, int fx, int fy) { loads.push_back({Node(i, j), fx, fy}); }
    void SetRebar(int type) {
        for (auto& e : elements) e[5] = type;
    }
};

// The iterative tests' wall: a cantilever 1000 × 2000 mm (4 × 8 elements) on its last node line, bars
// both ways, gravity on, pushed sideways at its top left corner by a 1000 N pattern.
inline GridModel CantileverWall(int formulation = 2) {
    GridModel m(std::vector<int>(4, 250), std::vector<int>(8, 250));
    m.formulation = formulation;
    m.rebar.push_back(kWallRebar);
    m.SetRebar(1);
    m.RestrainRow(8, 12);
    m.LoadNode(0, 0, 100000, 0); // 1000 N
    m.controlNode = m.Node(0, 0);
    m.controlDirection = 1;
    m.gravity = 981;
    return m;
}

// An engine of its own with a full-size result buffer of the test's, driven call by call through the
// engine's step-numbered call (Start and Step are this call with the engine's own buffer and counter).
struct EngineRun {
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    std::vector<double> results = std::vector<double>(kResultBufferSize, 0.0);
    std::vector<int32_t> stream;
    int step = 0, status = 1;

    explicit EngineRun(const StreamModel& model) : stream(model.Stream()) {}
    // One call; step 0 on the first, then the next step number.
    int Call(int mode, double increment = 0.0) {
        if (calls++ > 0) ++step;
        EngineTestAccess(*engine).Run(results, increment, stream, mode, step, status);
        return status;
    }
    // Nodal displacement from the result buffer (direction 1 x, 2 y).
    double U(int node, int direction) const { return results[2 + 2 * (node - 1) + direction - 1]; }
    int calls = 0;
};

} // namespace torva::engine::test
