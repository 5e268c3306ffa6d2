#pragma once
// The options of the command words. Every option a command accepts is listed in its table here; a
// word that starts with "-" and is not in the table is an error, never taken for a file name.
//
//   --name value   --name=value   (a value may start with "-": "--increments=-1,1" or "--increments -1")
//   --flag                          (a flag takes no value)
//   --                              ends the options: the words after it are file names
#include "engine/AnalysisMethod.h"

#include <string>
#include <utility>
#include <vector>

namespace torva::cli {

using Arguments = std::vector<std::string>;

struct OptionSpec {
    const char* name; // "--raw", "-o"
    bool takesValue;
};

struct ParsedOption {
    std::string name;
    std::string value; // "" for a flag
};

struct ParsedArguments {
    std::vector<std::string> positionals; // in order
    std::vector<ParsedOption> options;    // in order, repeats kept
};

// Splits `args` by the table. Refuses "unknown option --frobnicate", a value option without a value or
// with an empty one ("--curve needs a value"), a value given to a flag ("--raw takes no value").
bool ParseArguments(const Arguments& args, const std::vector<OptionSpec>& table, ParsedArguments& out,
                    std::string& error);

// The words of a command that takes exactly `count` file names and no option: false with "unknown
// option -x", "stray argument 'x'" or "missing file name".
bool ParseFileNames(const Arguments& args, std::size_t count, std::vector<std::string>& names,
                    std::string& error);

// The options of `torva_fem export`: the model and the folder given by -o ("" for none).
bool ParseExportOptions(const Arguments& args, std::string& model, std::string& folder, std::string& error);

// The push-over increments the command line takes: 1e-6 mm up to 1000 mm in size, either sign. A zero
// step moves nothing and a larger one is no push-over step of any wall.
constexpr double kSmallestIncrement = 1e-6;
constexpr double kLargestIncrement = 1000.0;

using PlanPosition = std::pair<int, int>;

// The analysis method when --method is not given.
constexpr engine::AnalysisMethod kDefaultMethod = engine::AnalysisMethod::Classic;

struct AnalyzeOptions {
    std::string model;
    bool raw = false, last = false, json = false, pushover = false, hasIncrements = false;
    std::vector<double> increments; // mm
    int controlDirection = 0;       // 0: the model's own, 1 x, 2 y
    std::vector<PlanPosition> outputs;
    bool hasActive = false;
    PlanPosition active;
    std::string curve;
    std::string picture;
    engine::AnalysisMethod method = kDefaultMethod;
};

extern const char* const kAnalyzeUsage;

// The options of `torva_fem analyze`; false with a message (without the usage) on the first error.
bool ParseAnalyzeOptions(const Arguments& args, AnalyzeOptions& options, std::string& error);

} // namespace torva::cli
