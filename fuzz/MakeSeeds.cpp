// Writes the seed corpora of the fuzz targets, made by the program's own writers from the examples:
//   make_fuzz_seeds EXAMPLES_DIR CORPUS_DIR   →  CORPUS_DIR/{model_file,model_json,pipeline,options,study}/
#include "model/FramePat.h"
#include "model/ModelFile.h"
#include "model/ModelJson.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void Put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Words(const std::vector<std::string>& words) {
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i) joined += (i ? std::string(1, '\0') : "") + words[i];
    return joined;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) return std::fprintf(stderr, "usage: make_fuzz_seeds EXAMPLES_DIR CORPUS_DIR\n"), 1;
    const fs::path examples = argv[1], corpus = argv[2];
    for (const char* target : {"model_file", "model_json", "pipeline", "options", "study"})
        fs::create_directories(corpus / target);

    torva::FileError error;
    auto fresh = std::make_unique<torva::CFramePat>();
    if (!torva::SaveModelFile((corpus / "model_file" / "new.fem").string(), *fresh, error))
        return std::fprintf(stderr, "%s\n", error.Text().c_str()), 1;
    Put(corpus / "model_json" / "new.json", torva::WriteModelJson(*fresh));

    int index = 0;
    for (const char* name : {"one-element", "cantilever", "shear-wall", "joint-wall"}) {
        auto model = std::make_unique<torva::CFramePat>();
        if (!torva::LoadModelFile((examples / (std::string(name) + ".fem")).string(), *model, error))
            return std::fprintf(stderr, "%s\n", error.Text().c_str()), 1;
        const std::vector<uint8_t> image = torva::WriteModelImage(*model);
        Put(corpus / "model_file" / (std::string(name) + ".fem"), std::string(image.begin(), image.end()));
        Put(corpus / "model_json" / (std::string(name) + ".json"), torva::WriteModelJson(*model));
        // The pipeline's input: the example's number and no patch.
        Put(corpus / "pipeline" / name, std::string(1, static_cast<char>(index++)));
    }

    const std::vector<std::vector<std::string>> lines = {
        {"wall.fem"},
        {"wall.fem", "--raw", "--last", "--increments=0.5,-1,2"},
        {"--json", "wall.fem", "--pushover", "--curve", "out.csv", "--picture=out.svg"},
        {"wall.fem", "--increments", "-0.25", "--control-direction", "y"},
        {"wall.fem", "--output-element", "2,2", "--output-element=11,3", "--active-output", "11,3"},
        {"--", "-wall.fem", "-o", "folder"},
    };
    for (std::size_t i = 0; i < lines.size(); ++i)
        Put(corpus / "options" / ("line" + std::to_string(i)), Words(lines[i]));
    Put(corpus / "study" / "grid.json",
        R"({"base_model": "cantilever.fem", "output_folder": "out",)"
        R"( "grid": {"concrete.fc_MPa": [20, 30, 40], "rebar[1].x_area_mm2": [50, 100]}})");
    Put(corpus / "study" / "random.json",
        R"({"base_model": "shear-wall.fem", "random": {"samples": 5, "seed": 7, "parameters":)"
        R"( {"concrete.fc_MPa": {"uniform": [20, 40]}, "concrete.ft_MPa": {"normal": [2.5, 0.3]},)"
        R"( "loading.target_mm": {"uniform": [1, 5]}}}})");
    return 0;
}
