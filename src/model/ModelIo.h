#pragma once
// Models on disk in either format, chosen by the file name: ".json" (any case) is the readable JSON
// format, every other name the binary .fem image. Every command, the document and the Python module
// load and save through these, so each of them takes both formats.
#include "model/FramePat.h"
#include "model/ModelFile.h"

#include <string>

namespace torva {

enum class ModelFormat { Fem, Json };

ModelFormat ModelFormatOf(const std::string& path);

// Loads into a fresh model and only then replaces `model`: a failed load changes nothing.
bool LoadModel(const std::string& path, CFramePat& model, FileError& error);

// Saves in the format of the name; the old file is replaced only by a complete new one.
bool SaveModel(const std::string& path, CFramePat& model, FileError& error);

// The model's text in the JSON format and its .fem image, as `convert` writes them: the .fem image
// carries the version word the model was read with (a .fem file converted to JSON and back is the
// same file, byte for byte).
std::vector<uint8_t> ConvertedModelImage(const CFramePat& model);

// Reads `in` and writes `out`, each in the format of its name. A JSON file's output elements have no
// place in a .fem file: `dropped` tells how many were left out (0 otherwise).
bool ConvertModel(const std::string& in, const std::string& out, int& dropped, FileError& error);

} // namespace torva
