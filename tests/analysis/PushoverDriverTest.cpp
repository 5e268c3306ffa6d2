// The push-over driver: increments of the loading segments, refusals before the engine runs, the
// first call initialising the engine, the curve, and the stop at a step the engine cannot do.
#include "analysis/PushoverDriver.h"

#include "analysis/Mesh.h"
#include "engine/Engine.h"
#include "model/FramePat.h"
#include "model/ModelFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace torva;

namespace {

std::unique_ptr<CFramePat> LoadExample(const std::string& name) {
    auto model = std::make_unique<CFramePat>();
    FileError error;
    EXPECT_TRUE(LoadModelFile((test::SourceDir() / "examples" / name).string(), *model, error))
        << error.message;
    return model;
}

} // namespace

TEST(PushoverDriver, IncrementsAreTheLoadingsSegmentsInEqualSteps) {
    auto model = LoadExample("cantilever.fem");
    model->segmentCount = 3;
    model->stepsPerSegment = 4;
    model->segmentPoints[0] = 0;
    model->segmentPoints[1] = 2000;  // +2 mm
    model->segmentPoints[2] = -2000; // back through zero to -2 mm
    model->segmentPoints[3] = 0;
    auto mesh = std::make_unique<Mesh>();
    mesh->Build(*model, kActualSize);
    auto engine = std::make_unique<engine::Engine>();
    PushoverDriver driver(*engine);
    std::string refusal;
    ASSERT_TRUE(driver.Start(*model, *mesh, refusal)) << refusal;
    EXPECT_EQ(driver.TotalSteps(), 12);
    const LoadingProtocol& schedule = driver.Protocol();
    EXPECT_DOUBLE_EQ(schedule.Increment(1), 0.5);
    EXPECT_DOUBLE_EQ(schedule.Increment(4), 0.5);
    EXPECT_DOUBLE_EQ(schedule.Increment(5), -1.0);
    EXPECT_DOUBLE_EQ(schedule.Increment(12), 0.5);
    EXPECT_EQ(schedule.Increment(13), 0.0);
    double sum = 0;
    for (int step = 1; step <= 12; ++step) sum += schedule.Increment(step);
    EXPECT_EQ(sum, 0.0); // exactly: the loading's increments do not drift
    // The engine is given exactly these increments, one call a step.
    for (int step = 1; step <= 12; ++step) {
        ASSERT_EQ(driver.RunStep(), engine::kStatusDone);
        EXPECT_EQ(driver.AttemptedStep(), step);
        EXPECT_EQ(driver.LastIncrement(), schedule.Increment(step));
    }
    const double start = driver.Curve()[0].displacement - 0.5;
    EXPECT_NEAR(driver.Curve()[3].displacement - start, 2.0, 1e-12);
    EXPECT_NEAR(driver.Curve()[7].displacement - start, -2.0, 1e-12);
    EXPECT_NEAR(driver.Curve()[11].displacement - start, 0.0, 1e-12);

    model->segmentCount = 0; // taken as one segment
    ASSERT_TRUE(driver.Start(*model, *mesh, refusal)) << refusal;
    EXPECT_EQ(driver.TotalSteps(), 4);
    EXPECT_EQ(driver.Step(), 0); // a new start forgets the last run
    EXPECT_TRUE(driver.Curve().empty());

    model->segmentPoints[1] = 0; // nothing moves
    EXPECT_FALSE(driver.Start(*model, *mesh, refusal));
    EXPECT_NE(refusal.find("would not move the control node"), std::string::npos) << refusal;
    EXPECT_FALSE(driver.Started());
    EXPECT_EQ(driver.RunStep(), engine::kStatusDone); // nothing to run
    EXPECT_EQ(driver.Step(), 0);
    model->segmentPoints[1] = 1000;
    model->stepsPerSegment = 0;
    EXPECT_FALSE(driver.Start(*model, *mesh, refusal));
    model->stepsPerSegment = 10;
    model->segmentCount = kMaxSegments + 1;
    EXPECT_FALSE(driver.Start(*model, *mesh, refusal));
    // A segment of zero length would hand the engine an increment of 0, which stalls it for good.
    model->segmentCount = 2;
    model->segmentPoints[2] = 1000;
    EXPECT_FALSE(driver.Start(*model, *mesh, refusal));
    EXPECT_NE(refusal.find("Segment 2 has zero length"), std::string::npos) << refusal;
    // More steps than the histories hold.
    model->segmentPoints[2] = 0;
    model->stepsPerSegment = 30001;
    EXPECT_FALSE(driver.Start(*model, *mesh, refusal));
    EXPECT_NE(refusal.find("60000"), std::string::npos) << refusal;
}

