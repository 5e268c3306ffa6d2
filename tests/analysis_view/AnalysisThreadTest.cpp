// The analysis in the window's run thread: "Analyze" returns at once and its results, read when the
// thread is done, are those of the session's own call to the bit, for either method; the iterative
// method's iterations are shown in the status bar while it works and afterwards; Stop abandons a step
// within one iteration, the push-over then showing where it stopped and the engine holding exactly
// the last step done; and an engine refusal is told with the capacity and the excess.
#include "AnalysisViewFixture.h"
#include "analysis/MethodNames.h"
#include "analysis/PushoverDriver.h"
#include "analysis/RunProgressText.h"
#include "analysis_view/PushoverWorker.h"
#include "app/MainFrame.h"
#include "engine/Engine.h"
#include "framework/Settings.h"

#include <QRadioButton>
#include <QStatusBar>
#include <algorithm>
#include <atomic>
#include <span>

namespace torva {
namespace {

using engine::AnalysisMethod;
using test::WallModel;

class AnalysisThreadTest : public test::AnalysisViewTest {
protected:
    QString StatusText() const { return Main()->statusBar()->currentMessage(); }
    std::vector<double> EngineBuffer() const {
        const std::span<const double> b = Session().Engine().Results().Buffer();
        return {b.begin(), b.end()};
    }
    // The session's displayed results after a RunElastic of its own on a fresh session.
    static std::vector<double> DirectElastic(const CFramePat& model, AnalysisMethod method) {
        analysis::Session session;
        session.SetMethod(method);
        session.ModelChanged(); // a model of its own: the analysis builds its mesh
        int status = -1;
        std::string refusal;
        EXPECT_TRUE(session.RunElastic(model, status, refusal)) << refusal;
        EXPECT_EQ(status, 0);
        const ResultBuffer shown = session.DisplayedBuffer();
        return {shown.data, shown.data + shown.size};
    }
    void CheckAnalyze(AnalysisMethod method);
    // The run's thread holds at the first iteration of `step` until Stop is asked for.
    void HoldAt(int step) {
        holdStep_ = step;
        View()->Worker().SetIterationHook([this](const engine::IterationReport& report) {
            if (report.step != holdStep_) return;
            held_ = true;
            while (!View()->Worker().StopRequested()) QThread::msleep(1);
        });
    }
    bool WaitUntilHeld() const {
        return WaitFor([this] { return held_.load(); }, 60);
    }

