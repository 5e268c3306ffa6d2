#pragma once
// The analysis view painted without a window, for `torva_fem analyze MODEL.fem --picture FILE.png`.
// The command records the result buffer after every engine call that finished; Save paints what the
// analysis window would show after that run, on Qt's offscreen platform: the elastic result, or after
// push-over steps the last step with its force-deformation curve in the response strip. The
// displacements are amplified as a user would with "Amplify the Respnse" (doubling, shown by the
// "Amp" overlay) until the largest one is drawn at least 5 % of the model's size.
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

    // The response scale of the picture: the smallest power of two (at most 2^20) that draws the
    // largest displayed displacement at 5 % of the larger model extent (analysis/DeformationScale.h);
    // 1 without displacements.
    float ReadableAmplification() const;

private:
    static constexpr int kMaxAmplifications = 20;

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
