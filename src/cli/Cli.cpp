#include "cli/Cli.h"

#include "model/ModelFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sys/stat.h>

namespace torva::cli {
namespace {

struct CommandWord {
    const char* word;
    int (*run)(const Arguments&);
};

// Every command word; later capabilities add a line here and a file of their own.
// clang-format off
constexpr CommandWord kCommands[] = {
    {"new", &CommandNew},
    {"pack", &CommandPack},
    {"export", &CommandExport},
    {"analyze", &CommandAnalyze},
    {"convert", &CommandConvert},
    {"study", &CommandStudy},
};
// clang-format on

constexpr const char* kUsage =
    "Usage:\n"
    "  torva_fem [MODEL.fem]                     the desktop program (a new model when none is given)\n"
    "  torva_fem new MODEL.fem                   writes a new model with its construction defaults\n"
    "  torva_fem convert IN OUT                  .fem <-> .json by the extensions, exact both ways\n"
    "  torva_fem pack MODEL.fem                  the engine input stream, one integer a line\n"
    "  torva_fem export MODEL.fem [-o DIR]       writes DIR/input_data.txt (default: the model's folder)\n"
    "  torva_fem analyze MODEL.fem [options]     the analysis, headless:\n"
    "      --raw                   the used part of the result buffer, one value a line\n"
    "      --json                  a JSON report (status, steps, nodes, principal stresses, histories)\n"
    "      --pushover              the push-over of the model's loading segments\n"
    "      --increments A,B,...    after the elastic analysis, one push-over step per increment (mm)\n"
    "      --control-direction x|y overrides the model's control direction\n"
    "      --output-element X,Y    an output element at plan position (X, Y), repeatable\n"
    "      --active-output X,Y     makes another listed output element the active one\n"
    "      --curve FILE.csv        the force-deformation history\n"
    "      --picture FILE.png      the analysis view as a picture (displaced mesh, stresses, legend)\n"
    "  torva_fem study STUDY.json [--workers N | --scheduler ADDRESS]\n"
    "                                            a parameter study: variants of a model, each a push-over,\n"
    "                                            in processes or on a Dask cluster (see docs/studies.md)\n"
    "  torva_fem --help | --version\n"
    "MODEL is a .fem file or a .json model.\n";

} // namespace

int Fail(const std::string& message, int code) {
    std::cerr << "torva_fem: " << message << "\n";
    return code;
}

int Fail(const FileError& error) {
    return Fail(error.message + " " + error.detail);
}

namespace {

bool IsCommandWord(const std::string& word) {
    for (const CommandWord& command : kCommands)
        if (word == command.word) return true;
    return false;
}

bool EndsWith(std::string text, const std::string& ending) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text.size() >= ending.size() &&
           text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// A single word the desktop program takes as the model to open: a model file name or any existing
// path. A mistyped command word ("analyse") is neither.
bool IsModelArgument(const std::string& word) {
    if (word.empty() || word[0] == '-') return false;
    struct stat status {};
    return EndsWith(word, ".fem") || EndsWith(word, ".json") || ::stat(word.c_str(), &status) == 0;
}

int UsageError(const std::string& message) {
    return Fail(message + "\n" + kUsage);
}

} // namespace

bool IsCommandLine(int argc, char** argv) {
    if (argc < 2) return false;
    return !(argc == 2 && !IsCommandWord(argv[1]) && IsModelArgument(argv[1]));
}

int RunCommandLine(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    const Arguments args(argv + 2, argv + argc);
    if (first == "--help" || first == "-h" || first == "--version") {
        if (!args.empty()) return UsageError("stray argument '" + args[0] + "'");
        if (first == "--version")
            std::cout << "torva_fem " << TORVA_VERSION << "\n";
        else
            std::cout << kUsage;
        return 0;
    }
    for (const CommandWord& command : kCommands)
        if (first == command.word) return command.run(args);
    if (!first.empty() && first[0] == '-')
        return UsageError("unknown option " + first.substr(0, first.find('=')));
    if (IsModelArgument(first)) return UsageError("stray argument '" + args[0] + "'");
    return UsageError("unknown command '" + first + "'");
}

bool DesktopCanStart(int argc, char** argv, std::string& error) {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    struct stat status {};
    if (argc > 1 && ::stat(argv[1], &status) == 0 && !S_ISREG(status.st_mode)) {
        error = std::string("Failed to open document. ") + argv[1] + ": not a regular file";
        return false;
    }
    if (!set("QT_QPA_PLATFORM") && !set("DISPLAY") && !set("WAYLAND_DISPLAY")) {
        error = "the desktop program needs a display and there is none (DISPLAY is not set); "
                "the headless commands are listed by torva_fem --help";
        return false;
    }
    return true;
}

} // namespace torva::cli
