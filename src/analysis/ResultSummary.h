#pragma once
// A short reading of the engine's result buffer for people: the largest nodal displacement and where
// it is, and the largest and smallest principal concrete stress and where. Plan positions are the
// model's grid positions (x, y), elements and nodes starting at (2, 2).
#include "analysis/Mesh.h"
#include "engine/ResultLayout.h"

namespace torva {

struct ResultSummary {
    int node = 0;                            // 1-based mesh node of the largest displacement (0: no nodes)
    int nodeX = 0, nodeY = 0;                // its plan position
    double ux = 0, uy = 0, displacement = 0; // mm; displacement = |(ux, uy)|
    int maxElement = 0, maxGauss = 0; // 1-based element and Gauss point of the largest first principal stress
    int minElement = 0, minGauss = 0; // of the smallest second principal stress
    int maxX = 0, maxY = 0, minX = 0, minY = 0; // plan positions of those elements
    double maxStress = 0, minStress = 0;        // N/mm2
};

// Reads nodes and Gauss-point records of results computed on `mesh` (joint elements, which carry no
// concrete stress, are left out of the stresses).
ResultSummary SummariseResults(const Mesh& mesh, const engine::ResultView& results);

// Plan position of a mesh node (0-based index) and of an element (its first node's position).
void NodePlanPosition(const Mesh& mesh, int node, int& x, int& y);
void ElementPlanPosition(const Mesh& mesh, int element, int& x, int& y);

} // namespace torva
