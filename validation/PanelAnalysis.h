#pragma once
// A single membrane panel loaded along a proportional path (sx, sy, txy) = lambda (a, b, 1), followed
// under shear strain control so that the analysis passes the peak: at each imposed shear strain the
// normal strains and the load factor are found by total-load secant iterations with the material
// point's secant matrix. The strength is the largest load factor (shear stress) reached.
#include "engine/McftMaterial.h"

#include <string>
#include <vector>

namespace torva::validation {

struct PanelPath {
    double normalPerShear[2] = {0, 0}; // a = sx / txy, b = sy / txy
};

struct CurvePoint {
    double gxy, shear;
};

struct PanelResult {
    double strength = 0;     // peak shear stress, N/mm2
    double strainAtPeak = 0; // shear strain at the peak
    // Which bar directions yielded before the concrete crushed (passed its peak strain) or, without
    // crushing, before the analysis ended (strain limit, or the load fell to 70 % of the peak).
    bool yielded[2] = {false, false};
    bool crushed = false;
    int maxIterations = 0; // most secant iterations any strain step needed
    bool converged = true; // the steps converged up to and past the peak
    std::vector<CurvePoint> curve;

    // "YXY" both bar directions yield, "YX" / "YY" one direction yields, "C" neither: the concrete
    // crushes first.
    std::string Mode() const;
};

PanelResult AnalysePanel(const engine::McftMaterial& material, const PanelPath& path,
                         double strainStep = 2e-5, double maxShearStrain = 0.03);

} // namespace torva::validation
