#pragma once
// The model's own marks in the analysis view, in the plan editor's colours so they read the same:
//   supports        brown, below the node: a filled triangle where both directions are fixed (pin), a
//                   hollow triangle on a line where only y is fixed (a roller moving in x), the same
//                   turned on its side, left of the node, where only x is fixed;
//   control node    an orange ring around the node;
//   output elements a frame on the element's outline with its number beside it: sky blue for the one
//                   whose graphs are drawn, green for the others.
// Node positions are the ones drawn (the displayed mesh once results are shown), in pixels.
#include <QColor>
#include <QPoint>
#include <cstdint>
#include <vector>

class QPainter;

namespace torva {

struct MeshView;

// What the marks read from the mesh: restraints (mesh node, RestraintCode) and the control node.
struct ModelMarksView {
    int restraintCount = 0;
    const int32_t* restraintNode = nullptr;
    const int32_t* restraintDir = nullptr;
    int controlNode = -1; // mesh node, −1 without one
};

template <class MeshT> ModelMarksView ModelMarksViewOf(const MeshT& mesh) {
    return {mesh.restraintCount, mesh.restraintNode, mesh.restraintDir, mesh.controlNodeIndex};
}

struct ModelMarkColours {
    static QColor Support() { return QColor(180, 90, 10); }
    static QColor ControlNode() { return QColor(255, 140, 0); }
    static QColor Output() { return QColor(0, 200, 0); }
    static QColor ActiveOutput() { return QColor(0, 191, 255); }
};

class ModelMarks {
public:
    static constexpr int kSupportSize = 9;   // pixels from the node to the triangle's base
    static constexpr int kControlRadius = 9; // pixels
    static constexpr int kOutputFrame = 3;   // pixels

    // Every mesh node's pixel in `pixels`; `activeOutput` is the element whose graphs are drawn (−1: none).
    static void Paint(QPainter& painter, const ModelMarksView& marks, const MeshView& mesh, int activeOutput,
                      const std::vector<QPoint>& pixels);
};

} // namespace torva
