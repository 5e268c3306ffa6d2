#include "analysis/EngineStatus.h"

#include "engine/EngineLimits.h"

namespace torva {

std::string EngineStatusMessage(int status, int step) {
    const std::string at = step > 0 ? " (step " + std::to_string(step) + ")" : std::string();
    switch (status) {
    case engine::kStatusDone:
        return "";
    case engine::kStatusNoResponse:
        return "The control node does not respond to the loads" + at +
               ": check that the model has point loads that move it in the control direction.";
    case engine::kStatusUnstable:
        return "The structure is unstable: check the supports and look for a mechanism or an element "
               "without support" +
               at + ".";
    case engine::kStatusBadInput:
        return "The model cannot be analysed" + at +
               ": it is larger than the analysis can hold or its input is inconsistent.";
    case engine::kStatusNotFinite:
        return "The analysis was stopped" + at +
               ": its displacements or stresses are no longer finite numbers. Try smaller increments, and "
               "look for elements of zero width or height and extreme material values.";
    default:
        return "The analysis stopped with status " + std::to_string(status) + at + ".";
    }
}

} // namespace torva
