#include "analysis/StudyDefinition.h"

#include "model/FileRead.h"
#include "model/JsonField.h"
#include "model/ModelIo.h"
#include "model/ModelJson.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <regex>
#include <sstream>

namespace torva {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxVariants = 100000;

// Where a parameter lands in the JSON model, and the resolution of its value.
struct Target {
    std::string kind; // a type kind, or "" for the fields below
    int type = 0;     // 0 every type
    std::string field;
    int64_t mul = 1, div = 1;
};

Target TargetOf(const std::string& name, const std::string& path) {
    static const std::regex typed(R"(^(concrete|rebar|fibre|point_force)(\[([0-9]+)\])?\.([A-Za-z0-9_]+)$)");
    Target target;
    std::smatch match;
    if (std::regex_match(name, match, typed)) {
        target.kind = match[1];
        target.field = match[4];
        if (match[3].matched) {
            target.type = std::stoi(match[3]);
            if (target.type < 1 || target.type > kTypes)
                throw StudyError(path + ": type " + match[3].str() + " of " + name + " is not 1.." +
                                 std::to_string(kTypes));
        }
        if (ModelQuantityStep(target.kind, target.field, target.mul, target.div)) return target;
    } else if (name == "loading.target_mm") {
        target.field = name;
        target.div = 1000;
        return target;
    } else if (name == "loading.steps_per_segment") {
        target.field = name;
        return target;
    } else if (name == "gravity_m_s2") {
        target.field = name;
        target.div = 100;
        return target;
    }
    throw StudyError(path + ": unknown parameter \"" + name +
                     "\" (parameters are <kind>.<field> or <kind>[type].<field> with kind concrete, rebar, "
                     "fibre or point_force and a type field of the model format such as fc_MPa or "
                     "x_area_mm2; loading.target_mm, loading.steps_per_segment, gravity_m_s2)");
}

Json ValueJson(double value, const Target& target) {
    if (target.div == 1 && std::floor(value) == value && std::fabs(value) < 9e15)
        return Json(static_cast<int64_t>(value));
    return Json(value);
}

// A random value rounded to the step the model stores.
double OnStep(double value, const Target& target) {
    const double steps =
        std::round(value * static_cast<double>(target.div) / static_cast<double>(target.mul));
    return steps * static_cast<double>(target.mul) / static_cast<double>(target.div);
}

void Apply(Json& model, const Target& target, double value) {
    const Json v = ValueJson(value, target);
    if (target.field == "loading.target_mm") {
        model["loading"]["segment_count"] = 1;
        model["loading"]["points_mm"] = Json::array({0, v});
    } else if (target.field == "loading.steps_per_segment") {
        model["loading"]["steps_per_segment"] = v;
    } else if (target.field == "gravity_m_s2") {
        model["analysis"]["gravity_m_s2"] = v;
    } else {
        for (Json& entry : model["types"][target.kind])
            if (target.type == 0 || entry["type"] == target.type) entry[target.field] = v;
    }
}

std::string Describe(const Study& study, std::size_t index) {
    std::ostringstream text;
    text << "variant " << index + 1 << " (";
    for (std::size_t p = 0; p < study.parameters.size(); ++p)
        text << (p ? ", " : "") << study.parameters[p] << " = " << study.variants[index][p];
    text << ")";
    return text.str();
}

// A uniform double in [0, 1) from the top 53 bits, the same on every platform.
double Unit(std::mt19937_64& random) {
    return static_cast<double>(random() >> 11) * 0x1.0p-53;
}

void ReadGrid(const JsonField& grid, Study& study) {
    std::vector<std::vector<double>> axes;
    for (const auto& item : grid.Object().items()) {
        const JsonField values = grid.Get(item.key());
        TargetOf(item.key(), values.Path());
        if (values.Size() == 0) values.Fail("no values");
        std::vector<double> axis;
        for (std::size_t i = 0; i < values.Size(); ++i) axis.push_back(values.At(i).Number());
        study.parameters.push_back(item.key());
        axes.push_back(axis);
    }
    if (axes.empty()) grid.Fail("no parameters");
    std::size_t count = 1;
    for (const auto& axis : axes) {
        count *= axis.size();
        if (count > kMaxVariants) grid.Fail("more than " + std::to_string(kMaxVariants) + " variants");
    }
    for (std::size_t k = 0; k < count; ++k) {
        std::vector<double> values(axes.size());
        std::size_t rest = k;
        for (std::size_t p = axes.size(); p-- > 0;) {
            values[p] = axes[p][rest % axes[p].size()];
            rest /= axes[p].size();
        }
        study.variants.push_back(values);
    }
}

void ReadRandom(const JsonField& random, Study& study) {
    random.OnlyKeys({"samples", "seed", "parameters"});
    const auto samples = static_cast<std::size_t>(random.Get("samples").Integer(1, kMaxVariants));
    const auto seed = static_cast<uint64_t>(random.Get("seed").Integer(0, INT64_MAX));
    const JsonField parameters = random.Get("parameters");
    struct Draw {
        Target target;
        bool normal;
        double a, b;
    };
    std::vector<Draw> draws;
    for (const auto& item : parameters.Object().items()) {
        const JsonField drawField = parameters.Get(item.key());
        Draw draw{TargetOf(item.key(), drawField.Path()), false, 0, 0};
        drawField.OnlyKeys({"uniform", "normal"});
        const bool uniform = drawField.Has("uniform");
        if (uniform == drawField.Has("normal"))
            drawField.Fail("expected one of \"uniform\": [low, high] or \"normal\": [mean, sd]");
        const JsonField pair = drawField.Get(uniform ? "uniform" : "normal");
        if (pair.Size() != 2) pair.Fail("expected two numbers");
        draw.normal = !uniform;
        draw.a = pair.At(0).Number();
        draw.b = pair.At(1).Number();
        if (uniform && draw.a > draw.b) pair.Fail("the low end is above the high end");
        if (!uniform && draw.b < 0) pair.At(1).Fail("a standard deviation cannot be negative");
        study.parameters.push_back(item.key());
        draws.push_back(draw);
    }
    if (draws.empty()) parameters.Fail("no parameters");
    std::mt19937_64 generator(seed);
    for (std::size_t k = 0; k < samples; ++k) {
        std::vector<double> values;
        for (const Draw& draw : draws) {
            double value;
            if (draw.normal) { // Box-Muller, one pair of draws a value
                const double u1 = 1.0 - Unit(generator), u2 = Unit(generator);
                value =
                    draw.a + draw.b * std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
            } else {
                value = draw.a + (draw.b - draw.a) * Unit(generator);
            }
            values.push_back(OnStep(value, draw.target));
        }
        study.variants.push_back(values);
    }
}

void ReadList(const JsonField& list, Study& study) {
    list.OnlyKeys({"parameters", "values"});
    const JsonField names = list.Get("parameters");
    for (std::size_t p = 0; p < names.Size(); ++p) {
        const std::string name = names.At(p).String();
        TargetOf(name, names.At(p).Path());
        study.parameters.push_back(name);
    }
    if (study.parameters.empty()) names.Fail("no parameters");
    const JsonField rows = list.Get("values");
    if (rows.Size() > kMaxVariants) rows.Fail("more than " + std::to_string(kMaxVariants) + " variants");
    for (std::size_t k = 0; k < rows.Size(); ++k) {
        const JsonField row = rows.At(k);
        if (row.Size() != study.parameters.size())
            row.Fail("expected " + std::to_string(study.parameters.size()) + " values, found " +
                     std::to_string(row.Size()));
        std::vector<double> values;
        for (std::size_t p = 0; p < row.Size(); ++p) values.push_back(row.At(p).Number());
        study.variants.push_back(values);
    }
}

// A study file is a few kilobytes; a pipe or a folder given as one is refused without waiting on it.
std::string ReadText(const std::string& path) {
    constexpr std::size_t kLargestStudy = 16u << 20;
    std::string text, reason;
    if (!ReadRegularFile(path, kLargestStudy + 1, text, reason)) throw StudyError(path + ": " + reason);
    if (text.size() > kLargestStudy) throw StudyError(path + ": larger than any study file");
    return text;
}

} // namespace

