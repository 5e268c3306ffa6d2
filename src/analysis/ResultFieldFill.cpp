#include "analysis/ResultFieldFill.h"

#include "analysis/MeshView.h"
#include "engine/Engine.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace torva {

namespace {

constexpr double kQuarterTurn = std::numbers::pi / 2;

// FillFromResults for `elements` elements, isPlane(e) telling the plane ones.
template <class IsPlane>
void FillElements(const engine::ResultView& results, int elements, IsPlane isPlane, ResultField& field) {
    const auto& layout = results.Layout();
    elements = std::min(layout.Elements(), elements);
    field.Resize(elements, layout.Nodes());
    for (int k = 0; k < layout.Nodes(); ++k) {
        field.ux[size_t(k)] = results.Displacement(k, 0);
        field.uy[size_t(k)] = results.Displacement(k, 1);
    }
    for (int e = 0; e < elements; ++e) {
        field.plane[size_t(e)] = isPlane(e);
        for (int g = 0; g < 9; ++g) {
            PointResult& p = field.Point(e, g);
            p.s1 = results.Gauss(e, g, 0);
            p.s2 = results.Gauss(e, g, 1);
            p.angle = results.Gauss(e, g, 2);
            p.crackAngle = p.angle + kQuarterTurn;
        }
    }
    field.hasResults = true;
}

void FillBarDirections(const engine::Engine& engine, const MeshView& mesh, ResultField& field) {
    const int elements = std::min({field.elements, engine.ElementCount(), mesh.elementCount});
    for (int e = 0; e < elements; ++e)
        field.bars[size_t(e)] = field.plane[size_t(e)] ? BarDirections(engine, e) : 0;
}

} // namespace

uint8_t BarDirections(const engine::Engine& engine, int e) {
    const engine::ElementRecord& record = engine.Element(e + 1);
    if (record.rebarType <= 0 || record.concreteType <= 0) return 0;
    const engine::RebarType& r = engine.Rebar(record.rebarType);
    if (!(engine.Concrete(record.concreteType).thickness > 0)) return 0;
    uint8_t bits = 0;
    if (r.Ax > 0 && r.sx > 0) bits |= 1;
    if (r.Ay > 0 && r.sy > 0) bits |= 2;
    return bits;
}

void PrincipalStrains(const double strain[3], double& e1, double& e2) {
    const double mean = (strain[0] + strain[1]) / 2;
    const double radius = std::hypot((strain[0] - strain[1]) / 2, strain[2] / 2);
    e1 = mean + radius;
    e2 = mean - radius;
}

PointCondition ClassicCondition(const engine::ConcreteGaussPoint& concrete) {
    PointCondition condition = concrete.crack != 0 ? PointCondition::Cracked : PointCondition::Intact;
    for (const engine::ConcreteDirection& d : concrete.dir) {
        if (d.epk < 0 && d.eps < 2 * d.epk)
            condition = PointCondition::Crushed;
        else if (d.epk < 0 && d.eps < d.epk && condition != PointCondition::Crushed)
            condition = PointCondition::PastPeak;
    }
    return condition;
}

bool BarYielded(double stress, double fy) {
    return fy > 0 && std::fabs(stress) >= fy * (1 - 1e-9);
}

void FillFromResults(const engine::ResultView& results, const MeshView& mesh, ResultField& field) {
    FillElements(
        results, mesh.elementCount, [&](int e) { return mesh.elemDiscrete[e] == 0; }, field);
}

void FillFromResults(const engine::ResultView& results, std::span<const uint8_t> plane, ResultField& field) {
    FillElements(
        results, int(plane.size()), [&](int e) { return plane[size_t(e)] != 0; }, field);
}

void FillFromClassicEngine(const engine::Engine& engine, const MeshView& mesh, ResultField& field) {
    const int elements = std::min({field.elements, engine.ElementCount(), mesh.elementCount});
    for (int e = 0; e < elements; ++e) {
        if (!field.plane[size_t(e)]) continue;
        const engine::ElementRecord& record = engine.Element(e + 1);
        const engine::RebarType* rebar = record.rebarType > 0 ? &engine.Rebar(record.rebarType) : nullptr;
        for (int g = 0; g < 9; ++g) {
            const engine::GaussPointState& state = engine.GaussPoint(e + 1, g + 1);
            PointResult& p = field.Point(e, g);
            PrincipalStrains(state.strain, p.e1, p.e2);
            p.crackOpen = state.concrete.crack != 0;
            p.cracked = p.crackOpen;
            p.crackAngle = p.angle + kQuarterTurn;
            p.condition = ClassicCondition(state.concrete);
            if (rebar) {
                const double fy[2] = {rebar->fyx, rebar->fyy};
                for (int d = 0; d < 2; ++d) {
                    p.barStress[d] = state.rebar.barStress[d];
                    p.yielded[d] = BarYielded(p.barStress[d], fy[d]);
                }
            }
        }
    }
    FillBarDirections(engine, mesh, field);
    field.hasStrains = true;
    field.hasBars = true;
    field.iterated = false;
}

void FillReactions(const engine::Engine& engine, ResultField& field) {
    field.reactions = ComputeSupportReactions(engine);
    field.hasReactions = engine.Started();
}

namespace {

void CopyMcftPoint(const engine::McftPoint& m, PointResult& p) {
    p.s1 = m.f1;
    p.s2 = m.f2;
    p.angle = m.theta;
    p.e1 = m.e1;
    p.e2 = m.e2;
    p.cracked = m.cracked;
    p.crackOpen = m.cracked && m.crackWidth > 0;
    p.crackAngle = m.theta + kQuarterTurn;
    p.crackWidth = m.crackWidth;
    p.condition = static_cast<PointCondition>(m.condition);
    for (int d = 0; d < 2; ++d) {
        p.barStress[d] = m.barStress[d];
        p.yielded[d] = m.yielded[d];
    }
}

} // namespace

void FillFromMcft(std::span<const engine::McftPoint> points, ResultField& field) {
    const size_t count = std::min(points.size(), field.points.size());
    for (size_t i = 0; i < count; ++i) CopyMcftPoint(points[i], field.points[i]);
    // Without the engine's element records every plane element counts as reinforced both ways.
    for (int e = 0; e < field.elements; ++e) field.bars[size_t(e)] = field.plane[size_t(e)] ? 3 : 0;
    field.hasStrains = field.hasCrackWidths = field.hasBars = true;
    field.iterated = true;
}

void FillFromEngine(const engine::Engine& engine, const MeshView& mesh, ResultField& field) {
    FillReactions(engine, field);
    const engine::IterativeSolver* solver = engine.Iterative();
    if (engine.Method() != engine::AnalysisMethod::Mcft || !solver)
        return FillFromClassicEngine(engine, mesh, field);
    // The joints of zero-width columns and rows have no concrete points: they keep their stresses.
    const int elements = std::min({field.elements, engine.ElementCount(), mesh.elementCount});
    for (int e = 0; e < elements; ++e) {
        if (!field.plane[size_t(e)]) continue;
        for (int g = 0; g < 9; ++g) CopyMcftPoint(solver->Point(e + 1, g + 1), field.Point(e, g));
    }
    FillBarDirections(engine, mesh, field);
    field.hasStrains = field.hasCrackWidths = field.hasBars = true;
    field.iterated = true;
}

} // namespace torva
