// The engine inside a process that has started a QGuiApplication and painted with the raster engine,
// as the desktop program runs it. Argument 1 leaves the upper halves of the vector registers in use
// before the work, as the toolkit's start-up does: the laws called directly then pay for every call
// into the maths library (pow, sin, cos, atan) several times over, while a push-over step through the
// engine entry, which clears that state, costs what it costs in EngineBench. Budget as there: one
// push-over step with the stiffness re-formed < 20 ms.
#include "WallStream.h"
#include "engine/Engine.h"
#include "engine/EngineTestAccess.h"
#include "engine/SteelLaws.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace torva::engine;
using torva::bench::WallStream;

// Marks the upper halves of the vector registers as in use, the state in which QGuiApplication's
// start-up leaves this thread (measured: XINUSE bit 2 set after the constructor, cleared again by some
// painting); any later Qt code may leave it so again before the engine runs.
// (Plain inline assembly: a function built for AVX would end with vzeroupper.)
#if defined(__x86_64__) || defined(__i386__)
void DirtyUpperHalves() {
    if (__builtin_cpu_supports("avx")) __asm__ volatile("vcmpps $0, %%ymm15, %%ymm15, %%ymm15" ::: "xmm15");
}

__attribute__((target("avx"))) void CleanUpperHalves() {
    __builtin_ia32_vzeroupper();
}

void SetUpperHalves(const benchmark::State& state) {
    if (state.range(0) != 0)
        DirtyUpperHalves();
    else if (__builtin_cpu_supports("avx"))
        CleanUpperHalves();
}
#else
void SetUpperHalves(const benchmark::State&) {}
#endif

// The raster engine at work: gradients, antialiased paths, text and a smooth scale.
void PaintSomething() {
    QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 800, 600);
    gradient.setColorAt(0, Qt::blue);
    gradient.setColorAt(1, Qt::red);
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 200; ++i) painter.drawLine(QPointF(i * 3.7, 0), QPointF(800 - i * 2.1, 600));
    painter.drawText(QPointF(20, 40), QStringLiteral("Stress field"));
    painter.drawImage(QRectF(0, 0, 400, 300),
                      image.scaled(333, 211, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
}

// Bars cycling between ±5 ey: the curve's powers are evaluated on most steps. Argument 1: the upper
// halves left in use, as after QGuiApplication's start-up.
void BM_CurvedSteelLawInGui(benchmark::State& state) {
    BarLawInput in;
    in.E = 200000.0;
    in.fy = 400.0;
    in.ey = in.fy / in.E;
    std::vector<double> increments;
    for (int k = 0; k < 10000; ++k) increments.push_back((k / 50) % 2 == 0 ? 2e-4 : -2e-4);
    SetUpperHalves(state);
    for (auto _ : state) {
        BarLawHistory history;
        InitBarLawHistory(history, in.E);
        in.e = in.sp = 0.0;
        for (size_t k = 0; k < increments.size(); ++k) {
            in.de = increments[k];
            in.Ede = in.E * in.de;
            in.step = int(k) + 1;
            LawResult out;
            CurvedSteelLaw(in, history, out);
            in.e += in.de;
            in.sp += out.dStress;
        }
        benchmark::DoNotOptimize(in.sp);
    }
}
BENCHMARK(BM_CurvedSteelLawInGui)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The maths library called directly from code built for any x86-64.
void BM_PowInGui(benchmark::State& state) {
    double x = 0.3, sum = 0.0;
    SetUpperHalves(state);
    for (auto _ : state) {
        for (int k = 0; k < 1000; ++k) sum += std::pow(x + k * 1e-4, 17.5);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_PowInGui)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

struct Fixture {
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    std::vector<double> results = std::vector<double>(kResultBufferSize);
    std::vector<int32_t> stream;
    int step = 0, status = 0;
    Fixture(int concreteSelector, int rebarSelector) : stream(WallStream(concreteSelector, rebarSelector)) {}
    void Call(int mode, double increment) {
        EngineTestAccess(*engine).Run(results, increment, stream, mode, step, status);
    }
};

// The concrete update (sin, cos, atan at every Gauss point) and the curved bars, called directly as the
// tests do (the engine entry is not on this path).
void BM_GaussPointUpdateInGui(benchmark::State& state) {
    Fixture f(1, 2);
    f.Call(kPushoverMode, 0.01);
    for (auto _ : state) {
        SetUpperHalves(state);
        EngineTestAccess(*f.engine).UpdateElementStates(kPushoverMode, ++f.step);
    }
}
BENCHMARK(BM_GaussPointUpdateInGui)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PushoverStepReformedInGui(benchmark::State& state) {
    Fixture f(1, 2);
    f.Call(kPushoverMode, 0.01);
    for (auto _ : state) {
        SetUpperHalves(state);
        ++f.step;
        f.Call(kPushoverMode, 0.01);
        if (f.status != kStatusDone) state.SkipWithError("step failed");
    }
}
BENCHMARK(BM_PushoverStepReformedInGui)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    PaintSomething();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
