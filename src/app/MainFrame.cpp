#include "app/MainFrame.h"

#include "app/SaveDataProgramDialog.h"
#include "app/TorvaApp.h"
#include "framework/ChildFrame.h"
#include "framework/CommandIds.h"
#include "framework/Commands.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/Settings.h"
#include "framework/View.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

namespace torva {

namespace {

const QString kAppTitle = QStringLiteral("TORVA_FEM");

} // namespace

CMainFrame::CMainFrame(QWidget* parent) : MdiFrame(parent) {
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowTitle(kAppTitle);
}

bool CMainFrame::Create() {
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateAccelerators();
    if (!toolBar_ || !messagePane_ || !fileMenu_) return false;
    connect(MdiArea(), &QMdiArea::subWindowActivated, this, [this] { UpdateTitle(); });

    // 940 x 691 at (10, 10), then centred on the screen when it fits.
    resize(940, 691);
    move(10, 10);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const int x = area.x() + std::max(0, (area.width() - 940) / 2);
        const int y = area.y() + std::max(0, (area.height() - 691) / 2);
        move(x, y);
    }
    Router()->UpdateActions();
    return true;
}

void CMainFrame::CreateMenus() {
    CommandRouter* router = Router();
    auto item = [router](QMenu* menu, int id, const QString& text) {
        QAction* action = NewCommandAction(id, text, menu);
        action->setIconVisibleInMenu(false);
        router->AddAction(action);
        menu->addAction(action);
        return action;
    };

    fileMenu_ = menuBar()->addMenu(QStringLiteral("File(&F)"));
    item(fileMenu_, cmd::kFileNew, QStringLiteral("New(&N)\tCtrl+N"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    item(fileMenu_, cmd::kFileOpen, QStringLiteral("Open(&O)...\tCtrl+O"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    item(fileMenu_, cmd::kFileSave, QStringLiteral("Save(&S)\tCtrl+S"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    item(fileMenu_, cmd::kFileSaveAs, QStringLiteral("Save As(&A)..."));
    fileMenu_->addSeparator();
    for (int i = 0; i < 4; ++i) {
        QAction* action = item(fileMenu_, cmd::kRecentFile1 + i, QStringLiteral("Recent File"));
        recentActions_.push_back(action);
    }
    recentSeparator_ = fileMenu_->addSeparator();
    item(fileMenu_, cmd::kAppExit, QStringLiteral("Exit(&X)"));
    // The recent files are filled in before the router refreshes the states.
    connect(fileMenu_, &QMenu::aboutToShow, this, [this] { RebuildRecentFiles(); });
    RebuildRecentFiles();

    // The shortcuts come with the accelerators.
    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit(&E)"));
    item(edit, cmd::kEditUndo, QStringLiteral("&Undo\tCtrl+Z"));
    item(edit, cmd::kEditRedo, QStringLiteral("&Redo\tCtrl+Y"));

    QMenu* pattern = menuBar()->addMenu(QStringLiteral("Pattern(&P)"));
    item(pattern, cmd::kClearPattern, QStringLiteral("Clear(&E)"));
    pattern->addSeparator();
    item(pattern, cmd::kMoveUpperFloor, QStringLiteral("Go Up(&U)"));
    item(pattern, cmd::kMoveLowerFloor, QStringLiteral("Go Down(&D)"));
    pattern->addSeparator();

    QMenu* member = menuBar()->addMenu(QStringLiteral("Member(&M)"));
    member->addSeparator();
    item(member, cmd::kFrameSize, QStringLiteral("Layer/Section(&F)"));
    member->addSeparator();
    item(member, cmd::kPointForce, QStringLiteral("Point Force(&P)"));
    item(member, cmd::kBoundaryCondition, QStringLiteral("Boundary Condition(&B)"));
    member->addSeparator();
    item(member, cmd::kConcreteElement, QStringLiteral("Element(&C)"));
    // Commands the plan view has without another place in the menus or toolbars.
    item(member, cmd::kSteelRebarElement, QStringLiteral("Steel Rebar Element(&S)"));
    item(member, cmd::kFiberElement, QStringLiteral("Fiber Element(&I)"));
    member->addSeparator();
    item(member, cmd::kCheckControlNode, QStringLiteral("Check Control Node(&N)"));
    item(member, cmd::kCheckOutputElement, QStringLiteral("Check Output Element(&O)"));

    QMenu* option = menuBar()->addMenu(QStringLiteral("Option(&O)"));
    item(option, cmd::kOptionStructure, QStringLiteral("Structure"));
    item(option, cmd::kOptionLoading, QStringLiteral("Loading..."));
    item(option, cmd::kOptionSaveDataProgram, QStringLiteral("Save Data Program(&D)..."));

    QMenu* view = menuBar()->addMenu(QStringLiteral("View(&V)"));
    item(view, cmd::kWindowCascade, QStringLiteral("Cascade(&C)"));
    item(view, cmd::kWindowTileHorizontal, QStringLiteral("Tile Horizontal (&H)"));
    item(view, cmd::kWindowTileVertical, QStringLiteral("Tile Vertical(&V)"));
    // The plan window's own.
    view->addSeparator();
    item(view, cmd::kPlanZoomIn, QStringLiteral("Zoom In(&I)\tCtrl++"));
    item(view, cmd::kPlanZoomOut, QStringLiteral("Zoom Out(&O)\tCtrl+-"));
    item(view, cmd::kPlanZoomFit, QStringLiteral("Fit Plan(&F)\tCtrl+0"));
    // The analysis window's own: enabled while it is the active window.
    view->addSeparator();
    item(view, cmd::kShowResponseSetting, QStringLiteral("Response Setting(&R)"));
    item(view, cmd::kSavePicture, QStringLiteral("Save Picture(&P)..."));
    item(view, cmd::kShowReactions, QStringLiteral("Reactions(&T)"));
    view->addSeparator();
    item(view, cmd::kPlay, QStringLiteral("Play(&L)"));
    item(view, cmd::kPause, QStringLiteral("Pause(&A)"));
    item(view, cmd::kStop, QStringLiteral("Stop(&S)"));
    item(view, cmd::kExportCurve, QStringLiteral("Export Curve(&E)..."));

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help(&H)"));
    item(help, cmd::kAppAbout, QStringLiteral("About TORVA_FEM...(&A)"));

    for (QMenu* menu : {fileMenu_, edit, pattern, member, option, view, help}) router->WatchMenu(menu);
}

void CMainFrame::CreateToolBar() {
    toolBar_ = new QToolBar(QStringLiteral("Standard"), this);
    toolBar_->setObjectName(QStringLiteral("Standard"));
    toolBar_->setIconSize(QSize(16, 15));
    for (int id : {cmd::kFileNew, cmd::kFileOpen, cmd::kFileSave, 0, cmd::kPlanView, cmd::kView3d, 0,
                   cmd::kAppAbout}) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* action = NewCommandAction(id, QString(), toolBar_);
        Router()->AddAction(action);
        toolBar_->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    messagePane_ = new QLabel(QStringLiteral("Ready"), bar);
    messagePane_->setObjectName(QStringLiteral("messagePane"));
    bar->addWidget(messagePane_, 1);
    for (const char* name : {"CAP", "NUM", "SCRL"}) {
        auto* indicator = new QLabel(QString::fromLatin1(name), bar);
        indicator->setObjectName(QString::fromLatin1(name));
        indicator->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        indicator->setAlignment(Qt::AlignCenter);
        indicator->setMinimumWidth(indicator->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
        indicator->setEnabled(false); // the lock keys' states are not known to the program
        bar->addPermanentWidget(indicator);
    }
}

void CMainFrame::CreateAccelerators() {
    struct Accelerator {
        int id;
        QKeySequence key;
    };
    const Accelerator accelerators[] = {
        {cmd::kFilePrint, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {cmd::kEditUndo, QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {cmd::kEditUndo, QKeySequence(Qt::ALT | Qt::Key_Backspace)},
        {cmd::kEditRedo, QKeySequence(Qt::CTRL | Qt::Key_Y)},
        {cmd::kEditRedo, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        {cmd::kEditCut, QKeySequence(Qt::CTRL | Qt::Key_X)},
        {cmd::kEditCut, QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
        {cmd::kEditCopy, QKeySequence(Qt::CTRL | Qt::Key_C)},
        {cmd::kEditCopy, QKeySequence(Qt::CTRL | Qt::Key_Insert)},
        {cmd::kEditPaste, QKeySequence(Qt::CTRL | Qt::Key_V)},
        {cmd::kEditPaste, QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
        {cmd::kPlanZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Plus)},
        {cmd::kPlanZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)},
        {cmd::kPlanZoomOut, QKeySequence(Qt::CTRL | Qt::Key_Minus)},
        {cmd::kPlanZoomFit, QKeySequence(Qt::CTRL | Qt::Key_0)},
        {cmd::kNextPane, QKeySequence(Qt::Key_F6)},
        {cmd::kPrevPane, QKeySequence(Qt::SHIFT | Qt::Key_F6)},
    };
    for (const Accelerator& accelerator : accelerators) {
        QAction* action = Router()->FindAction(accelerator.id);
        if (!action) {
            action = NewCommandAction(accelerator.id, QString(), this);
            Router()->AddAction(action);
            addAction(action);
        }
        QList<QKeySequence> keys = action->shortcuts();
        keys.push_back(accelerator.key);
        action->setShortcuts(keys);
    }
}

void CMainFrame::RebuildRecentFiles() {
    auto* app = Application::Instance();
    const RecentFileList* list = app ? app->RecentFiles() : nullptr;
    const int count = list ? static_cast<int>(list->Files().size()) : 0;
    for (int i = 0; i < recentActions_.size(); ++i) {
        QAction* action = recentActions_[i];
        if (i < count) {
            action->setText(list->MenuText(i));
            action->setStatusTip(list->Files()[i]);
            action->setVisible(true);
        } else {
            // With no recent file the first entry stays as the disabled "Recent File".
            action->setText(QStringLiteral("Recent File"));
            action->setStatusTip(QString());
            action->setVisible(i == 0);
        }
    }
}

void CMainFrame::UpdateTitle() {
    ChildFrame* child = ActiveChild();
    Document* document = child ? child->GetActiveDocument() : nullptr;
    disconnect(titleConnection_);
    if (document)
        titleConnection_ = connect(document, &Document::TitleChanged, this, [this] { UpdateTitle(); });
    setWindowTitle(document ? kAppTitle + QStringLiteral(" - ") + document->GetTitle() : kAppTitle);
}

void CMainFrame::SwitchToView(DocTemplate* kind) {
    ChildFrame* child = ActiveChild();
    Document* document = child ? child->GetActiveDocument() : nullptr;
    if (!document || !kind) return;
    for (View* view : document->Views()) {
        ChildFrame* frame = view->GetParentFrame();
        if (frame && !frame->IsClosing() && frame->GetDocTemplate() == kind) {
            frame->ActivateFrame();
            return;
        }
    }
    if (ChildFrame* frame = kind->CreateNewFrame(document, nullptr))
        kind->InitialUpdateFrame(frame, document, true);
}

bool CMainFrame::OnCommand(int id) {
    auto* app = dynamic_cast<CTorvaApp*>(Application::Instance());
    if (id == cmd::kPlanView) {
        SwitchToView(app ? app->planTemplate : nullptr);
        return true;
    }
    if (id == cmd::kView3d) {
        SwitchToView(app ? app->analysisTemplate : nullptr);
        return true;
    }
    if (id == cmd::kOptionSaveDataProgram) {
        RunSaveDataProgramDialog(this);
        return true;
    }
    return MdiFrame::OnCommand(id);
}

bool CMainFrame::OnUpdateCommand(int id, CommandState& state) {
    if (id == cmd::kPlanView || id == cmd::kView3d) {
        ChildFrame* child = ActiveChild();
        state.enabled = child && child->GetActiveDocument();
        return true;
    }
    if (id == cmd::kOptionSaveDataProgram) {
        state.enabled = true;
        return true;
    }
    return MdiFrame::OnUpdateCommand(id, state);
}

} // namespace torva
