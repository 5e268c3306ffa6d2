#include "analysis/FramePreparation.h"

#include "analysis/DeformationScale.h"
#include "analysis/GraphScale.h"

#include <algorithm>

namespace torva {

void PrepareFrame(AnalysisScene& scene, const MeshView& mesh, const AnalysisState& state,
                  const ViewControl& view, ColourScale& colours, int clientWidth, int clientHeight) {
    scene.projection.Layout(clientWidth, clientHeight, view.separation == 1);
    scene.PrepareStressRange(colours);
    float scale = state.responseScale;
    if (view.readingAids) {
        scene.automaticScale = static_cast<float>(ReadableScale(mesh, scene.shownDisp.data()));
        scale = scene.automaticScale * view.multiplier;
    }
    if (state.analysisDone == 1) scene.PrepareDeformedAndGlyphs(mesh, scale);
    // View kind 0, the force-deformation graph, is the one whose scales follow the curve.
    if (state.analysisMode == AnalysisState::kPushoverMode && scene.viewKind == 0) {
        const int rows = std::clamp(state.stepCounter, 0, AnalysisScene::kHistoryRows - 1);
        if (!view.readingAids) {
            GraphScale::Settle(scene.controlHistory.data(), 1, rows, scene.graphCounterX,
                               scene.graphCounterY);
            return;
        }
        // The rows read so far as the capacity curve, N turned into kN; the axes grow only when a point
        // leaves them, so the graph does not jump about while a run adds steps.
        scene.graphCurve.resize(size_t(rows) + 1);
        scene.graphCurve[0] = {};
        for (int row = 1; row <= rows; ++row)
            scene.graphCurve[size_t(row)] = {double(scene.controlHistory[2 * size_t(row)]),
                                             double(scene.controlHistory[2 * size_t(row) + 1]) / 1000.0};
        scene.graphAxes.Hold(scene.graphCurve);
    }
}

} // namespace torva
