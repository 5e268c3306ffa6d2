// Command routing: the first target along the route handles a command, the first that updates it
// decides its state, commands nobody updates are disabled, and marks follow the state.
#include "framework/Commands.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <gtest/gtest.h>

namespace torva {
namespace {

// A target that handles and updates a fixed set of commands and logs what it was asked.
class FakeTarget : public CommandTarget {
public:
    FakeTarget(std::string name, std::vector<int> handles, std::vector<std::string>* log)
        : name_(std::move(name)), handles_(std::move(handles)), log_(log) {}
    CommandState state;
    bool OnCommand(int id) override {
        if (std::find(handles_.begin(), handles_.end(), id) == handles_.end()) return false;
        log_->push_back(name_ + ":" + std::to_string(id));
        return true;
    }
    bool OnUpdateCommand(int id, CommandState& out) override {
        if (std::find(handles_.begin(), handles_.end(), id) == handles_.end()) return false;
        out = state;
        return true;
    }

private:
    std::string name_;
    std::vector<int> handles_;
    std::vector<std::string>* log_;
};

TEST(CommandRouter, FirstTargetAlongTheRouteHandlesAndDecides) {
    std::vector<std::string> log;
    FakeTarget view("view", {1, 2}, &log), doc("doc", {2, 3}, &log), app("app", {1, 3, 4}, &log);
    view.state.enabled = false; // the view disables 1 and 2
    doc.state.checked = true;
    CommandRouter router([&] { return std::vector<CommandTarget*>{&view, nullptr, &doc, &app}; });

    EXPECT_FALSE(router.Query(1).enabled); // the view decides, although the app would enable it
    EXPECT_FALSE(router.Execute(1));       // disabled: nobody runs it
    EXPECT_TRUE(log.empty());

    view.state.enabled = true;
    EXPECT_TRUE(router.Execute(2));
    EXPECT_TRUE(router.Execute(3));
    EXPECT_TRUE(router.Execute(4));
    EXPECT_EQ(log, (std::vector<std::string>{"view:2", "doc:3", "app:4"}));
    EXPECT_TRUE(router.Query(3).checked);

    // No target updates 5: disabled, and executing it does nothing.
    EXPECT_FALSE(router.Query(5).enabled);
    EXPECT_FALSE(router.Execute(5));
}

TEST(CommandRouter, ActionsShowEnablingCheckAndRadioMarks) {
    std::vector<std::string> log;
    FakeTarget target("t", {10, 11}, &log);
    CommandRouter router([&] { return std::vector<CommandTarget*>{&target}; });
    QAction* plain = router.Action(10, "Ten");
    QAction* orphan = router.Action(12, "Twelve");
    EXPECT_EQ(CommandIdOf(plain), 10);
    EXPECT_EQ(router.Action(10), plain); // one action per id
    EXPECT_TRUE(plain->isEnabled());
    EXPECT_FALSE(plain->isCheckable());
    EXPECT_FALSE(orphan->isEnabled());

    target.state.radio = true;
    target.state.checked = true;
    router.UpdateActions();
    EXPECT_TRUE(plain->isCheckable());
    EXPECT_TRUE(plain->isChecked());
    ASSERT_NE(plain->actionGroup(), nullptr); // menus draw a radio mark for grouped actions
    EXPECT_TRUE(plain->actionGroup()->isExclusive());

    target.state.checked = false;
    router.UpdateActions();
    EXPECT_FALSE(plain->isChecked());

    // Triggering a checkable action runs the command and the state, not Qt's toggle, decides the mark.
    plain->trigger();
    EXPECT_EQ(log, (std::vector<std::string>{"t:10"}));
    EXPECT_FALSE(plain->isChecked());
}

TEST(CommandRouter, EveryRouterIsRefreshedAfterACommandAndMenusBeforeTheyOpen) {
    std::vector<std::string> log;
    bool flag = false;
    class Toggler : public CommandTarget {
    public:
        explicit Toggler(bool* flag) : flag_(flag) {}
        bool OnCommand(int id) override { return id == 20 && (*flag_ = !*flag_, true); }
        bool OnUpdateCommand(int id, CommandState& state) override {
            if (id == 20) return true;
            if (id != 21) return false;
            state.enabled = *flag_;
            return true;
        }

    private:
        bool* flag_;
    } toggler(&flag);
    CommandRouter first([&] { return std::vector<CommandTarget*>{&toggler}; });
    CommandRouter second([&] { return std::vector<CommandTarget*>{&toggler}; });
    QAction* dependent = second.Action(21);
    EXPECT_FALSE(dependent->isEnabled());
    first.Execute(20); // a command in one frame changes what another frame offers
    EXPECT_TRUE(dependent->isEnabled());

    // A menu entry is brought up to date when its menu is about to open.
    QMenu menu;
    QAction* entry = NewCommandAction(21, "Entry", &menu);
    menu.addAction(entry);
    second.WatchMenu(&menu);
    flag = false;
    EXPECT_TRUE(entry->isEnabled()); // stale
    emit menu.aboutToShow();
    EXPECT_FALSE(entry->isEnabled());
}

TEST(CommandInfo, RegisteredTextsAndIconsDecorateNewActions) {
    RegisterCommandInfo(30001, "Thirty", QIcon());
    QObject owner;
    QAction* fromTable = NewCommandAction(30001, QString(), &owner);
    EXPECT_EQ(fromTable->text(), "Thirty");
    EXPECT_EQ(fromTable->toolTip(), "Thirty");
    EXPECT_EQ(fromTable->statusTip(), "Thirty");
    QAction* ownText = NewCommandAction(30001, "Menu(&M)", &owner);
    EXPECT_EQ(ownText->text(), "Menu(&M)");
    EXPECT_EQ(ownText->toolTip(), "Thirty");
    EXPECT_EQ(CommandIdOf(nullptr), -1);
    QAction foreign("x");
    EXPECT_EQ(CommandIdOf(&foreign), -1);
}

} // namespace
} // namespace torva
