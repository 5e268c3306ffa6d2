// Mesh (both stages) and engine input packing of a full 60 × 60 model. Budget: < 5 ms together.
#include "analysis/EngineInputPacker.h"
#include "analysis/Mesh.h"
#include "model/FramePat.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

// Every element with concrete and rebar, every node with a support and a point force.
std::unique_ptr<torva::CFramePat> FullModel() {
    auto model = std::make_unique<torva::CFramePat>();
    model->nxs = model->nys = torva::kMaxGridCount;
    model->Reset();
    for (int x = 2; x <= model->nxs; ++x)
        for (int y = 2; y <= model->nys; ++y) {
            model->Flag(x, y, torva::kBoundaryLayer) = 1;
            model->Flag(x, y, torva::kPointForceLayer) = 1;
            if (x < model->nxs && y < model->nys) {
                model->Flag(x, y, torva::kConcreteLayer) = 1;
                model->Flag(x, y, torva::kRebarLayer) = 1;
            }
        }
    return model;
}

void BM_MeshAndPack60x60(benchmark::State& state) {
    auto model = FullModel();
    auto mesh = std::make_unique<torva::Mesh>();
    std::vector<int32_t> stream(torva::kEngineInputCapacity);
    for (auto _ : state) {
        float width = 0, height = 0;
        mesh->BuildNodeGrid(*model, torva::kActualSize, width, height);
        mesh->Scan(*model);
        const int length = torva::PackEngineInput(*mesh, *model, stream.data(), torva::kEngineInputCapacity);
        benchmark::DoNotOptimize(length);
        benchmark::DoNotOptimize(stream.data());
    }
}
BENCHMARK(BM_MeshAndPack60x60)->Unit(benchmark::kMillisecond);

// The scan alone, which the analysis view repeats at every repaint.
void BM_Scan60x60(benchmark::State& state) {
    auto model = FullModel();
    auto mesh = std::make_unique<torva::Mesh>();
    mesh->Build(*model, torva::kActualSize);
    for (auto _ : state) {
        mesh->Scan(*model);
        benchmark::DoNotOptimize(mesh->nodeCount);
    }
}
BENCHMARK(BM_Scan60x60)->Unit(benchmark::kMillisecond);

} // namespace
