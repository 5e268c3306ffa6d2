#include "framework/MdiFrame.h"

#include "framework/Application.h"
#include "framework/ChildFrame.h"
#include "framework/CommandIds.h"
#include "framework/Commands.h"
#include "framework/Document.h"
#include "framework/View.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace torva {

MdiFrame::MdiFrame(QWidget* parent) : QMainWindow(parent) {
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mdiArea_);
    router_ = new CommandRouter(
        [this]() -> std::vector<CommandTarget*> {
            ChildFrame* child = ActiveChild();
            View* view = child ? child->GetActiveView() : nullptr;
            std::vector<CommandTarget*> route;
            if (view) route.push_back(view);
            if (child && child->GetActiveDocument()) route.push_back(child->GetActiveDocument());
            if (child) route.push_back(child);
            route.push_back(this);
            route.push_back(Application::Instance());
            return route;
        },
        this);
    CommandRouter::SetMain(router_);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &MdiFrame::OnSubWindowActivated);
}

MdiFrame::~MdiFrame() {
    if (Application* app = Application::Instance(); app && app->MainFrame() == this)
        app->SetMainFrame(nullptr);
}

ChildFrame* MdiFrame::ActiveChild() const {
    // currentSubWindow stays set while the main window itself is inactive.
    QMdiSubWindow* sub = mdiArea_->currentSubWindow();
    auto* frame = sub ? qobject_cast<ChildFrame*>(sub->widget()) : nullptr;
    if (frame && !frame->IsClosing() && !sub->isHidden()) return frame;
    return nullptr;
}

std::vector<ChildFrame*> MdiFrame::Children() const {
    std::vector<ChildFrame*> list;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
        auto* frame = qobject_cast<ChildFrame*>(sub->widget());
        if (frame && !frame->IsClosing()) list.push_back(frame);
    }
    return list;
}

QMdiSubWindow* MdiFrame::AddChild(ChildFrame* frame, const QRect& geometry) {
    QMdiSubWindow* sub = mdiArea_->addSubWindow(frame);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->hide();
    if (!geometry.isNull()) sub->setGeometry(geometry);
    return sub;
}

void MdiFrame::OnSubWindowActivated(QMdiSubWindow* window) {
    // nullptr also arrives when the main window loses focus; the current child is kept then.
    ChildFrame* frame = window ? qobject_cast<ChildFrame*>(window->widget()) : ActiveChild();
    if (frame != lastActive_) {
        if (lastActive_ && !lastActive_->IsClosing() && lastActive_->GetActiveView())
            lastActive_->GetActiveView()->OnActivateView(false);
        lastActive_ = frame;
        if (frame && frame->GetActiveView()) frame->GetActiveView()->OnActivateView(true);
    }
    CommandRouter::RefreshAll();
}

namespace {

std::vector<QMdiSubWindow*> Arrangeable(QMdiArea* area) {
    std::vector<QMdiSubWindow*> list;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        auto* frame = qobject_cast<ChildFrame*>(sub->widget());
        if (!sub->isHidden() && !sub->isMinimized() && !(frame && frame->IsClosing())) list.push_back(sub);
    }
    return list;
}

} // namespace

void MdiFrame::Cascade() {
    mdiArea_->cascadeSubWindows();
}

void MdiFrame::Tile(Qt::Orientation stacking) {
    const auto list = Arrangeable(mdiArea_);
    if (list.empty()) return;
    const QRect area = mdiArea_->viewport()->rect();
    const bool stacked = stacking == Qt::Vertical;
    const int length = stacked ? area.height() : area.width();
    const int n = static_cast<int>(list.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = list[i];
        if (sub->isMaximized()) sub->showNormal();
        const int start = length * i / n;
        const int end = length * (i + 1) / n;
        if (stacked)
            sub->setGeometry(0, start, area.width(), end - start);
        else
            sub->setGeometry(start, 0, end - start, area.height());
    }
}

bool MdiFrame::OnCommand(int id) {
    switch (id) {
    case cmd::kWindowCascade:
        Cascade();
        return true;
    case cmd::kWindowTileHorizontal:
        TileHorizontal();
        return true;
    case cmd::kWindowTileVertical:
        TileVertical();
        return true;
    case cmd::kNextPane:
        mdiArea_->activateNextSubWindow();
        return true;
    case cmd::kPrevPane:
        mdiArea_->activatePreviousSubWindow();
        return true;
    default:
        return false;
    }
}

bool MdiFrame::OnUpdateCommand(int id, CommandState& state) {
    switch (id) {
    case cmd::kWindowCascade:
    case cmd::kWindowTileHorizontal:
    case cmd::kWindowTileVertical:
    case cmd::kNextPane:
    case cmd::kPrevPane:
        state.enabled = !Arrangeable(mdiArea_).empty();
        return true;
    default:
        return false;
    }
}

void MdiFrame::closeEvent(QCloseEvent* event) {
    Application* app = Application::Instance();
    if (app && !app->SaveAllModified()) {
        event->ignore();
        return;
    }
    if (app) app->CloseAllDocuments();
    event->accept();
}

} // namespace torva
