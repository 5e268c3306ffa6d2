// Result drawings of a 60 × 60 model of 500-mm elements in a 1000 × 800 view (the model about 750 px
// square): contours prepared from the Gauss values and painted, and the damage map with every point
// cracked. Budget: contours of a 60 × 60 model, preparation and painting, ≤ 30 ms.
#include "analysis/ContourValues.h"
#include "analysis/DamageMarks.h"
#include "analysis/MeshView.h"
#include "drawing/ContourPainter.h"
#include "drawing/DamageMapPainter.h"

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

struct Model {
    std::vector<int32_t> nodeXi, nodeYi, nodes, discrete, output;
    std::vector<double> x, y;
    torva::ResultField field;
    torva::MeshView mesh;

    Model() {
        for (int j = 0; j <= kElements; ++j)
            for (int i = 0; i <= kElements; ++i) {
                nodeXi.push_back(i * kSpan);
                nodeYi.push_back(j * kSpan);
                x.push_back(i * kSpan);
                y.push_back(j * kSpan);
            }
        const int row = kElements + 1;
        for (int j = 0; j < kElements; ++j)
            for (int i = 0; i < kElements; ++i) {
                nodes.insert(nodes.end(),
                             {j * row + i, j * row + i + 1, (j + 1) * row + i + 1, (j + 1) * row + i});
                discrete.push_back(0);
                output.push_back(0);
            }
        mesh = {static_cast<int>(x.size()),
                kElements * kElements,
                nodeXi.data(),
                nodeYi.data(),
                nodes.data(),
                discrete.data(),
                output.data()};
        field.Resize(mesh.elementCount, mesh.nodeCount);
        field.hasResults = field.hasCrackWidths = true;
        for (int e = 0; e < mesh.elementCount; ++e) {
            field.plane[size_t(e)] = 1;
            for (int g = 0; g < 9; ++g) {
                double gx, gy;
                torva::GaussPosition(mesh, x.data(), y.data(), e, g, gx, gy);
                torva::PointResult& p = field.Point(e, g);
                p.s1 = 3 * std::sin(gx / 4000);
                p.s2 = -20 * std::cos(gy / 7000);
                p.angle = gx / 10000;
                p.cracked = true;
                p.crackAngle = p.angle + 1.5707963;
                p.crackWidth = gy / 30000;
            }
        }
    }
};

const QTransform kToPixels = QTransform::fromTranslate(120, 25).scale(0.025, 0.025);

void BM_Contours60x60(benchmark::State& state) {
    Model model;
    QImage image(1000, 800, QImage::Format_ARGB32_Premultiplied);
    torva::ContourPainter painter;
    for (auto _ : state) {
        const torva::ContourValues values =
            torva::PrepareContours(model.field, model.mesh, torva::Quantity::Sx, torva::RangeMode::Automatic);
        image.fill(Qt::white);
        QPainter p(&image);
        painter.Paint(p, model.mesh, model.x.data(), model.y.data(), values, kToPixels);
        p.end();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_Contours60x60)->Unit(benchmark::kMillisecond);

// The repaint alone, values prepared once.
void BM_ContoursPaintOnly60x60(benchmark::State& state) {
    Model model;
    const torva::ContourValues values =
        torva::PrepareContours(model.field, model.mesh, torva::Quantity::Sx, torva::RangeMode::Automatic);
    QImage image(1000, 800, QImage::Format_ARGB32_Premultiplied);
    torva::ContourPainter painter;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        painter.Paint(p, model.mesh, model.x.data(), model.y.data(), values, kToPixels);
        p.end();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_ContoursPaintOnly60x60)->Unit(benchmark::kMillisecond);

// 32,400 crack lines, prepared and painted.
void BM_DamageMap60x60(benchmark::State& state) {
    Model model;
    QImage image(1000, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        const torva::DamageMarks marks =
            torva::PrepareDamageMarks(model.field, model.mesh, model.x.data(), model.y.data());
        image.fill(Qt::white);
        QPainter p(&image);
        torva::DamageMapPainter::Paint(p, marks, kToPixels);
        p.end();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_DamageMap60x60)->Unit(benchmark::kMillisecond);

// The repaint alone, marks prepared once.
void BM_DamageMapPaintOnly60x60(benchmark::State& state) {
    Model model;
    const torva::DamageMarks marks =
        torva::PrepareDamageMarks(model.field, model.mesh, model.x.data(), model.y.data());
    QImage image(1000, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        torva::DamageMapPainter::Paint(p, marks, kToPixels);
        p.end();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_DamageMapPaintOnly60x60)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
