// Open and save a .fem file. Budget: < 20 ms each.
#include "model/FramePat.h"
#include "model/ModelFile.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>

namespace {

std::string BenchPath() {
    return (std::filesystem::temp_directory_path() / "torva-bench.fem").string();
}

void BM_SaveModelFile(benchmark::State& state) {
    auto model = std::make_unique<torva::CFramePat>();
    torva::FileError error;
    for (auto _ : state)
        if (!torva::SaveModelFile(BenchPath(), *model, error)) state.SkipWithError(error.Text().c_str());
}
BENCHMARK(BM_SaveModelFile)->Unit(benchmark::kMillisecond);

void BM_OpenModelFile(benchmark::State& state) {
    auto model = std::make_unique<torva::CFramePat>();
    torva::FileError error;
    torva::SaveModelFile(BenchPath(), *model, error);
    for (auto _ : state)
        if (!torva::LoadModelFile(BenchPath(), *model, error)) state.SkipWithError(error.Text().c_str());
}
BENCHMARK(BM_OpenModelFile)->Unit(benchmark::kMillisecond);

} // namespace
