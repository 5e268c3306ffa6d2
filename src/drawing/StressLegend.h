#pragma once
// The analysis view's stress legend with reading aids on: the colour bar of the stress colour scale
// (ColourScale's placement, the smallest stress red at the top), a title with the quantity and its unit,
// round tick values right of the bar (1, 2 or 5 × 10^k, at most six), zero marked by a black line across
// the bar, and "No results" in place of the bar before an analysis. The bar is 270 rows long (one per
// colour) where the plot has room, shorter in a shorter plot (the colours sampled evenly).
#include <QString>
#include <vector>

class QPainter;

namespace torva {

class ColourScale;

inline constexpr const char* kStressLegendTitle = "\u03C3 1, 2 (N/mm\u00B2)";
inline constexpr const char* kNoResultsText = "No results";

struct LegendTick {
    double value = 0;
    int row = 0; // client pixel row
    QString text;
};

class StressLegend {
public:
    static constexpr int kTitleY = 74; // the title's top
    static constexpr int kTickX = 62;  // tick marks from the bar's right edge to here
    static constexpr int kTextX = 66;  // tick values
    static constexpr int kMaxIntervals = 5;
    static constexpr int kMinRows = 40;
    static constexpr int kBottomClearance = 24;

    // Rows of the bar in a plot of this height.
    static int BarRows(int plotHeight);
    // The round values inside the colour range and their rows on a bar of `rows` rows (for an empty
    // range the one value, at the bar's top).
    static std::vector<LegendTick> Ticks(float lo, float hi, int rows);
    // The row of value v on a bar of `rows` rows.
    static int Row(float lo, float hi, double v, int rows);

    static void Paint(QPainter& painter, const ColourScale& colours, bool hasResults, int plotHeight);
};

} // namespace torva
