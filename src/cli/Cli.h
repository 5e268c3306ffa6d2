#pragma once
// The headless commands of torva_fem: `torva_fem WORD ...`. Each command word has one function in a
// file of its own; they print results on stdout and errors (one line a user understands) on stderr.
#include <string>
#include <vector>

namespace torva {
struct FileError;
}

namespace torva::cli {

using Arguments = std::vector<std::string>; // the words after the command word

// False only for the desktop program: no argument, or a single one naming a model (a .fem or .json
// name, or an existing path). Everything else is a command line, a mistyped one included.
bool IsCommandLine(int argc, char** argv);
// Runs it and returns the process exit code; an unknown command word, a leading option that is not
// --help or --version and stray arguments are errors with the usage.
int RunCommandLine(int argc, char** argv);
// Whether the desktop program can start: there is a display (or a Qt platform is chosen) and the model
// given, if any, is no folder, pipe or device. Otherwise false with the message.
bool DesktopCanStart(int argc, char** argv, std::string& error);

// Command functions (exit code 0 success, 1 bad input, 2 the analysis could not be done).
int CommandNew(const Arguments& args);
int CommandAnalyze(const Arguments& args);
int CommandPack(const Arguments& args);
int CommandExport(const Arguments& args);
int CommandConvert(const Arguments& args);
int CommandStudy(const Arguments& args);

// Prints "torva_fem: <message>" on stderr and returns `code`.
int Fail(const std::string& message, int code = 1);
// The same for a model file that could not be read or written: its message and detail.
int Fail(const FileError& error);

} // namespace torva::cli
