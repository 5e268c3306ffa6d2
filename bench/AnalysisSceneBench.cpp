// The core part of an analysis-view repaint of a 60 × 60 model: preparing the display (stress range,
// deformed positions, extent, glyphs) and the Gauss-point samples of the filled rendering; and clearing
// a run. Budget: the whole repaint < 30 ms.
#include "analysis/AnalysisScene.h"
#include "analysis/ColourScale.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int kSide = 60;

struct GridMesh {
    std::vector<int32_t> nodeX, nodeY, elemNodes, elemDiscrete, elemOutputNo;
    GridMesh() {
        for (int j = 0; j <= kSide; ++j)
            for (int i = 0; i <= kSide; ++i) {
                nodeX.push_back(100 * i);
                nodeY.push_back(100 * j);
            }
        for (int j = 0; j < kSide; ++j)
            for (int i = 0; i < kSide; ++i) {
                const int n1 = j * (kSide + 1) + i;
                elemNodes.insert(elemNodes.end(), {n1, n1 + 1, n1 + kSide + 2, n1 + kSide + 1});
                elemDiscrete.push_back(0);
                elemOutputNo.push_back(0);
            }
    }
    torva::MeshView View() const {
        torva::MeshView view;
        view.nodeCount = static_cast<int>(nodeX.size());
        view.elementCount = static_cast<int>(elemDiscrete.size());
        view.nodeX = nodeX.data();
        view.nodeY = nodeY.data();
        view.elemNodes = elemNodes.data();
        view.elemDiscrete = elemDiscrete.data();
        view.elemOutputNo = elemOutputNo.data();
        return view;
    }
};

std::unique_ptr<torva::AnalysisScene> LoadedScene(const GridMesh& mesh) {
    auto scene = std::make_unique<torva::AnalysisScene>();
    const torva::MeshView view = mesh.View();
    for (int i = 0; i < 2 * view.nodeCount; ++i) scene->shownDisp[i] = 0.001f * static_cast<float>(i % 97);
    for (int i = 0; i < torva::AnalysisScene::kElementValues * view.elementCount; ++i)
        scene->shownGauss[i] = static_cast<float>(i % 31) - 15.0f;
    return scene;
}

void BM_PrepareDisplay60x60(benchmark::State& state) {
    GridMesh mesh;
    auto scene = LoadedScene(mesh);
    torva::ColourScale colours;
    for (auto _ : state) {
        scene->PrepareDisplay(mesh.View(), 2.0f, colours);
        benchmark::DoNotOptimize(scene->glyph.data());
    }
}
BENCHMARK(BM_PrepareDisplay60x60)->Unit(benchmark::kMillisecond);

void BM_StressSamples60x60(benchmark::State& state) {
    GridMesh mesh;
    auto scene = LoadedScene(mesh);
    torva::ColourScale colours;
    scene->PrepareDisplay(mesh.View(), 1.0f, colours);
    std::vector<torva::StressSample> samples;
    for (auto _ : state) {
        scene->CollectStressSamples(mesh.View(), samples);
        benchmark::DoNotOptimize(samples.data());
    }
}
BENCHMARK(BM_StressSamples60x60)->Unit(benchmark::kMillisecond);

void BM_ClearRun(benchmark::State& state) {
    auto scene = std::make_unique<torva::AnalysisScene>();
    int32_t points[151] = {0, 1000};
    for (auto _ : state) scene->ClearRun(1, points, 151);
}
BENCHMARK(BM_ClearRun)->Unit(benchmark::kMillisecond);

} // namespace
