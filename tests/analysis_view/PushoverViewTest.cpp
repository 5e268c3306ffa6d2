// The push-over run in the analysis window: Play, Pause and Stop from the window's own toolbar run the
// model's loading step by step with the window free between slices of steps, the graph and the progress grow,
// pause and resume continue the same run, "Export Curve..." writes what the headless command writes,
// and a step the engine cannot do is reported.
#include "AnalysisViewFixture.h"
#include "analysis/FieldHistory.h"
#include "analysis/Mesh.h"
#include "analysis/OverlayText.h"
#include "analysis/PushoverDriver.h"
#include "analysis_view/PushoverWorker.h"
#include "drawing/CapacityCurvePainter.h"
#include "drawing/ResponseGraphs.h"
#include "engine/Engine.h"
#include "support/RunProgram.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QRadioButton>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace torva {
namespace {

using test::AnalysisViewTest;
using test::WallModel;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool IsPureBlue(QRgb c) {
    return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 255;
}

// The capacity curve's blue, as the results window draws it (smoothed edges included).
bool IsCurveBlue(QRgb c) {
    return qBlue(c) > 150 && qRed(c) < 80 && qGreen(c) < 120;
}

int CountIn(const QImage& image, const QRect& area, bool (*match)(QRgb)) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += match(image.pixel(x, y)) ? 1 : 0;
    return n;
}

class PushoverViewTest : public AnalysisViewTest {
protected:
    // The button of the window's run toolbar, as a user clicks it.
    QAction* Button(int id) const {
        for (QAction* action : Frame()->RunToolBar()->actions())
            if (action->property("commandId").toInt() == id || action->data().toInt() == id) return action;
        return nullptr;
    }
    // Analyze, then the push-over display with the force-deformation graph.
    void ShowPushover() {
        ASSERT_TRUE(Analyze());
        Frame()->PushoverRadio()->click();
        ASSERT_EQ(State().analysisMode, AnalysisState::kPushoverMode);
    }
    bool RunToTheEnd() const {
        return WaitFor([&] { return !View()->StepTimerRunning(); }, 30);
    }
    // The curve of the model run headless on an engine of its own.
    std::vector<CurvePoint> HeadlessCurve(const CFramePat& model) const {
        auto mesh = std::make_unique<Mesh>();
        mesh->Build(model, kActualSize);
        auto engine = std::make_unique<engine::Engine>();
        PushoverDriver driver(*engine);
        std::string message;
        EXPECT_TRUE(driver.Start(model, *mesh, message)) << message;
        while (!driver.Finished()) driver.RunStep();
        return driver.Curve();
    }
};

