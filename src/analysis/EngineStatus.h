#pragma once
// What the user is told when the engine cannot do an analysis call, for the elastic "Analyze", the
// push-over run and the headless command alike.
#include "engine/EngineLimits.h"

#include <string>

namespace torva {
namespace engine {
class Engine;
}

// The message for an engine status word ("" for 0, done); step > 0 names the step that failed. A
// refusal for a capacity says which one and by how much.
std::string EngineStatusMessage(int status, int step = 0, const std::string& engineMessage = {},
                                const engine::InputRefusal& refusal = {});
// The same with what the engine knows of the failure (its message and refusal; for a step of the
// iterative method that found no equilibrium, the out-of-balance force reached).
std::string EngineStatusMessage(const engine::Engine& engine, int status, int step);

} // namespace torva
