// The push-over run under the step timer's rules: Play packs and starts the run, each tick runs engine
// steps for a slice of time and records every step in the scene, pause holds and resume continues the
// same run, and a step the engine cannot do or a run that cannot start is explained.
#include "analysis/AnalysisScene.h"
#include "analysis/AnalysisState.h"
#include "analysis/Mesh.h"
#include "analysis/OverlayText.h"
#include "analysis/PushoverDriver.h"
#include "analysis/Session.h"
#include "engine/Engine.h"
#include "model/FramePat.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace torva;

namespace {

// A wall of nx × ny concrete elements of 500 mm with rebar, pinned along its base, 10 kN sideways at its
// top-left corner, which is the control node, pushed 2 mm in x in `steps` steps.
std::unique_ptr<CFramePat> Wall(int nx, int ny, int steps) {
    auto model = std::make_unique<CFramePat>();
    model->nxs = nx + 2;
    model->nys = ny + 2;
    model->Reset();
    model->SpanLengthOf(kAxisX, 1) = 500;
    model->SpanLengthOf(kAxisY, 1) = 500;
    for (int x = 2; x < nx + 2; ++x)
        for (int y = 2; y < ny + 2; ++y)
            for (int layer : {kConcreteLayer, kRebarLayer}) {
                model->Flag(x, y, layer) = 1;
                model->Type(x, y, layer) = 1;
            }
    for (int x = 2; x <= nx + 2; ++x) {
        model->Flag(x, ny + 2, kBoundaryLayer) = 1;
        model->Type(x, ny + 2, kBoundaryLayer) = 1;
    }
    model->Prop(kPointForceLayer, 1, 0) = 10000 * 100;
    model->Flag(2, 2, kPointForceLayer) = 1;
    model->Type(2, 2, kPointForceLayer) = 1;
    model->controlNode = PositionCode(2, 2);
    model->ctrlDirection = 1;
    model->segmentCount = 1;
    model->stepsPerSegment = steps;
    model->segmentPoints[0] = 0;
    model->segmentPoints[1] = 2000;
    return model;
}

constexpr std::chrono::nanoseconds kOneStep{0}; // a slice that ends after its first step

// An analysis view's state with push-over results on display, and a session of its own.
struct RunFixture : ::testing::Test {
    std::unique_ptr<analysis::Session> session = std::make_unique<analysis::Session>();
    AnalysisState& state = session->State();
    ViewControl view;
    std::unique_ptr<AnalysisScene> scene = std::make_unique<AnalysisScene>();
    std::unique_ptr<CFramePat> model = Wall(3, 3, 12);
    const Mesh* mesh = nullptr;

    // The run of the last Play.
    PushoverDriver& Run() { return *session->Pushover(); }
    // The engine's results of the last step.
    std::span<const double> Results() { return session->Engine().Results().Buffer(); }

    void SetUp() override {
        mesh = &session->CurrentMesh(*model, kActualSize);
        state.sizeMode = 1;
        state.analysisDone = 1;
        SetMode(state, view, AnalysisState::kPushoverMode);
    }
    ControlEffect Play() { return PlayPushover(state, view, *scene, *model, *session, 0); }

