// Two analysis views of one document share its session: opening the second leaves the session's state,
// mesh and results as they were, so the first view keeps drawing its results to the pixel, and the
// second reads and draws the same results (the elastic state, or the push-over's curve and step on
// show); an analysis window closed and opened again shows the results the session still holds.
#include "analysis/FieldHistory.h"
#include "analysis_view/AnalysisViewFixture.h"
#include "analysis_view/ResultsPane.h"
#include "drawing/Pixels.h"
#include "framework/DocTemplate.h"

#include <QRadioButton>
#include <cmath>
#include <gtest/gtest.h>

namespace torva {
namespace {

using test::AnalysisViewTest;

class TwoViewsTest : public AnalysisViewTest {
protected:
    // A second analysis window on the document, as the frame template makes one.
    C3dView* OpenAnotherView() const {
        ChildFrame* frame = app->analysisTemplate->CreateNewFrame(Doc(), nullptr);
        EXPECT_NE(frame, nullptr);
        if (!frame) return nullptr;
        app->analysisTemplate->InitialUpdateFrame(frame, Doc(), true);
        test::Flush();
        return dynamic_cast<C3dView*>(frame->GetActiveView());
    }
    static int RedPixels(const QImage& image) { return test::Count(image, test::IsPureRed); }
    static bool IsCurveBlue(QRgb c) { return qBlue(c) > 150 && qRed(c) < 80 && qGreen(c) < 120; }
    // The two scenes show the same state of the same mesh.
    static void ExpectSameDisplay(C3dView* first, C3dView* second, int nodes, int elements) {
        for (int k = 0; k < 2 * nodes; ++k)
            ASSERT_EQ(second->Scene().shownDisp[size_t(k)], first->Scene().shownDisp[size_t(k)]) << k;
        for (int i = 0; i < AnalysisScene::kElementValues * elements; ++i)
            ASSERT_EQ(second->Scene().shownGauss[size_t(i)], first->Scene().shownGauss[size_t(i)]) << i;
    }
};

TEST_F(TwoViewsTest, ASecondViewLeavesTheFirstItsElasticResultsAndShowsThemToo) {
    StartOn(*test::WallModel(4, 3));
    ASSERT_TRUE(Analyze());
    test::Flush();
    C3dView* first = View();
    const QImage before = first->Picture();
    ASSERT_GT(RedPixels(before), 200); // the displaced mesh
    const std::vector<double> shown = DisplayedValues();
    const int builds = Session().MeshBuilds();

    C3dView* second = OpenAnotherView();
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    EXPECT_EQ(Doc()->Views().size(), 3u); // the plan and two analysis views
    // The session's state, mesh and results are as they were.
    EXPECT_EQ(Session().State().analysisDone, 1);
    EXPECT_EQ(Session().State().sizeMode, 1);
    EXPECT_EQ(Session().MeshBuilds(), builds);
    EXPECT_EQ(DisplayedValues(), shown);
    // The first view draws exactly what it drew.
    EXPECT_EQ(first->Picture(), before);
    // The second reads the same results and draws them.
    const Mesh& mesh = Session().GetMesh();
    ExpectSameDisplay(first, second, mesh.nodeCount, mesh.elementCount);
    const QImage other = second->Picture();
    test::SaveIfAsked(other, "two-views-second-elastic");
    EXPECT_GT(RedPixels(other), 200);

    // An edit puts both out of date; Analyze in the second shows the new results in both.
    Edit([](CFramePat& edited) { edited.SpanLengthOf(kAxisX, 1) += 100; });
    test::Flush();
    EXPECT_EQ(RedPixels(first->Picture()), 0);
    EXPECT_EQ(RedPixels(second->Picture()), 0);
}

TEST_F(TwoViewsTest, ASecondViewJoinsThePushoverOnShow) {
    StartOn(*test::WallModel(4, 3));
    ASSERT_TRUE(Analyze());
    Frame()->PushoverRadio()->click();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(WaitFor([&] { return !View()->StepTimerRunning(); }, 60));
    test::Flush();
    C3dView* first = View();
    const AnalysisState state = Session().State();
    ASSERT_EQ(state.analysisMode, AnalysisState::kPushoverMode);
    ASSERT_EQ(state.stepCounter, 20);
    const QImage before = first->Picture();

    C3dView* second = OpenAnotherView();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Session().State().analysisMode, AnalysisState::kPushoverMode);
    EXPECT_EQ(Session().State().stepCounter, 20);
    EXPECT_EQ(Session().State().analysisDone, 1);
    EXPECT_EQ(first->Picture(), before);
    // The same step on show, and the same curve: the second read the session's history.
    const Mesh& mesh = Session().GetMesh();
    ExpectSameDisplay(first, second, mesh.nodeCount, mesh.elementCount);
    second->Prepare();
    first->Prepare();
    const std::vector<CapacityPoint>& curve = second->Scene().graphCurve;
    ASSERT_EQ(curve.size(), first->Scene().graphCurve.size());
    ASSERT_EQ(curve.size(), 21u);
    for (size_t k = 0; k < curve.size(); ++k) {
        const CapacityPoint& p = first->Scene().graphCurve[k];
        EXPECT_EQ(curve[k].displacement, p.displacement) << k;
        EXPECT_NEAR(curve[k].force, p.force, 1e-6 * (1 + std::fabs(p.force))) << k;
    }
    const QImage other = second->Picture();
    test::SaveIfAsked(other, "two-views-second-pushover");
    EXPECT_GT(RedPixels(other), 200);
    const QRect strip(0, other.height() - 220, other.width(), 220);
    EXPECT_GT(test::Count(other, strip, IsCurveBlue), 150);
}

TEST_F(TwoViewsTest, AnAnalysisWindowOpenedAgainShowsTheResultsTheSessionHolds) {
    StartOn(*test::WallModel(4, 3));
    ASSERT_TRUE(Analyze());
    test::Flush();
    const std::vector<double> shown = DisplayedValues();
    Frame()->SubWindow()->close();
    test::Flush();
    ASSERT_EQ(Frame(), nullptr);
    ASSERT_TRUE(Main()->Router()->Execute(cmd::kView3d));
    test::Flush();
    ASSERT_NE(View(), nullptr);
    EXPECT_EQ(Session().State().analysisDone, 1);
    EXPECT_EQ(DisplayedValues(), shown);
    EXPECT_GT(RedPixels(View()->Picture()), 200);
    // Its results window reads the session's history.
    ASSERT_NE(Frame()->Results(), nullptr);
    EXPECT_TRUE(Frame()->Results()->Field().hasResults);
}

// Two views open before anything ran: what the first one does to the session (Analyze, the push-over
// display, a run to its end) is drawn by the second as well, with the second's own zoom kept.
TEST_F(TwoViewsTest, TheOtherViewFollowsAnAnalysisAndTheEndOfARun) {
    StartOn(*test::WallModel(4, 3));
    C3dView* first = View();
    C3dView* second = OpenAnotherView();
    ASSERT_NE(second, nullptr);
    // Actual size in the first view is a model of another size for the second: fitted again.
    ASSERT_TRUE(Run(cmd::kActualSize));
    EXPECT_TRUE(second->Scene().projection.FittedTo(Session().MeshWidth(), Session().MeshHeight()));
    second->Scene().projection.ZoomAbout(1.5f, 10, 10);
    const float zoom = second->Scene().projection.zoom;
    ASSERT_TRUE(RunAnalyze());
    test::Flush();
    const Mesh& mesh = Session().GetMesh();
    ExpectSameDisplay(first, second, mesh.nodeCount, mesh.elementCount);
    EXPECT_GT(RedPixels(second->Picture()), 100); // zoomed: part of the wall is outside
    EXPECT_EQ(second->Scene().projection.zoom, zoom);

    Frame()->PushoverRadio()->click();
    EXPECT_EQ(second->Control().separation, 1); // the second shows the push-over strip too
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(WaitFor([&] { return !first->StepTimerRunning(); }, 60));
    test::Flush();
    ExpectSameDisplay(first, second, mesh.nodeCount, mesh.elementCount);
    second->Prepare();
    EXPECT_EQ(second->Scene().graphCurve.size(), 21u);
    const QImage other = second->Picture();
    test::SaveIfAsked(other, "two-views-followed-run");
    EXPECT_GT(test::Count(other, QRect(0, other.height() - 220, other.width(), 220), IsCurveBlue), 150);
}

} // namespace
} // namespace torva
