#pragma once
// The full scales of the force-deformation graph. Counter c gives a scale of unit × (c + 1): 2 mm per
// step across, 1e5 N up. Drawing the curve meets its points in order, and each point beyond the scale
// then in force widens it by one unit for the points after it; the counters keep the widened scales.
namespace torva {

struct GraphScale {
    static constexpr float kDisplacementUnit = 2.0f; // mm per counter step
    static constexpr float kForceUnit = 1e5f;        // N per counter step
    static constexpr int kLargestCounter = 1 << 30;  // where a scale stops growing (an infinite value)

    // The counters once the curve's rows firstRow .. firstRow + count − 1 (displacement, force at 2r,
    // 2r + 1) no longer widen them: the smallest counters, not below the given ones, whose scales hold
    // every point.
    static void Settle(const float* control, int firstRow, int count, int& counterX, int& counterY);
    // The counter of one axis for the largest value drawn on it.
    static int SettledCounter(double largest, float unit, int counter);
};

} // namespace torva
