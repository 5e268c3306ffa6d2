#pragma once
// Reinforced concrete at one Gauss point by the Modified Compression Field Theory: a smeared, rotating
// crack model in which the principal stress direction of the concrete follows the principal strain
// direction. Secant formulation: the point's total stress is D · strain with D the secant matrix of
// the concrete (moduli f1/e1, f2/e2 and the secant shear modulus, turned to x, y) plus the smeared bars
// (rho fs/es per direction), so a total-load iteration that forms K from D is symmetric and positive
// definite. Units N, mm; stresses (sx, sy, txy) in N/mm2, tension positive; strains (ex, ey, gxy) with
// engineering shear strain. The material values below are all positive.
#include <cstdint>

namespace torva::engine {

// One direction of smeared bars (x or y).
struct McftBars {
    double rho = 0;     // reinforcement ratio A / (s t)
    double fy = 0;      // yield strength, N/mm2
    double Es = 0;      // modulus, N/mm2
    double Esh = 0;     // modulus past yield (0: elastic–perfectly plastic)
    double spacing = 0; // bar spacing, mm (sets the crack spacing); 0 without bars
};

struct McftMaterial {
    double fc = 0;         // cylinder strength f'c, N/mm2, positive
    double ft = 0;         // cracking strength, N/mm2 (0.33 sqrt(fc) where the type gives none)
    double eps0 = 0;       // strain at peak compressive stress, positive
    double Ec = 0;         // initial modulus, N/mm2
    double aggregate = 20; // maximum aggregate size, mm (crack-interface shear)
    McftBars bars[2];      // x, y
};

// The worst state the point has reached: compression states take precedence over cracking.
enum class ConcreteCondition : int8_t {
    Uncracked = 0,
    Cracked = 1,  // the principal tensile strain has passed ft / Ec
    PastPeak = 2, // the principal compressive strain has passed the peak strain eps0
    Crushed = 3,  // it has passed 2 eps0, where the compression parabola has come down to zero stress
};

// What the point remembers between steps (monotonic loading: the extremes reached).
struct McftHistory {
    double e1Max = 0; // largest principal tensile strain reached
    double e2Min = 0; // most compressive principal strain reached
    bool cracked = false;
};

// The response of the point to a total strain.
struct McftPoint {
    double stress[3] = {0, 0, 0}; // total stress, concrete + bars
    double D[9] = {};             // secant matrix, row-major, concrete + bars
    double E1 = 0, E2 = 0, G = 0; // the concrete's secant moduli in D (principal axes)
    double e1 = 0, e2 = 0;        // principal strains, e1 >= e2
    double f1 = 0, f2 = 0;        // principal concrete stresses along e1 and e2
    double theta = 0;             // angle of e1 from x, rad
    double crackWidth = 0;        // average crack width, mm (0 uncracked)
    ConcreteCondition condition = ConcreteCondition::Uncracked;
    bool cracked = false;         // cracked now or before (a crushed point may be either)
    double barStrain[2] = {0, 0}; // x, y
    double barStress[2] = {0, 0}; // stress in the bars (not smeared), N/mm2
    bool yielded[2] = {false, false};
};

// The point's response to the total strain `strain`, given what it remembers.
void EvaluateMcft(const McftMaterial& material, const double strain[3], const McftHistory& history,
                  McftPoint& point);

// Records a converged response in the history.
void CommitMcft(const McftPoint& point, McftHistory& history);

} // namespace torva::engine
