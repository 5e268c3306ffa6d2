// The analysis command rules: enabling and marks, Analyze and its failures, the mode switches, Play,
// pause and the tick, the response scale, the trackbar, size modes, mouse navigation, the history
// capacity and the overlay texts.
#include "analysis/AnalysisState.h"

#include "TestMesh.h"
#include "analysis/AnalysisScene.h"
#include "analysis/OverlayText.h"
#include "model/FramePat.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace torva;
using torva::test::RowMesh;
using torva::test::TestMesh;

namespace {

// One analysis view on a 2 × 1 model, with a stand-in for the mesh's node grid and the engine buffer.
struct ViewFixture : ::testing::Test {
    AnalysisState state;
    ViewControl view;
    std::unique_ptr<AnalysisScene> scene = std::make_unique<AnalysisScene>();
    std::unique_ptr<CFramePat> model = std::make_unique<CFramePat>();
    TestMesh mesh = RowMesh({0, 1000, 2000}, 500);
    std::vector<double> buffer = std::vector<double>(1000, 0.0);
    int gridBuilds = 0;
    int lastGridSizeMode = -1;
    NodeGridBuilder grid = [this](int sizeMode, float& width, float& height) {
        ++gridBuilds;
        lastGridSizeMode = sizeMode;
        width = sizeMode == 1 ? 2000.0f : 2.0f;
        height = sizeMode == 1 ? 500.0f : 1.0f;
    };

    ResultBuffer Results() { return {buffer.data(), static_cast<int>(buffer.size())}; }

    void SetUp() override {
        model->controlNode = PositionCode(4, 3);
        model->segmentCount = 1;
        model->stepsPerSegment = 500;
        InitialUpdate(state, view, *scene, *model, 400, 600, grid, Results());
    }

    ActionState Update(AnalysisAction action) { return AnalysisActionState(action, state, view); }

    // The engine's elastic answer: recognisable values in every slot.
    void FillBuffer(double base) {
        for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = base + static_cast<double>(i);
    }

    ControlEffect Analyze(int status = 0) {
        FillBuffer(10.0);
        state.stepCounter = 1; // as the engine leaves it
        return FinishAnalyze(state, view, *scene, *model, mesh.View(), Results(), status);
    }
};

} // namespace

TEST_F(ViewFixture, InitialUpdateFitsTheDefaultSizeGridAndStartsElastic) {
    EXPECT_EQ(gridBuilds, 1);
    EXPECT_EQ(lastGridSizeMode, 0);
    EXPECT_FLOAT_EQ(scene->projection.baseScale, 0.6f * 600.0f / 2.0f);
    EXPECT_EQ(scene->projection.originX, 80);
    EXPECT_EQ(scene->projection.originY, 120);
    EXPECT_EQ(state.mouseMode, 1);
    EXPECT_EQ(state.analysisMode, 1);
    EXPECT_EQ(state.timerStopped, 1);
    EXPECT_EQ(view.separation, 0);
    EXPECT_TRUE(Update(AnalysisAction::ElasticRadio).checked);
    EXPECT_FALSE(Update(AnalysisAction::PushoverRadio).checked);
    EXPECT_TRUE(Update(AnalysisAction::MovePicture).checked);
    EXPECT_TRUE(Update(AnalysisAction::DefaultSize).checked);
    EXPECT_TRUE(Update(AnalysisAction::PrincipalStress).checked);
    EXPECT_FALSE(Update(AnalysisAction::Play).enabled);
}

TEST_F(ViewFixture, SaveDataAndSeparationNeedActualSizeAnalyzeDoesNot) {
    // Analyze does not depend on the size shown: it switches to actual size itself.
    EXPECT_TRUE(Update(AnalysisAction::Analyze).enabled);
    for (AnalysisAction id : {AnalysisAction::SaveData, AnalysisAction::ViewSeparation})
        EXPECT_FALSE(Update(id).enabled) << static_cast<int>(id);
    ActualSize(state, *scene, *model, grid, Results());
    EXPECT_EQ(lastGridSizeMode, 1);
    EXPECT_FLOAT_EQ(scene->projection.baseScale, 0.6f * 600.0f / 2000.0f);
    for (AnalysisAction id :
         {AnalysisAction::Analyze, AnalysisAction::SaveData, AnalysisAction::ViewSeparation})
        EXPECT_TRUE(Update(id).enabled) << static_cast<int>(id);
    EXPECT_TRUE(Update(AnalysisAction::ActualSize).checked);
    EXPECT_FALSE(Update(AnalysisAction::DefaultSize).checked);
}

