#pragma once
// The concrete and bar curves of the iterative method's material point, each a pure function of the
// strains so that the point's evaluation only assembles them. Units N, mm; tension positive.
#include "engine/McftMaterial.h"

namespace torva::engine::mcft {

// Principal strains of a strain state (ex, ey, gxy), e1 >= e2, with the direction cosines of e1.
// c2 = cos² theta, s2 = sin² theta, cs = cos theta · sin theta; for e1 == e2 theta is 0.
struct Principal {
    double e1 = 0, e2 = 0;
    double c2 = 1, s2 = 0, cs = 0;
    double theta = 0;
};
Principal PrincipalOf(const double strain[3]);

// Material values with the defaults applied where the material gives none (ft, eps0, Ec), and the
// aggregate size that counts for the crack-interface shear.
struct Concrete {
    double fc, ft, eps0, Ec, aggregate;
};
Concrete ConcreteOf(const McftMaterial& material);

// Peak compressive stress softened by the transverse tensile strain e1 (>= 0), never above fc.
double SoftenedPeak(const Concrete& c, double e1);

// Secant modulus of the compression parabola at strain e (<= 0) for the peak stress `peak`:
// stress = secant · e. Zero once the parabola has come down to zero at e = -2 eps0.
double CompressionSecant(const Concrete& c, double peak, double e);

// Average tensile stress of concrete at tensile strain e1 (>= 0) on the loading envelope.
double TensionEnvelope(const Concrete& c, double e1, bool cracked);

// Crack spacing normal to a crack whose normal makes |cos| = absCos, |sin| = absSin with x.
double CrackSpacing(const McftMaterial& material, double absCos, double absSin);

// Largest shear stress the crack interface carries at crack width w (mm).
double CrackShearLimit(const Concrete& c, double w);

// The largest average tension the cracked point can carry: the bars' reserve across the crack
// and, where one direction's reserve runs out first, the crack-interface shear `vciMax`.
// reserve[i] = rho_i (fy_i - fs_i) >= 0; c2, s2: cos², sin² of the crack normal from x.
double CrackTensionLimit(const double reserve[2], double c2, double s2, double vciMax);

// Bar stress (signed) at strain es: elastic, then perfectly plastic or hardening with Esh.
double BarStress(const McftBars& bars, double es);

} // namespace torva::engine::mcft
