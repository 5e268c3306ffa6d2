#include "cli/AnalyzePicture.h"

#include "analysis/FramePreparation.h"
#include "analysis/MeshView.h"
#include "drawing/PictureFile.h"
#include "drawing/ResultPainter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>

namespace torva::cli {

namespace {

// A painting needs an application object; the command line has none of its own.
void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "torva_fem";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

} // namespace

AnalysisPicture::AnalysisPicture(const CFramePat& model, const Mesh& mesh)
    : model_(model), mesh_(mesh), scene_(std::make_unique<AnalysisScene>()) {
    ClearRun(state_, *scene_, model_);
    state_.sizeMode = 1;
    view_.showPrincipal = 1;
    // The window's reading aids, at its default multiplier.
    view_.readingAids = true;
    scene_->projection.centred = true;
}

void AnalysisPicture::Record(int mode, std::span<const double> results, int step) {
    const MeshView mesh = MeshViewOf(mesh_);
    const int count = static_cast<int>(results.size());
    if (mode == AnalysisState::kElasticMode) {
        scene_->ReadElasticResults(mesh, results.data(), count);
    } else {
        pushover_ = true;
    }
    scene_->ReadStepResults(mesh, results.data(), count, step);
    lastStep_ = step;
    recorded_ = true;
}

bool AnalysisPicture::Save(const std::string& path, std::string& error) {
    EnsureGuiApplication();
    if (recorded_) {
        state_.analysisDone = 1;
        state_.stepCounter = lastStep_;
        state_.analysisMode = pushover_ ? AnalysisState::kPushoverMode : AnalysisState::kElasticMode;
        if (pushover_) {
            scene_->FillDisplayFromStep();
            // Explicit increments may run past the model's own segments.
            if (state_.StepTotal() < lastStep_) {
                state_.runSegments = 1;
                state_.runStepsPerSegment = lastStep_;
            }
        } else {
            scene_->FillDisplayFromElastic();
        }
    }
    view_.separation = pushover_ ? 1 : 0;
    scene_->viewKind = 0; // the force-deformation curve

    // Fitted into the plot that the picture really has (above the response strip in push-over).
    const QSize client(kWidth, kHeight);
    scene_->projection.MeasureClient(kWidth, pushover_ ? kHeight - Projection::kStripHeight : kHeight);
    const auto maxX = std::max_element(mesh_.nodeX, mesh_.nodeX + mesh_.nodeCount);
    const auto maxY = std::max_element(mesh_.nodeY, mesh_.nodeY + mesh_.nodeCount);
    scene_->projection.Fit(mesh_.nodeCount > 0 ? static_cast<float>(*maxX) : 0.0f,
                           mesh_.nodeCount > 0 ? static_cast<float>(*maxY) : 0.0f);

    // Prepared once, with the curve's full scales grown to hold it, and painted once.
    PrepareFrame(*scene_, MeshViewOf(mesh_), state_, view_, colours_, kWidth, kHeight);
    const PaintInput input = PaintInputOf(*scene_, mesh_, state_, view_, colours_);
    if (!WritePicture(
            path, client, [&](QPainter& painter) { PaintAnalysis(painter, input, client); }, error))
        return false;
    return true;
}

} // namespace torva::cli
