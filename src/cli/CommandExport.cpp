#include "analysis/Mesh.h"
#include "analysis/TextExport.h"
#include "cli/Cli.h"
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
    std::string modelPath;
    std::string folder;
    bool folderGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (folderGiven || i + 1 == args.size()) return Fail(kUsage);
            folder = args[++i];
            folderGiven = true;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return Fail("unknown option '" + args[i] + "'; " + kUsage);
        } else {
            if (!modelPath.empty()) return Fail(kUsage);
            modelPath = args[i];
        }
    }
    if (modelPath.empty()) return Fail(kUsage);

    auto model = std::make_unique<CFramePat>();
    FileError error;
    if (!LoadModel(modelPath, *model, error)) return Fail(error);
    auto mesh = std::make_unique<Mesh>();
    mesh->Build(*model, kActualSize);
    if (!folderGiven) folder = DefaultOutputFolder(modelPath);
    std::string message;
    if (!WriteTextExport(*mesh, *model, folder, message)) return Fail(message);
    std::printf("Wrote %s\n", (std::filesystem::path(folder) / kTextExportName).string().c_str());
    return 0;
}

} // namespace torva::cli
