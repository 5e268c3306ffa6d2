// The preparation of result drawings: round ticks, contour corner values and ranges, damage marks and
// the capacity curve's axes.
#include "analysis/ContourValues.h"
#include "analysis/CurveAxes.h"
#include "analysis/DamageMarks.h"
#include "analysis/GridMesh.h"
#include "analysis/ScaleTicks.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace torva {
namespace {

using test::GridMesh;

TEST(ScaleTicks, RoundStepsAreOneTwoOrFiveTimesAPowerOfTen) {
    EXPECT_DOUBLE_EQ(RoundStep(10, 5), 2);
    EXPECT_DOUBLE_EQ(RoundStep(10, 10), 1);
    EXPECT_DOUBLE_EQ(RoundStep(7.3, 5), 2);
    EXPECT_DOUBLE_EQ(RoundStep(0.037, 4), 0.01);
    EXPECT_DOUBLE_EQ(RoundStep(2600, 6), 500);
    EXPECT_DOUBLE_EQ(RoundStep(0, 5), 1); // no span: a unit step
}

TEST(ScaleTicks, RangeWidensOutwardsToWholeSteps) {
    // Steps of 2 would need 9 intervals, more than 8: the next round step, 5, is taken.
    EXPECT_DOUBLE_EQ(RoundTicks(-3.7, 12.2, 8).step, 5);
    const Ticks t = RoundTicks(-3.7, 12.2, 10);
    EXPECT_DOUBLE_EQ(t.step, 2);
    EXPECT_DOUBLE_EQ(t.lo, -4);
    EXPECT_DOUBLE_EQ(t.hi, 14);
    ASSERT_EQ(t.values.size(), 10u);
    EXPECT_EQ(t.values[2], 0.0); // zero is a tick, exactly
    EXPECT_LE(t.lo, -3.7);
    EXPECT_GE(t.hi, 12.2);
}

TEST(ScaleTicks, SymmetricRangeHasZeroInTheMiddle) {
    const Ticks t = RoundTicks(-1.2, 7.9, 8, true);
    EXPECT_DOUBLE_EQ(t.lo, -t.hi);
    EXPECT_GE(t.hi, 7.9);
    ASSERT_EQ(t.values.size() % 2, 1u);
    EXPECT_EQ(t.values[t.values.size() / 2], 0.0);
    EXPECT_LE(static_cast<int>(t.values.size()) - 1, 8);
}

TEST(ScaleTicks, FlatAndReversedRanges) {
    const Ticks zero = RoundTicks(0, 0, 8);
    EXPECT_DOUBLE_EQ(zero.lo, -1);
    EXPECT_DOUBLE_EQ(zero.hi, 1);
    const Ticks flat = RoundTicks(3.7, 3.7, 8);
    EXPECT_LE(flat.lo, 3.7);
    EXPECT_GE(flat.hi, 3.7);
    EXPECT_GT(flat.hi, flat.lo);
    const Ticks reversed = RoundTicks(10, 0, 5);
    EXPECT_DOUBLE_EQ(reversed.lo, 0);
    EXPECT_DOUBLE_EQ(reversed.hi, 10);
}

TEST(ScaleTicks, TextHasTheDecimalsTheStepNeeds) {
    EXPECT_EQ(TickText(0.25, 0.25), "0.25");
    EXPECT_EQ(TickText(2.5, 2.5), "2.5");
    EXPECT_EQ(TickText(-40, 20), "-40");
    EXPECT_EQ(TickText(0.4, 0.2), "0.4");
    EXPECT_EQ(TickText(-1e-17, 0.1), "0.0"); // never "-0"
    EXPECT_EQ(TickText(1500, 500), "1500");
}

TEST(ContourValues, BilinearFieldIsReproducedAtTheCorners) {
    // v = 2 + 3x − y + 0.5xy over a 2 × 1 grid: each element's corners must carry the exact values.
    const auto f = [](double x, double y) { return 2 + 3 * x - y + 0.5 * x * y; };
    GridMesh grid(2, 1, 10);
    ResultField field = grid.Field([&](PointResult& p, double x, double y) {
        p.s1 = p.s2 = f(x, y); // a hydrostatic state: σx = σy = v
    });
    const MeshView mesh = grid.mesh.View();
    const ContourValues c = PrepareContours(field, mesh, Quantity::Sx, RangeMode::Automatic);
    ASSERT_TRUE(c.available);
    for (int e = 0; e < 2; ++e)
        for (int r = 0; r < 4; ++r) {
            const int n = mesh.Node(e, r);
            EXPECT_NEAR(c.corner[size_t(e)][size_t(r)], f(grid.x[size_t(n)], grid.y[size_t(n)]), 1e-4)
                << "element " << e << " corner " << r;
        }
    EXPECT_NEAR(c.min, f(0, 10), 1e-4);
    EXPECT_NEAR(c.max, f(20, 10), 1e-4);
}

TEST(ContourValues, StressComponentsComeFromThePrincipalStresses) {
    // σ1 = 4, σ2 = −2 at 30°: σx = 1 + 3 cos 60° = 2.5, σy = −0.5, τxy = 3 sin 60°.
    PointResult p;
    p.s1 = 4;
    p.s2 = -2;
    p.angle = std::numbers::pi / 6;
    EXPECT_NEAR(PointValue(p, Quantity::Sx), 2.5, 1e-12);
    EXPECT_NEAR(PointValue(p, Quantity::Sy), -0.5, 1e-12);
    EXPECT_NEAR(PointValue(p, Quantity::Txy), 3 * std::sqrt(3.0) / 2, 1e-12);
    p.e1 = 0.0021;
    EXPECT_DOUBLE_EQ(PointValue(p, Quantity::E1) * QuantityFactor(Quantity::E1), 2.1); // shown in ‰
    EXPECT_STREQ(QuantityUnit(Quantity::E1), "‰");
    EXPECT_STREQ(QuantityUnit(Quantity::Sx), "N/mm²");
    EXPECT_STREQ(QuantityUnit(Quantity::CrackWidth), "mm");
}

TEST(ContourValues, RangeModesAndALonePeak) {
    // 20 × 20 elements at 1 N/mm² with one peak of 1000: the automatic range stays near 1.
    GridMesh grid(20, 20, 10);
    ResultField field = grid.Field(
        [](PointResult& p, double x, double y) { p.s1 = p.s2 = (x < 10 && y < 10) ? 1000 : 1 + x / 1000; });
    const MeshView mesh = grid.mesh.View();
    const ContourValues automatic = PrepareContours(field, mesh, Quantity::S1, RangeMode::Automatic);
    EXPECT_LT(automatic.ticks.hi, 2);
    EXPECT_GT(automatic.max, 999); // the true extreme is kept for the legend
    EXPECT_TRUE(automatic.Clipped());
    const ContourValues symmetric = PrepareContours(field, mesh, Quantity::S1, RangeMode::Symmetric);
    EXPECT_DOUBLE_EQ(symmetric.ticks.lo, -symmetric.ticks.hi);
    const ContourValues fixed = PrepareContours(field, mesh, Quantity::S1, RangeMode::Fixed, -5, 5);
    EXPECT_DOUBLE_EQ(fixed.ticks.lo, -5);
    EXPECT_DOUBLE_EQ(fixed.ticks.hi, 5);
    for (double v : fixed.ticks.values) EXPECT_TRUE(v >= -5 && v <= 5);
}

TEST(ContourValues, QuantitiesTheMethodLacksAreNotAvailable) {
    GridMesh grid(1, 1, 10);
    ResultField field = grid.Field([](PointResult&, double, double) {});
    EXPECT_FALSE(
        PrepareContours(field, grid.mesh.View(), Quantity::CrackWidth, RangeMode::Automatic).available);
    EXPECT_TRUE(PrepareContours(field, grid.mesh.View(), Quantity::Sx, RangeMode::Automatic).available);
    ResultField empty;
    empty.Resize(1, 4);
    const ContourValues none = PrepareContours(empty, grid.mesh.View(), Quantity::Sx, RangeMode::Automatic);
    EXPECT_FALSE(none.available);
    EXPECT_TRUE(std::isnan(none.corner[0][0]));
}

TEST(ContourValues, DisplacementMagnitudeIsTakenAtTheNodes) {
    GridMesh grid(1, 1, 10);
    ResultField field = grid.Field([](PointResult&, double, double) {});
    field.ux = {0, 3, 0, 3};
    field.uy = {0, 4, 0, -4};
    const MeshView mesh = grid.mesh.View();
    const ContourValues c =
        PrepareContours(field, mesh, Quantity::DisplacementMagnitude, RangeMode::Automatic);
    for (int r = 0; r < 4; ++r) EXPECT_FLOAT_EQ(c.corner[0][size_t(r)], mesh.Node(0, r) % 2 ? 5.0f : 0.0f);
}

TEST(DamageMarks, CrackLinesRunAlongTheCrackAtEachCrackedPoint) {
    // One cracked element; the crack runs at 30° and is 0.2 mm wide; one point crushed, one with yielded
    // x bars.
    GridMesh grid(1, 1, 100);
    ResultField field = grid.Field([](PointResult& p, double x, double y) {
        p.cracked = true;
        p.crackAngle = std::numbers::pi / 6;
        p.crackWidth = 0.2;
        if (x < 20 && y < 20) p.condition = PointCondition::Crushed;
        if (x > 80 && y > 80) p.yielded[0] = true;
    });
    field.hasCrackWidths = field.hasBars = true;
    const DamageMarks marks = PrepareDamageMarks(field, grid.mesh.View(), grid.x.data(), grid.y.data());
    ASSERT_EQ(marks.cracks.size(), 9u);
    EXPECT_TRUE(marks.byWidth);
    for (const CrackMark& c : marks.cracks) {
        EXPECT_EQ(c.grade, 1);
        EXPECT_NEAR(std::atan2(c.hy, c.hx), std::numbers::pi / 6, 1e-12);
        EXPECT_NEAR(std::hypot(c.hx, c.hy), 15, 1e-9); // 0.3 × 100 mm / 2
    }
    ASSERT_EQ(marks.conditions.size(), 1u);
    EXPECT_EQ(marks.crushed, 1);
    EXPECT_NEAR(marks.conditions[0].x, 50 - 50 * std::sqrt(0.6), 1e-9);
    ASSERT_EQ(marks.yields.size(), 1u);
    EXPECT_EQ(marks.yields[0].direction, 0);
    EXPECT_NEAR(marks.yields[0].y, 50 + 50 * std::sqrt(0.6), 1e-9);
}

TEST(DamageMarks, WidthGradesAndClassicOpenCracks) {
    EXPECT_EQ(CrackGrade(0.0), 0);
    EXPECT_EQ(CrackGrade(0.099), 0);
    EXPECT_EQ(CrackGrade(0.1), 1);
    EXPECT_EQ(CrackGrade(0.5), 2);
    EXPECT_EQ(CrackGrade(3.0), 3);
    GridMesh grid(2, 1, 10);
    ResultField field = grid.Field([](PointResult& p, double x, double) {
        p.cracked = x < 10;
        p.crackOpen = p.cracked;
    });
    const DamageMarks marks = PrepareDamageMarks(field, grid.mesh.View(), grid.x.data(), grid.y.data());
    EXPECT_FALSE(marks.byWidth);
    ASSERT_EQ(marks.cracks.size(), 9u); // the first element only
    for (const CrackMark& c : marks.cracks) {
        EXPECT_LT(c.x, 10);
        EXPECT_EQ(c.grade, 1);
    }
    ResultField none;
    EXPECT_FALSE(PrepareDamageMarks(none, grid.mesh.View(), grid.x.data(), grid.y.data()).hasResults);
}

TEST(CurveAxes, GrowOnlyWhenThePointsLeaveThem) {
    CurveAxes axes;
    std::vector<CapacityPoint> curve = {{0, 0}, {2, 150}, {4, 260}};
    EXPECT_TRUE(axes.Hold(curve));
    const Ticks x = axes.X(), y = axes.Y();
    EXPECT_GE(x.hi, 4);
    EXPECT_GE(y.hi, 260);
    EXPECT_DOUBLE_EQ(x.lo, 0);
    EXPECT_FALSE(axes.FourQuadrants());
    // Drawing the same data again, or fewer of them, changes nothing.
    for (int repaint = 0; repaint < 5; ++repaint) EXPECT_FALSE(axes.Hold(curve));
    EXPECT_FALSE(axes.Hold(std::span(curve).first(2)));
    EXPECT_EQ(axes.X().hi, x.hi);
    EXPECT_EQ(axes.Y().hi, y.hi);
    // A point past the end grows the axes to round ticks.
    curve.push_back({x.hi + 1, 100});
    EXPECT_TRUE(axes.Hold(curve));
    EXPECT_GE(axes.X().hi, x.hi + 1);
    EXPECT_EQ(std::fmod(axes.X().hi, axes.X().step), 0.0);
}

TEST(CurveAxes, ACyclicRunTakesAllFourQuadrants) {
    CurveAxes axes;
    const std::vector<CapacityPoint> curve = {{0, 0}, {5, 300}, {-6, -280}, {7, 320}};
    axes.Hold(curve);
    EXPECT_TRUE(axes.FourQuadrants());
    EXPECT_DOUBLE_EQ(axes.X().lo, -axes.X().hi);
    EXPECT_DOUBLE_EQ(axes.Y().lo, -axes.Y().hi);
    EXPECT_GE(axes.X().hi, 7);
    EXPECT_GE(axes.Y().hi, 320);
}

TEST(CurveAxes, PixelsAndTheNearestStep) {
    CurveAxes axes;
    const std::vector<CapacityPoint> curve = {{-10, -100}, {0, 0}, {10, 100}};
    axes.Hold(curve);
    const PlotFrame frame{40, 20, 400, 200};
    // The origin sits in the middle of a four-quadrant frame; y grows upwards.
    EXPECT_DOUBLE_EQ(axes.PixelX(frame, 0), 240);
    EXPECT_DOUBLE_EQ(axes.PixelY(frame, 0), 120);
    EXPECT_LT(axes.PixelY(frame, 100), 120);
    const double px = axes.PixelX(frame, 10), py = axes.PixelY(frame, 100);
    EXPECT_EQ(axes.NearestPoint(curve, frame, px + 3, py - 2, 8), 2);
    EXPECT_EQ(axes.NearestPoint(curve, frame, 241, 119, 8), 1);
    EXPECT_EQ(axes.NearestPoint(curve, frame, 300, 40, 8), -1); // nothing within reach
}

} // namespace
} // namespace torva
