// The capacity curves the push-over driver produces with the real engine: the example shear wall runs
// to its last step with a finite curve that starts on the wall's elastic stiffness, a reversed cyclic
// loading turns exactly at its targets, and a run in slices is the run in one go.
#include "analysis/EngineInputPacker.h"
#include "analysis/LoadingProtocol.h"
#include "analysis/Mesh.h"
#include "analysis/PushoverDriver.h"
#include "engine/Engine.h"
#include "engine/EngineTestAccess.h"
#include "model/FramePat.h"
#include "model/ModelFile.h"
#include "support/TempDir.h"

#include <chrono>
#include <cmath>
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

// A model, its mesh and a fresh engine (the engine's stiffness flag outlives its analyses, so every
// comparison here starts from a new one).
struct Analysis {
    std::unique_ptr<CFramePat> model;
    std::unique_ptr<Mesh> mesh = std::make_unique<Mesh>();
    std::unique_ptr<engine::Engine> engine = std::make_unique<engine::Engine>();
    std::vector<double> results = std::vector<double>(engine::kResultBufferSize, 0.0);

    explicit Analysis(std::unique_ptr<CFramePat> m) : model(std::move(m)) {
        mesh->Build(*model, kActualSize);
    }

    // The whole push-over of the model's loading.
    std::vector<CurvePoint> Pushover(std::string* stop = nullptr) {
        PushoverDriver driver(*engine);
        std::string message;
        EXPECT_TRUE(driver.Start(*model, *mesh, message)) << message;
        while (!driver.Finished()) driver.RunStep();
        if (stop) *stop = driver.StopMessage();
        return driver.Curve();
    }

    // The elastic stiffness at the control node under the point-load pattern: two elastic steps add
    // the pattern twice, so their difference is the pattern's own displacement.
    double ElasticStiffness() {
        const std::vector<int32_t> stream = PackEngineInput(*mesh, *model);
        const int dof = 2 + 2 * mesh->controlNodeIndex + (model->ctrlDirection == 2 ? 1 : 0);
        EXPECT_EQ(engine->Start(stream, engine::kElasticMode, 0.0), engine::RunStatus::Done);
        const double first = engine->Results().Buffer()[dof];
        EXPECT_EQ(engine->Step(0.0), engine::RunStatus::Done);
        double pattern = 0;
        for (int l = 0; l < mesh->loadCount; ++l)
            pattern += (model->ctrlDirection == 2 ? mesh->loadFy[l] : mesh->loadFx[l]) / 100.0;
        return pattern / (engine->Results().Buffer()[dof] - first);
    }

    // The control force the engine reports after the gravity state alone (before step 1).
    double GravityStateForce() {
        const std::vector<int32_t> stream = PackEngineInput(*mesh, *model);
        engine::Engine& e = *engine;
        EXPECT_TRUE(engine::EngineTestAccess(e).DecodeInput(stream));
        engine::EngineTestAccess(e).NumberEquations();
        engine::EngineTestAccess(e).BuildTieMaps();
        engine::EngineTestAccess(e).BuildElementDofLists();
        EXPECT_TRUE(engine::EngineTestAccess(e).BuildSkylineProfile());
        engine::EngineTestAccess(e).BuildElementTransforms();
        int status = 0;
        engine::EngineTestAccess(e).InitialiseAnalysis(results, engine::kPushoverMode, status);
        EXPECT_EQ(status, 0);
        return results[1];
    }
};

TEST(PushoverCurve, ExampleShearWallRunsToItsLastStepWithAFiniteCurve) {
    Analysis wall(LoadExample("shear-wall.fem")); // 10 mm at the roof corner in 100 steps
    std::string stop;
    const std::vector<CurvePoint> curve = wall.Pushover(&stop);
    EXPECT_EQ(stop, "");
    ASSERT_EQ(curve.size(), 100u);
    const double start = curve[0].displacement - 0.1;
    for (size_t k = 0; k < curve.size(); ++k) {
        EXPECT_EQ(curve[k].step, int(k) + 1);
        ASSERT_TRUE(std::isfinite(curve[k].force)) << k;
        EXPECT_NEAR(curve[k].displacement - start, 0.1 * double(k + 1), 1e-9) << k;
        EXPECT_GT(curve[k].force, 0.0) << k; // pushed one way, the wall resists that way
    }
}

TEST(PushoverCurve, TheFirstStepFollowsTheElasticStiffnessOfTheWall) {
    // The concrete is far from cracking in the first 0.1 mm (the largest principal tension stays below
    // 0.1 N/mm2), so the first step's force over its displacement is the wall's elastic stiffness.
    Analysis elastic(LoadExample("shear-wall.fem"));
    const double stiffness = elastic.ElasticStiffness(); // about 15.2 kN/mm
    EXPECT_GT(stiffness, 14000.0);
    EXPECT_LT(stiffness, 17000.0);

    // As shipped (gravity and the secant concrete law): the gravity state itself leaves an unbalanced
    // force of some 70 N at the loaded nodes; the first step adds the elastic stiffness to it.
    Analysis shipped(LoadExample("shear-wall.fem"));
    const double f0 = shipped.GravityStateForce();
    Analysis pushed(LoadExample("shear-wall.fem"));
    const std::vector<CurvePoint> curve = pushed.Pushover();
    EXPECT_GT(f0, 10.0);
    EXPECT_NEAR((curve[0].force - f0) / 0.1, stiffness, 0.01 * stiffness);

    // Without gravity there is nothing before step 1: its slope is the elastic stiffness.
    auto weightless = LoadExample("shear-wall.fem");
    weightless->gravity = 0;
    Analysis bare(std::move(weightless));
    const std::vector<CurvePoint> bareCurve = bare.Pushover();
    EXPECT_NEAR(bareCurve[0].force / 0.1, stiffness, 1e-3 * stiffness);
    // (increment / u) · u: the increment to round-off.
    EXPECT_DOUBLE_EQ(bareCurve[0].displacement, LoadingProtocol::FromModel(*bare.model).Increment(1));

    // With the linear concrete law the whole curve is the elastic line, step after step (from the
    // middle of the run on it softens by some hundred-thousandths).
    auto linear = LoadExample("shear-wall.fem");
    linear->engineFlagA = 0;
    Analysis line(std::move(linear));
    const std::vector<CurvePoint> lineCurve = line.Pushover();
    ASSERT_EQ(lineCurve.size(), 100u);
    for (size_t k = 1; k < lineCurve.size(); ++k)
        EXPECT_NEAR((lineCurve[k].force - lineCurve[k - 1].force) / 0.1, stiffness,
                    (k < 10 ? 1e-6 : 1e-4) * stiffness)
            << k;
}

