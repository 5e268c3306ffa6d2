// The damage map of a cracked panel with a known crack angle, and the capacity curve of a cyclic run in
// all four quadrants with its marker and click.
#include "analysis/CurveAxes.h"
#include "analysis/DamageMarks.h"
#include "analysis/GridMesh.h"
#include "drawing/CapacityCurvePainter.h"
#include "drawing/DamageMapPainter.h"
#include "drawing/Pixels.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace torva {
namespace {

using test::Count;
using test::IsWhite;
using test::WhiteImage;

bool IsCrackRed(QRgb c) {
    return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 80;
}
bool IsYieldGreen(QRgb c) {
    return qGreen(c) > 100 && qRed(c) < 60 && qBlue(c) < 60;
}

// One 100 mm element at 3 px/mm: every Gauss point cracked at 30°, 0.5 mm wide (red, 3 px); the point
// nearest the origin crushed, the one farthest past its peak; x bars yielded at the centre.
struct CrackedPanel {
    test::GridMesh grid{1, 1, 100};
    QTransform toPixels = QTransform::fromTranslate(20, 20).scale(3, 3);
    DamageMarks marks;
    CrackedPanel() {
        ResultField field = grid.Field([](PointResult& p, double x, double y) {
            p.cracked = p.crackOpen = true;
            p.crackAngle = std::numbers::pi / 6;
            p.crackWidth = 0.5;
            if (x < 20 && y < 20) p.condition = PointCondition::Crushed;
            if (x > 80 && y > 80) p.condition = PointCondition::PastPeak;
            if (std::fabs(x - 50) < 1 && std::fabs(y - 50) < 1) p.yielded[0] = true;
        });
        field.hasCrackWidths = field.hasBars = true;
        marks = PrepareDamageMarks(field, grid.mesh.View(), grid.x.data(), grid.y.data());
    }
};

TEST(DamageMap, CracksRunAlongTheirAngleAndMarksShowWhereTheyShould) {
    CrackedPanel panel;
    QImage image = WhiteImage(360, 360);
    QPainter painter(&image);
    DamageMapPainter::Paint(painter, panel.marks, panel.toPixels);
    painter.end();
    test::SaveIfAsked(image, "damage-cracked-panel");

    // Along each crack line (at 30°, 45 px long) the crack colour; across it, 12 px off, none.
    const double c = std::cos(std::numbers::pi / 6), s = std::sin(std::numbers::pi / 6);
    for (const CrackMark& m : panel.marks.cracks) {
        const QPointF centre = panel.toPixels.map(QPointF(m.x, m.y));
        for (double t : {-18.0, -10.0, 10.0, 18.0}) {
            EXPECT_TRUE(test::Near(image, int(centre.x() + t * c), int(centre.y() + t * s), IsCrackRed))
                << "along the crack at " << t;
            EXPECT_FALSE(test::Near(image, int(centre.x() - t * s), int(centre.y() + t * c), IsCrackRed, 0))
                << "across the crack at " << t;
        }
    }
    // Crushed: a filled black square; past peak: a hollow one (white inside).
    ASSERT_EQ(panel.marks.conditions.size(), 2u);
    for (const ConditionMark& m : panel.marks.conditions) {
        const QPointF p = panel.toPixels.map(QPointF(m.x, m.y));
        const QRect around(int(p.x()) - 4, int(p.y()) - 4, 9, 9);
        const int black = Count(image, around, test::IsBlack);
        if (m.condition == PointCondition::Crushed)
            EXPECT_GE(black, 49);
        else
            EXPECT_TRUE(black >= 20 && black < 40) << black;
    }
    // The x bars' dash lies across: green left and right of the centre, not above or below.
    const QPoint centre = panel.toPixels.map(QPointF(50, 50)).toPoint();
    EXPECT_TRUE(IsYieldGreen(image.pixel(centre.x() - 4, centre.y())));
    EXPECT_TRUE(IsYieldGreen(image.pixel(centre.x() + 4, centre.y())));
    EXPECT_FALSE(IsYieldGreen(image.pixel(centre.x(), centre.y() - 4)));
    EXPECT_FALSE(IsYieldGreen(image.pixel(centre.x(), centre.y() + 4)));
}

// On a small picture the concrete marks shrink with the points' spacing instead of merging: a 15 mm
// element at 1 px/mm has its Gauss points 5.8 px apart, so every point crushed still leaves white
// between neighbouring squares (7-pixel squares would touch).
TEST(DamageMap, MarksStayApartWhereThePointsLieClose) {
    test::GridMesh grid{1, 1, 15};
    ResultField field =
        grid.Field([](PointResult& p, double, double) { p.condition = PointCondition::Crushed; });
    const DamageMarks marks = PrepareDamageMarks(field, grid.mesh.View(), grid.x.data(), grid.y.data());
    EXPECT_NEAR(marks.pointSpacing, 0.7745967 / 2 * 15, 1e-6);
    ASSERT_EQ(marks.conditions.size(), 9u);
    const QTransform toPixels = QTransform::fromTranslate(20, 20);
    QImage image = WhiteImage(60, 60);
    QPainter painter(&image);
    DamageMapPainter::Paint(painter, marks, toPixels);
    painter.end();
    test::SaveIfAsked(image, "damage-close-points");
    // Midway between the centre point (27.5, 27.5) and its neighbours in x and y.
    EXPECT_TRUE(IsWhite(image.pixel(30, 27)));
    EXPECT_TRUE(IsWhite(image.pixel(27, 30)));
    // Each mark still shows: 3 to 4 pixels a side.
    const int black = Count(image, image.rect(), test::IsBlack);
    EXPECT_GE(black, 9 * 9);
    EXPECT_LE(black, 9 * 16);
}

TEST(DamageMap, LegendExplainsEachMarkAndSaysWhenThereAreNoResults) {
    CrackedPanel panel;
    QImage image = WhiteImage(DamageMapPainter::kLegendWidth, 220);
    QPainter painter(&image);
    DamageMapPainter::PaintLegend(painter, image.rect(), panel.marks);
    painter.end();
    test::SaveIfAsked(image, "damage-legend");
    EXPECT_GT(Count(image, IsCrackRed), 20);                               // the 0.3–1 mm sample
    EXPECT_GT(Count(image, IsYieldGreen), 20);                             // both yield samples
    EXPECT_GT(Count(image, QRect(0, 0, 24, 220), test::IsBlack), 49 + 20); // crushed + past-peak samples

    QImage none = WhiteImage(DamageMapPainter::kLegendWidth, 220);
    QPainter p2(&none);
    DamageMapPainter::PaintLegend(p2, none.rect(), DamageMarks{});
    DamageMapPainter::Paint(p2, DamageMarks{}, panel.toPixels);
    p2.end();
    EXPECT_EQ(Count(none, IsYieldGreen), 0);
    EXPECT_EQ(Count(none, QRect(0, 40, 170, 180), [](QRgb c) { return !IsWhite(c); }), 0); // two lines only
}

// A cyclic run: loading to +6 mm / 300 kN, unloading through zero force at +4 mm to −6 mm / −300 kN,
// reloading through zero force at −4 mm to +3 mm: a loop through all four quadrants.
std::vector<CapacityPoint> CyclicCurve() {
    std::vector<CapacityPoint> curve{{0, 0}};
    const auto leg = [&](CapacityPoint to, int n) {
        const CapacityPoint from = curve.back();
        for (int i = 1; i <= n; ++i) {
            const double t = double(i) / n;
            curve.push_back({from.displacement + (to.displacement - from.displacement) * t,
                             from.force + (to.force - from.force) * t});
        }
    };
    leg({6, 300}, 20);
    leg({4, 0}, 10);
    leg({-6, -300}, 30);
    leg({-4, 0}, 10);
    leg({3, 210}, 20);
    return curve;
}

bool IsCurveBlue(QRgb c) {
    return qBlue(c) > 150 && qRed(c) < 80 && qGreen(c) < 120;
}
bool IsMarkerRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 40 && qBlue(c) < 40;
}

