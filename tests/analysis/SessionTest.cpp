// A document's analysis session: "Analyze" refuses a model before the engine or runs it and keeps its
// results (a failed call keeps the previous ones); two sessions analyse side by side, each exactly as
// if it ran alone; a method the engine does not offer is refused by name.
#include "analysis/Session.h"

#include "TestModels.h"
#include "analysis/EngineInputPacker.h"
#include "engine/Engine.h"
#include "model/ModelFile.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace torva;

namespace {

// 2 × 2 concrete elements, pinned along the base (unless told otherwise), pushed at a top corner.
std::unique_ptr<CFramePat> Wall(bool supported) {
    auto model = test::GridModel(2, 2);
    test::FillConcrete(*model);
    model->Prop(kBoundaryLayer, 1, 0) = 1;
    if (supported)
        for (int i = 0; i <= 2; ++i) test::Place(*model, i, 2, kBoundaryLayer);
    model->Prop(kPointForceLayer, 1, 0) = 1000000;
    test::Place(*model, 0, 0, kPointForceLayer);
    return model;
}

std::unique_ptr<CFramePat> LoadExample(const char* name) {
    auto model = std::make_unique<CFramePat>();
    FileError error;
    EXPECT_TRUE(LoadModelFile((test::SourceDir() / "examples" / name).string(), *model, error))
        << error.message;
    return model;
}

std::vector<double> Displayed(const analysis::Session& session) {
    const auto values = session.Results().Values();
    return {values.begin(), values.end()};
}

bool RunElastic(analysis::Session& session, const CFramePat& model, int& status, std::string& refusal) {
    session.ModelChanged(); // a model of its own: the analysis builds its mesh
    return session.RunElastic(model, status, refusal);
}

TEST(Session, AFinishedRunHoldsTheEngineResultAndItsStream) {
    auto model = Wall(true);
    analysis::Session session;
    int status = -1;
    std::string refusal;
    ASSERT_TRUE(RunElastic(session, *model, status, refusal));
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(refusal.empty());

    const std::vector<int32_t> stream = PackEngineInput(*test::ScannedMesh(*model), *model);
    EXPECT_TRUE(std::equal(stream.begin(), stream.end(), session.Input().begin()));
    auto engine = std::make_unique<engine::Engine>();
    ASSERT_EQ(engine->Start(stream, engine::kElasticMode, 0.0), engine::RunStatus::Done);
    const auto own = engine->Results().Values();
    EXPECT_EQ(Displayed(session), std::vector<double>(own.begin(), own.end()));
    EXPECT_EQ(session.Results().Layout(), engine::ResultLayout(9, 4, engine::OutputBlockKind::None));
    EXPECT_GT(session.Results().Displacement(0, 0), 0.0); // the loaded corner moves along the load
}

TEST(Session, AnUnstableModelLeavesThePreviousResults) {
    analysis::Session session;
    int status = -1;
    std::string refusal;
    auto stable = Wall(true);
    ASSERT_TRUE(RunElastic(session, *stable, status, refusal));
    ASSERT_EQ(status, 0);
    const std::vector<double> before = Displayed(session);

    auto loose = Wall(false);
    ASSERT_TRUE(RunElastic(session, *loose, status, refusal));
    EXPECT_EQ(status, engine::kStatusUnstable);
    EXPECT_EQ(Displayed(session), before);

    // And the next stable run replaces them again.
    ASSERT_TRUE(RunElastic(session, *stable, status, refusal));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Displayed(session), before);
}

TEST(Session, ARefusedModelNeverReachesTheEngine) {
    analysis::Session session;
    auto model = Wall(true);
    model->Prop(kConcreteLayer, 1, 4) = 0; // fc
    int status = -1;
    std::string refusal;
    EXPECT_FALSE(RunElastic(session, *model, status, refusal));
    EXPECT_NE(refusal.find("fc"), std::string::npos) << refusal;
    EXPECT_EQ(status, 0);
    const auto zero = [](auto v) { return v == 0; };
    EXPECT_TRUE(std::all_of(session.Input().begin(), session.Input().end(), zero));

    // Clearing empties both.
    auto good = Wall(true);
    ASSERT_TRUE(RunElastic(session, *good, status, refusal));
    ASSERT_FALSE(std::all_of(session.Input().begin(), session.Input().end(), zero));
    session.Clear();
    EXPECT_TRUE(std::all_of(session.Input().begin(), session.Input().end(), zero));
    const ResultBuffer shown = session.DisplayedBuffer();
    EXPECT_TRUE(std::all_of(shown.data, shown.data + shown.size, zero));
}