TEST(PushoverCurve, ACyclicLoadingTurnsExactlyAtItsTargets) {
    auto model = LoadExample("cantilever.fem"); // pushed at the tip in y
    LoadingProtocol protocol = LoadingProtocol::FromModel(*model);
    ASSERT_EQ(MakeCyclicLoading(DoublingAmplitudes(1000, 3), 1, 10, protocol), ""); // ±1, ±2, ±4 mm
    protocol.StoreInto(*model);
    Analysis cantilever(std::move(model));
    std::string stop;
    const std::vector<CurvePoint> curve = cantilever.Pushover(&stop);
    EXPECT_EQ(stop, "");
    ASSERT_EQ(curve.size(), 120u);
    const double start = curve[0].displacement - protocol.Increment(1);
    for (int s = 0; s < protocol.SegmentCount(); ++s) {
        const double target = protocol.PointMm(s + 1);
        const double from = protocol.PointMm(s);
        // Every segment ends on its target, and moves monotonically towards it.
        EXPECT_NEAR(curve[size_t(10 * s + 9)].displacement - start, target, 1e-9) << s;
        for (int k = 10 * s; k < 10 * s + 10; ++k) {
            const double previous = k == 0 ? start : curve[size_t(k - 1)].displacement;
            EXPECT_GT((curve[size_t(k)].displacement - previous) * (target - from), 0.0) << k;
            ASSERT_TRUE(std::isfinite(curve[size_t(k)].force)) << k;
        }
    }
    // The peaks of each cycle are its extremes: nothing goes beyond ±amplitude.
    for (int cycle = 0; cycle < 3; ++cycle) {
        const double amplitude = protocol.PointMm(4 * cycle + 1);
        for (int k = 40 * cycle; k < 40 * cycle + 40; ++k)
            EXPECT_LE(std::abs(curve[size_t(k)].displacement - start), amplitude + 1e-9) << k;
    }
    // The first cycle is a loop: the force follows the displacement to both sides.
    EXPECT_GT(curve[9].force, 0.0);
    EXPECT_LT(curve[29].force, 0.0);

    // With the linear concrete law the loops are the elastic line through the gravity state (whose own
    // force at the tip is the force at 0 mm): the same force for the same displacement on the way out
    // and back, opposite for opposite displacements.
    auto linear = LoadExample("cantilever.fem");
    linear->engineFlagA = 0;
    ASSERT_EQ(MakeCyclicLoading({500, 1000}, 1, 10, protocol), "");
    protocol.StoreInto(*linear);
    Analysis line(std::move(linear));
    const std::vector<CurvePoint> loops = line.Pushover();
    ASSERT_EQ(loops.size(), 80u);
    const double atZero = loops[19].force; // back at 0 after +0.5 mm
    const double half = loops[9].force - atZero;
    EXPECT_GT(half, 0.0);
    EXPECT_NEAR(loops[29].force - atZero, -half, 1e-6 * half);       // -0.5 mm
    EXPECT_NEAR(loops[39].force, atZero, 1e-6 * half);               // back at 0
    EXPECT_NEAR(loops[49].force - atZero, 2.0 * half, 1e-6 * half);  // +1 mm
    EXPECT_NEAR(loops[69].force - atZero, -2.0 * half, 1e-6 * half); // -1 mm
}

TEST(PushoverCurve, ARunInSlicesIsTheRunInOneGo) {
    Analysis whole(LoadExample("shear-wall.fem"));
    const std::vector<CurvePoint> reference = whole.Pushover();

    Analysis sliced(LoadExample("shear-wall.fem"));
    PushoverDriver driver(*sliced.engine);
    std::string message;
    ASSERT_TRUE(driver.Start(*sliced.model, *sliced.mesh, message)) << message;
    int calls = 0, slices = 0;
    while (!driver.Finished()) {
        // Slices of one step, then of every length the clock allows, as the window's timer runs them.
        const auto budget = slices % 2 ? std::chrono::milliseconds(1) : std::chrono::milliseconds(0);
        const int made = driver.RunFor(budget, [&](int status) {
            EXPECT_EQ(status, 0);
            ++calls;
        });
        EXPECT_GE(made, 1);
        ++slices;
    }
    EXPECT_EQ(calls, 100);
    EXPECT_GT(slices, 1);
    ASSERT_EQ(driver.Curve().size(), reference.size());
    for (size_t k = 0; k < reference.size(); ++k) {
        EXPECT_EQ(driver.Curve()[k].displacement, reference[k].displacement) << k;
        EXPECT_EQ(driver.Curve()[k].force, reference[k].force) << k;
    }
    // Once finished, a slice runs nothing.
    EXPECT_EQ(driver.RunFor(std::chrono::hours(1)), 0);
}

} // namespace
