// The results window of the analysis frame: Analyze fills it with the elastic state, a push-over adds its
// states as it runs (the slider and the curve over them), and an edit of the model marks it out of date
// until the next analysis.
#include "analysis_view/AnalysisViewFixture.h"
#include "analysis_view/CapacityCurveView.h"
#include "analysis_view/ResultsPane.h"
#include "drawing/CapacityCurvePainter.h"
#include "framework/Settings.h"

#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

namespace torva {
namespace {

using test::AnalysisViewTest;

bool IsRampColour(QRgb c) {
    return std::abs(qRed(c) - qBlue(c)) > 60;
}

int CountRamp(const QImage& image) {
    int n = 0;
    for (int y = 30; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += IsRampColour(image.pixel(x, y)) ? 1 : 0;
    return n;
}

class ResultsWindowTest : public AnalysisViewTest {
protected:
    ResultsPane* Pane() const { return Frame()->Results(); }
    QImage Canvas() const { return Pane()->Canvas()->grab().toImage(); }
    void SaveScreen(const char* name) const {
        if (const char* dir = std::getenv("TORVA_SCREEN_DIR"))
            Frame()->ResultsDock()->grab().save(QStringLiteral("%1/%2.png").arg(dir, name));
    }
};

TEST_F(ResultsWindowTest, AnalyzeShowsTheElasticStateAndAnEditMarksItOutOfDate) {
    StartOnExample("shear-wall.fem");
    ASSERT_NE(Pane(), nullptr);
    EXPECT_FALSE(Frame()->ResultsDock()->isVisible()); // nothing to show before an analysis
    ASSERT_TRUE(Analyze());
    test::Flush();
    EXPECT_TRUE(Frame()->ResultsDock()->isVisible());
    EXPECT_TRUE(Pane()->Field().hasResults);
    EXPECT_EQ(Pane()->Slider()->maximum(), 0);
    EXPECT_EQ(Pane()->Field().elements, Session().GetMesh().elementCount);
    Pane()->SetQuantity(Quantity::S2);
    test::Flush();
    EXPECT_TRUE(Pane()->Contours().available);
    EXPECT_LT(Pane()->Contours().min, 0); // the wall's compression strut
    // The wall's field in the picture beside the model (about 420 × 300 pixels; thousands of them
    // coloured, none once out of date).
    EXPECT_GT(CountRamp(Canvas()), 1500);
    SaveScreen("results-elastic-s2");

    // An edit of the model: no old results drawn.
    Edit([](CFramePat& edited) { edited.SpanLengthOf(kAxisX, 1) += 100; });
    test::Flush();
    EXPECT_TRUE(Pane()->Canvas()->OutOfDate());
    EXPECT_EQ(CountRamp(Canvas()), 0);
    SaveScreen("results-out-of-date");
    ASSERT_TRUE(Analyze());
    test::Flush();
    EXPECT_FALSE(Pane()->Canvas()->OutOfDate());
    EXPECT_GT(CountRamp(Canvas()), 1500);
}

TEST_F(ResultsWindowTest, APushoverAddsItsStatesAndTheCurveClickShowsTheSlidersStep) {
    StartOnExample("shear-wall.fem"); // 10 mm in 100 steps
    ASSERT_TRUE(Analyze());
    Frame()->PushoverRadio()->click();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(WaitFor([&] { return !View()->StepTimerRunning(); }, 60));
    test::Flush();
    ResultsPane* pane = Pane();
    const int held = pane->Slider()->maximum() + 1;
    ASSERT_GE(held, 2);
    EXPECT_EQ(pane->ShownStep(), held - 1); // the run's last state on show
    EXPECT_EQ(held, 100);                   // every step of the run, 1 to 100
    EXPECT_EQ(pane->StepLabel()->text(), QStringLiteral("100 / 100"));
    const auto& curve = pane->Curve()->Curve();
    ASSERT_EQ(static_cast<int>(curve.size()), held);
    const auto& last = View()->Run()->Curve().back();
    EXPECT_DOUBLE_EQ(curve.back().displacement, last.displacement);
    EXPECT_DOUBLE_EQ(curve.back().force, last.force / 1000);

    pane->DisplayChoice()->setCurrentIndex(static_cast<int>(ResultDisplay::DamageMap));
    test::Flush();
    SaveScreen("results-pushover-damage");
    pane->DisplayChoice()->setCurrentIndex(static_cast<int>(ResultDisplay::Contours));
    pane->SetQuantity(Quantity::E1);
    const int middle = held / 2;
    pane->ShowStep(middle);
    test::Flush();
    const QImage bySlider = Canvas();
    SaveScreen("results-pushover-e1-middle");
    pane->ShowStep(0);
    test::Flush();
    // A click on the curve at the middle state's point.
    CapacityCurveView* view = pane->Curve();
    const PlotFrame plot = CapacityCurvePainter::PlotFrameOf(view->rect(), view->Title());
    const QPointF at(view->Axes().PixelX(plot, curve[size_t(middle)].displacement),
                     view->Axes().PixelY(plot, curve[size_t(middle)].force));
    QMouseEvent press(QEvent::MouseButtonPress, at, view->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    test::Flush();
    const int picked = pane->ShownStep();
    // Neighbouring states may lie within a pixel of each other: the pick is the middle one or next to it.
    EXPECT_LE(std::abs(picked - middle), 1);
    pane->ShowStep(picked);
    EXPECT_EQ(view->ShownStep(), picked);
    if (picked == middle) {
        EXPECT_EQ(Canvas(), bySlider);
    }
}

// The largest crack width (mm) of a field, and how many points are cracked.
double WidestCrack(const ResultField& field, int& cracked) {
    double widest = 0;
    cracked = 0;
    for (const PointResult& p : field.points) {
        widest = std::max(widest, p.crackWidth);
        cracked += p.cracked ? 1 : 0;
    }
    return widest;
}

// The window's push-over feeds the session's history with the states of the method it runs: the
// iterative method's crack widths, or the classic engine's cracks (no widths). The results window reads
// that history, one state per step.
TEST_F(ResultsWindowTest, APushoverOfEitherMethodFillsTheSessionsHistoryWithItsOwnStates) {
    for (const engine::AnalysisMethod method :
         {engine::AnalysisMethod::Mcft, engine::AnalysisMethod::Classic}) {
        SCOPED_TRACE(method == engine::AnalysisMethod::Mcft ? "mcft" : "classic");
        Settings::SetAnalysisMethod(method);
        auto model = test::WallModel(3, 3);
        model->stepsPerSegment = 12;
        model->segmentPoints[1] = 1200; // 1.2 mm: the plain wall cracks at its base
        StartOn(*model);
        ASSERT_TRUE(Analyze());
        test::Flush();
        const FieldHistory& history = Session().History();
        ASSERT_EQ(history.Count(), 1); // the elastic state
        EXPECT_EQ(history.StepOf(0), 0);
        EXPECT_EQ(history.Field(0).hasCrackWidths, method == engine::AnalysisMethod::Mcft);
        EXPECT_EQ(Pane()->Slider()->maximum(), 0);

        Frame()->PushoverRadio()->click();
        ASSERT_TRUE(Run(cmd::kPlay));
        ASSERT_TRUE(WaitFor([&] { return !View()->StepTimerRunning(); }, 60));
        test::Flush();
        const PushoverDriver* run = View()->Run();
        ASSERT_NE(run, nullptr);
        ASSERT_GE(run->Step(), 4) << run->StopMessage();
        // A new run is a new history: its steps 1, 2, ... as the run made them, each on the curve.
        ASSERT_EQ(history.Count(), run->Step());
        for (int i = 0; i < history.Count(); ++i) EXPECT_EQ(history.StepOf(i), i + 1);
        const std::vector<CapacityPoint> curve = history.Curve();
        EXPECT_DOUBLE_EQ(curve.back().force, run->Curve().back().force / 1000);
        EXPECT_EQ(Pane()->Slider()->maximum(), history.Count() - 1);

        const ResultField& first = history.Field(0);
        const ResultField& last = history.Field(history.Count() - 1);
        EXPECT_EQ(last.elements, 9);
        int crackedFirst = 0, crackedLast = 0;
        const double widthFirst = WidestCrack(first, crackedFirst);
        const double widthLast = WidestCrack(last, crackedLast);
        EXPECT_GT(crackedLast, crackedFirst); // cracking spreads as the wall is pushed
        if (method == engine::AnalysisMethod::Mcft) {
            EXPECT_TRUE(last.hasCrackWidths);
            EXPECT_GT(widthLast, 1e-4);
            EXPECT_GT(widthLast, widthFirst);
            // The shown field is the history's: the pane reads the last state with its widths.
            EXPECT_EQ(Pane()->Field().points.size(), last.points.size());
            EXPECT_EQ(WidestCrack(Pane()->Field(), crackedFirst), widthLast);
        } else {
            EXPECT_FALSE(last.hasCrackWidths);
            EXPECT_EQ(widthLast, 0.0);
            EXPECT_TRUE(last.hasStrains);
        }
        app.reset();
        test::Flush();
    }
}

} // namespace
} // namespace torva
