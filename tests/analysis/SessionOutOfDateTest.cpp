// A session after its model changes: the mesh is built and the stream packed again only then (never for
// another Analyze or Play of the same model), results held go out of date and are not shown until the
// next analysis, which gives what a fresh session gives; a method change puts results out of date
// without a new mesh.
#include "TestModels.h"
#include "analysis/AnalysisScene.h"
#include "analysis/PushoverDriver.h"
#include "analysis/Session.h"
#include "support/SessionResults.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace torva;

namespace {

// 3 × 2 concrete elements pinned along the base, pushed at the top-left node, which is the control node.
std::unique_ptr<CFramePat> Wall() {
    auto model = test::GridModel(3, 2);
    test::FillConcrete(*model);
    model->Prop(kBoundaryLayer, 1, 0) = 1;
    for (int i = 0; i <= 3; ++i) test::Place(*model, i, 2, kBoundaryLayer);
    model->Prop(kPointForceLayer, 1, 0) = 1000000;
    test::Place(*model, 0, 0, kPointForceLayer);
    model->controlNode = PositionCode(2, 2);
    model->segmentCount = 1;
    model->stepsPerSegment = 5;
    model->segmentPoints[1] = 1000;
    return model;
}

using test::FreshResults;
using test::Values;

void Analyze(analysis::Session& session, const CFramePat& model) {
    int status = -1;
    std::string refusal;
    ASSERT_TRUE(session.RunElastic(model, status, refusal)) << refusal;
    ASSERT_EQ(status, 0);
}

TEST(SessionPacking, TheStreamIsPackedOncePerMeshAndSharedByEveryAnalyzeAndPlay) {
    analysis::Session session;
    auto model = Wall();
    Analyze(session, *model);
    EXPECT_EQ(session.MeshBuilds(), 1);
    EXPECT_EQ(session.Packs(), 1);
    const std::vector<int32_t>* packed = &session.Input();
    Analyze(session, *model);
    std::string message;
    ASSERT_TRUE(session.StartPushover(*model, message)) << message;
    ASSERT_TRUE(session.StartPushover(*model, message)) << message;
    EXPECT_EQ(session.Packs(), 1);
    EXPECT_EQ(session.MeshBuilds(), 1);
    EXPECT_EQ(&session.Pushover()->Stream(), packed);
    EXPECT_EQ(&session.Input(), packed);

    // An edit: one new mesh, one new stream, used by both.
    model->SpanLengthOf(kAxisX, 1) = 700;
    session.ModelChanged();
    Analyze(session, *model);
    ASSERT_TRUE(session.StartPushover(*model, message)) << message;
    EXPECT_EQ(session.MeshBuilds(), 2);
    EXPECT_EQ(session.Packs(), 2);
    EXPECT_EQ(&session.Pushover()->Stream(), &session.Input());
    EXPECT_EQ(session.GetMesh().nodeX[3], 2100); // three spans of 700

    // A refused model packs nothing.
    model->Prop(kConcreteLayer, 1, 0) = 0; // no thickness
    session.ModelChanged();
    int status = -1;
    std::string refusal;
    EXPECT_FALSE(session.RunElastic(*model, status, refusal));
    EXPECT_EQ(session.Packs(), 2);
}

TEST(SessionOutOfDate, AModelChangeHidesTheResultsUntilTheNextAnalysisWhichEqualsAFreshOne) {
    analysis::Session session;
    auto model = Wall();
    AnalysisState& state = session.State();
    // Nothing held, nothing out of date.
    session.ModelChanged();
    EXPECT_FALSE(session.ResultsOutOfDate());

    Analyze(session, *model);
    state.analysisDone = 1; // as the window shows them
    const std::vector<double> before = Values(session);
    const int revision = session.Revision();
    model->Flag(4, 3, kConcreteLayer) = 0; // an element goes; the grid stays
    session.ModelChanged();
    EXPECT_TRUE(session.ResultsOutOfDate());
    EXPECT_EQ(session.Revision(), revision + 1);
    EXPECT_EQ(state.analysisDone, 0);
    // Held, as the analysis that was: the history and the values, only not shown.
    EXPECT_EQ(session.History().Count(), 1);
    EXPECT_EQ(Values(session), before);

    // The display radios do not bring them back.
    ViewControl view;
    AnalysisScene scene;
    ShowElastic(state, view, scene);
    EXPECT_EQ(state.analysisDone, 0);
    ShowPushover(state, view, scene, *model);
    EXPECT_EQ(state.analysisDone, 0);
    SetMode(state, view, AnalysisState::kElasticMode);

    Analyze(session, *model);
    EXPECT_FALSE(session.ResultsOutOfDate());
    const std::vector<double> after = Values(session);
    EXPECT_NE(after, before);
    EXPECT_EQ(after, FreshResults(*model, engine::AnalysisMethod::Classic));
    // The window reads them and shows them again.
    const MeshView mesh = MeshViewOf(session.GetMesh());
    FinishAnalyze(state, view, scene, *model, mesh, session.DisplayedBuffer(), 0);
    EXPECT_EQ(state.analysisDone, 1);
}

TEST(SessionOutOfDate, AFailedAnalysisLeavesTheResultsOutOfDate) {
    analysis::Session session;
    auto model = Wall();
    Analyze(session, *model);
    for (int i = 2; i <= 5; ++i) model->Flag(i, 4, kBoundaryLayer) = 0; // no supports
    session.ModelChanged();
    int status = -1;
    std::string refusal;
    ASSERT_TRUE(session.RunElastic(*model, status, refusal));
    EXPECT_NE(status, 0);
    EXPECT_TRUE(session.ResultsOutOfDate());
    AnalysisState& state = session.State();
    ViewControl view;
    AnalysisScene scene;
    FinishAnalyze(state, view, scene, *model, MeshViewOf(session.GetMesh()), session.DisplayedBuffer(),
                  status);
    EXPECT_EQ(state.analysisDone, 0);
    EXPECT_EQ(state.resultsOutOfDate, 1);
}

TEST(SessionOutOfDate, AnotherMethodPutsResultsOutOfDateWithoutANewMeshOrStream) {
    analysis::Session session;
    auto model = Wall();
    Analyze(session, *model);
    const int revision = session.Revision();
    session.SetMethod(engine::AnalysisMethod::Classic); // the same: nothing changes
    EXPECT_FALSE(session.ResultsOutOfDate());
    EXPECT_EQ(session.Revision(), revision);
    session.SetMethod(engine::AnalysisMethod::Mcft);
    EXPECT_TRUE(session.ResultsOutOfDate());
    EXPECT_EQ(session.Revision(), revision + 1);
    Analyze(session, *model);
    EXPECT_FALSE(session.ResultsOutOfDate());
    EXPECT_EQ(session.MeshBuilds(), 1);
    EXPECT_EQ(session.Packs(), 1);
    EXPECT_EQ(Values(session), FreshResults(*model, engine::AnalysisMethod::Mcft));
}

} // namespace
