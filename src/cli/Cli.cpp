#include "cli/Cli.h"

#include "model/ModelFile.h"

#include <cstdio>
#include <cstring>
#include <iostream>

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

bool IsCommandLine(int argc, char** argv) {
    if (argc < 2) return false;
    const std::string first = argv[1];
    if (first == "--help" || first == "-h" || first == "--version") return true;
    for (const CommandWord& command : kCommands)
        if (first == command.word) return true;
    return false;
}

int RunCommandLine(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (first == "--version") {
        std::cout << "torva_fem " << TORVA_VERSION << "\n";
        return 0;
    }
    const Arguments args(argv + 2, argv + argc);
    for (const CommandWord& command : kCommands)
        if (first == command.word) return command.run(args);
    return Fail("unknown command '" + first + "' (see torva_fem --help)");
}

} // namespace torva::cli
