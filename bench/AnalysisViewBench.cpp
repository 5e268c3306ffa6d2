// The analysis view of a 60 × 60 model after Analyze, through the real widget: a repaint rebuilds the
// mesh from the model and paints both meshes, 32,400 principal-stress crosses, legend, arrows and
// overlays. Budget: a repaint < 30 ms. Also measured: the mesh rebuild alone, and "Analyze" (check,
// pack, elastic engine call, reading the results).
#include "AnalyzeInView.h"
#include "analysis/Session.h"
#include "analysis_view/3dView.h"
#include "document/TorvaDoc.h"
#include "framework/CommandIds.h"
#include "framework/MessageService.h"
#include "model/FramePat.h"

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

namespace {

// Every element concrete, pinned along the base, 10 kN sideways at every node of the top line.
void FullModel(torva::CFramePat& model) {
    model.nxs = model.nys = torva::kMaxGridCount;
    model.Reset();
    model.Prop(torva::kBoundaryLayer, 1, 0) = 1;
    model.Prop(torva::kPointForceLayer, 1, 0) = 1000000;
    for (int x = 2; x < model.nxs; ++x)
        for (int y = 2; y < model.nys; ++y) {
            model.Flag(x, y, torva::kConcreteLayer) = 1;
            model.Type(x, y, torva::kConcreteLayer) = 1;
        }
    for (int x = 2; x <= model.nxs; ++x) {
        model.Flag(x, 2, torva::kPointForceLayer) = 1;
        model.Type(x, 2, torva::kPointForceLayer) = 1;
        model.Flag(x, model.nys, torva::kBoundaryLayer) = 1;
        model.Type(x, model.nys, torva::kBoundaryLayer) = 1;
    }
}

// A view on its own document, sized like a maximised analysis window, with the elastic result shown.
struct AnalysedView {
    torva::CTorvaDoc* document = new torva::CTorvaDoc; // deletes itself when its view goes
    torva::C3dView* view = new torva::C3dView;

    AnalysedView() {
        FullModel(*document->framePat);
        document->AddView(view);
        view->resize(1000, 800);
        view->OnInitialUpdate();
        view->OnCommand(torva::cmd::kActualSize);
        Analyze();
    }
    ~AnalysedView() { delete view; }
    void Analyze() {
        if (!AnalyzeInView(*view)) {
            std::fprintf(stderr, "the 60 x 60 model was not analysed\n");
            std::exit(1);
        }
    }
};

void BM_AnalysisViewRepaint60x60(benchmark::State& state) {
    AnalysedView analysed;
    QImage image(analysed.view->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        analysed.view->render(&image); // the view's own paint handler
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_AnalysisViewRepaint60x60)->Unit(benchmark::kMillisecond);

void BM_AnalysisViewMeshRebuild60x60(benchmark::State& state) {
    AnalysedView analysed;
    for (auto _ : state) {
        analysed.view->Session()->ModelChanged(); // as after an edit of the model
        analysed.view->CurrentMesh();
    }
}
BENCHMARK(BM_AnalysisViewMeshRebuild60x60)->Unit(benchmark::kMillisecond);

void BM_AnalysisViewAnalyze60x60(benchmark::State& state) {
    AnalysedView analysed;
    for (auto _ : state) analysed.Analyze();
}
BENCHMARK(BM_AnalysisViewAnalyze60x60)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    torva::MessageRecorder messages; // no message box may wait for an answer
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
