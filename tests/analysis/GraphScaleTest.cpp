// The force-deformation graph's scales: Settle gives exactly the counters that repainting the curve
// until they stop growing gave, without the repaints, and stays finite for values that never fit.
#include "analysis/GraphScale.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace torva;

namespace {

// One drawing of the curve as it grows the counters: a point beyond the current scale widens it by one
// unit for the points after it.
bool OnePaint(const std::vector<float>& control, int count, int& cx, int& cy) {
    bool grew = false;
    double dMax = GraphScale::kDisplacementUnit * (cx + 1.0), fMax = GraphScale::kForceUnit * (cy + 1.0);
    for (int row = 1; row <= count; ++row) {
        if (control[2 * row] > dMax) ++cx, dMax = GraphScale::kDisplacementUnit * (cx + 1.0), grew = true;
        if (control[2 * row + 1] > fMax) ++cy, fMax = GraphScale::kForceUnit * (cy + 1.0), grew = true;
    }
    return grew;
}

} // namespace

TEST(GraphScale, SettleIsWhereRepaintsStopGrowingTheScales) {
    // Curves with single jumps, slow climbs, reversals and values on the scale boundaries.
    std::vector<std::vector<float>> curves = {
        {0, 0, 1, 2e4f, 3, 5e4f, 5, 1.5e5f},
        {0, 0, 0.5f, 1e5f, 2, 2e5f, 2.0001f, 2.00001e5f, -7, -3e5f},
        {0, 0, 37.3f, 9.99e6f, 1, 1, 12, 4e6f},
        {0, 0, -1, -1, -2, -2},
    };
    for (float step = 0.25f; step < 30; step += 0.25f) curves.push_back({0, 0, step, step * 1e4f});
    for (const auto& curve : curves) {
        const int count = static_cast<int>(curve.size()) / 2 - 1;
        for (int start : {0, 1, 4}) {
            int rx = start, ry = start;
            while (OnePaint(curve, count, rx, ry)) {
            }
            int sx = start, sy = start;
            GraphScale::Settle(curve.data(), 1, count, sx, sy);
            EXPECT_EQ(sx, rx) << curve[2] << " from " << start;
            EXPECT_EQ(sy, ry) << curve[3] << " from " << start;
        }
    }
}

TEST(GraphScale, NoCurveOrValuesThatNeverFitStopSomewhere) {
    int cx = 3, cy = 2;
    GraphScale::Settle(nullptr, 1, 5, cx, cy);
    EXPECT_EQ(cx, 3);
    const std::vector<float> odd = {0, 0, std::numeric_limits<float>::infinity(), std::nanf(""), 1, 1};
    GraphScale::Settle(odd.data(), 1, 2, cx, cy);
    EXPECT_EQ(cx, GraphScale::kLargestCounter);
    EXPECT_EQ(cy, 2); // a value that is not a number widens nothing
    // 3e9 mm needs a counter beyond the largest: it stops there.
    EXPECT_EQ(GraphScale::SettledCounter(3.0e9, GraphScale::kDisplacementUnit, 0),
              GraphScale::kLargestCounter);
    EXPECT_EQ(GraphScale::SettledCounter(2.0e9, GraphScale::kDisplacementUnit, 0), 999999999);
}
