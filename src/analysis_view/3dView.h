#pragma once
// The analysis view: shows the mesh of the document's model and the analysis results, and owns the
// analysis commands. Every rule lives in AnalysisState (what a command changes, when it is enabled
// and marked); this widget turns menu, toolbar, bar, mouse and timer events into those calls and
// carries out what they return, then prepares what the picture shows (PrepareFrame); paintEvent only
// paints it (PaintAnalysis).
//
// The view drives its document's analysis session: every document update tells the session that its
// model changed, and the session builds its mesh again when the view next asks for it, so span and
// layer edits in the plan are always what is drawn and analysed (never a build for a repaint or a
// tick); a new grid size or layer count also resets the results.
#include "analysis/AnalysisScene.h"
#include "analysis/AnalysisState.h"
#include "analysis/ColourScale.h"
#include "analysis_view/DragGesture.h"
#include "analysis_view/NumberDocks.h"
#include "drawing/ResultPainter.h"
#include "framework/View.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

namespace torva {

class CFramePat;
class CResp3D;
class PushoverWorker;
struct PublishedStep;
class ExternalLauncher;
class Mesh;
class PushoverDriver;
namespace analysis {
class Session;
}
namespace engine {
class ResultView;
}

class C3dView : public QWidget, public View {
    Q_OBJECT
public:
    C3dView();
    ~C3dView() override;

    QWidget* Widget() override { return this; }
    void OnInitialUpdate() override;
    void OnUpdate(View* sender, int hint) override;
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    // The frame holding the view, or nullptr without one.
    CResp3D* Frame();
    // The document's model, or nullptr before the view is attached.
    const CFramePat* Model() const;
    // The document's analysis session, or nullptr before the view is attached.
    analysis::Session* Session() const;
    // The run state of the document's session (a state of the view's own before it is attached).
    AnalysisState& State();

    AnalysisScene& Scene() { return *scene_; }
    const ViewControl& Control() const { return control_; }
    bool StepTimerRunning() const { return stepTimer_.isActive(); }
    // The thread running the push-over of the last "Play" (it has no thread before or after).
    PushoverWorker& Worker() { return *worker_; }
    // Cancels the push-over running in this view's thread and waits for it; the steps it finished are
    // shown. Before anything else uses the document's engine, every analysis view of it does this.
    void StopRunThread();
    // The push-over run of the last "Play", or nullptr before the first.
    const PushoverDriver* Run() const;
    // An "Analyze" goes on in the run's thread (its end is shown by the analysis timer).
    bool Analysing() const { return analysing_; }

    // "Save Data" starts the external program through this launcher (nullptr: the real one).
    void SetLauncher(ExternalLauncher* launcher) { launcher_ = launcher; }
    // The program "Save Data" starts after writing; empty (the default): none is started. Read from
    // the setting "SaveData/ExternalProgram" until set here.
    void SetExternalProgram(const QString& program) { externalProgram_ = program; }
    QString ExternalProgram() const;
    // Where "Save Data" writes: the model file's folder, or the current folder for an unsaved model.
    QString OutputFolder() const;

    // The session's mesh of the model on the current size mode (built only after a model change).
    const Mesh& CurrentMesh();
    // The scene prepared for the client size: what the next repaint draws. Runs after every command,
    // tick, document change and resize; painting only reads what it left.
    void Prepare();
    // The model fitted centred into the plot again (as on opening; a double-click does it).
    void FitToWindow();
    // What a repaint draws, as prepared.
    PaintInput CurrentPaintInput();
    // The view prepared and painted into a picture of its size.
    QImage Picture();

    // The element tables and the status line of the results on show (null without a results window).
    NumberDocks* Numbers();
    // The element drawn under a client point (element −1 when none) and the Gauss point nearest to it.
    bool PickAt(QPoint at, NumberDocks::Pick& pick, int& gauss);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Another analysis view shows the same document (and so the same session).
    bool OtherAnalysisViews() const;
    // What this view did to the session (an analysis, a run's end, another mode) shown by the others.
    void TellOtherViews();
    // Reads what another view did to the session.
    void FollowSession();
    // Carries out what a command rule asks for; the radios follow the analysis mode.
    void Apply(const ControlEffect& effect);
    NodeGridBuilder GridBuilder();

    void OnAnalyze();
    // The analysis timer: the progress of the "Analyze" in the run's thread, and its end.
    void OnAnalysisTimer();
    // The "Analyze" thread is done (or was stopped): its results, or why there are none, are shown.
    void FinishElastic();
    // An "Analyze" under way is stopped and its results, which belong to the model before an edit,
    // are not read.
    void AbandonElastic(const std::string& why);
    // A line in the main window's status bar ("" clears it).
    void ShowStatus(const std::string& text);
    // The document's model (or the method) changed, and the session is out of date already: an
    // analysis or run of the earlier model is stopped, and the results window marked out of date.
    void FollowModelChange();
    // The iterative method's progress in the status bar: the iteration of the step under way, or the
    // iterations of the last step shown. At most every kProgressRefreshMs unless `now`.
    void ShowIterationProgress(bool now);
    // "Default Size" redraws every span 1 mm long, which discards the results: asked first when there
    // are any.
    void OnDefaultSize();
    void OnSaveData();
    void OnRenderStressField();
    void OnSavePicture();
    void OnToggleResponseSetting();
    void OnPlay();
    void OnExportCurve();
    // Timer 1: the steps the run's thread made since the last tick.
    void OnStepTimer();
    // The run's thread of every analysis view of the document stopped and waited for.
    void StopDocumentRunThreads();
    // A tick of a push-over going on in the worker thread; `ended` once it is waited for.
    ControlEffect TakeRunSteps(const ViewControl& view);

    // The results window reads the session's history: a new analysis or run points it at the new
    // history; an edit of the model marks what it shows as out of date.
    void StartHistory();
    void ShowHistory();

    // The state of a view without a document; nothing runs on it.
    AnalysisState detachedState_;
    ViewControl control_;
    DragGesture drag_;
    std::unique_ptr<AnalysisScene> scene_;
    ColourScale colours_;
    QTimer stepTimer_;
    QTimer analysisTimer_;
    bool analysing_ = false;
    // The session's revision when the last analysis or run started: a later one means it computes
    // an earlier model.
    int runRevision_ = 0;
    QElapsedTimer progressShown_;
    // The last push-over step shown and the iterative method's iterations and residual there.
    int shownStep_ = 0, shownIterations_ = 0;
    double shownResidual_ = 0;
    std::unique_ptr<PushoverWorker> worker_;
    ExternalLauncher* launcher_ = nullptr;
    std::optional<QString> externalProgram_;
    QElapsedTimer historyShown_;
    QElapsedTimer frameShown_; // the last redraw a command or tick asked for
    qint64 lastPaintMs_ = 0;   // how long the last repaint took
    NumberDocks* numbers_ = nullptr;
    QPoint pressAt_;
    bool hoverShown_ = false; // the status bar shows an element's numbers
};

} // namespace torva