TEST_F(PushoverViewTest, TheRunToolbarCarriesPlayPauseStopAndExport) {
    StartOnExample("shear-wall.fem");
    for (int id : {cmd::kPlay, cmd::kPause, cmd::kStop, cmd::kExportCurve}) {
        QAction* button = Button(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_FALSE(button->icon().isNull()) << id;
        EXPECT_FALSE(button->isEnabled()) << id; // nothing analysed yet
    }
    EXPECT_EQ(Button(cmd::kExportCurve)->toolTip(), "Export Curve...");
    ShowPushover();
    CommandRouter::RequestRefresh();
    test::Flush();
    for (int id : {cmd::kPlay, cmd::kPause, cmd::kStop}) EXPECT_TRUE(Button(id)->isEnabled()) << id;
    EXPECT_FALSE(Button(cmd::kExportCurve)->isEnabled()); // no step of a run yet
    // The main window's View menu has them too, routed to the active analysis window.
    QAction* menuPlay = Main()->Router()->FindAction(cmd::kPlay);
    ASSERT_NE(menuPlay, nullptr);
    EXPECT_EQ(menuPlay->text(), "Play(&L)");
}

TEST_F(PushoverViewTest, PlayRunsTheExampleWallToItsLastStep) {
    StartOnExample("shear-wall.fem"); // 10 mm in 100 steps
    ShowPushover();
    CommandRouter::RequestRefresh();
    test::Flush();
    // A click on the toolbar button.
    Button(cmd::kPlay)->trigger();
    EXPECT_TRUE(View()->StepTimerRunning());
    EXPECT_EQ(State().stepCounter, 0); // the engine runs on the timer, not in the click
    ASSERT_NE(View()->Run(), nullptr);
    EXPECT_EQ(View()->Run()->TotalSteps(), 100);
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString();
    EXPECT_EQ(State().stepCounter, 100);
    EXPECT_EQ(State().timerStopped, 1);
    EXPECT_EQ(StepText(State().stepCounter, State().StepTotal()), "100 / 100");
    EXPECT_TRUE(Query(cmd::kPlay).enabled);
    EXPECT_TRUE(Query(cmd::kExportCurve).enabled);
    // The buttons follow the end of the run without a click.
    test::Flush();
    EXPECT_TRUE(Button(cmd::kExportCurve)->isEnabled());
    EXPECT_TRUE(Frame()->Router()->FindAction(cmd::kDefaultSize)->isEnabled());

    // Every step is in the histories, and the display shows the last one as the engine left it.
    const std::vector<CurvePoint>& curve = View()->Run()->Curve();
    ASSERT_EQ(curve.size(), 100u);
    for (int k = 1; k <= 100; ++k) {
        ASSERT_EQ(Scene().controlHistory[2 * k], static_cast<float>(curve[k - 1].displacement)) << k;
        ASSERT_EQ(Scene().controlHistory[2 * k + 1], static_cast<float>(curve[k - 1].force)) << k;
    }
    const std::span<const double> buffer = View()->Run()->Results().Buffer();
    EXPECT_EQ(buffer[0], curve.back().displacement);
    EXPECT_EQ(Scene().shownDisp[0], static_cast<float>(buffer[2]));
    // The same curve as the model run headless, to the last bit.
    const std::vector<CurvePoint> headless = HeadlessCurve(*Doc()->GetFramePat());
    ASSERT_EQ(headless.size(), curve.size());
    for (size_t k = 0; k < curve.size(); ++k) {
        ASSERT_EQ(curve[k].displacement, headless[k].displacement) << k;
        ASSERT_EQ(curve[k].force, headless[k].force) << k;
    }
    // The picture: a full progress bar and the curve of the force-deformation graph.
    const QImage shot = Shot("end");
    if (const char* folder = std::getenv("TORVA_PICTURE_DIR"))
        Main()->grab().save(QStringLiteral("%1/pushover-window.png").arg(folder));
    const int w = shot.width(), h = shot.height();
    EXPECT_EQ(CountIn(shot, QRect(w - 300, 25, 80, 10), IsPureBlue), 800);
    EXPECT_GT(CountIn(shot, QRect(0, h - 220, w, 220), IsCurveBlue), 400);
}

// The force-deformation strip of the analysis view is the capacity curve in kN and mm, as the results
// window draws it: one point a step read, the force in kN, on round ticks that hold every point, axes
// that only grow while the run goes on (never rescaled by a repaint), and the marker on the last step.
TEST_F(PushoverViewTest, TheStripGraphIsTheCapacityCurveInKilonewtonsOnRoundTicks) {
    StartOnExample("shear-wall.fem");
    ShowPushover();
    ASSERT_TRUE(Run(cmd::kPlay));
    // The axes of every frame while the run goes on: each holds the one before.
    std::vector<std::pair<double, double>> tops;
    ASSERT_TRUE(WaitFor(
        [&] {
            tops.emplace_back(Scene().graphAxes.X().hi, Scene().graphAxes.Y().hi);
            return !View()->StepTimerRunning();
        },
        60));
    for (size_t i = 1; i < tops.size(); ++i) {
        ASSERT_GE(tops[i].first, tops[i - 1].first) << i;
        ASSERT_GE(tops[i].second, tops[i - 1].second) << i;
    }
    View()->Prepare();
    const std::vector<CapacityPoint>& curve = Scene().graphCurve;
    const std::vector<CurvePoint>& run = View()->Run()->Curve();
    ASSERT_EQ(curve.size(), run.size() + 1); // the unloaded state first
    EXPECT_EQ(curve[0].displacement, 0.0);
    EXPECT_EQ(curve[0].force, 0.0);
    double largest = 0;
    for (size_t k = 1; k < curve.size(); ++k) {
        EXPECT_EQ(curve[k].displacement, double(float(run[k - 1].displacement))) << k;
        EXPECT_EQ(curve[k].force, double(float(run[k - 1].force)) / 1000.0) << k; // kN
        largest = std::max(largest, curve[k].force);
    }
    EXPECT_GT(largest, 500); // the example wall peaks near 900 kN: kN, not N
    EXPECT_LT(largest, 2000);
    // Round ticks (1, 2 or 5 times a power of ten) that hold every point, with no more than a
    // quarter of headroom plus one tick above the largest force.
    const Ticks& y = Scene().graphAxes.Y();
    const double mantissa = y.step / std::pow(10.0, std::floor(std::log10(y.step)));
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
                std::fabs(mantissa - 5) < 1e-9)
        << y.step;
    EXPECT_GE(y.hi, largest);
    EXPECT_LE(y.hi, CurveAxes::kHeadroom * largest + y.step);
    EXPECT_GE(Scene().graphAxes.X().hi, curve.back().displacement);

    // Drawn inside the strip's centred frame, the marker on the last step.
    const QImage shot = Shot("strip-curve");
    const int h = shot.height();
    const QRect frame = ResponseGraphs::StripCurveFrame(shot.width()).translated(0, h - 220);
    EXPECT_GT(CountIn(shot, frame, IsCurveBlue), 400);
    EXPECT_EQ(CountIn(shot, QRect(0, h - 220, shot.width(), 220), IsCurveBlue),
              CountIn(shot, frame, IsCurveBlue));
    const PlotFrame plot = CapacityCurvePainter::PlotFrameOf(frame, QString::fromUtf8(kStripCurveTitle));
    const QPoint last(int(Scene().graphAxes.PixelX(plot, curve.back().displacement)),
                      int(Scene().graphAxes.PixelY(plot, curve.back().force)));
    const auto markerRed = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 40 && qBlue(c) < 40; };
    EXPECT_GE(CountIn(shot, QRect(last.x() - 2, last.y() - 2, 5, 5), markerRed), 15);
    // Tick labels left of the plot and under it (dark text on white).
    const auto dark = [](QRgb c) { return qGray(c) < 100; };
    EXPECT_GT(CountIn(shot,
                      QRect(frame.left() + 12, plot.top, CapacityCurvePainter::kLeftMargin - 16, plot.height),
                      dark),
              60);
    EXPECT_GT(CountIn(shot, QRect(plot.left, plot.top + plot.height + 2, plot.width, 12), dark), 40);
}

