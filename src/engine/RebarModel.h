#pragma once
// Smeared rebar at one Gauss point of a plane element: bars in x and in y, each following a uniaxial
// steel law; the rebar stress is (rho_x · bar stress x, rho_y · bar stress y, 0) and the rebar
// tangent Ds = diag(rho_x Eb_x, rho_y Eb_y, 0), Eb the tangent each bar law keeps.
#include "engine/SteelLaws.h"

namespace torva::engine {

// The element's rebar type: Es, and per direction x, y the ratio rho = (A / s) / t and fy.
struct RebarMaterial {
    double Es = 0;
    double rho[2] = {0, 0};
    double fy[2] = {0, 0};
};

struct RebarGaussPoint {
    double barStress[2] = {0, 0}; // stress in the bars of x and y (N/mm2)
    BarLawHistory law[2];         // law[k].tangent is the bar tangent modulus Eb (0 without rebar)
};

// Set-up: bar stresses 0 and fresh law histories with Eb = Es (with a rebar type), or all 0 (without).
void InitRebarGaussPoint(RebarGaussPoint& gp, const RebarMaterial* material);

// One step of both bar directions. `strain` is the total strain after the step, `de` its increment;
// `selector` 1 bilinear, 2 curved, other linear. Writes the rebar stress. Returns true when the
// element's stiffness must be formed again (a bilinear branch change, or always under the curved law).
bool UpdateRebarGaussPoint(RebarGaussPoint& gp, const RebarMaterial& material, const double strain[3],
                           const double de[3], int selector, int step, double rebarStress[3]);

// Ds, row-major 3 × 3.
void RebarTangent(const RebarGaussPoint& gp, const RebarMaterial& material, double Ds[9]);

} // namespace torva::engine
