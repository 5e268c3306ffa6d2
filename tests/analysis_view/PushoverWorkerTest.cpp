// The push-over run in a thread of its own: every step is published once, in order, with the numbers
// of a run made in the caller's thread; progress is signalled; Stop, pause and destruction hold the
// thread between steps, and what was published is exactly what the run did. With the iterative method
// every iteration is reported, and Stop abandons the step under way.
#include "analysis_view/PushoverWorker.h"

#include "AnalysisViewFixture.h"
#include "analysis/Mesh.h"
#include "analysis/PushoverDriver.h"
#include "engine/Engine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <cmath>
#include <gtest/gtest.h>

namespace torva {
namespace {

using test::WallModel;

template <class Done> bool WaitLong(Done done, int seconds = 60) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 1000 * seconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return done();
}

// A model, its mesh, an engine and a started run of its loading.
struct StartedRun {
    explicit StartedRun(int steps, engine::AnalysisMethod method = engine::AnalysisMethod::Classic)
        : model(WallModel(4, 3)) {
        model->stepsPerSegment = steps;
        if (method == engine::AnalysisMethod::Mcft) model->segmentPoints[1] = 500; // short of the capacity
        mesh.Build(*model, kActualSize);
        std::string message;
        started = driver.Start(*model, mesh, message, method);
        EXPECT_TRUE(started) << message;
    }
    std::unique_ptr<CFramePat> model;
    Mesh mesh;
    engine::Engine engine;
    PushoverDriver driver{engine};
    bool started = false;
};

class PushoverWorkerTest : public ::testing::Test {
protected:
    // Waits for the first published step and returns it, or an empty list after a minute.
    static std::vector<PublishedStep> FirstSteps(PushoverWorker& worker) {
        std::vector<PublishedStep> steps;
        WaitLong([&] {
            std::vector<PublishedStep> more = worker.Take();
            for (PublishedStep& step : more) steps.push_back(std::move(step));
            return !steps.empty();
        });
        return steps;
    }
};

TEST_F(PushoverWorkerTest, EveryStepIsPublishedInOrderWithTheNumbersOfARunInTheCallersThread) {
    StartedRun threaded(60), direct(60);
    ASSERT_TRUE(threaded.started && direct.started);
    PushoverWorker worker;
    std::vector<std::pair<int, int>> progress;
    QObject receiver;
    QObject::connect(&worker, &PushoverWorker::progressed, &receiver,
                     [&](int step, int total) { progress.emplace_back(step, total); });
    int finishedSignals = 0;
    QObject::connect(&worker, &PushoverWorker::finished, &receiver, [&] { ++finishedSignals; });
    int filled = 0;
    worker.Start(threaded.driver, threaded.engine,
                 [&](const engine::Engine& engine, const MeshView& mesh, PublishedStep&) {
                     EXPECT_EQ(&engine, &threaded.engine);
                     EXPECT_EQ(mesh.elementCount, 12);
                     ++filled;
                 });
    EXPECT_TRUE(worker.Active());
    ASSERT_TRUE(WaitLong([&] { return finishedSignals == 1; }));
    ASSERT_TRUE(worker.Done());
    worker.Join();
    EXPECT_FALSE(worker.Active());

    while (!direct.driver.Finished()) direct.driver.RunStep();
    const std::vector<PublishedStep> steps = worker.Take();
    ASSERT_EQ(steps.size(), 60u);
    EXPECT_EQ(filled, 60);
    const std::vector<CurvePoint>& curve = direct.driver.Curve();
    for (int k = 0; k < 60; ++k) {
        EXPECT_EQ(steps[k].step, k + 1);
        EXPECT_EQ(steps[k].status, 0);
        // Bit for bit: the thread changes nothing of the arithmetic.
        EXPECT_EQ(steps[k].displacement, curve[k].displacement) << k;
        EXPECT_EQ(steps[k].force, curve[k].force) << k;
        EXPECT_EQ(threaded.driver.Curve()[k].force, curve[k].force) << k;
        ResultField field;
        DecodeStep(steps[k].results, steps[k].record, field);
        EXPECT_TRUE(field.hasResults);
        EXPECT_EQ(field.ux.size(), static_cast<size_t>(threaded.mesh.nodeCount));
    }
    const std::span<const double> last = direct.driver.Results().Values(); // the used part is published
    EXPECT_TRUE(
        std::equal(last.begin(), last.end(), steps.back().results.begin(), steps.back().results.end()));
    // One progress signal per step, in order, with the total.
    ASSERT_EQ(progress.size(), 60u);
    for (int k = 0; k < 60; ++k) EXPECT_EQ(progress[k], std::make_pair(k + 1, 60)) << k;
    EXPECT_TRUE(worker.Take().empty());
}

TEST_F(PushoverWorkerTest, StopEndsTheRunAfterTheStepUnderWayAndKeepsWhatItPublished) {
    StartedRun run(5000);
    ASSERT_TRUE(run.started);
    PushoverWorker worker;
    worker.Start(run.driver, run.engine);
    std::vector<PublishedStep> steps = FirstSteps(worker);
    ASSERT_FALSE(steps.empty());
    const int seen = steps.back().step;
    worker.Stop();
    EXPECT_FALSE(worker.Active());
    for (PublishedStep& step : worker.Take()) steps.push_back(std::move(step));
    // Whatever the thread did after the last step seen was at most the step under way and those it
    // finished before the request; nothing was started after it, and every step done was published.
    const int done = run.driver.Step();
    EXPECT_GE(done, seen);
    EXPECT_LT(done, 5000);
    ASSERT_EQ(static_cast<int>(steps.size()), done);
    EXPECT_EQ(steps.back().step, done);
    QThread::msleep(20);
    EXPECT_EQ(run.driver.Step(), done);
    EXPECT_TRUE(run.driver.Running()); // cancelled, not finished: Play starts a new run
}

TEST_F(PushoverWorkerTest, PauseHoldsTheThreadAndResumeFinishesTheSameRun) {
    StartedRun run(400), direct(400);
    ASSERT_TRUE(run.started && direct.started);
    PushoverWorker worker;
    worker.Start(run.driver, run.engine);
    std::vector<PublishedStep> steps = FirstSteps(worker);
    worker.SetPaused(true);
    // Pausing returned after the step under way: what is published is all the run has done.
    for (PublishedStep& step : worker.Take()) steps.push_back(std::move(step));
    const int held = run.driver.Step();
    EXPECT_EQ(static_cast<int>(steps.size()), held);
    QThread::msleep(30);
    EXPECT_EQ(run.driver.Step(), held);
    EXPECT_TRUE(worker.Take().empty());
    if (held < 400) {
        EXPECT_FALSE(worker.Done());
    }

    worker.SetPaused(false);
    ASSERT_TRUE(WaitLong([&] { return worker.Done(); }));
    worker.Join();
    for (PublishedStep& step : worker.Take()) steps.push_back(std::move(step));
    ASSERT_EQ(steps.size(), 400u);
    while (!direct.driver.Finished()) direct.driver.RunStep();
    for (int k = 0; k < 400; ++k) ASSERT_EQ(steps[k].force, direct.driver.Curve()[k].force) << k;
}

TEST_F(PushoverWorkerTest, AWorkerDestroyedDuringARunStopsItsThreadFirst) {
    StartedRun run(5000);
    ASSERT_TRUE(run.started);
    auto worker = std::make_unique<PushoverWorker>();
    worker->Start(run.driver, run.engine);
    ASSERT_FALSE(FirstSteps(*worker).empty());
    worker->SetPaused(true);
    worker->SetPaused(false);
    worker.reset(); // while running: no step is made after this
    const int done = run.driver.Step();
    QThread::msleep(20);
    EXPECT_EQ(run.driver.Step(), done);
    // The engine is free again: a run started anew goes on in this thread.
    std::string message;
    ASSERT_TRUE(run.driver.Start(*run.model, run.mesh, message)) << message;
    EXPECT_EQ(run.driver.RunStep(), 0);
    EXPECT_EQ(run.driver.Step(), 1);
}

TEST_F(PushoverWorkerTest, AStartOverARunningThreadStopsItAndStartsAfresh) {
    StartedRun first(5000), second(30);
    ASSERT_TRUE(first.started && second.started);
    PushoverWorker worker;
    worker.Start(first.driver, first.engine);
    ASSERT_FALSE(FirstSteps(worker).empty());
    worker.Start(second.driver, second.engine);
    const int firstDone = first.driver.Step();
    ASSERT_TRUE(WaitLong([&] { return worker.Done(); }));
    worker.Join();
    EXPECT_EQ(first.driver.Step(), firstDone);
    // Only the new run's steps: the old one's were dropped with it.
    const std::vector<PublishedStep> steps = worker.Take();
    ASSERT_EQ(steps.size(), 30u);
    EXPECT_EQ(steps.front().step, 1);
}

TEST_F(PushoverWorkerTest, StopAbandonsAnIterativeStepAtItsIterationAndTheRunCanGoOnFromTheStepBefore) {
    StartedRun run(12, engine::AnalysisMethod::Mcft), direct(12, engine::AnalysisMethod::Mcft);
    ASSERT_TRUE(run.started && direct.started);
    PushoverWorker worker;
    std::atomic<bool> held{false};
    std::vector<engine::IterationReport> reports;
    // The thread holds at the second iteration of step 4 until Stop is asked for.
    worker.SetIterationHook([&](const engine::IterationReport& report) {
        reports.push_back(report);
        if (report.step != 4 || report.iteration != 2) return;
        held = true;
        while (!worker.StopRequested()) QThread::msleep(1);
    });
    worker.Start(run.driver, run.engine);
    ASSERT_TRUE(WaitLong([&] { return held.load(); }));
    const PushoverWorker::IterationProgress progress = worker.LastIteration();
    EXPECT_EQ(progress.step, 4);
    EXPECT_EQ(progress.iteration, 2);
    EXPECT_TRUE(std::isfinite(progress.residual));
    worker.Stop();
    EXPECT_FALSE(worker.Active());

    // Nothing is published of the abandoned step; the published ones carry their iterations.
    const std::vector<PublishedStep> steps = worker.Take();
    ASSERT_EQ(steps.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(direct.driver.RunStep(), 0);
        EXPECT_EQ(steps[k].iterations, direct.engine.Iterative()->LastRecord().iterations) << k;
        EXPECT_EQ(steps[k].residual, direct.engine.Iterative()->LastRecord().residual) << k;
        EXPECT_EQ(steps[k].force, direct.driver.Curve()[k].force) << k;
    }
    // The reports of a step end with its recorded iteration count.
    int lastOfStep3 = 0;
    for (const engine::IterationReport& report : reports)
        if (report.step == 3) lastOfStep3 = report.iteration;
    EXPECT_EQ(lastOfStep3, steps[2].iterations);

    // The run is where the direct one is after three steps, to the bit, and still going.
    EXPECT_EQ(run.driver.Step(), 3);
    EXPECT_TRUE(run.driver.Running());
    EXPECT_EQ(run.driver.Curve().size(), 3u);
    const std::span<const double> here = run.driver.Results().Buffer(),
                                  there = direct.driver.Results().Buffer();
    EXPECT_TRUE(std::equal(here.begin(), here.end(), there.begin(), there.end()));
    EXPECT_EQ(run.engine.Iterative()->LoadFactor(), direct.engine.Iterative()->LoadFactor());
    // Going on in this thread, the step abandoned is made again.
    worker.SetIterationHook({});
    ASSERT_EQ(run.driver.RunStep(), 0);
    ASSERT_EQ(direct.driver.RunStep(), 0);
    EXPECT_EQ(run.driver.Step(), 4);
    EXPECT_EQ(run.driver.Curve().back().displacement, direct.driver.Curve().back().displacement);
    EXPECT_NEAR(run.driver.Curve().back().force, direct.driver.Curve().back().force,
                2e-3 * std::abs(direct.driver.Curve().back().force));
}

} // namespace
} // namespace torva
