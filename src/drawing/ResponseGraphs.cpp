#include "drawing/ResponseGraphs.h"

#include "drawing/CapacityCurvePainter.h"
#include "drawing/Label.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace torva {

namespace {

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

QPen ThinPen(const QColor& colour) {
    QPen pen(colour);
    pen.setWidth(1);
    return pen;
}

// A small stress-strain or spring plot: two axes crossing at the centre, half-size pixels each way.
void DrawCross(QPainter& painter, QPoint centre, int half) {
    painter.drawLine(centre.x() - half, centre.y(), centre.x() + half, centre.y());
    painter.drawLine(centre.x(), centre.y() - half, centre.x(), centre.y() + half);
}

// The curve of one small plot: from the centre through (across, up) of every row.
void DrawSmallCurve(QPainter& painter, QPoint centre, int half, const double* across, const double* up,
                    int stride, int slot, int firstRow, int count) {
    if (count <= 0 || !across || !up) return;
    // Values past 1 stay inside the plot's frame.
    painter.save();
    painter.setClipRect(QRect(centre.x() - half, centre.y() - half, 2 * half + 1, 2 * half + 1),
                        Qt::IntersectClip);
    QPolygon line;
    line.reserve(count + 1);
    line << centre;
    for (int k = 0; k < count; ++k) {
        const long long at = static_cast<long long>(firstRow + k) * stride + slot;
        line << QPoint(centre.x() + TruncPixel(half * across[at]), centre.y() - TruncPixel(half * up[at]));
    }
    painter.drawPolyline(line);
    painter.restore();
}

} // namespace

QString OutputGraphTitle(int kind, const OutputElementTitle& output) {
    if (!output.known || output.element < 0 || kind == kGraphForceDeformation) return QString();
    static const char* const kKinds[3] = {"plane element", "vertical joint", "horizontal joint"};
    const QString which = QStringLiteral("output element %1, %2 at (%3, %4) mm")
                              .arg(output.number)
                              .arg(QString::fromLatin1(kKinds[std::clamp(output.discrete, 0, 2)]))
                              .arg(output.x)
                              .arg(output.y);
    switch (kind) {
    case kGraphConcreteStressStrain:
        return QStringLiteral("Concrete \u03C3/fc against \u03B5/5\u03B50 \u2014 ") + which;
    case kGraphRebarStressStrain:
        return QStringLiteral("Rebar \u03C3/\u03C1fy against \u03B5/5\u03B5y \u2014 ") + which;
    default:
        return QStringLiteral("Springs F/Fc, F/Fy against opening \u2014 ") + which;
    }
}

void ResponseGraphs::Draw(QPainter& painter, const GraphInput& input, int counterX, int counterY) {
    if (input.analysisMode != 2) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (input.kind != kGraphForceDeformation && input.output.known) {
        // Without an output element there is nothing to draw but the way to choose one; a joint has no
        // stress-strain plots and a plane element no springs.
        const bool joint = input.output.discrete != 0;
        const bool wantsJoint = input.kind == kGraphDiscreteForceDeformation;
        QString hint;
        if (input.output.element < 0)
            hint = QString::fromUtf8(kNoOutputElementText);
        else if (joint != wantsJoint)
            hint =
                joint
                    ? QStringLiteral("The output element is a joint: its springs are view 4.")
                    : QStringLiteral("The output element is a plane element: its graphs are views 2 and 3.");
        if (!hint.isEmpty()) {
            const QFontMetrics metrics(DrawingFont());
            DrawLabel(painter, std::max(4, (input.width - metrics.horizontalAdvance(hint)) / 2),
                      kStripHeight / 2 - metrics.height() / 2, hint, Qt::black);
            painter.restore();
            return;
        }
    }
    switch (input.kind) {
    case kGraphForceDeformation:
        if (input.axes)
            DrawCapacityCurve(painter, input.width, input.curve, *input.axes);
        else
            DrawForceDeformation(painter, input.width, input.histories.control, input.firstRow, input.count,
                                 counterX, counterY);
        break;
    case kGraphConcreteStressStrain:
    case kGraphRebarStressStrain:
        DrawStressStrain(painter, input.kind == kGraphRebarStressStrain, input.histories, input.firstRow,
                         input.count);
        break;
    case kGraphDiscreteForceDeformation:
        DrawDiscrete(painter, input.histories, input.firstRow, input.count);
        break;
    default:
        break;
    }
    const QString title = OutputGraphTitle(input.kind, input.output);
    if (!title.isEmpty()) DrawLabel(painter, 4, 0, title, Qt::black);
    painter.restore();
}

