#pragma once
// What a Gauss point of the iterative method contributes to the iteration matrix. The stresses, and so
// the out-of-balance force, are always the concrete model's own; this matrix only has to point the
// iterations the right way, and stay symmetric positive definite for the skyline LDL'.
#include "engine/McftMaterial.h"

namespace torva::engine {

// The shear modulus of a rotating crack about its principal axes: the stress that turning the axes
// with the strain adds, d tau / d gamma = (f1 - f2) / (2 (e1 - e2)) for coaxial principal stresses
// and strains (Bazant 1983; Crisfield & Wills 1989). The model's secant shear modulus
// E1 E2 / (E1 + E2) can be half of it on a cracked point; an iteration matrix that soft lets that
// point's crack angle swing between two states without end. Where the principal strains coincide, or
// the stress difference is not positive, the point's secant modulus stays.
double RotationShearModulus(const McftPoint& point);

// The point's secant D with the rotation shear modulus in place of the secant one, and yielded bars
// with their tangent (the hardening modulus, at least 1 % of Es) instead of fy / strain: on a yield
// plateau the secant overestimates the stiffness without bound and the iteration would creep. Neither
// changes a stress: the shear modulus acts on the shear strain about the principal axes, which is zero.
void IterationMatrix(const McftPoint& point, const McftMaterial& material, double D[9]);

} // namespace torva::engine
