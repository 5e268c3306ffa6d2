#include "cli/Options.h"

#include "model/FramePat.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace torva::cli {

const char* const kAnalyzeUsage =
    "usage: torva_fem analyze MODEL.fem [--raw [--last]] [--json] [--pushover | --increments A,B,...]\n"
    "       [--control-direction x|y] [--output-element X,Y]... [--active-output X,Y] [--curve FILE.csv]\n"
    "       [--picture FILE.png|.jpg|.svg] [--method mcft|classic]";

namespace {

const OptionSpec* Find(const std::vector<OptionSpec>& table, const std::string& name) {
    for (const OptionSpec& option : table)
        if (name == option.name) return &option;
    return nullptr;
}

bool ParseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

bool ParseList(const std::string& text, std::vector<double>& values) {
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        double value;
        if (!ParseNumber(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start),
                         value))
            return false;
        values.push_back(value);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

bool ParsePosition(const std::string& text, PlanPosition& position) {
    std::vector<double> values;
    if (!ParseList(text, values) || values.size() != 2) return false;
    for (double v : values)
        if (v != std::floor(v) || v < 0 || v > 101) return false;
    position = {int(values[0]), int(values[1])};
    return true;
}

std::string Millimetres(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

bool CheckIncrements(const std::vector<double>& increments, std::string& error) {
    for (double increment : increments) {
        const double size = std::fabs(increment);
        if (size >= kSmallestIncrement && size <= kLargestIncrement) continue;
        error = "--increments: " + Millimetres(increment) + " mm is no push-over step; each increment is " +
                Millimetres(kSmallestIncrement) + " to " + Millimetres(kLargestIncrement) +
                " mm in size, either sign";
        return false;
    }
    return true;
}

const std::vector<OptionSpec> kAnalyzeTable = {
    {"--raw", false},           {"--last", false},         {"--json", false},
    {"--pushover", false},      {"--increments", true},    {"--control-direction", true},
    {"--output-element", true}, {"--active-output", true}, {"--curve", true},
    {"--method", true},         {"--picture", true},
};

} // namespace

bool ParseArguments(const Arguments& args, const std::vector<OptionSpec>& table, ParsedArguments& out,
                    std::string& error) {
    out = {};
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            out.positionals.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = word.rfind("--", 0) == 0 ? word.find('=') : std::string::npos;
        const std::string name = word.substr(0, equals);
        const OptionSpec* option = Find(table, name);
        if (!option) return error = "unknown option " + name, false;
        if (!option->takesValue) {
            if (equals != std::string::npos) return error = name + " takes no value", false;
            out.options.push_back({name, ""});
            continue;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        }
        if (value.empty()) return error = name + " needs a value", false;
        out.options.push_back({name, value});
    }
    return true;
}

bool ParseFileNames(const Arguments& args, std::size_t count, std::vector<std::string>& names,
                    std::string& error) {
    ParsedArguments parsed;
    if (!ParseArguments(args, {}, parsed, error)) return false;
    if (parsed.positionals.size() > count)
        return error = "stray argument '" + parsed.positionals[count] + "'", false;
    if (parsed.positionals.size() < count) return error = "missing file name", false;
    names = parsed.positionals;
    return true;
}

bool ParseExportOptions(const Arguments& args, std::string& model, std::string& folder, std::string& error) {
    ParsedArguments parsed;
    if (!ParseArguments(args, {{"-o", true}}, parsed, error)) return false;
    if (parsed.positionals.empty()) return error = "no model file given", false;
    if (parsed.positionals.size() > 1) return error = "stray argument '" + parsed.positionals[1] + "'", false;
    if (parsed.options.size() > 1) return error = "-o given twice", false;
    model = parsed.positionals[0];
    folder = parsed.options.empty() ? "" : parsed.options[0].value;
    return true;
}

bool ParseAnalyzeOptions(const Arguments& args, AnalyzeOptions& o, std::string& error) {
    ParsedArguments parsed;
    if (!ParseArguments(args, kAnalyzeTable, parsed, error)) return false;
    if (parsed.positionals.empty()) return error = "no model file given", false;
    if (parsed.positionals.size() > 1) return error = "stray argument '" + parsed.positionals[1] + "'", false;
    o.model = parsed.positionals[0];
    for (const ParsedOption& option : parsed.options) {
        const std::string& name = option.name;
        const std::string& value = option.value;
        if (name == "--raw") {
            o.raw = true;
        } else if (name == "--last") {
            o.last = true;
        } else if (name == "--json") {
            o.json = true;
        } else if (name == "--pushover") {
            o.pushover = true;
        } else if (name == "--increments") {
            if (!ParseList(value, o.increments))
                return error = "--increments needs numbers in mm, such as 0.5,0.5,-1", false;
            if (!CheckIncrements(o.increments, error)) return false;
            o.hasIncrements = true;
        } else if (name == "--control-direction") {
            if (value != "x" && value != "y") return error = "--control-direction is x or y", false;
            o.controlDirection = value == "x" ? 1 : 2;
        } else if (name == "--output-element") {
            PlanPosition p;
            if (!ParsePosition(value, p))
                return error = "--output-element needs a plan position X,Y such as 2,2", false;
            o.outputs.push_back(p);
        } else if (name == "--active-output") {
            if (!ParsePosition(value, o.active))
                return error = "--active-output needs a plan position X,Y", false;
            o.hasActive = true;
        } else if (name == "--method") {
            if (value != "mcft" && value != "classic") return error = "--method is mcft or classic", false;
            o.method = value == "mcft" ? engine::AnalysisMethod::Mcft : engine::AnalysisMethod::Classic;
        } else if (name == "--curve") {
            o.curve = value;
        } else if (name == "--picture") {
            o.picture = value;
        }
    }
    if (o.pushover && o.hasIncrements) return error = "--pushover and --increments cannot be combined", false;
    if (o.last && !o.raw) return error = "--last goes with --raw", false;
    if (o.outputs.size() > std::size_t(kOutputSlots))
        return error = "at most " + std::to_string(kOutputSlots) + " output elements", false;
    return true;
}

} // namespace torva::cli
