// The iterative method's concrete model over every Gauss point of a 60 x 60 model (32,400 points),
// one evaluation each, as one iteration of a step forms the secant matrices. The points hold a
// spread of states: uncracked, cracked with the crack check active, past the compression peak.
// Budget: a push-over step of the full plan takes <= 100 ms with all its iterations, so one sweep
// (one iteration) should stay well under 10 ms, i.e. well under 0.3 us a point.
#include "engine/McftMaterial.h"

#include <benchmark/benchmark.h>
#include <random>
#include <vector>

namespace {

using namespace torva::engine;

constexpr int kPoints = 32400;

McftMaterial WallMaterial() {
    McftMaterial m;
    m.fc = 30;
    m.eps0 = 0.002;
    m.Ec = 25000;
    m.bars[0] = {0.01, 400, 200000, 0, 150};
    m.bars[1] = {0.005, 400, 200000, 0, 200};
    return m;
}

void BM_EvaluateMcftOverAFullPlan(benchmark::State& state) {
    const McftMaterial material = WallMaterial();
    std::mt19937 rng(60);
    std::uniform_real_distribution<double> normal(-0.003, 0.006), shear(-0.006, 0.006);
    std::vector<double> strains(3 * kPoints);
    for (int i = 0; i < kPoints; ++i) {
        strains[3 * i] = normal(rng);
        strains[3 * i + 1] = normal(rng) * (i % 4 == 0 ? 0.01 : 1.0); // a quarter near uncracked
        strains[3 * i + 2] = shear(rng);
    }
    std::vector<McftHistory> histories(kPoints);
    McftPoint point;
    for (auto _ : state) {
        double sum = 0;
        for (int i = 0; i < kPoints; ++i) {
            EvaluateMcft(material, &strains[3 * i], histories[i], point);
            sum += point.D[0];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_EvaluateMcftOverAFullPlan)->Unit(benchmark::kMillisecond);

} // namespace