    std::atomic<int> holdStep_{-1};
    std::atomic<bool> held_{false};
};

// "Analyze" with `method`: the command returns before anything is read, and the results shown
// once the thread is done are the session's own call's.
void AnalysisThreadTest::CheckAnalyze(AnalysisMethod method) {
    {
        Settings::SetAnalysisMethod(method);
        auto model = WallModel(6, 4);
        StartOn(*model);
        ASSERT_TRUE(Run(cmd::kActualSize));
        ASSERT_TRUE(Run(cmd::kAnalyze));
        // The command returned before anything was read: the thread's end is shown by the timer.
        EXPECT_TRUE(View()->Analysing());
        EXPECT_EQ(State().analysing, 1);
        EXPECT_EQ(State().analysisDone, 0);
        EXPECT_TRUE(Query(cmd::kStop).enabled);
        ASSERT_TRUE(WaitFor([&] { return !View()->Analysing(); }, 60));
        EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString();
        EXPECT_EQ(State().analysing, 0);
        EXPECT_EQ(State().analysisDone, 1);
        EXPECT_EQ(State().stepCounter, 1);
        EXPECT_FALSE(Query(cmd::kStop).enabled);
        EXPECT_TRUE(DisplayedValues() == DirectElastic(*model, method)) << MethodKey(method);
        if (method == AnalysisMethod::Mcft) {
            // The iterations of the step shown, as the engine recorded them.
            const engine::IterativeStepRecord& record = Session().Engine().Iterative()->LastRecord();
            ASSERT_GE(record.iterations, 1);
            EXPECT_EQ(StatusText().toStdString(),
                      "Step 1: " + std::to_string(record.iterations) +
                          (record.iterations == 1 ? " iteration" : " iterations") + ", residual " +
                          ResidualText(record.residual));
        } else {
            EXPECT_EQ(StatusText(), ""); // the classic method has no iterations to tell
        }
    }
}

TEST_F(AnalysisThreadTest, AnAnalyzeOfTheClassicMethodInTheThreadGivesTheDirectResultsToTheBit) {
    CheckAnalyze(AnalysisMethod::Classic);
}

TEST_F(AnalysisThreadTest, AnAnalyzeOfTheIterativeMethodInTheThreadGivesTheDirectResultsToTheBit) {
    CheckAnalyze(AnalysisMethod::Mcft);
}

TEST_F(AnalysisThreadTest, StopAbandonsAnAnalyzeWithinAnIterationAndKeepsTheResultsOnDisplay) {
    Settings::SetAnalysisMethod(AnalysisMethod::Mcft);
    StartOn(*WallModel(4, 3));
    ASSERT_TRUE(Analyze());
    const std::vector<double> shown = DisplayedValues();
    const std::vector<float> disp = Scene().shownDisp;

    HoldAt(1); // the load step, after the gravity state
    ASSERT_TRUE(Run(cmd::kAnalyze));
    ASSERT_TRUE(WaitUntilHeld());
    // The window answers meanwhile, and tells the iteration under way.
    ASSERT_TRUE(WaitFor(
        [&] { return StatusText().startsWith(QStringLiteral("Step 1 \u2014 iteration 1, residual ")); }, 5))
        << StatusText().toStdString();
    ASSERT_TRUE(Query(cmd::kStop).enabled);
    ASSERT_TRUE(Run(cmd::kStop));
    EXPECT_FALSE(View()->Analysing());
    EXPECT_FALSE(View()->Worker().Active());
    EXPECT_EQ(View()->Worker().CallStatus(), engine::kStatusCancelled);
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString(); // no box for a Stop
    EXPECT_EQ(StatusText(),
              "The analysis was stopped before its end; the results on display are those of before.");
    EXPECT_EQ(State().analysing, 0);
    EXPECT_EQ(State().analysisDone, 1);
    EXPECT_EQ(DisplayedValues(), shown);
    EXPECT_EQ(Scene().shownDisp, disp);
    EXPECT_FALSE(Query(cmd::kStop).enabled);

    // The engine is free: the same analysis again gives the same results.
    holdStep_ = -1;
    ASSERT_TRUE(RunAnalyze());
    EXPECT_EQ(DisplayedValues(), shown);
}

TEST_F(AnalysisThreadTest, StopInsideAPushoverStepSaysWhereAndTheEngineHoldsTheLastStepDone) {
    Settings::SetAnalysisMethod(AnalysisMethod::Mcft);
    auto model = WallModel(4, 3);
    model->stepsPerSegment = 12;
    model->segmentPoints[1] = 500; // 0.5 mm: the plain concrete wall stays short of its capacity
    StartOn(*model);
    ASSERT_TRUE(Analyze());
    Frame()->PushoverRadio()->click();
    HoldAt(6);
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(WaitUntilHeld()) << messages.Last().toStdString();
    // Every step before the held one is shown, and the status bar follows the iteration under way.
    ASSERT_TRUE(WaitFor([&] { return State().stepCounter == 5; }, 5));
    ASSERT_TRUE(WaitFor(
        [&] { return StatusText().startsWith(QStringLiteral("Step 6 \u2014 iteration 1, residual ")); }, 5))
        << StatusText().toStdString();
    const std::vector<double> lastDone = EngineBuffer();

    ASSERT_TRUE(Run(cmd::kStop));
    EXPECT_FALSE(View()->Worker().Active());
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString();
    const PushoverDriver& run = *View()->Run();
    EXPECT_EQ(run.Step(), 5);
    ASSERT_EQ(run.Curve().size(), 5u);
    EXPECT_EQ(State().stepCounter, 5);
    const CurvePoint& last = run.Curve().back();
    const engine::IterativeSolver& solver = *Session().Engine().Iterative();
    EXPECT_EQ(StatusText().toStdString(),
              StoppedText(5) + " " + StepIterationsText(5, last.iterations, solver.LastRecord().residual));
    // The abandoned step left the engine's results, load factor and step count of the last step done.
    EXPECT_EQ(EngineBuffer(), lastDone);
    EXPECT_EQ(Session().Engine().StepCount(), 5);
    EXPECT_EQ(solver.LoadFactor(), last.loadFactor);
    EXPECT_EQ(solver.LastRecord().step, 5);
    EXPECT_EQ(solver.LastRecord().iterations, last.iterations);
    EXPECT_FALSE(View()->StepTimerRunning());

    // Play starts afresh and runs to the end; the status bar names the last step's iterations.
    holdStep_ = -1;
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(WaitFor([&] { return !View()->StepTimerRunning(); }, 120));
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString();
    EXPECT_EQ(State().stepCounter, 12);
    const CurvePoint& end = View()->Run()->Curve().back();
    EXPECT_EQ(StatusText().toStdString(),
              StepIterationsText(12, end.iterations, solver.LastRecord().residual));
}

TEST_F(AnalysisThreadTest, AModelBeyondTheCapacityIsToldWhichCapacityAndByHowMuch) {
    // Rows of zero height tie the x of every node to the one below; held at the left edge only, each
    // column's ties reach from top to bottom and the profile outgrows the engine.
    auto model = WallModel(60, 43, false);
    model->SpanLengthOf(kAxisY, 1) = 0;
    for (int j = 2; j <= 45; ++j) {
        model->Flag(2, j, kBoundaryLayer) = 1;
        model->Type(2, j, kBoundaryLayer) = 1;
    }
    StartOn(*model);
    ASSERT_TRUE(Analyze());
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_EQ(
        messages.Last().toStdString(),
        "The model cannot be analysed (step 1): it needs 3,492,360 skyline profile terms and the analysis "
        "holds 2,000,000 (1,492,360 too many). Rows or columns of zero size tie distant nodes together and "
        "make the profile grow.");
    EXPECT_EQ(State().engineStatus, 5);
    EXPECT_EQ(State().analysisDone, 0);
}

} // namespace
} // namespace torva
