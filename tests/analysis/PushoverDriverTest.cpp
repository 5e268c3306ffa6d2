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

TEST(PushoverSchedule, SegmentsInEqualIncrements) {
    auto model = std::make_unique<CFramePat>();
    model->segmentCount = 3;
    model->stepsPerSegment = 4;
    model->segmentPoints[0] = 0;
    model->segmentPoints[1] = 2000;  // +2 mm
    model->segmentPoints[2] = -2000; // back through zero to -2 mm
    model->segmentPoints[3] = 0;
    PushoverSchedule schedule;
    std::string refusal;
    ASSERT_TRUE(ReadPushoverSchedule(*model, schedule, refusal)) << refusal;
    EXPECT_EQ(schedule.TotalSteps(), 12);
    EXPECT_DOUBLE_EQ(schedule.Increment(1), 0.5);
    EXPECT_DOUBLE_EQ(schedule.Increment(4), 0.5);
    EXPECT_DOUBLE_EQ(schedule.Increment(5), -1.0);
    EXPECT_DOUBLE_EQ(schedule.Increment(12), 0.5);
    EXPECT_EQ(schedule.Increment(13), 0.0);
    double sum = 0;
    for (int step = 1; step <= 12; ++step) sum += schedule.Increment(step);
    EXPECT_NEAR(sum, 0.0, 1e-12);

    model->segmentCount = 0; // taken as one segment
    ASSERT_TRUE(ReadPushoverSchedule(*model, schedule, refusal));
    EXPECT_EQ(schedule.TotalSteps(), 4);

    model->segmentPoints[1] = 0; // nothing moves
    EXPECT_FALSE(ReadPushoverSchedule(*model, schedule, refusal));
    EXPECT_NE(refusal.find("nowhere"), std::string::npos);
    model->segmentPoints[1] = 1000;
    model->stepsPerSegment = 0;
    EXPECT_FALSE(ReadPushoverSchedule(*model, schedule, refusal));
    model->stepsPerSegment = 10;
    model->segmentCount = kMaxSegments + 1;
    EXPECT_FALSE(ReadPushoverSchedule(*model, schedule, refusal));
}

TEST(PushoverDriver, RunsEveryStepAndRecordsTheCurve) {
    auto model = LoadExample("cantilever.fem"); // 5 mm in 50 steps at the tip, in y
    auto mesh = std::make_unique<Mesh>();
    mesh->Build(*model, kActualSize);
    auto engine = std::make_unique<engine::Engine>();
    std::vector<double> results(engine::kResultBufferSize);
    PushoverDriver driver(*engine, results);
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
    std::vector<double> results(engine::kResultBufferSize);
    PushoverDriver driver(*engine, results);
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