TEST_F(ViewFixture, AnalyzeShowsTheElasticResultAtStepOne) {
    ActualSize(state, *scene, *model, grid, Results());
    AmplifyResponse(state, view);
    ChooseView(state, view, *scene, 2);
    const ControlEffect effect = Analyze();
    EXPECT_TRUE(effect.message.empty());
    EXPECT_EQ(effect.selectViewItem, 0);
    EXPECT_TRUE(effect.redraw);
    EXPECT_EQ(state.stepCounter, 1);
    EXPECT_FLOAT_EQ(state.responseScale, 1.0f);
    EXPECT_EQ(state.analysisMode, 1);
    EXPECT_EQ(state.analysisDone, 1);
    EXPECT_EQ(view.separation, 0);
    EXPECT_TRUE(Update(AnalysisAction::ElasticRadio).checked);
    // The displayed displacements are the engine's, node by node.
    for (int k = 0; k < 6; ++k) {
        EXPECT_FLOAT_EQ(scene->shownDisp[2 * k], static_cast<float>(buffer[2 + 2 * k]));
        EXPECT_FLOAT_EQ(scene->shownDisp[2 * k + 1], static_cast<float>(buffer[3 + 2 * k]));
    }
    EXPECT_FLOAT_EQ(scene->shownGauss[AnalysisScene::GaussIndex(1, 8) + 2],
                    static_cast<float>(buffer[14 + 53]));
    EXPECT_FLOAT_EQ(scene->controlHistory[2], 10.0f);
}

TEST_F(ViewFixture, AFailedAnalysisLeavesTheDisplayAsItWas) {
    ActualSize(state, *scene, *model, grid, Results());
    Analyze();
    const float shown = scene->shownDisp[4];
    ControlEffect effect = Analyze(4);
    EXPECT_NE(effect.message.find("unstable"), std::string::npos);
    EXPECT_EQ(state.engineStatus, 4);
    EXPECT_FLOAT_EQ(scene->shownDisp[4], shown);
    EXPECT_EQ(effect.selectViewItem, -1);

    // A buffer too short for the mesh on display is refused before anything is cleared.
    buffer.resize(20);
    effect = Analyze();
    EXPECT_FALSE(effect.message.empty());
    EXPECT_FLOAT_EQ(scene->shownDisp[4], shown);
    EXPECT_FALSE(EngineStatusMessage(3).empty());
    EXPECT_TRUE(EngineStatusMessage(0).empty());
}

TEST_F(ViewFixture, AnAnalyzeInAnotherThreadEnablesStopUntilItsEndAndTellsTheEnginesOwnAccount) {
    ActualSize(state, *scene, *model, grid, Results());
    Analyze();
    const float shown = scene->shownDisp[4];
    EXPECT_FALSE(Update(AnalysisAction::Stop).enabled); // elastic results: nothing runs
    BeginAnalyze(state);
    EXPECT_EQ(state.analysing, 1);
    EXPECT_TRUE(Update(AnalysisAction::Stop).enabled);
    EXPECT_FALSE(Update(AnalysisAction::Play).enabled);
    // The engine's own account of a refusal replaces the general text; the display stays.
    FillBuffer(99.0);
    ControlEffect effect = FinishAnalyze(state, view, *scene, *model, mesh.View(), Results(), 5,
                                         "The model cannot be analysed (step 1): it needs 12 elements.");
    EXPECT_EQ(effect.message, "The model cannot be analysed (step 1): it needs 12 elements.");
    EXPECT_EQ(state.analysing, 0);
    EXPECT_FALSE(Update(AnalysisAction::Stop).enabled);
    EXPECT_FLOAT_EQ(scene->shownDisp[4], shown);
    // Abandoned: nothing read, nothing told.
    BeginAnalyze(state);
    effect = AbandonAnalyze(state);
    EXPECT_TRUE(effect.message.empty());
    EXPECT_EQ(state.analysing, 0);
    EXPECT_EQ(state.engineStatus, 5);
    EXPECT_FLOAT_EQ(scene->shownDisp[4], shown);
}

