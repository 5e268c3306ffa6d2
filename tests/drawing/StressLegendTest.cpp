// The analysis view's stress legend: round ticks inside the colour range at the rows of their values,
// zero marked across the bar, a bar that fits a short plot, and "No results" before an analysis.
#include "drawing/StressLegend.h"

#include "analysis/ColourScale.h"
#include "drawing/Pixels.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace torva {
namespace {

using test::Count;
using test::IsBlack;
using test::WhiteImage;

TEST(StressLegend, TicksAreRoundValuesInsideTheRangeAtTheirRows) {
    const auto ticks = StressLegend::Ticks(-12.3f, 10.5f, 270);
    ASSERT_EQ(ticks.size(), 5u); // step 5: -10 .. 10
    const double expected[] = {-10, -5, 0, 5, 10};
    for (size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_DOUBLE_EQ(ticks[i].value, expected[i]);
        // Row = top + (v − lo) / (hi − lo) × 269, rounded.
        const double t = (expected[i] + 12.3) / (10.5 + 12.3);
        EXPECT_NEAR(ticks[i].row, ColourScale::kLegendTop + t * 269, 0.6) << i;
    }
    EXPECT_EQ(ticks[2].text, "0");
    EXPECT_EQ(ticks[0].text, "-10");
    // Small stresses get the decimals their step needs.
    const auto small = StressLegend::Ticks(0.013f, 0.0871f, 270);
    ASSERT_FALSE(small.empty());
    EXPECT_EQ(small.front().text, "0.02");
    EXPECT_EQ(small.back().text, "0.08");
    // An empty range has its one value at the top.
    const auto flat = StressLegend::Ticks(2.5f, 2.5f, 270);
    ASSERT_EQ(flat.size(), 1u);
    EXPECT_EQ(flat[0].row, ColourScale::kLegendTop);
}

TEST(StressLegend, TheBarFitsAShortPlot) {
    EXPECT_EQ(StressLegend::BarRows(600), ColourScale::kCount);
    EXPECT_EQ(StressLegend::BarRows(264), 264 - ColourScale::kLegendTop - StressLegend::kBottomClearance);
    EXPECT_EQ(StressLegend::BarRows(50), StressLegend::kMinRows);
    // Ticks on the shorter bar end at its last row.
    const auto ticks = StressLegend::Ticks(0.0f, 10.0f, 100);
    EXPECT_EQ(ticks.back().row, ColourScale::kLegendTop + 99);
}

TEST(StressLegend, PaintsTheBarWithZeroMarkedOrNoResults) {
    ColourScale colours;
    colours.SetRange(-6.0f, 2.0f);
    QImage image = WhiteImage(200, 400);
    {
        QPainter painter(&image);
        StressLegend::Paint(painter, colours, true, 400);
    }
    const int zero = StressLegend::Row(-6.0f, 2.0f, 0.0, StressLegend::BarRows(400));
    // The zero line crosses the whole bar; the red end at the top, the violet-blue at the bottom.
    EXPECT_EQ(Count(image, QRect(ColourScale::kLegendX, zero, ColourScale::kLegendWidth, 1), IsBlack),
              ColourScale::kLegendWidth);
    const QRgb top = image.pixel(ColourScale::kLegendX + 2, ColourScale::kLegendTop);
    EXPECT_EQ(qRed(top), 255);
    EXPECT_EQ(qGreen(top), 0);
    const QRgb bottom = image.pixel(ColourScale::kLegendX + 2, ColourScale::kLegendTop + 269);
    EXPECT_GT(qBlue(bottom), 200);

    QImage empty = WhiteImage(200, 400);
    {
        QPainter painter(&empty);
        StressLegend::Paint(painter, colours, false, 400);
    }
    // No bar, but the title and "No results" in black.
    EXPECT_EQ(Count(empty, QRect(ColourScale::kLegendX, ColourScale::kLegendTop + 20, 10, 200),
                    [](QRgb c) { return qRed(c) != qBlue(c); }),
              0);
    EXPECT_GT(Count(empty, QRect(ColourScale::kLoTextX, ColourScale::kLegendTop, 60, 14), IsBlack), 20);
    EXPECT_GT(Count(empty, QRect(ColourScale::kLoTextX, StressLegend::kTitleY, 80, 14), IsBlack), 20);
}

} // namespace
} // namespace torva
