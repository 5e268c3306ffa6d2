// Uniaxial material laws over every material point of a 60 x 60 model (32,400 Gauss points)
// for one step, each point at its own place on a cyclic strain path. Budget per step, a share
// of the 10 ms Gauss-point update: both concrete directions < 3 ms; both bar directions < 1 ms
// with the bilinear law (the default) and < 6 ms with the curved law (two powers a call).
#include "engine/ConcreteLaws.h"
#include "engine/SteelLaws.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

using namespace torva::engine;

constexpr int kPoints = 32400 * 2; // Gauss points times directions
constexpr int kPathSteps = 4000;

// Strain increments of a cycle with growing amplitude, from compression into cracking.
std::vector<double> CyclicIncrements(double compression, double tension) {
    std::vector<double> de;
    const double targets[] = {0.3 * compression, 0.5 * tension, 0.7 * compression, tension, compression, 0.0};
    double e = 0.0;
    const int perTarget = kPathSteps / 6;
    for (double t : targets) {
        for (int i = 0; i < perTarget; ++i) de.push_back((t - e) / perTarget);
        e = t;
    }
    return de;
}

template <class Input>
void SetStep(Input& in, double strain, double stress, double de, double modulus, int step) {
    if constexpr (requires { in.eps; }) {
        in.eps = strain;
        in.E0de = modulus * de;
    } else {
        in.e = strain;
        in.Ede = modulus * de;
    }
    in.sp = stress;
    in.de = de;
    in.step = step;
}

template <class Input, class History, class Law, class Setup>
void RunLaw(benchmark::State& state, Law law, Setup setup, double modulus, const std::vector<double>& path) {
    const int length = static_cast<int>(path.size());
    // One walk along the path, kept at every position, places each point on its own branch.
    struct Snapshot {
        History history;
        double strain, stress;
    };
    std::vector<Snapshot> walk(length);
    Input in;
    History history;
    setup(in, history);
    double strain = 0.0, stress = 0.0;
    for (int k = 0; k < length; ++k) {
        walk[k] = Snapshot{history, strain, stress};
        SetStep(in, strain, stress, path[k], modulus, k);
        LawResult out;
        law(in, history, out);
        strain += path[k];
        stress += out.dStress;
    }
    std::vector<Input> inputs(kPoints, in);
    std::vector<Snapshot> points(kPoints);
    std::vector<int> position(kPoints);
    for (int p = 0; p < kPoints; ++p) {
        position[p] = (p * 7919) % length;
        points[p] = walk[position[p]];
    }
    int step = length;
    for (auto _ : state) {
        ++step;
        for (int p = 0; p < kPoints; ++p) {
            Snapshot& point = points[p];
            const int k = position[p];
            SetStep(inputs[p], point.strain, point.stress, path[k], modulus, step);
            LawResult out;
            law(inputs[p], point.history, out);
            point.strain += path[k];
            point.stress += out.dStress;
            position[p] = k + 1 == length ? 0 : k + 1;
            benchmark::DoNotOptimize(out);
        }
    }
}

void SetupConcrete(ConcreteLawInput& in, ConcreteLawHistory& h) {
    in.E0 = 25000.0;
    in.fc = in.fs = -30.0;
    in.eps0 = in.epk = -0.002;
    in.Es = in.fs / in.epk;
    in.ft = 2.5;
    in.ecr = in.ft / in.E0;
    InitConcreteLawHistory(h, in.E0);
}

void SetupBar(BarLawInput& in, BarLawHistory& h) {
    in.E = 200000.0;
    in.fy = 400.0;
    in.ey = in.fy / in.E;
    InitBarLawHistory(h, in.E);
}

void BM_HystereticConcreteLaw(benchmark::State& state) {
    auto law = [](const ConcreteLawInput& in, HystereticLawHistory& h, LawResult& out) {
        HystereticConcreteLaw(in, h, out);
    };
    auto setup = [](ConcreteLawInput& in, HystereticLawHistory& h) { SetupConcrete(in, h); };
    RunLaw<ConcreteLawInput, HystereticLawHistory>(state, law, setup, 25000.0,
                                                   CyclicIncrements(-0.005, 0.001));
}
BENCHMARK(BM_HystereticConcreteLaw)->Unit(benchmark::kMillisecond);

void BM_SecantConcreteLaw(benchmark::State& state) {
    RunLaw<ConcreteLawInput, ConcreteLawHistory>(state, SecantConcreteLaw, SetupConcrete, 25000.0,
                                                 CyclicIncrements(-0.005, 0.001));
}
BENCHMARK(BM_SecantConcreteLaw)->Unit(benchmark::kMillisecond);

void BM_CurvedSteelLaw(benchmark::State& state) {
    RunLaw<BarLawInput, BarLawHistory>(state, CurvedSteelLaw, SetupBar, 200000.0,
                                       CyclicIncrements(-0.01, 0.01));
}
BENCHMARK(BM_CurvedSteelLaw)->Unit(benchmark::kMillisecond);

void BM_BilinearSteelLaw(benchmark::State& state) {
    RunLaw<BarLawInput, BarLawHistory>(state, BilinearSteelLaw, SetupBar, 200000.0,
                                       CyclicIncrements(-0.01, 0.01));
}
BENCHMARK(BM_BilinearSteelLaw)->Unit(benchmark::kMillisecond);

} // namespace