TEST_F(ViewFixture, ViewChoiceTurnsOnPushoverAndSeparationAndElasticTurnsThemOff) {
    ChooseView(state, view, *scene, 3);
    EXPECT_EQ(scene->viewKind, 3);
    EXPECT_TRUE(Update(AnalysisAction::PushoverRadio).checked);
    EXPECT_FALSE(Update(AnalysisAction::ElasticRadio).checked);
    EXPECT_EQ(view.separation, 1);
    ShowElastic(state, view, *scene);
    EXPECT_TRUE(Update(AnalysisAction::ElasticRadio).checked);
    EXPECT_EQ(view.separation, 0);
}

TEST_F(ViewFixture, PushoverWithoutControlNodeIsRefusedAndFallsBackToElastic) {
    model->controlNode = 0;
    const ControlEffect effect = ShowPushover(state, view, *scene, *model);
    EXPECT_EQ(effect.message, "Set the control node: Member \u25B8 Check Control Node, then click a node.");
    EXPECT_EQ(state.analysisMode, 1);
    EXPECT_EQ(view.separation, 0);
    EXPECT_EQ(state.analysisDone, 0);

    model->controlNode = PositionCode(3, 3);
    scene->stepDisp[0] = 4.0;
    state.responseScale = 8.0f;
    const ControlEffect shown = ShowPushover(state, view, *scene, *model);
    EXPECT_TRUE(shown.message.empty());
    EXPECT_EQ(state.analysisMode, 2);
    EXPECT_EQ(state.stepCounter, 0);
    EXPECT_FLOAT_EQ(state.responseScale, 1.0f);
    EXPECT_FLOAT_EQ(scene->shownDisp[0], 4.0f);
    EXPECT_EQ(state.analysisDone, 1);
}

TEST_F(ViewFixture, PlayStartsTheTimerAndATickWithoutARunHasNothingToComputeAndStops) {
    ActualSize(state, *scene, *model, grid, Results());
    Analyze();
    ShowPushover(state, view, *scene, *model);
    ASSERT_TRUE(Update(AnalysisAction::Play).enabled);
    ControlEffect effect = Play(state, view, *scene, *model, 1);
    EXPECT_TRUE(effect.startTimer);
    EXPECT_FALSE(effect.killTimer);
    EXPECT_EQ(state.timerStopped, 0);
    EXPECT_EQ(scene->viewKind, 1);
    EXPECT_FALSE(Update(AnalysisAction::DefaultSize).enabled);
    EXPECT_FALSE(Update(AnalysisAction::ActualSize).enabled);
    // Play cleared the run: the elastic step is gone from the display.
    EXPECT_FLOAT_EQ(scene->shownDisp[0], 0.0f);

    effect = Tick(state, view, *scene, nullptr);
    EXPECT_TRUE(effect.killTimer);
    EXPECT_TRUE(effect.redraw);
    EXPECT_EQ(state.stepCounter, 0);
    EXPECT_EQ(state.timerStopped, 1);
    EXPECT_TRUE(Update(AnalysisAction::Play).enabled);
    EXPECT_TRUE(Update(AnalysisAction::DefaultSize).enabled);
    EXPECT_EQ(StepText(state.stepCounter, state.StepTotal()), "0 / 500");
    EXPECT_FALSE(Update(AnalysisAction::ExportCurve).enabled); // no step was recorded

    // A second Stop has no timer to kill.
    EXPECT_FALSE(Stop(state).killTimer);
}

