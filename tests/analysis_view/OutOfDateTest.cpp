// Results never outlive the model they were computed on. After a real analysis, every kind of edit made
// through the program's own commands, mouse clicks and dialogs leaves the session out of date; the
// analysis view then draws the undeformed model with "Results are out of date — Analyze again" and no
// deformed mesh or stress crosses, the results window says the same, and the next Analyze gives what a
// fresh document gives. What does not change the model (zoom, a layer change, a cancelled drag) keeps
// the results on display. An edit during a push-over stops the run.
#include "analysis_view/AnalysisViewFixture.h"
#include "analysis_view/ResultsPane.h"
#include "drawing/Pixels.h"
#include "framework/Settings.h"
#include "plan/DialogControls.h"
#include "plan/DialogDriver.h"
#include "plan/LoadingDialog.h"
#include "plan/PlanTestSupport.h"
#include "plan/PlanView.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace torva {
namespace {

using test::Centre;
using test::NodePoint;

// The test wall as the plan editor leaves it: the current layer's working copy filled.
std::unique_ptr<CFramePat> Wall(int nx, int ny, int span) {
    auto model = test::WallModel(nx, ny, true, span);
    model->LoadCurrentLayer();
    return model;
}

bool IsNoteColour(QRgb c) {
    return qRed(c) == 255 && qGreen(c) == 236 && qBlue(c) == 170;
}

class OutOfDateTest;

// One kind of edit: what comes before the analysis (if anything) and the edit itself.
struct EditKind {
    const char* name;
    std::function<void(OutOfDateTest&)> before;
    std::function<void(OutOfDateTest&)> edit;
};

class OutOfDateTest : public test::AnalysisViewTest {
public:
    // The edits, each through the command, click or dialog a user would take.
    static std::vector<EditKind> Kinds();

protected:
    void SetUp() override {
        AnalysisViewTest::SetUp();
        CTorvaView::ResetHooks();
        CTorvaView::Hooks().popupMenu = [this](const std::vector<PlanMenuItem>&, const QPoint&, QWidget*) {
            return menuAnswer;
        };
        Settings::SetAnalysisMethod(engine::AnalysisMethod::Classic);
        StartOn(*Wall(4, 3, 500)); // pins along node row 5, 10 kN at node (2, 2)
        ASSERT_NE(Plan(), nullptr);
    }
    void TearDown() override {
        CTorvaView::ResetHooks();
        AnalysisViewTest::TearDown();
    }

    CTorvaView* Plan() const {
        for (ChildFrame* frame : Frames())
            if (auto* plan = dynamic_cast<CTorvaView*>(frame->GetActiveView())) return plan;
        return nullptr;
    }
    CFramePat& Model() const { return *Doc()->GetFramePat(); }

