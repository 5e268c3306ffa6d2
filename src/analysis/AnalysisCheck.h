#pragma once
// The one check before every analysis: a mesh the engine cannot analyse never reaches it.
//
// Refused, with a message that names the type and the value:
//   - a mesh without elements;
//   - a concrete type used by an element whose thickness, Ec, fc or peak strain is not positive, whose
//     ft is negative, or whose Poisson ratio lies outside 0 ≤ ν < 0.5;
//   - a rebar type used by an element whose spacing, yield strength (x or y) or Es is not positive, or
//     whose area (x or y) is negative;
//   - a negative gravity, which the stream would carry as a huge positive value;
//   - more nodes or elements than the engine holds (engine/EngineLimits.h).
// Type rows that no element uses are sent to the engine but never read, so they are not checked.
#include "analysis/Mesh.h"
#include "model/FramePat.h"

#include <string>

namespace torva {

// True when the scanned mesh of `model` can be analysed; otherwise `refusal` says why.
bool CheckAnalysable(const Mesh& mesh, const CFramePat& model, std::string& refusal);

} // namespace torva
