#include "analysis/ResultSummary.h"

#include <cmath>

namespace torva {

void NodePlanPosition(const Mesh& mesh, int node, int& x, int& y) {
    x = y = 0;
    const int columns = mesh.nx + 1;
    for (int g = 0; g < columns * (mesh.ny + 1); ++g)
        if (mesh.nodeMap[g] == node) {
            x = g % columns + 2;
            y = g / columns + 2;
            return;
        }
}

void ElementPlanPosition(const Mesh& mesh, int element, int& x, int& y) {
    NodePlanPosition(mesh, mesh.ElementNode(element, 0), x, y);
}

ResultSummary SummariseResults(const Mesh& mesh, const engine::ResultView& results) {
    ResultSummary s;
    for (int k = 0; k < mesh.nodeCount; ++k) {
        const double ux = results.Displacement(k, 0), uy = results.Displacement(k, 1);
        const double d = std::hypot(ux, uy);
        if (s.node == 0 || d > s.displacement) {
            s.node = k + 1;
            s.ux = ux, s.uy = uy, s.displacement = d;
        }
    }
    if (s.node != 0) NodePlanPosition(mesh, s.node - 1, s.nodeX, s.nodeY);
    for (int e = 0; e < mesh.elementCount; ++e) {
        if (mesh.elemDiscrete[e] != 0) continue;
        for (int g = 0; g < engine::kGaussPoints; ++g) {
            const double first = results.Gauss(e, g, 0), second = results.Gauss(e, g, 1);
            if (s.maxElement == 0 || first > s.maxStress)
                s.maxElement = e + 1, s.maxGauss = g + 1, s.maxStress = first;
            if (s.minElement == 0 || second < s.minStress)
                s.minElement = e + 1, s.minGauss = g + 1, s.minStress = second;
        }
    }
    if (s.maxElement != 0) ElementPlanPosition(mesh, s.maxElement - 1, s.maxX, s.maxY);
    if (s.minElement != 0) ElementPlanPosition(mesh, s.minElement - 1, s.minX, s.minY);
    return s;
}

} // namespace torva
