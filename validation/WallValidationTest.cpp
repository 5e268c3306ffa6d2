// Wall validation of the iterative method: the push-over capacity of two cantilever walls against a
// sectional flexural analysis written here (plane sections, the compression parabola of the concrete
// model with fc and eps0, no concrete tension, elastic–perfectly plastic bars, the axial load of the
// wall's own weight), the yield plateau, and the capacity's independence of the number of steps.
//   slender wall   1000 × 4000 mm, 200 mm thick, bars 100 mm2 at 200 mm both ways, pushed at the top
//   shear wall     the bundled example (examples/shear-wall.fem), its load pattern pushed to 400 mm
// Capacities within 15 % of the sectional analysis; halving or doubling the steps changes them by at
// most 5 %; every run reaches its target displacement.
#include "EngineTestModels.h"
#include "analysis/EngineInputPacker.h"
#include "analysis/Mesh.h"
#include "engine/Engine.h"
#include "model/FramePat.h"
#include "model/ModelIo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace torva::validation {
namespace {

using engine::AnalysisMethod;
using engine::RunStatus;

// One strip of a wall section: its centre, its width and thickness, and its smeared vertical bars.
struct Strip {
    double x = 0, width = 0, thickness = 0, rho = 0;
};

struct SectionMaterial {
    double fc = 0, eps0 = 0, fy = 0, Es = 0;
};

// Axial force (compression positive) and moment about x = centre of a plane strain field
// eps(x) = top + curvature (x - xTop), compression positive; 200 fibres a strip.
void SectionForces(const std::vector<Strip>& strips, const SectionMaterial& m, double compressedEdge,
                   double edgeStrain, double curvature, double centre, double& N, double& M) {
    N = M = 0.0;
    for (const Strip& s : strips) {
        constexpr int kFibres = 200;
        const double w = s.width / kFibres;
        for (int f = 0; f < kFibres; ++f) {
            const double x = s.x - s.width / 2 + (f + 0.5) * w;
            const double eps = edgeStrain - curvature * std::fabs(x - compressedEdge);
            double concrete = 0.0;
            if (eps > 0.0 && eps < 2.0 * m.eps0) {
                const double r = eps / m.eps0;
                concrete = m.fc * (2.0 * r - r * r);
            }
            const double bar = std::clamp(m.Es * eps, -m.fy, m.fy);
            const double force = (concrete + s.rho * bar) * w * s.thickness;
            N += force;
            M += force * (compressedEdge < centre ? centre - x : x - centre);
        }
    }
}

// The largest moment the section carries under axial load N, compressed at `compressedEdge`: for
// each extreme fibre strain up to 2 eps0, the curvature that balances N (bisection), and its moment.
double SectionCapacity(const std::vector<Strip>& strips, const SectionMaterial& m, double compressedEdge,
                       double centre, double N) {
    double best = 0.0;
    double length = 0.0;
    for (const Strip& s : strips) length = std::max(length, std::fabs(s.x - compressedEdge) + s.width / 2);
    for (int k = 1; k <= 400; ++k) {
        const double edge = 2.0 * m.eps0 * k / 400.0;
        double low = 0.0, high = 1.0; // curvature: N falls as it grows
        for (int i = 0; i < 200; ++i) {
            const double mid = 0.5 * (low + high);
            double n, moment;
            SectionForces(strips, m, compressedEdge, edge, mid * edge / length * 50.0, centre, n, moment);
            (n > N ? low : high) = mid;
        }
        double n, moment;
        SectionForces(strips, m, compressedEdge, edge, low * edge / length * 50.0, centre, n, moment);
        if (std::fabs(n - N) < 1e-3 * std::max(1.0, std::fabs(N))) best = std::max(best, moment);
    }
    return best;
}

struct PushoverResult {
    double peak = 0;      // largest control force, N
    double atPeak = 0;    // control displacement there, mm
    double lastForce = 0; // at the last converged step
    double lastDisplacement = 0;
    double firstReaching = 0; // control displacement where the force first reached 0.9 of the peak
    int steps = 0, iterations = 0, status = 0;
    int medianIterations = 0, maxIterations = 0; // per step
};

PushoverResult Pushover(const std::vector<int32_t>& stream, double target, int steps) {
    engine::Engine engine;
    PushoverResult r;
    std::vector<std::pair<double, double>> curve;
    std::vector<int> perStep;
    for (int s = 1; s <= steps; ++s) {
        const RunStatus status =
            s == 1 ? engine.Start(stream, engine::kPushoverMode, target / steps, AnalysisMethod::Mcft)
                   : engine.Step(target / steps);
        if (status != RunStatus::Done) {
            r.status = engine::StatusCode(status);
            break;
        }
        r.steps = s;
        perStep.push_back(engine.Iterative()->LastRecord().iterations);
        r.iterations += perStep.back();
        curve.emplace_back(engine.Results().ControlDisplacement(), engine.Results().ControlForce());
    }
    for (const auto& [u, f] : curve)
        if (std::fabs(f) > r.peak) r.peak = std::fabs(f), r.atPeak = std::fabs(u);
    for (const auto& [u, f] : curve)
        if (std::fabs(f) >= 0.9 * r.peak) {
            r.firstReaching = std::fabs(u);
            break;
        }
    if (!perStep.empty()) {
        std::sort(perStep.begin(), perStep.end());
        r.medianIterations = perStep[perStep.size() / 2];
        r.maxIterations = perStep.back();
    }
    if (!curve.empty())
        r.lastForce = std::fabs(curve.back().second), r.lastDisplacement = std::fabs(curve.back().first);
    return r;
}

void Report(const char* name, double sectional, const PushoverResult& r) {
    std::printf("%s: sectional %.1f kN, analysis %.1f kN (ratio %.3f) at %.1f mm, last step %d at %.1f mm "
                "%.1f kN, 0.9 peak first at %.1f mm, %d iterations (per step median %d, max %d), status %d\n",
                name, sectional / 1000, r.peak / 1000, r.peak / sectional, r.atPeak, r.steps,
                r.lastDisplacement, r.lastForce / 1000, r.firstReaching, r.iterations, r.medianIterations,
                r.maxIterations, r.status);
}

// The capacity, the plateau (the force stays above 0.9 of the peak over at least twice the
// displacement at which it first got there) and the step-size independence.
void CheckWall(const char* name, const std::vector<int32_t>& stream, double target, int steps,
               double sectional) {
    const PushoverResult normal = Pushover(stream, target, steps);
    Report(name, sectional, normal);
    EXPECT_EQ(normal.status, 0) << name;
    EXPECT_EQ(normal.steps, steps) << name;
    EXPECT_NEAR(normal.peak / sectional, 1.0, 0.15) << name;
    EXPECT_GE(normal.lastForce, 0.9 * normal.peak) << name;
    EXPECT_GE(normal.lastDisplacement, 2.0 * normal.firstReaching) << name;
    for (const int other : {steps / 2, 2 * steps}) {
        const PushoverResult r = Pushover(stream, target, other);
        Report(name, sectional, r);
        EXPECT_EQ(r.steps, other) << name << " in " << other << " steps";
        EXPECT_NEAR(r.peak / normal.peak, 1.0, 0.05) << name << " in " << other << " steps";
    }
}

TEST(WallValidation, SlenderCantileverWall) {
    engine::test::GridModel m(std::vector<int>(4, 250), std::vector<int>(16, 250));
    m.rebar.push_back(engine::test::kWallRebar);
    m.SetRebar(1);
    m.RestrainRow(16, 12); // gravity acts towards +y: the wall stands on its last node line
    m.LoadNode(0, 0, 100000, 0);
    m.controlNode = m.Node(0, 0);
    m.controlDirection = 1;
    m.gravity = 981;
    // Concrete 200 mm, fc 30, eps0 0.002; bars 100 mm2 at 200 mm: rho 0.0025, fy 400, Es 200000.
    const SectionMaterial material{30.0, 0.002, 400.0, 200000.0};
    const std::vector<Strip> section{{500.0, 1000.0, 200.0, 100.0 / 200.0 / 200.0}};
    const double weight = 2400.0 * 1e-9 * 9.81 * 1000.0 * 4000.0 * 200.0; // N
    const double capacity = SectionCapacity(section, material, 0.0, 500.0, weight) / 4000.0;
    CheckWall("slender wall", m.Stream(), 80.0, 100, capacity);
}

TEST(WallValidation, BundledShearWall) {
    auto model = std::make_unique<CFramePat>();
    FileError error;
    ASSERT_TRUE(
        LoadModel(std::string(TORVA_VALIDATION_SOURCE_DIR) + "/examples/shear-wall.fem", *model, error));
    Mesh mesh;
    mesh.Build(*model, kActualSize);
    const std::vector<int32_t> stream = PackEngineInput(mesh, *model);

    // The sections: columns 750, 750, 1000 (window), 1000, 1000 (window), 750, 750 mm; vertical bars
    // D16 at 100 in the edge columns, D10 at 200 elsewhere; 200 mm thick. The full base section and
    // the section through the first windows (at 750 mm, three piers) with the weight above each.
    const double widths[7] = {750, 750, 1000, 1000, 1000, 750, 750};
    const double rho[7] = {201.06 / 100 / 200, 78.54 / 200 / 200, 78.54 / 200 / 200, 78.54 / 200 / 200,
                           78.54 / 200 / 200,  78.54 / 200 / 200, 201.06 / 100 / 200};
    std::vector<Strip> base, windows;
    double x = 0.0;
    for (int c = 0; c < 7; ++c) {
        base.push_back({x + widths[c] / 2, widths[c], 200.0, rho[c]});
        if (c != 2 && c != 4) windows.push_back(base.back());
        x += widths[c];
    }
    // Weight: 6 m × 30 m less 20 windows of 1 × 1.5 m, 0.2 m thick, 2400 kg/m3.
    const double unit = 2400.0 * 9.81 * 0.2;               // N per m2 of wall
    const double total = unit * (6.0 * 30.0 - 20 * 1.5);   // N
    const double aboveWindows = total - unit * 6.0 * 0.75; // above the sill row
    // Moments of the pattern (10 kN × floor at 3 m × floor) per unit load factor.
    double baseMoment = 0.0, windowMoment = 0.0;
    for (int floor = 1; floor <= 10; ++floor) {
        baseMoment += 10000.0 * floor * 3000.0 * floor;
        windowMoment += 10000.0 * floor * (3000.0 * floor - 750.0);
    }
    const SectionMaterial material{30.0, 0.002, 400.0, 200000.0};
    // Pushed towards +x at the left edge: the right edge (x = 6000) is compressed.
    const double factor =
        std::min(SectionCapacity(base, material, 6000.0, 3000.0, total) / baseMoment,
                 SectionCapacity(windows, material, 6000.0, 3000.0, aboveWindows) / windowMoment);
    CheckWall("shear wall", stream, 400.0, 100, factor * 550000.0);
}

} // namespace
} // namespace torva::validation
