#pragma once
// What the analysis view's result store reads from the mesh: counts, undeformed node coordinates (mm),
// element corners n1..n4 (mesh node indices, 4 per element, anticlockwise with y upwards), the discrete
// flag (0 plane, 1 zero-width column, 2 zero-height row) and the output number (0 none, else 1..25) of
// every element. It only points into the mesh's tables, so making one at every repaint costs nothing;
// the tables must outlive it and keep their layout.
#include <cstdint>

namespace torva {

struct MeshView {
    int nodeCount = 0;
    int elementCount = 0;
    const int32_t* nodeX = nullptr;
    const int32_t* nodeY = nullptr;
    const int32_t* elemNodes = nullptr; // corner c of element e at 4·e + c
    const int32_t* elemDiscrete = nullptr;
    const int32_t* elemOutputNo = nullptr;

    int32_t Node(int element, int corner) const { return elemNodes[4 * element + corner]; }
};

// A view of any mesh type with these members (the program's Mesh has them).
template <class MeshT> MeshView MeshViewOf(const MeshT& mesh) {
    MeshView view;
    view.nodeCount = mesh.nodeCount;
    view.elementCount = mesh.elementCount;
    view.nodeX = mesh.nodeX;
    view.nodeY = mesh.nodeY;
    view.elemNodes = mesh.elemNodes;
    view.elemDiscrete = mesh.elemDiscrete;
    view.elemOutputNo = mesh.elemOutputNo;
    return view;
}

} // namespace torva