TEST_F(PushoverViewTest, PauseHoldsTheRunAndResumeContinuesTheSameCurve) {
    StartOnExample("shear-wall.fem");
    Doc()->GetFramePat()->stepsPerSegment = 1000; // 10 mm in 1000 steps: long enough to pause
    ShowPushover();
    ASSERT_TRUE(Run(cmd::kPlay));
    // Events queued now are handled while the run goes on: the window is not held for the run.
    int stepsWhenFree = -1;
    QTimer::singleShot(0, [&] { stepsWhenFree = State().stepCounter; });
    ASSERT_TRUE(WaitFor([&] { return State().stepCounter >= 20; }, 30));
    EXPECT_GE(stepsWhenFree, 0);
    EXPECT_LT(stepsWhenFree, 1000);
    ASSERT_TRUE(Run(cmd::kPause));
    EXPECT_TRUE(Query(cmd::kPause).checked);
    const int held = State().stepCounter;
    ASSERT_LT(held, 1000);
    const QImage paused = Shot("paused");
    const int w = paused.width(), h = paused.height();
    const int curvePixels = CountIn(paused, QRect(0, h - 220, w, 220), IsCurveBlue);
    // The progress bar is blue for the share of the run done.
    EXPECT_EQ(CountIn(paused, QRect(w - 300, 25, 80, 10), IsPureBlue), held * 80 / 1000 * 10);
    // While paused the timer runs but the run does not move.
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    EXPECT_TRUE(View()->StepTimerRunning());
    EXPECT_EQ(State().stepCounter, held);
    EXPECT_EQ(View()->Run()->Step(), held);
    EXPECT_EQ(StepText(State().stepCounter, State().StepTotal()), std::to_string(held) + " / 1000");

    ASSERT_TRUE(Run(cmd::kPause)); // resume
    EXPECT_FALSE(Query(cmd::kPause).checked);
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(State().stepCounter, 1000);
    // The graph grew after the pause.
    const QImage done = Shot("resumed");
    EXPECT_GT(CountIn(done, QRect(0, h - 220, done.width(), 220), IsCurveBlue), curvePixels);
    // Exactly the curve of a run that never paused.
    const std::vector<CurvePoint> headless = HeadlessCurve(*Doc()->GetFramePat());
    const std::vector<CurvePoint>& curve = View()->Run()->Curve();
    ASSERT_EQ(curve.size(), headless.size());
    for (size_t k = 0; k < curve.size(); ++k) {
        ASSERT_EQ(curve[k].displacement, headless[k].displacement) << k;
        ASSERT_EQ(curve[k].force, headless[k].force) << k;
    }
}

