// The window's command ids and the core's analysis actions map one for one, and a command shows
// exactly what the core says of its action.
#include "analysis_view/AnalysisCommands.h"

#include "framework/CommandIds.h"

#include <gtest/gtest.h>
#include <set>

using namespace torva;

TEST(AnalysisCommands, EveryActionHasItsOwnCommandAndBack) {
    std::set<int> ids;
    for (AnalysisAction action : kAnalysisActions) {
        const int id = CommandIdOf(action);
        EXPECT_NE(id, 0) << static_cast<int>(action);
        ids.insert(id);
        ASSERT_TRUE(AnalysisActionOf(id).has_value()) << id;
        EXPECT_EQ(*AnalysisActionOf(id), action) << id;
    }
    EXPECT_EQ(ids.size(), std::size(kAnalysisActions));
    EXPECT_EQ(*AnalysisActionOf(cmd::kElasticRadio), AnalysisAction::ElasticRadio);
    EXPECT_EQ(*AnalysisActionOf(cmd::kRenderStressField), AnalysisAction::RenderStressField);
    // Commands of other windows, and the window's own that are not analysis rules, have no action.
    for (int id : {cmd::kFileOpen, cmd::kOptionLoading, cmd::kSavePicture, cmd::kShowResponseSetting, 0})
        EXPECT_FALSE(AnalysisActionOf(id).has_value()) << id;
}

TEST(AnalysisCommands, ACommandShowsItsActionsState) {
    AnalysisState state;
    ViewControl view;
    state.sizeMode = 1;
    state.analysisDone = 1;
    state.analysisMode = AnalysisState::kPushoverMode;
    view.paused = 1;
    for (AnalysisAction action : kAnalysisActions) {
        CommandState command;
        command.enabled = !AnalysisActionState(action, state, view).enabled; // must be overwritten
        ASSERT_TRUE(UpdateAnalysisCommand(CommandIdOf(action), state, view, command));
        const ActionState expected = AnalysisActionState(action, state, view);
        EXPECT_EQ(command.enabled, expected.enabled) << static_cast<int>(action);
        EXPECT_EQ(command.radio, expected.radio) << static_cast<int>(action);
        EXPECT_EQ(command.checked, expected.checked) << static_cast<int>(action);
    }
    CommandState pause;
    ASSERT_TRUE(UpdateAnalysisCommand(cmd::kPause, state, view, pause));
    EXPECT_TRUE(pause.enabled && pause.radio && pause.checked);
    CommandState untouched;
    EXPECT_FALSE(UpdateAnalysisCommand(cmd::kFileOpen, state, view, untouched));
}
