#pragma once
// The legend of a contour field: a title with the quantity and its unit ("σx (N/mm²)"), a vertical
// colour bar with round tick values beside it, zero marked by a black line across the bar, and, when
// the field reaches past the range, how far ("max 1250"). Without results it reads "No results".
#include "analysis/ContourValues.h"

#include <QRect>
#include <QString>

class QPainter;

namespace torva {

struct LegendLayout {
    static constexpr int kWidth = 110;
    static constexpr int kBarWidth = 16;
    static constexpr int kTitleHeight = 20;
};

// The title: "σx (N/mm²)".
QString LegendTitle(Quantity q);

// The bar's pixel row of value v (the range's top at bar.top()).
int LegendRow(const QRect& bar, double lo, double hi, double v);

// Paints the legend into `area` (at least LegendLayout::kWidth wide); returns the colour bar's rectangle
// (empty without results).
QRect PaintContourLegend(QPainter& painter, const QRect& area, const ContourValues& values, bool hasResults);

} // namespace torva
