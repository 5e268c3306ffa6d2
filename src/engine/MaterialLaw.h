#pragma once
// What every uniaxial material law returns for one step of one material point and direction.
namespace torva::engine {

struct LawResult {
    double dStress = 0.0;       // stress (or force) increment of the step
    double tangent = 0.0;       // tangent modulus (or stiffness) after the step
    bool crack = false;         // concrete only: the direction reports an open crack
    bool branchChanged = false; // the law changed branch state in this step
};

} // namespace torva::engine
