// The elastic run behind "Analyze": a refused model never reaches the engine, a failed engine call
// leaves the previous results in the buffer, a finished one replaces them with the engine's own.
#include "analysis/AnalysisRun.h"

#include "TestModels.h"
#include "analysis/EngineInputPacker.h"
#include "engine/Engine.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace torva;

namespace {

// 2 × 2 concrete elements, pinned along the base (unless told otherwise), pushed at a top corner.
std::unique_ptr<CFramePat> Wall(bool supported) {
    auto model = test::GridModel(2, 2);
    test::FillConcrete(*model);
    model->Prop(kBoundaryLayer, 1, 0) = 1;
    if (supported)
        for (int i = 0; i <= 2; ++i) test::Place(*model, i, 2, kBoundaryLayer);
    model->Prop(kPointForceLayer, 1, 0) = 1000000;
    test::Place(*model, 0, 0, kPointForceLayer);
    return model;
}

TEST(AnalysisRun, AFinishedRunHoldsTheEngineResultAndItsStream) {
    auto model = Wall(true);
    auto mesh = test::ScannedMesh(*model);
    auto buffers = std::make_unique<EngineBuffers>();
    int status = -1;
    std::string refusal;
    ASSERT_TRUE(RunElasticAnalysis(*mesh, *model, *buffers, status, refusal));
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(refusal.empty());

    const std::vector<int32_t> stream = PackEngineInput(*mesh, *model);
    EXPECT_TRUE(std::equal(stream.begin(), stream.end(), buffers->Input().begin()));
    auto engine = std::make_unique<engine::Engine>();
    std::vector<double> results(engine::kResultBufferSize, 0.0);
    int step = 0, own = -1;
    engine->Run(results, 0.0, stream, 1, step, own);
    ASSERT_EQ(own, 0);
    EXPECT_EQ(buffers->ResultValues(), results);
    EXPECT_GT(results[2], 0.0); // the loaded corner moves along the load
}

TEST(AnalysisRun, AnUnstableModelLeavesThePreviousResults) {
    auto buffers = std::make_unique<EngineBuffers>();
    int status = -1;
    std::string refusal;
    auto stable = Wall(true);
    ASSERT_TRUE(RunElasticAnalysis(*test::ScannedMesh(*stable), *stable, *buffers, status, refusal));
    ASSERT_EQ(status, 0);
    const std::vector<double> before = buffers->ResultValues();

    auto loose = Wall(false);
    ASSERT_TRUE(RunElasticAnalysis(*test::ScannedMesh(*loose), *loose, *buffers, status, refusal));
    EXPECT_EQ(status, engine::kStatusUnstable);
    EXPECT_EQ(buffers->ResultValues(), before);

    // And the next stable run replaces them again.
    ASSERT_TRUE(RunElasticAnalysis(*test::ScannedMesh(*stable), *stable, *buffers, status, refusal));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(buffers->ResultValues(), before);
}

TEST(AnalysisRun, ARefusedModelNeverReachesTheEngine) {
    auto buffers = std::make_unique<EngineBuffers>();
    auto model = Wall(true);
    model->Prop(kConcreteLayer, 1, 4) = 0; // fc
    int status = -1;
    std::string refusal;
    EXPECT_FALSE(RunElasticAnalysis(*test::ScannedMesh(*model), *model, *buffers, status, refusal));
    EXPECT_NE(refusal.find("fc"), std::string::npos) << refusal;
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(
        std::all_of(buffers->Input().begin(), buffers->Input().end(), [](int32_t v) { return v == 0; }));

    // Clearing empties both.
    auto good = Wall(true);
    ASSERT_TRUE(RunElasticAnalysis(*test::ScannedMesh(*good), *good, *buffers, status, refusal));
    buffers->Clear();
    EXPECT_TRUE(
        std::all_of(buffers->Input().begin(), buffers->Input().end(), [](int32_t v) { return v == 0; }));
    EXPECT_TRUE(std::all_of(buffers->ResultValues().begin(), buffers->ResultValues().end(),
                            [](double v) { return v == 0; }));
}

} // namespace
