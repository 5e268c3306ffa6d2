#include "engine/RebarModel.h"

#include "engine/FreshRecord.h"

namespace torva::engine {

void InitRebarGaussPoint(RebarGaussPoint& gp, const RebarMaterial* material) {
    ResetRecord(gp);
    if (material == nullptr) return;
    for (int k = 0; k < 2; ++k) InitBarLawHistory(gp.law[k], material->Es);
}

bool UpdateRebarGaussPoint(RebarGaussPoint& gp, const RebarMaterial& material, const double strain[3],
                           const double de[3], int selector, int step, double rebarStress[3]) {
    bool changed = selector == 2;
    for (int k = 0; k < 2; ++k) {
        // The bar stress is kept as such (not recovered from rho · stress), so a bar direction
        // without area stays well defined.
        if (selector != 1 && selector != 2) {
            gp.barStress[k] += material.Es * de[k];
            continue;
        }
        BarLawInput in;
        in.e = strain[k] - de[k];
        in.sp = gp.barStress[k];
        in.de = de[k];
        in.Ede = material.Es * de[k];
        in.E = material.Es;
        in.fy = material.fy[k];
        in.ey = material.fy[k] / material.Es;
        in.step = step;
        LawResult out;
        if (selector == 1) {
            BilinearSteelLaw(in, gp.law[k], out);
            changed = changed || out.branchChanged;
        } else {
            CurvedSteelLaw(in, gp.law[k], out);
        }
        gp.barStress[k] += out.dStress;
    }
    rebarStress[0] = material.rho[0] * gp.barStress[0];
    rebarStress[1] = material.rho[1] * gp.barStress[1];
    rebarStress[2] = 0.0;
    return changed;
}

void RebarTangent(const RebarGaussPoint& gp, const RebarMaterial& material, double Ds[9]) {
    for (int i = 0; i < 9; ++i) Ds[i] = 0.0;
    Ds[0] = material.rho[0] * gp.law[0].tangent;
    Ds[4] = material.rho[1] * gp.law[1].tangent;
}

} // namespace torva::engine
