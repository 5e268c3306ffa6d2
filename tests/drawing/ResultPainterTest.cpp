// The analysis view's painting: what appears before and after results, the principal-stress crosses,
// load arrows, progress bar, the response strip by mode, and the stress field on request.
#include "drawing/ResultPainter.h"

#include "PaintFixture.h"
#include "Pixels.h"
#include "analysis/FramePreparation.h"
#include "drawing/ResponseGraphs.h"

#include <gtest/gtest.h>
#include <set>

using namespace torva;
using namespace torva::test;

namespace {

bool IsFieldColour(QRgb c) {
    return IsColoured(c) && !IsPureRed(c) && !IsPureBlue(c) && !IsPureGreen(c);
}

// Two 1000 × 1000 mm elements side by side at 0.2 px/mm from (100, 100): pixels 100..500 × 100..300.
// A load to the right at the top right node (x 2000, y 0 mm).
void TwoElements(PaintFixture& f) {
    f.mesh = RowMesh({0, 1000, 2000}, 1000);
    f.Place(100, 100, 0.2f);
    f.AddLoad(2, 100, 0);
}

} // namespace

TEST(ResultPainter, BeforeAnalysisOnlyTheBlackMeshArrowsAndAxesAppear) {
    PaintFixture f;
    TwoElements(f);
    f.SetAllGauss(-5.0f, 3.0f, 0.3f); // present but not shown: no analysis done
    for (int i = 0; i < 12; ++i) f.scene->shownDisp[i] = 400.0f;
    const QImage image = f.Paint();

    const QRect meshArea(90, 90, 420, 220);
    EXPECT_EQ(Count(image, meshArea, IsPureRed), 0);
    EXPECT_EQ(Count(image, meshArea, IsPureBlue), 0);
    EXPECT_EQ(Count(image, meshArea, IsFieldColour), 0);
    for (QPoint p :
         {QPoint(100, 200), QPoint(200, 100), QPoint(300, 250), QPoint(450, 300), QPoint(500, 150)})
        EXPECT_TRUE(IsBlack(image.pixel(p))) << p.x() << "," << p.y();
    // The arrow points right with its tip at the node (500, 100): shaft 500 / 20 = 25 px long.
    EXPECT_TRUE(Near(image, 480, 100, IsPureGreen));
    EXPECT_TRUE(Near(image, 476, 100, IsPureGreen));
    EXPECT_FALSE(Near(image, 470, 100, IsPureGreen, 2));
    EXPECT_FALSE(Near(image, 510, 100, IsPureGreen, 2));
    // The axes glyph: x axis to (50, 20), y axis to (20, 50), the letter Y's stem at (20, 62).
    EXPECT_TRUE(IsBlack(image.pixel(48, 20)));
    EXPECT_TRUE(IsBlack(image.pixel(20, 48)));
    EXPECT_TRUE(IsBlack(image.pixel(20, 62)));
    // "Amp  1.00" top right; no step text or progress bar in elastic mode.
    EXPECT_GT(Count(image, QRect(500, 20, 100, 16), IsBlack), 20);
    EXPECT_EQ(Count(image, QRect(290, 20, 200, 20), [](QRgb c) { return !IsWhite(c); }), 0);
}

TEST(ResultPainter, ResultsAddTheRedDisplacedMeshAndTheCrosses) {
    PaintFixture f;
    TwoElements(f);
    f.ShowResults();
    for (int k = 0; k < 6; ++k) f.scene->shownDisp[2 * k] = 250.0f; // 50 px to the right
    f.SetAllGauss(4.0f, -2.0f, 0.0f);
    const QImage image = f.Paint();

    // Displaced outline: left edge at x 150, right edge at 550; the undeformed left edge stays black.
    EXPECT_TRUE(IsPureRed(image.pixel(150, 200)));
    EXPECT_TRUE(IsPureRed(image.pixel(550, 200)));
    EXPECT_TRUE(IsBlack(image.pixel(100, 200)));
    // Tension (4) along x in blue, compression (-2) across in red, inside the displaced elements.
    // L = 1000 mm: 81-px blue lines (l1 = 200 mm) and 41-px red ones; the shared edge at x 350 is red too.
    const int blue = Count(image, QRect(155, 105, 390, 190), IsPureBlue);
    const int red = Count(image, QRect(155, 105, 390, 190), IsPureRed);
    EXPECT_GT(blue, 18 * 60); // lines of neighbouring points overlap a little; red crosses them
    EXPECT_GT(red, 18 * 35 + 190);
    EXPECT_LT(red, 18 * 45 + 190);
    // The arrow moved with its node to (550, 100).
    EXPECT_TRUE(Near(image, 540, 100, IsPureGreen));
    EXPECT_FALSE(Near(image, 485, 100, IsPureGreen, 2));
}

