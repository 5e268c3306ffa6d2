#include "drawing/CapacityCurvePainter.h"

#include "drawing/Label.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace torva {

namespace {

constexpr int kTitleInset = 4; // pixels kept free either side of the title

int TopMargin(const QStringList& lines) {
    const QFontMetrics metrics(DrawingFont());
    return std::max<int>(CapacityCurvePainter::kTopMargin, int(lines.size()) * metrics.lineSpacing() + 6);
}

} // namespace

QStringList CapacityCurvePainter::TitleLines(const QString& title, int frameWidth) {
    const QFontMetrics metrics(DrawingFont());
    const int room = std::max(1, frameWidth - 2 * kTitleInset);
    if (title.isEmpty() || metrics.horizontalAdvance(title) <= room) return {title};
    // The second line starts after the dash that joins the title's parts, else after the last space
    // that leaves a first line that fits.
    int cut = -1;
    const int dash = title.indexOf(QStringLiteral(" \u2014 "));
    if (dash > 0 && metrics.horizontalAdvance(title.left(dash + 2)) <= room) cut = dash + 2;
    for (int at = title.lastIndexOf(QLatin1Char(' ')); cut < 0 && at > 0;
         at = title.lastIndexOf(QLatin1Char(' '), at - 1))
        if (metrics.horizontalAdvance(title.left(at)) <= room) cut = at;
    if (cut < 0) return {metrics.elidedText(title, Qt::ElideRight, room)};
    return {metrics.elidedText(title.left(cut).trimmed(), Qt::ElideRight, room),
            metrics.elidedText(title.mid(cut).trimmed(), Qt::ElideRight, room)};
}

PlotFrame CapacityCurvePainter::PlotFrameOf(const QRect& frame, const QString& title) {
    const int top = TopMargin(TitleLines(title, frame.width()));
    return {frame.left() + kLeftMargin, frame.top() + top,
            std::max(1, frame.width() - kLeftMargin - kRightMargin),
            std::max(1, frame.height() - top - kBottomMargin)};
}

void CapacityCurvePainter::Paint(QPainter& painter, const QRect& frame, std::span<const CapacityPoint> points,
                                 const CurveAxes& axes, int shownStep, const QString& title) {
    painter.save();
    painter.setClipRect(frame);
    painter.fillRect(frame, Qt::white);
    const QFont font = DrawingFont();
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const QStringList lines = TitleLines(title, frame.width());
    const PlotFrame plot = PlotFrameOf(frame, title);
    const QRect plotRect(plot.left, plot.top, plot.width, plot.height);

    painter.setPen(Qt::black);
    const int titleHeight = plot.top - frame.top() - 4;
    const int linesTop = frame.top() + 2 + (titleHeight - int(lines.size()) * metrics.lineSpacing()) / 2;
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(
            QRect(frame.left(), linesTop + i * metrics.lineSpacing(), frame.width(), metrics.lineSpacing()),
            Qt::AlignHCenter | Qt::AlignVCenter, lines[i]);

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
    // The axis title under the plot, shortened where the plot is narrow rather than cut at its sides.
    QString across = QStringLiteral("control displacement (mm)");
    if (metrics.horizontalAdvance(across) > plot.width) across = QStringLiteral("displacement (mm)");
    const int acrossRoom = std::min(frame.width(), plot.width + kLeftMargin / 2);
    const QRect acrossBox(plot.left + plot.width / 2 - acrossRoom / 2, frame.bottom() - metrics.height(),
                          acrossRoom, metrics.height());
    painter.drawText(acrossBox, Qt::AlignHCenter, metrics.elidedText(across, Qt::ElideRight, acrossRoom));
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
                                 const CurveAxes& axes, QPointF pixel, const QString& title) {
    return axes.NearestPoint(points, PlotFrameOf(frame, title), pixel.x(), pixel.y(), kHitRadius);
}

} // namespace torva
