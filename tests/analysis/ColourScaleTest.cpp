// The 270-hue colour scale: hues by sector, the value lookup at and beyond the range, the legend colours
// and range texts.
#include "analysis/ColourScale.h"

#include <gtest/gtest.h>
#include <limits>

using namespace torva;

namespace {
void ExpectRgb(const Rgb& c, float r, float g, float b) {
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
}
} // namespace

TEST(ColourScale, HuesFollowTheSixSectorsWithInclusiveBounds) {
    ColourScale scale;
    ASSERT_EQ(scale.Count(), 270);
    ExpectRgb(scale.Entry(0), 1, 0, 0);
    ExpectRgb(scale.Entry(30), 1, 0.5f, 0);
    ExpectRgb(scale.Entry(60), 1, 1, 0);
    ExpectRgb(scale.Entry(90), 0.5f, 1, 0);
    ExpectRgb(scale.Entry(120), 0, 1, 0);
    ExpectRgb(scale.Entry(150), 0, 1, 0.5f);
    ExpectRgb(scale.Entry(180), 0, 1, 1);
    ExpectRgb(scale.Entry(210), 0, 0.5f, 1);
    ExpectRgb(scale.Entry(240), 0, 0, 1);
    ExpectRgb(scale.Entry(269), 29.0f / 60.0f, 0, 1);
    // Full saturation and value everywhere: one component 1, one 0.
    for (int h = 0; h < scale.Count(); ++h) {
        const Rgb& c = scale.Entry(h);
        EXPECT_FLOAT_EQ(std::max({c.r, c.g, c.b}), 1.0f) << h;
        EXPECT_FLOAT_EQ(std::min({c.r, c.g, c.b}), 0.0f) << h;
    }
}

TEST(ColourScale, MinimumIsRedMaximumIsTheLastColourAndOutsideValuesClamp) {
    ColourScale scale;
    scale.SetRange(-3.0f, 6.0f);
    EXPECT_EQ(scale.LookupIndex(-3.0f), 0);
    ExpectRgb(scale.Lookup(-3.0f), 1, 0, 0);
    EXPECT_EQ(scale.LookupIndex(6.0f), 269);
    EXPECT_EQ(&scale.Lookup(6.0f), &scale.Entry(269));
    EXPECT_EQ(scale.LookupIndex(-100.0f), 0);
    EXPECT_EQ(scale.LookupIndex(1e30f), 269);
    // Truncation toward zero, not rounding: 4.49 → 7.49 / 9 × 269 = 223.86.
    EXPECT_EQ(scale.LookupIndex(4.49f), 223);
    // Just below the maximum is the entry before the last.
    EXPECT_EQ(scale.LookupIndex(5.99f), 268);
    // Between the last index and count (possible only above hi) stays the last entry.
    EXPECT_EQ(scale.LookupIndex(6.0f + 9.0f * 0.5f / 269.0f), 269);
}

TEST(ColourScale, EmptyRangeAndNaNGiveTheFirstColour) {
    ColourScale scale;
    scale.SetRange(0.0f, 0.0f);
    EXPECT_EQ(scale.LookupIndex(0.0f), 0);
    EXPECT_EQ(scale.LookupIndex(5.0f), 0);
    EXPECT_EQ(scale.LookupIndex(-5.0f), 0);
    scale.SetRange(0.0f, 1.0f);
    EXPECT_EQ(scale.LookupIndex(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(ColourScale, LegendColoursTruncateAndRangeTextsUseSixDecimals) {
    ColourScale scale;
    const Rgb8 red = scale.LegendColour(0);
    EXPECT_EQ(red.r, 255);
    EXPECT_EQ(red.g, 0);
    EXPECT_EQ(red.b, 0);
    EXPECT_EQ(scale.LegendColour(1).g, 4);     // 255 / 60 = 4.25
    EXPECT_EQ(scale.LegendColour(90).r, 127);  // 127.5
    EXPECT_EQ(scale.LegendColour(269).r, 123); // 255 × 29 / 60 = 123.25
    EXPECT_EQ(scale.LegendColour(269).b, 255);

    EXPECT_EQ(scale.LoText(), "0.000000");
    EXPECT_EQ(scale.HiText(), "1.000000");
    scale.SetRange(-3.5f, 12.25f);
    EXPECT_EQ(scale.LoText(), "-3.500000");
    EXPECT_EQ(scale.HiText(), "12.250000");
}
