// Any text fed to the JSON model reader is refused with a message or gives a model that the .fem writer
// and reader take back unchanged, and that writes the same JSON again.
#include "model/FramePat.h"
#include "model/ModelFile.h"
#include "model/ModelJson.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto model = std::make_unique<torva::CFramePat>();
    torva::FileError error;
    if (!torva::ReadModelJson(text, *model, error)) {
        if (error.message.empty()) std::abort(); // a refusal always says why
        return 0;
    }
    const std::string json = torva::WriteModelJson(*model);
    auto again = std::make_unique<torva::CFramePat>();
    if (!torva::ReadModelJson(json, *again, error) || torva::WriteModelJson(*again) != json) std::abort();
    return 0;
}
