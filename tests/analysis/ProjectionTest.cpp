// Projection of the analysis view: measuring the client, the fit (also for zero-length axes), mapping,
// zoom and pan drags, and the repaint layout with its origin reset.
#include "analysis/Projection.h"

#include <gtest/gtest.h>

using namespace torva;

TEST(Projection, MeasureClientPutsTheOriginAtOneFifth) {
    Projection p;
    p.MeasureClient(465, 589);
    EXPECT_EQ(p.clientWidth, 465);
    EXPECT_EQ(p.plotHeight, 589);
    EXPECT_EQ(p.originX, 93);
    EXPECT_EQ(p.originY, 117); // 589 / 5 truncated
}

TEST(Projection, FitUsesThePlotHeightForBothQuotientsAndResetsTheZoom) {
    Projection p;
    p.MeasureClient(100, 500);
    p.zoom = 3.0f;
    p.Fit(2000.0f, 1000.0f); // a width-based fit would give 0.6 × 100 / 2000 = 0.03
    EXPECT_FLOAT_EQ(p.baseScale, 0.15f);
    EXPECT_FLOAT_EQ(p.zoom, 1.0f);
    p.Fit(1000.0f, 4000.0f);
    EXPECT_FLOAT_EQ(p.baseScale, 0.075f);
}

TEST(Projection, FitOfAModelWithoutWidthOrHeightUsesTheFiniteQuotientOrScaleOne) {
    Projection p;
    p.MeasureClient(400, 500);
    p.Fit(0.0f, 1000.0f);
    EXPECT_FLOAT_EQ(p.baseScale, 0.3f);
    p.Fit(1000.0f, 0.0f);
    EXPECT_FLOAT_EQ(p.baseScale, 0.3f);
    p.Fit(0.0f, 0.0f);
    EXPECT_FLOAT_EQ(p.baseScale, 1.0f);
    // An empty plot (a window not shown yet) gives scale 0 rather than 0 / 0.
    p.MeasureClient(0, 0);
    p.Fit(0.0f, 1000.0f);
    EXPECT_FLOAT_EQ(p.baseScale, 0.0f);
}

TEST(Projection, MapAppliesOriginZoomAndScaleWithYDownwards) {
    Projection p;
    p.MeasureClient(465, 500);
    p.Fit(1000.0f, 1000.0f); // 0.3 px/mm
    p.zoom = 2.0f;
    EXPECT_FLOAT_EQ(p.ScreenX(100.0f), 93.0f + 60.0f);
    EXPECT_FLOAT_EQ(p.ScreenY(100.0f), 100.0f + 60.0f);
    EXPECT_FLOAT_EQ(p.ScreenY(-50.0f), 100.0f - 30.0f);
}

TEST(Projection, ZoomDragAddsAHundredthPerPixelAndStopsAtOneFifth) {
    Projection p;
    p.Drag(0, 30, 20);
    EXPECT_FLOAT_EQ(p.zoom, 1.5f);
    p.Drag(0, -10, 0);
    EXPECT_FLOAT_EQ(p.zoom, 1.4f);
    p.zoom = 1.0f;
    p.Drag(0, -500, 0);
    EXPECT_FLOAT_EQ(p.zoom, 0.2f);
    EXPECT_EQ(p.originX, 0);
    EXPECT_EQ(p.originY, 0);
}

TEST(Projection, PanDragMovesTheOriginOnly) {
    Projection p;
    p.MeasureClient(500, 500);
    p.Drag(1, 7, -3);
    EXPECT_EQ(p.originX, 107);
    EXPECT_EQ(p.originY, 97);
    EXPECT_FLOAT_EQ(p.zoom, 1.0f);
}

TEST(Projection, ResizingResetsThePanButNotTheZoom) {
    Projection p;
    p.MeasureClient(500, 500);
    p.zoom = 2.5f;
    p.Drag(1, 40, 40);
    p.Layout(500, 500, false); // same size: the pan stays
    EXPECT_EQ(p.originX, 140);
    p.Layout(600, 500, false);
    EXPECT_EQ(p.originX, 120);
    EXPECT_EQ(p.originY, 100);
    EXPECT_FLOAT_EQ(p.zoom, 2.5f);
}

