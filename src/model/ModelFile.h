#pragma once
// The .fem file: the flat little-endian image of a CFramePat, 255,422 bytes, no header or tags.
// Position arrays are written row by row (x fastest), layer arrays layer by layer, typeProp kind by
// kind, span tables axis by axis; the output-element list and fileVersionIn are not in the file.
#include "model/FramePat.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torva {

constexpr std::size_t kModelFileSize = 255422;

// Why a read or write failed: a message a user understands and a line of detail (file, field, value).
struct FileError {
    std::string message;
    std::string detail;
    std::string Text() const { return detail.empty() ? message : message + "\n" + detail; }
};

// The file image of a model (sets fileVersionOut to 20 as every save does).
std::vector<uint8_t> WriteModelImage(CFramePat& model);

// Reads an image into `model`, which must be freshly constructed: the fields not in the file keep
// their construction defaults. Refuses an image of any other length, another file version, and values
// the program never writes (elementKind other than 1 and 2 among them); `model` is then partly
// overwritten and is to be discarded.
bool ReadModelImage(const uint8_t* data, std::size_t size, CFramePat& model, FileError& error);

// Loads a file into a fresh model and only then replaces `model`: a failed load changes nothing.
bool LoadModelFile(const std::string& path, CFramePat& model, FileError& error);

// Writes a temporary file beside `path` and renames it over the old one: a failed save never
// destroys the previous file.
bool SaveModelFile(const std::string& path, CFramePat& model, FileError& error);

} // namespace torva