TEST(CapacityCurve, CyclicRunFillsAllFourQuadrantsInsideTheFrame) {
    const std::vector<CapacityPoint> curve = CyclicCurve();
    CurveAxes axes;
    axes.Hold(curve);
    ASSERT_TRUE(axes.FourQuadrants());
    const QRect frame(30, 20, 420, 260);
    QImage image = WhiteImage(480, 320);
    QPainter painter(&image);
    const int shown = 20; // the peak of the first leg
    CapacityCurvePainter::Paint(painter, frame, curve, axes, shown, QStringLiteral("Capacity curve"));
    painter.end();
    test::SaveIfAsked(image, "capacity-curve-cyclic");

    // Nothing outside the frame.
    EXPECT_EQ(Count(image, [](QRgb c) { return !IsWhite(c); }),
              Count(image, frame, [](QRgb c) { return !IsWhite(c); }));
    // The curve in each quadrant about the origin.
    const PlotFrame plot = CapacityCurvePainter::PlotFrameOf(frame);
    const int ox = int(axes.PixelX(plot, 0)), oy = int(axes.PixelY(plot, 0));
    const QRect inside(plot.left, plot.top, plot.width, plot.height);
    EXPECT_GT(Count(image, QRect(QPoint(ox + 2, inside.top()), QPoint(inside.right(), oy - 2)), IsCurveBlue),
              50);
    EXPECT_GT(Count(image, QRect(QPoint(inside.left(), inside.top()), QPoint(ox - 2, oy - 2)), IsCurveBlue),
              20);
    EXPECT_GT(
        Count(image, QRect(QPoint(inside.left(), oy + 2), QPoint(ox - 2, inside.bottom())), IsCurveBlue), 50);
    EXPECT_GT(
        Count(image, QRect(QPoint(ox + 2, oy + 2), QPoint(inside.right(), inside.bottom())), IsCurveBlue),
        20);
    // The marker sits on the shown step.
    const QPoint at(int(axes.PixelX(plot, curve[shown].displacement)),
                    int(axes.PixelY(plot, curve[shown].force)));
    EXPECT_GE(Count(image, QRect(at.x() - 2, at.y() - 2, 5, 5), IsMarkerRed), 15);
    EXPECT_EQ(Count(image, IsMarkerRed), Count(image, QRect(at.x() - 6, at.y() - 6, 13, 13), IsMarkerRed));
    // The title and the tick labels are there.
    EXPECT_GT(Count(image, QRect(frame.left(), frame.top(), frame.width(), 20), test::IsBlack), 20);
    EXPECT_GT(Count(image, QRect(frame.left(), plot.top, CapacityCurvePainter::kLeftMargin - 4, plot.height),
                    test::IsBlack),
              50);
}