void ResponseGraphs::DrawForceDeformation(QPainter& painter, int width, const float* control, int firstRow,
                                          int count, int counterX, int counterY) {
    const int a = width / 2;
    const int left = a - 125;
    const int base = 180;

    painter.setPen(ThinPen(kBlue));
    painter.drawLine(left, base, a + 125, base);
    painter.drawLine(a, 175, a, base);
    painter.drawLine(a + 125, 175, a + 125, base);
    painter.drawLine(left, base, left, 50);
    painter.drawLine(a - 120, 115, left, 115);
    painter.drawLine(a - 120, 50, left, 50);

    double dMax = kDisplacementUnit * (counterX + 1.0);
    double fMax = kForceUnit * (counterY + 1.0);
    DrawLabel(painter, a + 117, 185, QString::asprintf("%3.1f", dMax), Qt::black);
    DrawLabel(painter, a - 8, 185, QString::asprintf("%3.1f", dMax / 2), Qt::black);
    DrawLabel(painter, a + 140, 165, QStringLiteral("D(mm)"), Qt::black);
    DrawLabel(painter, a - 185, 42, QString::asprintf("%7.0f", fMax), Qt::black);
    DrawLabel(painter, a - 185, 107, QString::asprintf("%7.0f", fMax / 2), Qt::black);
    DrawLabel(painter, a - 135, 20, QStringLiteral("F(N)"), Qt::black);

    if (count <= 0 || !control) return;
    QPolygon curve;
    curve.reserve(count + 1);
    curve << QPoint(left, base);
    for (int k = 0; k < count; ++k) {
        const long long row = firstRow + k;
        const double d = control[2 * row];
        const double f = control[2 * row + 1];
        curve << QPoint(left + TruncPixel(250.0 * d / dMax), base - TruncPixel(130.0 * f / fMax));
        if (d > dMax) {
            ++counterX;
            dMax = kDisplacementUnit * (counterX + 1.0);
        }
        if (f > fMax) {
            ++counterY;
            fMax = kForceUnit * (counterY + 1.0);
        }
    }
    painter.setPen(ThinPen(kBlue));
    painter.drawPolyline(curve);
}

QRect ResponseGraphs::StripCurveFrame(int width) {
    const int frameWidth = std::clamp(width - 16, 1, kStripCurveWidth);
    return QRect((width - frameWidth) / 2, 4, frameWidth, kStripHeight - 8);
}

void ResponseGraphs::DrawCapacityCurve(QPainter& painter, int width, std::span<const CapacityPoint> curve,
                                       const CurveAxes& axes) {
    // The step on show is the last one read: the marker follows the run.
    const int shown = curve.empty() ? -1 : int(curve.size()) - 1;
    CapacityCurvePainter::Paint(painter, StripCurveFrame(width), curve, axes, shown,
                                QString::fromUtf8(kStripCurveTitle));
}

QPoint ResponseGraphs::StressStrainCentre(int gauss, int component) {
    // Columns of plots (left to right) hold Gauss points 7..9, 4..6, 1..3, the highest number on top.
    const int column = (9 - gauss) / 3;  // 0 for 7..9, 2 for 1..3
    const int row = 2 - (gauss - 1) % 3; // 0 for 3, 6, 9 (top)
    return QPoint(40 + 150 * column + 70 * component, 40 + 70 * row);
}

void ResponseGraphs::DrawStressStrain(QPainter& painter, bool rebar, const GraphHistories& histories,
                                      int firstRow, int count) {
    painter.setPen(ThinPen(rebar ? kRed : kBlue));
    const double* stress = histories.gauss[rebar ? kRebarStress : kConcreteStress];
    const double* strain = histories.gauss[rebar ? kRebarStrain : kConcreteStrain];
    for (int g = 1; g <= 9; ++g)
        for (int component = 0; component < 2; ++component) {
            const QPoint centre = StressStrainCentre(g, component);
            DrawCross(painter, centre, 30);
            const int slot = component == 0 ? g - 1 : g + 8;
            DrawSmallCurve(painter, centre, 30, strain, stress, 18, slot, firstRow, count);
        }
}

void ResponseGraphs::DrawDiscrete(QPainter& painter, const GraphHistories& histories, int firstRow,
                                  int count) {
    struct Plot {
        int centreX;
        bool steel;
        int spring;
    };
    static constexpr Plot kPlots[4] = {{70, false, 0}, {170, false, 1}, {280, true, 0}, {380, true, 1}};
    for (const Plot& plot : kPlots) {
        painter.setPen(ThinPen(plot.steel ? kRed : kBlue));
        const QPoint centre(plot.centreX, 100);
        DrawCross(painter, centre, 45);
        const double* up = histories.discrete[plot.steel ? kRebarStress : kConcreteStress];
        const double* across = histories.discrete[plot.steel ? kRebarStrain : kConcreteStrain];
        DrawSmallCurve(painter, centre, 45, across, up, 2, plot.spring, firstRow, count);
    }
    DrawLabel(painter, 90, 170, QStringLiteral("Concrete"), kBlue);
    DrawLabel(painter, 310, 170, QStringLiteral("Steel"), kRed);
}

} // namespace torva
