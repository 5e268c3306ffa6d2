// The analysis window driven as a user drives it: size modes, Analyze and its refusals, the mode
// switches through the bar's radios and list, Play, the response scale, the trackbar, mouse zoom and
// pan, resizing, Save Data and the "Response Setting" command.
#include "AnalysisViewFixture.h"
#include "analysis/EngineInputPacker.h"
#include "analysis/ExternalLauncher.h"
#include "analysis/Mesh.h"
#include "drawing/ModelMarks.h"
#include "drawing/Pixels.h"
#include "engine/Engine.h"
#include "framework/FileDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <algorithm>
#include <cmath>
#include <vector>

namespace torva {
namespace {

using test::AnalysisViewTest;
using test::Flush;
using test::WallModel;

TEST_F(AnalysisViewTest, AnalyzeIsEnabledInEitherSizeAndShowsItsResultAtActualSize) {
    StartOnExample("shear-wall.fem");
    EXPECT_EQ(Frame()->FrameTitle(), "shear-wall.fem \u2014 Analysis \u2014 Classic step-by-step");
    EXPECT_TRUE(Query(cmd::kDefaultSize).checked);
    for (int id : {cmd::kSaveData, cmd::kViewSeparation, cmd::kPlay, cmd::kStop, cmd::kPause})
        EXPECT_FALSE(Query(id).enabled) << id;
    EXPECT_TRUE(Query(cmd::kAnalyze).enabled);
    EXPECT_TRUE(Frame()->Router()->FindAction(cmd::kAnalyze)->isEnabled());
    EXPECT_TRUE(RunAnalyze());
    EXPECT_EQ(State().analysisDone, 1);
    EXPECT_TRUE(Query(cmd::kActualSize).checked);
    ASSERT_TRUE(Run(cmd::kDefaultSize));

    ASSERT_TRUE(Run(cmd::kActualSize));
    EXPECT_TRUE(Query(cmd::kActualSize).checked);
    EXPECT_FALSE(Query(cmd::kDefaultSize).checked);
    for (int id : {cmd::kAnalyze, cmd::kSaveData, cmd::kViewSeparation}) EXPECT_TRUE(Query(id).enabled) << id;
    // The toolbar button follows the rule, as the user sees it.
    EXPECT_TRUE(Frame()->Router()->FindAction(cmd::kAnalyze)->isEnabled());
    // Actual size draws the true spans: the wall is 6 m wide and 30 m high.
    const Mesh& mesh = Session().GetMesh();
    EXPECT_EQ(*std::max_element(mesh.nodeX, mesh.nodeX + mesh.nodeCount), 6000);
    EXPECT_EQ(*std::max_element(mesh.nodeY, mesh.nodeY + mesh.nodeCount), 30000);
}

TEST_F(AnalysisViewTest, AnalyzeShowsTheElasticResultOfTheEngine) {
    StartOnExample("shear-wall.fem");
    Frame()->ViewList()->setCurrentIndex(2);
    State().responseScale = 8.0f;
    ASSERT_TRUE(Analyze());
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString();

    EXPECT_TRUE(Frame()->ElasticRadio()->isChecked());
    EXPECT_FALSE(Frame()->PushoverRadio()->isChecked());
    EXPECT_EQ(State().responseScale, 1.0f);
    EXPECT_EQ(Frame()->ViewList()->currentIndex(), 0);
    EXPECT_EQ(State().stepCounter, 1);
    EXPECT_EQ(State().analysisDone, 1);
    EXPECT_EQ(View()->Control().separation, 0);
    EXPECT_FALSE(Query(cmd::kPlay).enabled); // elastic mode has no steps to play

    // The displayed displacements and stresses are the engine's result buffer...
    const Mesh& mesh = Session().GetMesh();
    const std::vector<double>& buffer = DisplayedValues();
    ASSERT_GT(mesh.nodeCount, 200);
    for (int i = 0; i < 2 * mesh.nodeCount; ++i)
        ASSERT_EQ(Scene().shownDisp[i], static_cast<float>(buffer[2 + i])) << i;
    for (int i = 0; i < 27 * mesh.elementCount; ++i)
        ASSERT_EQ(Scene().shownGauss[i], static_cast<float>(buffer[2 + 2 * mesh.nodeCount + i])) << i;

    // ... and that buffer is what an engine of its own computes for the same model.
    auto engine = std::make_unique<engine::Engine>();
    const std::vector<int32_t> stream = PackEngineInput(mesh, *Doc()->GetFramePat());
    ASSERT_EQ(engine->Start(stream, engine::kElasticMode, 0.0), engine::RunStatus::Done);
    const std::span<const double> results = engine->Results().Values();
    for (int i = 0; i < 2 * mesh.nodeCount; ++i) ASSERT_EQ(buffer[2 + i], results[2 + i]) << i;
    // The lateral load pushes the wall's top towards +x by a visible amount.
    const float top = Scene().shownDisp[0];
    EXPECT_GT(top, 0.01f);
    EXPECT_LT(top, 100.0f);
}

TEST_F(AnalysisViewTest, ViewChoiceTurnsOnPushoverAndSeparationAndElasticTurnsThemOff) {
    StartOnExample("shear-wall.fem");
    ASSERT_TRUE(Analyze());
    // As a user's choice in the list: the selection moves, then the list says it was activated.
    Frame()->ViewList()->setCurrentIndex(1);
    emit Frame()->ViewList()->activated(1);
    EXPECT_EQ(Scene().viewKind, 1);
    EXPECT_EQ(State().analysisMode, AnalysisState::kPushoverMode);
    EXPECT_TRUE(Frame()->PushoverRadio()->isChecked());
    EXPECT_FALSE(Frame()->ElasticRadio()->isChecked());
    EXPECT_EQ(View()->Control().separation, 1);
    EXPECT_TRUE(Query(cmd::kViewSeparation).checked);

    Frame()->ElasticRadio()->click();
    EXPECT_EQ(State().analysisMode, AnalysisState::kElasticMode);
    EXPECT_TRUE(Frame()->ElasticRadio()->isChecked());
    EXPECT_FALSE(Frame()->PushoverRadio()->isChecked());
    EXPECT_EQ(View()->Control().separation, 0);
    EXPECT_FALSE(Query(cmd::kViewSeparation).checked);

    // Clicking the radio that is already on leaves it on.
    Frame()->ElasticRadio()->click();
    EXPECT_TRUE(Frame()->ElasticRadio()->isChecked());

    // "View Separation" on its own toggles the strip, not the mode.
    ASSERT_TRUE(Run(cmd::kViewSeparation));
    EXPECT_EQ(View()->Control().separation, 1);
    EXPECT_TRUE(Query(cmd::kViewSeparation).checked);
    EXPECT_EQ(State().analysisMode, AnalysisState::kElasticMode);
    ASSERT_TRUE(Run(cmd::kViewSeparation));
    EXPECT_EQ(View()->Control().separation, 0);

    // "Default Size" forgets the results: the push-over commands wait again, Analyze stays.
    emit Frame()->ViewList()->activated(0);
    ASSERT_TRUE(Run(cmd::kDefaultSize));
    EXPECT_EQ(State().analysisDone, 0);
    EXPECT_TRUE(Frame()->ElasticRadio()->isChecked());
    for (int id : {cmd::kPlay, cmd::kStop, cmd::kPause, cmd::kViewSeparation})
        EXPECT_FALSE(Query(id).enabled) << id;
    EXPECT_TRUE(Query(cmd::kAnalyze).enabled);
}

TEST_F(AnalysisViewTest, PlayInPushoverModeRunsTheLoadingAndStopsAtItsLastStep) {
    StartOnExample("shear-wall.fem");
    ASSERT_TRUE(Analyze());
    Frame()->PushoverRadio()->click();
    ASSERT_EQ(State().analysisMode, AnalysisState::kPushoverMode);
    EXPECT_EQ(State().stepCounter, 0);
    ASSERT_TRUE(Query(cmd::kPlay).enabled);

    ASSERT_TRUE(Run(cmd::kPlay));
    EXPECT_TRUE(View()->StepTimerRunning());
    EXPECT_EQ(State().timerStopped, 0);
    EXPECT_FALSE(Query(cmd::kDefaultSize).enabled); // the sizes wait for the animation
    ASSERT_TRUE(
        WaitFor([&] { return !View()->StepTimerRunning(); }, 30)); // a whole run, on a loaded machine too
    EXPECT_EQ(State().stepCounter, 100);
    EXPECT_EQ(State().timerStopped, 1);
    EXPECT_TRUE(Query(cmd::kPlay).enabled);
    EXPECT_TRUE(Query(cmd::kDefaultSize).enabled);
    // The ticks showed the engine's last step and recorded every step as a history row.
    const std::span<const double> buffer = View()->Run()->Results().Buffer();
    EXPECT_EQ(Scene().shownDisp[0], static_cast<float>(buffer[2]));
    EXPECT_EQ(Scene().controlHistory[200], static_cast<float>(buffer[0]));
    EXPECT_NEAR(Scene().controlHistory[200] - Scene().controlHistory[2], 9.9f, 1e-4f);

    // Paused, nothing moves; Play starts again from 0.
    ASSERT_TRUE(Run(cmd::kPause));
    EXPECT_TRUE(Query(cmd::kPause).checked);
    ASSERT_TRUE(Run(cmd::kPlay));
    EXPECT_EQ(State().stepCounter, 0);
    EXPECT_EQ(View()->Control().paused, 0);
    ASSERT_TRUE(Run(cmd::kStop));
    EXPECT_FALSE(View()->StepTimerRunning());
    EXPECT_EQ(State().timerStopped, 1);
}

TEST_F(AnalysisViewTest, ARunLongerThanTheHistoriesIsRefusedBeforeTheTimerStarts) {
    auto model = WallModel(2, 2);
    model->segmentCount = 2;
    model->stepsPerSegment = 30001; // 60,002 steps
    StartOn(*model);
    ASSERT_TRUE(Analyze());
    Frame()->PushoverRadio()->click();
    ASSERT_TRUE(Run(cmd::kPlay));
    EXPECT_TRUE(messages.Last().contains("60000")) << messages.Last().toStdString();
    EXPECT_FALSE(View()->StepTimerRunning());
    EXPECT_EQ(State().timerStopped, 1);

    // 60,000 steps fit.
    Doc()->GetFramePat()->stepsPerSegment = 30000;
    messages.Clear();
    ASSERT_TRUE(Run(cmd::kPlay));
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_TRUE(View()->StepTimerRunning());
    ASSERT_TRUE(WaitFor([&] { return State().stepCounter > 0; }));
    ASSERT_TRUE(Run(cmd::kStop));
    EXPECT_FALSE(View()->StepTimerRunning());
}

TEST_F(AnalysisViewTest, PushoverWithoutControlNodeIsRefusedAndTheElasticRadioComesBack) {
    auto model = WallModel(3, 2);
    model->controlNode = 0;
    StartOn(*model);
    ASSERT_TRUE(Analyze());
    Frame()->PushoverRadio()->click();
    EXPECT_EQ(messages.Last(), "Set the control node: Member \u25B8 Check Control Node, then click a node.");
    EXPECT_EQ(State().analysisMode, AnalysisState::kElasticMode);
    EXPECT_TRUE(Frame()->ElasticRadio()->isChecked());
    EXPECT_FALSE(Frame()->PushoverRadio()->isChecked());
}

TEST_F(AnalysisViewTest, AmplifyThreeTimesThenReduceGivesFourAndMovesTheRedMesh) {
    StartOn(*WallModel(4, 4));
    ASSERT_TRUE(Analyze());
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(Run(cmd::kAmplifyResponse));
    ASSERT_TRUE(Run(cmd::kReduceResponse));
    // The window's own multiplier, not the state every window shares.
    EXPECT_EQ(View()->Control().multiplier, 4.0f);
    EXPECT_EQ(State().responseScale, 1.0f);
    // The displayed mesh is the node plus four times the readable scale times its displacement.
    Shot();
    const Mesh& mesh = Session().GetMesh();
    const float scale = Scene().automaticScale * 4.0f;
    EXPECT_GT(Scene().automaticScale, 1.0f);
    for (int k = 0; k < mesh.nodeCount; ++k) {
        EXPECT_EQ(Scene().shownX[k], static_cast<int>(mesh.nodeX[k] + scale * Scene().shownDisp[2 * k])) << k;
        EXPECT_EQ(Scene().shownY[k], static_cast<int>(mesh.nodeY[k] + scale * Scene().shownDisp[2 * k + 1]))
            << k;
    }
}

TEST_F(AnalysisViewTest, TrackbarReleaseSetsTheGlyphFactor) {
    StartOn(*WallModel(2, 2));
    QSlider* trackbar = Frame()->Trackbar();
    EXPECT_EQ(trackbar->minimum(), -100);
    EXPECT_EQ(trackbar->maximum(), 100);
    EXPECT_EQ(trackbar->tickInterval(), 10);
    EXPECT_EQ(State().glyphFactor, 1.0f);

    // Dragged: nothing changes until the handle is released.
    trackbar->setSliderDown(true);
    trackbar->setValue(50);
    EXPECT_EQ(State().glyphFactor, 1.0f);
    trackbar->setSliderDown(false);
    EXPECT_FLOAT_EQ(State().glyphFactor, 2.5625f);

    // A click on the groove moves it without a drag.
    trackbar->setValue(-100);
    EXPECT_FLOAT_EQ(State().glyphFactor, 0.5f);
}

TEST_F(AnalysisViewTest, LeftDragZoomsWithAFloorAndRightDragPans) {
    StartOn(*WallModel(3, 3));
    ASSERT_TRUE(Run(cmd::kActualSize));
    ASSERT_EQ(Scene().projection.zoom, 1.0f);
    Drag(Qt::LeftButton, {100, 100}, {130, 120});
    EXPECT_FLOAT_EQ(Scene().projection.zoom, 1.5f);
    EXPECT_TRUE(Query(cmd::kZoomPicture).checked);
    EXPECT_FALSE(Query(cmd::kMovePicture).checked);
    // A move without a button held does nothing.
    Mouse(QEvent::MouseMove, Qt::NoButton, {300, 300});
    EXPECT_FLOAT_EQ(Scene().projection.zoom, 1.5f);

    Drag(Qt::LeftButton, {600, 100}, {100, 100});
    EXPECT_FLOAT_EQ(Scene().projection.zoom, 0.2f);

    // "Zoom Picture" chosen, but the right button pans and marks "Move Picture".
    ASSERT_TRUE(Run(cmd::kZoomPicture));
    EXPECT_TRUE(Query(cmd::kZoomPicture).checked);
    const int x = Scene().projection.originX, y = Scene().projection.originY;
    Drag(Qt::RightButton, {50, 50}, {60, 75});
    EXPECT_EQ(Scene().projection.originX, x + 10);
    EXPECT_EQ(Scene().projection.originY, y + 25);
    EXPECT_FLOAT_EQ(Scene().projection.zoom, 0.2f);
    EXPECT_TRUE(Query(cmd::kMovePicture).checked);
    EXPECT_FALSE(Query(cmd::kZoomPicture).checked);

    // A drag in several moves pans by its whole path.
    Mouse(QEvent::MouseButtonPress, Qt::RightButton, {50, 50});
    Mouse(QEvent::MouseMove, Qt::RightButton, {70, 40});
    Mouse(QEvent::MouseMove, Qt::RightButton, {65, 60});
    Mouse(QEvent::MouseButtonRelease, Qt::RightButton, {65, 60});
    EXPECT_EQ(Scene().projection.originX, x + 10 + 15);
    EXPECT_EQ(Scene().projection.originY, y + 25 + 10);
}

TEST_F(AnalysisViewTest, ResizingFitsTheModelAgainCentredInTheNewPlot) {
    StartOn(*WallModel(3, 3));
    ASSERT_TRUE(Run(cmd::kActualSize));
    Drag(Qt::LeftButton, {100, 100}, {110, 110});
    Drag(Qt::RightButton, {100, 100}, {140, 90});
    Shot("before");
    const float zoom = Scene().projection.zoom;
    ASSERT_FLOAT_EQ(zoom, 1.2f);
    ASSERT_NE(Scene().projection.originX, View()->width() / 5);

    QMdiSubWindow* sub = Frame()->SubWindow();
    sub->resize(sub->width() + 60, sub->height() + 40);
    Flush();
    Shot("after"); // the repaint measures the new size
    const Projection& p = Scene().projection;
    EXPECT_EQ(p.clientWidth, View()->width());
    EXPECT_FLOAT_EQ(p.zoom, 1.0f);
    // The 1500-mm square wall sits in the middle of the room the margins leave, touching two sides.
    const int roomWidth = View()->width() - Projection::kMarginLeft - Projection::kMarginRight;
    const int roomHeight = View()->height() - Projection::kMarginTop - Projection::kMarginBottom;
    EXPECT_FLOAT_EQ(p.baseScale, std::min(roomWidth, roomHeight) / 1500.0f);
    EXPECT_NEAR(p.ScreenX(750), Projection::kMarginLeft + roomWidth / 2.0, 1.0);
    EXPECT_NEAR(p.ScreenY(750), Projection::kMarginTop + roomHeight / 2.0, 1.0);
}

TEST_F(AnalysisViewTest, AnUnstableModelIsReportedAndTheDisplayStaysAsItWas) {
    auto model = WallModel(4, 3);
    StartOn(*model);
    ASSERT_TRUE(Analyze());
    ASSERT_TRUE(messages.Texts().isEmpty());
    const std::vector<float> disp = Scene().shownDisp;
    const std::vector<double> buffer = DisplayedValues();
    const QImage before = Shot("before");

    // The supports go: the results held belong to the supported wall and are out of date.
    Edit([](CFramePat& edited) {
        for (int i = 2; i <= 6; ++i) edited.Flag(i, 5, kBoundaryLayer) = 0;
    });
    ASSERT_TRUE(RunAnalyze());
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_TRUE(messages.Last().startsWith("The structure is unstable")) << messages.Last().toStdString();
    EXPECT_TRUE(messages.Last().contains("supports"));
    // The failed analysis changes nothing held, and what is held is still out of date: not drawn.
    EXPECT_TRUE(Session().ResultsOutOfDate());
    EXPECT_EQ(State().analysisDone, 0);
    EXPECT_EQ(State().stepCounter, 1);
    EXPECT_EQ(Scene().shownDisp, disp);
    EXPECT_EQ(DisplayedValues(), buffer);
    const QImage after = Shot("after");
    auto isSupport = [](QRgb c) { return c == ModelMarkColours::Support().rgb(); };
    EXPECT_GT(test::Count(before, isSupport), 50);
    EXPECT_EQ(test::Count(after, isSupport), 0);
    EXPECT_GT(test::Count(before, test::IsPureRed), 100);
    EXPECT_EQ(test::Count(after, test::IsPureRed), 0);
}

TEST_F(AnalysisViewTest, AModelTheCheckRefusesIsNeverAnalysed) {
    auto model = WallModel(2, 2);
    model->Prop(kConcreteLayer, 1, 0) = 0; // no thickness
    StartOn(*model);
    ASSERT_TRUE(Analyze());
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_TRUE(messages.Last().contains("thickness")) << messages.Last().toStdString();
    EXPECT_EQ(State().analysisDone, 0);
    EXPECT_EQ(State().stepCounter, 0);
}

TEST_F(AnalysisViewTest, AnalyzeUsesTheSpansAsTheyAreNow) {
    auto model = WallModel(2, 2, true, 500);
    StartOn(*model);
    ASSERT_TRUE(Run(cmd::kActualSize));
    // A span edit in the plan is no grid-size change: the results are not reset, but the mesh that is
    // drawn and analysed has the new lengths.
    Edit([](CFramePat& edited) { edited.SpanLengthOf(kAxisX, 1) = 800; });
    ASSERT_TRUE(RunAnalyze());
    const Mesh& mesh = Session().GetMesh();
    EXPECT_EQ(*std::max_element(mesh.nodeX, mesh.nodeX + mesh.nodeCount), 1600);
    const std::vector<int32_t>& stream = Session().Input();
    EXPECT_EQ(stream[4 + 2 * 2], 1600); // third node: x of the right edge of the top row
}

TEST_F(AnalysisViewTest, ANewGridSizeResetsTheResults) {
    StartOn(*WallModel(3, 2));
    ASSERT_TRUE(Analyze());
    ASSERT_EQ(State().stepCounter, 1);
    Drag(Qt::LeftButton, {10, 10}, {40, 10});
    Edit([](CFramePat& edited) { edited.nxs += 1; });
    EXPECT_EQ(State().stepCounter, 0);
    EXPECT_EQ(Scene().projection.zoom, 1.0f); // refitted
    EXPECT_TRUE(
        std::all_of(Scene().shownDisp.begin(), Scene().shownDisp.end(), [](float v) { return v == 0; }));
    const std::vector<double> shown = DisplayedValues();
    EXPECT_TRUE(std::all_of(shown.begin(), shown.end(), [](double v) { return v == 0; }));
}

TEST_F(AnalysisViewTest, FibreSheetCellsGiveANoteInTheStatusBarWhenAnalysed) {
    auto model = WallModel(2, 1);
    model->Flag(2, 2, kFibreLayer) = 1;
    model->Type(2, 2, kFibreLayer) = 1;
    model->Flag(3, 2, kFibreLayer) = 1;
    model->Type(3, 2, kFibreLayer) = 1;
    StartOn(*model);
    ASSERT_TRUE(Analyze());
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString(); // a note, not a message box
    EXPECT_EQ(Main()->statusBar()->currentMessage(),
              "Fibre sheets are not analysed: the fibre sheet on 2 cells is left out.");
}

TEST_F(AnalysisViewTest, AModelWithoutFibreSheetsAnalysesWithoutTheNote) {
    StartOn(*WallModel(2, 1));
    Main()->statusBar()->showMessage("Fibre sheets are not analysed: left from before");
    ASSERT_TRUE(Analyze());
    EXPECT_EQ(Main()->statusBar()->currentMessage(), "");
}

TEST_F(AnalysisViewTest, SaveDataAsksTheFolderReportsThePathAndStartsOnlyAProgramSetUp) {
    StartOn(*WallModel(2, 1));
    FakeLauncher launcher;
    View()->SetLauncher(&launcher);
    View()->SetExternalProgram(QString());
    const QString chosen = QString::fromStdString(dir.path()) + "/export";
    ASSERT_TRUE(QDir().mkpath(chosen));
    QStringList suggestions;
    QString answer = chosen;
    FileDialogs::SetFolderHandler([&](const QString& suggested) {
        suggestions << suggested;
        return answer;
    });
    EXPECT_FALSE(Run(cmd::kSaveData)); // default size
    ASSERT_TRUE(Run(cmd::kActualSize));

    // No program set up: the export is written where asked, the path is shown, nothing is started.
    ASSERT_TRUE(Run(cmd::kSaveData));
    ASSERT_EQ(suggestions.size(), 1);
    EXPECT_EQ(QFileInfo(suggestions[0]).canonicalFilePath(),
              QFileInfo(QString::fromStdString(dir.path())).canonicalFilePath()); // the model's folder
    EXPECT_EQ(messages.Last(), "Wrote " + chosen + "/input_data.txt.");
    EXPECT_GT(QFileInfo(chosen + "/input_data.txt").size(), 50);
    EXPECT_TRUE(launcher.requests.empty());

    // Cancelling the folder prompt writes nothing.
    messages.Clear();
    QFile::remove(chosen + "/input_data.txt");
    answer.clear();
    ASSERT_TRUE(Run(cmd::kSaveData));
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(chosen + "/input_data.txt"));

