#include "analysis/CurveAxes.h"

#include <algorithm>
#include <cmath>

namespace torva {

CurveAxes::CurveAxes() {
    x_ = RoundTicks(0, 1, kMaxIntervals);
    y_ = RoundTicks(0, 1, kMaxIntervals);
}

bool CurveAxes::Hold(std::span<const CapacityPoint> points) {
    bool leaves = false, negative = fourQuadrants_;
    for (const CapacityPoint& p : points) {
        if (!std::isfinite(p.displacement) || !std::isfinite(p.force)) continue;
        if (p.displacement < 0 || p.force < 0) negative = true;
        if (p.displacement < x_.lo || p.displacement > x_.hi || p.force < y_.lo || p.force > y_.hi)
            leaves = true;
        reachX_ = std::max(reachX_, std::fabs(p.displacement));
        reachY_ = std::max(reachY_, std::fabs(p.force));
    }
    if (!leaves && negative == fourQuadrants_) return false;
    fourQuadrants_ = negative;
    const double lo = fourQuadrants_ ? -1 : 0;
    // Round ticks over the reach and a quarter more, on both sides of zero with four quadrants.
    x_ = RoundTicks(lo * reachX_ * kHeadroom, reachX_ * kHeadroom, kMaxIntervals, fourQuadrants_);
    y_ = RoundTicks(lo * reachY_ * kHeadroom, reachY_ * kHeadroom, kMaxIntervals, fourQuadrants_);
    return true;
}

double CurveAxes::PixelX(const PlotFrame& frame, double displacement) const {
    return frame.left + (displacement - x_.lo) / (x_.hi - x_.lo) * frame.width;
}

double CurveAxes::PixelY(const PlotFrame& frame, double force) const {
    return frame.top + frame.height - (force - y_.lo) / (y_.hi - y_.lo) * frame.height;
}

int CurveAxes::NearestPoint(std::span<const CapacityPoint> points, const PlotFrame& frame, double px, double py,
                            double radius) const {
    int nearest = -1;
    double best = radius * radius;
    for (size_t i = 0; i < points.size(); ++i) {
        const double dx = PixelX(frame, points[i].displacement) - px;
        const double dy = PixelY(frame, points[i].force) - py;
        const double d2 = dx * dx + dy * dy;
        if (d2 <= best) {
            best = d2;
            nearest = static_cast<int>(i);
        }
    }
    return nearest;
}

} // namespace torva
