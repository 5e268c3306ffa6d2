// torva_fem: the desktop program, or a headless command when the first argument is a command word.
#include "app/DesktopMain.h"
#include "cli/Cli.h"

#include <string>

int main(int argc, char** argv) {
    if (torva::cli::IsCommandLine(argc, argv)) return torva::cli::RunCommandLine(argc, argv);
    std::string error;
    if (!torva::cli::DesktopCanStart(argc, argv, error)) return torva::cli::Fail(error);
    return torva::RunDesktop(argc, argv);
}
