#include "analysis_view/3dView.h"

#include "analysis/ColourScale.h"
#include "analysis/CurveExport.h"
#include "analysis/ElementHit.h"
#include "analysis/ExternalLauncher.h"
#include "analysis/FibreSheetNote.h"
#include "analysis/FramePreparation.h"
#include "analysis/Mesh.h"
#include "analysis/MeshView.h"
#include "analysis/MethodNames.h"
#include "analysis/PushoverDriver.h"
#include "analysis/ResultSummary.h"
#include "analysis/RunProgressText.h"
#include "analysis/SaveData.h"
#include "analysis/Session.h"
#include "analysis_view/AnalysisCommands.h"
#include "analysis_view/CapacityCurveView.h"
#include "analysis_view/PushoverWorker.h"
#include "analysis_view/Resp3D.h"
#include "analysis_view/ResultsPane.h"
#include "document/TorvaDoc.h"
#include "drawing/PictureFile.h"
#include "engine/Engine.h"
#include "framework/CommandIds.h"
#include "framework/Commands.h"
#include "framework/FileDialogs.h"
#include "framework/MessageService.h"
#include "framework/Settings.h"
#include "plan/FrameDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QLayout>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <vector>

namespace torva {

namespace {

constexpr int kTrackbarMin = -100;
constexpr int kTrackbarMax = 100;
constexpr int kTrackbarTick = 10;
constexpr int kStepTimerMs = 1; // step timer 1 fires every millisecond while a run goes on
constexpr int kHistoryRefreshMs = 250;
// While a run goes on, its steps are taken from its thread at most this often (about the screen's
// rate): each is read into the histories, and the last of them is prepared and painted once.
// A frame that takes long to paint (a large model, a loaded machine) spaces the frames out further, so
// that drawing takes at most a quarter of the window's time during a run.
constexpr int kRunFrameMs = 33;
constexpr int kPaintShareInverse = 4;
constexpr int kAnalysisPollMs = 5;      // the analysis timer looks at the "Analyze" thread this often
constexpr int kProgressRefreshMs = 100; // the status bar follows the iterations at most this often
constexpr const char* kAnalysingText = "Analysing\u2026";
constexpr float kWheelZoomStep = 1.2f;

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

// Whether carrying out `effect` changes anything on the screen or in the timers.
bool Changes(const ControlEffect& effect) {
    return effect.redraw || effect.erase || effect.killTimer || effect.startTimer || effect.hideResponseBar ||
           effect.selectViewItem >= 0 || !effect.message.empty();
}

} // namespace

C3dView::C3dView() : scene_(std::make_unique<AnalysisScene>()), worker_(std::make_unique<PushoverWorker>()) {
    setObjectName(QStringLiteral("C3dView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true); // the status bar follows the element under the mouse
    setMinimumSize(40, 40);
    // The window's own reading aids: the automatic deformation scale with this view's multiplier, the
    // model centred in the plot, supports and the control node drawn.
    control_.readingAids = true;
    scene_->projection.centred = true;
    stepTimer_.setTimerType(Qt::PreciseTimer);
    connect(&stepTimer_, &QTimer::timeout, this, [this] { OnStepTimer(); });
    connect(&analysisTimer_, &QTimer::timeout, this, [this] { OnAnalysisTimer(); });
    // The end of "Analyze" is taken as soon as its thread reports it, not at the timer's next look.
    connect(worker_.get(), &PushoverWorker::finished, this, [this] {
        if (analysing_) OnAnalysisTimer();
    });
}

C3dView::~C3dView() {
    // The run's thread ends before the view (and later the document's session) does.
    worker_->Stop();
    if (analysing_) AbandonAnalyze(State());
    // A timer that dies with its view leaves the session's state saying that none runs.
    if (stepTimer_.isActive()) Stop(State());
}

CResp3D* C3dView::Frame() {
    return dynamic_cast<CResp3D*>(GetParentFrame());
}

const CFramePat* C3dView::Model() const {
    const auto* document = dynamic_cast<const CTorvaDoc*>(GetDocument());
    return document ? document->GetFramePat() : nullptr;
}

analysis::Session* C3dView::Session() const {
    const auto* document = dynamic_cast<const CTorvaDoc*>(GetDocument());
    return document ? &document->AnalysisSession() : nullptr;
}

AnalysisState& C3dView::State() {
    analysis::Session* session = Session();
    return session ? session->State() : detachedState_;
}

const PushoverDriver* C3dView::Run() const {
    const analysis::Session* session = Session();
    return session ? session->Pushover() : nullptr;
}

QString C3dView::OutputFolder() const {
    const QString path = GetDocument() ? GetDocument()->GetPathName() : QString();
    if (path.isEmpty()) return QDir::currentPath();
    return QFileInfo(path).absolutePath();
}

NodeGridBuilder C3dView::GridBuilder() {
    return [this](int sizeMode, float& width, float& height) {
        // A new grid starts a new analysis: the stream goes with the results (the scene reset clears
        // the result buffer).
        analysis::Session& session = *Session();
        session.Clear();
        session.CurrentMesh(*Model(), sizeMode);
        width = session.MeshWidth();
        height = session.MeshHeight();
    };
}

const Mesh& C3dView::CurrentMesh() {
    return Session()->CurrentMesh(*Model(), State().sizeMode);
}

PaintInput C3dView::CurrentPaintInput() {
    return PaintInputOf(*scene_, CurrentMesh(), State(), control_, colours_);
}

void C3dView::Prepare() {
    if (!Model()) return;
    if (CResp3D* frame = Frame()) frame->UpdateFrameTitle();
    PrepareFrame(*scene_, MeshViewOf(CurrentMesh()), State(), control_, colours_, width(), height());
}

QImage C3dView::Picture() {
    Prepare();
    return RenderAnalysis(CurrentPaintInput(), size());
}

void C3dView::Apply(const ControlEffect& effect) {
    if (effect.killTimer) stepTimer_.stop();
    if (effect.startTimer) stepTimer_.start(kStepTimerMs);
    if (CResp3D* frame = Frame()) {
        frame->SetRadios(State().analysisMode);
        if (effect.hideResponseBar) frame->HideResponseSetting();
        if (effect.selectViewItem >= 0) {
            // Setting the list is not a choice of the user's.
            const QSignalBlocker blocker(frame->ViewList());
            frame->ViewList()->setCurrentIndex(effect.selectViewItem);
        }
    }
    // What the next repaint draws follows every change a command or a tick made.
    Prepare();
    if (effect.redraw || effect.erase) {
        update();
        frameShown_.start();
    }
    if (!effect.message.empty()) MessageService::Error(ToQString(effect.message), this);
}

void C3dView::OnInitialUpdate() {
    const CFramePat* model = Model();
    if (!model) return;
    drag_.Release();
    CResp3D* frame = Frame();
    // The frame is still hidden: lay it out so that the client size is the one it will show.
    if (frame) {
        if (QMdiSubWindow* sub = frame->SubWindow(); sub && sub->layout()) sub->layout()->activate();
        if (frame->layout()) frame->layout()->activate();
        frame->UpdateFrameTitle();
    }
    // The session belongs to the document, not to this view: a view that joins a session already on
    // show (or holding results) reads it and leaves its state alone, so the other views keep theirs.
    analysis::Session& session = *Session();
    const bool joins = State().analysisDone == 1 || OtherAnalysisViews();
    if (joins) {
        const MeshView mesh = MeshViewOf(CurrentMesh());
        Apply(JoinUpdate(State(), control_, *scene_, *model, mesh, session.MeshWidth(), session.MeshHeight(),
                         width(), height(), session.DisplayedBuffer(), session.History()));
        runRevision_ = session.Revision();
    } else {
        Apply(InitialUpdate(State(), control_, *scene_, *model, width(), height(), GridBuilder(),
                            session.DisplayedBuffer()));
    }
    if (frame) {
        QSlider* trackbar = frame->Trackbar();
        const QSignalBlocker blocker(trackbar);
        trackbar->setRange(kTrackbarMin, kTrackbarMax);
        trackbar->setTickInterval(kTrackbarTick);
        frame->ViewList()->setCurrentIndex(scene_->viewKind);
    }
    // The results window of a joining view shows the session's history, as the other views' do.
    if (joins && session.History().Count() > 0) {
        StartHistory();
        FollowModelChange();
        ShowHistory();
    }
}

void C3dView::TellOtherViews() {
    if (!GetDocument()) return;
    for (View* view : GetDocument()->Views())
        if (auto* other = dynamic_cast<C3dView*>(view); other && other != this) other->FollowSession();
}

void C3dView::FollowSession() {
    const CFramePat* model = Model();
    if (!model) return;
    analysis::Session& session = *Session();
    const MeshView mesh = MeshViewOf(CurrentMesh());
    Apply(torva::FollowSession(State(), control_, *scene_, *model, mesh, session.MeshWidth(),
                               session.MeshHeight(), session.DisplayedBuffer(), session.History()));
}

bool C3dView::OtherAnalysisViews() const {
    if (!GetDocument()) return false;
    for (View* view : GetDocument()->Views())
        if (view != this && dynamic_cast<C3dView*>(view)) return true;
    return false;
}

void C3dView::OnUpdate(View* /*sender*/, int /*hint*/) {
    const CFramePat* model = Model();
    if (!model) return;
    // The document has told the session of any change of its model already.
    FollowModelChange();
    Apply(DocumentUpdate(State(), control_, *scene_, *model, GridBuilder(), Session()->DisplayedBuffer()));
}

void C3dView::FollowModelChange() {
    const analysis::Session& session = *Session();
    if (session.Revision() != runRevision_) {
        if (analysing_) {
            AbandonElastic("The analysis was stopped: the model changed while it ran.");
        } else if (worker_->Active()) {
            // The steps it made before it stopped join the history, as the run that was.
            StopRunThread();
            ShowStatus("The push-over was stopped: the model changed while it ran.");
        }
    }
    if (CResp3D* frame = Frame();
        frame && frame->Results() && session.ResultsOutOfDate() && session.History().Count() > 0)
        frame->Results()->SetOutOfDate(true);
}

bool C3dView::OnUpdateCommand(int id, CommandState& command) {
    switch (id) {
    case cmd::kViewCombo:
    case cmd::kFloorTrackbar:
    case cmd::kSavePicture:
        command.enabled = true;
        return true;
    case cmd::kShowReactions:
        command.enabled = Frame() && Frame()->Results();
        return true;
    case cmd::kShowResponseSetting: {
        // Asked while the frame is still making its bars, too.
        const QDockWidget* bar = Frame() ? Frame()->ResponseSettingBar() : nullptr;
        command.enabled = bar != nullptr;
        command.checked = bar && bar->isVisible();
        return true;
    }
    default:
        return UpdateAnalysisCommand(id, State(), control_, command);
    }
}

bool C3dView::OnCommand(int id) {
    const CFramePat* model = Model();
    if (!model) return false;
    CResp3D* frame = Frame();
    switch (id) {
    case cmd::kZoomPicture:
        Apply(ZoomPicture(State()));
        return true;
    case cmd::kMovePicture:
        Apply(MovePicture(State()));
        return true;
    case cmd::kDefaultSize:
        OnDefaultSize();
        return true;
    case cmd::kActualSize:
        Apply(ActualSize(State(), *scene_, *model, GridBuilder(), Session()->DisplayedBuffer()));
        TellOtherViews();
        return true;
    case cmd::kAnalyze:
        OnAnalyze();
        return true;
    case cmd::kPlay:
        OnPlay();
        return true;
    case cmd::kExportCurve:
        OnExportCurve();
        return true;
    case cmd::kStop: {
        // A push-over stopped says where; a stopped "Analyze" says so itself.
        const bool pushover = worker_->Active() && !analysing_;
        StopRunThread();
        Apply(Stop(State()));
        TellOtherViews();
        if (pushover && Run()) {
            std::string text = StoppedText(Run()->Step());
            if (shownIterations_ > 0 && shownStep_ == Run()->Step())
                text += " " + StepIterationsText(shownStep_, shownIterations_, shownResidual_);
            ShowStatus(text);
        }
        return true;
    }
    case cmd::kPause:
        Apply(TogglePause(control_));
        worker_->SetPaused(control_.paused != 0);
        // A paused run shows every step its thread made before it held.
        if (control_.paused != 0 && worker_->Active() &&
            State().analysisMode == AnalysisState::kPushoverMode) {
            ViewControl running = control_;
            running.paused = 0;
            Apply(TakeRunSteps(running));
        }
        return true;
    case cmd::kReduceResponse:
        Apply(ReduceResponse(State(), control_));
        return true;
    case cmd::kAmplifyResponse:
        Apply(AmplifyResponse(State(), control_));
        return true;
    case cmd::kPrincipalStress:
        Apply(TogglePrincipal(control_));
        return true;
    case cmd::kRenderStressField:
        OnRenderStressField();
        return true;
    case cmd::kViewSeparation:
        Apply(ToggleSeparation(control_));
        return true;
    case cmd::kSaveData:
        OnSaveData();
        return true;
    case cmd::kElasticRadio:
        Apply(ShowElastic(State(), control_, *scene_));
        TellOtherViews();
        return true;
    case cmd::kPushoverRadio:
        Apply(ShowPushover(State(), control_, *scene_, *model));
        TellOtherViews();
        return true;
    case cmd::kViewCombo:
        if (!frame) return false;
        Apply(ChooseView(State(), control_, *scene_, frame->ViewList()->currentIndex()));
        return true;
    case cmd::kFloorTrackbar:
        if (!frame) return false;
        Apply(ReleaseTrackbar(State(), frame->Trackbar()->value()));
        return true;
    case cmd::kShowResponseSetting:
        OnToggleResponseSetting();
        return true;
    case cmd::kSavePicture:
        OnSavePicture();
        return true;
    case cmd::kShowReactions:
        if (!Numbers()) return false;
        Numbers()->ShowReactions();
        return true;
    default:
        return false;
    }
}

void C3dView::OnDefaultSize() {
    const bool discards = State().analysisDone == 1;
    if (discards && MessageService::Show(QString::fromLatin1(kDefaultSizeDiscardsText), MessageButtons::YesNo,
                                         MessageIcon::Question, this) != MessageAnswer::Yes)
        return;
    // What was discarded comes back with the next Analyze; until then the note says so.
    if (discards) Session()->MarkResultsOutOfDate();
    Apply(DefaultSize(State(), control_, *scene_, *Model(), width(), height(), GridBuilder(),
                      Session()->DisplayedBuffer()));
    FollowModelChange();
    TellOtherViews();
}

void C3dView::FitToWindow() {
    if (!Model()) return;
    const Mesh& mesh = CurrentMesh();
    if (mesh.nodeCount <= 0) return;
    const int32_t maxX = *std::max_element(mesh.nodeX, mesh.nodeX + mesh.nodeCount);
    const int32_t maxY = *std::max_element(mesh.nodeY, mesh.nodeY + mesh.nodeCount);
    scene_->projection.Fit(static_cast<float>(maxX), static_cast<float>(maxY));
    Prepare();
    update();
}

void C3dView::OnAnalyze() {
    // The elastic analysis runs on the engine the push-over used.
    StopDocumentRunThreads();
    const CFramePat& model = *Model();
    // Results are read and drawn at actual size.
    if (State().sizeMode != 1)
        Apply(ActualSize(State(), *scene_, model, GridBuilder(), Session()->DisplayedBuffer()));
    CurrentMesh();
    std::string refusal;
    analysis::Session& session = *Session();
    session.SetMethod(Settings::AnalysisMethod());
    analysis::Session::ElasticCall call;
    if (!session.PrepareElastic(model, call, refusal)) {
        ControlEffect effect = StopStepTimer(State());
        effect.message = refusal;
        Apply(effect);
        return;
    }
    // The engine call goes on in the run's thread, so the window answers (and Stop stops it) while an
    // iterative analysis works; the analysis timer shows its progress and its end.
    Apply(BeginAnalyze(State()));
    runRevision_ = session.Revision();
    engine::Engine& engine = session.Engine();
    worker_->StartCall(engine, [&engine, call = std::move(call)] {
        return analysis::Session::RunElasticCall(engine, call);
    });
    analysing_ = true;
    shownStep_ = -1; // the gravity state (step 0) iterates first
    shownIterations_ = 0;
    progressShown_.invalidate();
    ShowStatus(kAnalysingText);
    analysisTimer_.start(kAnalysisPollMs);
    CommandRouter::RequestRefresh();
}

void C3dView::OnAnalysisTimer() {
    if (!analysing_) {
        analysisTimer_.stop();
        return;
    }
    if (worker_->Done())
        FinishElastic();
    else
        ShowIterationProgress(false);
}

void C3dView::FinishElastic() {
    analysisTimer_.stop();
    analysing_ = false;
    worker_->Join();
    const int status = worker_->CallStatus();
    analysis::Session& session = *Session();
    if (status == engine::kStatusCancelled) {
        Apply(AbandonAnalyze(State()));
        ShowStatus(EngineStatusMessage(status));
        CommandRouter::RequestRefresh();
        return;
    }
    if (status == engine::kStatusDone) session.AcceptElastic();
    const CFramePat& model = *Model();
    engine::Engine& engine = session.Engine();
    // A failure is told as the command line tells it: which capacity, by how much, what to try.
    Apply(FinishAnalyze(
        State(), control_, *scene_, model, MeshViewOf(CurrentMesh()), session.DisplayedBuffer(), status,
        status != engine::kStatusDone ? EngineStatusMessage(engine, status, 1) : std::string()));
    // The iterative method says how hard the step was; a note on fibre sheets follows.
    std::string text;
    if (status == engine::kStatusDone && engine.Method() == engine::AnalysisMethod::Mcft &&
        engine.Iterative()) {
        const engine::IterativeStepRecord& record = engine.Iterative()->LastRecord();
        text = StepIterationsText(record.step, record.iterations, record.residual);
    }
    const std::string note = FibreSheetNote(model);
    if (!note.empty()) text += (text.empty() ? "" : "  ") + note;
    ShowStatus(text);
    if (status == engine::kStatusDone) {
        StartHistory();
        ShowHistory();
        TellOtherViews();
    }
    CommandRouter::RequestRefresh();
}

void C3dView::AbandonElastic(const std::string& why) {
    analysisTimer_.stop();
    analysing_ = false;
    worker_->Stop();
    Apply(AbandonAnalyze(State()));
    ShowStatus(why);
}

void C3dView::ShowStatus(const std::string& text) {
    auto* main = qobject_cast<QMainWindow*>(window());
    if (!main) return;
    if (text.empty())
        main->statusBar()->clearMessage();
    else
        main->statusBar()->showMessage(ToQString(text));
}

void C3dView::ShowIterationProgress(bool now) {
    if (!now && progressShown_.isValid() && progressShown_.elapsed() < kProgressRefreshMs) return;
    const PushoverWorker::IterationProgress iteration = worker_->LastIteration();
    std::string text;
    // The step under way is the one after the last shown; the classic method reports no iterations.
    if (iteration.step > shownStep_ && worker_->Active() && !worker_->Done())
        text = IteratingText(iteration.step, iteration.iteration, iteration.residual);
    else if (shownIterations_ > 0)
        text = StepIterationsText(shownStep_, shownIterations_, shownResidual_);
    if (text.empty()) return;
    ShowStatus(text);
    progressShown_.start();
}

void C3dView::StartHistory() {
    CResp3D* frame = Frame();
    if (!frame || !frame->Results()) return;
    ResultsPane* pane = frame->Results();
    pane->SetMesh(Session()->HistoryMesh());
    pane->SetOutOfDate(false);
    if (pane->Curve())
        pane->Curve()->SetTitle(QStringLiteral("Capacity curve \u2014 ") +
                                QString::fromLatin1(MethodLabel(Session()->Method())));
    const FieldHistory& history = Session()->History();
    pane->SetSource({[&history] { return history.Count(); },
                     [&history](int i, ResultField& field) {
                         history.Field(i, field);
                         return true;
                     },
                     [&history] { return history.Curve(); },
                     [&history](int i) { return history.StepOf(i); }});
}

void C3dView::ShowHistory() {
    CResp3D* frame = Frame();
    if (!frame || !frame->Results()) return;
    frame->Results()->Refresh();
    frame->ShowResults();
}

void C3dView::OnPlay() {
    CResp3D* frame = Frame();
    const int selection = frame ? frame->ViewList()->currentIndex() : scene_->viewKind;
    CurrentMesh();
    // A new run replaces the last one and starts on the same engine.
    StopDocumentRunThreads();
    const PushoverDriver* previous = Run();
    Session()->SetMethod(Settings::AnalysisMethod());
    // A refused start leaves the last run (and what "Export Curve..." reads with it) as it was.
    Apply(PlayPushover(State(), control_, *scene_, *Model(), *Session(), selection));
    // A run that started is a new history (a refused one leaves the last run's), and its steps are
    // made in the run's own thread while the step timer shows them.
    PushoverDriver* run = Session()->Pushover();
    if (run && run != previous && run->Started()) StartHistory();
    shownStep_ = -1;
    shownIterations_ = 0;
    progressShown_.invalidate();
    runRevision_ = Session()->Revision();
    if (run && run->Running() && stepTimer_.isActive())
        worker_->Start(*run, Session()->Engine(), {}, Session()->Storage());
}

void C3dView::StopRunThread() {
    if (!worker_->Active()) return;
    worker_->Stop();
    if (analysing_) return FinishElastic();
    // What the thread finished before it stopped is shown, paused or not, in the push-over display.
    if (State().analysisMode != AnalysisState::kPushoverMode) {
        worker_->Take();
        Apply(StopStepTimer(State()));
        return;
    }
    ViewControl running = control_;
    running.paused = 0;
    Apply(TakeRunSteps(running));
}

void C3dView::StopDocumentRunThreads() {
    if (!GetDocument()) return StopRunThread();
    for (View* view : GetDocument()->Views())
        if (auto* analysisView = dynamic_cast<C3dView*>(view)) analysisView->StopRunThread();
}

ControlEffect C3dView::TakeRunSteps(const ViewControl& view) {
    const PushoverDriver* run = Run();
    // Paused, the steps wait in the worker.
    if (!run || view.paused != 0) return {};
    // Done before Take: every step of an ended run is then among those taken.
    const bool ended = worker_->Done() || !worker_->Active();
    std::vector<PublishedStep> steps = worker_->Take();
    std::string stopMessage;
    if (ended) {
        worker_->Join();
        stopMessage = run->StopMessage();
    }
    const ControlEffect effect =
        TakePublishedSteps(State(), view, *scene_, run->RunMesh(), steps, ended, stopMessage);
    // The results window's history takes the steps' fields (moved: they are a few MB each).
    for (PublishedStep& step : steps) {
        if (step.status == 0) {
            shownStep_ = step.step;
            shownIterations_ = step.iterations;
            shownResidual_ = step.residual;
        }
        Session()->Record(std::move(step));
    }
    return effect;
}

void C3dView::OnStepTimer() {
    const PushoverDriver* run = Run();
    // The window never runs an engine step itself: a push-over goes on in the run's thread, and every
    // step it made joins the display and the results window's history here.
    const bool takeSteps = worker_->Active() && State().analysisMode == AnalysisState::kPushoverMode;
    // Steps wait in the run's thread until a frame is due; the end of the run is taken at once.
    const qint64 frameMs = std::max<qint64>(kRunFrameMs, kPaintShareInverse * lastPaintMs_);
    if (takeSteps && !worker_->Done() && frameShown_.isValid() && frameShown_.elapsed() < frameMs) {
        ShowIterationProgress(false);
        return;
    }
    const ControlEffect effect =
        takeSteps ? TakeRunSteps(control_) : Tick(State(), control_, *scene_, nullptr);
    // Most ticks find no new step: nothing to prepare or draw then.
    if (Changes(effect)) Apply(effect);
    // The status bar follows the iterative method's iterations, and names the last step's at the end.
    if (takeSteps) ShowIterationProgress(effect.killTimer);
    // The results window follows the run a few times a second, and at its end, so that drawing it
    // does not slow the run down.
    if (run && Session()->RecordedStep() > 0 &&
        (!stepTimer_.isActive() || !historyShown_.isValid() ||
         historyShown_.elapsed() >= kHistoryRefreshMs)) {
        ShowHistory();
        historyShown_.start();
    }
    // The other views of the document show the run once it has ended.
    if (takeSteps && effect.killTimer) TellOtherViews();
    // What the buttons allow follows the run: the sizes when it ends, the export once a step is in.
    if (effect.redraw || effect.killTimer) CommandRouter::RequestRefresh();
}

void C3dView::OnExportCurve() {
    const int steps = ExportableSteps(State());
    if (steps == 0) return;
    const QString title = GetDocument() ? QFileInfo(GetDocument()->GetTitle()).completeBaseName() : QString();
    const QString suggested =
        QDir(OutputFolder()).filePath((title.isEmpty() ? QStringLiteral("pushover") : title) + ".csv");
    QString path = FileDialogs::SaveFileName(this, suggested, QStringLiteral("CSV Files (*.csv)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
    // The output element is the one of the mesh the run was computed on.
    const PushoverDriver* run = Run();
    const MeshView mesh = run && run->Started() ? run->RunMesh() : MeshViewOf(CurrentMesh());
    std::string error;
    CurveHistory history = CurveHistoryOf(*scene_, mesh, steps);
    // The iterative method's columns, as the command line writes them.
    std::vector<double> loadFactors;
    std::vector<int> iterations;
    if (run && run->Started()) history.method = MethodKey(run->Method());
    if (run && run->Started() && run->Method() == engine::AnalysisMethod::Mcft) {
        // The run's own record is read once its thread no longer adds to it; a run still going leaves
        // those two columns empty.
        if (!worker_->Active() || worker_->Done()) {
            loadFactors.assign(size_t(steps) + 1, 0.0);
            iterations.assign(size_t(steps) + 1, 0);
            for (const CurvePoint& point : run->Curve()) {
                if (point.step < 0 || point.step > steps) continue;
                loadFactors[size_t(point.step)] = point.loadFactor;
                iterations[size_t(point.step)] = point.iterations;
            }
            history.loadFactor = loadFactors.data();
            history.iterations = iterations.data();
        }
    }
    if (!WriteCurveExport(history, path.toStdString(), error)) MessageService::Error(ToQString(error), this);
}

void C3dView::OnSaveData() {
    const QString folder =
        FileDialogs::ExistingFolder(this, QStringLiteral("Save Data: choose the folder"), OutputFolder());
    if (folder.isEmpty()) return;
    ProcessLauncher processes;
    ExternalLauncher& launcher = launcher_ ? *launcher_ : processes;
    const SaveDataOutcome outcome =
        SaveData(CurrentMesh(), *Model(), folder.toStdString(), ExternalProgram().toStdString(), launcher);
    if (outcome.written.empty()) {
        MessageService::Error(ToQString(outcome.error), this);
        return;
    }
    QString report = QStringLiteral("Wrote %1.").arg(ToQString(outcome.written));
    if (outcome.started) report += QStringLiteral("\nStarted %1.").arg(ExternalProgram());
    if (!outcome.error.empty()) {
        MessageService::Error(report + QStringLiteral("\n") + ToQString(outcome.error), this);
        return;
    }
    MessageService::Info(report, this);
}

QString C3dView::ExternalProgram() const {
    if (externalProgram_) return *externalProgram_;
    return Settings::SaveDataProgram();
}

void C3dView::OnRenderStressField() {
    BeginRenderOnce(control_);
    BusyDialog busy(this);
    busy.Present();
    // The field is drawn by this repaint; the message comes once it is on the screen.
    repaint();
    MessageService::Info(QString::fromLatin1(kDrawingFinishedText), this);
    EndRenderOnce(control_);
    busy.hide();
}

void C3dView::OnSavePicture() {
    const QString title = GetDocument() ? QFileInfo(GetDocument()->GetTitle()).completeBaseName() : QString();
    const QString suggested =
        QDir(OutputFolder()).filePath((title.isEmpty() ? QStringLiteral("analysis") : title) + ".png");
    QString path = FileDialogs::SaveFileName(
        this, suggested, QStringLiteral("PNG Files (*.png);;JPEG Files (*.jpg *.jpeg);;SVG Files (*.svg)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
    Prepare();
    const PaintInput input = CurrentPaintInput();
    const QSize client = size();
    std::string error;
    if (!WritePicture(
            path.toStdString(), client, [&](QPainter& painter) { PaintAnalysis(painter, input, client); },
            error))
        MessageService::Error(QString::fromStdString(error), this);
}

void C3dView::OnToggleResponseSetting() {
    CResp3D* frame = Frame();
    if (!frame || !frame->ResponseSettingBar()) return;
    if (frame->ResponseSettingBar()->isVisible())
        frame->HideResponseSetting();
    else
        frame->ShowResponseSetting();
}

void C3dView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (!Model()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    QElapsedTimer painting;
    painting.start();
    PaintAnalysis(painter, CurrentPaintInput(), size());
    lastPaintMs_ = painting.elapsed();
}

void C3dView::resizeEvent(QResizeEvent* /*event*/) {
    Prepare();
}

NumberDocks* C3dView::Numbers() {
    CResp3D* frame = Frame();
    if (!numbers_ && frame && frame->Results()) numbers_ = new NumberDocks(frame, frame->Results());
    return numbers_;
}

bool C3dView::PickAt(QPoint at, NumberDocks::Pick& pick, int& gauss) {
    pick = {};
    gauss = 0;
    const Projection& projection = scene_->projection;
    const double scale = double(projection.zoom) * double(projection.baseScale);
    if (!Model() || scale <= 0 || at.y() >= projection.plotHeight) return false;
    // The undeformed mesh, drawn in every state, is what the pointer picks.
    const Mesh& mesh = CurrentMesh();
    const double x = (at.x() - projection.originX) / scale, y = (at.y() - projection.originY) / scale;
    const ElementHit hit = HitElement(MeshViewOf(mesh), mesh.nodeX, mesh.nodeY, x, y);
    if (hit.element < 0) return false;
    pick.element = hit.element;
    ElementPlanPosition(mesh, hit.element, pick.planX, pick.planY);
    const int corner = mesh.ElementNode(hit.element, 0);
    pick.cornerX = mesh.nodeX[corner];
    pick.cornerY = mesh.nodeY[corner];
    gauss = NearestGaussPoint(hit.xi, hit.eta);
    return true;
}

void C3dView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    const QPoint at = event->position().toPoint();
    pressAt_ = at;
    // Either button starts a drag: the left one zooms, the right one pans.
    if (event->button() == Qt::RightButton)
        MovePicture(State());
    else
        ZoomPicture(State());
    drag_.Press(at.x(), at.y());
    // The routers show the zoom or pan mark that the button chose.
    CommandRouter::RequestRefresh();
}

void C3dView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (drag_.Active()) {
        DragMove move;
        Apply(drag_.Move(at.x(), at.y(), move) ? DragPicture(State(), *scene_, move.dx, move.dy)
                                               : ControlEffect());
        return;
    }
    auto* main = qobject_cast<QMainWindow*>(window());
    NumberDocks::Pick pick;
    int gauss = 0;
    if (!main || !Numbers()) return;
    if (PickAt(at, pick, gauss)) {
        main->statusBar()->showMessage(Numbers()->HoverText(pick, gauss));
        hoverShown_ = true;
    } else if (hoverShown_) {
        main->statusBar()->clearMessage();
        hoverShown_ = false;
    }
}

void C3dView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // The press before it started a drag; the fit ends it.
    drag_.Release();
    FitToWindow();
}

void C3dView::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y();
    if (notches == 0 || !Model()) return;
    // A notch (120) zooms by a fifth, about the point under the cursor.
    const QPoint at = event->position().toPoint();
    scene_->projection.ZoomAbout(std::pow(kWheelZoomStep, float(notches) / 120.0f), at.x(), at.y());
    Prepare();
    update();
    event->accept();
}

void C3dView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    drag_.Release(); // Qt releases its implicit grab itself
    // A left click that did not drag opens the element's table.
    const QPoint at = event->position().toPoint();
    NumberDocks::Pick pick;
    int gauss = 0;
    if (event->button() == Qt::LeftButton && (at - pressAt_).manhattanLength() <= 3 && Numbers() &&
        PickAt(at, pick, gauss))
        Numbers()->ShowElement(pick);
}

} // namespace torva
