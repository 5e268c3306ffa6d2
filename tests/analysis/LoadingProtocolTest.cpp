// Checks the push-over loading: model fields, refusals, step targets and exact increments, and presets.
#include "analysis/LoadingProtocol.h"

#include "model/FramePat.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <random>

using namespace torva;

namespace {

LoadingProtocol Protocol(std::initializer_list<int32_t> points, int steps) {
    LoadingProtocol protocol;
    protocol.SetSegmentCount(static_cast<int>(points.size()) - 1);
    protocol.SetStepsPerSegment(steps);
    int i = 0;
    for (int32_t point : points) protocol.SetPoint(i++, point);
    return protocol;
}

// Adds the increments of segment s one after the other, from 0.
double SegmentSum(const LoadingProtocol& protocol, int s) {
    double sum = 0;
    const long long steps = protocol.StepsPerSegment();
    for (long long k = 1; k <= steps; ++k) sum += protocol.Increment(s * steps + k);
    return sum;
}

TEST(LoadingProtocol, ReadsAndWritesTheModelFields) {
    auto model = std::make_unique<CFramePat>();
    LoadingProtocol fresh = LoadingProtocol::FromModel(*model);
    EXPECT_EQ(fresh.Direction(), 1); // a new model's 0 names no direction: x
    EXPECT_EQ(fresh.SegmentCount(), 1);
    EXPECT_EQ(fresh.StepsPerSegment(), 500);
    EXPECT_EQ(fresh.StepTotal(), 500);

    model->ctrlDirection = 2;
    model->segmentCount = 0; // taken as one segment
    model->stepsPerSegment = 7;
    model->segmentPoints[0] = -5;
    model->segmentPoints[1] = 12345;
    model->segmentPoints[150] = 99; // beyond the segments in use, and still kept
    LoadingProtocol protocol = LoadingProtocol::FromModel(*model);
    EXPECT_EQ(protocol.Direction(), 2);
    EXPECT_EQ(protocol.SegmentCount(), 1);
    EXPECT_EQ(protocol.UsedPointCount(), 2);
    EXPECT_DOUBLE_EQ(protocol.PointMm(1), 12.345);
    EXPECT_DOUBLE_EQ(protocol.LargestTarget(), 12.345);

    model->ctrlDirection = 7;
    EXPECT_EQ(LoadingProtocol::FromModel(*model).Direction(), 1);

    protocol.SetDirection(1);
    protocol.SetPoint(2, -20000);
    protocol.SetSegmentCount(2);
    auto stored = std::make_unique<CFramePat>();
    protocol.StoreInto(*stored);
    EXPECT_EQ(stored->ctrlDirection, 1);
    EXPECT_EQ(stored->segmentCount, 2);
    EXPECT_EQ(stored->stepsPerSegment, 7);
    EXPECT_EQ(stored->segmentPoints[0], -5);
    EXPECT_EQ(stored->segmentPoints[1], 12345);
    EXPECT_EQ(stored->segmentPoints[2], -20000);
    EXPECT_EQ(stored->segmentPoints[150], 99);
    EXPECT_DOUBLE_EQ(protocol.LargestTarget(), 20.0);
    protocol.SetDirection(2);
    protocol.StoreInto(*stored);
    EXPECT_EQ(stored->ctrlDirection, 2);
}

TEST(LoadingProtocol, RefusesWhatCannotRunWithClearMessages) {
    EXPECT_EQ(Protocol({0, 1000}, 10).Problem(), "");
    EXPECT_EQ(LoadingProtocol().Problem(),
              "Every target displacement is 0 mm: the loading would not move the control node.");

    LoadingProtocol protocol = Protocol({0, 1000}, 10);
    for (int count : {0, -1, 151}) {
        protocol.SetSegmentCount(count);
        EXPECT_EQ(protocol.Problem(), "The number of segments must lie between 1 and 150.") << count;
    }
    // Such a protocol is not run, but asking for its steps never reads beyond the 151 points.
    EXPECT_EQ(protocol.TargetAfterStep(1510), protocol.PointMm(150));
    protocol.SetSegmentCount(-1);
    EXPECT_EQ(protocol.TargetAfterStep(5), 0.0);
    protocol.SetSegmentCount(1);
    protocol.SetStepsPerSegment(0);
    EXPECT_EQ(protocol.Problem(), "The number of steps per segment must be at least 1.");
    EXPECT_EQ(protocol.StepTotal(), 0);

    // 150 × 400 = 60,000 steps fit; one step more a segment does not.
    LoadingProtocol longest;
    longest.SetSegmentCount(150);
    for (int i = 0; i <= 150; ++i) longest.SetPoint(i, i % 2 ? 1000 : -1000);
    longest.SetStepsPerSegment(400);
    EXPECT_EQ(longest.Problem(), "");
    EXPECT_EQ(longest.StepTotal(), 60000);
    longest.SetStepsPerSegment(401);
    EXPECT_EQ(longest.Problem(), "The run has 60150 steps, but at most 60000 steps can be recorded. "
                                 "Reduce the steps per segment or the number of segments.");
    // The product is formed without overflow.
    longest.SetStepsPerSegment(2000000000);
    EXPECT_EQ(longest.StepTotal(), 300000000000LL);
    EXPECT_NE(longest.Problem().find("300000000000 steps"), std::string::npos);

    // The first segment of zero length is named, counted from 1, with its position.
    EXPECT_EQ(Protocol({0, 1000, 2500, 2500, 0, 0}, 5).Problem(),
              "Segment 3 has zero length: it starts and ends at 2.5 mm.");
    EXPECT_EQ(Protocol({-1, -1, 0}, 5).Problem(),
              "Segment 1 has zero length: it starts and ends at -0.001 mm.");
    EXPECT_EQ(Protocol({1000, 0, 0}, 5).Problem(), "Segment 2 has zero length: it starts and ends at 0 mm.");
    // Only the segments in use count.
    LoadingProtocol tail = Protocol({0, 3000, 3000}, 5);
    tail.SetSegmentCount(1);
    EXPECT_EQ(tail.Problem(), "");
    EXPECT_DOUBLE_EQ(tail.LargestTarget(), 3.0);
}

TEST(LoadingProtocol, StepsWalkTheSegmentsInEqualParts) {
    // 0 → 2 mm → −1 mm in four steps each: 0.5 mm up, then 0.75 mm down.
    const LoadingProtocol protocol = Protocol({0, 2000, -1000}, 4);
    ASSERT_EQ(protocol.StepTotal(), 8);
    const double increments[] = {0.5, 0.5, 0.5, 0.5, -0.75, -0.75, -0.75, -0.75};
    const double targets[] = {0, 0.5, 1, 1.5, 2, 1.25, 0.5, -0.25, -1};
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(protocol.Increment(n), increments[n - 1]) << n;
        EXPECT_EQ(protocol.SegmentOfStep(n), n <= 4 ? 0 : 1) << n;
    }
    for (int n = 0; n <= 8; ++n) EXPECT_EQ(protocol.TargetAfterStep(n), targets[n]) << n;
    // Outside the run the ends of the path, and no increment.
    EXPECT_EQ(protocol.TargetAfterStep(-3), 0.0);
    EXPECT_EQ(protocol.TargetAfterStep(9), -1.0);
    EXPECT_EQ(protocol.Increment(9), 0.0);

