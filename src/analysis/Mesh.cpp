#include "analysis/Mesh.h"

#include <algorithm>
#include <iterator>

namespace torva {

int32_t RestraintCodeOf(int32_t boundaryKind) {
    switch (boundaryKind) {
    case 1:
        return kFixedXY; // Pin
    case 2:
        return kFixedY; // Roller X: slides along x
    case 3:
        return kFixedX; // Roller Y: slides along y
    default:
        return kFree;
    }
}

namespace {

// The output number (slot + 1) of the element at plan position (x, y); 0 when no slot names it.
int32_t OutputNumberAt(const CFramePat& model, int x, int y) {
    for (int slot = 0; slot < kOutputSlots; ++slot) {
        const int32_t code = model.outputElements[slot];
        if (CodeX(code) == x && CodeY(code) == y) return slot + 1;
    }
    return 0;
}

} // namespace

Mesh::Mesh() {
    std::fill(std::begin(gridIndex), std::end(gridIndex), 0);
    std::fill(std::begin(gridX), std::end(gridX), 0);
    std::fill(std::begin(gridY), std::end(gridY), 0);
    std::fill(std::begin(nodeMap), std::end(nodeMap), 0);
    std::fill(std::begin(nodeX), std::end(nodeX), 0);
    std::fill(std::begin(nodeY), std::end(nodeY), 0);
    nodeCount = 1;
}

void Mesh::BuildNodeGrid(const CFramePat& model, int sizeMode, float& width, float& height) {
    // The loader keeps nxs/nys in 3..62; clamp anyway so that a hand-made model cannot make the scan
    // read past the last position of the plan (node lines end at x, y = 101).
    nx = std::clamp(model.nxs - 2, 0, kGridSize - 3);
    ny = std::clamp(model.nys - 2, 0, kGridSize - 3);

    // Column and row coordinates: running sums of the spans.
    int32_t columnX[kGridLines];
    int32_t rowY[kGridLines];
    columnX[0] = 0;
    for (int i = 1; i <= nx; ++i)
        columnX[i] = columnX[i - 1] + (sizeMode == kActualSize ? model.LineLength(kAxisX, i + 1) : 1);
    rowY[0] = 0;
    for (int j = 1; j <= ny; ++j)
        rowY[j] = rowY[j - 1] + (sizeMode == kActualSize ? model.LineLength(kAxisY, j + 1) : 1);

    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) {
            const int32_t g = j * (nx + 1) + i;
            gridIndex[i * kGridLines + j] = g;
            gridX[g] = nodeX[g] = columnX[i];
            gridY[g] = nodeY[g] = rowY[j];
            nodeMap[g] = 0;
        }

    nodeCount = (nx + 1) * (ny + 1);
    elementCount = restraintCount = loadCount = 0;
    concreteTypeCount = rebarTypeCount = fibreTypeCount = 0;
    controlNodeIndex = -1;
    width = static_cast<float>(columnX[nx]);
    height = static_cast<float>(rowY[ny]);
}

void Mesh::Build(const CFramePat& model, int sizeMode) {
    float width = 0;
    float height = 0;
    BuildNodeGrid(model, sizeMode, width, height);
    Scan(model);
}

void Mesh::Scan(const CFramePat& model) {
    const int gridNodes = (nx + 1) * (ny + 1);
    std::fill(nodeMap, nodeMap + gridNodes, 0);
    elementCount = restraintCount = loadCount = 0;
    concreteTypeCount = rebarTypeCount = fibreTypeCount = 0;
    controlNodeIndex = -1;
    bool controlNodeMet = false;

    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) {
            const int x = i + 2;
            const int y = j + 2;
            const int32_t g = GridNode(i, j);
            auto present = [&](int layer) { return model.Flag(x, y, layer) == 1; };

            if (present(kConcreteLayer) && i < nx && j < ny) {
                const int e = elementCount++;
                int32_t* nodes = &elemNodes[4 * e];
                nodes[0] = g;
                nodes[1] = GridNode(i + 1, j);
                nodes[2] = GridNode(i + 1, j + 1);
                nodes[3] = GridNode(i, j + 1);
                elemConcreteType[e] = model.Type(x, y, kConcreteLayer);
                elemRebarType[e] = present(kRebarLayer) ? model.Type(x, y, kRebarLayer) : 0;
                elemFibreType[e] = present(kFibreLayer) ? model.Type(x, y, kFibreLayer) : 0;

                elemOutputNo[e] = OutputNumberAt(model, x, y);

                // Zero-length spans make joint elements; the real lengths decide, whatever the size
                // mode. A zero-height row wins over a zero-width column.
                elemDiscrete[e] = 0;
                if (model.LineLength(kAxisX, x) == 0) elemDiscrete[e] = 1;
                if (model.LineLength(kAxisY, y) == 0) elemDiscrete[e] = 2;

                concreteTypeCount = std::max(concreteTypeCount, elemConcreteType[e]);
                rebarTypeCount = std::max(rebarTypeCount, elemRebarType[e]);
                fibreTypeCount = std::max(fibreTypeCount, elemFibreType[e]);
            }
            if (present(kBoundaryLayer)) {
                restraintNode[restraintCount] = g;
                restraintDir[restraintCount] =
                    RestraintCodeOf(model.Prop(kBoundaryLayer, model.Type(x, y, kBoundaryLayer), 0));
                ++restraintCount;
            }
            if (present(kPointForceLayer)) {
                const int type = model.Type(x, y, kPointForceLayer);
                loadNode[loadCount] = g;
                loadFx[loadCount] = model.Prop(kPointForceLayer, type, 0);
                loadFy[loadCount] = model.Prop(kPointForceLayer, type, 1);
                ++loadCount;
            }
            if (model.controlNode == PositionCode(x, y)) {
                controlNodeIndex = g;
                controlNodeMet = true;
            }
        }

    // Keep only the grid nodes that elements use, in grid order.
    for (int e = 0; e < elementCount; ++e)
        for (int corner = 0; corner < 4; ++corner) nodeMap[elemNodes[4 * e + corner]] = 1;
    nodeCount = 0;
    for (int g = 0; g < gridNodes; ++g) {
        if (nodeMap[g] == 1) {
            nodeX[nodeCount] = gridX[g];
            nodeY[nodeCount] = gridY[g];
            nodeMap[g] = nodeCount++;
        } else {
            nodeMap[g] = -1;
        }
    }
    for (int n = 0; n < 4 * elementCount; ++n) elemNodes[n] = nodeMap[elemNodes[n]];

    int kept = 0;
    for (int r = 0; r < restraintCount; ++r)
        if (nodeMap[restraintNode[r]] >= 0) {
            restraintNode[kept] = nodeMap[restraintNode[r]];
            restraintDir[kept] = restraintDir[r];
            ++kept;
        }
    restraintCount = kept;

    kept = 0;
    for (int l = 0; l < loadCount; ++l)
        if (nodeMap[loadNode[l]] >= 0) {
            loadNode[kept] = nodeMap[loadNode[l]];
            loadFx[kept] = loadFx[l];
            loadFy[kept] = loadFy[l];
            ++kept;
        }
    loadCount = kept;

    if (controlNodeMet) controlNodeIndex = nodeMap[controlNodeIndex];
}

} // namespace torva
