#include "framework/ChildFrame.h"

#include "framework/Application.h"
#include "framework/Commands.h"
#include "framework/Document.h"
#include "framework/MdiFrame.h"
#include "framework/View.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QToolBar>

namespace torva {

ChildFrame::ChildFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowFlags(Qt::Widget); // a child of its sub-window, not a window of its own
    router_ = new CommandRouter(
        [this]() -> std::vector<CommandTarget*> {
            Document* document = GetActiveDocument();
            Application* app = Application::Instance();
            MdiFrame* main = app ? app->MainFrame() : nullptr;
            return {view_, document, this, main, app};
        },
        this);
}

ChildFrame::~ChildFrame() {
    // A view still in place goes with its frame (and detaches from its document first).
    if (View* view = view_) {
        view_ = nullptr;
        delete view;
    }
}

void ChildFrame::SetView(View* view) {
    view_ = view;
    if (view && view->Widget()) setCentralWidget(view->Widget());
}

Document* ChildFrame::GetActiveDocument() const {
    return view_ ? view_->GetDocument() : nullptr;
}

QMdiSubWindow* ChildFrame::SubWindow() const {
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

void ChildFrame::ActivateFrame() {
    QMdiSubWindow* sub = SubWindow();
    if (!sub) {
        show();
        activateWindow();
        return;
    }
    show();
    sub->show();
    if (QMdiArea* area = sub->mdiArea()) area->setActiveSubWindow(sub);
    if (view_ && view_->Widget()) view_->Widget()->setFocus();
}

void ChildFrame::SetFrameTitle(const QString& title) {
    setWindowTitle(title);
    if (QMdiSubWindow* sub = SubWindow()) sub->setWindowTitle(title);
}

QString ChildFrame::FrameTitle() const {
    if (QMdiSubWindow* sub = SubWindow()) return sub->windowTitle();
    return windowTitle();
}

void ChildFrame::UpdateFrameTitle() {
    if (!AddsTitle()) return;
    if (Document* document = GetActiveDocument()) {
        const QString role = FrameRole();
        SetFrameTitle(role.isEmpty() ? document->GetTitle()
                                     : document->GetTitle() + QStringLiteral(" \u2014 ") + role);
    }
}

void ChildFrame::PostClose() {
    QWidget* target = SubWindow();
    if (!target) target = this;
    QPointer<QWidget> guard(target);
    QMetaObject::invokeMethod(
        target,
        [guard] {
            if (guard) guard->close();
        },
        Qt::QueuedConnection);
}

QToolBar* ChildFrame::CreateCommandToolBar(const QString& title, const QList<int>& buttons,
                                           Qt::ToolBarArea area) {
    auto* bar = new QToolBar(title, this);
    bar->setObjectName(title);
    bar->setIconSize(QSize(16, 15));
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    bar->setFloatable(false);
    for (int id : buttons) {
        if (id == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* action = NewCommandAction(id, QString(), bar);
        bar->addAction(action);
        router_->AddAction(action);
    }
    addToolBar(area, bar);
    return bar;
}

QWidget* ChildFrame::BarControl(int id) const {
    const QList<QWidget*> widgets = findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        bool ok = false;
        if (widget->property("controlId").toInt(&ok) == id && ok) return widget;
    }
    return nullptr;
}

void ChildFrame::CloseNow() {
    closing_ = true;
    if (QMdiSubWindow* sub = SubWindow())
        sub->close();
    else
        close();
}

void ChildFrame::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        Document* document = GetActiveDocument();
        if (document && !document->CanCloseFrame(this)) {
            event->ignore();
            return;
        }
        closing_ = true;
    }
    event->accept();
    // The view goes now, so that the document and lookups never see a closing view; the frame
    // itself (with its sub-window) is deleted from the event loop.
    if (View* view = view_) {
        view_ = nullptr;
        delete view;
    }
    if (QMdiSubWindow* sub = SubWindow()) {
        sub->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        deleteLater();
    }
}

} // namespace torva
