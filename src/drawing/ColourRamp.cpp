#include "drawing/ColourRamp.h"

#include <algorithm>
#include <cmath>

namespace torva {

namespace {

struct Stop {
    double at;
    int r, g, b;
};

QRgb Blend(const Stop* stops, int count, double t) {
    t = std::clamp(t, 0.0, 1.0);
    int i = 0;
    while (i + 2 < count && t > stops[i + 1].at) ++i;
    const Stop &a = stops[i], &b = stops[i + 1];
    const double u = (t - a.at) / (b.at - a.at);
    const auto mix = [u](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * u)); };
    return qRgb(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b));
}

constexpr Stop kDiverging[] = {
    {0.0, 33, 60, 170}, {0.25, 90, 150, 220}, {0.5, 255, 255, 255}, {0.75, 235, 120, 80}, {1.0, 170, 20, 30}};
constexpr Stop kSequential[] = {
    {0.0, 50, 20, 110}, {0.3, 40, 110, 150}, {0.6, 60, 170, 100}, {0.85, 190, 210, 50}, {1.0, 250, 230, 40}};

} // namespace

ColourRamp::ColourRamp(double lo, double hi) : lo_(lo), hi_(hi > lo ? hi : lo + 1) {
    diverging_ = lo_ < 0 && hi_ > 0;
    for (int i = 0; i < kEntries; ++i) {
        const double t = (i + 0.5) / kEntries;
        table_[size_t(i)] = diverging_ ? Blend(kDiverging, 5, t) : Blend(kSequential, 5, t);
    }
}

int ColourRamp::Index(double v) const {
    if (std::isnan(v)) return 0;
    double t;
    if (diverging_)
        // Each side spans half the table: zero lands on the boundary of the two middle entries.
        t = v < 0 ? 0.5 - 0.5 * (v / lo_) : 0.5 + 0.5 * (v / hi_);
    else
        t = (v - lo_) / (hi_ - lo_);
    return std::clamp(static_cast<int>(t * kEntries), 0, kEntries - 1);
}

double ColourRamp::ValueOf(int i) const {
    const double t = (i + 0.5) / kEntries;
    if (diverging_) return t < 0.5 ? lo_ * (0.5 - t) / 0.5 : hi_ * (t - 0.5) / 0.5;
    return lo_ + t * (hi_ - lo_);
}

} // namespace torva
