#pragma once
// What a repaint of the analysis view draws, worked out when the data or the view change (a step
// arrives, a command, a resize, a drag), so that painting only reads: the plot layout for the client
// size, the colour range of the displayed stresses, the displayed mesh and the stress glyphs once
// results are shown (with the view's reading aids at the automatic scale of the shown state times the
// view's multiplier), and in push-over mode the force-deformation graph's scales grown to hold the curve
// (with reading aids its capacity curve in mm and kN and the round axes that hold it).
#include "analysis/AnalysisScene.h"
#include "analysis/AnalysisState.h"
#include "analysis/ColourScale.h"
#include "analysis/MeshView.h"

namespace torva {

void PrepareFrame(AnalysisScene& scene, const MeshView& mesh, const AnalysisState& state,
                  const ViewControl& view, ColourScale& colours, int clientWidth, int clientHeight);

} // namespace torva
