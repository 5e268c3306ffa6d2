#pragma once
// The axes of a capacity curve (control displacement in mm across, control force in kN up) and the
// mapping between curve points and the pixels of its plot frame.
//
// The axes are fixed: they grow only when a point leaves them, and then to round ticks with a quarter
// of headroom, so the same data always show on the same axes however often they are drawn. Once a
// displacement or a force is negative the axes take all four quadrants, symmetric about the origin.
#include "analysis/ScaleTicks.h"

#include <span>

namespace torva {

struct CapacityPoint {
    double displacement = 0; // mm
    double force = 0;        // kN
};

struct PlotFrame {
    int left = 0, top = 0, width = 0, height = 0; // pixels
};

class CurveAxes {
public:
    static constexpr int kMaxIntervals = 6;
    static constexpr double kHeadroom = 1.25;

    // Starts at 0..1 mm and 0..1 kN.
    CurveAxes();

    // Grows the axes to hold every point; true when they changed.
    bool Hold(std::span<const CapacityPoint> points);
    // Back to the start (a new run).
    void Reset() { *this = CurveAxes(); }

    const Ticks& X() const { return x_; }
    const Ticks& Y() const { return y_; }
    bool FourQuadrants() const { return fourQuadrants_; }

    // Pixel position of a curve point in the frame (y upwards on the screen), and back.
    double PixelX(const PlotFrame& frame, double displacement) const;
    double PixelY(const PlotFrame& frame, double force) const;

    // The index of the point nearest to the pixel (px, py) within `radius` pixels, or −1.
    int NearestPoint(std::span<const CapacityPoint> points, const PlotFrame& frame, double px, double py,
                     double radius) const;

private:
    Ticks x_, y_;
    bool fourQuadrants_ = false;
    double reachX_ = 1, reachY_ = 1; // the largest magnitudes held so far
};

} // namespace torva
