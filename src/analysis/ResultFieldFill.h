#pragma once
// Fills a ResultField from what the engine keeps: the result buffer (principal stresses, displacements)
// and, for the classic method, the Gauss-point states of the last step (strains, crack flags, bars),
// or the iterative method's material points. Engine element e + 1 is mesh element e.
#include "analysis/ResultField.h"
#include "engine/ConcreteModel.h"
#include "engine/McftMaterial.h"
#include "engine/ResultLayout.h"

#include <cstdint>
#include <span>

namespace torva {

namespace engine {
class Engine;
}
struct MeshView;

// Principal stresses and their angle, displacements; every element with Gauss values counts as plane
// unless the mesh marks it discrete.
void FillFromResults(const engine::ResultView& results, const MeshView& mesh, ResultField& field);

// Principal strains of (ex, ey, γxy), engineering shear.
void PrincipalStrains(const double strain[3], double& e1, double& e2);
// How far the concrete of a classic Gauss point has gone (see FillFromClassicEngine).
PointCondition ClassicCondition(const engine::ConcreteGaussPoint& concrete);
// Which directions of mesh element e have bars (bit 0 x, bit 1 y): a rebar type with bars of some area
// and spacing in that direction, in an element whose concrete has a thickness to smear them over (as
// both methods take them).
uint8_t BarDirections(const engine::Engine& engine, int e);
// A bar stress at its yield strength fy (none without one).
bool BarYielded(double stress, double fy);

// The same with a plane flag per element (1: concrete results) in place of the mesh.
void FillFromResults(const engine::ResultView& results, std::span<const uint8_t> plane, ResultField& field);

// After FillFromResults: the classic engine's states of the last step. A crack is open while its
// point reports one (the crack line runs across the first principal stress); concrete whose
// compressive strain has passed the peak strain is past peak, past twice that crushed; a bar whose
// stress has reached its yield strength has yielded. A direction without bars (no rebar type, no area
// or spacing in it, or no concrete thickness to smear them over) is marked as such in field.bars.
void FillFromClassicEngine(const engine::Engine& engine, const MeshView& mesh, ResultField& field);

// The supports' reactions in the engine's state of its last step (either method).
void FillReactions(const engine::Engine& engine, ResultField& field);

// After FillFromResults (for the displacements): the iterative method's points, 9 per element in mesh
// order; they replace the stresses with the concrete's principal stresses along e1 and e2.
void FillFromMcft(std::span<const engine::McftPoint> points, ResultField& field);

// After FillFromResults: the states of the step the engine holds, by the method its analysis was
// started with (the iterative method's points of the plane elements, or the classic engine's states),
// and the supports' reactions.
void FillFromEngine(const engine::Engine& engine, const MeshView& mesh, ResultField& field);

} // namespace torva
