#pragma once
// The analysis view painted without a window, for `torva_fem analyze MODEL.fem --picture FILE.png`.
// The command records the result buffer after every engine call that finished; Save paints what the
// analysis window would show after that run, on Qt's offscreen platform: the elastic result, or after
// push-over steps the last step with its force-deformation curve in the response strip. It is drawn as
// the window draws it with its reading aids: the model centred, the automatic deformation scale (the
// largest displacement at 5 % of the model's size, "× 1.0 (auto 41.1)"), the legend with its quantity,
// unit, round ticks and zero mark, supports and the control node.
#include "analysis/AnalysisScene.h"
#include "analysis/AnalysisState.h"
#include "analysis/ColourScale.h"
#include "analysis/Mesh.h"
#include "model/FramePat.h"

#include <memory>
#include <span>
#include <string>

namespace torva::cli {

class AnalysisPicture {
public:
    static constexpr int kWidth = 1000;
    static constexpr int kHeight = 800;

    // `model` and its scanned `mesh` (actual size) must outlive the picture.
    AnalysisPicture(const CFramePat& model, const Mesh& mesh);

    // After a call in `mode` (1 elastic, 2 push-over) that finished step `step` with status 0.
    void Record(int mode, std::span<const double> results, int step);

    // Paints (repeating until the graph's full scales have stopped growing) and writes the picture in
    // the format its extension names (drawing/PictureFile.h).
    bool Save(const std::string& path, std::string& error);

    // The deformation scale of the last picture saved: the largest displayed displacement at 5 % of
    // the larger model extent (analysis/DeformationScale.h); 0 without displacements.
    float DeformationScale() const { return scene_->automaticScale; }

private:
    const CFramePat& model_;
    const Mesh& mesh_;
    std::unique_ptr<AnalysisScene> scene_;
    AnalysisState state_;
    ViewControl view_;
    ColourScale colours_;
    int lastStep_ = 0;
    bool pushover_ = false;
    bool recorded_ = false;
};

} // namespace torva::cli
