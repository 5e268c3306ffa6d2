#pragma once
// What the user is told when the engine cannot do an analysis call, for the elastic "Analyze", the
// push-over run and the headless command alike.
#include <string>

namespace torva {

// The message for an engine status word ("" for 0, done); step > 0 names the step that failed.
std::string EngineStatusMessage(int status, int step = 0, const std::string& engineMessage = {});

} // namespace torva
