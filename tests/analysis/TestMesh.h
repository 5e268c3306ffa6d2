#pragma once
// A small hand-made mesh for the result-store tests: a row of elements on a grid of nodes.
#include "analysis/MeshView.h"

#include <cstdint>
#include <vector>

namespace torva::test {

struct TestMesh {
    std::vector<int32_t> nodeX, nodeY, elemNodes, elemDiscrete, elemOutputNo;

    int AddNode(int x, int y) {
        nodeX.push_back(x);
        nodeY.push_back(y);
        return static_cast<int>(nodeX.size()) - 1;
    }
    void AddElement(int n1, int n2, int n3, int n4, int discrete = 0, int outputNo = 0) {
        elemNodes.insert(elemNodes.end(), {n1, n2, n3, n4});
        elemDiscrete.push_back(discrete);
        elemOutputNo.push_back(outputNo);
    }
    MeshView View() const {
        MeshView view;
        view.nodeCount = static_cast<int>(nodeX.size());
        view.elementCount = static_cast<int>(elemDiscrete.size());
        view.nodeX = nodeX.data();
        view.nodeY = nodeY.data();
        view.elemNodes = elemNodes.data();
        view.elemDiscrete = elemDiscrete.data();
        view.elemOutputNo = elemOutputNo.data();
        return view;
    }
};

// Elements side by side: column c spans x[c]..x[c + 1], one row of height `height`; nodes in grid order
// (bottom row first). Element corners n1 (c, 0), n2 (c + 1, 0), n3 (c + 1, 1), n4 (c, 1).
inline TestMesh RowMesh(const std::vector<int>& xs, int height, const std::vector<int>& discrete = {}) {
    TestMesh mesh;
    const int columns = static_cast<int>(xs.size());
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < columns; ++i) mesh.AddNode(xs[i], j * height);
    for (int c = 0; c + 1 < columns; ++c)
        mesh.AddElement(c, c + 1, columns + c + 1, columns + c, discrete.empty() ? 0 : discrete[c]);
    return mesh;
}

} // namespace torva::test
