// Contours and their legend on known fields: colours by value and sign, nothing outside the concrete or
// over an opening, round ticks with zero marked, and the "No results" state.
#include "analysis/ContourValues.h"
#include "analysis/GridMesh.h"
#include "drawing/ColourRamp.h"
#include "drawing/ContourPainter.h"
#include "drawing/Legend.h"
#include "drawing/Pixels.h"

#include <QPainter>
#include <QSet>
#include <gtest/gtest.h>

namespace torva {
namespace {

using test::Count;
using test::GridMesh;
using test::IsWhite;
using test::WhiteImage;

bool IsReddish(QRgb c) {
    return qRed(c) > qBlue(c) + 60;
}
bool IsBluish(QRgb c) {
    return qBlue(c) > qRed(c) + 60;
}

TEST(ColourRamp, ZeroIsWhiteAndTheSignIsTheHue) {
    const ColourRamp ramp(-10, 40);
    ASSERT_TRUE(ramp.Diverging());
    EXPECT_TRUE(IsBluish(ramp.At(-10)));
    EXPECT_TRUE(IsReddish(ramp.At(40)));
    EXPECT_TRUE(IsReddish(ramp.At(1000))); // past the range: its end colour
    const QRgb nearZero = ramp.At(0.01);
    EXPECT_GT(qGreen(nearZero), 240); // white to within the table's step
    EXPECT_LT(ramp.Index(-0.01), ramp.Index(0.01));
    const ColourRamp positive(0, 5);
    EXPECT_FALSE(positive.Diverging());
    EXPECT_LT(ramp.Index(-5), ramp.Index(-1));
    EXPECT_LT(positive.Index(1), positive.Index(4));
}

// A 6 × 4 wall of 20 mm elements with an opening of 2 × 2 elements, drawn at 2 px/mm from (50, 40).
struct WallWithOpening {
    GridMesh grid{6, 4, 20, [](int i, int j) { return (i == 2 || i == 3) && (j == 1 || j == 2); }};
    QTransform toPixels = QTransform::fromTranslate(50, 40).scale(2, 2);
    QRect Wall() const { return QRect(50, 40, 240, 160); }
    QRect Opening() const { return QRect(50 + 80, 40 + 40, 80, 80); }
};

TEST(ContourPainter, FillsTheConcreteOnlyAndFollowsTheField) {
    WallWithOpening wall;
    // σx = x − 60 (N/mm²): negative on the left half, positive on the right.
    const ResultField field = wall.grid.Field([](PointResult& p, double x, double) { p.s1 = p.s2 = x - 60; });
    const MeshView mesh = wall.grid.mesh.View();
    const ContourValues values = PrepareContours(field, mesh, Quantity::Sx, RangeMode::Symmetric);
    QImage image = WhiteImage(400, 300);
    QPainter painter(&image);
    ContourPainter contours;
    contours.Paint(painter, mesh, wall.grid.x.data(), wall.grid.y.data(), values, wall.toPixels);
    painter.end();
    test::SaveIfAsked(image, "contours-wall-with-opening");

    const QRect wallRect = wall.Wall();
    // Nothing outside the wall, nothing over the opening.
    EXPECT_EQ(Count(image, QRect(0, 0, 400, 300), [](QRgb c) { return !IsWhite(c); }),
              Count(image, wallRect, [](QRgb c) { return !IsWhite(c); }));
    EXPECT_EQ(Count(image, wall.Opening(), [](QRgb c) { return !IsWhite(c); }), 0);
    // Every pixel of the concrete is filled (white only near x = 60 mm, where the value is zero).
    const QRect leftBand(wallRect.left(), wallRect.top(), 60, wallRect.height());
    const QRect rightBand(wallRect.right() - 59, wallRect.top(), 60, wallRect.height());
    EXPECT_EQ(Count(image, leftBand, IsBluish), leftBand.width() * leftBand.height());
    EXPECT_EQ(Count(image, rightBand, IsReddish), rightBand.width() * rightBand.height());
    // The colour deepens steadily towards the right edge along a row of solid concrete.
    const ColourRamp ramp = ContourPainter::RampOf(values);
    const int row = wallRect.top() + 10;
    int last = -1;
    for (int x = wallRect.left(); x <= wallRect.right(); x += 8) {
        int index = 0;
        while (index < ColourRamp::kEntries && ramp.Entry(index) != image.pixel(x, row)) ++index;
        ASSERT_LT(index, ColourRamp::kEntries) << "a colour off the ramp at x = " << x;
        EXPECT_GE(index, last);
        last = index;
    }
}

TEST(ContourPainter, AnElementIsSmoothInsideNotOneFlatColour) {
    GridMesh grid(1, 1, 100);
    const ResultField field = grid.Field([](PointResult& p, double x, double y) { p.s1 = p.s2 = x + y; });
    const MeshView mesh = grid.mesh.View();
    const ContourValues values = PrepareContours(field, mesh, Quantity::S1, RangeMode::Automatic);
    QImage image = WhiteImage(120, 120);
    QPainter painter(&image);
    ContourPainter().Paint(painter, mesh, grid.x.data(), grid.y.data(), values,
                           QTransform::fromTranslate(10, 10));
    painter.end();
    QSet<QRgb> colours;
    for (int x = 10; x < 110; ++x) colours.insert(image.pixel(x, x));
    EXPECT_GT(colours.size(), 40); // a gradient along the diagonal, not a few bands
}

TEST(Legend, TitleUnitTicksAndZeroMark) {
    WallWithOpening wall;
    const ResultField field = wall.grid.Field([](PointResult& p, double x, double) { p.s1 = p.s2 = x - 40; });
    const ContourValues values =
        PrepareContours(field, wall.grid.mesh.View(), Quantity::Sx, RangeMode::Symmetric);
    EXPECT_EQ(LegendTitle(Quantity::Sx), QString::fromUtf8("σx (N/mm²)"));
    EXPECT_EQ(LegendTitle(Quantity::E1), QString::fromUtf8("ε1 (‰)"));
    EXPECT_EQ(LegendTitle(Quantity::CrackWidth), QStringLiteral("crack width (mm)"));

    QImage image = WhiteImage(140, 300);
    QPainter painter(&image);
    const QRect bar = PaintContourLegend(painter, QRect(0, 0, 140, 300), values, true);
    painter.end();
    test::SaveIfAsked(image, "legend-symmetric");
    ASSERT_FALSE(bar.isEmpty());
    // Top red (the positive end), bottom blue, a black line across the bar at zero, in the middle.
    EXPECT_TRUE(IsReddish(image.pixel(bar.center().x(), bar.top() + 2)));
    EXPECT_TRUE(IsBluish(image.pixel(bar.center().x(), bar.bottom() - 2)));
    const int zeroRow = LegendRow(bar, values.ticks.lo, values.ticks.hi, 0);
    EXPECT_NEAR(zeroRow, (bar.top() + bar.bottom()) / 2, 1);
    EXPECT_TRUE(test::IsBlack(image.pixel(bar.left() - 2, zeroRow)));
    EXPECT_TRUE(test::IsBlack(image.pixel(bar.right() + 3, zeroRow)));
    // The title and the tick labels are printed.
    EXPECT_GT(Count(image, QRect(0, 0, 140, LegendLayout::kTitleHeight), test::IsBlack), 20);
    EXPECT_GT(Count(image, QRect(bar.right() + 6, bar.top(), 50, bar.height()), test::IsBlack), 50);
}

TEST(Legend, NoResultsShowsNoScale) {
    ResultField empty;
    GridMesh grid(2, 2, 10);
    const ContourValues values = PrepareContours(empty, grid.mesh.View(), Quantity::S2, RangeMode::Automatic);
    QImage image = WhiteImage(140, 300);
    QPainter painter(&image);
    const QRect bar = PaintContourLegend(painter, QRect(0, 0, 140, 300), values, false);
    painter.end();
    test::SaveIfAsked(image, "legend-no-results");
    EXPECT_TRUE(bar.isEmpty());
    EXPECT_EQ(Count(image, test::IsColoured), Count(image, [](QRgb c) {
                  return !IsWhite(c) && !test::IsBlack(c) && qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
              })); // only grey text edges, no colours
    EXPECT_GT(Count(image, QRect(0, LegendLayout::kTitleHeight, 140, 30), test::IsBlack), 10); // "No results"
    // A lone peak is reported above the bar.
    WallWithOpening wall;
    ResultField field = wall.grid.Field([](PointResult& p, double x, double) { p.s1 = p.s2 = x; });
    const ContourValues fixed =
        PrepareContours(field, wall.grid.mesh.View(), Quantity::S1, RangeMode::Fixed, 0, 50);
    EXPECT_TRUE(fixed.Clipped());
}

} // namespace
} // namespace torva
