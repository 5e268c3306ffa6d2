#pragma once
// "input_data.txt": the mesh as plain text for the external program. It carries the element kind,
// nodes, restraints, gravity, concrete properties 0..3 of types 1..NC, elements with their concrete
// type, and loads; no rebar, fibre, discrete flags, output numbers or control data. Lines end in "\n";
// numbers are formatted in the C locale whatever the process locale is.
#include "analysis/Mesh.h"
#include "model/FramePat.h"

#include <string>

namespace torva {

constexpr const char* kTextExportName = "input_data.txt";

// The whole file.
std::string TextExportContent(const Mesh& mesh, const CFramePat& model);

// The folder the export goes to when the user has chosen none: the folder of the model file, or the
// current directory for a model that was never saved (empty path).
std::string DefaultOutputFolder(const std::string& modelPath);

// Replaces folder/input_data.txt with the export as a whole (model/AtomicFile.h). On failure returns
// false with `error` = "Cannot write <path>: <reason>" and any old file is left as it was.
bool WriteTextExport(const Mesh& mesh, const CFramePat& model, const std::string& folder, std::string& error);

} // namespace torva
