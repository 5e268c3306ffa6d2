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
        GraphScale::Settle(scene.controlHistory.data(), 1, rows, scene.graphCounterX, scene.graphCounterY);
    }
}

} // namespace torva
