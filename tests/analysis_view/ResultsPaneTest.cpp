// The results pane on the real widgets: the slider and a click on the curve show the same step, the
// display and quantity choices change the picture, out-of-date results are not drawn, and the picture
// and field export.
#include "analysis_view/ResultsPane.h"

#include "analysis/GridMesh.h"
#include "analysis_view/CapacityCurveView.h"
#include "drawing/CapacityCurvePainter.h"
#include "drawing/Pixels.h"
#include "framework/FileDialogs.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <numbers>

namespace torva {
namespace {

using test::Count;

// A run of 5 steps on a 6 × 3 wall of 100 mm elements: after step s the elements left of x = 100 s are
// cracked at 45° (0.05 s mm wide) and σx grows with s; the curve rises 1 mm and 40 kN a step.
struct SteppedRun {
    test::GridMesh grid{6, 3, 100};
    static constexpr int kSteps = 5;
    StepSource Source() const {
        StepSource source;
        source.count = [] { return kSteps; };
        source.fieldAt = [this](int s, ResultField& field) {
            field = grid.Field([s](PointResult& p, double x, double) {
                p.s1 = p.s2 = (s + 1) * (x - 300) / 100;
                p.cracked = p.crackOpen = x < 100 * s;
                p.crackAngle = std::numbers::pi / 4;
                p.crackWidth = 0.05 * s;
            });
            field.hasCrackWidths = true;
            return true;
        };
        source.curve = [] {
            std::vector<CapacityPoint> curve;
            for (int s = 0; s < kSteps; ++s) curve.push_back({double(s), 40.0 * s - 3.0 * s * s});
            return curve;
        };
        return source;
    }
};

struct PaneFixture : ::testing::Test {
    SteppedRun run;
    ResultsPane pane;
    void SetUp() override {
        pane.resize(800, 700);
        pane.SetMesh(run.grid.mesh.View());
        pane.SetSource(run.Source());
        pane.show();
        QApplication::processEvents();
    }
    QImage Canvas() { return pane.Canvas()->grab().toImage().convertToFormat(QImage::Format_ARGB32); }
    void ClickCurveAt(int step) {
        CapacityCurveView* view = pane.Curve();
        const PlotFrame plot = CapacityCurvePainter::PlotFrameOf(view->rect(), view->Title());
        const CapacityPoint p = view->Curve()[size_t(step)];
        const QPointF at(view->Axes().PixelX(plot, p.displacement) + 2,
                         view->Axes().PixelY(plot, p.force) + 1);
        QMouseEvent press(QEvent::MouseButtonPress, at, view->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(view, &press);
    }
};

bool IsCrackColour(QRgb c) {
    return qRed(c) > 200 && qGreen(c) > 100 && qGreen(c) < 180 && qBlue(c) < 40;
}
bool IsRampColour(QRgb c) {
    return std::abs(qRed(c) - qBlue(c)) > 60;
}

TEST_F(PaneFixture, SliderAndCurveClickShowTheSameStep) {
    EXPECT_EQ(pane.ShownStep(), SteppedRun::kSteps - 1); // a new run shows its last step
    EXPECT_EQ(pane.StepLabel()->text(), QStringLiteral("4 / 4"));
    pane.ShowStep(2);
    QApplication::processEvents();
    const QImage bySlider = Canvas();
    EXPECT_EQ(pane.Curve()->ShownStep(), 2);
    pane.ShowStep(0);
    QApplication::processEvents();
    EXPECT_NE(Canvas(), bySlider);
    ClickCurveAt(2);
    QApplication::processEvents();
    EXPECT_EQ(pane.Slider()->value(), 2);
    EXPECT_EQ(pane.Curve()->ShownStep(), 2);
    EXPECT_EQ(Canvas(), bySlider);
    test::SaveIfAsked(bySlider, "pane-contours-step-2");
    test::SaveIfAsked(pane.grab().toImage(), "pane-whole-step-2");
}

// Docked below the model the pane lays the curve beside the picture; dragged down to its least width the
// curve's title wraps inside it instead of being cut at its sides, and a click still picks the step.
TEST_F(PaneFixture, TheCurveAtItsLeastWidthKeepsItsTitleReadable) {
    pane.resize(700, 300);
    pane.SetWide(true);
    pane.Curve()->SetTitle(QStringLiteral("Capacity curve \u2014 Classic step-by-step"));
    QApplication::processEvents();
    auto* split = qobject_cast<QSplitter*>(pane.Curve()->parentWidget());
    ASSERT_NE(split, nullptr);
    split->setSizes({2000, 1}); // the curve as narrow as it goes
    QApplication::processEvents();
    CapacityCurveView* view = pane.Curve();
    EXPECT_LE(view->width(), 210);
    const QStringList lines = CapacityCurvePainter::TitleLines(view->Title(), view->width());
    EXPECT_EQ(lines.join(QLatin1Char(' ')), view->Title()); // all of it, on two lines
    const QImage shot = view->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    test::SaveIfAsked(shot, "pane-narrow-curve");
    const PlotFrame plot = CapacityCurvePainter::PlotFrameOf(view->rect(), view->Title());
    const auto ink = [](QRgb c) { return qGray(c) < 128; };
    EXPECT_GT(Count(shot, QRect(0, 0, view->width(), plot.top - 1), ink), 40);
    EXPECT_EQ(Count(shot, QRect(0, 0, 3, plot.top - 1), ink), 0);
    EXPECT_EQ(Count(shot, QRect(view->width() - 3, 0, 3, plot.top - 1), ink), 0);
    ClickCurveAt(3);
    QApplication::processEvents();
    EXPECT_EQ(pane.ShownStep(), 3);
}

TEST_F(PaneFixture, DamageMapGrowsWithTheSteps) {
    pane.DisplayChoice()->setCurrentIndex(static_cast<int>(ResultDisplay::DamageMap));
    pane.ShowStep(1);
    QApplication::processEvents();
    const int early = Count(Canvas(), IsCrackColour); // 0.05 mm: thin grey; none orange yet
    pane.ShowStep(3);
    QApplication::processEvents();
    const QImage late = Canvas();
    test::SaveIfAsked(late, "pane-damage-step-3");
    EXPECT_EQ(early, Count(late,
                           QRect(late.width() - ResultCanvas::kLegendWidth, 0, ResultCanvas::kLegendWidth,
                                 late.height()),
                           IsCrackColour)); // before: only the legend's sample
    // 0.15 mm cracks (orange) over the left half of the wall, none over the right.
    const QTransform& map = pane.Canvas()->ToPixels();
    const QPoint left = map.map(QPointF(0, 0)).toPoint(), mid = map.map(QPointF(300, 300)).toPoint(),
                 right = map.map(QPointF(600, 300)).toPoint();
    EXPECT_GT(Count(late, QRect(left, mid), IsCrackColour), 200);
    EXPECT_EQ(Count(late, QRect(QPoint(mid.x() + 2, left.y()), right), IsCrackColour), 0);
}

TEST_F(PaneFixture, QuantityAndRangeChoicesChangeThePicture) {
    pane.SetQuantity(Quantity::Sx);
    QApplication::processEvents();
    const QImage sx = Canvas();
    EXPECT_GT(Count(sx, IsRampColour), 10000);
    pane.SetRange(RangeMode::Fixed, -100, 100); // a wide fixed range: the field turns pale
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(pane.Contours().ticks.hi, 100);
    EXPECT_LT(Count(Canvas(), IsRampColour), Count(sx, IsRampColour));
    pane.SetRange(RangeMode::Symmetric);
    pane.SetQuantity(Quantity::BarStressX); // not computed by this run: no colours, the note instead
    QApplication::processEvents();
    EXPECT_FALSE(pane.Contours().available);
    EXPECT_EQ(Count(Canvas(), IsRampColour), 0);
}

TEST_F(PaneFixture, OutOfDateResultsAreNotDrawn) {
    pane.SetOutOfDate(true);
    QApplication::processEvents();
    const QImage image = Canvas();
    test::SaveIfAsked(image, "pane-out-of-date");
    EXPECT_EQ(Count(image, QRect(0, 24, image.width(), image.height()), IsRampColour), 0);
    const auto isNote = [](QRgb c) { return qRed(c) == 255 && qGreen(c) == 236 && qBlue(c) == 170; };
    EXPECT_GT(Count(image, QRect(0, 0, image.width(), 24), isNote), image.width() * 10);
    pane.SetOutOfDate(false);
    QApplication::processEvents();
    EXPECT_GT(Count(Canvas(), IsRampColour), 10000);
}

TEST_F(PaneFixture, ExportsThePictureAndTheField) {
    test::TempDir dir;
    std::string error;
    for (const char* name : {"view.png", "view.svg"}) {
        const auto path = dir.path() / name;
        ASSERT_TRUE(pane.ExportPicture(path.string(), error)) << error;
        EXPECT_GT(std::filesystem::file_size(path), 1000u);
    }
    const QImage png((dir.path() / "view.png").string().c_str());
    EXPECT_EQ(png.size(), pane.Canvas()->size());
    std::ifstream svg(dir.path() / "view.svg");
    const std::string text((std::istreambuf_iterator<char>(svg)), {});
    EXPECT_NE(text.find("<svg"), std::string::npos);

    const auto csv = dir.path() / "field.csv";
    ASSERT_TRUE(pane.ExportFieldCsv(csv.string(), error)) << error;
    std::ifstream in(csv);
    int lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    EXPECT_EQ(lines, 1 + 18 * 9);
}

TEST_F(PaneFixture, TheSaveButtonsAskForANameAndWriteThere) {
    test::TempDir dir;
    QString asked;
    FileDialogs::SetHandler([&](bool save, const QString& suggested) {
        EXPECT_TRUE(save);
        asked = suggested;
        return QString::fromStdString((dir.path() / (suggested.endsWith(".csv") ? "f" : "v")).string());
    });
    pane.SavePictureButton()->click();
    pane.SaveFieldButton()->click();
    FileDialogs::SetHandler(nullptr);
    EXPECT_EQ(asked, QStringLiteral("field.csv"));
    // A name without an extension gets the default one.
    EXPECT_EQ(QImage(QString::fromStdString((dir.path() / "v.png").string())).size(), pane.Canvas()->size());
    EXPECT_GT(std::filesystem::file_size(dir.path() / "f.csv"), 1000u);
}

TEST(ResultsPane, WithoutARunItSaysNoResults) {
    test::GridMesh grid(2, 2, 100);
    ResultsPane pane;
    pane.resize(600, 500);
    pane.SetMesh(grid.mesh.View());
    pane.SetSource({});
    EXPECT_EQ(pane.StepLabel()->text(), QStringLiteral("No results"));
    EXPECT_FALSE(pane.Field().hasResults);
    const QImage image = pane.Canvas()->grab().toImage();
    EXPECT_EQ(Count(image, IsRampColour), 0);
    EXPECT_GT(Count(image, [](QRgb c) { return !test::IsWhite(c); }), 500); // the mesh and the legend's note
}

} // namespace
} // namespace torva
