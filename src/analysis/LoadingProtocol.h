#pragma once
// The loading of a push-over: the control direction and the path of the control displacement, a chain
// of segments between target points (0.001 mm, as the model stores them), each divided into the same
// number of equal steps. Steps are counted from 1 over all segments; step 0 is the start point.
//
// Step n lies in segment s = (n − 1) / N at k = n − s·N (N steps per segment). Its target is
//     x(n) = (P[s]·(N − k) + P[s + 1]·k) / (1000·N)   mm,
// formed from exact integers and rounded onto a grid of 2^-30 mm (under 1e-9 mm), and its increment is
// x(n) − x(n − 1). On that grid every sum of increments is exact: the control displacement cannot drift,
// the increments of a segment add up to exactly its length, and each segment ends on its target point
// (exactly the point for targets of whole, half, quarter ... millimetres).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace torva {

class CFramePat;

inline constexpr int kMaxLoadingSegments = 150;
inline constexpr int kMaxLoadingPoints = kMaxLoadingSegments + 1;
inline constexpr long long kMaxLoadingSteps = 60000; // the analysis view records this many steps

class LoadingProtocol {
public:
    // One segment of 500 steps from 0 to 0, in x (a new model's loading).
    LoadingProtocol();

    // The model's loading: segmentCount 0 is taken as 1, ctrlDirection 2 is y and any other value x.
    // Counts outside their ranges are kept as they are, for Problem() to name.
    static LoadingProtocol FromModel(const CFramePat& model);
    // Writes direction (1 or 2), segment count, steps per segment and the points into the model. Points
    // beyond the last segment keep the values this protocol holds there (from the model it came from).
    void StoreInto(CFramePat& model) const;

    // 1 = x, 2 = y.
    int Direction() const { return direction_; }
    void SetDirection(int direction) { direction_ = direction == 2 ? 2 : 1; }

    int SegmentCount() const { return segments_; }
    void SetSegmentCount(int segments) { segments_ = segments; }
    int StepsPerSegment() const { return stepsPerSegment_; }
    void SetStepsPerSegment(int steps) { stepsPerSegment_ = steps; }

    // Target point i (0..150) in 0.001 mm; point 0 is the start, segment s runs from point s to s + 1.
    int32_t Point(int i) const { return points_[static_cast<std::size_t>(i)]; }
    void SetPoint(int i, int32_t microns) { points_[static_cast<std::size_t>(i)] = microns; }
    double PointMm(int i) const { return Point(i) / 1000.0; }
    // The points of the segments in use (SegmentCount() + 1 of them, at most 151).
    int UsedPointCount() const;

    // Steps per segment × segments (0 when either is not positive).
    long long StepTotal() const;
    // The largest |point| of the segments in use, mm.
    double LargestTarget() const;

    // The first segment (counted from 1) that moves the control node against the direction of the
    // segments before it, 0 for a monotonic loading (segments of zero length are passed over).
    int FirstReversal() const;

    // "" when the loading can be run, otherwise what is wrong, in words for the user. Checked in this
    // order: segment count 1..150, steps per segment ≥ 1, at most 60,000 steps in all, not every target
    // 0, no segment of zero length (the first is named, counted from 1).
    std::string Problem() const;

    // For a protocol without a Problem(): the segment (0-based) that step n (1..StepTotal) belongs to,
    // the target after step n (0..StepTotal) and the increment of step n, in mm.
    int SegmentOfStep(long long n) const;
    double TargetAfterStep(long long n) const;
    double Increment(long long n) const;

private:
    int direction_ = 1;
    int segments_ = 1;
    int stepsPerSegment_ = 500;
    std::array<int32_t, kMaxLoadingPoints> points_{};
};

// Presets. They set the segments, steps and points of `protocol` (direction and the points beyond the
// last segment are kept) and return "" — or a message, leaving it unchanged. Targets in 0.001 mm.
//
// Monotonic: one segment from 0 to target.
std::string MakeMonotonicLoading(int32_t target, int steps, LoadingProtocol& protocol);
// Reversed cyclic: for each amplitude a (> 0), `cycles` times 0 → +a → 0 → −a → 0, so each peak equals
// its amplitude, each reversal passes through 0, and every segment is one amplitude long. Four segments
// a cycle, so amplitudes × cycles ≤ 37.
std::string MakeCyclicLoading(const std::vector<int32_t>& amplitudes, int cycles, int stepsPerSegment,
                              LoadingProtocol& protocol);
// count amplitudes first, 2·first, 4·first, ... (stops before a value that does not fit an int32).
std::vector<int32_t> DoublingAmplitudes(int32_t first, int count);

} // namespace torva
