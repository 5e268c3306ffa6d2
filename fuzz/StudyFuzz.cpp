// Any text fed to the study reader is refused with a StudyError naming the field, or gives a study whose
// self-contained text reads back to the same variants; its first variant model can be made or is
// refused by name. Base models are looked up in the examples folder.
#include "analysis/StudyDefinition.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    torva::Study study;
    try {
        study = torva::ParseStudy(text, TORVA_EXAMPLES_DIR, "fuzz");
    } catch (const torva::StudyError& refused) {
        if (std::string(refused.what()).empty()) std::abort();
        return 0;
    }
    const torva::Study again = torva::ParseStudy(torva::StudyAsText(study), TORVA_EXAMPLES_DIR, "fuzz");
    if (again.parameters != study.parameters || again.variants != study.variants) std::abort();
    if (!study.variants.empty()) {
        try {
            torva::VariantModel(study, 0);
        } catch (const torva::StudyError&) {
        }
    }
    return 0;
}
