#include "drawing/StressLegend.h"

#include "analysis/ColourScale.h"
#include "analysis/ScaleTicks.h"
#include "drawing/Label.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace torva {

int StressLegend::BarRows(int plotHeight) {
    return std::clamp(plotHeight - ColourScale::kLegendTop - kBottomClearance, kMinRows, ColourScale::kCount);
}

int StressLegend::Row(float lo, float hi, double v, int rows) {
    const int last = rows - 1;
    if (!(hi > lo)) return ColourScale::kLegendTop;
    const double t = (v - double(lo)) / (double(hi) - double(lo));
    return ColourScale::kLegendTop + static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * last));
}

std::vector<LegendTick> StressLegend::Ticks(float lo, float hi, int rows) {
    std::vector<LegendTick> ticks;
    if (!(hi > lo)) {
        ticks.push_back({double(lo), Row(lo, hi, lo, rows),
                         QString::fromStdString(TickText(lo, RoundStep(std::fabs(lo), 5)))});
        return ticks;
    }
    const double step = RoundStep(double(hi) - double(lo), kMaxIntervals);
    // Values a hair outside the float range still belong to it.
    const double slack = step * 1e-6;
    for (double k = std::ceil((double(lo) - slack) / step); k * step <= double(hi) + slack; k += 1.0) {
        const double v = std::fabs(k) < 0.5 ? 0.0 : k * step;
        ticks.push_back({v, Row(lo, hi, v, rows), QString::fromStdString(TickText(v, step))});
    }
    return ticks;
}

void StressLegend::Paint(QPainter& painter, const ColourScale& colours, bool hasResults, int plotHeight) {
    painter.save();
    DrawLabel(painter, ColourScale::kLoTextX, kTitleY, QString::fromUtf8(kStressLegendTitle), Qt::black);
    if (!hasResults) {
        DrawLabel(painter, ColourScale::kLoTextX, ColourScale::kLegendTop,
                  QString::fromLatin1(kNoResultsText), Qt::black);
        painter.restore();
        return;
    }
    const int rows = BarRows(plotHeight);
    for (int i = 0; i < rows; ++i) {
        const Rgb8 c = colours.LegendColour(rows > 1 ? i * (colours.Count() - 1) / (rows - 1) : 0);
        painter.fillRect(
            QRect(ColourScale::kLegendX, ColourScale::kLegendTop + i, ColourScale::kLegendWidth, 1),
            QColor(c.r, c.g, c.b));
    }
    const QFontMetrics metrics(DrawingFont());
    const int right = ColourScale::kLegendX + ColourScale::kLegendWidth;
    for (const LegendTick& tick : Ticks(colours.Lo(), colours.Hi(), rows)) {
        painter.fillRect(QRect(right, tick.row, kTickX - right, 1), Qt::black);
        DrawLabel(painter, kTextX, tick.row - metrics.height() / 2, tick.text, Qt::black);
        // Zero is where tension starts: a line across the whole bar.
        if (tick.value == 0.0 && colours.Hi() > colours.Lo())
            painter.fillRect(QRect(ColourScale::kLegendX - 3, tick.row, ColourScale::kLegendWidth + 6, 2),
                             Qt::black);
    }
    painter.restore();
}

} // namespace torva