    // --- The plan, as the mouse and the menus drive it.
    QPoint OnPlan(PlanPoint p) const {
        const double zoom = Plan()->Zoom();
        return QPoint(int(std::lround(p.x * zoom)), int(std::lround(p.y * zoom))) - Plan()->ScrollOffset();
    }
    void PlanMouse(QEvent::Type type, PlanPoint p, Qt::MouseButton button, Qt::MouseButtons held) const {
        QWidget* target = Plan()->viewport();
        const QPoint at = OnPlan(p);
        QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    void PlanClick(PlanPoint p) const {
        PlanMouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        PlanMouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    }
    void PlanDrag(PlanPoint from, PlanPoint to) const {
        PlanMouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        PlanMouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        PlanMouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    void PlanCommand(int id) const { ASSERT_TRUE(Plan()->OnCommand(id)) << id; }
    void ToLayer(int layer) const {
        while (Model().curLayer < layer) PlanCommand(cmd::kMoveUpperFloor);
        while (Model().curLayer > layer) PlanCommand(cmd::kMoveLowerFloor);
    }
    // The next modal dialog is driven by `drive` once it is open; one that refuses its OK is closed.
    static void InDialog(std::function<void(QWidget*)> drive) {
        QTimer::singleShot(0, [drive] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            drive(dialog);
            if (dialog->isVisible()) dialog->close();
        });
    }
    // The type editor of a layer with `drive` as the user's input, through the member command.
    void TypeEditor(int layer, int command, std::function<void(QWidget*)> drive) const {
        ToLayer(layer);
        InDialog(std::move(drive));
        PlanCommand(command);
    }

    // --- What the window shows.
    QImage ShotOf(const std::string& label) const { return Shot(label.c_str()); }
    void ExpectResultsShown(const std::string& what) const {
        SCOPED_TRACE(what);
        EXPECT_FALSE(Session().ResultsOutOfDate());
        EXPECT_EQ(State().analysisDone, 1);
        const QImage shot = ShotOf(what);
        EXPECT_GT(test::Count(shot, test::IsPureRed), 100); // the deformed mesh
        EXPECT_EQ(test::Count(shot, IsNoteColour), 0);
        EXPECT_FALSE(Frame()->Results()->OutOfDate());
    }
    void ExpectOutOfDate(const std::string& what) const {
        SCOPED_TRACE(what);
        test::Flush();
        EXPECT_TRUE(Session().ResultsOutOfDate());
        EXPECT_EQ(State().analysisDone, 0);
        const QImage shot = ShotOf(what);
        // No deformed mesh, no compression (red) or tension (blue) crosses; the note across the plot.
        EXPECT_EQ(test::Count(shot, test::IsPureRed), 0);
        // (Below the run's progress bar, which is blue as far as a stopped run got.)
        const QRect belowProgress(0, 35, shot.width(), shot.height() - 35);
        EXPECT_EQ(test::Count(shot, belowProgress, test::IsPureBlue), 0);
        EXPECT_GT(test::Count(shot, IsNoteColour), 2000);
        EXPECT_TRUE(Frame()->Results()->OutOfDate());
    }
    // Analyze again: the results of a fresh session on the model as it is now.
    void ExpectAnalyzeEqualsAFreshDocument(const std::string& what) const {
        SCOPED_TRACE(what);
        ASSERT_TRUE(Analyze());
        test::Flush();
        ExpectResultsShown(what + "-again");
        analysis::Session fresh;
        fresh.SetMethod(Session().Method());
        const CFramePat model = Model();
        int status = -1;
        std::string refusal;
        ASSERT_TRUE(fresh.RunElastic(model, status, refusal)) << refusal;
        ASSERT_EQ(status, 0);
        const auto ours = Session().Results().Values(), theirs = fresh.Results().Values();
        EXPECT_EQ(std::vector<double>(ours.begin(), ours.end()),
                  std::vector<double>(theirs.begin(), theirs.end()));
    }

    int menuAnswer = 0;
};

std::vector<EditKind> OutOfDateTest::Kinds() {
    using T = OutOfDateTest;
    using test::Click;
    using test::ClickRow;
    using test::Control;
    using test::Type;
    auto as = [](T& t) -> T& { return t; };
    auto nothing = [](T&) {};
    return {
        {"ConcreteClick", nothing,
         [as](T& t) {
             as(t).ToLayer(kConcreteLayer);
             as(t).PlanClick(Centre(5, 4)); // the bottom-right element goes
         }},
        {"ConcreteRectangleCleared", nothing,
         [as](T& t) {
             as(t).ToLayer(kConcreteLayer);
             t.menuAnswer = cmd::kPopupClear;
             as(t).PlanDrag(Centre(4, 2), Centre(5, 2));
         }},
        {"RebarClick", nothing,
         [as](T& t) {
             as(t).ToLayer(kRebarLayer);
             as(t).PlanClick(Centre(3, 3));
         }},
        {"RebarCopiedFromConcrete", nothing,
         [as](T& t) {
             as(t).ToLayer(kRebarLayer);
             as(t).PlanCommand(cmd::kCopyLowerPattern);
         }},
        {"FibreSheetClick", nothing,
         [as](T& t) {
             as(t).ToLayer(kFibreLayer);
             as(t).PlanClick(Centre(3, 3));
         }},
        {"SupportRemoved", nothing,
         [as](T& t) {
             as(t).ToLayer(kBoundaryLayer);
             as(t).PlanClick(NodePoint(6, 5));
         }},
        {"PointForceAdded", nothing,
         [as](T& t) {
             as(t).ToLayer(kPointForceLayer);
             as(t).PlanClick(NodePoint(6, 2));
         }},
        {"ControlNodeMoved", nothing,
         [as](T& t) {
             as(t).PlanCommand(cmd::kCheckControlNode);
             as(t).PlanClick(NodePoint(3, 2));
         }},
        {"OutputElementAdded", nothing,
         [as](T& t) {
             as(t).PlanCommand(cmd::kCheckOutputElement);
             as(t).PlanClick(Centre(3, 3));
         }},
        {"PointForceTypeDialog", nothing,
         [as](T& t) {
             as(t).TypeEditor(kPointForceLayer, cmd::kPointForce, [](QWidget* d) {
                 Type(d, ctl::kForceX, "-25");
                 Click(d, ctl::kOk);
             });
         }},
        {"SupportTypeDialog", nothing,
         [as](T& t) {
             as(t).TypeEditor(kBoundaryLayer, cmd::kBoundaryCondition, [](QWidget* d) {
                 ClickRow(d, 1);
                 Click(d, ctl::kRollerY);
                 Click(d, ctl::kOk);
             });
         }},
        {"ConcreteTypeDialog", nothing,
         [as](T& t) {
             as(t).TypeEditor(kConcreteLayer, cmd::kConcreteElement, [](QWidget* d) {
                 Type(d, ctl::kThickness, "123.5");
                 Click(d, ctl::kOk);
             });
         }},
        {"RebarTypeDialog", nothing,
         [as](T& t) {
             as(t).TypeEditor(kRebarLayer, cmd::kSteelRebarElement, [](QWidget* d) {
                 Type(d, ctl::kAreaX, "7.5");
                 Click(d, ctl::kOk);
             });
         }},
        {"FibreSheetTypeDialog", nothing,
         [as](T& t) {
             as(t).TypeEditor(kFibreLayer, cmd::kFiberElement, [](QWidget* d) {
                 Type(d, ctl::kThickness, "1.5");
                 Click(d, ctl::kOk);
             });
         }},
        {"SpanLengthDialog", nothing,
         [as](T& t) {
             as(t).InDialog([](QWidget* d) {
                 Type(d, ctl::kSpanX, "650");
                 Click(d, ctl::kOk);
             });
             as(t).PlanCommand(cmd::kXElementLength);
         }},
        {"GridSizeDialog", nothing,
         [as](T& t) {
             t.messages.QueueAnswer(MessageAnswer::No); // keep the pattern
             as(t).InDialog([](QWidget* d) {
                 Control<QComboBox>(d, ctl::kFrameX)->setCurrentIndex(4); // 5 elements across
                 Click(d, ctl::kOk);
             });
             as(t).PlanCommand(cmd::kFrameSize);
         }},
        {"StructureOptionsDialog", nothing,
         [as](T& t) {
             as(t).InDialog([](QWidget* d) {
                 Type(d, ctl::kGravity, "9.5");
                 Click(d, ctl::kOk);
             });
             ASSERT_TRUE(t.Doc()->OnCommand(cmd::kOptionStructure));
         }},
        {"LoadingDialog", nothing,
         [as](T& t) {
             as(t).InDialog([](QWidget* d) {
                 Control<QSpinBox>(d, ctl::kStepsPerSegment)->setValue(30);
                 Click(d, ctl::kOk);
             });
             ASSERT_TRUE(t.Doc()->OnCommand(cmd::kOptionLoading));
         }},
        {"AnalysisMethodChosen", nothing,
         [as](T& t) {
             as(t).InDialog([](QWidget* d) {
                 auto* dialog = qobject_cast<LoadingDialog*>(d);
                 ASSERT_NE(dialog, nullptr);
                 dialog->MethodList()->setCurrentIndex(0); // "Iterative (MCFT)"
                 Click(d, ctl::kOk);
             });
             ASSERT_TRUE(t.Doc()->OnCommand(cmd::kOptionLoading));
             EXPECT_EQ(t.Session().Method(), engine::AnalysisMethod::Mcft);
         }},
        {"Undo",
         [as](T& t) {
             as(t).ToLayer(kConcreteLayer);
             as(t).PlanClick(Centre(5, 4));
         },
         [](T& t) { ASSERT_TRUE(t.Doc()->OnCommand(cmd::kEditUndo)); }},
        {"Redo",
         [as](T& t) {
             as(t).ToLayer(kConcreteLayer);
             as(t).PlanClick(Centre(5, 4));
             ASSERT_TRUE(t.Doc()->OnCommand(cmd::kEditUndo));
         },
         [](T& t) { ASSERT_TRUE(t.Doc()->OnCommand(cmd::kEditRedo)); }},
        {"DefaultSize", nothing,
         [](T& t) {
             t.messages.QueueAnswer(MessageAnswer::Yes);
             ASSERT_TRUE(t.Run(cmd::kDefaultSize));
             EXPECT_EQ(t.messages.Last().toStdString(), kDefaultSizeDiscardsText);
         }},
        {"AnotherFileOpened", nothing,
         [](T& t) {
             const std::string path = t.dir.file("other.fem");
             FileError error;
             ASSERT_TRUE(SaveModelFile(path, *Wall(3, 3, 400), error)) << error.message;
             ASSERT_TRUE(t.Doc()->OnOpenDocument(QString::fromStdString(path)));
         }},
    };
}

class OutOfDateEveryEdit : public OutOfDateTest, public testing::WithParamInterface<EditKind> {};

TEST_P(OutOfDateEveryEdit, PutsTheResultsOutOfDateAndAnalyzeAgainGivesAFreshDocumentsResults) {
    const EditKind& kind = GetParam();
    kind.before(*this);
    ASSERT_TRUE(Analyze());
    test::Flush();
    ASSERT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString();
    ExpectResultsShown(std::string(kind.name) + "-before");
    const int shown = messages.Texts().size();
    kind.edit(*this);
    ExpectOutOfDate(std::string(kind.name) + "-after");
    ExpectAnalyzeEqualsAFreshDocument(kind.name);
    // No message but the ones the edit itself asks.
    if (std::string(kind.name) != "DefaultSize" && std::string(kind.name) != "GridSizeDialog") {
        EXPECT_EQ(messages.Texts().size(), shown) << messages.Last().toStdString();
    }
}

void PrintTo(const EditKind& kind, std::ostream* out) {
    *out << kind.name;
}

INSTANTIATE_TEST_SUITE_P(Kinds, OutOfDateEveryEdit, testing::ValuesIn(OutOfDateTest::Kinds()),
                         [](const testing::TestParamInfo<EditKind>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(OutOfDateTest, WhatDoesNotChangeTheModelKeepsTheResults) {
    ASSERT_TRUE(Analyze());
    test::Flush();
    ExpectResultsShown("analysed");
    const int revision = Session().Revision();

    PlanCommand(cmd::kPlanZoomIn);
    ToLayer(kRebarLayer); // a layer change is no edit
    ToLayer(kConcreteLayer);
    PlanClick({CellLeft(40), CellTop(40)}); // outside the grid: nothing toggles
    // A drag cancelled with Esc puts its start square back.
    PlanMouse(QEvent::MouseButtonPress, Centre(3, 3), Qt::LeftButton, Qt::LeftButton);
    PlanMouse(QEvent::MouseMove, Centre(5, 4), Qt::NoButton, Qt::LeftButton);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(Plan(), &escape);
    PlanMouse(QEvent::MouseButtonRelease, Centre(5, 4), Qt::LeftButton, Qt::NoButton);
    // The analysis view zoomed and panned.
    const QPointF at(View()->width() / 2.0, View()->height() / 3.0);
    QWheelEvent wheel(at, View()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(View(), &wheel);
    Drag(Qt::RightButton, {100, 100}, {130, 110});
    // A document update without a change of the model.
    Doc()->UpdateAllViews(nullptr, 0);
    test::Flush();

    EXPECT_EQ(Session().Revision(), revision);
    ExpectResultsShown("kept");
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Last().toStdString();
}

TEST_F(OutOfDateTest, AnEditDuringAPushoverStopsTheRunAndKeepsItsStepsAsTheRunThatWas) {
    Model().stepsPerSegment = 20000; // far longer than the test
    ASSERT_TRUE(Analyze());
    Frame()->PushoverRadio()->click();
    ASSERT_TRUE(Run(cmd::kPlay));
    ASSERT_TRUE(WaitFor([&] { return Session().RecordedStep() >= 3; }, 60));
    ToLayer(kConcreteLayer);
    PlanClick(Centre(5, 4));
    test::Flush();
    EXPECT_FALSE(View()->StepTimerRunning());
    const int kept = Session().History().Count();
    EXPECT_GE(kept, 3);
    ExpectOutOfDate("pushover-edited");
    // Nothing more arrives from the stopped run.
    test::Flush();
    EXPECT_EQ(Session().History().Count(), kept);
    EXPECT_FALSE(Query(cmd::kPlay).enabled); // Analyze again first
    ExpectAnalyzeEqualsAFreshDocument("pushover-edited");
}

TEST_F(OutOfDateTest, AnEditDuringAnalyzeStopsItAndAnUpdateWithoutOneDoesNot) {
    // A document update that changes nothing lets the analysis finish and show its results.
    ASSERT_TRUE(Run(cmd::kActualSize));
    ASSERT_TRUE(Run(cmd::kAnalyze));
    ASSERT_TRUE(View()->Analysing());
    Doc()->UpdateAllViews(nullptr, 0);
    EXPECT_TRUE(View()->Analysing());
    ASSERT_TRUE(WaitFor([this] { return !View()->Analysing(); }, 60));
    test::Flush();
    ExpectResultsShown("update-during-analyze");

    // An edit while it runs: the analysis of the earlier model is never read.
    ASSERT_TRUE(Run(cmd::kAnalyze));
    ASSERT_TRUE(View()->Analysing());
    ToLayer(kConcreteLayer);
    PlanClick(Centre(5, 4));
    EXPECT_FALSE(View()->Analysing());
    EXPECT_EQ(Main()->statusBar()->currentMessage(),
              QStringLiteral("The analysis was stopped: the model changed while it ran."));
    ExpectOutOfDate("edit-during-analyze");
    ExpectAnalyzeEqualsAFreshDocument("edit-during-analyze");
}

} // namespace
} // namespace torva
