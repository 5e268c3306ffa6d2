#include "drawing/CapacityCurvePainter.h"

#include "drawing/Label.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace torva {

PlotFrame CapacityCurvePainter::PlotFrameOf(const QRect& frame) {
    return {frame.left() + kLeftMargin, frame.top() + kTopMargin,
            std::max(1, frame.width() - kLeftMargin - kRightMargin),
            std::max(1, frame.height() - kTopMargin - kBottomMargin)};
}

void CapacityCurvePainter::Paint(QPainter& painter, const QRect& frame, std::span<const CapacityPoint> points,
                                 const CurveAxes& axes, int shownStep, const QString& title) {
    painter.save();
    painter.setClipRect(frame);
    painter.fillRect(frame, Qt::white);
    const QFont font = DrawingFont();
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const PlotFrame plot = PlotFrameOf(frame);
    const QRect plotRect(plot.left, plot.top, plot.width, plot.height);

    painter.setPen(Qt::black);
    painter.drawText(QRect(frame.left(), frame.top() + 2, frame.width(), kTopMargin - 4),
                     Qt::AlignHCenter | Qt::AlignVCenter, title);

    // Grid and tick labels.
    const Ticks& x = axes.X();
    const Ticks& y = axes.Y();
    for (double v : x.values) {
        const int px = static_cast<int>(std::lround(axes.PixelX(plot, v)));
        painter.setPen(v == 0.0 ? QPen(Qt::black, 1) : QPen(QColor(225, 225, 225), 1));
        painter.drawLine(px, plot.top, px, plot.top + plot.height);
        const QString text = QString::fromStdString(TickText(v, x.step));
        painter.setPen(Qt::black);
        painter.drawText(px - metrics.horizontalAdvance(text) / 2,
                         plot.top + plot.height + metrics.ascent() + 2, text);
    }
    for (double v : y.values) {
        const int py = static_cast<int>(std::lround(axes.PixelY(plot, v)));
        painter.setPen(v == 0.0 ? QPen(Qt::black, 1) : QPen(QColor(225, 225, 225), 1));
        painter.drawLine(plot.left, py, plot.left + plot.width, py);
        const QString text = QString::fromStdString(TickText(v, y.step));
        painter.setPen(Qt::black);
        painter.drawText(plot.left - 4 - metrics.horizontalAdvance(text), py + metrics.ascent() / 2 - 1,
                         text);
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plotRect);
    painter.drawText(QRect(plot.left, frame.bottom() - metrics.height(), plot.width, metrics.height()),
                     Qt::AlignHCenter, QStringLiteral("control displacement (mm)"));
    painter.save();
    painter.translate(frame.left() + 2, plot.top + plot.height / 2);
    painter.rotate(-90);
    const QString forceTitle = QStringLiteral("force (kN)");
    painter.drawText(-metrics.horizontalAdvance(forceTitle) / 2, metrics.ascent(), forceTitle);
    painter.restore();

    if (points.empty()) {
        painter.drawText(plotRect, Qt::AlignCenter, QStringLiteral("No steps yet"));
        painter.restore();
        return;
    }
    painter.setClipRect(plotRect.adjusted(0, 0, 1, 1));
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath path;
    path.moveTo(axes.PixelX(plot, points[0].displacement), axes.PixelY(plot, points[0].force));
    for (size_t i = 1; i < points.size(); ++i)
        path.lineTo(axes.PixelX(plot, points[i].displacement), axes.PixelY(plot, points[i].force));
    painter.setPen(QPen(QColor(0, 70, 200), 2));
    painter.drawPath(path);
    if (shownStep >= 0 && size_t(shownStep) < points.size()) {
        const QPointF at(axes.PixelX(plot, points[size_t(shownStep)].displacement),
                         axes.PixelY(plot, points[size_t(shownStep)].force));
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(QColor(230, 0, 0));
        painter.drawEllipse(at, kMarkerRadius + 0.5, kMarkerRadius + 0.5);
    }
    painter.restore();
}

int CapacityCurvePainter::StepAt(const QRect& frame, std::span<const CapacityPoint> points,
                                 const CurveAxes& axes, QPointF pixel) {
    return axes.NearestPoint(points, PlotFrameOf(frame), pixel.x(), pixel.y(), kHitRadius);
}

} // namespace torva