TEST(ResultPainter, UniaxialCompressionShowsOneRedLineAcrossTheAngle) {
    PaintFixture f;
    f.mesh = RowMesh({0, 1000}, 1000);
    f.Place(100, 100, 0.2f);
    f.ShowResults();
    f.SetAllGauss(0.0f, -5.0f, 0.0f); // the first principal stress 0, the second across it
    const QImage image = f.Paint();

    // Gauss point positions are truncated term by term, so a column may be one pixel off.
    auto clusters = [](const std::set<int>& values) {
        int n = 0, last = -10;
        for (int v : values) {
            if (v > last + 1) ++n;
            last = v;
        }
        return n;
    };
    std::set<int> columns;
    int red = 0;
    for (int y = 70; y < 330; ++y)
        for (int x = 90; x < 310; ++x) {
            if (x == 100 || x == 300 || y == 100 || y == 300) continue; // the outline
            EXPECT_FALSE(IsPureBlue(image.pixel(x, y)));
            if (IsPureRed(image.pixel(x, y))) {
                columns.insert(x);
                ++red;
            }
        }
    // Three vertical lines, one per column of Gauss points: L = 1000, half-length L / 5 = 200 mm = 40 px.
    EXPECT_EQ(clusters(columns), 3);
    EXPECT_GT(red, 3 * 150);

    // Along theta = pi / 2 the same stress lies horizontally instead.
    f.SetAllGauss(0.0f, -5.0f, 1.5707964f);
    const QImage turned = f.Paint();
    std::set<int> rows;
    for (int y = 90; y < 310; ++y)
        for (int x = 60; x < 340; ++x)
            if (x != 100 && x != 300 && y != 100 && y != 300 && IsPureRed(turned.pixel(x, y))) rows.insert(y);
    EXPECT_EQ(clusters(rows), 3);
}

TEST(ResultPainter, TheLongestCrossIsTwoFifthsOfTheSmallestElementTimesTheGlyphFactor) {
    PaintFixture f;
    f.mesh = RowMesh({0, 1000}, 500); // smallest extent L = 500 mm
    f.Place(100, 100, 0.2f);
    f.ShowResults();
    f.SetGauss(0, 4, 10.0f, 0.0f, 0.0f); // the centre point carries the largest stress
    // Its line: 2 L / 5 = 200 mm = 40 px, centred on (200, 150).
    const QRect blue = Extent(f.Paint(), QRect(70, 0, 530, 500), IsPureBlue); // right of the legend
    EXPECT_EQ(blue, QRect(180, 150, 41, 1));

    f.state.glyphFactor = 2.0f;
    const QRect doubled = Extent(f.Paint(), QRect(70, 0, 530, 500), IsPureBlue);
    EXPECT_EQ(doubled, QRect(160, 150, 81, 1));

    // The zoom scales the cross with the mesh.
    f.state.glyphFactor = 1.0f;
    f.scene->projection.zoom = 1.5f;
    const QRect zoomed = Extent(f.Paint(), QRect(70, 0, 530, 500), IsPureBlue);
    EXPECT_EQ(zoomed.width(), 61);
}

TEST(ResultPainter, CrossGeometryTruncatesAtEveryStep) {
    // a1 = 7 (from 7.9); half-vector (trunc(7 cos 0.5), trunc(7 sin 0.5)) = (6, 3), times 2.5 -> (15, 7).
    const GlyphLines g = PrincipalGlyph(7.9f, -3.99f, 0.5f, 2.5f);
    EXPECT_EQ(g.a1, 7);
    EXPECT_EQ(g.a2, -3);
    EXPECT_EQ(g.half1, QPoint(15, 7));
    // Across: angle 0.5 + 1.5707, |a2| = 3: (trunc(-1.438), trunc(2.633)) = (-1, 2), times 2.5 -> (-2, 5).
    EXPECT_EQ(g.half2, QPoint(-2, 5));
    // Below one millimetre nothing is left.
    const GlyphLines small = PrincipalGlyph(0.9f, -0.9f, 0.0f, 100.0f);
    EXPECT_EQ(small.a1, 0);
    EXPECT_TRUE(small.half1.isNull());
    EXPECT_TRUE(small.half2.isNull());
}