TEST(CapacityCurve, AClickSelectsTheStepUnderIt) {
    const std::vector<CapacityPoint> curve = CyclicCurve();
    CurveAxes axes;
    axes.Hold(curve);
    const QRect frame(0, 0, 400, 240);
    const PlotFrame plot = CapacityCurvePainter::PlotFrameOf(frame);
    for (int step : {0, 7, 20, 45, 60, 90}) {
        const QPointF at(axes.PixelX(plot, curve[size_t(step)].displacement) + 1,
                         axes.PixelY(plot, curve[size_t(step)].force) - 1);
        const int hit = CapacityCurvePainter::StepAt(frame, curve, axes, at);
        ASSERT_GE(hit, 0);
        // Steps may lie within a pixel of each other; the hit is one of those under the click.
        EXPECT_LE(std::hypot(axes.PixelX(plot, curve[size_t(hit)].displacement) - at.x(),
                             axes.PixelY(plot, curve[size_t(hit)].force) - at.y()),
                  std::sqrt(2.0) + 1e-9);
    }
    EXPECT_EQ(CapacityCurvePainter::StepAt(frame, curve, axes, QPointF(frame.right() - 2, frame.top() + 30)),
              -1);
}

TEST(CapacityCurve, WithoutStepsItSaysSo) {
    CurveAxes axes;
    QImage image = WhiteImage(300, 200);
    QPainter painter(&image);
    CapacityCurvePainter::Paint(painter, image.rect(), {}, axes, -1, QStringLiteral("Capacity curve"));
    painter.end();
    const PlotFrame plot = CapacityCurvePainter::PlotFrameOf(image.rect());
    EXPECT_EQ(Count(image, IsCurveBlue), 0);
    EXPECT_GT(Count(image, QRect(plot.left + 5, plot.top + plot.height / 2 - 8, plot.width - 10, 16),
                    test::IsBlack),
              20);
}