TEST(Projection, SeparationLeavesTheStripBelowThePlot) {
    Projection p;
    p.MeasureClient(400, 600);
    PaintBands bands = p.Layout(400, 600, true);
    EXPECT_EQ(p.plotHeight, 375);
    EXPECT_EQ(p.originY, 75);
    EXPECT_EQ(bands.plot.height, 375);
    EXPECT_EQ(bands.bar.y, 375);
    EXPECT_EQ(bands.bar.height, 5);
    EXPECT_EQ(bands.graph.y, 380);
    EXPECT_EQ(bands.graph.height, 220);
    EXPECT_EQ(bands.graph.width, 400);

    // A client of 225 pixels or less ignores the strip.
    p.Layout(400, 225, true);
    EXPECT_EQ(p.plotHeight, 225);
    p.Layout(400, 226, true);
    EXPECT_EQ(p.plotHeight, 1);
    // Without separation the lower bands fall below the client area.
    bands = p.Layout(400, 600, false);
    EXPECT_EQ(p.plotHeight, 600);
    EXPECT_EQ(bands.bar.y, 600);
}

// The window's centred fit: the model in the middle of the room the margins leave, at the largest scale.
TEST(Projection, CentredFitUsesTheRoomBetweenTheMarginsAndCentresTheModel) {
    Projection p;
    p.centred = true;
    p.MeasureClient(465, 500);
    p.zoom = 2.0f;
    p.Fit(6000.0f, 30000.0f);                                                    // tall: the height decides
    const float room = 465 - Projection::kMarginLeft - Projection::kMarginRight; // 331
    const float tall = 500 - Projection::kMarginTop - Projection::kMarginBottom; // 416
    EXPECT_FLOAT_EQ(p.baseScale, tall / 30000.0f);
    EXPECT_FLOAT_EQ(p.zoom, 1.0f);
    EXPECT_EQ(p.originY, Projection::kMarginTop);
    EXPECT_NEAR(p.ScreenX(3000.0f), Projection::kMarginLeft + room / 2, 1.0);
    EXPECT_NEAR(p.ScreenY(30000.0f), 500 - Projection::kMarginBottom, 1.0);

    p.Fit(5000.0f, 1000.0f); // wide: the width decides
    EXPECT_FLOAT_EQ(p.baseScale, room / 5000.0f);
    EXPECT_EQ(p.originX, Projection::kMarginLeft);
    EXPECT_NEAR(p.ScreenY(500.0f), Projection::kMarginTop + tall / 2, 1.0);
}

// With the response strip on the plot is shorter: the fit follows, so the model stays above the strip.
TEST(Projection, ACentredFitFollowsTheStripIntoTheShorterPlot) {
    Projection p;
    p.centred = true;
    p.MeasureClient(465, 589);
    p.Fit(6000.0f, 30000.0f);
    const float fullScale = p.baseScale;
    const PaintBands bands = p.Layout(465, 589, /*separation*/ true);
    EXPECT_EQ(bands.plot.height, 589 - Projection::kStripHeight);
    EXPECT_LT(p.baseScale, fullScale);
    EXPECT_LE(p.ScreenY(30000.0f), bands.bar.y - Projection::kMarginBottom + 1);
    // Back without the strip: the first fit again.
    p.Layout(465, 589, false);
    EXPECT_FLOAT_EQ(p.baseScale, fullScale);
}

TEST(Projection, ZoomAboutKeepsTheModelPointUnderThePixel) {
    Projection p;
    p.centred = true;
    p.MeasureClient(600, 500);
    p.Fit(3000.0f, 3000.0f);
    // The model point under (400, 150) before each zoom is there after it, to the origin's whole pixel.
    for (float factor : {1.2f, 1.44f, 0.5f, 3.0f}) {
        const float perMm = p.zoom * p.baseScale;
        const float mx = (400 - p.originX) / perMm, my = (150 - p.originY) / perMm;
        p.ZoomAbout(factor, 400, 150);
        EXPECT_NEAR(p.ScreenX(mx), 400.0, 0.5 + 1e-3) << factor;
        EXPECT_NEAR(p.ScreenY(my), 150.0, 0.5 + 1e-3) << factor;
    }
    EXPECT_FLOAT_EQ(p.zoom, 1.2f * 1.44f * 0.5f * 3.0f);
    // Never below a fifth, and a zero or negative factor changes nothing.
    p.ZoomAbout(0.001f, 400, 150);
    EXPECT_FLOAT_EQ(p.zoom, Projection::kMinZoom);
    const int x = p.originX;
    p.ZoomAbout(0.0f, 10, 10);
    p.ZoomAbout(-2.0f, 10, 10);
    EXPECT_EQ(p.originX, x);
    EXPECT_FLOAT_EQ(p.zoom, Projection::kMinZoom);
}
