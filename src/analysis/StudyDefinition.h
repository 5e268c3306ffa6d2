#pragma once
// A parameter study: a base model and variations of it, each variant a full push-over.
//
// The study file (JSON):
//   {
//     "base_model": "wall.fem",             a model file (relative to the study file) or a JSON model
//     "output_folder": "wall-study",        optional; default: the study file's name + "_results"
//     "grid": {"concrete.fc_MPa": [20, 30, 40], "rebar[1].x_area_mm2": [50, 100]},
//   or
//     "random": {"samples": 20, "seed": 7,
//                "parameters": {"concrete.fc_MPa": {"uniform": [20, 40]},
//                               "concrete.ft_MPa": {"normal": [2.5, 0.3]}}}
//   }
// A grid gives every combination (the last parameter changing fastest); random samples are drawn from
// one generator in parameter order, sample by sample, and rounded to the resolution the model stores.
//
// Parameters: "<kind>.<field>" sets the field in every type of the kind, "<kind>[t].<field>" in type t
// only, where kind is concrete, rebar, fibre or point_force and the field is a type field of the JSON
// model format (fc_MPa, ft_MPa, Ec_MPa, x_area_mm2, x_spacing_mm, x_fy_MPa, fx_N, ...);
// "loading.target_mm" makes the loading one segment from 0 to the target; "loading.steps_per_segment"
// and "gravity_m_s2" set those values.
#include "model/FramePat.h"
#include "model/JsonField.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace torva {

// A study refused: the message names the field or the parameter.
class StudyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Study {
    std::string name;         // the study file's name without its extension
    std::string outputFolder; // absolute or relative to the working folder
    std::shared_ptr<const CFramePat> base;
    std::shared_ptr<const Json> baseJson; // the base model in the JSON format, which variants edit
    std::vector<std::string> parameters;
    std::vector<std::vector<double>> variants; // one value per parameter, as applied
};

// Reads a study file; the base model path and the output folder are taken relative to its folder.
// Throws StudyError naming the file and the field, or the variant and parameter that cannot be applied.
Study LoadStudy(const std::string& path);
// The same from text; relative paths are taken from `folder`.
Study ParseStudy(const std::string& text, const std::string& folder, const std::string& name);

// The study as one self-contained JSON text (the base model written inline, the variants listed), so
// that a machine without the study's files can run its variants: ParseStudy of it gives the same study.
std::string StudyAsText(const Study& study);

// The base model with the values of variant `index` applied; throws StudyError naming the parameter.
std::unique_ptr<CFramePat> VariantModel(const Study& study, std::size_t index);

} // namespace torva
