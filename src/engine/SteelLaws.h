#pragma once
// Uniaxial steel laws: bars of the smeared rebar (bilinear with kinematic hardening, or the curved
// Menegotto–Pinto law) and the steel spring of a joint (bilinear, tension-only yielding from the
// virgin state). Tension positive. For a spring read opening for strain, force for stress,
// ks for E, Fy for fy and dy = Fy/ks for ey.
#include "engine/MaterialLaw.h"

namespace torva::engine {

struct BarLawInput {
    double e = 0;   // strain before the step
    double sp = 0;  // stress before the step
    double de = 0;  // strain increment
    double Ede = 0; // E · de, the elastic trial increment
    double E = 0;   // elastic modulus
    double fy = 0;  // yield stress
    double ey = 0;  // yield strain fy / E
    int step = 0;   // engine step counter (0 on the initialising step)
};

// Branch state and history of one bar direction or spring. `tangent` is the stored tangent (E at set-up).
// A bar follows one law for a whole analysis, so the two laws' histories share their place.
struct BarLawHistory {
    int state = 1;
    double tangent = 0;
    union {
        struct {
            double eA, sA, eB, sB; // bilinear: ends of the current elastic range
        };
        struct {
            double prevDe, er, sr; // curved: previous increment and reversal point
        };
        double history_[4] = {0, 0, 0, 0};
    };
};

void InitBarLawHistory(BarLawHistory& history, double E);
void BilinearSteelLaw(const BarLawInput& in, BarLawHistory& history, LawResult& out);
void CurvedSteelLaw(const BarLawInput& in, BarLawHistory& history, LawResult& out);
void SteelSpringLaw(const BarLawInput& in, BarLawHistory& history, LawResult& out);

} // namespace torva::engine