TEST(Session, TheIterativeMethodRunsAndRefusesReversedLoading) {
    analysis::Session session;
    session.SetMethod(engine::AnalysisMethod::Mcft);
    auto model = Wall(true);
    int status = -1;
    std::string refusal;
    EXPECT_TRUE(RunElastic(session, *model, status, refusal)) << refusal;
    EXPECT_EQ(status, engine::kStatusDone);
    EXPECT_EQ(session.Engine().Method(), engine::AnalysisMethod::Mcft);

    auto wall = LoadExample("shear-wall.fem");
    session.ModelChanged(); // a model of its own: the analysis builds its mesh
    std::string message;
    ASSERT_TRUE(session.StartPushover(*wall, message)) << message;
    EXPECT_EQ(session.Pushover()->RunStep(), engine::kStatusDone);
    ASSERT_EQ(session.Pushover()->Curve().size(), 1u);
    EXPECT_NEAR(session.Pushover()->Curve()[0].force,
                550000.0 * session.Engine().Iterative()->LastRecord().loadFactor,
                2e-3 * session.Pushover()->Curve()[0].force);

    // Out and back: refused before the run, the last run kept.
    wall->segmentCount = 2;
    wall->segmentPoints[2] = 0;
    EXPECT_FALSE(session.StartPushover(*wall, message));
    EXPECT_EQ(message, "The iterative method (MCFT) supports monotonic loading only: segment 2 reverses the "
                       "control displacement. Choose a monotonic loading, or the classic step-by-step method "
                       "for reversed loading.");
    session.SetMethod(engine::AnalysisMethod::Classic);
    EXPECT_TRUE(session.StartPushover(*wall, message)) << message;
}

// Everything one session's push-over run gives: the curve and the engine's buffer after each step.
struct RunRecord {
    std::vector<CurvePoint> curve;
    std::vector<std::vector<double>> buffers;
};

void RecordStep(analysis::Session& session, RunRecord& record) {
    ASSERT_EQ(session.Pushover()->RunStep(), engine::kStatusDone);
    const auto values = session.Engine().Results().Values();
    record.buffers.emplace_back(values.begin(), values.end());
    record.curve = session.Pushover()->Curve();
}

RunRecord Solo(const CFramePat& model) {
    analysis::Session session;
    session.ModelChanged(); // a model of its own: the analysis builds its mesh
    std::string message;
    EXPECT_TRUE(session.StartPushover(model, message)) << message;
    RunRecord record;
    while (!session.Pushover()->Finished()) RecordStep(session, record);
    return record;
}

TEST(Session, TwoSessionsStepInTurnAndEachGivesItsSoloRunToTheBit) {
    auto wall = LoadExample("shear-wall.fem");
    auto cantilever = LoadExample("cantilever.fem");
    const RunRecord wallAlone = Solo(*wall), cantileverAlone = Solo(*cantilever);
    ASSERT_FALSE(wallAlone.curve.empty());
    ASSERT_FALSE(cantileverAlone.curve.empty());

    analysis::Session first, second;
    first.ModelChanged();  // a model of its own: the analysis builds its mesh
    second.ModelChanged(); // a model of its own: the analysis builds its mesh
    std::string message;
    ASSERT_TRUE(first.StartPushover(*wall, message)) << message;
    ASSERT_TRUE(second.StartPushover(*cantilever, message)) << message;
    // Interleaved: one step of the wall, two of the cantilever, until both are done.
    RunRecord wallTurns, cantileverTurns;
    while (!first.Pushover()->Finished() || !second.Pushover()->Finished()) {
        if (!first.Pushover()->Finished()) RecordStep(first, wallTurns);
        for (int k = 0; k < 2 && !second.Pushover()->Finished(); ++k) RecordStep(second, cantileverTurns);
    }
    ASSERT_EQ(wallTurns.buffers.size(), wallAlone.buffers.size());
    for (size_t k = 0; k < wallAlone.buffers.size(); ++k)
        ASSERT_EQ(wallTurns.buffers[k], wallAlone.buffers[k]) << k;
    ASSERT_EQ(cantileverTurns.buffers.size(), cantileverAlone.buffers.size());
    for (size_t k = 0; k < cantileverAlone.buffers.size(); ++k)
        ASSERT_EQ(cantileverTurns.buffers[k], cantileverAlone.buffers[k]) << k;
    EXPECT_EQ(wallTurns.curve.back().force, wallAlone.curve.back().force);
    EXPECT_EQ(cantileverTurns.curve.back().force, cantileverAlone.curve.back().force);

    // An elastic analysis in one session leaves the other's results alone.
    const std::vector<double> before(second.Engine().Results().Values().begin(),
                                     second.Engine().Results().Values().end());
    int status = -1;
    std::string refusal;
    ASSERT_TRUE(first.RunElastic(*wall, status, refusal));
    ASSERT_EQ(status, 0);
    EXPECT_TRUE(std::ranges::equal(second.Engine().Results().Values(), before));
}

