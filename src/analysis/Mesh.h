#pragma once
// The finite-element mesh of a model, built in two stages.
//
// Stage 1, BuildNodeGrid: the grid of (nx + 1) × (ny + 1) nodes with coordinates in whole millimetres.
//   Grid node (i, j) stands for model position (i + 2, j + 2) and has the number g = j·(nx + 1) + i.
//   In default size every span is 1 mm; in actual size the spans come from the model's span tables.
//   Run it when the view is reset (first display, size-mode change, new grid size or layer count).
// Stage 2, Scan: elements, restraints, loads, control node and output numbers, read from layers 0..4
//   of the model, then the nodes are compacted to those that elements use. Idempotent; it always
//   starts from the stage-1 coordinates, so it can run on every repaint.
//
// After Scan, mesh node k (0-based) lies at (nodeX[k], nodeY[k]); nodes keep grid order (x fastest,
// then y). Element nodes run n1 (i, j), n2 (i + 1, j), n3 (i + 1, j + 1), n4 (i, j + 1): anticlockwise
// with x to the right and y upwards (clockwise on a screen where y grows downwards). Lists are in scan
// order: row by row in increasing y, increasing x within a row. Restraints and loads on nodes that no
// element uses are dropped.
//
// The tables have fixed capacities (the 102 × 102 plan and its 103 × 103 node lines), so a Mesh is
// about 0.8 MB: create it on the heap (an analysis session holds one). Displayed displacements and positions
// belong to the analysis view, which resets them together with stage 1 and copies nodeX/nodeY after Scan.
#include "model/FramePat.h"

#include <cstdint>

namespace torva {

enum SizeMode : int { kDefaultSize = 0, kActualSize = 1 };

// Restraint direction codes: which directions of a node are fixed.
enum RestraintCode : int32_t { kFree = 0, kFixedX = 1, kFixedY = 2, kFixedXY = 12 };

// The direction code of a boundary type's property 0: 1 Pin, 2 Roller X (y fixed), 3 Roller Y (x fixed).
int32_t RestraintCodeOf(int32_t boundaryKind);

class Mesh {
public:
    static constexpr int kGridLines = 103;
    static constexpr int kGridNodeCapacity = kGridLines * kGridLines; // 10,609
    static constexpr int kElementCapacity = kPositions;               // 10,404
    static constexpr int kRestraintCapacity = kPositions;
    static constexpr int kLoadCapacity = kGridNodeCapacity;

    // An empty mesh: a grid of one node, nothing scanned.
    Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Stage 1. sizeMode: kDefaultSize or kActualSize. Returns the model width and height in mm for
    // the view's fit. Afterwards every grid node is a mesh node and no element is counted.
    void BuildNodeGrid(const CFramePat& model, int sizeMode, float& width, float& height);
    // Stage 2 on the grid of the latest BuildNodeGrid.
    void Scan(const CFramePat& model);
    // Both stages, for callers without a view (command line, tests).
    void Build(const CFramePat& model, int sizeMode);

    int32_t GridNode(int i, int j) const { return gridIndex[i * kGridLines + j]; }
    int32_t ElementNode(int element, int corner) const { return elemNodes[4 * element + corner]; }

    // Grid size of the latest BuildNodeGrid: elements in x and y.
    int32_t nx = 0;
    int32_t ny = 0;

    int32_t gridIndex[kGridNodeCapacity]; // g of grid node (i, j) at i·103 + j
    int32_t gridX[kGridNodeCapacity];     // coordinates of grid node g, mm
    int32_t gridY[kGridNodeCapacity];
    int32_t nodeMap[kGridNodeCapacity]; // grid node g -> mesh node index, −1 when unused
    int32_t nodeX[kGridNodeCapacity];   // coordinates of mesh node k, mm
    int32_t nodeY[kGridNodeCapacity];
    int32_t elemNodes[4 * kElementCapacity];    // mesh node indices n1..n4 of element e at 4·e
    int32_t elemConcreteType[kElementCapacity]; // layer-2 type
    int32_t elemRebarType[kElementCapacity];    // 0 = no rebar
    int32_t elemFibreType[kElementCapacity];    // 0 = no fibre sheet
    int32_t elemDiscrete[kElementCapacity];     // 0 plane, 1 zero-width column, 2 zero-height row
    int32_t elemOutputNo[kElementCapacity];     // 0, or 1 + the output slot naming the element
    int32_t restraintNode[kRestraintCapacity];
    int32_t restraintDir[kRestraintCapacity]; // RestraintCode
    int32_t loadNode[kLoadCapacity];
    int32_t loadFx[kLoadCapacity]; // N ×100, as stored in the model
    int32_t loadFy[kLoadCapacity];

    int32_t nodeCount = 0;
    int32_t elementCount = 0;
    int32_t restraintCount = 0;
    int32_t loadCount = 0;
    int32_t controlNodeIndex = -1; // mesh node of the control node; −1 when none or unused
    int32_t concreteTypeCount = 0; // highest type number used by an element, 0 when none
    int32_t rebarTypeCount = 0;
    int32_t fibreTypeCount = 0;
};

} // namespace torva