TEST(ResultPainter, LoadArrowsUseIntegerDivisionsOfThePlotHeight) {
    // Plot 599 px: shaft 29, barbs 9 back and 9 aside.
    const ArrowLines right = LoadArrow(100, 0, QPoint(100, 100), 599);
    EXPECT_EQ(right.tail, QPoint(71, 100));
    EXPECT_EQ(right.barb1, QPoint(91, 91));
    EXPECT_EQ(right.barb2, QPoint(91, 109));
    // Downwards on the screen (y grows down): the tail above the tip.
    const ArrowLines down = LoadArrow(0, -7, QPoint(100, 100), 600);
    EXPECT_EQ(down.tail, QPoint(100, 130));
    EXPECT_EQ(down.barb1, QPoint(90, 110));
    EXPECT_EQ(down.barb2, QPoint(110, 110));
    // No force: no arrow at all (not a full arrow along +x).
    const ArrowLines none = LoadArrow(0, 0, QPoint(40, 50), 600);
    EXPECT_EQ(none.tail, QPoint(40, 50));
    EXPECT_EQ(none.barb1, QPoint(40, 50));
    EXPECT_EQ(none.barb2, QPoint(40, 50));
    // Diagonal: each rotated coordinate truncated toward zero (-30 cos 45° = -21.2 -> -21).
    EXPECT_EQ(LoadArrow(5, 5, QPoint(0, 0), 600).tail, QPoint(-21, -21));
}

TEST(ResultPainter, ElasticModeDrawsNoProgressBarAndNoGraphEvenWithTheStrip) {
    PaintFixture f;
    f.view.separation = 1;
    TwoElements(f);
    f.ShowResults();
    f.state.stepCounter = 3;
    f.state.runStepsPerSegment = 10;
    f.state.runSegments = 1;
    for (int row = 1; row <= 3; ++row) {
        f.scene->controlHistory[2 * row] = 0.5f * row;
        f.scene->controlHistory[2 * row + 1] = 20000.0f * row;
    }
    // Plot 500 - 225 = 275 px; the black bar at 275..279; the strip from 280.
    const QImage elastic = f.Paint();
    EXPECT_EQ(Count(elastic, QRect(0, 275, 600, 5), IsBlack), 600 * 5);
    EXPECT_EQ(Count(elastic, QRect(0, 280, 600, 220), IsWhite), 600 * 220);
    EXPECT_EQ(Count(elastic, QRect(300, 25, 80, 10), [](QRgb c) { return !IsWhite(c); }), 0);

    f.state.analysisMode = AnalysisState::kPushoverMode;
    const QImage pushover = f.Paint();
    // Progress 3 / 10: black bar x 300..379, blue 300..323.
    EXPECT_TRUE(IsPureBlue(pushover.pixel(300, 25)));
    EXPECT_TRUE(IsPureBlue(pushover.pixel(323, 34)));
    EXPECT_TRUE(IsBlack(pushover.pixel(324, 30)));
    EXPECT_TRUE(IsBlack(pushover.pixel(379, 34)));
    EXPECT_TRUE(IsWhite(pushover.pixel(380, 30)));
    EXPECT_TRUE(IsWhite(pushover.pixel(299, 30)));
    EXPECT_GT(Count(pushover, QRect(400, 20, 80, 16), IsBlack), 10); // "3 / 10"
    // The force-deformation graph in the strip: horizontal axis at strip y 180, centre column 300.
    EXPECT_EQ(Count(pushover, QRect(175, 460, 251, 1), IsPureBlue), 251);
    // Its curve: the 3rd step (1.5 mm, 6e4 N) at (175 + 187, 460 - 78).
    EXPECT_TRUE(Near(pushover, 362, 382, IsPureBlue));

    // The rebar plots instead: eighteen red crosses, the first centred at (40, 280 + 40).
    f.scene->viewKind = kGraphRebarStressStrain;
    const QImage rebar = f.Paint();
    EXPECT_EQ(Count(rebar, QRect(10, 320, 61, 1), IsPureRed), 61);
    EXPECT_EQ(Count(rebar, QRect(0, 280, 600, 220), IsPureBlue), 0);

    // A run without steps shows the empty bar.
    f.state.runStepsPerSegment = 0;
    EXPECT_EQ(Count(f.Paint(), QRect(300, 25, 80, 10), IsBlack), 80 * 10);
}