    // A program set up is started in the chosen folder, and a failure names it.
    answer = chosen;
    View()->SetExternalProgram("/opt/solver/run");
    ASSERT_TRUE(Run(cmd::kSaveData));
    ASSERT_EQ(launcher.requests.size(), 1u);
    EXPECT_EQ(launcher.requests[0].program, "/opt/solver/run");
    EXPECT_EQ(launcher.requests[0].folder, chosen.toStdString());
    EXPECT_EQ(messages.Last(), "Wrote " + chosen + "/input_data.txt.\nStarted /opt/solver/run.");
    launcher.result = false;
    ASSERT_TRUE(Run(cmd::kSaveData));
    EXPECT_EQ(messages.Last(), "Wrote " + chosen + "/input_data.txt.\nCould not start /opt/solver/run.");
    FileDialogs::SetFolderHandler(nullptr);
    View()->SetLauncher(nullptr);
}

TEST_F(AnalysisViewTest, ResponseSettingCommandShowsTheBarFloatingBelowTheFrameCorner) {
    StartOn(*WallModel(2, 1));
    QDockWidget* bar = Frame()->ResponseSettingBar();
    ASSERT_TRUE(bar->isHidden());
    EXPECT_FALSE(Query(cmd::kShowResponseSetting).checked);
    ASSERT_TRUE(Run(cmd::kShowResponseSetting));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->isFloating());
    EXPECT_EQ(bar->pos(), Frame()->mapToGlobal(QPoint(0, 0)) + QPoint(40, 70));
    EXPECT_TRUE(Query(cmd::kShowResponseSetting).checked);
    // Also from the main menu while the analysis window is active.
    QAction* entry = Main()->Router()->FindAction(cmd::kShowResponseSetting);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->isEnabled());

    // "Defaul Size" hides it again.
    ASSERT_TRUE(Run(cmd::kDefaultSize));
    EXPECT_FALSE(bar->isVisible());
    ASSERT_TRUE(Run(cmd::kShowResponseSetting));
    ASSERT_TRUE(Run(cmd::kShowResponseSetting));
    EXPECT_FALSE(bar->isVisible());
}

} // namespace
} // namespace torva