TEST(PushoverDriver, RunsEveryStepAndRecordsTheCurve) {
    auto model = LoadExample("cantilever.fem"); // 5 mm in 50 steps at the tip, in y
    auto mesh = std::make_unique<Mesh>();
    mesh->Build(*model, kActualSize);
    auto engine = std::make_unique<engine::Engine>();
    PushoverDriver driver(*engine);
    std::string message;
    ASSERT_TRUE(driver.Start(*model, *mesh, message)) << message;
    EXPECT_EQ(driver.TotalSteps(), 50);
    EXPECT_EQ(driver.RunStep(), engine::kStatusDone);
    EXPECT_EQ(driver.Step(), 1); // the first call initialised the engine and ran step 1
    const double start = driver.Curve()[0].displacement;
    while (!driver.Finished()) ASSERT_EQ(driver.RunStep(), engine::kStatusDone);
    ASSERT_EQ(driver.Curve().size(), 50u);
    EXPECT_EQ(driver.Curve().back().step, 50);
    EXPECT_NEAR(driver.Curve().back().displacement - start, 4.9, 1e-9);
    EXPECT_EQ(driver.StopMessage(), "");
    EXPECT_EQ(driver.RunStep(), engine::kStatusDone); // finished: nothing more runs
    EXPECT_EQ(driver.Curve().size(), 50u);
}

TEST(PushoverDriver, RefusesAndStops) {
    auto model = LoadExample("cantilever.fem");
    auto mesh = std::make_unique<Mesh>();
    auto engine = std::make_unique<engine::Engine>();
    PushoverDriver driver(*engine);
    std::string message;

    model->controlNode = 0;
    mesh->Build(*model, kActualSize);
    EXPECT_FALSE(driver.Start(*model, *mesh, message));
    EXPECT_EQ(message, "ERROR: Please select control node.");

    // Without point loads the control node cannot respond: stop at step 1, nothing on the curve.
    model = LoadExample("cantilever.fem");
    for (int x = 0; x < kGridSize; ++x)
        for (int y = 0; y < kGridSize; ++y) model->Flag(x, y, kPointForceLayer) = 0;
    mesh->Build(*model, kActualSize);
    ASSERT_TRUE(driver.Start(*model, *mesh, message)) << message;
    EXPECT_EQ(driver.RunStep(), engine::kStatusNoResponse);
    EXPECT_TRUE(driver.Finished());
    EXPECT_TRUE(driver.Curve().empty());
    EXPECT_NE(driver.StopMessage().find("(step 1)"), std::string::npos);
}

TEST(PushoverDriver, AnAbandonedStepIsNotDoneAndDoesNotEndTheRun) {
    auto model = LoadExample("cantilever.fem"); // 5 mm in 50 steps
    auto mesh = std::make_unique<Mesh>();
    mesh->Build(*model, kActualSize);
    auto engine = std::make_unique<engine::Engine>();
    PushoverDriver driver(*engine);
    std::string message;
    ASSERT_TRUE(driver.Start(*model, *mesh, message, engine::AnalysisMethod::Mcft)) << message;
    ASSERT_EQ(driver.RunStep(), engine::kStatusDone);
    ASSERT_EQ(driver.RunStep(), engine::kStatusDone);
    const std::vector<CurvePoint> curve = driver.Curve();

    // Every step abandoned at its first iteration: one call, then RunFor stops even without a token.
    int vetoes = 0;
    engine->SetIterationObserver([&](const engine::IterationReport&) {
        ++vetoes;
        return false;
    });
    std::vector<int> statuses;
    EXPECT_EQ(driver.RunFor(PushoverDriver::Clock::duration::max(),
                            [&](int status) { statuses.push_back(status); }),
              1);
    EXPECT_EQ(statuses, std::vector<int>{engine::kStatusCancelled});
    EXPECT_EQ(vetoes, 1);
    EXPECT_EQ(driver.Step(), 2);
    EXPECT_EQ(driver.AttemptedStep(), 3);
    EXPECT_TRUE(driver.Running());
    EXPECT_EQ(driver.StopMessage(), "");
    ASSERT_EQ(driver.Curve().size(), 2u);
    EXPECT_EQ(driver.Curve().back().force, curve.back().force);

    // Let go, the same step is made and the run goes on.
    engine->SetIterationObserver({});
    ASSERT_EQ(driver.RunStep(), engine::kStatusDone);
    ASSERT_EQ(driver.RunStep(), engine::kStatusDone);
    ASSERT_EQ(driver.Curve().size(), 4u);
    EXPECT_EQ(driver.Curve()[2].step, 3);
    EXPECT_NEAR(driver.Curve()[2].displacement - driver.Curve()[1].displacement, 0.1, 1e-9);
}
