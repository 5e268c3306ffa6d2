#include "drawing/Legend.h"

#include "drawing/ColourRamp.h"
#include "drawing/Label.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace torva {

QString LegendTitle(Quantity q) {
    return QString::fromUtf8(QuantityName(q)) + " (" + QString::fromUtf8(QuantityUnit(q)) + ")";
}

int LegendRow(const QRect& bar, double lo, double hi, double v) {
    const double t = hi > lo ? (hi - v) / (hi - lo) : 0;
    return bar.top() + static_cast<int>(std::lround(t * (bar.height() - 1)));
}

QRect PaintContourLegend(QPainter& painter, const QRect& area, const ContourValues& values, bool hasResults) {
    painter.save();
    const QFont font = DrawingFont();
    const QFontMetrics metrics(font);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(area.left(), area.top(), area.width(), LegendLayout::kTitleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, LegendTitle(values.quantity));
    if (!hasResults || !values.available) {
        const QString note =
            hasResults ? QStringLiteral("Not computed by this method") : QStringLiteral("No results");
        painter.drawText(QRect(area.left(), area.top() + LegendLayout::kTitleHeight, area.width(), 40),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, note);
        painter.restore();
        return {};
    }

    // Room above the bar for the "max" line and half of the top tick's label, below it for the rest of
    // the bottom tick's label and the "min" line, so that none of them runs into another.
    const int textHeight = metrics.height();
    const int above = textHeight + textHeight / 2;
    const QRect bar(area.left() + 4, area.top() + LegendLayout::kTitleHeight + above, LegendLayout::kBarWidth,
                    std::max(20, area.height() - LegendLayout::kTitleHeight - 4 * textHeight));
    const double lo = values.ticks.lo, hi = values.ticks.hi;
    const ColourRamp ramp(lo, hi);
    for (int y = bar.top(); y <= bar.bottom(); ++y) {
        const double v = hi - (hi - lo) * (y - bar.top() + 0.5) / bar.height();
        painter.setPen(QColor::fromRgb(ramp.At(v)));
        painter.drawLine(bar.left(), y, bar.right(), y);
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar.adjusted(0, 0, -1, -1));

    for (double v : values.ticks.values) {
        const int y = LegendRow(bar, lo, hi, v);
        const bool zero = v == 0.0;
        painter.setPen(QPen(Qt::black, zero ? 2 : 1));
        if (zero)
            painter.drawLine(bar.left() - 3, y, bar.right() + 4, y); // zero runs across the bar
        else
            painter.drawLine(bar.right(), y, bar.right() + 4, y);
        const QString text = QString::fromStdString(TickText(v, values.ticks.step));
        painter.drawText(QPoint(bar.right() + 7, y + metrics.ascent() / 2 - 1), text);
    }
    // How far the field reaches past an automatic range.
    painter.setPen(Qt::black);
    if (values.max > hi)
        painter.drawText(QPoint(bar.left(), bar.top() - metrics.ascent() / 2 - 3),
                         QStringLiteral("max %1").arg(values.max, 0, 'g', 4));
    if (values.min < lo)
        painter.drawText(QPoint(bar.left(), bar.bottom() + metrics.ascent() / 2 + metrics.descent() +
                                                metrics.ascent() + 1),
                         QStringLiteral("min %1").arg(values.min, 0, 'g', 4));
    painter.restore();
    return bar;
}

} // namespace torva