    // The curve of the same model run without the timer, on a fresh engine.
    std::vector<CurvePoint> Uninterrupted() const {
        auto other = std::make_unique<engine::Engine>();
        PushoverDriver driver(*other);
        std::string message;
        EXPECT_TRUE(driver.Start(*model, *mesh, message)) << message;
        while (!driver.Finished()) driver.RunStep();
        return driver.Curve();
    }
};

TEST_F(RunFixture, EachTickRunsTheNextStepsAndRecordsEveryOne) {
    ControlEffect effect = Play();
    ASSERT_TRUE(effect.message.empty()) << effect.message;
    EXPECT_TRUE(effect.startTimer);
    EXPECT_EQ(state.timerStopped, 0);
    EXPECT_EQ(Run().Step(), 0); // packed, not yet run: the first tick makes the initialising call
    EXPECT_EQ(state.StepTotal(), 12);

    for (int step = 1; step <= 12; ++step) {
        effect = Tick(state, view, *scene, session->Pushover(), kOneStep);
        ASSERT_TRUE(effect.message.empty()) << effect.message;
        EXPECT_TRUE(effect.redraw);
        ASSERT_EQ(state.stepCounter, step);
        EXPECT_EQ(state.engineStatus, 0);
        EXPECT_EQ(effect.killTimer, step == 12) << step;
        // The step on display is the engine's, and its row of the history holds its curve point.
        EXPECT_EQ(scene->shownDisp[0], static_cast<float>(Results()[2]));
        EXPECT_EQ(scene->controlHistory[2 * step], static_cast<float>(Run().Curve()[step - 1].displacement));
        EXPECT_EQ(scene->controlHistory[2 * step + 1], static_cast<float>(Run().Curve()[step - 1].force));
        EXPECT_EQ(ExportableSteps(state), step);
    }
    EXPECT_EQ(StepText(state.stepCounter, state.StepTotal()), "12 / 12");
    EXPECT_EQ(state.timerStopped, 1);
    EXPECT_TRUE(Run().Finished());
    // The control node moved by exactly the loading: 2 mm from where the gravity state left it.
    const double start = Run().Curve()[0].displacement - Run().Protocol().Increment(1);
    EXPECT_NEAR(Run().Curve().back().displacement - start, 2.0, 1e-12);

    // A tick after the end has nothing to do.
    effect = Tick(state, view, *scene, session->Pushover(), kOneStep);
    EXPECT_EQ(state.stepCounter, 12);
}

TEST_F(RunFixture, ALongSliceRunsTheWholeLoadingInOneTickAndGivesTheSameCurve) {
    Play();
    const ControlEffect effect = Tick(state, view, *scene, session->Pushover(), std::chrono::hours(1));
    EXPECT_TRUE(effect.killTimer);
    EXPECT_EQ(state.stepCounter, 12);
    const std::vector<CurvePoint> alone = Uninterrupted();
    ASSERT_EQ(Run().Curve().size(), alone.size());
    for (size_t k = 0; k < alone.size(); ++k) {
        EXPECT_EQ(Run().Curve()[k].displacement, alone[k].displacement) << k;
        EXPECT_EQ(Run().Curve()[k].force, alone[k].force) << k;
        EXPECT_EQ(scene->controlHistory[2 * (k + 1) + 1], static_cast<float>(alone[k].force)) << k;
    }
}

TEST_F(RunFixture, PauseHoldsTheRunAndResumeContinuesIt) {
    Play();
    for (int i = 0; i < 5; ++i) Tick(state, view, *scene, session->Pushover(), kOneStep);
    ASSERT_EQ(state.stepCounter, 5);
    TogglePause(view);
    for (int i = 0; i < 3; ++i) {
        const ControlEffect held = Tick(state, view, *scene, session->Pushover(), std::chrono::hours(1));
        EXPECT_FALSE(held.killTimer);
        EXPECT_FALSE(held.redraw);
    }
    EXPECT_EQ(state.stepCounter, 5);
    EXPECT_EQ(Run().Step(), 5);
    EXPECT_EQ(state.timerStopped, 0);

    TogglePause(view); // resume: the same run, from step 6
    Tick(state, view, *scene, session->Pushover(), kOneStep);
    EXPECT_EQ(state.stepCounter, 6);
    while (state.timerStopped == 0) Tick(state, view, *scene, session->Pushover(), kOneStep);
    EXPECT_EQ(state.stepCounter, 12);

    // Exactly the curve of a run that never paused.
    const std::vector<CurvePoint> alone = Uninterrupted();
    ASSERT_EQ(Run().Curve().size(), alone.size());
    for (size_t k = 0; k < alone.size(); ++k) {
        EXPECT_EQ(Run().Curve()[k].displacement, alone[k].displacement) << k;
        EXPECT_EQ(Run().Curve()[k].force, alone[k].force) << k;
    }
}

TEST_F(RunFixture, StopEndsTheRunAndPlayStartsANewOneFromStepZero) {
    Play();
    for (int i = 0; i < 4; ++i) Tick(state, view, *scene, session->Pushover(), kOneStep);
    const ControlEffect stopped = Stop(state);
    EXPECT_TRUE(stopped.killTimer);
    EXPECT_EQ(state.stepCounter, 4);
    EXPECT_EQ(ExportableSteps(state), 4); // the curve so far can be exported

    const ControlEffect again = Play();
    EXPECT_TRUE(again.startTimer);
    EXPECT_EQ(state.stepCounter, 0);
    EXPECT_EQ(Run().Step(), 0);
    EXPECT_EQ(ExportableSteps(state), 0);
    EXPECT_FLOAT_EQ(scene->shownDisp[0], 0.0f); // the old run is off the display
    Tick(state, view, *scene, session->Pushover(), kOneStep);
    EXPECT_EQ(Run().AttemptedStep(), 1);
    EXPECT_EQ(state.stepCounter, 1);
    EXPECT_EQ(scene->controlHistory[3], static_cast<float>(Run().Curve()[0].force));
}

TEST_F(RunFixture, AStepTheEngineCannotDoStopsTheTimerWithAMessageNamingIt) {
    model->Flag(2, 2, kPointForceLayer) = 0; // no point loads: the control node cannot respond
    session->ModelChanged();
    ControlEffect effect = Play();
    ASSERT_TRUE(effect.startTimer) << effect.message; // nothing tells before the engine runs
    effect = Tick(state, view, *scene, session->Pushover(), std::chrono::hours(1));
    EXPECT_TRUE(effect.killTimer);
    EXPECT_EQ(state.timerStopped, 1);
    EXPECT_EQ(state.engineStatus, engine::kStatusNoResponse);
    EXPECT_EQ(state.stepCounter, 0);
    EXPECT_EQ(effect.message, "The control node does not respond to the loads (step 1): check that the model "
                              "has point loads that move it in the control direction.");
    EXPECT_EQ(ExportableSteps(state), 0);
}

TEST_F(RunFixture, ARunThatCannotStartChangesNothing) {
    Play();
    Tick(state, view, *scene, session->Pushover(), kOneStep);
    Tick(state, view, *scene, session->Pushover(), kOneStep);
    Stop(state);
    scene->graphCounterX = 3;
    const float recorded = scene->controlHistory[4];

    model->segmentPoints[1] = 0; // the loading moves nothing
    ControlEffect effect = Play();
    EXPECT_NE(effect.message.find("would not move the control node"), std::string::npos) << effect.message;
    EXPECT_FALSE(effect.startTimer);
    EXPECT_EQ(state.timerStopped, 1);
    EXPECT_EQ(state.stepCounter, 2);
    EXPECT_EQ(scene->graphCounterX, 3);
    EXPECT_EQ(scene->controlHistory[4], recorded);

    model->segmentPoints[1] = 2000;
    model->controlNode = 0;
    session->ModelChanged();
    EXPECT_EQ(Play().message, "ERROR: Please select control node.");
    // More steps than the histories hold.
    model->controlNode = PositionCode(2, 2);
    session->ModelChanged();
    model->segmentCount = 2;
    model->segmentPoints[2] = 0;
    model->stepsPerSegment = 30001;
    effect = Play();
    EXPECT_NE(effect.message.find("60000"), std::string::npos) << effect.message;
    EXPECT_EQ(state.timerStopped, 1);
}

TEST_F(RunFixture, StepsAreReadWithTheMeshTheRunWasPackedFrom) {
    Play();
    Tick(state, view, *scene, session->Pushover(), kOneStep);
    // The model changes under the run (an edit in the plan): a column of elements goes, and the
    // session builds its mesh again; the run keeps the one it was packed from, unchanged.
    const int nodes = mesh->nodeCount, elements = mesh->elementCount;
    for (int y = 2; y < 5; ++y) model->Flag(4, y, kConcreteLayer) = 0;
    session->ModelChanged();
    const Mesh& edited = session->CurrentMesh(*model, kActualSize);
    ASSERT_LT(edited.elementCount, elements);
    EXPECT_NE(&edited, mesh);
    EXPECT_EQ(mesh->elementCount, elements);
    Tick(state, view, *scene, session->Pushover(), kOneStep);
    EXPECT_EQ(state.stepCounter, 2);
    // The last element's Gauss values and the last node are where the packed mesh put them.
    const int last = AnalysisScene::GaussIndex(elements - 1, 8);
    EXPECT_EQ(scene->stepGauss[last], Results()[2 + 2 * nodes + last]);
    EXPECT_EQ(scene->stepDisp[2 * nodes - 1], Results()[2 * nodes + 1]);
    EXPECT_EQ(Run().RunMesh().elementCount, elements);
}

TEST_F(RunFixture, ElasticModeAndTheRunOnDisplay) {
    Play();
    Tick(state, view, *scene, session->Pushover(), kOneStep);
    // Switched to the elastic display during the run, a tick computes nothing and keeps the timer.
    SetMode(state, view, AnalysisState::kElasticMode);
    ControlEffect effect = Tick(state, view, *scene, session->Pushover(), std::chrono::hours(1));
    EXPECT_FALSE(effect.killTimer);
    EXPECT_EQ(Run().Step(), 1);
    EXPECT_EQ(ExportableSteps(state), 0); // the elastic display has no curve
    EXPECT_FALSE(AnalysisActionState(AnalysisAction::ExportCurve, state, view).enabled);
    // Back in push-over mode the run goes on where it was.
    SetMode(state, view, AnalysisState::kPushoverMode);
    effect = Tick(state, view, *scene, session->Pushover(), kOneStep);
    EXPECT_EQ(state.stepCounter, 2);
    EXPECT_TRUE(AnalysisActionState(AnalysisAction::ExportCurve, state, view).enabled);
    EXPECT_STREQ(AnalysisActionText(AnalysisAction::ExportCurve), "Export Curve...");
    EXPECT_STREQ(AnalysisActionText(AnalysisAction::DefaultSize), "Default Size");
    EXPECT_STREQ(AnalysisActionText(AnalysisAction::AmplifyResponse), "Amplify the Response");
}

} // namespace