TEST_F(ViewFixture, PauseHoldsTheStepAndPlayStartsAgainFromZero) {
    ActualSize(state, *scene, *model, grid, Results());
    Analyze();
    ShowPushover(state, view, *scene, *model);
    Play(state, view, *scene, *model, 0);
    state.stepCounter = 3;
    TogglePause(view);
    EXPECT_TRUE(Update(AnalysisAction::Pause).checked);
    ControlEffect effect = Tick(state, view, *scene, nullptr);
    EXPECT_EQ(state.stepCounter, 3);
    EXPECT_FALSE(effect.killTimer);
    EXPECT_FALSE(effect.redraw); // nothing changed
    EXPECT_EQ(state.timerStopped, 0);
    TogglePause(view);
    EXPECT_FALSE(Update(AnalysisAction::Pause).checked);

    effect = Play(state, view, *scene, *model, 0);
    EXPECT_EQ(state.stepCounter, 0);
    EXPECT_EQ(view.paused, 0);
}

TEST_F(ViewFixture, PlayRunningIntoTheStepLimitStopsTheTimer) {
    model->stepsPerSegment = 1;
    ActualSize(state, *scene, *model, grid, Results());
    Analyze();
    ShowPushover(state, view, *scene, *model);
    Play(state, view, *scene, *model, 0);
    // An elastic tick does not advance, and stops once the step counter has reached the run's total.
    SetMode(state, view, 1);
    state.stepCounter = 1;
    const ControlEffect effect = Tick(state, view, *scene, nullptr);
    EXPECT_TRUE(effect.killTimer);
    EXPECT_EQ(state.stepCounter, 1);
}

TEST_F(ViewFixture, ARunLongerThanTheHistoryIsRefusedBeforeItStarts) {
    ActualSize(state, *scene, *model, grid, Results());
    Analyze();
    ShowPushover(state, view, *scene, *model);
    model->segmentCount = 121;
    model->stepsPerSegment = 500; // 60,500 steps
    scene->graphCounterX = 5;
    state.stepCounter = 7;
    ControlEffect effect = Play(state, view, *scene, *model, 0);
    EXPECT_NE(effect.message.find("60500"), std::string::npos);
    EXPECT_FALSE(effect.startTimer);
    EXPECT_EQ(state.timerStopped, 1);
    EXPECT_EQ(state.stepCounter, 7);
    EXPECT_EQ(scene->graphCounterX, 5);

    model->segmentCount = 120; // exactly 60,000 fits
    effect = Play(state, view, *scene, *model, 0);
    EXPECT_TRUE(effect.message.empty());
    EXPECT_TRUE(effect.startTimer);
    EXPECT_EQ(state.runSegments, 120);
    EXPECT_EQ(state.StepTotal(), 60000);

    // A segment count of 0 counts as one segment.
    Stop(state);
    model->segmentCount = 0;
    model->stepsPerSegment = 60001;
    EXPECT_FALSE(Play(state, view, *scene, *model, 0).message.empty());
}

TEST_F(ViewFixture, ASceneResetKillsARunningTimer) {
    ActualSize(state, *scene, *model, grid, Results());
    Analyze();
    ShowPushover(state, view, *scene, *model);
    Play(state, view, *scene, *model, 0);
    model->nxs += 1;
    const ControlEffect effect = DocumentUpdate(state, view, *scene, *model, grid, Results());
    EXPECT_TRUE(effect.killTimer);
    EXPECT_TRUE(effect.erase);
    EXPECT_EQ(state.timerStopped, 1);
    EXPECT_EQ(state.stepCounter, 0);
    EXPECT_EQ(buffer[5], 0.0); // the engine's buffer is emptied
}

TEST_F(ViewFixture, DocumentUpdateResetsOnlyWhenLayersOrGridChange) {
    const int builds = gridBuilds;
    scene->projection.zoom = 3.0f;
    DocumentUpdate(state, view, *scene, *model, grid, Results());
    EXPECT_EQ(gridBuilds, builds);
    EXPECT_FLOAT_EQ(scene->projection.zoom, 3.0f);
    model->topLayer += 1;
    DocumentUpdate(state, view, *scene, *model, grid, Results());
    EXPECT_EQ(gridBuilds, builds + 1);
    EXPECT_FLOAT_EQ(scene->projection.zoom, 1.0f);
    DocumentUpdate(state, view, *scene, *model, grid, Results());
    EXPECT_EQ(gridBuilds, builds + 1);
}

