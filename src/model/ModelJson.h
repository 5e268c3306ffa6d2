#pragma once
// The readable model format: a JSON document with every field named and its unit in the name
// (span lengths in mm, strengths in MPa, areas in mm2 ...), layers as lists of cell ranges, the
// loading and the output elements included. It holds every value a .fem file holds, so a model read
// from a .fem file, written as JSON, read back and saved as .fem gives the same bytes. docs/
// model-format.md describes the fields.
//
// Values keep the resolution the model stores (strengths 0.01 MPa, moduli 1000 MPa, Poisson ratio
// 0.0001, loading points 0.001 mm); a value between two steps is refused rather than rounded.
#include "model/FramePat.h"
#include "model/ModelFile.h"

#include <cstdint>
#include <string>

namespace torva {

// The JSON text of a model (two-space indents, small records on one line, ending in a newline).
std::string WriteModelJson(const CFramePat& model);

// Reads a JSON model into `model`, which must be freshly constructed: fields the text leaves out keep
// their construction defaults. On failure returns false; error.detail names the place: "line L,
// column C: ..." for text that is not JSON, the field's path ("types.concrete[0].fc_MPa: ...") for a
// missing, unknown, mistyped or out-of-range field. `model` is then to be discarded.
bool ReadModelJson(const std::string& text, CFramePat& model, FileError& error);

} // namespace torva

namespace torva {

// The resolution of a named quantity of a type entry ("concrete", "fc_MPa"): the JSON value is the
// stored integer · mul / div. False for a name the format does not have.
bool ModelQuantityStep(const std::string& kind, const std::string& field, int64_t& mul, int64_t& div);

} // namespace torva
