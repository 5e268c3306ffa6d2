// `analyze --picture`: the elastic picture shows the red displaced mesh with its stress crosses, the
// push-over picture adds the bar and the curve strip, an unwritable file is an error, and the
// picture carries the window's legend and automatic deformation scale.
#include "cli/AnalyzePicture.h"

#include "analysis/Mesh.h"
#include "model/FramePat.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <QImage>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace torva;
using test::ProgramRun;
using test::RunTorva;

namespace {

std::string Example(const std::string& name) {
    return (test::SourceDir() / "examples" / name).string();
}

int CountPixels(const QImage& image, QRect region, bool (*is)(QRgb)) {
    region = region.intersected(image.rect());
    int n = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x) n += is(image.pixel(x, y)) ? 1 : 0;
    return n;
}
bool Red(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool Blue(QRgb c) {
    return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60;
}
// The capacity curve's blue (smoothed edges included).
bool CurveBlue(QRgb c) {
    return qBlue(c) > 150 && qRed(c) < 80 && qGreen(c) < 120;
}
bool Black(QRgb c) {
    return qRed(c) < 40 && qGreen(c) < 40 && qBlue(c) < 40;
}

TEST(CliAnalyzePicture, ElasticPictureShowsTheDisplacedMeshAndItsCrosses) {
    test::TempDir dir;
    const std::string file = dir.file("cantilever.png");
    ProgramRun run = RunTorva("analyze " + Example("cantilever.fem") + " --picture " + file);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    QImage picture(QString::fromStdString(file));
    ASSERT_FALSE(picture.isNull()) << run.output;
    EXPECT_EQ(picture.size(), QSize(cli::AnalysisPicture::kWidth, cli::AnalysisPicture::kHeight));
    const QRect plot(80, 60, picture.width() - 80, picture.height() - 60); // without legend and overlays
    EXPECT_GT(CountPixels(picture, plot, Red), 1000);
    EXPECT_GT(CountPixels(picture, plot, Blue), 50); // tension along the top fibre
    // The cantilever bends downwards: red mesh below the undeformed bottom edge near its tip.
    int lowestRed = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 500; x < 700; ++x)
            if (Red(picture.pixel(x, y))) lowestRed = y;
    int lowestBlack = 0;
    for (int y = 60; y < picture.height(); ++y)
        for (int x = 500; x < 700; ++x)
            if (Black(picture.pixel(x, y))) lowestBlack = y;
    EXPECT_GT(lowestRed, lowestBlack + 10);
    // Elastic: no response strip.
    EXPECT_EQ(CountPixels(picture, QRect(0, picture.height() - 225, picture.width(), 5), Black), 0);
}

TEST(CliAnalyzePicture, PushoverPictureHasTheBarAndTheCurve) {
    test::TempDir dir;
    const std::string file = dir.file("wall.png");
    ProgramRun run = RunTorva("analyze " + Example("cantilever.fem") + " --pushover --picture=" + file);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    QImage picture(QString::fromStdString(file));
    ASSERT_FALSE(picture.isNull());
    const int w = picture.width(), h = picture.height();
    EXPECT_EQ(CountPixels(picture, QRect(0, h - 225, w, 5), Black), 5 * w);
    // The capacity curve of the force-deformation graph, and a full progress bar.
    EXPECT_GT(CountPixels(picture, QRect(0, h - 220, w, 220), CurveBlue), 400);
    EXPECT_EQ(CountPixels(picture, QRect(w - 300, 26, 79, 8), Blue), 79 * 8);
}

TEST(CliAnalyzePicture, AFileThatCannotBeWrittenIsAnError) {
    test::TempDir dir;
    ProgramRun run =
        RunTorva("analyze " + Example("one-element.fem") + " --picture " + dir.file("missing/x.png"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("Cannot write " + dir.file("missing/x.png") + ": No such file or directory"),
              std::string::npos)
        << run.output;
    // A refused model writes no picture.
    ProgramRun none = RunTorva("analyze " + Example("one-element.fem") + " --increments 1 --picture " +
                               dir.file("never.png"));
    EXPECT_NE(none.exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("never.png")));
}