TEST_F(ViewFixture, AnalyzeEndsAnAnimationLeftRunning) {
    ActualSize(state, *scene, *model, grid, Results());
    Analyze();
    ShowPushover(state, view, *scene, *model);
    Play(state, view, *scene, *model, 0);
    TogglePause(view);
    const ControlEffect effect = Analyze();
    EXPECT_TRUE(effect.killTimer);
    EXPECT_EQ(state.timerStopped, 1);
    EXPECT_EQ(view.paused, 0);
}

TEST_F(ViewFixture, DefaultSizeForgetsTheResultsAndHidesTheResponseBar) {
    ActualSize(state, *scene, *model, grid, Results());
    Analyze();
    ChooseView(state, view, *scene, 1);
    scene->projection.Drag(1, 30, 30);
    const ControlEffect effect = DefaultSize(state, view, *scene, *model, 500, 700, grid, Results());
    EXPECT_TRUE(effect.hideResponseBar);
    EXPECT_EQ(state.sizeMode, 0);
    EXPECT_EQ(state.analysisDone, 0);
    EXPECT_EQ(state.analysisMode, 1);
    EXPECT_EQ(view.separation, 0);
    EXPECT_EQ(scene->projection.originX, 100);
    EXPECT_EQ(scene->projection.originY, 140);
    EXPECT_FALSE(Update(AnalysisAction::Play).enabled);
    EXPECT_TRUE(Update(AnalysisAction::Analyze).enabled); // the size shown has nothing to do with it
    EXPECT_FLOAT_EQ(scene->shownDisp[0], 0.0f);
}

TEST_F(ViewFixture, AmplifyThreeTimesThenReduceGivesFour) {
    AmplifyResponse(state, view);
    AmplifyResponse(state, view);
    AmplifyResponse(state, view);
    ReduceResponse(state, view);
    EXPECT_FLOAT_EQ(state.responseScale, 4.0f);
    EXPECT_EQ(AmpText(state.responseScale), "Amp  4.00");
    EXPECT_EQ(AmpText(0.5f), "Amp  0.50");
    EXPECT_EQ(AmpText(128.0f), "Amp 128.00");
}

TEST_F(ViewFixture, TrackbarSetsTheGlyphFactor) {
    EXPECT_FLOAT_EQ(GlyphFactorOf(50), 2.5625f);
    EXPECT_FLOAT_EQ(GlyphFactorOf(-100), 0.5f);
    EXPECT_FLOAT_EQ(GlyphFactorOf(100), 5.0f);
    EXPECT_FLOAT_EQ(GlyphFactorOf(0), 1.0f);
    const ControlEffect effect = ReleaseTrackbar(state, 50);
    EXPECT_FLOAT_EQ(state.glyphFactor, 2.5625f);
    EXPECT_TRUE(effect.erase);
}

TEST_F(ViewFixture, ADragPansOrZoomsAsTheMouseModeSays) {
    MovePicture(state);
    EXPECT_TRUE(Update(AnalysisAction::MovePicture).checked);
    EXPECT_FALSE(Update(AnalysisAction::ZoomPicture).checked);
    const int originX = scene->projection.originX, originY = scene->projection.originY;
    EXPECT_TRUE(DragPicture(state, *scene, 10, -5).redraw);
    EXPECT_EQ(scene->projection.originX, originX + 10);
    EXPECT_EQ(scene->projection.originY, originY - 5);
    EXPECT_FLOAT_EQ(scene->projection.zoom, 1.0f);

    ZoomPicture(state);
    EXPECT_TRUE(Update(AnalysisAction::ZoomPicture).checked);
    DragPicture(state, *scene, 30, 20);
    EXPECT_FLOAT_EQ(scene->projection.zoom, 1.5f);
    EXPECT_EQ(scene->projection.originX, originX + 10); // zooming keeps the origin
    DragPicture(state, *scene, -500, 0);
    EXPECT_FLOAT_EQ(scene->projection.zoom, 0.2f); // never below
}

TEST_F(ViewFixture, TheStressFieldIsRenderedOnlyOnceAndOnlyWithResults) {
    BeginRenderOnce(view);
    EXPECT_FALSE(ShouldRenderStressField(state, view));
    state.analysisDone = 1;
    EXPECT_TRUE(ShouldRenderStressField(state, view));
    EndRenderOnce(view);
    EXPECT_FALSE(ShouldRenderStressField(state, view));
}