TEST(ResultPainter, TheStressFieldIsDrawnOnlyOnRequestAfterResults) {
    PaintFixture f;
    TwoElements(f);
    f.view.showPrincipal = 0;
    f.SetAllGauss(-3.0f, 2.0f, 0.0f);
    f.view.renderOnce = 1;
    EXPECT_EQ(Count(f.Paint(), QRect(90, 90, 420, 220), IsFieldColour), 0); // no results yet

    f.state.analysisDone = 1;
    const QImage field = f.Paint();
    // Every Gauss point is coloured by -3, the range minimum: red at half opacity over white.
    const QRgb centre = field.pixel(123, 123);
    EXPECT_GT(qRed(centre), 250);
    EXPECT_LT(qGreen(centre), 200);
    // Eighteen squares of 20 x 20 px (half-size 10 at zoom 1), far enough apart not to overlap.
    EXPECT_GT(Count(field, QRect(105, 105, 390, 190), IsFieldColour), 18 * 380);

    f.view.renderOnce = 0;
    EXPECT_EQ(Count(f.Paint(), QRect(105, 105, 390, 190), IsFieldColour), 0);
}

TEST(ResultPainter, TheLegendShowsTheHuesAndTheRangeOfTheDisplayedStresses) {
    PaintFixture f;
    TwoElements(f);
    f.ShowResults();
    f.SetAllGauss(-3.0f, 2.0f, 0.0f);
    const QImage image = f.Paint();
    EXPECT_EQ(f.colours.Lo(), -3.0f);
    EXPECT_EQ(f.colours.Hi(), 2.0f);
    // Entry i at y = 100 + i, x 50..59: hue 150 is (0, 255, 127), hue 269 (123, 0, 255).
    EXPECT_EQ(image.pixel(59, 250), qRgb(0, 255, 127));
    EXPECT_EQ(image.pixel(50, 369), qRgb(123, 0, 255));
    EXPECT_TRUE(IsWhite(image.pixel(60, 250)));
    // The two range values, beside the ends of the bar, which they leave whole.
    EXPECT_EQ(image.pixel(55, 100), qRgb(255, 0, 0));
    EXPECT_GT(Count(image, QRect(20, 86, 30, 14), IsBlack), 10);
    EXPECT_GT(Count(image, QRect(20, 370, 30, 14), IsBlack), 10);
}

TEST(ResultPainter, PaintingReadsOnlyWhatTheFrameLeft) {
    // A push-over display with a curve that passes the graph's first scales: prepared once, painted
    // twice, the pictures are the same and the scene is as the preparation left it.
    test::PaintFixture f;
    f.mesh = RowMesh({0, 500, 1000}, 500);
    f.view.separation = 1;
    f.Place(100, 80, 0.5f);
    f.ShowResults();
    f.state.analysisMode = AnalysisState::kPushoverMode;
    f.state.runStepsPerSegment = 10;
    f.state.stepCounter = 10;
    for (int s = 1; s <= 10; ++s) {
        f.scene->controlHistory[2 * s] = 1.5f * static_cast<float>(s);
        f.scene->controlHistory[2 * s + 1] = 4e4f * static_cast<float>(s);
    }
    PrepareFrame(*f.scene, f.mesh.View(), f.state, f.view, f.colours, f.client.width(), f.client.height());
    EXPECT_EQ(f.scene->graphCounterX, 7); // 15 mm: 8 units of 2 mm
    EXPECT_EQ(f.scene->graphCounterY, 3); // 4e5 N: 4 units of 1e5 N
    const AnalysisScene& scene = *f.scene;
    const std::vector<int32_t> shownX = scene.shownX;
    const int originX = scene.projection.originX;
    const std::string lo = f.colours.LoText();
    const QImage first = RenderAnalysis(f.Input(), f.client);
    const QImage second = RenderAnalysis(f.Input(), f.client);
    EXPECT_EQ(first, second);
    EXPECT_EQ(scene.graphCounterX, 7);
    EXPECT_EQ(scene.graphCounterY, 3);
    EXPECT_EQ(scene.shownX, shownX);
    EXPECT_EQ(scene.projection.originX, originX);
    EXPECT_EQ(f.colours.LoText(), lo);
}
