// The analysis method as a user chooses it: the Loading dialog's "Analysis method" list sets the
// program's setting and the document's session, the analysis window names the method in its title and
// on its capacity graph, a push-over with the iterative method gives, bit for bit, the curve file of the
// headless command, and a reversed loading is refused with the reason.
#include "AnalysisViewFixture.h"
#include "analysis/PushoverDriver.h"
#include "analysis_view/CapacityCurveView.h"
#include "analysis_view/ResultsPane.h"
#include "framework/MessageService.h"
#include "framework/Settings.h"
#include "plan/DialogControls.h"
#include "plan/LoadingDialog.h"
#include "support/RunProgram.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cmath>
#include <fstream>
#include <iterator>

namespace torva {
namespace {

using engine::AnalysisMethod;
using test::AnalysisViewTest;
using test::WallModel;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Press(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

class MethodChoiceTest : public AnalysisViewTest {
protected:
    // Opens Option ▸ "Loading..." of the document, moves the method list with the keyboard to its first
    // ("Iterative (MCFT)", Home) or last ("Classic step-by-step", End) item and clicks OK or Cancel.
    // Returns what the list showed when the dialog opened.
    QString ChooseInLoadingDialog(int key, bool ok) {
        QString shownAtOpening;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<LoadingDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            QComboBox* list = dialog->MethodList();
            ASSERT_EQ(list,
                      dialog->findChild<QComboBox*>(QStringLiteral("control_%1").arg(ctl::kAnalysisMethod)));
            shownAtOpening = list->currentText();
            list->setFocus();
            Press(list, key);
            auto* button = dialog->findChild<QPushButton*>(
                QStringLiteral("control_%1").arg(ok ? ctl::kOk : ctl::kCancel));
            ASSERT_NE(button, nullptr);
            button->click();
        });
        Doc()->RunModelEditor(cmd::kOptionLoading);
        test::Flush();
        return shownAtOpening;
    }
    void ShowPushover() {
        ASSERT_TRUE(Analyze());
        Frame()->PushoverRadio()->click();
        ASSERT_EQ(State().analysisMode, AnalysisState::kPushoverMode);
    }
    bool RunToTheEnd() const {
        QElapsedTimer clock;
        clock.start();
        while (View()->StepTimerRunning() && clock.elapsed() < 60000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
        return !View()->StepTimerRunning();
    }
};

TEST_F(MethodChoiceTest, TheLoadingDialogSetsTheProgramsMethodAndTheDocumentsSession) {
    auto model = WallModel(3, 3);
    StartOn(*model);
    // Nothing chosen yet: the classic method, in the session and in the window's title.
    EXPECT_EQ(Session().Method(), AnalysisMethod::Classic);
    EXPECT_EQ(Frame()->FrameTitle(), "wall.fem \u2014 Analysis \u2014 Classic step-by-step");

    EXPECT_EQ(ChooseInLoadingDialog(Qt::Key_Home, true), "Classic step-by-step");
    EXPECT_EQ(Settings::AnalysisMethod(), AnalysisMethod::Mcft);
    EXPECT_EQ(Session().Method(), AnalysisMethod::Mcft);
    EXPECT_EQ(Frame()->FrameTitle(), "wall.fem \u2014 Analysis \u2014 Iterative (MCFT)");

    // Cancel keeps the choice, and the dialog shows it when it opens again.
    EXPECT_EQ(ChooseInLoadingDialog(Qt::Key_End, false), "Iterative (MCFT)");
    EXPECT_EQ(Settings::AnalysisMethod(), AnalysisMethod::Mcft);
    EXPECT_EQ(Session().Method(), AnalysisMethod::Mcft);

    EXPECT_EQ(ChooseInLoadingDialog(Qt::Key_End, true), "Iterative (MCFT)");
    EXPECT_EQ(Settings::AnalysisMethod(), AnalysisMethod::Classic);
    EXPECT_EQ(Session().Method(), AnalysisMethod::Classic);
    EXPECT_EQ(Frame()->FrameTitle(), "wall.fem \u2014 Analysis \u2014 Classic step-by-step");
}

TEST_F(MethodChoiceTest, ADocumentOpenedLaterTakesTheRememberedMethod) {
    Settings::SetAnalysisMethod(AnalysisMethod::Mcft);
    auto model = WallModel(3, 3);
    StartOn(*model);
    EXPECT_EQ(Session().Method(), AnalysisMethod::Mcft);
    EXPECT_EQ(Frame()->FrameTitle(), "wall.fem \u2014 Analysis \u2014 Iterative (MCFT)");
}

TEST_F(MethodChoiceTest, AnIterativePushoverInTheWindowExportsTheHeadlessCurveFile) {
    auto model = WallModel(3, 3);
    model->stepsPerSegment = 10;
    model->segmentPoints[1] = 500; // 0.5 mm
    StartOn(*model);
    ChooseInLoadingDialog(Qt::Key_Home, true);
    ShowPushover();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString();
    ASSERT_EQ(State().stepCounter, 10);

    // The graph is named after the method; every step is an equilibrium of the point load (10 kN)
    // times the load factor, found in at least one iteration.
    EXPECT_EQ(Frame()->Results()->Curve()->Title(), "Capacity curve \u2014 Iterative (MCFT)");
    const std::vector<CurvePoint>& curve = View()->Run()->Curve();
    ASSERT_EQ(curve.size(), 10u);
    for (const CurvePoint& point : curve) {
        EXPECT_GE(point.iterations, 1) << point.step;
        EXPECT_GT(point.force, 0.0) << point.step;
        EXPECT_NEAR(point.force, point.loadFactor * 10000.0, 1e-3 * std::abs(point.force)) << point.step;
    }

    fileAnswer = QString::fromStdString(dir.file("window.csv"));
    ASSERT_TRUE(Run(cmd::kExportCurve));
    const std::string window = ReadText(dir.file("window.csv"));
    EXPECT_EQ(window.substr(0, window.find('\n')),
              "step,control_displacement_mm,control_force_N,method,load_factor,iterations");
    EXPECT_NE(window.find(",mcft,"), std::string::npos);

    const test::ProgramRun headless = test::RunTorva(
        "analyze " + dir.file("wall.fem") + " --pushover --method=mcft --curve " + dir.file("cli.csv"));
    ASSERT_EQ(headless.exitCode, 0) << headless.output;
    EXPECT_EQ(ReadText(dir.file("cli.csv")), window);
}

TEST_F(MethodChoiceTest, TheClassicMethodKeepsTheThreeColumnCurveFile) {
    auto model = WallModel(3, 3);
    model->stepsPerSegment = 5;
    StartOn(*model);
    ShowPushover();
    EXPECT_EQ(Frame()->Results()->Curve()->Title(), "Capacity curve \u2014 Classic step-by-step");
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(RunToTheEnd());
    for (const CurvePoint& point : View()->Run()->Curve()) {
        EXPECT_EQ(point.loadFactor, 0.0);
        EXPECT_EQ(point.iterations, 0);
    }
    fileAnswer = QString::fromStdString(dir.file("classic.csv"));
    ASSERT_TRUE(Run(cmd::kExportCurve));
    const std::string window = ReadText(dir.file("classic.csv"));
    // Both methods write the same columns: the classic one has no load factor and one pass a step.
    EXPECT_EQ(window.substr(0, window.find('\n')),
              "step,control_displacement_mm,control_force_N,method,load_factor,iterations");
    const std::string lastRow = window.substr(window.rfind('\n', window.size() - 2) + 1);
    EXPECT_EQ(lastRow.substr(lastRow.find(",classic,")), ",classic,,1\n") << lastRow;
}

TEST_F(MethodChoiceTest, AReversedLoadingWithTheIterativeMethodIsRefusedWithTheReason) {
    auto model = WallModel(3, 3);
    model->segmentCount = 2;
    model->segmentPoints[1] = 1000;
    model->segmentPoints[2] = -1000; // the second segment reverses
    StartOn(*model);
    ChooseInLoadingDialog(Qt::Key_Home, true);
    ShowPushover();
    ASSERT_TRUE(Run(cmd::kPlay));
    EXPECT_EQ(messages.Last(),
              "The iterative method (MCFT) supports monotonic loading only: segment 2 reverses the control "
              "displacement. Choose a monotonic loading, or the classic step-by-step method for reversed "
              "loading.");
    EXPECT_FALSE(View()->StepTimerRunning());
    EXPECT_EQ(View()->Run(), nullptr);

    // The classic method runs the same loading, once analysed with it (the results on display were
    // the iterative method's).
    ChooseInLoadingDialog(Qt::Key_End, true);
    EXPECT_TRUE(Session().ResultsOutOfDate());
    EXPECT_FALSE(Query(cmd::kPlay).enabled);
    ShowPushover();
    const int shown = messages.Texts().size();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(messages.Texts().size(), shown) << messages.Last().toStdString();
    EXPECT_EQ(State().stepCounter, 40);
}

} // namespace
} // namespace torva
