#pragma once
// Paints the capacity curve of a push-over run in a frame: a title, axes with round ticks in mm (across)
// and kN (up) on CurveAxes, the origin lines, the curve through every step, and a marker at the shown
// step. Everything stays inside the frame; without steps it says so. A title too long for the frame
// wraps onto a second line (after its dash, else at a space), and a line still too long is elided.
#include "analysis/CurveAxes.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <span>

class QPainter;

namespace torva {

class CapacityCurvePainter {
public:
    static constexpr int kLeftMargin = 56;
    static constexpr int kRightMargin = 12;
    static constexpr int kTopMargin = 24;
    static constexpr int kBottomMargin = 34;
    static constexpr int kMarkerRadius = 4;
    static constexpr int kHitRadius = 10;

    // The plot area of a frame (inside the tick labels and titles); a title on two lines moves it down.
    static PlotFrame PlotFrameOf(const QRect& frame, const QString& title = QString());
    // The lines the title is drawn on in a frame of this width (one or two, none wider than the frame).
    static QStringList TitleLines(const QString& title, int frameWidth);

    // shownStep: index into points of the marked step, −1 for none.
    static void Paint(QPainter& painter, const QRect& frame, std::span<const CapacityPoint> points,
                      const CurveAxes& axes, int shownStep, const QString& title);

    // The step a click at `pixel` selects, or −1 when no step is within reach.
    static int StepAt(const QRect& frame, std::span<const CapacityPoint> points, const CurveAxes& axes,
                      QPointF pixel, const QString& title = QString());
};

} // namespace torva
