#pragma once
// The engine's routines one by one, for the engine's own tests and benchmarks: they check and time a
// stage (decoding, numbering, one solve, one state update) apart from the whole step. No program code
// includes this file.
#include "engine/Engine.h"

namespace torva::engine {

class EngineTestAccess {
public:
    explicit EngineTestAccess(Engine& engine) : e_(engine) {}

    // The call with the caller's result buffer: step 0 starts, any other number runs that step.
    void Run(std::span<double> results, const double& increment, std::span<const int32_t> stream,
             const int& mode, int& step, int& status) {
        e_.Run(results, increment, stream, mode, step, status);
    }
    bool DecodeInput(std::span<const int32_t> stream) { return e_.DecodeInput(stream); }
    void NumberEquations() { e_.NumberEquations(); }
    void BuildTieMaps() { e_.BuildTieMaps(); }
    void BuildElementDofLists() { e_.BuildElementDofLists(); }
    bool BuildSkylineProfile() { return e_.BuildSkylineProfile(); }
    void BuildElementTransforms() { e_.BuildElementTransforms(); }
    bool InitialiseAnalysis(std::span<double> results, int mode, int& status) {
        return e_.InitialiseAnalysis(results, mode, status);
    }
    void AssembleStiffness() { e_.AssembleStiffness(); }
    void AddElementMatrix(int element, const double* matrix) { e_.AddElementMatrix(element, matrix); }
    void UpdateChangedStiffness() { e_.UpdateChangedStiffness(); }
    bool SolveForIncrement() { return e_.SolveForIncrement(); }
    void UpdateElementStates(int mode, int step) { e_.UpdateElementStates(mode, step); }
    void ComputeInternalForces() { e_.ComputeInternalForces(); }
    // The size of Gauss-point states from which a step writes the new ones past the cache.
    void SetStreamedStates(size_t bytes) { e_.streamedStates_ = bytes; }
    bool FactorisationShareable() const { return e_.FactorisationShareable(); }
    double FactorTerm(int i, int j) const { return e_.FactorTerm(i, j); }
    // Decoded type records (1-based), to change a material under a running analysis.
    ConcreteType& ConcreteRecord(int type) { return e_.concreteTypes_[type]; }
    RebarType& RebarRecord(int type) { return e_.rebarTypes_[type]; }

private:
    Engine& e_;
};

} // namespace torva::engine