    // A start away from 0 and a single step per segment.
    const LoadingProtocol offset = Protocol({1500, -500, 250}, 1);
    EXPECT_EQ(offset.TargetAfterStep(0), 1.5);
    EXPECT_EQ(offset.Increment(1), -2.0);
    EXPECT_EQ(offset.Increment(2), 0.75);

    // Thirds of a millimetre: within the grid of the targets (under 1e-9 mm) of the exact values.
    const LoadingProtocol thirds = Protocol({0, 1000}, 3);
    EXPECT_NEAR(thirds.TargetAfterStep(1), 1.0 / 3.0, 1e-9);
    EXPECT_NEAR(thirds.TargetAfterStep(2), 2.0 / 3.0, 1e-9);
    EXPECT_EQ(thirds.TargetAfterStep(3), 1.0);
}

TEST(LoadingProtocol, IncrementsAddUpExactlyWithoutDrift) {
    // A fixed increment of 1/7000 mm added 7000 times misses 1 mm; the protocol's increments do not.
    const LoadingProtocol fine = Protocol({0, 1000}, 7000);
    double naive = 0, sum = 0;
    for (int n = 1; n <= 7000; ++n) {
        naive += 1.0 / 7000;
        sum += fine.Increment(n);
    }
    EXPECT_NE(naive, 1.0);
    EXPECT_EQ(sum, 1.0);

    // Random paths over the whole range of the stored points: every segment's increments add up to its
    // length, and a running sum from the start meets every target exactly.
    std::mt19937 random(20240611);
    for (int trial = 0; trial < 300; ++trial) {
        LoadingProtocol protocol;
        const int segments = 1 + static_cast<int>(random() % 12);
        protocol.SetSegmentCount(segments);
        protocol.SetStepsPerSegment(1 + static_cast<int>(random() % 400));
        for (int i = 0; i <= segments; ++i) {
            const uint32_t draw = random();
            protocol.SetPoint(i, trial % 3 == 0 ? static_cast<int32_t>(draw)
                                                : static_cast<int32_t>(draw % 200001) - 100000);
        }
        if (!protocol.Problem().empty()) continue;
        const long long steps = protocol.StepsPerSegment();
        double running = protocol.TargetAfterStep(0);
        for (int s = 0; s < segments; ++s) {
            const double start = protocol.TargetAfterStep(s * steps);
            const double end = protocol.TargetAfterStep((s + 1) * steps);
            ASSERT_EQ(SegmentSum(protocol, s), end - start) << trial << " segment " << s;
            for (long long k = 1; k <= steps; ++k) running += protocol.Increment(s * steps + k);
            ASSERT_EQ(running, end) << trial << " segment " << s;
            // The targets lie on the points to within the grid.
            ASSERT_NEAR(end, protocol.PointMm(s + 1), 1e-9);
        }
    }
    // The largest stored points with the most steps.
    const LoadingProtocol extreme = Protocol({INT32_MIN, INT32_MAX}, 60000);
    double running = extreme.TargetAfterStep(0);
    for (int n = 1; n <= 60000; ++n) running += extreme.Increment(n);
    EXPECT_EQ(running, extreme.TargetAfterStep(60000));
    EXPECT_NEAR(running, 2147483.647, 1e-9);
}

