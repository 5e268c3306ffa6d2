#include "analysis/Mesh.h"
#include "analysis/TextExport.h"
#include "cli/Cli.h"
#include "cli/Options.h"
#include "model/FramePat.h"
#include "model/ModelIo.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace torva::cli {

// Writes input_data.txt of a model in actual size into DIR, by default the model file's folder.
int CommandExport(const Arguments& args) {
    constexpr const char* kUsage = "usage: torva_fem export MODEL.fem [-o DIR]";
    std::string modelPath, folder, message;
    if (!ParseExportOptions(args, modelPath, folder, message)) return Fail(message + "\n" + kUsage);
    const bool folderGiven = !folder.empty();

    auto model = std::make_unique<CFramePat>();
    FileError error;
    if (!LoadModel(modelPath, *model, error)) return Fail(error);
    auto mesh = std::make_unique<Mesh>();
    mesh->Build(*model, kActualSize);
    if (!folderGiven) folder = DefaultOutputFolder(modelPath);
    if (!WriteTextExport(*mesh, *model, folder, message)) return Fail(message);
    std::printf("Wrote %s\n", (std::filesystem::path(folder) / kTextExportName).string().c_str());
    return 0;
}

} // namespace torva::cli
