// Filled stress rendering of a 60 × 60 model (32,400 Gauss points) into a 1000 × 800 picture.
// Budget: < 500 ms.
#include "analysis/AnalysisScene.h"
#include "analysis/ColourScale.h"
#include "analysis/Projection.h"
#include "drawing/StressField.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kElements = 60;
constexpr int kSpan = 500; // mm

// Gauss points of a 60 × 60 mesh of 500-mm elements, with a smoothly varying stress field.
std::vector<torva::StressSample> FieldSamples() {
    std::vector<torva::StressSample> samples;
    const float p[3] = {-0.7745967f, 0.0f, 0.7745967f};
    for (int j = 0; j < kElements; ++j)
        for (int i = 0; i < kElements; ++i)
            for (int a = 0; a < 3; ++a)
                for (int b = 0; b < 3; ++b) {
                    torva::StressSample s;
                    s.x = static_cast<int>(kSpan * (i + 0.5f + 0.5f * p[a]));
                    s.y = static_cast<int>(kSpan * (j + 0.5f + 0.5f * p[b]));
                    s.s1 = 3.0f * std::sin(0.1f * static_cast<float>(s.x) / kSpan);
                    s.s2 = -20.0f * std::cos(0.07f * static_cast<float>(s.y) / kSpan);
                    samples.push_back(s);
                }
    return samples;
}

void BM_StressField60x60(benchmark::State& state) {
    const auto samples = FieldSamples();
    torva::Projection projection;
    projection.MeasureClient(1000, 800);
    projection.Fit(kElements * kSpan, kElements * kSpan);
    torva::ColourScale colours;
    colours.SetRange(-20.0f, 3.0f);
    QImage image(1000, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        torva::StressField field;
        field.Render(painter, samples, projection, colours);
        painter.end();
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["points"] = static_cast<double>(samples.size());
}
BENCHMARK(BM_StressField60x60)->Unit(benchmark::kMillisecond);

// The same at zoom 2: four times the pixels per square.
void BM_StressField60x60Zoom2(benchmark::State& state) {
    const auto samples = FieldSamples();
    torva::Projection projection;
    projection.MeasureClient(1000, 800);
    projection.Fit(kElements * kSpan, kElements * kSpan);
    projection.zoom = 2.0f;
    torva::ColourScale colours;
    colours.SetRange(-20.0f, 3.0f);
    QImage image(1000, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        torva::StressField field;
        field.Render(painter, samples, projection, colours);
        painter.end();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_StressField60x60Zoom2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
