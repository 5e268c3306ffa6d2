#include "analysis/SupportReactions.h"

#include "engine/Engine.h"

#include <algorithm>
#include <vector>

namespace torva {

namespace {

constexpr int kMasters = 3;

// Adds `value` at `dof` (1-based) or, for a tied dof, at the dofs it follows.
void AddAtDof(const engine::Engine& engine, int dof, double value, std::vector<double>& at) {
    for (int pair = 1; pair <= kMasters; ++pair) {
        const int master = engine.TieMaster(dof, pair);
        if (master != 0) at[size_t(master)] += engine.TieFactor(dof, pair) * value;
    }
}

// A dof without an equation that follows no other dof: held by a support.
bool Supported(const engine::Engine& engine, int dof) {
    return engine.EquationNumber(dof) == 0 && engine.TieMaster(dof, 1) == dof;
}

// The forces element e (1-based) takes from its nodes. In the elastic analysis the concrete stays
// linear and no matrix is formed again, so they are the element matrix times the displacements: the
// equations the engine solved, which the loads balance to round-off. (The stresses the engine keeps
// pass through principal axes with single-precision angles, which leaves some 1e-7 of unbalance.)
// Otherwise they are the forces of the states after the last update.
void ElementForces(const engine::Engine& engine, int e, double f[8]) {
    if (engine.Mode() != engine::kElasticMode || engine.Method() != engine::AnalysisMethod::Classic ||
        engine.Element(e).discrete != 0) {
        std::copy_n(engine.ElementForces(e), 8, f);
        return;
    }
    std::fill_n(f, 8, 0.0);
    for (int g = 1; g <= engine::kGaussPoints; ++g) {
        const engine::PlaneGaussGeometry& geometry = engine.Geometry(e, g);
        const engine::GaussPointState& state = engine.GaussPoint(e, g);
        double s[3];
        for (int i = 0; i < 3; ++i)
            s[i] = state.D[3 * i] * state.strain[0] + state.D[3 * i + 1] * state.strain[1] +
                   state.D[3 * i + 2] * state.strain[2];
        for (int a = 0; a < 4; ++a) {
            const double dx = geometry.dx[a], dy = geometry.dy[a];
            f[2 * a] += (dx * s[0] + dy * s[2]) * geometry.factor;
            f[2 * a + 1] += (dy * s[1] + dx * s[2]) * geometry.factor;
        }
    }
}

} // namespace

SupportReactions ComputeSupportReactions(const engine::Engine& engine) {
    SupportReactions out;
    if (!engine.Started()) return out;
    const int dofs = 2 * engine.NodeCount();
    std::vector<double> internal(size_t(dofs) + 1, 0.0), external(size_t(dofs) + 1, 0.0);
    for (int e = 1; e <= engine.ElementCount(); ++e) {
        const engine::ElementRecord& element = engine.Element(e);
        double force[8];
        ElementForces(engine, e, force);
        const double* gravity = engine.ElementGravityLoad(e);
        for (int l = 0; l < 8; ++l) {
            const int node = element.nodes[l / 2];
            if (node <= 0) continue;
            const int dof = 2 * (node - 1) + l % 2 + 1;
            AddAtDof(engine, dof, force[l], internal);
            AddAtDof(engine, dof, gravity[l], external);
            out.gravity[l % 2] += gravity[l];
        }
    }
    out.loadFactor = engine.LoadFactor();
    for (int r = 1; r <= engine.LoadCount(); ++r) {
        const engine::PointLoad& load = engine.Load(r);
        const double f[2] = {out.loadFactor * load.fx, out.loadFactor * load.fy};
        for (int d = 0; d < 2; ++d) {
            AddAtDof(engine, 2 * (load.node - 1) + d + 1, f[d], external);
            out.pointLoads[d] += f[d];
        }
    }
    for (int node = 1; node <= engine.NodeCount(); ++node) {
        NodeReaction reaction;
        reaction.node = node - 1;
        for (int d = 0; d < 2; ++d) {
            const int dof = 2 * (node - 1) + d + 1;
            if (!Supported(engine, dof)) continue;
            reaction.fixed[d] = true;
            reaction.force[d] = internal[size_t(dof)] - external[size_t(dof)];
            out.sum[d] += reaction.force[d];
        }
        if (reaction.fixed[0] || reaction.fixed[1]) out.nodes.push_back(reaction);
    }
    return out;
}

} // namespace torva
