#pragma once
// Plausible results for pictures of the example models without running the engine: the displacements
// and stresses of a cantilever in bending, fixed at one edge of the model and loaded at the other
// (a wall fixed at its base and pushed sideways, or a beam fixed at its left end and loaded downwards).
// Only their shape matters: the drawing tests check where things appear, not the numbers.
#include "analysis/AnalysisScene.h"
#include "analysis/MeshView.h"

#include <algorithm>
#include <cmath>

namespace torva::test {

enum class Cantilever {
    Wall, // base at the largest y, pushed towards +x
    Beam, // fixed at x = 0, loaded towards +y at the free end
};

// tip: displacement of the loaded edge (mm); stress: bending stress at the fixed edge's extreme fibre
// (N/mm2); shear: the largest shear stress.
inline void FabricateResults(AnalysisScene& scene, const MeshView& mesh, Cantilever kind, float tip,
                             float stress, float shear) {
    int minX = mesh.nodeX[0], maxX = minX, minY = mesh.nodeY[0], maxY = minY;
    for (int k = 0; k < mesh.nodeCount; ++k) {
        minX = std::min(minX, mesh.nodeX[k]);
        maxX = std::max(maxX, mesh.nodeX[k]);
        minY = std::min(minY, mesh.nodeY[k]);
        maxY = std::max(maxY, mesh.nodeY[k]);
    }
    const bool wall = kind == Cantilever::Wall;
    // Along the member: t from the fixed edge (0) to the loaded one (1); across: c from -1 to +1, positive
    // on the side in tension.
    const float length = static_cast<float>(wall ? maxY - minY : maxX - minX);
    const float depth = static_cast<float>(wall ? maxX - minX : maxY - minY);
    auto along = [&](float x, float y) { return wall ? (maxY - y) / length : (x - minX) / length; };
    auto across = [&](float x, float y) {
        return wall ? 1.0f - 2.0f * (x - minX) / depth : 1.0f - 2.0f * (y - minY) / depth;
    };

    for (int k = 0; k < mesh.nodeCount; ++k) {
        const float x = static_cast<float>(mesh.nodeX[k]), y = static_cast<float>(mesh.nodeY[k]);
        const float t = along(x, y), c = across(x, y);
        const float deflection = tip * t * t * (3.0f - t) / 2.0f;
        const float stretch = tip * 1.5f * depth / length * c * (2.0f * t - t * t) / 2.0f; // plane sections
        scene.shownDisp[2 * k] = wall ? deflection : stretch;
        scene.shownDisp[2 * k + 1] = wall ? -stretch : deflection;
    }
    for (int e = 0; e < mesh.elementCount; ++e)
        for (int g = 0; g < AnalysisScene::kGaussPoints; ++g) {
            float x = 0, y = 0;
            for (int r = 0; r < 4; ++r) {
                x += scene.gaussShape[r][g] * static_cast<float>(mesh.nodeX[mesh.Node(e, r)]);
                y += scene.gaussShape[r][g] * static_cast<float>(mesh.nodeY[mesh.Node(e, r)]);
            }
            const float t = along(x, y), c = across(x, y);
            const float bending = stress * (1.0f - t) * c;
            const float tau = shear * (1.0f - c * c);
            const float sx = wall ? 0.0f : bending, sy = wall ? bending : 0.0f;
            const float mean = (sx + sy) / 2.0f;
            const float radius = std::sqrt((sx - sy) * (sx - sy) / 4.0f + tau * tau);
            const int at = AnalysisScene::GaussIndex(e, g);
            if (mesh.elemDiscrete[e] != 0) continue; // joints carry no concrete stress record
            scene.shownGauss[at] = mean + radius;
            scene.shownGauss[at + 1] = mean - radius;
            scene.shownGauss[at + 2] = 0.5f * std::atan2(2.0f * tau, sx - sy);
        }
}

} // namespace torva::test