// A narrow curve (the docked results window at its least width) keeps its title readable: it wraps after
// the dash onto a second line, both inside the frame, the plot moved down below them; a wide one keeps
// one line; a title that cannot wrap is elided rather than cut at the frame's edges.
TEST(CapacityCurve, ANarrowCurveWrapsItsTitleInsideTheFrame) {
    const QString title = QStringLiteral("Capacity curve \u2014 Classic step-by-step");
    const QStringList wide = CapacityCurvePainter::TitleLines(title, 440);
    EXPECT_EQ(wide, QStringList{title});
    const QStringList narrow = CapacityCurvePainter::TitleLines(title, 200);
    ASSERT_EQ(narrow.size(), 2);
    EXPECT_EQ(narrow[0], QStringLiteral("Capacity curve \u2014"));
    EXPECT_EQ(narrow[1], QStringLiteral("Classic step-by-step"));
    const QRect frame(10, 10, 200, 160);
    EXPECT_GT(CapacityCurvePainter::PlotFrameOf(frame, title).top,
              CapacityCurvePainter::PlotFrameOf(frame).top);
    const QStringList elided =
        CapacityCurvePainter::TitleLines(QStringLiteral("Capacitycurveofthewholewall"), 120);
    ASSERT_EQ(elided.size(), 1);
    EXPECT_TRUE(elided[0].endsWith(QStringLiteral("\u2026")));

    const std::vector<CapacityPoint> curve = CyclicCurve();
    CurveAxes axes;
    axes.Hold(curve);
    QImage image = WhiteImage(220, 180);
    QPainter painter(&image);
    CapacityCurvePainter::Paint(painter, frame, curve, axes, 20, title);
    painter.end();
    test::SaveIfAsked(image, "capacity-curve-narrow-title");
    const PlotFrame plot = CapacityCurvePainter::PlotFrameOf(frame, title);
    // Both lines are drawn between the frame's top and the plot, and neither touches the frame's sides
    // (a cut title runs into them).
    const int middle = frame.top() + (plot.top - frame.top()) / 2;
    EXPECT_GT(
        Count(image, QRect(frame.left(), frame.top(), frame.width(), middle - frame.top()), test::IsBlack),
        15);
    EXPECT_GT(Count(image, QRect(frame.left(), middle, frame.width(), plot.top - middle - 1), test::IsBlack),
              15);
    EXPECT_EQ(Count(image, QRect(frame.left(), frame.top(), 3, plot.top - frame.top() - 1),
                    [](QRgb c) { return !IsWhite(c); }),
              0);
    EXPECT_EQ(Count(image, QRect(frame.right() - 2, frame.top(), 3, plot.top - frame.top() - 1),
                    [](QRgb c) { return !IsWhite(c); }),
              0);
    // The axis title under the plot is shortened to fit, not cut at the frame's sides.
    const QRect bottomBand(frame.left(), frame.bottom() - 14, frame.width(), 15);
    EXPECT_GT(Count(image, bottomBand, test::IsBlack), 15);
    EXPECT_EQ(
        Count(image, QRect(bottomBand.left(), bottomBand.top(), 3, 15), [](QRgb c) { return !IsWhite(c); }),
        0);
    EXPECT_EQ(Count(image, QRect(bottomBand.right() - 2, bottomBand.top(), 3, 15),
                    [](QRgb c) { return !IsWhite(c); }),
              0);
    // A click still finds the step under it on the moved plot.
    const QPointF at(axes.PixelX(plot, curve[20].displacement), axes.PixelY(plot, curve[20].force));
    const int hit = CapacityCurvePainter::StepAt(frame, curve, axes, at, title);
    ASSERT_GE(hit, 0);
    EXPECT_LE(std::hypot(axes.PixelX(plot, curve[size_t(hit)].displacement) - at.x(),
                         axes.PixelY(plot, curve[size_t(hit)].force) - at.y()),
              1.0);
}

} // namespace
} // namespace torva
