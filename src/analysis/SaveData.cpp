#include "analysis/SaveData.h"

#include "analysis/TextExport.h"

#include <filesystem>

namespace torva {

SaveDataOutcome SaveData(const Mesh& mesh, const CFramePat& model, const std::string& folder,
                         const std::string& program, ExternalLauncher& launcher) {
    SaveDataOutcome outcome;
    if (!WriteTextExport(mesh, model, folder, outcome.error)) return outcome;
    outcome.written = (std::filesystem::path(folder) / kTextExportName).string();
    if (program.empty()) return outcome;
    outcome.started = launcher.Start(program, folder);
    if (!outcome.started) outcome.error = "Could not start " + program + ".";
    return outcome;
}

} // namespace torva
