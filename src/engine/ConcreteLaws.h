#pragma once
// Uniaxial concrete laws of one principal direction at one Gauss point: the secant model
// (selector 1) and the hysteretic model (selector 2). Tension positive, compression negative;
// fs, epk, fc and eps0 arrive negative. The Saenz envelope S(eps) = E0 eps / (1 + (E0/Es − 2) x + x²),
// x = eps/epk, is shared by both.
#include "engine/MaterialLaw.h"

namespace torva::engine {

struct ConcreteLawInput {
    double eps = 0;  // strain before the step
    double sp = 0;   // stress before the step
    double de = 0;   // strain increment
    double E0de = 0; // E0 · de, the elastic trial increment
    double E0 = 0;   // initial modulus
    double fs = 0;   // softened peak stress beta_k · fp_k
    double epk = 0;  // peak strain epk_k
    double Es = 0;   // secant modulus at the peak, fs / epk
    double ecr = 0;  // cracking strain ft_k / E0
    double ft = 0;   // tensile strength of the direction, ft_k
    double fc = 0;   // compressive strength of the type
    double eps0 = 0; // strain at compressive strength of the type
    int step = 0;    // engine step counter (0 on the initialising step)
};

// Branch state and history of one direction that every law keeps. `tangent` is the model tangent Et
// the law keeps between steps (E0 at set-up).
struct ConcreteLawHistory {
    int state = 1;
    double tangent = 0;
    // Current crack reference (ec, sc) of the secant model, and the unloading point (eu, su) of both.
    double ec = 0, sc = 0, eu = 0, su = 0;
};

// What only the hysteretic model keeps besides (see ConcreteLaws.cpp). A Gauss point carries it only
// in analyses that use that model.
struct ConcreteHysteresis {
    int side = 0;             // 0, 1 or 2: from which side the current segment was entered
    bool closeLinear = false; // the closing curve degenerated to a straight line
    double ep = 0, ea = 0, sa = 0, eb = 0, sb = 0, Eu = 0, Er = 0;
    double etu = 0, stu = 0, et0 = 0, Etu = 0, er = 0, sr = 0, etl = 0, ez = 0, closeA = 1.0;
    double segE0 = 0, segS0 = 0, segE1 = 0, segS1 = 0, prevDe = 0;
    double segSlope = 0;          // slope of the current segment (states 2 and 11)
    double lineE = 0, lineEr = 0; // compression reloading line in force: zero at lineE, slope lineEr
    double Ec = 0, closeD = 0;    // closing curve: modulus at the contact point and its offset d
};

// The whole history of one material point under the hysteretic model, in one record.
struct HystereticLawHistory : ConcreteLawHistory, ConcreteHysteresis {};

void InitConcreteLawHistory(ConcreteLawHistory& history, double E0);
void SecantConcreteLaw(const ConcreteLawInput& in, ConcreteLawHistory& history, LawResult& out);
void HystereticConcreteLaw(const ConcreteLawInput& in, ConcreteLawHistory& history, ConcreteHysteresis& own,
                           LawResult& out);
inline void HystereticConcreteLaw(const ConcreteLawInput& in, HystereticLawHistory& history, LawResult& out) {
    HystereticConcreteLaw(in, history, history, out);
}

} // namespace torva::engine