TEST_F(PushoverViewTest, StopKeepsTheCurveSoFarAndPlayStartsAgain) {
    StartOnExample("shear-wall.fem");
    Doc()->GetFramePat()->stepsPerSegment = 1000;
    ShowPushover();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(WaitFor([&] { return State().stepCounter >= 10; }, 30));
    ASSERT_TRUE(Run(cmd::kStop));
    EXPECT_FALSE(View()->StepTimerRunning());
    const int stopped = State().stepCounter;
    EXPECT_LT(stopped, 1000);
    EXPECT_TRUE(Query(cmd::kExportCurve).enabled);
    test::Flush();
    EXPECT_EQ(State().stepCounter, stopped); // nothing runs after Stop
    // Every step the run's thread made before Stop is shown: the display is the run, to the step.
    EXPECT_EQ(View()->Run()->Step(), stopped);
    EXPECT_FALSE(View()->Worker().Active());

    fileAnswer = QString::fromStdString(dir.file("partial.csv"));
    ASSERT_TRUE(Run(cmd::kExportCurve));
    const std::string partial = ReadText(dir.file("partial.csv"));
    EXPECT_EQ(std::count(partial.begin(), partial.end(), '\n'), stopped + 1);

    ASSERT_TRUE(Run(cmd::kPlay)); // a new run from step 0
    EXPECT_EQ(State().stepCounter, 0);
    EXPECT_FALSE(Query(cmd::kExportCurve).enabled);
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(State().stepCounter, 1000);
}

TEST_F(PushoverViewTest, ProgressArrivesWhileTheRunsThreadWorksAndTheCurveIsTheHeadlessOne) {
    StartOnExample("shear-wall.fem");
    Doc()->GetFramePat()->stepsPerSegment = 400;
    ShowPushover();
    int progressSignals = 0;
    QObject receiver;
    QObject::connect(&View()->Worker(), &PushoverWorker::progressed, &receiver, [&](int step, int total) {
        EXPECT_EQ(total, 400);
        EXPECT_GE(step, progressSignals);
        ++progressSignals;
    });
    ASSERT_TRUE(Run(cmd::kPlay));
    EXPECT_TRUE(View()->Worker().Active());
    // The counter on display only grows, tick by tick, while the thread goes on.
    std::vector<int> shown;
    ASSERT_TRUE(WaitFor(
        [&] {
            if (shown.empty() || shown.back() != State().stepCounter) shown.push_back(State().stepCounter);
            return !View()->StepTimerRunning();
        },
        30));
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_GT(shown.size(), 2u);
    EXPECT_EQ(State().stepCounter, 400);
    test::Flush();
    EXPECT_EQ(progressSignals, 400);
    const std::vector<CurvePoint> headless = HeadlessCurve(*Doc()->GetFramePat());
    const std::vector<CurvePoint>& curve = View()->Run()->Curve();
    ASSERT_EQ(curve.size(), headless.size());
    for (size_t k = 0; k < curve.size(); ++k) {
        ASSERT_EQ(curve[k].force, headless[k].force) << k;
        ASSERT_EQ(Scene().controlHistory[2 * (k + 1) + 1], static_cast<float>(headless[k].force)) << k;
    }
}