namespace torva {
namespace {

// Steps made elsewhere and published as copies: the same display as ticks that run them here.
std::vector<PublishedStep> PublishAll(PushoverDriver& run, int upTo) {
    std::vector<PublishedStep> steps;
    while (!run.Finished() && run.Step() < upTo) {
        PublishedStep step;
        step.status = run.RunStep();
        step.step = run.Step();
        if (step.status == 0) {
            const std::span<const double> results = run.Results().Buffer();
            step.results.assign(results.begin(), results.end());
            step.displacement = run.Results().ControlDisplacement();
            step.force = run.Results().ControlForce();
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

TEST_F(RunFixture, PublishedStepsFillTheDisplayAsTicksThatRunThemAndTheEndStopsTheTimer) {
    Play();
    // Two batches: the first leaves the timer running, the ended second stops it.
    std::vector<int> recorded;
    const auto record = [&](const PublishedStep& step) { recorded.push_back(step.step); };
    std::vector<PublishedStep> first = PublishAll(Run(), 5);
    ControlEffect effect = TakePublishedSteps(state, view, *scene, Run().RunMesh(), first, false, "", record);
    EXPECT_TRUE(effect.redraw);
    EXPECT_FALSE(effect.killTimer);
    EXPECT_EQ(state.stepCounter, 5);
    EXPECT_EQ(scene->shownDisp[0], static_cast<float>(first.back().results[2]));
    // A tick that finds no new step while the run goes on changes nothing: nothing to draw.
    effect = TakePublishedSteps(state, view, *scene, Run().RunMesh(), {}, false, "", record);
    EXPECT_FALSE(effect.redraw);
    EXPECT_FALSE(effect.killTimer);
    EXPECT_EQ(state.stepCounter, 5);
    std::vector<PublishedStep> rest = PublishAll(Run(), 12);
    effect = TakePublishedSteps(state, view, *scene, Run().RunMesh(), rest, true, "unused", record);
    EXPECT_TRUE(effect.killTimer);
    EXPECT_TRUE(effect.message.empty()); // every step was done
    EXPECT_EQ(state.timerStopped, 1);
    EXPECT_EQ(state.stepCounter, 12);
    EXPECT_EQ(ExportableSteps(state), 12);
    EXPECT_EQ(recorded, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    const std::vector<CurvePoint> alone = Uninterrupted();
    for (size_t k = 0; k < alone.size(); ++k)
        EXPECT_EQ(scene->controlHistory[2 * (k + 1) + 1], static_cast<float>(alone[k].force)) << k;
}

TEST_F(RunFixture, PausedNothingIsTakenAndAFailedLastStepGivesTheStopMessage) {
    model->Flag(2, 2, kPointForceLayer) = 0; // the control node cannot respond
    session->ModelChanged();
    Play();
    std::vector<PublishedStep> steps = PublishAll(Run(), 1);
    ASSERT_EQ(steps.size(), 1u);
    view.paused = 1;
    ControlEffect effect = TakePublishedSteps(state, view, *scene, Run().RunMesh(), steps, true, "why");
    EXPECT_FALSE(effect.killTimer);
    EXPECT_EQ(state.timerStopped, 0);
    view.paused = 0;
    effect = TakePublishedSteps(state, view, *scene, Run().RunMesh(), steps, true, Run().StopMessage());
    EXPECT_TRUE(effect.killTimer);
    EXPECT_EQ(state.engineStatus, engine::kStatusNoResponse);
    EXPECT_EQ(state.stepCounter, 0);
    EXPECT_EQ(effect.message, Run().StopMessage());
    EXPECT_FALSE(effect.message.empty());
}

TEST_F(RunFixture, ACancelledRunMakesNoFurtherStep) {
    Play();
    CancelToken cancel;
    EXPECT_EQ(Run().RunFor(
                  std::chrono::hours(1),
                  [&](int) {
                      if (Run().Step() == 4) cancel.Cancel();
                  },
                  &cancel),
              4);
    EXPECT_EQ(Run().Step(), 4);
    EXPECT_EQ(Run().RunFor(std::chrono::hours(1), {}, &cancel), 0);
    cancel.Reset();
    EXPECT_EQ(Run().RunFor(std::chrono::hours(1), {}, &cancel), 8);
    EXPECT_TRUE(Run().Finished());
}

} // namespace
} // namespace torva