TEST(LoadingPresets, MonotonicGoesFromZeroToTheTarget) {
    LoadingProtocol protocol = Protocol({500, 700, 900, 1100}, 3);
    protocol.SetDirection(2);
    EXPECT_EQ(MakeMonotonicLoading(-25000, 250, protocol), "");
    EXPECT_EQ(protocol.SegmentCount(), 1);
    EXPECT_EQ(protocol.StepsPerSegment(), 250);
    EXPECT_EQ(protocol.Point(0), 0);
    EXPECT_EQ(protocol.Point(1), -25000);
    EXPECT_EQ(protocol.Point(2), 900); // beyond the segment: kept
    EXPECT_EQ(protocol.Direction(), 2);
    EXPECT_NEAR(protocol.Increment(1), -0.1, 1e-9);
    EXPECT_EQ(protocol.TargetAfterStep(250), -25.0);

    const LoadingProtocol before = protocol;
    EXPECT_EQ(MakeMonotonicLoading(0, 10, protocol), "The target displacement must not be 0 mm.");
    EXPECT_EQ(MakeMonotonicLoading(1000, 0, protocol), "The number of steps per segment must be at least 1.");
    EXPECT_NE(MakeMonotonicLoading(1000, 60001, protocol).find("60001 steps"), std::string::npos);
    EXPECT_EQ(protocol.Point(1), before.Point(1));
    EXPECT_EQ(protocol.StepsPerSegment(), 250);
}

TEST(LoadingPresets, CyclicPeaksEqualTheAmplitudesAndReversalsPassZero) {
    LoadingProtocol protocol;
    ASSERT_EQ(MakeCyclicLoading(DoublingAmplitudes(1000, 3), 1, 25, protocol), "");
    const int32_t expected[] = {0, 1000, 0, -1000, 0, 2000, 0, -2000, 0, 4000, 0, -4000, 0};
    ASSERT_EQ(protocol.SegmentCount(), 12);
    for (int i = 0; i <= 12; ++i) EXPECT_EQ(protocol.Point(i), expected[i]) << i;
    EXPECT_EQ(protocol.StepTotal(), 300);
    EXPECT_DOUBLE_EQ(protocol.LargestTarget(), 4.0);

    // Cycle c (amplitude a): its largest and smallest targets are +a and −a, reached at the ends of its
    // first and third segments; every segment's increments add up to exactly ±a.
    for (int c = 0; c < 3; ++c) {
        const double a = (1 << c);
        double high = 0, low = 0;
        for (long long n = 100LL * c; n <= 100LL * (c + 1); ++n) {
            high = std::max(high, protocol.TargetAfterStep(n));
            low = std::min(low, protocol.TargetAfterStep(n));
        }
        EXPECT_EQ(high, a);
        EXPECT_EQ(low, -a);
        EXPECT_EQ(protocol.TargetAfterStep(100LL * c + 25), a);
        EXPECT_EQ(protocol.TargetAfterStep(100LL * c + 75), -a);
        EXPECT_EQ(protocol.TargetAfterStep(100LL * (c + 1)), 0.0);
        for (int s = 4 * c; s < 4 * c + 4; ++s)
            EXPECT_EQ(SegmentSum(protocol, s), s % 4 == 0 || s % 4 == 3 ? a : -a) << s;
    }

    // Two cycles at each of 0.3 and 0.7 mm (not whole numbers of the grid).
    ASSERT_EQ(MakeCyclicLoading({300, 700}, 2, 7, protocol), "");
    EXPECT_EQ(protocol.SegmentCount(), 16);
    EXPECT_EQ(protocol.Point(5), 300); // second cycle of 0.3 mm
    EXPECT_EQ(protocol.Point(9), 700); // first cycle of 0.7 mm
    EXPECT_EQ(protocol.Point(15), -700);
    for (int s = 0; s < 16; ++s) {
        const double length = protocol.TargetAfterStep(7LL * (s + 1)) - protocol.TargetAfterStep(7LL * s);
        EXPECT_EQ(SegmentSum(protocol, s), length) << s;
        EXPECT_NEAR(length, protocol.PointMm(s + 1) - protocol.PointMm(s), 1e-9) << s;
    }
    EXPECT_NEAR(protocol.TargetAfterStep(7 * 9), 0.7, 1e-9);
}