// A run draws at about the screen's rate, not once a step: the view paints at most once a frame time
// (33 ms) while the thread goes on, yet every step reaches the histories and the results window's
// record, and the last step is the one on show at the end.
TEST_F(PushoverViewTest, ARunIsDrawnAtTheFrameRateAndEveryStepIsStillRecorded) {
    StartOnExample("shear-wall.fem");
    Doc()->GetFramePat()->stepsPerSegment = 400;
    ShowPushover();
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    View()->installEventFilter(&counter);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(RunToTheEnd());
    test::Flush();
    const qint64 elapsed = clock.elapsed();
    ASSERT_EQ(State().stepCounter, 400);
    // One frame at the start, one a frame time, and the end's.
    EXPECT_LE(counter.paints, elapsed / 33 + 3) << elapsed << " ms";
    EXPECT_GE(counter.paints, 1);
    // Every step, in order.
    const FieldHistory& history = Session().History();
    ASSERT_EQ(history.Count(), 400);
    for (int i = 0; i < 400; ++i) ASSERT_EQ(history.StepOf(i), i + 1);
    const std::vector<CurvePoint>& curve = View()->Run()->Curve();
    for (int k = 1; k <= 400; ++k)
        ASSERT_EQ(Scene().controlHistory[2 * k + 1], static_cast<float>(curve[size_t(k - 1)].force)) << k;
    const std::span<const double> buffer = View()->Run()->Results().Buffer();
    EXPECT_EQ(Scene().shownDisp[0], static_cast<float>(buffer[2]));
}

// The document's session builds its mesh when the model changes, never for a frame: preparations,
// repaints, pictures and the ticks of a whole run leave it alone; the run reads the session's own mesh
// and stream; an edit builds it once, and then the run keeps the mesh it was packed from.
TEST_F(PushoverViewTest, TheSessionBuildsItsMeshOnlyWhenTheModelChanges) {
    auto model = WallModel(3, 3);
    StartOn(*model);
    ShowPushover();
    const analysis::Session& session = Session();
    const int builds = session.MeshBuilds();
    ASSERT_GT(builds, 0);
    View()->Prepare();
    View()->repaint();
    EXPECT_FALSE(View()->Picture().isNull());
    View()->resize(View()->size() + QSize(20, 10));
    test::Flush();
    EXPECT_EQ(session.MeshBuilds(), builds);

    ASSERT_TRUE(Run(cmd::kPlay));
    const PushoverDriver* run = View()->Run();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->RunMesh().nodeX, session.GetMesh().nodeX); // no copy of the mesh
    EXPECT_EQ(&run->Stream(), &session.Input());              // nor of the packed stream
    ASSERT_TRUE(RunToTheEnd());
    ASSERT_EQ(State().stepCounter, 20);
    EXPECT_EQ(session.MeshBuilds(), builds);

    // An edit of the model: wider spans. The next preparation builds the mesh once, with them.
    const int32_t lastNodeX = session.GetMesh().nodeX[session.GetMesh().nodeCount - 1];
    EXPECT_EQ(lastNodeX, 1500);
    Edit([](CFramePat& edited) { edited.SpanLengthOf(kAxisX, 1) = 700; });
    test::Flush();
    EXPECT_EQ(session.MeshBuilds(), builds + 1);
    EXPECT_EQ(session.GetMesh().nodeX[session.GetMesh().nodeCount - 1], 2100);
    View()->Prepare();
    EXPECT_EQ(session.MeshBuilds(), builds + 1);
    // The run's steps are still read with the mesh they were computed on.
    EXPECT_NE(run->RunMesh().nodeX, session.GetMesh().nodeX);
    EXPECT_EQ(run->RunMesh().nodeX[run->RunMesh().nodeCount - 1], 1500);
}

