// Start-up: the main frame with its menus, toolbar, accelerators and status bar, and one new
// document shown in the plan window and the analysis window, placed and captioned.
#include "AppFixture.h"
#include "analysis_view/Resp3D.h"
#include "app/PlanFrame.h"
#include "framework/CommandIds.h"
#include "framework/Commands.h"
#include "framework/View.h"
#include "model/ModelFile.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>

namespace torva {
namespace {

using test::AppTest;

// "text=id" for each entry, "-" for separators.
QStringList Entries(const QWidget* holder) {
    QStringList list;
    for (QAction* action : holder->actions()) {
        if (action->isSeparator())
            list << "-";
        else if (action->isVisible())
            list << action->text() + "=" + QString::number(CommandIdOf(action));
    }
    return list;
}

// Whether `wanted` appears in `ids` in order (other buttons may stand between).
bool InOrder(const QList<int>& ids, const QList<int>& wanted) {
    int next = 0;
    for (int id : ids) {
        if (next < wanted.size() && id == wanted[next]) ++next;
    }
    return next == wanted.size();
}

QList<int> Buttons(const QToolBar* bar) {
    QList<int> ids;
    for (QAction* action : bar->actions()) ids << (action->isSeparator() ? 0 : CommandIdOf(action));
    return ids;
}

QMenu* MenuNamed(QMainWindow* window, const QString& title) {
    for (QAction* action : window->menuBar()->actions()) {
        if (action->text() == title) return action->menu();
    }
    return nullptr;
}

TEST_F(AppTest, StartUpOpensOneNewDocumentInThePlanAndAnalysisWindows) {
    Start();
    ASSERT_NE(Main(), nullptr);
    EXPECT_TRUE(Main()->isVisible());
    EXPECT_EQ(Main()->size(), QSize(940, 691));
    EXPECT_EQ(app->MainFrame(), Main());

    ASSERT_EQ(Docs().size(), 1u);
    auto* doc = dynamic_cast<CTorvaDoc*>(Docs()[0]);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetTitle(), "FEM1");
    EXPECT_FALSE(doc->IsModified());
    CFramePat fresh;
    EXPECT_EQ(WriteModelImage(*doc->framePat), WriteModelImage(fresh));

