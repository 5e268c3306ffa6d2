#pragma once
// "Save Data": writes "input_data.txt" into the output folder, then starts "Varnok.exe" from there.
#include "analysis/ExternalLauncher.h"
#include "analysis/Mesh.h"
#include "model/FramePat.h"

#include <string>

namespace torva {

// Returns the message to show, or "" when both halves worked:
//   "Cannot write <path>: <reason>" when the export failed (the program is then not started);
//   "Error in Shell Command" when the program is missing or does not start (the export stays written).
std::string SaveData(const Mesh& mesh, const CFramePat& model, const std::string& folder,
                     ExternalLauncher& launcher);

} // namespace torva
