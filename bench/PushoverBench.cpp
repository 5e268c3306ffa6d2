// The push-over run without the window: a 30 × 30 wall (900 elements with rebar, gravity on) pushed
// 20 mm at its top corner in 500 steps through the driver the program and `analyze --pushover` use:
// packing, the initialising call and 500 engine steps. Budget: the whole run < 10 s in the program
// (this is the engine's share; PushoverViewBench adds the window).
#include "analysis/Mesh.h"
#include "analysis/PushoverDriver.h"
#include "engine/Engine.h"
#include "model/FramePat.h"
#include "support/PushedWall.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace torva;

std::unique_ptr<CFramePat> Wall(int n, int steps, int targetMicrons) {
    auto m = std::make_unique<CFramePat>();
    test::PushedWall(*m, n, steps, targetMicrons);
    return m;
}

void BM_Pushover30x30In500Steps(benchmark::State& state) {
    const auto model = Wall(30, 500, 20000);
    auto mesh = std::make_unique<Mesh>();
    mesh->Build(*model, kActualSize);
    auto engine = std::make_unique<engine::Engine>();
    std::vector<double> results(engine::kResultBufferSize, 0.0);
    for (auto _ : state) {
        PushoverDriver driver(*engine);
        std::string message;
        if (!driver.Start(*model, *mesh, message)) {
            state.SkipWithError(message.c_str());
            return;
        }
        driver.RunFor(PushoverDriver::Clock::duration::max());
        if (driver.Step() != 500) {
            state.SkipWithError(driver.StopMessage().c_str());
            return;
        }
        benchmark::DoNotOptimize(driver.Curve().back().force);
    }
    state.counters["steps"] = 500;
}
BENCHMARK(BM_Pushover30x30In500Steps)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
