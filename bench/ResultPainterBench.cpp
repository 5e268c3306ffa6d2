// A full repaint of the analysis view of a 60 × 60 model with results: both meshes, 32,400
// principal-stress crosses, legend, load arrows, overlays and the force-deformation strip.
// Budget: < 30 ms.
#include "analysis/AnalysisScene.h"
#include "analysis/AnalysisState.h"
#include "analysis/ColourScale.h"
#include "analysis/FramePreparation.h"
#include "analysis/Mesh.h"
#include "drawing/ResultPainter.h"
#include "model/FramePat.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

struct FullView {
    std::unique_ptr<torva::CFramePat> model = std::make_unique<torva::CFramePat>();
    std::unique_ptr<torva::Mesh> mesh = std::make_unique<torva::Mesh>();
    std::unique_ptr<torva::AnalysisScene> scene = std::make_unique<torva::AnalysisScene>();
    torva::AnalysisState state;
    torva::ViewControl view;
    torva::ColourScale colours;
    QSize client{1000, 800};

    // Every element concrete, a point force on every node of the top line, pinned base; results with
    // stresses varying over the whole model and a 1000-step push-over history.
    explicit FullView(bool pushover) {
        model->nxs = model->nys = torva::kMaxGridCount;
        model->Reset();
        for (int x = 2; x < model->nxs; ++x)
            for (int y = 2; y < model->nys; ++y) model->Flag(x, y, torva::kConcreteLayer) = 1;
        for (int x = 2; x <= model->nxs; ++x) {
            model->Flag(x, 2, torva::kPointForceLayer) = 1;
            model->Flag(x, model->nys, torva::kBoundaryLayer) = 1;
        }
        view.separation = pushover ? 1 : 0;
        scene->projection.MeasureClient(client.width(), client.height() - (pushover ? 225 : 0));
        float width = 0, height = 0;
        mesh->BuildNodeGrid(*model, torva::kActualSize, width, height);
        mesh->Scan(*model);
        scene->projection.Fit(width, height);
        for (int k = 0; k < mesh->nodeCount; ++k) {
            scene->shownDisp[2 * k] = 0.02f * static_cast<float>(mesh->nodeX[k] % 997);
            scene->shownDisp[2 * k + 1] = -0.01f * static_cast<float>(mesh->nodeY[k] % 991);
        }
        for (int e = 0; e < mesh->elementCount; ++e)
            for (int g = 0; g < 9; ++g) {
                const int at = torva::AnalysisScene::GaussIndex(e, g);
                scene->shownGauss[at] = 3.0f * std::sin(0.01f * static_cast<float>(e + g));
                scene->shownGauss[at + 1] = -8.0f * std::cos(0.013f * static_cast<float>(e));
                scene->shownGauss[at + 2] = 0.001f * static_cast<float>(e);
            }
        for (int s = 1; s <= 1000; ++s) {
            scene->controlHistory[2 * s] = 0.01f * static_cast<float>(s);
            scene->controlHistory[2 * s + 1] = 300.0f * static_cast<float>(s);
        }
        state.analysisDone = 1;
        state.analysisMode =
            pushover ? torva::AnalysisState::kPushoverMode : torva::AnalysisState::kElasticMode;
        state.stepCounter = pushover ? 1000 : 1;
        state.runSegments = 1;
        state.runStepsPerSegment = 1000;
        view.showPrincipal = 1;
    }
    torva::PaintInput Input() { return torva::PaintInputOf(*scene, *mesh, state, view, colours); }
};

void Repaint(benchmark::State& state, bool pushover) {
    FullView view(pushover);
    const torva::PaintInput input = view.Input();
    QImage image(view.client, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        // A repaint after a change: the frame prepared, then painted.
        torva::PrepareFrame(*view.scene, torva::MeshViewOf(*view.mesh), view.state, view.view, view.colours,
                            view.client.width(), view.client.height());
        QPainter painter(&image);
        torva::PaintAnalysis(painter, input, view.client);
        painter.end();
        benchmark::DoNotOptimize(image.bits());
    }
}

void BM_AnalysisRepaint60x60Elastic(benchmark::State& state) {
    Repaint(state, false);
}
BENCHMARK(BM_AnalysisRepaint60x60Elastic)->Unit(benchmark::kMillisecond);

void BM_AnalysisRepaint60x60Pushover(benchmark::State& state) {
    Repaint(state, true);
}
BENCHMARK(BM_AnalysisRepaint60x60Pushover)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
