#pragma once
// How the engine advances a load step: the classic forward scheme (one solve per step with the secant
// and hysteretic laws), or the iterative scheme with the compression-field concrete model.
namespace torva::engine {

enum class AnalysisMethod { Classic, Mcft };

} // namespace torva::engine
