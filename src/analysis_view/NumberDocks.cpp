#include "analysis_view/NumberDocks.h"

#include "analysis/ElementHit.h"
#include "analysis/ElementReadout.h"
#include "analysis_view/ReadoutTables.h"
#include "analysis_view/ResultCanvas.h"
#include "analysis_view/ResultsPane.h"

#include <QDockWidget>
#include <QMainWindow>

namespace torva {

NumberDocks::NumberDocks(QWidget* frame, ResultsPane* results)
    : QObject(frame), frame_(frame), results_(results) {
    connect(results_, &ResultsPane::FieldShown, this, [this] { Refresh(); });
}

bool NumberDocks::OutOfDate() const {
    return results_->OutOfDate();
}

int NumberDocks::ResultElement(const Pick& pick) const {
    if (pick.element < 0) return -1;
    return MatchElement(results_->Canvas()->Mesh().View(), pick.element, pick.cornerX, pick.cornerY);
}

int NumberDocks::Element() const {
    return ResultElement(pick_);
}

QString NumberDocks::HoverText(const Pick& pick, int gauss) const {
    const std::string label = ElementLabel(pick.element, pick.planX, pick.planY);
    return QString::fromStdString(
        ProbeText(results_->Field(), ResultElement(pick), gauss, label, OutOfDate()));
}

QDockWidget* NumberDocks::NewDock(const QString& title, const QString& name, QWidget* content) {
    auto* dock = new QDockWidget(title, frame_);
    dock->setObjectName(name);
    dock->setWidget(content);
    auto* window = qobject_cast<QMainWindow*>(frame_);
    if (window) window->addDockWidget(Qt::RightDockWidgetArea, dock);
    // A table goes where the results window is docked, as a tab beside it, so it covers neither the
    // model nor the results' other tabs; with the results window floating, it floats too.
    auto* results = qobject_cast<QDockWidget*>(results_->parentWidget());
    if (window && results && !results->isFloating() && results->isVisible())
        window->tabifyDockWidget(results, dock);
    else
        dock->setFloating(true);
    return dock;
}

void NumberDocks::ShowElement(const Pick& pick) {
    if (!elementDock_) {
        elementPane_ = new ElementTablePane;
        elementDock_ = NewDock(QStringLiteral("Element"), QStringLiteral("ElementTable"), elementPane_);
        elementDock_->resize(760, 420);
    }
    pick_ = pick;
    elementLabel_ = QString::fromStdString(ElementLabel(pick.element, pick.planX, pick.planY));
    elementDock_->setWindowTitle(QStringLiteral("Element ") + elementLabel_);
    Refresh();
    elementDock_->show();
    elementDock_->raise();
}

void NumberDocks::ShowReactions() {
    if (!reactionsDock_) {
        reactionsPane_ = new ReactionsPane;
        reactionsDock_ = NewDock(QStringLiteral("Reactions"), QStringLiteral("Reactions"), reactionsPane_);
        reactionsDock_->resize(560, 360);
    }
    Refresh();
    reactionsDock_->show();
    reactionsDock_->raise();
}

void NumberDocks::Refresh() {
    const ResultField& field = results_->Field();
    const CanvasMesh& mesh = results_->Canvas()->Mesh();
    const QString step = QString::number(results_->ShownStepNumber());
    if (elementPane_ && pick_.element >= 0)
        elementPane_->Show(field, mesh.View(), mesh.x.data(), mesh.y.data(), Element(), elementLabel_, step,
                           OutOfDate());
    if (reactionsPane_) reactionsPane_->Show(field, mesh.View(), step, OutOfDate());
}

} // namespace torva
