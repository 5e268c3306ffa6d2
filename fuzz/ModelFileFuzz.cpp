// Any byte string fed to the .fem reader is either refused or yields a model every later stage can
// index safely; writing it back gives the same leading image.
#include "model/FramePat.h"
#include "model/ModelFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto model = std::make_unique<torva::CFramePat>();
    torva::FileError error;
    if (!torva::ReadModelImage(data, size, *model, error)) return 0;
    model->StoreCurrentLayer(); // indexes by curLayer
    model->LoadCurrentLayer();
    const auto image = torva::WriteModelImage(*model);
    // Layer arrays were overwritten by the working copy of curLayer; the header must round-trip.
    if (image.size() != torva::kModelFileSize || std::memcmp(image.data() + 2, data + 2, 10) != 0)
        std::abort();
    return 0;
}
