#pragma once
#include <string>

namespace torva::test {

struct ProgramRun {
    int exitCode;
    std::string output; // stdout and stderr together
};

// Runs the built torva_fem with the given (shell-quoted) arguments.
ProgramRun RunTorva(const std::string& arguments);

} // namespace torva::test
