// Any byte string fed to the .fem reader is either refused with a message or yields a model that every
// later stage takes safely: written back it is the same image, its JSON text reads back to the same
// image, and the mesh, the engine input and the text export can be made of it.
#include "analysis/EngineInputPacker.h"
#include "analysis/Mesh.h"
#include "analysis/TextExport.h"
#include "model/FramePat.h"
#include "model/ModelFile.h"
#include "model/ModelIo.h"
#include "model/ModelJson.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto model = std::make_unique<torva::CFramePat>();
    torva::FileError error;
    if (!torva::ReadModelImage(data, size, *model, error)) {
        if (error.message != "Unexpected file format." || error.detail.empty()) std::abort();
        return 0;
    }
    if (size != torva::kModelFileSize) std::abort(); // only whole files are read
    // Converting to JSON and back gives the very same file, unless the JSON reader refuses a value by name:
    // it is stricter than the binary image (a negative area or strength is refused there, not read).
    auto back = std::make_unique<torva::CFramePat>();
    torva::FileError jsonError;
    if (torva::ReadModelJson(torva::WriteModelJson(*model), *back, jsonError)) {
        const std::vector<uint8_t> image = torva::ConvertedModelImage(*back);
        if (image.size() != size || std::memcmp(image.data(), data, size) != 0) std::abort();
    } else if (jsonError.Text().empty()) {
        std::abort();
    }

    auto mesh = std::make_unique<torva::Mesh>();
    mesh->Build(*model, torva::kActualSize);
    if (torva::PackEngineInput(*mesh, *model).empty()) std::abort();
    if (torva::TextExportContent(*mesh, *model).empty()) std::abort();
    return 0;
}
