#include "engine/JointLaws.h"

namespace torva::engine {

// Placeholder law: linear until the real law lands.
void InitConcreteSpringHistory(ConcreteSpringHistory& history, double k0) {
    history = ConcreteSpringHistory{};
    history.tangent = k0;
}

void ConcreteSpringLaw(const SpringLawInput& in, ConcreteSpringHistory& history, LawResult& out) {
    out = LawResult{in.k0dd, history.tangent, false, false};
}

} // namespace torva::engine
