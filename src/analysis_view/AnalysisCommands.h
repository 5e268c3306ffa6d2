#pragma once
// The analysis window's command ids and the analysis core's actions, one for one.
#include "analysis/AnalysisAction.h"
#include "analysis/AnalysisState.h"
#include "framework/CommandTarget.h"

#include <optional>

namespace torva {

// The action of a command id, or none for ids that are not analysis commands.
std::optional<AnalysisAction> AnalysisActionOf(int commandId);
int CommandIdOf(AnalysisAction action);

// Fills the enabling and mark of an analysis command id; false for ids that are not analysis commands.
bool UpdateAnalysisCommand(int commandId, const AnalysisState& state, const ViewControl& view,
                           CommandState& command);

} // namespace torva