TEST(LoadingPresets, CyclicRefusalsLeaveTheProtocolUnchanged) {
    LoadingProtocol protocol = Protocol({0, 1000}, 10);
    const std::pair<std::string, std::string> cases[] = {
        {MakeCyclicLoading({}, 1, 10, protocol), "Enter at least one amplitude."},
        {MakeCyclicLoading({1000, 0}, 1, 10, protocol), "Every amplitude must be greater than 0 mm."},
        {MakeCyclicLoading({-1000}, 1, 10, protocol), "Every amplitude must be greater than 0 mm."},
        {MakeCyclicLoading({1000}, 0, 10, protocol),
         "The number of cycles per amplitude must be at least 1."},
        {MakeCyclicLoading(DoublingAmplitudes(1, 19), 2, 10, protocol),
         "The cyclic loading needs 152 segments (four a cycle), but at most 150 are possible. "
         "Use fewer amplitudes or cycles."},
        {MakeCyclicLoading({1000, 2000}, 1, 7501, protocol),
         "The run has 60008 steps, but at most 60000 steps can be recorded. "
         "Reduce the steps per segment or the number of segments."},
    };
    for (const auto& [problem, message] : cases) EXPECT_EQ(problem, message);
    EXPECT_EQ(protocol.SegmentCount(), 1);
    EXPECT_EQ(protocol.Point(1), 1000);
    // 37 amplitudes of one cycle use 148 of the 150 segments.
    EXPECT_EQ(MakeCyclicLoading(std::vector<int32_t>(37, 100), 1, 1, protocol), "");
    EXPECT_EQ(protocol.SegmentCount(), 148);
}

TEST(LoadingPresets, DoublingAmplitudesStopBeforeOverflow) {
    EXPECT_EQ(DoublingAmplitudes(1000, 4), (std::vector<int32_t>{1000, 2000, 4000, 8000}));
    EXPECT_EQ(DoublingAmplitudes(1 << 30, 5), (std::vector<int32_t>{1 << 30}));
    EXPECT_TRUE(DoublingAmplitudes(0, 3).empty());
    EXPECT_TRUE(DoublingAmplitudes(-5, 3).empty());
    EXPECT_TRUE(DoublingAmplitudes(5, 0).empty());
}

} // namespace

// Checks where a loading first moves the control node back: never for a monotonic one, at the second
// segment of a cyclic preset, and past segments of zero length, which keep the direction.
TEST(LoadingProtocolReversal, FirstSegmentAgainstTheDirectionSoFar) {
    LoadingProtocol protocol;
    ASSERT_EQ(MakeMonotonicLoading(-10000, 100, protocol), "");
    EXPECT_EQ(protocol.FirstReversal(), 0);
    ASSERT_EQ(MakeCyclicLoading({1000, 2000}, 1, 10, protocol), "");
    EXPECT_EQ(protocol.FirstReversal(), 2);
    protocol.SetSegmentCount(4);
    const int32_t points[5] = {0, 5000, 5000, 10000, 3000};
    for (int i = 0; i < 5; ++i) protocol.SetPoint(i, points[i]);
    EXPECT_EQ(protocol.FirstReversal(), 4);
    protocol.SetSegmentCount(3);
    EXPECT_EQ(protocol.FirstReversal(), 0);
}
