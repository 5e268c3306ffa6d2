#pragma once
// Plausible results for pictures of the example models without the engine: a cantilever in bending,
// either a wall fixed at its base (largest y) and pushed towards +x or a beam fixed at x = 0 and loaded
// towards +y, and push-over histories of the usual shapes. Only their shape matters.
#include "analysis/AnalysisScene.h"
#include "analysis/MeshView.h"

#include <algorithm>
#include <cmath>

namespace torva::test {

enum class Cantilever { Wall, Beam };

// tip: displacement of the loaded edge (mm); stress: extreme-fibre bending stress at the fixed edge and
// shear: the largest shear stress (N/mm2).
inline void FabricateResults(AnalysisScene& scene, const MeshView& mesh, Cantilever kind, float tip,
                             float stress, float shear) {
    const auto [minX, maxX] = std::minmax_element(mesh.nodeX, mesh.nodeX + mesh.nodeCount);
    const auto [minY, maxY] = std::minmax_element(mesh.nodeY, mesh.nodeY + mesh.nodeCount);
    const bool wall = kind == Cantilever::Wall;
    const float length = static_cast<float>(wall ? *maxY - *minY : *maxX - *minX);
    const float depth = static_cast<float>(wall ? *maxX - *minX : *maxY - *minY);
    // t along the member from the fixed edge (0) to the loaded one (1); c across, +1 on the tension side.
    auto along = [&](float x, float y) { return wall ? (*maxY - y) / length : (x - *minX) / length; };
    auto across = [&](float x, float y) { return 1.0f - 2.0f * (wall ? x - *minX : y - *minY) / depth; };
    for (int k = 0; k < mesh.nodeCount; ++k) {
        const float t = along(mesh.nodeX[k], mesh.nodeY[k]), c = across(mesh.nodeX[k], mesh.nodeY[k]);
        const float deflection = tip * t * t * (3.0f - t) / 2.0f;
        const float stretch = tip * 0.75f * depth / length * c * (2.0f * t - t * t); // plane sections
        scene.shownDisp[2 * k] = wall ? deflection : stretch;
        scene.shownDisp[2 * k + 1] = wall ? -stretch : deflection;
    }
    for (int e = 0; e < mesh.elementCount; ++e)
        for (int g = 0; g < AnalysisScene::kGaussPoints && mesh.elemDiscrete[e] == 0; ++g) {
            float x = 0, y = 0;
            for (int r = 0; r < 4; ++r) {
                x += scene.gaussShape[r][g] * static_cast<float>(mesh.nodeX[mesh.Node(e, r)]);
                y += scene.gaussShape[r][g] * static_cast<float>(mesh.nodeY[mesh.Node(e, r)]);
            }
            const float t = along(x, y), c = across(x, y);
            const float bending = stress * (1.0f - t) * c, tau = shear * (1.0f - c * c);
            const float radius = std::sqrt(bending * bending / 4.0f + tau * tau);
            const int at = AnalysisScene::GaussIndex(e, g);
            scene.shownGauss[at] = bending / 2.0f + radius;
            scene.shownGauss[at + 1] = bending / 2.0f - radius;
            scene.shownGauss[at + 2] = 0.5f * std::atan2(2.0f * tau, wall ? -bending : bending);
        }
}

// Rows 1..steps of every history: a softening force-deformation curve, concrete and rebar curves that
// yield, joint springs that open.
inline void FabricateHistories(AnalysisScene& scene, int steps) {
    for (int s = 1; s <= steps; ++s) {
        const double d = 0.15 * s;
        scene.controlHistory[2 * s] = static_cast<float>(d);
        scene.controlHistory[2 * s + 1] = static_cast<float>(3.2e5 * (1.0 - std::exp(-d / 1.5)));
        for (int slot = 0; slot < 18; ++slot) {
            const double e = 0.025 * s * (1 + slot % 9) / 9.0;
            scene.outputGaussHistory[1][18 * s + slot] = -e;
            scene.outputGaussHistory[0][18 * s + slot] = -std::sin(std::min(1.5, 2.0 * e));
            scene.outputGaussHistory[3][18 * s + slot] = e;
            scene.outputGaussHistory[2][18 * s + slot] = std::min(1.0, 3.0 * e);
        }
        for (int spring = 0; spring < 2; ++spring) {
            const double open = 0.03 * s * (spring + 1);
            scene.outputDiscreteHistory[1][2 * s + spring] = -open / 2;
            scene.outputDiscreteHistory[0][2 * s + spring] = -std::tanh(open);
            scene.outputDiscreteHistory[3][2 * s + spring] = open;
            scene.outputDiscreteHistory[2][2 * s + spring] = std::min(1.0, 2 * open);
        }
    }
}

} // namespace torva::test
