// Any command line (the input split into words at zero bytes) is parsed or refused with a message; an
// accepted one holds only what the options promise: increments within their bounds, plan positions on
// the plan, no more output elements than there are slots.
#include "cli/Options.h"
#include "model/FramePat.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    torva::cli::Arguments args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    torva::cli::AnalyzeOptions options;
    std::string error;
    if (!torva::cli::ParseAnalyzeOptions(args, options, error)) {
        if (error.empty()) std::abort();
    } else {
        for (double increment : options.increments)
            if (!(std::fabs(increment) >= torva::cli::kSmallestIncrement &&
                  std::fabs(increment) <= torva::cli::kLargestIncrement))
                std::abort();
        if (options.hasIncrements && options.pushover) std::abort();
        for (const auto& [x, y] : options.outputs)
            if (x < 0 || x > 101 || y < 0 || y > 101) std::abort();
        if (options.outputs.size() > size_t(torva::kOutputSlots)) std::abort();
    }
    std::string model, folder;
    if (torva::cli::ParseExportOptions(args, model, folder, error) && args.empty()) std::abort();
    return 0;
}
