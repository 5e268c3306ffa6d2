#pragma once
// Which solution method an analysis runs: the classic step scheme (forward steps on tangent
// stiffnesses, no equilibrium iterations) or the iterative method (secant stiffness, equilibrium
// iterations in every step, the MCFT concrete model at the Gauss points).
namespace torva::engine {

enum class AnalysisMethod { Classic, Mcft };

} // namespace torva::engine
