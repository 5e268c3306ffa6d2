#pragma once
// The analysis state shared by every analysis view, the per-view control values, and the rules of the
// analysis commands: what each command changes, when it is enabled and marked. The window turns menu,
// toolbar, bar, mouse and timer events into these calls and carries out the returned ControlEffect
// (timer, redraw, message box, bar and list changes); nothing here touches a widget.
//
// The run: "Analyze" calls the engine once in elastic mode and shows that result. The push-over radio
// shows the step arrays; "Play" packs the model, starts a push-over run of its loading and the 1-ms step
// timer. Every tick runs engine steps for at most a slice of time, records each step in the scene's
// arrays and histories, and shows the last; the timer stops at the run's last step, on "Stop", or at a
// step the engine cannot do (with a message naming the step). While paused a tick does nothing, and
// resuming continues the same run. A run the loading or the histories (60,000 steps) cannot hold is
// refused before it starts.
#include "analysis/AnalysisAction.h"
#include "analysis/EngineStatus.h"
#include "analysis/MeshView.h"
#include "analysis/PublishedStep.h"

#include <chrono>
#include <functional>
#include <span>
#include <string>

namespace torva {

class AnalysisScene;
class CFramePat;
class FieldHistory;
class Mesh;
class PushoverDriver;
namespace analysis {
class Session;
}

struct AnalysisState {
    static constexpr int kElasticMode = 1;
    static constexpr int kPushoverMode = 2;

    int analysisMode = kElasticMode; // 1 elastic, 2 push-over; handed to the engine
    int stepCounter = 0;             // the engine's step argument (0 = not initialised)
    int engineStatus = 0;            // the engine's status word; > 0 stops the step timer
    int analysisDone = 0;            // 1 once results are shown
    int resultsOutOfDate = 0;        // 1 once the model changed after the results held were computed
    int timerStopped = 1;            // 1 = no step timer running
    float responseScale = 1.0f;      // amplification of the displayed response
    float glyphFactor = 1.0f;        // scale of the principal-stress crosses, from the "Floor" trackbar
    int runSegments = 1;             // the model's segment count (0 taken as 1) when the run was cleared
    int runStepsPerSegment = 0;
    int recordedSteps = 0; // push-over steps recorded in the scene since the run was last cleared
    int sizeMode = 0;      // 0 every span drawn 1 mm long ("Default Size"), 1 true spans ("Actual Size")
    int mouseMode = 1;     // 0 a drag zooms, 1 a drag pans
    int analysing = 0;     // 1 while an "Analyze" runs in another thread (Stop ends it)

