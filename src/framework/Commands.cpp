#include "framework/Commands.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <map>

namespace torva {
namespace {

const char* const kIdProperty = "commandId";

std::map<int, CommandInfo>& InfoTable() {
    static std::map<int, CommandInfo> table;
    return table;
}

std::vector<CommandRouter*>& Routers() {
    static std::vector<CommandRouter*> routers;
    return routers;
}

CommandRouter*& MainRouter() {
    static CommandRouter* router = nullptr;
    return router;
}

bool& RefreshPending() {
    static bool pending = false;
    return pending;
}

} // namespace

void RegisterCommandInfo(int id, const QString& text, const QIcon& icon) {
    InfoTable()[id] = {text, icon};
}

CommandInfo LookupCommandInfo(int id) {
    const auto it = InfoTable().find(id);
    return it == InfoTable().end() ? CommandInfo{} : it->second;
}

QAction* NewCommandAction(int id, const QString& text, QObject* parent) {
    const CommandInfo info = LookupCommandInfo(id);
    auto* action = new QAction(text.isEmpty() ? info.text : text, parent);
    action->setProperty(kIdProperty, id);
    if (!info.icon.isNull()) action->setIcon(info.icon);
    if (!info.text.isEmpty()) {
        action->setToolTip(info.text);
        action->setStatusTip(info.text);
    }
    return action;
}

int CommandIdOf(const QAction* action) {
    if (!action) return -1;
    bool ok = false;
    const int id = action->property(kIdProperty).toInt(&ok);
    return ok ? id : -1;
}

CommandRouter::CommandRouter(Route route, QObject* parent) : QObject(parent), route_(std::move(route)) {
    Routers().push_back(this);
}

CommandRouter::~CommandRouter() {
    auto& routers = Routers();
    routers.erase(std::remove(routers.begin(), routers.end(), this), routers.end());
    if (MainRouter() == this) MainRouter() = nullptr;
}

void CommandRouter::AddAction(QAction* action) {
    const int id = CommandIdOf(action);
    if (id < 0 || actions_.contains(action)) return;
    actions_.push_back(action);
    connect(action, &QObject::destroyed, this, [this, action] { actions_.removeAll(action); });
    connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
    UpdateAction(action);
}

QAction* CommandRouter::Action(int id, const QString& text) {
    if (QAction* existing = FindAction(id)) return existing;
    QAction* action = NewCommandAction(id, text, this);
    AddAction(action);
    return action;
}

QAction* CommandRouter::FindAction(int id) const {
    for (QAction* action : actions_) {
        if (CommandIdOf(action) == id) return action;
    }
    return nullptr;
}

void CommandRouter::WatchMenu(QMenu* menu) {
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        for (QAction* action : menu->actions()) {
            if (CommandIdOf(action) >= 0) UpdateAction(action);
        }
    });
}

bool CommandRouter::Execute(int id) {
    // A command that has become disabled since its button was drawn is not run.
    if (!Query(id).enabled) {
        UpdateActions();
        return false;
    }
    bool handled = false;
    for (CommandTarget* target : route_()) {
        if (target && target->OnCommand(id)) {
            handled = true;
            break;
        }
    }
    RefreshAll();
    return handled;
}

CommandState CommandRouter::Query(int id) const {
    for (CommandTarget* target : route_()) {
        CommandState state;
        if (target && target->OnUpdateCommand(id, state)) return state;
    }
    CommandState none;
    none.enabled = false;
    return none;
}

void CommandRouter::UpdateActions() const {
    for (QAction* action : actions_) UpdateAction(action);
}

void CommandRouter::UpdateAction(QAction* action) const {
    const int id = CommandIdOf(action);
    if (id < 0) return;
    const CommandState state = Query(id);
    action->setEnabled(state.enabled);
    if (!state.text.empty()) {
        const QString text = QString::fromStdString(state.text);
        if (action->text() != text) action->setText(text);
    }
    if (state.checked || state.radio) action->setCheckable(true);
    if (state.radio && !action->actionGroup()) {
        // A group of one: menus draw a radio mark, and the state alone decides the mark.
        auto* group = new QActionGroup(action);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        group->addAction(action);
    }
    if (action->isCheckable()) action->setChecked(state.checked);
}

void CommandRouter::RefreshAll() {
    const std::vector<CommandRouter*> routers = Routers();
    for (CommandRouter* router : routers) router->UpdateActions();
}

void CommandRouter::RequestRefresh() {
    if (RefreshPending()) return;
    RefreshPending() = true;
    QTimer::singleShot(0, [] {
        RefreshPending() = false;
        RefreshAll();
    });
}

CommandRouter* CommandRouter::Main() {
    return MainRouter();
}
void CommandRouter::SetMain(CommandRouter* router) {
    MainRouter() = router;
}

} // namespace torva
