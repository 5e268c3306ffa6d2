#include "analysis/AnalysisState.h"

#include "analysis/AnalysisScene.h"
#include "analysis/FieldHistory.h"
#include "analysis/PushoverDriver.h"
#include "analysis/Session.h"
#include "model/FramePat.h"

#include <algorithm>
#include <cstdio>

namespace torva {

const char* AnalysisActionText(AnalysisAction action) {
    switch (action) {
    case AnalysisAction::ZoomPicture:
        return "Zoom Picture";
    case AnalysisAction::MovePicture:
        return "Move Picture";
    case AnalysisAction::DefaultSize:
        return "Default Size";
    case AnalysisAction::ActualSize:
        return "Actual Size";
    case AnalysisAction::Analyze:
        return "Analyze";
    case AnalysisAction::Play:
        return "Play";
    case AnalysisAction::Stop:
        return "Stop";
    case AnalysisAction::ExportCurve:
        return "Export Curve...";
    case AnalysisAction::ReduceResponse:
        return "Reduce the Response";
    case AnalysisAction::AmplifyResponse:
        return "Amplify the Response";
    case AnalysisAction::PrincipalStress:
        return "Principal Stress";
    case AnalysisAction::ViewSeparation:
        return "View Separation";
    case AnalysisAction::SaveData:
        return "Save Data";
    case AnalysisAction::ElasticRadio:
        return "Elastic analysis";
    case AnalysisAction::PushoverRadio:
        return "Nonlinear push-over analysis";
    case AnalysisAction::Pause:
    case AnalysisAction::RenderStressField:
        return "";
    }
    return "";
}

ActionState AnalysisActionState(AnalysisAction action, const AnalysisState& state, const ViewControl& view) {
    const bool running = state.analysisDone == 1 && state.analysisMode == AnalysisState::kPushoverMode;
    const bool timerStopped = state.timerStopped == 1;
    const bool actualSize = state.sizeMode == 1;
    auto set = [](bool enabled, bool radio, bool checked) { return ActionState{enabled, radio, checked}; };
    switch (action) {
    case AnalysisAction::ZoomPicture:
        return set(true, true, state.mouseMode == 0);
    case AnalysisAction::MovePicture:
        return set(true, true, state.mouseMode == 1);
    case AnalysisAction::DefaultSize:
        return set(timerStopped, true, state.sizeMode == 0);
    case AnalysisAction::ActualSize:
        return set(timerStopped, true, actualSize);
    case AnalysisAction::Analyze:
        // The analysis shows its results at actual size and switches there itself when it can.
        return set(actualSize || timerStopped, false, false);
    case AnalysisAction::Play:
        return set(running, false, false);
    case AnalysisAction::Stop:
        return set(running || state.analysing == 1, false, false);
    case AnalysisAction::Pause:
        return set(running, true, view.paused == 1);
    case AnalysisAction::ExportCurve:
        return set(ExportableSteps(state) > 0, false, false);
    case AnalysisAction::ReduceResponse:
    case AnalysisAction::AmplifyResponse:
    case AnalysisAction::RenderStressField:
        return set(true, false, false);
    case AnalysisAction::PrincipalStress:
        return set(true, true, view.showPrincipal == 1);
    case AnalysisAction::ViewSeparation:
        return set(actualSize, true, view.separation == 1);
    case AnalysisAction::SaveData:
        return set(actualSize, false, false);
    case AnalysisAction::ElasticRadio:
        return set(true, true, state.analysisMode == AnalysisState::kElasticMode);
    case AnalysisAction::PushoverRadio:
        return set(true, true, state.analysisMode == AnalysisState::kPushoverMode);
    }
    return {};
}

void SetMode(AnalysisState& state, ViewControl& view, int mode) {
    state.analysisMode = mode;
    view.separation = mode == AnalysisState::kPushoverMode ? 1 : 0;
}

ControlEffect StopStepTimer(AnalysisState& state) {
    ControlEffect effect;
    if (state.timerStopped == 0) {
        effect.killTimer = true;
        state.timerStopped = 1;
    }
    return effect;
}

void ClearRun(AnalysisState& state, AnalysisScene& scene, const CFramePat& model) {
    state.runSegments = model.segmentCount == 0 ? 1 : model.segmentCount;
    state.runStepsPerSegment = model.stepsPerSegment;
    state.recordedSteps = 0;
    scene.ClearRun(state.runSegments, model.segmentPoints, kSegmentPoints);
}

ControlEffect SceneReset(AnalysisState& state, AnalysisScene& scene, const CFramePat& model,
                         const NodeGridBuilder& buildGrid, ResultBuffer results) {
    float width = 0.0f, height = 0.0f;
    buildGrid(state.sizeMode, width, height);
    scene.projection.Fit(width, height);
    if (results.data) std::fill(results.data, results.data + results.size, 0.0);
    ClearRun(state, scene, model);
    state.stepCounter = 0;
    // A timer left running would keep ticking past the history rows once timerStopped says 1.
    return StopStepTimer(state);
}

namespace {

void RememberGrid(ViewControl& view, const CFramePat& model) {
    view.layers = model.topLayer + 1;
    view.columns = model.nxs - 2;
    view.rows = model.nys - 2;
}

// Merges what a later step asks for into what an earlier one did.
void Merge(ControlEffect& into, const ControlEffect& from) {
    into.redraw |= from.redraw;
    into.erase |= from.erase;
    into.killTimer |= from.killTimer;
    into.startTimer |= from.startTimer;
    into.hideResponseBar |= from.hideResponseBar;
    if (from.selectViewItem >= 0) into.selectViewItem = from.selectViewItem;
    if (!from.message.empty()) into.message = from.message;
}

} // namespace

ControlEffect InitialUpdate(AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                            const CFramePat& model, int clientWidth, int clientHeight,
                            const NodeGridBuilder& buildGrid, ResultBuffer results) {
    scene.projection.MeasureClient(clientWidth, clientHeight);
    view.paused = 0;
    state.mouseMode = 1;
    state.sizeMode = 0;
    view.showPrincipal = 1;
    view.renderOnce = 0;
    view.separation = 0;
    state.analysisDone = 0;
    state.analysisMode = AnalysisState::kElasticMode;
    state.glyphFactor = 1.0f;
    RememberGrid(view, model);
    ControlEffect effect = SceneReset(state, scene, model, buildGrid, results);
    SetMode(state, view, AnalysisState::kElasticMode);
    scene.viewKind = 0;
    effect.erase = true;
    return effect;
}

ControlEffect JoinUpdate(const AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                         const CFramePat& model, const MeshView& mesh, float modelWidth, float modelHeight,
                         int clientWidth, int clientHeight, ResultBuffer elastic,
                         const FieldHistory& history) {
    scene.projection.MeasureClient(clientWidth, clientHeight);
    view.paused = 0;
    view.showPrincipal = 1;
    view.renderOnce = 0;
    RememberGrid(view, model);
    scene.projection.Fit(modelWidth, modelHeight);
    scene.viewKind = 0;
    ControlEffect effect =
        FollowSession(state, view, scene, model, mesh, modelWidth, modelHeight, elastic, history);
    effect.erase = true;
    return effect;
}

ControlEffect FollowSession(const AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                            const CFramePat& model, const MeshView& mesh, float modelWidth, float modelHeight,
                            ResultBuffer elastic, const FieldHistory& history) {
    if (!scene.projection.FittedTo(modelWidth, modelHeight)) scene.projection.Fit(modelWidth, modelHeight);
    view.separation = state.analysisMode == AnalysisState::kPushoverMode ? 1 : 0;
    scene.ClearRun(state.runSegments, model.segmentPoints, kSegmentPoints);
    ControlEffect effect;
    effect.redraw = true;
    // Results out of date (or none) are not drawn by any view.
    if (state.analysisDone != 1) return effect;
    if (elastic.data) scene.ReadElasticResults(mesh, elastic.data, elastic.size);
    if (state.analysisMode != AnalysisState::kPushoverMode) {
        scene.FillDisplayFromElastic();
        return effect;
    }
    // The push-over as far as the session holds it: its curve, and the state of the step on show (the
    // newest held when that one was thinned out).
    const int count = history.Count();
    if (count > 0) {
        std::vector<int> steps(size_t(count), 0);
        int shown = count - 1;
        for (int i = 0; i < count; ++i) {
            steps[size_t(i)] = history.StepOf(i);
            if (steps[size_t(i)] == state.stepCounter) shown = i;
        }
        const std::vector<CapacityPoint> curve = history.Curve();
        scene.ReadControlCurve(steps, curve);
        scene.ReadStepField(mesh, history.Field(shown));
    }
    scene.FillDisplayFromStep();
    return effect;
}

ControlEffect DocumentUpdate(AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                             const CFramePat& model, const NodeGridBuilder& buildGrid, ResultBuffer results) {
    ControlEffect effect;
    if (view.layers != model.topLayer + 1 || view.columns != model.nxs - 2 || view.rows != model.nys - 2) {
        RememberGrid(view, model);
        effect = SceneReset(state, scene, model, buildGrid, results);
    }
    effect.erase = true;
    return effect;
}

ControlEffect ZoomPicture(AnalysisState& state) {
    state.mouseMode = 0;
    return {};
}

ControlEffect MovePicture(AnalysisState& state) {
    state.mouseMode = 1;
    return {};
}

ControlEffect DefaultSize(AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                          const CFramePat& model, int clientWidth, int clientHeight,
                          const NodeGridBuilder& buildGrid, ResultBuffer results) {
    state.sizeMode = 0;
    scene.projection.MeasureClient(clientWidth, clientHeight);
    state.analysisDone = 0;
    state.analysisMode = AnalysisState::kElasticMode;
    ControlEffect effect = SceneReset(state, scene, model, buildGrid, results);
    SetMode(state, view, AnalysisState::kElasticMode);
    effect.hideResponseBar = true;
    view.separation = 0;
    view.paused = 0;
    effect.redraw = true;
    return effect;
}

ControlEffect ActualSize(AnalysisState& state, AnalysisScene& scene, const CFramePat& model,
                         const NodeGridBuilder& buildGrid, ResultBuffer results) {
    // Already there: the grid is the same, and the results on display stay.
    if (state.sizeMode == 1) {
        ControlEffect effect;
        effect.redraw = true;
        return effect;
    }
    state.sizeMode = 1;
    ControlEffect effect = SceneReset(state, scene, model, buildGrid, results);
    effect.redraw = true;
    return effect;
}

ControlEffect BeginAnalyze(AnalysisState& state) {
    state.analysing = 1;
    return StopStepTimer(state);
}

ControlEffect AbandonAnalyze(AnalysisState& state) {
    state.analysing = 0;
    return StopStepTimer(state);
}

ControlEffect FinishAnalyze(AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                            const CFramePat& model, const MeshView& mesh, ResultBuffer results, int status,
                            const std::string& failure) {
    // A new analysis ends any animation of the previous one.
    ControlEffect effect = StopStepTimer(state);
    state.analysing = 0;
    state.engineStatus = status;
    if (status != 0) {
        effect.message = failure.empty() ? EngineStatusMessage(status) : failure;
        return effect;
    }
    if (!results.data || results.size < AnalysisScene::ResultValuesNeeded(mesh) ||
        mesh.nodeCount > AnalysisScene::kNodeCapacity ||
        mesh.elementCount > AnalysisScene::kElementCapacity) {
        effect.message = "The results of the analysis do not fit the mesh on display; nothing was read.";
        return effect;
    }
    ClearRun(state, scene, model);
    state.stepCounter = 1;
    state.resultsOutOfDate = 0;
    scene.ReadElasticResults(mesh, results.data, results.size);
    scene.ReadStepResults(mesh, results.data, results.size, state.stepCounter);
    Merge(effect, ShowElastic(state, view, scene));
    effect.selectViewItem = 0;
    return effect;
}

ControlEffect ShowElastic(AnalysisState& state, ViewControl& view, AnalysisScene& scene) {
    SetMode(state, view, AnalysisState::kElasticMode);
    view.paused = 0;
    state.responseScale = 1.0f;
    scene.FillDisplayFromElastic();
    // Results of an earlier model are never drawn on this one.
    state.analysisDone = state.resultsOutOfDate == 1 ? 0 : 1;
    ControlEffect effect;
    effect.redraw = true;
    return effect;
}

ControlEffect ShowPushover(AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                           const CFramePat& model) {
    ControlEffect effect;
    if (model.controlNode == 0) {
        effect.message = kNoControlNodeText;
        SetMode(state, view, AnalysisState::kElasticMode);
        return effect;
    }
    SetMode(state, view, AnalysisState::kPushoverMode);
    state.stepCounter = 0;
    view.paused = 0;
    state.responseScale = 1.0f;
    scene.FillDisplayFromStep();
    state.analysisDone = state.resultsOutOfDate == 1 ? 0 : 1;
    effect.redraw = true;
    return effect;
}

ControlEffect Play(AnalysisState& state, ViewControl& view, AnalysisScene& scene, const CFramePat& model,
                   int viewSelection) {
    const long long segments = model.segmentCount == 0 ? 1 : model.segmentCount;
    const long long total = segments * model.stepsPerSegment;
    if (total > AnalysisScene::kStepCapacity) {
        ControlEffect refused;
        char text[200];
        std::snprintf(text, sizeof text,
                      "The run has %lld steps, but at most %d steps can be recorded. "
                      "Reduce the steps per segment or the number of segments.",
                      total, AnalysisScene::kStepCapacity);
        refused.message = text;
        return refused;
    }
    ControlEffect effect = StopStepTimer(state);
    state.stepCounter = 0;
    view.paused = 0;
    effect.startTimer = true;
    state.timerStopped = 0;
    scene.viewKind = viewSelection;
    ClearRun(state, scene, model);
    return effect;
}

ControlEffect PlayPushover(AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                           const CFramePat& model, analysis::Session& session, int viewSelection) {
    std::string refusal;
    if (!session.StartPushover(model, refusal)) {
        ControlEffect refused;
        refused.message = refusal;
        return refused;
    }
    return Play(state, view, scene, model, viewSelection);
}

ControlEffect Stop(AnalysisState& state) {
    return StopStepTimer(state);
}

ControlEffect TogglePause(ViewControl& view) {
    view.paused = view.paused == 0 ? 1 : 0;
    return {};
}

namespace {

// One tick of a running push-over: engine steps for at most `budget`, each read with the mesh it was
// packed from into the row of its step, then the last one shown.
ControlEffect AdvanceRun(AnalysisState& state, AnalysisScene& scene, PushoverDriver& run,
                         std::chrono::steady_clock::duration budget,
                         const std::function<void(int step)>& afterStep) {
    ControlEffect effect;
    const MeshView mesh = run.RunMesh();
    run.RunFor(budget, [&](int status) {
        state.engineStatus = status;
        if (status != 0) return;
        state.stepCounter = run.Step();
        state.recordedSteps = state.stepCounter;
        const std::span<const double> results = run.Results().Buffer();
        scene.ReadStepResults(mesh, results.data(), static_cast<int>(results.size()), state.stepCounter);
        if (afterStep) afterStep(state.stepCounter);
    });
    scene.FillDisplayFromStep();
    if (state.engineStatus > 0) effect.message = run.StopMessage();
    return effect;
}

} // namespace

ControlEffect Tick(AnalysisState& state, ViewControl& view, AnalysisScene& scene, PushoverDriver* run,
                   std::chrono::steady_clock::duration budget,
                   const std::function<void(int step)>& afterStep) {
    ControlEffect effect;
    if (view.paused == 0) {
        if (state.analysisMode == AnalysisState::kElasticMode) {
            scene.FillDisplayFromElastic();
        } else if (state.analysisMode == AnalysisState::kPushoverMode) {
            if (run && run->Running()) effect = AdvanceRun(state, scene, *run, budget, afterStep);
            // Nothing more to compute: the last step, a step the engine could not do, or no run.
            if (!run || !run->Running()) Merge(effect, StopStepTimer(state));
        }
        effect.redraw = true;
    }
    if (state.stepCounter >= state.StepTotal()) Merge(effect, StopStepTimer(state));
    return effect;
}

ControlEffect TakePublishedSteps(AnalysisState& state, const ViewControl& view, AnalysisScene& scene,
                                 const MeshView& mesh, std::span<const PublishedStep> steps, bool ended,
                                 const std::string& stopMessage,
                                 const std::function<void(const PublishedStep& step)>& afterStep) {
    ControlEffect effect;
    if (view.paused != 0) return effect;
    // Every step joins the histories; only the last one done is displayed.
    const PublishedStep* shown = nullptr;
    for (const PublishedStep& step : steps)
        if (step.status == 0) shown = &step;
    for (const PublishedStep& step : steps) {
        state.engineStatus = step.status;
        if (step.status != 0) continue;
        state.stepCounter = step.step;
        state.recordedSteps = step.step;
        const int count = static_cast<int>(step.results.size());
        if (&step == shown)
            scene.ReadStepResults(mesh, step.results.data(), count, step.step);
        else
            scene.ReadStepHistory(mesh, step.results.data(), count, step.step);
        if (afterStep) afterStep(step);
    }
    // No new step, nothing new to draw.
    if (!steps.empty()) scene.FillDisplayFromStep();
    effect.redraw = !steps.empty() || ended;
    if (ended) {
        if (state.engineStatus > 0) effect.message = stopMessage;
        Merge(effect, StopStepTimer(state));
    }
    return effect;
}

int ExportableSteps(const AnalysisState& state) {
    if (state.analysisDone != 1 || state.analysisMode != AnalysisState::kPushoverMode) return 0;
    return std::clamp(std::min(state.stepCounter, state.recordedSteps), 0, AnalysisScene::kStepCapacity);
}

ControlEffect AmplifyResponse(AnalysisState& state, ViewControl& view) {
    (view.readingAids ? view.multiplier : state.responseScale) *= 2.0f;
    ControlEffect effect;
    effect.redraw = true;
    return effect;
}

ControlEffect ReduceResponse(AnalysisState& state, ViewControl& view) {
    (view.readingAids ? view.multiplier : state.responseScale) *= 0.5f;
    ControlEffect effect;
    effect.redraw = true;
    return effect;
}

ControlEffect TogglePrincipal(ViewControl& view) {
    view.showPrincipal = view.showPrincipal == 1 ? 0 : 1;
    ControlEffect effect;
    effect.redraw = true;
    return effect;
}

ControlEffect ToggleSeparation(ViewControl& view) {
    view.separation = view.separation == 1 ? 0 : 1;
    ControlEffect effect;
    effect.redraw = true;
    return effect;
}

ControlEffect ChooseView(AnalysisState& state, ViewControl& view, AnalysisScene& scene, int selection) {
    scene.viewKind = selection;
    SetMode(state, view, AnalysisState::kPushoverMode);
    ControlEffect effect;
    effect.redraw = true;
    return effect;
}

float GlyphFactorOf(int position) {
    const double p = position;
    return static_cast<float>(1.0 + 0.0225 * p + 0.000175 * p * p);
}

ControlEffect ReleaseTrackbar(AnalysisState& state, int position) {
    state.glyphFactor = GlyphFactorOf(position);
    ControlEffect effect;
    effect.erase = true;
    return effect;
}

void BeginRenderOnce(ViewControl& view) {
    view.renderOnce = 1;
}
void EndRenderOnce(ViewControl& view) {
    view.renderOnce = 0;
}

bool ShouldRenderStressField(const AnalysisState& state, const ViewControl& view) {
    return view.renderOnce == 1 && state.analysisDone == 1;
}

ControlEffect DragPicture(const AnalysisState& state, AnalysisScene& scene, int dx, int dy) {
    scene.projection.Drag(state.mouseMode, dx, dy);
    ControlEffect effect;
    effect.redraw = true;
    return effect;
}

} // namespace torva