    // Steps of a whole run: steps per segment × segments.
    long long StepTotal() const { return static_cast<long long>(runStepsPerSegment) * runSegments; }
};

// Per analysis view.
struct ViewControl {
    int paused = 0;
    int separation = 0; // 1 = the response strip is shown below the plot
    int showPrincipal = 1;
    int renderOnce = 0; // 1 while the one-shot filled stress rendering is being drawn
    // The window's own reading aids: the displacements drawn at the automatic scale times this view's
    // multiplier (else at the state's responseScale), the model fitted centred into the plot, and the
    // supports, control node and output elements drawn.
    bool readingAids = false;
    float multiplier = 1.0f; // "Amplify"/"Reduce the Response" double or halve it with reading aids on
    // Remembered at the last scene reset: topLayer + 1, nxs − 2, nys − 2.
    int layers = 0, columns = 0, rows = 0;
};

// What the window has to do after a call; the state is already changed.
struct ControlEffect {
    bool redraw = false;          // invalidate the client area (without erasing)
    bool erase = false;           // invalidate and erase
    bool killTimer = false;       // kill step timer 1
    bool startTimer = false;      // start step timer 1 (every millisecond), after any kill
    bool hideResponseBar = false; // hide the "Response Setting" bar
    int selectViewItem = -1;      // select this item of the "View" list without treating it as a choice
    std::string message;          // show in a message box with an OK button
};

// Rebuilds the mesh's node grid for a size mode and returns the model's width and height in mm.
using NodeGridBuilder = std::function<void(int sizeMode, float& width, float& height)>;

// The engine's result buffer.
struct ResultBuffer {
    double* data = nullptr;
    int size = 0;
};

inline constexpr const char* kNoControlNodeText =
    "Set the control node: Member \u25B8 Check Control Node, then click a node.";
inline constexpr const char* kResultsOutOfDateText = "Results are out of date \u2014 Analyze again";
inline constexpr const char* kDrawingFinishedText = "Drawing Finished.";
inline constexpr const char* kDefaultSizeDiscardsText =
    "Default Size draws every span 1 mm long and discards the results of the analysis. Discard them?";
inline constexpr const char* kBusyText = "Wait for a moment...";
// Engine time one tick may take before the window gets control back; a step of the largest model costs
// well under 20 ms and its repaint under 30 ms, so the window is never held much beyond 100 ms.
inline constexpr std::chrono::milliseconds kStepSlice{40};
inline constexpr int kViewItemCount = 4;
inline constexpr const char* kViewItems[kViewItemCount] = {
    "1: Force-Deformation", "2: Concrete Stress-Strain", "3: Rebar Stress-Strain", "4: Discrete Element F-D"};

// The enabling and mark of an action (the radios mirror analysisMode).
ActionState AnalysisActionState(AnalysisAction action, const AnalysisState& state, const ViewControl& view);

// Mode m: analysisMode = m, the response strip off in elastic mode and on in push-over mode.
void SetMode(AnalysisState& state, ViewControl& view, int mode);
// Kills the step timer if it runs.
ControlEffect StopStepTimer(AnalysisState& state);
// Empties the run: the scene's run arrays, and runSegments, runStepsPerSegment and the segment bounds
// from the model.
void ClearRun(AnalysisState& state, AnalysisScene& scene, const CFramePat& model);
// A new node grid, fitted to the plot, an empty run and an engine result buffer of zeros.
ControlEffect SceneReset(AnalysisState& state, AnalysisScene& scene, const CFramePat& model,
                         const NodeGridBuilder& buildGrid, ResultBuffer results);

// The view's first display, with its client size.
ControlEffect InitialUpdate(AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                            const CFramePat& model, int clientWidth, int clientHeight,
                            const NodeGridBuilder& buildGrid, ResultBuffer results);
// The first display of a view that opens on a session already shown by another view, or holding
// results: the session's state (mode, size, step, run) stays as the other views left it, and so do its
// mesh and results; only this view starts afresh (its controls, the model fitted to its client), and its
// scene reads what the session has on display: the elastic results (`elastic`, the session's buffer)
// and, in push-over mode, the curve so far and the step on show from the session's history.
ControlEffect JoinUpdate(const AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                         const CFramePat& model, const MeshView& mesh, float modelWidth, float modelHeight,
                         int clientWidth, int clientHeight, ResultBuffer elastic,
                         const FieldHistory& history);
// What another view of the session did (an analysis, the end of a run, another mode shown) read into
// this view's scene as JoinUpdate reads it, this view's zoom, pan and choices kept; only a model of
// another size (the other view went to actual size or back) is fitted again.
ControlEffect FollowSession(const AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                            const CFramePat& model, const MeshView& mesh, float modelWidth, float modelHeight,
                            ResultBuffer elastic, const FieldHistory& history);
// A document change: a new layer count or grid size resets the scene.
ControlEffect DocumentUpdate(AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                             const CFramePat& model, const NodeGridBuilder& buildGrid, ResultBuffer results);

ControlEffect ZoomPicture(AnalysisState& state);
ControlEffect MovePicture(AnalysisState& state);
ControlEffect DefaultSize(AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                          const CFramePat& model, int clientWidth, int clientHeight,
                          const NodeGridBuilder& buildGrid, ResultBuffer results);
// "Actual Size": from Default Size a new grid with the true spans (nothing shown to discard); at
// actual size already only a redraw, so that the results on display are never lost silently.
ControlEffect ActualSize(AnalysisState& state, AnalysisScene& scene, const CFramePat& model,
                         const NodeGridBuilder& buildGrid, ResultBuffer results);

// "Analyze" handed to another thread: any running animation stops, and Stop is enabled until
// FinishAnalyze or AbandonAnalyze.
ControlEffect BeginAnalyze(AnalysisState& state);
// "Analyze" after the engine call (the window packs the stream and calls the engine in elastic mode
// with step 0). With status 0 the elastic and step-1 results are read and shown and the "View" list
// goes to its first item; otherwise, or when the buffer does not hold the mesh's results, the message
// says why (`failure`, the engine's own account, when given) and the results on display stay as they
// were. Any running animation stops.
ControlEffect FinishAnalyze(AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                            const CFramePat& model, const MeshView& mesh, ResultBuffer results, int status,
                            const std::string& failure = {});
// An "Analyze" stopped before its end: nothing is read, the results on display stay.
ControlEffect AbandonAnalyze(AnalysisState& state);

// Radio 1074.
ControlEffect ShowElastic(AnalysisState& state, ViewControl& view, AnalysisScene& scene);
// Radio 1075; without a control node: kNoControlNodeText and back to elastic mode.
ControlEffect ShowPushover(AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                           const CFramePat& model);

// The rules of "Play" with the "View" list's current selection: a new run of the timer from step 0 with
// the run arrays cleared; refused (message only) for a run longer than the histories.
ControlEffect Play(AnalysisState& state, ViewControl& view, AnalysisScene& scene, const CFramePat& model,
                   int viewSelection);
// "Play" of the program: starts the session's push-over run on the model and the session's scanned
// mesh (the first engine call is the first tick's), then Play's rules. Refused with the run's message,
// changing nothing on display, when the run cannot start.
ControlEffect PlayPushover(AnalysisState& state, ViewControl& view, AnalysisScene& scene,
                           const CFramePat& model, analysis::Session& session, int viewSelection);
ControlEffect Stop(AnalysisState& state);
ControlEffect TogglePause(ViewControl& view);
// Timer 1. In push-over mode it runs steps of `run` until the run ends or `budget` has passed, reading
// every step into the scene at row stepCounter; without a run going on there is nothing to compute and
// the timer stops. Elastic mode shows the elastic arrays. Paused, nothing changes. `afterStep(step)` is
// called after every step done, with the engine holding that step's results.
ControlEffect Tick(AnalysisState& state, ViewControl& view, AnalysisScene& scene, PushoverDriver* run,
                   std::chrono::steady_clock::duration budget = kStepSlice,
                   const std::function<void(int step)>& afterStep = {});
// One tick of a push-over run that goes on in another thread: the steps it published since the last
// tick, each read with the mesh it was packed from into the row of its step (`afterStep` is called with
// each step done), then the last one shown. Once `ended` (the run is over and every step it made is in
// `steps`), the timer stops, with `stopMessage` when a step could not be done. Paused, the caller keeps
// the steps for later and passes none.
ControlEffect TakePublishedSteps(AnalysisState& state, const ViewControl& view, AnalysisScene& scene,
                                 const MeshView& mesh, std::span<const PublishedStep> steps, bool ended,
                                 const std::string& stopMessage,
                                 const std::function<void(const PublishedStep& step)>& afterStep = {});
// Steps of the push-over on display that "Export Curve..." writes (rows 1..n of the scene), 0 for none.
int ExportableSteps(const AnalysisState& state);

// Double or halve the view's multiplier with reading aids on, else the shared responseScale.
ControlEffect AmplifyResponse(AnalysisState& state, ViewControl& view);
ControlEffect ReduceResponse(AnalysisState& state, ViewControl& view);
ControlEffect TogglePrincipal(ViewControl& view);
ControlEffect ToggleSeparation(ViewControl& view);
// A choice in the "View" list.
ControlEffect ChooseView(AnalysisState& state, ViewControl& view, AnalysisScene& scene, int selection);

// The "Floor" trackbar at p (−100..100): 1 + 0.0225 p + 0.000175 p².
float GlyphFactorOf(int position);
ControlEffect ReleaseTrackbar(AnalysisState& state, int position);

// Command 32905: renderOnce is 1 between these two calls; the filled rendering is drawn by a repaint
// while it is 1 and results are shown.
void BeginRenderOnce(ViewControl& view);
void EndRenderOnce(ViewControl& view);
bool ShouldRenderStressField(const AnalysisState& state, const ViewControl& view);

// A drag of the picture by (dx, dy) pixels zooms or pans it, as the mouse mode says (the window starts
// a drag with ZoomPicture for the left button and MovePicture for the right), and asks for a redraw.
ControlEffect DragPicture(const AnalysisState& state, AnalysisScene& scene, int dx, int dy);

} // namespace torva
