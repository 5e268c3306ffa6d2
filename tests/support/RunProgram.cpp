#include "RunProgram.h"

#include "TempDir.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace torva::test {

ProgramRun RunTorva(const std::string& arguments) {
    const std::string command = (BinaryDir() / "torva_fem").string() + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ProgramRun run{-1, ""};
    if (!pipe) return run;
    std::array<char, 4096> buffer{};
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) run.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace torva::test
