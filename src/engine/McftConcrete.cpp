#include "engine/McftConcrete.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace torva::engine::mcft {
namespace {

constexpr double kDefaultEps0 = 0.002;
constexpr double kDefaultCrackingFactor = 0.33; // ft = 0.33 sqrt(fc), N/mm2
constexpr double kStiffeningFactor = 500.0;     // f1 = ft / (1 + sqrt(500 e1))
constexpr double kSofteningFactor = 0.34;       // f2max = fc / (0.8 + 0.34 e1 / eps0)
// Where no bars cross a crack its spacing cannot follow from bar spacings: a wide spacing then stands
// for a single dominant crack (it only sets the reported width and the interface shear, which an
// unreinforced crack does not need).
constexpr double kUnreinforcedCrackSpacing = 1000.0;
constexpr double kSmoothCrackStrength = 70.0; // N/mm2

} // namespace

Principal PrincipalOf(const double strain[3]) {
    Principal p;
    const double mean = 0.5 * (strain[0] + strain[1]);
    const double d = 0.5 * (strain[0] - strain[1]), h = 0.5 * strain[2];
    const double radius = std::sqrt(d * d + h * h);
    p.e1 = mean + radius;
    p.e2 = mean - radius;
    if (radius > 0) {
        const double cos2 = d / radius, sin2 = h / radius;
        p.c2 = 0.5 * (1 + cos2);
        p.s2 = 0.5 * (1 - cos2);
        p.cs = 0.5 * sin2;
        p.theta = 0.5 * std::atan2(h, d);
    }
    return p;
}

Concrete ConcreteOf(const McftMaterial& m) {
    Concrete c;
    c.fc = m.fc;
    c.eps0 = m.eps0 > 0 ? m.eps0 : kDefaultEps0;
    c.ft = m.ft > 0 ? m.ft : kDefaultCrackingFactor * std::sqrt(std::max(m.fc, 0.0));
    // Without a modulus, the initial slope of the compression parabola.
    c.Ec = m.Ec > 0 ? m.Ec : 2 * m.fc / c.eps0;
    // Cracks in high-strength concrete run through the aggregate and leave smooth faces: the aggregate
    // size counts in full up to 60 N/mm2 and falls linearly to nothing at 70 N/mm2.
    const double roughness = std::clamp((kSmoothCrackStrength - m.fc) / 10.0, 0.0, 1.0);
    c.aggregate = std::max(m.aggregate, 0.0) * roughness;
    return c;
}

double SoftenedPeak(const Concrete& c, double e1) {
    return std::min(c.fc, c.fc / (0.8 + kSofteningFactor * e1 / c.eps0));
}

double CompressionSecant(const Concrete& c, double peak, double e) {
    // Parabola: stress = -peak (2x - x²) with x = -e/eps0; its secant is peak (2 - x) / eps0.
    const double x = -e / c.eps0;
    return x >= 2 ? 0.0 : peak * (2 - x) / c.eps0;
}

double TensionEnvelope(const Concrete& c, double e1, bool cracked) {
    const double elastic = c.Ec * e1;
    if (!cracked) return elastic;
    // A cracked point below the cracking strain stays on the lower of the two branches.
    return std::min(elastic, c.ft / (1 + std::sqrt(kStiffeningFactor * e1)));
}

double CrackSpacing(const McftMaterial& m, double absCos, double absSin) {
    const double sx = m.bars[0].spacing, sy = m.bars[1].spacing;
    const double inverse = (sx > 0 ? absCos / sx : 0.0) + (sy > 0 ? absSin / sy : 0.0);
    return inverse > 0 ? std::min(1 / inverse, kUnreinforcedCrackSpacing) : kUnreinforcedCrackSpacing;
}

double CrackShearLimit(const Concrete& c, double w) {
    return std::sqrt(c.fc) / (0.31 + 24 * w / (c.aggregate + 16));
}

double CrackTensionLimit(const double reserve[2], double c2, double s2, double vciMax) {
    // Across the crack the bars take f1 by stress increases dfx, dfy with
    //   rho_x dfx c² + rho_y dfy s² = f1         (normal to the crack)
    //   vci = c s (rho_x dfx - rho_y dfy)         (along the crack)
    // Both bars reaching yield bound f1 by the reserves; when one direction's reserve R runs out
    // first the rest needs crack shear, |vci| = (f1 - R) · (cot or tan), bounded by vciMax.
    const double bothYield = reserve[0] * c2 + reserve[1] * s2;
    const bool xFirst = reserve[0] <= reserve[1];
    const double weaker = xFirst ? reserve[0] : reserve[1];
    // x bars out: vci = (f1 - Rx) |c/s|, so f1 <= Rx + vciMax |s/c|; the y case mirrors it.
    const double along = xFirst ? s2 : c2, across = xFirst ? c2 : s2;
    const double interface =
        across > 0 ? weaker + vciMax * std::sqrt(along / across) : std::numeric_limits<double>::infinity();
    return std::max(0.0, std::min(bothYield, interface));
}

double BarStress(const McftBars& bars, double es) {
    if (bars.Es <= 0) return 0;
    const double elastic = bars.Es * es;
    if (bars.fy <= 0 || std::fabs(elastic) <= bars.fy) return elastic;
    const double beyond = std::fabs(es) - bars.fy / bars.Es;
    return std::copysign(bars.fy + bars.Esh * beyond, es);
}

} // namespace torva::engine::mcft