// A 2 × 1 model of 1000 mm elements and a result buffer for it (no output block), all zero.
struct TwoElements {
    std::unique_ptr<CFramePat> model = std::make_unique<CFramePat>();
    std::unique_ptr<Mesh> mesh = std::make_unique<Mesh>();
    std::vector<double> results = std::vector<double>(2 + 2 * 6 + 27 * 2, 0.0);

    TwoElements() {
        model->nxs = 4;
        model->nys = 3;
        model->Reset();
        model->SpanLengthOf(kAxisX, 1) = 1000;
        model->SpanLengthOf(kAxisY, 1) = 1000;
        for (int x = 2; x <= 3; ++x) {
            model->Flag(x, 2, kConcreteLayer) = 1;
            model->Type(x, 2, kConcreteLayer) = 1;
        }
        mesh->Build(*model, kActualSize);
    }
    double& Gauss(int element, int point, int value) {
        return results[2 + 2 * 6 + 27 * element + 3 * point + value];
    }
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(CliAnalyzePicture, TheDeformationScaleDrawsTheLargestDisplacementAtAFifthOfATenthOfTheModel) {
    TwoElements two;
    ASSERT_EQ(two.mesh->nodeCount, 6);
    cli::AnalysisPicture picture(*two.model, *two.mesh);
    picture.Record(1, two.results, 1);
    test::TempDir dir;
    std::string error;
    ASSERT_TRUE(picture.Save(dir.file("still.png"), error)) << error;
    EXPECT_EQ(picture.DeformationScale(), 1.0f); // nothing moves

    // 0.6 mm and 0.8 mm make 1 mm; 5 % of 2000 mm is 100 mm: × 100, not the power of two above it.
    two.results[2 + 2 * 4] = 0.6;
    two.results[3 + 2 * 4] = -0.8;
    picture.Record(1, two.results, 1);
    ASSERT_TRUE(picture.Save(dir.file("moved.png"), error)) << error;
    EXPECT_FLOAT_EQ(picture.DeformationScale(), 100.0f);
}

// The picture's legend and scale text are the window's: the quantity and its unit, round ticks with
// zero marked across the bar, and "× 1.0 (auto …)" in place of the old "Amp" text.
TEST(CliAnalyzePicture, ThePictureHasTheWindowsLegendAndDeformationScaleText) {
    TwoElements two;
    two.results[2 + 2 * 4] = 0.6;
    two.results[3 + 2 * 4] = -0.8;
    for (int e = 0; e < 2; ++e)
        for (int g = 0; g < 9; ++g) {
            two.Gauss(e, g, 0) = 5.0 * (g + 1) / 9;  // up to 5 N/mm² tension
            two.Gauss(e, g, 1) = -3.0 * (g + 1) / 9; // down to 3 N/mm² compression
        }
    cli::AnalysisPicture picture(*two.model, *two.mesh);
    picture.Record(1, two.results, 1);
    test::TempDir dir;
    std::string error;
    ASSERT_TRUE(picture.Save(dir.file("legend.svg"), error)) << error;
    const std::string svg = ReadAll(dir.file("legend.svg"));
    // The title is written in two runs of text, split where the script changes.
    EXPECT_NE(svg.find(">\u03C3 1, 2 (<"), std::string::npos);
    EXPECT_NE(svg.find(">N/mm\u00B2)<"), std::string::npos);
    EXPECT_NE(svg.find("\u00D7 1.0 (auto 100)"), std::string::npos);
    EXPECT_EQ(svg.find("Amp"), std::string::npos);
    for (const char* tick : {">-2<", ">0<", ">2<", ">4<"})
        EXPECT_NE(svg.find(tick), std::string::npos) << tick;

    ASSERT_TRUE(picture.Save(dir.file("legend.png"), error)) << error;
    QImage png(QString::fromStdString(dir.file("legend.png")));
    ASSERT_FALSE(png.isNull());
    // Range −3..5 on a bar of 270 rows from row 100: zero at row 100 + round(3/8 × 269) = 201, a black
    // line from three pixels left of the bar (x 50..59) to three right of it.
    EXPECT_EQ(CountPixels(png, QRect(47, 201, 16, 2), Black), 32);
    EXPECT_EQ(CountPixels(png, QRect(47, 150, 16, 1), Black), 0);
    EXPECT_EQ(CountPixels(png, QRect(50, 100, 10, 270), [](QRgb c) { return qGray(c) > 250; }), 0);
}

} // namespace