TEST_F(PushoverViewTest, ClosingTheDocumentDuringARunStopsTheThreadBeforeTheSessionGoes) {
    StartOnExample("shear-wall.fem");
    Doc()->GetFramePat()->stepsPerSegment = 20000;
    ShowPushover();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(WaitFor([&] { return State().stepCounter >= 3; }, 30));
    ASSERT_TRUE(View()->Worker().Active());
    for (ChildFrame* frame : Frames()) frame->SubWindow()->close();
    test::Flush();
    EXPECT_TRUE(Docs().empty());
    EXPECT_TRUE(Frames().empty());
    // The program goes on: a new document analyses as before.
    StartOnExample("shear-wall.fem");
    ShowPushover();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(State().stepCounter, 100);
}

TEST_F(PushoverViewTest, ExportCurveWritesWhatTheHeadlessCommandWrites) {
    auto model = WallModel(6, 6);
    model->stepsPerSegment = 40;
    model->segmentPoints[1] = 1000;
    StartOn(*model);
    // An output element, as "Check Output Element" leaves it: the element at (3, 7).
    CFramePat& live = *Doc()->GetFramePat();
    live.outputElements[0] = PositionCode(3, 7);
    live.outputCount = 1;
    live.activeOutput = live.outputElements[0];
    ShowPushover();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(RunToTheEnd());
    ASSERT_EQ(State().stepCounter, 40);

    fileAnswer = QString::fromStdString(dir.file("window")); // the extension is added
    ASSERT_TRUE(Run(cmd::kExportCurve));
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString();
    const std::string curve = ReadText(dir.file("window.csv"));
    const std::string element = ReadText(dir.file("window_element.csv"));
    ASSERT_FALSE(curve.empty());
    EXPECT_EQ(curve.substr(0, curve.find('\n')),
              "step,control_displacement_mm,control_force_N,method,load_factor,iterations");
    EXPECT_EQ(std::count(curve.begin(), curve.end(), '\n'), 41);
    EXPECT_EQ(element.substr(0, 25), "step,gp1_concrete_stress_");

    const test::ProgramRun headless =
        test::RunTorva("analyze " + dir.file("wall.fem") + " --pushover --output-element 3,7 --curve " +
                       dir.file("headless.csv"));
    ASSERT_EQ(headless.exitCode, 0) << headless.output;
    EXPECT_EQ(ReadText(dir.file("headless.csv")), curve);
    EXPECT_EQ(ReadText(dir.file("headless_element.csv")), element);

    // A cancelled prompt writes nothing; an unwritable place is reported.
    fileAnswer.clear();
    ASSERT_TRUE(Run(cmd::kExportCurve));
    fileAnswer = QString::fromStdString(dir.file("missing/folder/x.csv"));
    ASSERT_TRUE(Run(cmd::kExportCurve));
    EXPECT_TRUE(messages.Last().startsWith("Cannot write")) << messages.Last().toStdString();
}

TEST_F(PushoverViewTest, AModelWithoutPointLoadsStopsAtStepOneWithTheReason) {
    auto model = WallModel(3, 3);
    model->Flag(2, 2, kPointForceLayer) = 0;
    StartOn(*model);
    // Analyze has nothing to complain about: the elastic step runs without loads.
    ShowPushover();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(messages.Last(), "The control node does not respond to the loads (step 1): check that the "
                               "model has point loads that move it in the control direction.");
    EXPECT_EQ(State().stepCounter, 0);
    EXPECT_EQ(State().engineStatus, engine::kStatusNoResponse);
    EXPECT_FALSE(Query(cmd::kExportCurve).enabled);
    EXPECT_TRUE(Query(cmd::kPlay).enabled);
}

TEST_F(PushoverViewTest, ALoadingThatCannotRunIsRefusedBeforeTheTimerStarts) {
    auto model = WallModel(3, 3);
    model->segmentCount = 2;
    model->segmentPoints[2] = 2000; // the second segment goes nowhere
    StartOn(*model);
    ShowPushover();
    ASSERT_TRUE(Run(cmd::kPlay));
    EXPECT_EQ(messages.Last(), "Segment 2 has zero length: it starts and ends at 2 mm.");
    EXPECT_FALSE(View()->StepTimerRunning());
    EXPECT_EQ(State().timerStopped, 1);
    EXPECT_EQ(View()->Run(), nullptr);
}

} // namespace
} // namespace torva
