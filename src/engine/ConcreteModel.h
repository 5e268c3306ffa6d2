#pragma once
// Concrete at one Gauss point of a plane element: an orthotropic material in the principal directions.
// Each of the two directions carries a uniaxial law with its own history; the directions are coupled
// through the biaxial peak values, compression softening of the direction across an open crack and
// the Poisson term of the tangent matrix. Stresses (sx, sy, txy) in N/mm2, engineering shear strain,
// tension positive; fc and eps0 are negative here.
#include "engine/ConcreteLaws.h"

namespace torva::engine {

// The values of the element's concrete type that the update needs (fc, eps0 negative).
struct ConcreteMaterial {
    double E0 = 0;
    double nu = 0;
    double fc = 0;
    double ft = 0;
    double eps0 = 0;
};

// One uniaxial direction of a Gauss point. Its tensile strength is the type's ft throughout.
struct ConcreteDirection {
    double eps = 0;         // equivalent uniaxial strain
    double E = 0;           // tangent modulus of the tangent matrix (the law's tangent, at least 0.01 E0)
    double fp = 0;          // biaxial peak stress
    double epk = 0;         // biaxial peak strain
    double beta = 1;        // compression softening factor
    ConcreteLawHistory law; // branch state, model tangent Et and the law's history
};

// The Poisson ratio is the type's: it is not kept per point.
struct ConcreteGaussPoint {
    double stress[3] = {0, 0, 0};    // sx, sy, txy
    double principal[3] = {0, 0, 0}; // first and second principal stress, angle of the first (rad)
    double Dc[9] = {};               // tangent matrix, row-major; the next trial stress uses it
    double refAngle = 0;             // reference angle (degrees)
    int crack = 0;                   // 1 while a direction reports an open crack: the axes are frozen
    int label[2] = {1, 2};           // which principal stress belongs to direction 1 and to direction 2
    ConcreteDirection dir[2];
};

// The set-up state: E_k = E0, fp_k = fc, ft_k = ft, beta_k = 1, labels (1, 2), Dc at angle 0.
void InitConcreteGaussPoint(ConcreteGaussPoint& gp, const ConcreteMaterial& material);

// Dc of the Gauss point from E_1, E_2 and nu, its axes turned by `angle` (rad).
void ConcreteTangent(double angle, double nu, ConcreteGaussPoint& gp);

// One step of the Gauss point with the strain increment de (ex, ey, gxy). `selector` 1 secant law,
// 2 hysteretic law, other linear; `mode` 1 keeps the concrete linear; `step` 0 is the initialising
// step. Returns true when a direction's law changed branch (the element's stiffness must be formed again).
// `formTangent` false leaves Dc as it is: for a point whose element is formed again before its next
// update, which replaces Dc anyway. Under the hysteretic law `hysteresis` holds the law's own history of
// the two directions (unused otherwise).
bool UpdateConcreteGaussPoint(ConcreteGaussPoint& gp, const ConcreteMaterial& material, const double de[3],
                              int selector, int mode, int step, bool formTangent = true,
                              ConcreteHysteresis* hysteresis = nullptr);

} // namespace torva::engine