TEST(Session, ASmallEngineRefusesALargerModel) {
    auto wall = LoadExample("shear-wall.fem");
    analysis::Session roomy, tight({/*nodes*/ 4, /*elements*/ 1, engine::kMaxProfile});
    int status = -1;
    std::string refusal;
    ASSERT_TRUE(RunElastic(roomy, *wall, status, refusal)) << refusal;
    EXPECT_EQ(status, 0);
    ASSERT_TRUE(RunElastic(tight, *wall, status, refusal)) << refusal;
    EXPECT_EQ(status, engine::kStatusBadInput);
    EXPECT_EQ(tight.Engine().StepCount(), 0);
}

} // namespace

// The session's history of result fields: "Analyze" starts it with the elastic state (an unstable model
// keeps the last one), a push-over run starts a new one and takes its published steps in order only.
TEST(Session, TheHistoryTakesTheElasticStateThenThePushoversStepsInOrder) {
    analysis::Session session;
    auto model = Wall(true);
    int status = -1;
    std::string refusal;
    EXPECT_EQ(session.History().Count(), 0);
    EXPECT_EQ(session.RecordedStep(), -1);
    ASSERT_TRUE(RunElastic(session, *model, status, refusal));
    ASSERT_EQ(session.History().Count(), 1);
    EXPECT_EQ(session.RecordedStep(), 0);
    const ResultField& elastic = session.History().Field(0);
    EXPECT_EQ(elastic.elements, 4);
    EXPECT_TRUE(elastic.hasStrains);
    EXPECT_FALSE(elastic.hasCrackWidths); // the classic method
    EXPECT_EQ(elastic.ux[0], session.Results().Displacement(0, 0));
    EXPECT_EQ(session.HistoryMesh().elementCount, 4);

    auto loose = Wall(false);
    ASSERT_TRUE(RunElastic(session, *loose, status, refusal));
    ASSERT_EQ(status, engine::kStatusUnstable);
    EXPECT_EQ(session.History().Count(), 1);
    EXPECT_EQ(session.History().Field(0).ux[0], elastic.ux[0]);

    // The iterative method's elastic state carries its points' crack widths.
    session.SetMethod(engine::AnalysisMethod::Mcft);
    ASSERT_TRUE(RunElastic(session, *model, status, refusal));
    ASSERT_EQ(status, 0);
    EXPECT_TRUE(session.History().Field(0).hasCrackWidths);

    session.SetMethod(engine::AnalysisMethod::Classic);
    auto cantilever = LoadExample("cantilever.fem");
    session.ModelChanged(); // a model of its own: the analysis builds its mesh
    ASSERT_TRUE(session.StartPushover(*cantilever, refusal)) << refusal;
    EXPECT_EQ(session.History().Count(), 0); // a new run, a new history
    PushoverDriver& run = *session.Pushover();
    PublishedStep step;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(run.RunStep(), 0);
        step.step = run.Step();
        step.displacement = run.Results().ControlDisplacement();
        step.force = run.Results().ControlForce();
        step.field = ResultField();
        step.field.Resize(4, 9);
        EXPECT_TRUE(session.Record(PublishedStep(step)));
    }
    EXPECT_FALSE(session.Record(PublishedStep(step))); // the same step again
    step.step = 2;
    EXPECT_FALSE(session.Record(PublishedStep(step))); // an older one
    step.step = 4;
    step.status = engine::kStatusUnstable;
    EXPECT_FALSE(session.Record(PublishedStep(step))); // a failed call has no state
    ASSERT_EQ(session.History().Count(), 3);
    EXPECT_EQ(session.RecordedStep(), 3);
    EXPECT_EQ(session.History().StepOf(2), 3);
    EXPECT_DOUBLE_EQ(session.History().Curve()[2].force, run.Curve()[2].force / 1000);
}
