#pragma once
// The names of the analysis methods: the key the settings and the result files use, and the label
// the program shows.
#include "engine/AnalysisMethod.h"

#include <string_view>

namespace torva {

constexpr const char* MethodKey(engine::AnalysisMethod method) {
    return method == engine::AnalysisMethod::Mcft ? "mcft" : "classic";
}

constexpr const char* MethodLabel(engine::AnalysisMethod method) {
    return method == engine::AnalysisMethod::Mcft ? "Iterative (MCFT)" : "Classic step-by-step";
}

// The method of a key; anything but "mcft" is the classic method (the default).
constexpr engine::AnalysisMethod MethodFromKey(std::string_view key) {
    return key == "mcft" ? engine::AnalysisMethod::Mcft : engine::AnalysisMethod::Classic;
}

} // namespace torva
