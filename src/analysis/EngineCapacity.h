#pragma once
// What the analysis engine can hold. The engine is sized for the whole 60 × 60 plan, so every model the
// editor can build fits; the check before an analysis still compares a mesh against these numbers.
#include <cstdint>

namespace torva {

constexpr int32_t kEngineMaxNodes = 3721;     // 61 × 61 node lines
constexpr int32_t kEngineMaxElements = 3600;  // 60 × 60 elements
constexpr int32_t kEngineMaxEquations = 7442; // two degrees of freedom at every node

} // namespace torva
