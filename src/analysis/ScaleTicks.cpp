#include "analysis/ScaleTicks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace torva {

double RoundStep(double span, int maxIntervals) {
    maxIntervals = std::max(maxIntervals, 1);
    if (!(span > 0) || !std::isfinite(span)) return 1.0;
    const double raw = span / maxIntervals;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        // A small tolerance keeps 10 / 5 from becoming 2.0000000001 / 1 → 5.
        if (factor * power >= raw * (1 - 1e-9)) return factor * power;
    }
    return 10 * power;
}

Ticks RoundTicks(double lo, double hi, int maxIntervals, bool symmetric) {
    if (lo > hi) std::swap(lo, hi);
    if (symmetric) {
        const double m = std::max(std::fabs(lo), std::fabs(hi));
        lo = -m;
        hi = m;
    }
    Ticks ticks;
    if (!(hi > lo)) {
        // A flat field: zero shows as -1..1, any other value within one round step.
        if (lo == 0) {
            ticks.step = 1;
            ticks.lo = -1;
            ticks.hi = 1;
        } else {
            ticks.step = RoundStep(std::fabs(lo), 1);
            ticks.lo = std::floor(lo / ticks.step) * ticks.step;
            ticks.hi = ticks.lo + ticks.step;
        }
    } else {
        // A symmetric range has an even count of intervals so that zero is a tick.
        const int intervals = symmetric ? std::max(2, maxIntervals / 2 * 2) : maxIntervals;
        double step = RoundStep(hi - lo, intervals);
        for (;;) {
            const double first = std::floor(lo / step + 1e-9) * step;
            const double last = std::ceil(hi / step - 1e-9) * step;
            if (std::lround((last - first) / step) <= intervals || step > 1e300) {
                ticks.lo = first;
                ticks.hi = last;
                break;
            }
            step = RoundStep(step * 1.5, 1); // the next round step up
        }
        ticks.step = step;
    }
    const long count = std::lround((ticks.hi - ticks.lo) / ticks.step);
    for (long i = 0; i <= count; ++i) {
        double v = ticks.lo + static_cast<double>(i) * ticks.step;
        if (std::fabs(v) < ticks.step * 1e-9) v = 0.0;
        ticks.values.push_back(v);
    }
    ticks.lo = ticks.values.front();
    ticks.hi = ticks.values.back();
    return ticks;
}

std::string TickText(double value, double step) {
    int decimals = 0;
    if (step > 0 && step < 1) decimals = std::min(12, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
    // 0.25 steps need two decimals, 2.5 one.
    const double scaled = step * std::pow(10.0, decimals);
    if (std::fabs(scaled - std::round(scaled)) > 1e-6 * scaled) ++decimals;
    if (std::fabs(value) < step * 1e-9) value = 0.0;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string s(text);
    if (s.find_first_not_of("-0.") == std::string::npos && s.front() == '-') s.erase(0, 1);
    return s;
}

} // namespace torva
