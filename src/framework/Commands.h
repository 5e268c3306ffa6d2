#pragma once
// Commands: QActions carry a command id; a router offers a command to a chain of targets (active
// view -> its document -> its child frame -> main frame -> application) and asks the same chain for
// the command's state (enabled, check or radio mark). A command no target updates is disabled.
//
// States are refreshed before a watched menu opens, after every command, when the active child
// frame changes and whenever someone calls RequestRefresh (e.g. a view after a mouse edit).
#include "framework/CommandTarget.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace torva {

// The program's own description of a command: its text (tooltip and status bar prompt) and the
// icon of its toolbar button. Registered once at start-up by the application.
struct CommandInfo {
    QString text;
    QIcon icon;
};
void RegisterCommandInfo(int id, const QString& text, const QIcon& icon = QIcon());
CommandInfo LookupCommandInfo(int id);

// A new action that sends command `id`. `text` may carry "&" and "\t" shortcut text; an empty
// text takes the registered one. The registered text and icon become tooltip, prompt and icon.
QAction* NewCommandAction(int id, const QString& text, QObject* parent);
// The command id an action carries, or -1.
int CommandIdOf(const QAction* action);

class CommandRouter : public QObject {
    Q_OBJECT
public:
    // The chain of targets, first to last. Null entries are skipped.
    using Route = std::function<std::vector<CommandTarget*>()>;
    explicit CommandRouter(Route route, QObject* parent = nullptr);
    ~CommandRouter() override;

    // Triggering the action executes its command here; its state is kept up to date.
    void AddAction(QAction* action);
    // Creates (or returns the existing) action for `id` owned by this router.
    QAction* Action(int id, const QString& text = QString());
    // The router's action for `id`, or nullptr.
    QAction* FindAction(int id) const;
    // The states of the menu's actions (and its submenus') are refreshed before it opens.
    void WatchMenu(QMenu* menu);

    // Offers the command along the route; returns true when a target handled it. Afterwards every
    // router refreshes its states.
    bool Execute(int id);
    // The state of `id` along the route; disabled when no target updates it.
    CommandState Query(int id) const;

    // Refreshes the states of this router's actions.
    void UpdateActions() const;
    void UpdateAction(QAction* action) const;

    // Every router's actions, now.
    static void RefreshAll();
    // Every router's actions, once, from the event loop (coalesced).
    static void RequestRefresh();
    // The router that menus and accelerators of the main window use (set by the main frame).
    static CommandRouter* Main();
    static void SetMain(CommandRouter* router);

private:
    Route route_;
    QList<QAction*> actions_;
};

} // namespace torva
