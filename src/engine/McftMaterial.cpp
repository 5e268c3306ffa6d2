#include "engine/McftMaterial.h"

#include "engine/McftConcrete.h"

#include <algorithm>
#include <cmath>

namespace torva::engine {
namespace {

using mcft::Concrete;

// Secant moduli never fall below this share of Ec: a crushed or fully open point keeps K positive
// definite, and the stress it adds (1e-6 Ec e) is far below anything the model resolves.
constexpr double kSecantFloor = 1e-6;

// Secant modulus of one principal direction in tension (e > 0): the loading envelope at the largest
// strain reached, unloading along the secant to the origin below it, then the crack check.
double TensionSecant(const Concrete& c, double e, double eMax, bool cracked, double crackLimit) {
    const double envelopeStrain = std::max(e, eMax);
    double secant =
        envelopeStrain > 0 ? mcft::TensionEnvelope(c, envelopeStrain, cracked) / envelopeStrain : c.Ec;
    if (cracked && e > 0 && secant * e > crackLimit) secant = crackLimit / e;
    return secant;
}

} // namespace

void EvaluateMcft(const McftMaterial& material, const double strain[3], const McftHistory& history,
                  McftPoint& point) {
    const Concrete c = mcft::ConcreteOf(material);
    const mcft::Principal pr = mcft::PrincipalOf(strain);
    const double crackingStrain = c.ft / c.Ec;
    const bool cracked = history.cracked || pr.e1 > crackingStrain;

    // Bars: strain along x and y, stress on their own curve, smeared secant and reserve at a crack.
    double barSecant[2], reserve[2];
    for (int i = 0; i < 2; ++i) {
        const McftBars& bars = material.bars[i];
        const double es = strain[i], fs = mcft::BarStress(bars, es);
        point.barStrain[i] = es;
        point.barStress[i] = fs;
        point.yielded[i] = bars.rho > 0 && bars.fy > 0 && bars.Es > 0 && std::fabs(es) > bars.fy / bars.Es;
        barSecant[i] = bars.rho * (es != 0 ? fs / es : bars.Es);
        // Bars without a yield strength stay elastic: their reserve is that of a strain of one.
        const double capacity = bars.fy > 0 ? bars.fy : std::max(bars.Es, 0.0);
        reserve[i] = bars.rho > 0 ? std::max(0.0, bars.rho * (capacity - fs)) : 0.0;
    }

    // Crack width from the crack spacing normal to the crack (the crack normal is e1).
    const double spacing = mcft::CrackSpacing(material, std::sqrt(pr.c2), std::sqrt(pr.s2));
    const double width = cracked ? std::max(pr.e1, 0.0) * spacing : 0.0;
    const double crackLimit = mcft::CrackTensionLimit(reserve, pr.c2, pr.s2, mcft::CrackShearLimit(c, width));

    // Principal direction 1: tension, or compression when both principal strains are compressive.
    double E1;
    if (pr.e1 >= 0)
        E1 = TensionSecant(c, pr.e1, history.e1Max, cracked, crackLimit);
    else
        E1 = mcft::CompressionSecant(c, c.fc, pr.e1);
    // Principal direction 2: compression softened by the tension across it, unloading along the
    // secant from the most compressive strain reached (monotonic loading: both are the current ones); tension
    // only under biaxial tension, with its own crack (its normal is e2: the crack check with the directions
    // swapped).
    double E2;
    if (pr.e2 < 0) {
        // Softened by the largest tension reached: a crack that closes partly does not heal.
        const double across = std::max(pr.e1, history.e1Max);
        const double peak = across > 0 ? mcft::SoftenedPeak(c, across) : c.fc;
        E2 = mcft::CompressionSecant(c, peak, std::min(pr.e2, history.e2Min));
    } else {
        const bool cracked2 = pr.e2 > crackingStrain;
        const double width2 =
            cracked2 ? pr.e2 * mcft::CrackSpacing(material, std::sqrt(pr.s2), std::sqrt(pr.c2)) : 0;
        const double limit2 =
            mcft::CrackTensionLimit(reserve, pr.s2, pr.c2, mcft::CrackShearLimit(c, width2));
        E2 = TensionSecant(c, pr.e2, 0.0, cracked2, limit2);
    }
    const double floor = kSecantFloor * c.Ec;
    E1 = std::max(E1, floor);
    E2 = std::max(E2, floor);
    const double G = E1 * E2 / (E1 + E2);

    // D = Tᵀ diag(E1, E2, G) T with T the strain transformation to the principal axes.
    const double r1[3] = {pr.c2, pr.s2, pr.cs};
    const double r2[3] = {pr.s2, pr.c2, -pr.cs};
    const double r3[3] = {-2 * pr.cs, 2 * pr.cs, pr.c2 - pr.s2};
    // Formed in a local array and stored once: reading point.D back right after its stores would wait
    // for the point's cache line to arrive from memory.
    double D[9];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            D[3 * i + j] = E1 * r1[i] * r1[j] + E2 * r2[i] * r2[j] + G * r3[i] * r3[j];
    D[0] += barSecant[0];
    D[4] += barSecant[1];
    const double strainCopy[3] = {strain[0], strain[1], strain[2]};
    for (int i = 0; i < 3; ++i)
        point.stress[i] =
            D[3 * i] * strainCopy[0] + D[3 * i + 1] * strainCopy[1] + D[3 * i + 2] * strainCopy[2];
    std::copy_n(D, 9, point.D);

    point.E1 = E1;
    point.E2 = E2;
    point.G = G;
    point.e1 = pr.e1;
    point.e2 = pr.e2;
    point.f1 = E1 * pr.e1;
    point.f2 = E2 * pr.e2;
    point.theta = pr.theta;
    point.crackWidth = width;
    point.cracked = cracked;
    const double worstCompression = std::min(pr.e2, history.e2Min);
    if (worstCompression <= -2 * c.eps0)
        point.condition = ConcreteCondition::Crushed;
    else if (worstCompression < -c.eps0)
        point.condition = ConcreteCondition::PastPeak;
    else
        point.condition = cracked ? ConcreteCondition::Cracked : ConcreteCondition::Uncracked;
}

void CommitMcft(const McftPoint& point, McftHistory& history) {
    history.e1Max = std::max(history.e1Max, point.e1);
    history.e2Min = std::min(history.e2Min, point.e2);
    history.cracked = history.cracked || point.cracked;
}

} // namespace torva::engine
