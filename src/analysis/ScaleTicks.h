#pragma once
// Round tick values for a legend or a graph axis: steps of 1, 2 or 5 times a power of ten, the range
// widened outwards to whole steps so that the first and last tick are the range's ends. With
// `symmetric` the range is made symmetric about zero first, so that zero sits in the middle.
#include <string>
#include <vector>

namespace torva {

struct Ticks {
    double lo = 0, hi = 0; // the widened range: lo = first tick, hi = last tick
    double step = 0;
    std::vector<double> values; // lo, lo + step, ..., hi (zero exactly 0 when it is a tick)
};

// The round step (1, 2 or 5 × 10^k) that cuts `span` into at most `maxIntervals` intervals.
double RoundStep(double span, int maxIntervals);

// Ticks covering [lo, hi] with at most maxIntervals intervals (at least 1). An empty range (lo = hi)
// is widened to a unit step around its value; lo > hi is taken the other way round.
Ticks RoundTicks(double lo, double hi, int maxIntervals, bool symmetric = false);

// A tick value as text with just the decimals the step needs ("0.25", "-40", "0"; never "-0").
std::string TickText(double value, double step);

} // namespace torva
