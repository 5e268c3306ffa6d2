#include "engine/ConcreteLaws.h"

namespace torva::engine {

// Placeholder laws: linear with the stored tangent until the real laws land.
void InitConcreteLawHistory(ConcreteLawHistory& history, double E0) {
    history = ConcreteLawHistory{};
    history.tangent = E0;
}

void SecantConcreteLaw(const ConcreteLawInput& in, ConcreteLawHistory& history, LawResult& out) {
    out = LawResult{in.E0de, history.tangent, false, false};
}

void HystereticConcreteLaw(const ConcreteLawInput& in, ConcreteLawHistory& history, LawResult& out) {
    out = LawResult{in.E0de, history.tangent, false, false};
}

} // namespace torva::engine
