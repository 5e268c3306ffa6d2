#pragma once
// What an engineer reads of one element at the shown step, as text: the one-line summary the status
// bar shows while the mouse is over it, and the rows of its table (its nodes' displacements, its Gauss
// points' stresses, strains, cracks and bars). Every number carries its unit; only the quantities the
// method computed appear.
#include "analysis/MeshView.h"
#include "analysis/ResultField.h"

#include <string>
#include <vector>

namespace torva {

// Three significant figures, at most three decimals, with a true minus sign: "312", "−8.40", "0.12",
// "0.004".
std::string FormatNumber(double value);

// How the element is named: its number from 1 and its plan position, "E12 (x 3, y 5)".
std::string ElementLabel(int element, int planX, int planY);

// "E12 (x 3, y 5) point 5: σ1 1.23 N/mm², σ2 −8.40 N/mm², crack 0.12 mm, fsx 312 N/mm²" for Gauss point
// g (0..8) of the field's element `element` (−1: none of the field's), named `label`; without results,
// or with results that no longer belong to the model, says so instead of giving numbers.
std::string ProbeText(const ResultField& field, int element, int gauss, const std::string& label,
                      bool outOfDate);

struct ReadoutTable {
    std::vector<std::string> header; // with units
    std::vector<std::vector<std::string>> rows;
    // What a cell means where its text alone does not say (a "—" that is no value, a number that
    // needs its reason): tips[r][c] for rows[r][c], "" or missing for none; headerTips likewise.
    std::vector<std::vector<std::string>> tips;
    std::vector<std::string> headerTips;
    std::string note; // a line under the table ("" for none)

    // The tip of a cell ("" for none).
    const std::string& Tip(size_t row, size_t column) const;
};

// The text of a quantity that has no value here (a bar stress where the element has no bars).
inline constexpr const char* kNoValueText = "\u2014";

// One row per corner: "n1".."n4", the mesh node number from 1, its position and displacements, mm.
ReadoutTable NodeTable(const ResultField& field, const MeshView& mesh, const double* x, const double* y,
                       int element);
// One row per Gauss point 1..9: σx, σy, τxy, σ1, σ2 (N/mm²), ε1, ε2 (‰), the crack (mm, or its state
// where the method gives no width), the worst state the concrete has reached (intact, cracked, past
// peak, crushed) and the bar stresses (N/mm², "yielded" marked; "—" with its reason in a direction
// without bars).
ReadoutTable GaussTable(const ResultField& field, int element);

// One row per support node: its number from 1, position (mm) and the reaction of each fixed direction
// (kN); then the sum of the reactions, the loads applied (gravity and the point loads times the load
// factor) and what the two leave out of balance, in x and y. `iterated`: the method iterated the step
// to equilibrium; without, the out-of-balance row is starred, and the note (also its tip) says why it
// can be large.
ReadoutTable ReactionTable(const SupportReactions& reactions, const MeshView& mesh, bool iterated);

// The row label and tip of the out-of-balance forces.
inline constexpr const char* kOutOfBalanceText = "out of balance";
inline constexpr const char* kOutOfBalanceClassicText = "out of balance *";

} // namespace torva
