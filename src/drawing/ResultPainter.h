#pragma once
// The painting of the analysis view, shared by the window, the picture export and the tests: the whole
// client area is drawn through one painter whose origin is the client's top-left corner.
//
//   plot      white, clientWidth × plotHeight: the undeformed mesh (black); once results are shown the
//             displayed mesh (red) and the principal-stress crosses (blue tension, red compression, the
//             first principal stress along its angle, the second across it); on request the filled
//             stress field; the colour legend; the load arrows (green); the axes glyph; "Amp %5.2f";
//             in push-over mode the step progress bar and "%d / %d". With the view's reading aids
//             (the window's own) the legend is the StressLegend, the scale reads "× 1.0 (auto 212)",
//             and supports, the control node and output elements are drawn (ModelMarks).
//   bar       black, 5 pixels high, below the plot.
//   graph     white, 220 pixels high, below the bar: the response graph of the "View" list, push-over only.
//
// With the response strip off (or a client not taller than 225 pixels) the plot fills the client and the
// two lower bands fall outside it. Model millimetres map to pixels with the scene's projection; every
// real-to-pixel conversion truncates toward zero.
#include "analysis/AnalysisScene.h"
#include "analysis/AnalysisState.h"
#include "analysis/MeshView.h"
#include "drawing/ModelMarks.h"

#include <QPoint>
#include <QSize>
#include <cstdint>

class QImage;
class QPainter;

namespace torva {

class ColourScale;

// The title the analysis view gives its frame at every repaint.
inline constexpr const char* kAnalysisViewTitle = "2D";

// The point loads of the mesh: node indices and forces (any unit; only the direction is drawn).
struct LoadView {
    int count = 0;
    const int32_t* node = nullptr;
    const int32_t* fx = nullptr;
    const int32_t* fy = nullptr;
};

template <class MeshT> LoadView LoadViewOf(const MeshT& mesh) {
    return {mesh.loadCount, mesh.loadNode, mesh.loadFx, mesh.loadFy};
}

// What one repaint reads; nothing is written. The scene and the colour scale are prepared for the
// client size first (PrepareFrame).
struct PaintInput {
    const AnalysisScene* scene = nullptr;
    MeshView mesh;
    LoadView loads;
    const AnalysisState* state = nullptr;
    const ViewControl* view = nullptr;
    const ColourScale* colours = nullptr;
    ModelMarksView marks; // drawn with the view's reading aids
};

// The input for a mesh with the tables MeshViewOf and LoadViewOf read (the program's Mesh has them).
template <class MeshT>
PaintInput PaintInputOf(const AnalysisScene& scene, const MeshT& mesh, const AnalysisState& state,
                        const ViewControl& view, const ColourScale& colours) {
    return {&scene, MeshViewOf(mesh), LoadViewOf(mesh), &state, &view, &colours, ModelMarksViewOf(mesh)};
}

// The whole view for a client of the given size, as prepared.
void PaintAnalysis(QPainter& painter, const PaintInput& input, QSize client);
// The same into a new picture of the client size.
QImage RenderAnalysis(const PaintInput& input, QSize client);

// The geometry of one principal-stress cross: its two half-vectors in pixels and the signed lengths
// (mm, truncated) that give their colours (> 0 tension, blue; otherwise compression, red).
struct GlyphLines {
    int a1 = 0, a2 = 0;
    QPoint half1, half2;
};
// l1, l2: glyph components (mm); theta: angle of the first principal stress (rad); pixelsPerMm: the
// base scale × glyph factor × zoom.
GlyphLines PrincipalGlyph(float l1, float l2, float theta, float pixelsPerMm);

// The three lines of a load arrow whose tip is at `tip`, pointing along (fx, fy) on the screen, for a
// plot of the given height: the shaft from the tail (plotHeight / 20 behind the tip) and two barbs
// reaching plotHeight / 60 back and aside. A zero force gives no arrow: all three points at the tip.
struct ArrowLines {
    QPoint tail, barb1, barb2;
};
ArrowLines LoadArrow(int fx, int fy, QPoint tip, int plotHeight);

} // namespace torva