Study ParseStudy(const std::string& text, const std::string& folder, const std::string& name) {
    Study study;
    study.name = name;
    try {
        const Json root = ParseJsonText(text);
        const JsonField study_(root, "");
        study_.OnlyKeys({"base_model", "output_folder", "grid", "random", "list"});
        const JsonField base = study_.Get("base_model");
        auto model = std::make_unique<CFramePat>();
        FileError error;
        if (base.Value().is_string()) {
            fs::path modelPath = base.String();
            if (modelPath.is_relative()) modelPath = fs::path(folder) / modelPath;
            if (!LoadModel(modelPath.string(), *model, error)) base.Fail(error.Text());
        } else if (!ReadModelJson(base.Object().dump(), *model, error)) {
            throw JsonFieldError("base_model." + error.detail, "");
        }
        study.baseJson = std::make_shared<const Json>(Json::parse(WriteModelJson(*model)));
        study.base = std::move(model);
        fs::path output = name + "_results";
        if (auto out = study_.Find("output_folder")) output = out->String();
        if (output.is_relative()) output = fs::path(folder) / output;
        study.outputFolder = output.lexically_normal().string();

        const int kinds = study_.Has("grid") + study_.Has("random") + study_.Has("list");
        if (kinds != 1) study_.Fail("expected one of \"grid\", \"random\" or \"list\"");
        if (auto grid = study_.Find("grid")) ReadGrid(*grid, study);
        if (auto random = study_.Find("random")) ReadRandom(*random, study);
        if (auto list = study_.Find("list")) ReadList(*list, study);
    } catch (const JsonFieldError& e) {
        std::string what = e.what();
        if (what.size() > 2 && what.compare(what.size() - 2, 2, ": ") == 0) what.resize(what.size() - 2);
        throw StudyError(what);
    }
    // Every variant must make a model before anything runs.
    for (std::size_t k = 0; k < study.variants.size(); ++k) VariantModel(study, k);
    return study;
}

Study LoadStudy(const std::string& path) {
    const fs::path file(path);
    try {
        return ParseStudy(ReadText(path), file.parent_path().string(), file.stem().string());
    } catch (const StudyError& e) {
        const std::string what = e.what();
        if (what.rfind(path + ":", 0) == 0) throw;
        throw StudyError(path + ": " + what);
    }
}

std::string StudyAsText(const Study& study) {
    Json root;
    root["base_model"] = Json::parse(WriteModelJson(*study.base));
    root["output_folder"] = study.outputFolder;
    Json rows = Json::array();
    for (const auto& values : study.variants) rows.push_back(values);
    root["list"] = {{"parameters", study.parameters}, {"values", rows}};
    return root.dump();
}

std::unique_ptr<CFramePat> VariantModel(const Study& study, std::size_t index) {
    Json model = *study.baseJson;
    for (std::size_t p = 0; p < study.parameters.size(); ++p)
        Apply(model, TargetOf(study.parameters[p], study.parameters[p]), study.variants[index][p]);
    auto variant = std::make_unique<CFramePat>();
    FileError error;
    if (!ReadModelJson(model.dump(), *variant, error))
        throw StudyError(Describe(study, index) + ": " + error.detail);
    return variant;
}

} // namespace torva
