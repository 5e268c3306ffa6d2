#include "analysis/LoadingProtocol.h"

#include "model/FramePat.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

static_assert(torva::kMaxLoadingPoints == torva::kSegmentPoints, "the model stores 151 loading points");

namespace torva {
namespace {

// 0.001 mm as a decimal number of mm without trailing zeros: 2000 → "2", -1250 → "-1.25".
std::string MicronsText(int64_t microns) {
    const uint64_t magnitude =
        microns < 0 ? 0 - static_cast<uint64_t>(microns) : static_cast<uint64_t>(microns);
    std::string text;
    if (microns < 0) text.push_back('-');
    text.append(std::to_string(magnitude / 1000));
    std::string fraction = std::to_string(magnitude % 1000 + 1000).substr(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) text.append(".").append(fraction);
    return text;
}

// Targets are rounded to multiples of 2^-30 mm (under 1e-9 mm). Every target is below 2^22 mm, so the
// differences and sums of such numbers are exact in double precision: the increments of a segment add
// up to exactly its length, in any order, and a running sum from the start meets every target exactly.
constexpr double kGrid = 1073741824.0; // 2^30 steps of the grid per mm

double OnGrid(double mm) {
    return std::round(mm * kGrid) / kGrid;
}

} // namespace

LoadingProtocol::LoadingProtocol() = default;

LoadingProtocol LoadingProtocol::FromModel(const CFramePat& model) {
    LoadingProtocol protocol;
    protocol.SetDirection(model.ctrlDirection);
    protocol.segments_ = model.segmentCount == 0 ? 1 : model.segmentCount;
    protocol.stepsPerSegment_ = model.stepsPerSegment;
    std::copy(std::begin(model.segmentPoints), std::end(model.segmentPoints), protocol.points_.begin());
    return protocol;
}

void LoadingProtocol::StoreInto(CFramePat& model) const {
    model.ctrlDirection = direction_;
    model.segmentCount = segments_;
    model.stepsPerSegment = stepsPerSegment_;
    std::copy(points_.begin(), points_.end(), std::begin(model.segmentPoints));
}

int LoadingProtocol::UsedPointCount() const {
    return std::clamp(segments_, 0, kMaxLoadingSegments) + 1;
}

int LoadingProtocol::FirstReversal() const {
    int direction = 0;
    for (int s = 0; s < segments_ && s < kMaxLoadingSegments; ++s) {
        const long long length = static_cast<long long>(Point(s + 1)) - Point(s);
        const int sign = length > 0 ? 1 : length < 0 ? -1 : 0;
        if (sign == 0) continue;
        if (direction != 0 && sign != direction) return s + 1;
        direction = sign;
    }
    return 0;
}

long long LoadingProtocol::StepTotal() const {
    if (segments_ <= 0 || stepsPerSegment_ <= 0) return 0;
    return static_cast<long long>(segments_) * stepsPerSegment_;
}

double LoadingProtocol::LargestTarget() const {
    int64_t largest = 0;
    for (int i = 0; i < UsedPointCount(); ++i) largest = std::max(largest, std::abs(int64_t{Point(i)}));
    return static_cast<double>(largest) / 1000.0;
}

std::string LoadingProtocol::Problem() const {
    if (segments_ < 1 || segments_ > kMaxLoadingSegments)
        return "The number of segments must lie between 1 and " + std::to_string(kMaxLoadingSegments) + ".";
    if (stepsPerSegment_ < 1) return "The number of steps per segment must be at least 1.";
    if (StepTotal() > kMaxLoadingSteps)
        return "The run has " + std::to_string(StepTotal()) + " steps, but at most " +
               std::to_string(kMaxLoadingSteps) +
               " steps can be recorded. Reduce the steps per segment or the number of segments.";
    bool moves = false;
    for (int i = 0; i < UsedPointCount(); ++i) moves = moves || Point(i) != 0;
    if (!moves) return "Every target displacement is 0 mm: the loading would not move the control node.";
    for (int s = 0; s < segments_; ++s) {
        if (Point(s) == Point(s + 1))
            return "Segment " + std::to_string(s + 1) + " has zero length: it starts and ends at " +
                   MicronsText(Point(s)) + " mm.";
    }
    return {};
}

int LoadingProtocol::SegmentOfStep(long long n) const {
    const long long total = StepTotal();
    if (total == 0) return 0;
    return static_cast<int>((std::clamp(n, 1LL, total) - 1) / stepsPerSegment_);
}

double LoadingProtocol::TargetAfterStep(long long n) const {
    // Out of range (or for a protocol that cannot run) the nearest end of the path.
    const long long total =
        std::min(StepTotal(), static_cast<long long>(kMaxLoadingSegments) * stepsPerSegment_);
    n = std::clamp(n, 0LL, std::max(total, 0LL));
    if (n == 0) return OnGrid(Point(0) / 1000.0);
    const int s = SegmentOfStep(n);
    const int64_t steps = stepsPerSegment_;
    const int64_t k = n - s * steps; // 1..steps
    // Below 2^53 (|P| < 2^31, steps <= 60,000), so the numerator is exact and the quotient rounds once.
    const int64_t numerator = int64_t{Point(s)} * (steps - k) + int64_t{Point(s + 1)} * k;
    return OnGrid(static_cast<double>(numerator) / (1000.0 * static_cast<double>(steps)));
}

double LoadingProtocol::Increment(long long n) const {
    return TargetAfterStep(n) - TargetAfterStep(n - 1);
}

std::string MakeMonotonicLoading(int32_t target, int steps, LoadingProtocol& protocol) {
    if (target == 0) return "The target displacement must not be 0 mm.";
    LoadingProtocol candidate = protocol;
    candidate.SetSegmentCount(1);
    candidate.SetStepsPerSegment(steps);
    candidate.SetPoint(0, 0);
    candidate.SetPoint(1, target);
    std::string problem = candidate.Problem();
    if (problem.empty()) protocol = candidate;
    return problem;
}

std::string MakeCyclicLoading(const std::vector<int32_t>& amplitudes, int cycles, int stepsPerSegment,
                              LoadingProtocol& protocol) {
    constexpr int kSegmentsPerCycle = 4;
    if (amplitudes.empty()) return "Enter at least one amplitude.";
    for (int32_t amplitude : amplitudes)
        if (amplitude <= 0) return "Every amplitude must be greater than 0 mm.";
    if (cycles < 1) return "The number of cycles per amplitude must be at least 1.";
    const long long segments = static_cast<long long>(amplitudes.size()) * cycles * kSegmentsPerCycle;
    if (segments > kMaxLoadingSegments)
        return "The cyclic loading needs " + std::to_string(segments) +
               " segments (four a cycle), but at most " + std::to_string(kMaxLoadingSegments) +
               " are possible. Use fewer amplitudes or cycles.";

    LoadingProtocol candidate = protocol;
    candidate.SetSegmentCount(static_cast<int>(segments));
    candidate.SetStepsPerSegment(stepsPerSegment);
    int point = 0;
    candidate.SetPoint(point++, 0);
    for (int32_t amplitude : amplitudes) {
        for (int c = 0; c < cycles; ++c) {
            for (int32_t target : {amplitude, 0, -amplitude, 0}) candidate.SetPoint(point++, target);
        }
    }
    std::string problem = candidate.Problem();
    if (problem.empty()) protocol = candidate;
    return problem;
}

std::vector<int32_t> DoublingAmplitudes(int32_t first, int count) {
    std::vector<int32_t> amplitudes;
    if (first <= 0) return amplitudes;
    int64_t amplitude = first;
    for (int i = 0; i < count && amplitude <= std::numeric_limits<int32_t>::max(); ++i, amplitude *= 2)
        amplitudes.push_back(static_cast<int32_t>(amplitude));
    return amplitudes;
}

} // namespace torva
