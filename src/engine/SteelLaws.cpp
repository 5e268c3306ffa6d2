#include "engine/SteelLaws.h"

namespace torva::engine {

// Placeholder laws: linear until the real laws land.
void InitBarLawHistory(BarLawHistory& history, double E) {
    history = BarLawHistory{};
    history.tangent = E;
}

void BilinearSteelLaw(const BarLawInput& in, BarLawHistory& history, LawResult& out) {
    out = LawResult{in.Ede, history.tangent, false, false};
}

void CurvedSteelLaw(const BarLawInput& in, BarLawHistory& history, LawResult& out) {
    out = LawResult{in.Ede, history.tangent, false, false};
}

void SteelSpringLaw(const BarLawInput& in, BarLawHistory& history, LawResult& out) {
    out = LawResult{in.Ede, history.tangent, false, false};
}

} // namespace torva::engine
