// Repaint of the plan view of a full 60 × 60 model: budget < 30 ms.
#include "document/TorvaDoc.h"
#include "model/FramePat.h"
#include "plan/CellGrid.h"
#include "plan/PlanView.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

using namespace torva;

namespace {

// 60 × 60 elements, every one concrete with a type label, point forces and supports along the edges:
// the busiest plan there is.
std::unique_ptr<CFramePat> FullModel() {
    auto m = std::make_unique<CFramePat>();
    m->nxs = 62;
    m->nys = 62;
    for (int x = 2; x < 62; ++x)
        for (int y = 2; y < 62; ++y) {
            m->Flag(x, y, kConcreteLayer) = 1;
            m->Type(x, y, kConcreteLayer) = 1 + (x + y) % 10;
            m->Flag(x, y, kRebarLayer) = (x + y) % 2;
        }
    for (int i = 2; i <= 62; ++i) {
        m->Flag(i, 2, kPointForceLayer) = 1;
        m->Flag(2, i, kBoundaryLayer) = 1;
    }
    m->LoadCurrentLayer();
    return m;
}

// The whole used part of the plan at once, as a first paint or print does.
void BM_PlanDrawWhole(benchmark::State& state) {
    auto model = FullModel();
    CellGrid grid;
    grid.Rebuild(model.get());
    const QRect used = grid.UsedRect();
    QImage image(used.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        grid.Draw(painter, used, {true, true});
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PlanDrawWhole)->Unit(benchmark::kMillisecond);

// The view itself, large enough to show the whole plan: one full repaint of its viewport.
void BM_PlanViewRepaint(benchmark::State& state) {
    auto* document = new CTorvaDoc;
    document->framePat = FullModel();
    auto* view = new CTorvaView;
    document->AddView(view);
    view->resize(1960, 1960);
    view->show();
    view->OnInitialUpdate();
    QImage image(view->viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        view->viewport()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    delete view; // the document goes with its last view
}
BENCHMARK(BM_PlanViewRepaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
