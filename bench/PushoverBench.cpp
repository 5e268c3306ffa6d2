// The push-over run without the window: a 30 × 30 wall (900 elements with rebar, gravity on) pushed
// 20 mm at its top corner in 500 steps through the driver the program and `analyze --pushover` use:
// packing, the initialising call and 500 engine steps. Budget: the whole run < 10 s in the program
// (this is the engine's share; PushoverViewBench adds the window).
#include "analysis/Mesh.h"
#include "analysis/PushoverDriver.h"
#include "engine/Engine.h"
#include "model/FramePat.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace torva;

// n × n concrete elements of 200 mm with D10 bars at 200 mm both ways, pinned along the base, 100 kN
// sideways at the top-left corner, which is the control node.
std::unique_ptr<CFramePat> Wall(int n, int steps, int targetMicrons) {
    auto m = std::make_unique<CFramePat>();
    m->nxs = m->nys = n + 2;
    m->Reset();
    m->SpanLengthOf(kAxisX, 1) = 200;
    m->SpanLengthOf(kAxisY, 1) = 200;
    const int32_t concrete[7] = {20000, 25, 2000, 240000, 3000, 200, 20};
    const int32_t rebar[7] = {7854, 20000, 40000, 7854, 20000, 40000, 200};
    for (int p = 0; p < 7; ++p) {
        m->Prop(kConcreteLayer, 1, p) = concrete[p];
        m->Prop(kRebarLayer, 1, p) = rebar[p];
    }
    for (int x = 2; x < n + 2; ++x)
        for (int y = 2; y < n + 2; ++y)
            for (int layer : {kConcreteLayer, kRebarLayer}) {
                m->Flag(x, y, layer) = 1;
                m->Type(x, y, layer) = 1;
            }
    for (int x = 2; x <= n + 2; ++x) {
        m->Flag(x, n + 2, kBoundaryLayer) = 1;
        m->Type(x, n + 2, kBoundaryLayer) = 1;
    }
    m->Prop(kPointForceLayer, 1, 0) = 100000 * 100;
    m->Flag(2, 2, kPointForceLayer) = 1;
    m->Type(2, 2, kPointForceLayer) = 1;
    m->controlNode = PositionCode(2, 2);
    m->ctrlDirection = 1;
    m->segmentCount = 1;
    m->stepsPerSegment = steps;
    m->segmentPoints[0] = 0;
    m->segmentPoints[1] = targetMicrons;
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
