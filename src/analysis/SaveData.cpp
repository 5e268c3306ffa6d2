#include "analysis/SaveData.h"

#include "analysis/TextExport.h"

#include <filesystem>

namespace torva {

std::string SaveData(const Mesh& mesh, const CFramePat& model, const std::string& folder,
                     ExternalLauncher& launcher) {
    std::string error;
    if (!WriteTextExport(mesh, model, folder, error)) return error;
    const std::string program = (std::filesystem::path(folder) / kExternalProgramName).string();
    if (!launcher.Start(program, folder)) return kShellCommandError;
    return "";
}

} // namespace torva
