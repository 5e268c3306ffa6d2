#pragma once

namespace torva {

// Starts the desktop program: argv may name a model file to open. Returns the exit code.
int RunDesktop(int argc, char** argv);

} // namespace torva
