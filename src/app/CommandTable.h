#pragma once
// Registers the program's command texts (tooltips and status prompts) and toolbar icons.

namespace torva {

// Idempotent; called at start-up (and by tests that build frames on their own).
void RegisterTorvaCommands();

} // namespace torva
