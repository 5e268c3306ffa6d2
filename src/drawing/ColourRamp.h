#pragma once
// The colours of a contour field. A range that spans zero gets a diverging ramp: blue below zero,
// white at zero, red above, each side reaching full colour at its own end, so zero always reads as
// white and the sign as the hue. A range on one side of zero gets a sequential ramp (dark blue, teal,
// green, yellow), light for large values.
#include <QColor>
#include <array>

namespace torva {

class ColourRamp {
public:
    static constexpr int kEntries = 256;

    ColourRamp() = default;
    ColourRamp(double lo, double hi);

    bool Diverging() const { return diverging_; }
    double Lo() const { return lo_; }
    double Hi() const { return hi_; }
    // The colour of v; values beyond the range take its end colours.
    QRgb At(double v) const { return table_[size_t(Index(v))]; }
    int Index(double v) const;
    QRgb Entry(int i) const { return table_[size_t(i)]; }
    // The value at the middle of entry i.
    double ValueOf(int i) const;

private:
    double lo_ = 0, hi_ = 1;
    bool diverging_ = false;
    std::array<QRgb, kEntries> table_{};
};

} // namespace torva