    // Two windows on the one document: the plan window's view first, then the analysis window's.
    const auto frames = Frames();
    ASSERT_EQ(frames.size(), 2u);
    ASSERT_EQ(doc->Views().size(), 2u);
    auto* plan = dynamic_cast<CTorvaFrame*>(doc->Views()[0]->GetParentFrame());
    auto* analysis = dynamic_cast<CResp3D*>(doc->Views()[1]->GetParentFrame());
    ASSERT_NE(plan, nullptr);
    ASSERT_NE(analysis, nullptr);
    EXPECT_EQ(plan->GetDocTemplate(), app->planTemplate);
    EXPECT_EQ(analysis->GetDocTemplate(), app->analysisTemplate);
    EXPECT_EQ(app->Templates(), (std::vector<DocTemplate*>{app->planTemplate, app->analysisTemplate}));
    EXPECT_EQ(plan->SubWindow()->geometry(), QRect(0, 0, 465, 589));
    EXPECT_EQ(analysis->SubWindow()->geometry(), QRect(465, 0, 465, 589));
    EXPECT_FALSE(plan->SubWindow()->isHidden());
    EXPECT_FALSE(analysis->SubWindow()->isHidden());
    // Captions name the document and the window's role, and follow a new name.
    EXPECT_EQ(plan->FrameTitle(), "FEM1 \u2014 Plan");
    EXPECT_EQ(analysis->FrameTitle(), "FEM1 \u2014 Analysis \u2014 Classic step-by-step");
    EXPECT_EQ(Main()->ActiveChild(), plan);
    EXPECT_EQ(Main()->windowTitle(), "TORVA_FEM - FEM1");
    EXPECT_TRUE(messages.Texts().isEmpty());
    ActiveDoc()->SetPathName(QString::fromStdString(dir.file("wall.fem")), false);
    EXPECT_EQ(plan->FrameTitle(), "wall.fem \u2014 Plan");
    EXPECT_EQ(analysis->FrameTitle(), "wall.fem \u2014 Analysis \u2014 Classic step-by-step");
}

TEST_F(AppTest, MainMenuCarriesEveryEntryWithItsId) {
    Start();
    QMenu* file = MenuNamed(Main(), "File(&F)");
    ASSERT_NE(file, nullptr);
    emit file->aboutToShow();
    EXPECT_EQ(Entries(file),
              (QStringList{"New(&N)\tCtrl+N=57600", "Open(&O)...\tCtrl+O=57601", "Save(&S)\tCtrl+S=57603",
                           "Save As(&A)...=57604", "-", "Recent File=57616", "-", "Exit(&X)=57665"}));
    EXPECT_EQ(Entries(MenuNamed(Main(), "Edit(&E)")),
              (QStringList{"&Undo\tCtrl+Z=57643", "&Redo\tCtrl+Y=57644"}));
    EXPECT_EQ(Entries(MenuNamed(Main(), "Pattern(&P)")),
              (QStringList{"Clear(&E)=32778", "-", "Go Up(&U)=32772", "Go Down(&D)=32771", "-"}));
    const QStringList member = Entries(MenuNamed(Main(), "Member(&M)"));
    EXPECT_EQ(member.mid(0, 7), (QStringList{"-", "Layer/Section(&F)=32777", "-", "Point Force(&P)=32885",
                                             "Boundary Condition(&B)=32886", "-", "Element(&C)=32792"}));
    EXPECT_EQ(member.mid(7), (QStringList{"Steel Rebar Element(&S)=32780", "Fiber Element(&I)=1019", "-",
                                          "Check Control Node(&N)=32806", "Check Output Element(&O)=32902"}));
    EXPECT_EQ(Entries(MenuNamed(Main(), "Option(&O)")),
              (QStringList{"Structure=32872", "Loading...=32873", "Save Data Program(&D)...=32943"}));
    EXPECT_EQ(Entries(MenuNamed(Main(), "View(&V)")),
              (QStringList{"Cascade(&C)=57650", "Tile Horizontal (&H)=57651", "Tile Vertical(&V)=57652", "-",
                           "Zoom In(&I)\tCtrl++=32940", "Zoom Out(&O)\tCtrl+-=32941",
                           "Fit Plan(&F)\tCtrl+0=32942", "-", "Response Setting(&R)=32930",
                           "Save Picture(&P)...=32931", "Reactions(&T)=32933", "-", "Play(&L)=32783",
                           "Pause(&A)=32847", "Stop(&S)=32785", "Export Curve(&E)...=32932"}));
    EXPECT_EQ(Entries(MenuNamed(Main(), "Help(&H)")), QStringList{"About TORVA_FEM...(&A)=57664"});
    QStringList titles;
    for (QAction* action : Main()->menuBar()->actions()) titles << action->text();
    EXPECT_EQ(titles, (QStringList{"File(&F)", "Edit(&E)", "Pattern(&P)", "Member(&M)", "Option(&O)",
                                   "View(&V)", "Help(&H)"}));
}

TEST_F(AppTest, AcceleratorsAreBoundAndTheEditCommandsStayDisabled) {
    Start();
    std::map<int, QList<QKeySequence>> keys;
    for (QAction* action : Main()->findChildren<QAction*>()) {
        const int id = CommandIdOf(action);
        if (id >= 0) keys[id] += action->shortcuts();
    }
    using K = QKeySequence;
    EXPECT_EQ(keys[cmd::kFileNew], QList<K>{K(Qt::CTRL | Qt::Key_N)});
    EXPECT_EQ(keys[cmd::kFileOpen], QList<K>{K(Qt::CTRL | Qt::Key_O)});
    EXPECT_EQ(keys[cmd::kFileSave], QList<K>{K(Qt::CTRL | Qt::Key_S)});
    EXPECT_EQ(keys[cmd::kFilePrint], QList<K>{K(Qt::CTRL | Qt::Key_P)});
    EXPECT_EQ(keys[cmd::kEditUndo], (QList<K>{K(Qt::CTRL | Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)}));
    EXPECT_EQ(keys[cmd::kEditCut], (QList<K>{K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)}));
    EXPECT_EQ(keys[cmd::kEditCopy], (QList<K>{K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)}));
    EXPECT_EQ(keys[cmd::kEditPaste], (QList<K>{K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)}));
    EXPECT_EQ(keys[cmd::kNextPane], QList<K>{K(Qt::Key_F6)});
    EXPECT_EQ(keys[cmd::kPrevPane], QList<K>{K(Qt::SHIFT | Qt::Key_F6)});
    EXPECT_EQ(keys[cmd::kEditRedo], (QList<K>{K(Qt::CTRL | Qt::Key_Y), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    // Undo and Redo have nothing to do in a new model; Cut, Copy and Paste have no handler.
    for (int id : {cmd::kEditUndo, cmd::kEditRedo, cmd::kEditCut, cmd::kEditCopy, cmd::kEditPaste}) {
        EXPECT_FALSE(Main()->Router()->FindAction(id)->isEnabled()) << id;
        EXPECT_FALSE(Main()->Router()->Execute(id)) << id;
    }
}

TEST_F(AppTest, EditUndoAndRedoNameTheStepAndFollowTheModel) {
    Start();
    CTorvaDoc* doc = ActiveDoc();
    ASSERT_NE(doc, nullptr);
    for (int x = 2; x < 14; ++x) doc->framePat->Flag(x, 3, kConcreteLayer) = 1;
    doc->framePat->LoadCurrentLayer();
    doc->CommitModelEdit(QStringLiteral("Set E2 on 12 cells"));
    CommandRouter::RefreshAll();
    QAction* undo = Main()->Router()->FindAction(cmd::kEditUndo);
    QAction* redo = Main()->Router()->FindAction(cmd::kEditRedo);
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text(), "&Undo Set E2 on 12 cells\tCtrl+Z");
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_TRUE(doc->IsModified());

    // The shortcut reaches the document through the main window.
    auto press = [this](int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::ControlModifier);
        QApplication::sendEvent(Main(), &event);
    };
    Main()->activateWindow();
    press(Qt::Key_Z);
    test::Flush();
    EXPECT_EQ(doc->framePat->Flag(5, 3, kConcreteLayer), 0);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undo->text(), "&Undo\tCtrl+Z");
    EXPECT_TRUE(redo->isEnabled());
    EXPECT_EQ(redo->text(), "&Redo Set E2 on 12 cells\tCtrl+Y");
    press(Qt::Key_Y);
    test::Flush();
    EXPECT_EQ(doc->framePat->Flag(5, 3, kConcreteLayer), 1);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(AppTest, ToolbarsStatusBarAndBarsOfTheFrames) {
    Start();
    EXPECT_EQ(Buttons(Main()->MainToolBar()), (QList<int>{cmd::kFileNew, cmd::kFileOpen, cmd::kFileSave, 0,
                                                          cmd::kPlanView, cmd::kView3d, 0, cmd::kAppAbout}));
    EXPECT_EQ(Main()->toolBarArea(Main()->MainToolBar()), Qt::TopToolBarArea);
    EXPECT_EQ(Main()->MessagePane()->text(), "Ready");
    for (const char* pane : {"CAP", "NUM", "SCRL"}) {
        auto* label = Main()->statusBar()->findChild<QLabel*>(pane);
        ASSERT_NE(label, nullptr) << pane;
        EXPECT_EQ(label->text(), pane);
    }

    auto* plan = dynamic_cast<CTorvaFrame*>(Frames()[0]);
    ASSERT_NE(plan, nullptr);
    EXPECT_EQ(Buttons(plan->PatternToolBar()),
              (QList<int>{cmd::kClearPattern, 0, cmd::kMoveUpperFloor, cmd::kCopyLowerPattern, 0,
                          cmd::kMoveLowerFloor, cmd::kCopyUpperPattern}));
    // The plan view may offer its other layers and modes here too, after the given buttons.
    EXPECT_TRUE(InOrder(Buttons(plan->MemberToolBar()),
                        {cmd::kPointForce, cmd::kBoundaryCondition, 0, cmd::kConcreteElement, 0,
                         cmd::kXElementLength, cmd::kYElementLength, 0, cmd::kFrameSize}));
    EXPECT_EQ(plan->toolBarArea(plan->PatternToolBar()), Qt::BottomToolBarArea);
    EXPECT_EQ(plan->toolBarArea(plan->MemberToolBar()), Qt::TopToolBarArea);
    EXPECT_EQ(plan->toolBarArea(plan->LayerBar()), Qt::BottomToolBarArea);
    EXPECT_EQ(plan->LayerBar()->windowTitle(), "Floor");
    auto* layerName = qobject_cast<QLineEdit*>(plan->BarControl(cmd::kLayerNameEdit));
    ASSERT_NE(layerName, nullptr);
    EXPECT_EQ(layerName, plan->LayerNameEdit());
    EXPECT_TRUE(layerName->isReadOnly());
    // The layer bar sits right of the pattern toolbar on the same bottom line.
    plan->SubWindow()->show();
    EXPECT_GE(plan->LayerBar()->geometry().left(), plan->PatternToolBar()->geometry().right());
    EXPECT_EQ(plan->LayerBar()->geometry().top(), plan->PatternToolBar()->geometry().top());

    auto* analysis = dynamic_cast<CResp3D*>(Frames()[1]);
    ASSERT_NE(analysis, nullptr);
    EXPECT_EQ(Buttons(analysis->PictureToolBar()),
              (QList<int>{cmd::kMovePicture, cmd::kZoomPicture, 0, cmd::kDefaultSize, cmd::kActualSize, 0,
                          cmd::kAnalyze, 0, cmd::kAmplifyResponse, cmd::kReduceResponse}));
    EXPECT_EQ(Buttons(analysis->ResultToolBar()),
              (QList<int>{cmd::kSaveData, 0, cmd::kPrincipalStress, cmd::kRenderStressField, 0,
                          cmd::kShowResponseSetting}));
    EXPECT_EQ(Buttons(analysis->RunToolBar()),
              (QList<int>{cmd::kPlay, cmd::kPause, cmd::kStop, 0, cmd::kExportCurve}));
    EXPECT_EQ(analysis->toolBarArea(analysis->PictureToolBar()), Qt::BottomToolBarArea);
    EXPECT_EQ(analysis->toolBarArea(analysis->RunToolBar()), Qt::BottomToolBarArea);
    EXPECT_EQ(analysis->toolBarArea(analysis->ResultToolBar()), Qt::TopToolBarArea);
    EXPECT_EQ(analysis->toolBarArea(analysis->FloorBar()), Qt::TopToolBarArea);
    EXPECT_GE(analysis->FloorBar()->geometry().left(), analysis->ResultToolBar()->geometry().right());
    EXPECT_EQ(analysis->BarControl(cmd::kFloorTrackbar), analysis->Trackbar());
    EXPECT_EQ(analysis->Trackbar()->tickPosition(), QSlider::NoTicks);
    EXPECT_TRUE(analysis->ResponseSettingBar()->isHidden());
    EXPECT_EQ(analysis->ViewList()->count(), 4);
    EXPECT_EQ(analysis->ViewList()->itemText(3), "4: Discrete Element F-D");
    EXPECT_EQ(analysis->ViewList()->currentIndex(), 0);
    analysis->SetRadios(2);
    EXPECT_FALSE(analysis->ElasticRadio()->isChecked());
    EXPECT_TRUE(analysis->PushoverRadio()->isChecked());
    analysis->SetRadios(1);
    EXPECT_TRUE(analysis->ElasticRadio()->isChecked());
    EXPECT_FALSE(analysis->PushoverRadio()->isChecked());
}

TEST_F(AppTest, CommandLineOpensTheNamedFileOrFallsBackToANewDocument) {
    CFramePat model;
    model.nxs = 9;
    const QString good = QString::fromStdString(dir.file("good.fem"));
    FileError error;
    ASSERT_TRUE(SaveModelFile(good.toStdString(), model, error));
    Start({good});
    ASSERT_EQ(Docs().size(), 1u);
    EXPECT_EQ(Docs()[0]->GetTitle(), "good.fem");
    EXPECT_EQ(dynamic_cast<CTorvaDoc*>(Docs()[0])->framePat->nxs, 9);
    EXPECT_EQ(Frames().size(), 2u);
    EXPECT_EQ(Main()->windowTitle(), "TORVA_FEM - good.fem");
    app.reset();
    test::Flush();

    const QString bad = WriteFile("bad.fem", "too short");
    Start({bad});
    EXPECT_EQ(messages.Texts(), QStringList{"Unexpected file format.\n" + bad +
                                            ": The file has 9 bytes; a model file has 255422."});
    ASSERT_EQ(Docs().size(), 1u);
    EXPECT_EQ(Docs()[0]->GetTitle(), "FEM1");
    EXPECT_EQ(Frames().size(), 2u);
}

} // namespace
} // namespace torva
