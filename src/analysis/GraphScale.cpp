#include "analysis/GraphScale.h"

#include <algorithm>
#include <cmath>

namespace torva {

int GraphScale::SettledCounter(double largest, float unit, int counter) {
    // A point widens the scale while it lies beyond unit × (c + 1), compared in double precision.
    auto beyond = [&](int c) { return largest > unit * (c + 1.0); };
    if (!beyond(counter)) return counter;
    const double needed = std::ceil(largest / unit) - 1.0;
    if (!(needed < kLargestCounter)) return kLargestCounter;
    int c = std::max(counter, static_cast<int>(needed) - 1);
    while (c < kLargestCounter && beyond(c)) ++c;
    return c;
}

void GraphScale::Settle(const float* control, int firstRow, int count, int& counterX, int& counterY) {
    if (!control || count <= 0) return;
    double largestX = -INFINITY, largestY = -INFINITY;
    for (int k = 0; k < count; ++k) {
        const long long row = firstRow + k;
        largestX = std::max(largestX, static_cast<double>(control[2 * row]));
        largestY = std::max(largestY, static_cast<double>(control[2 * row + 1]));
    }
    counterX = SettledCounter(largestX, kDisplacementUnit, counterX);
    counterY = SettledCounter(largestY, kForceUnit, counterY);
}

} // namespace torva
