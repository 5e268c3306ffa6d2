#pragma once
// The engine input stream of a scanned mesh and the model it was scanned from, in the model's scaled
// units, laid out as engine::InputLayout says. The 16-bit model values (elementKind, gravity and the two
// model selectors) are widened without sign. The control direction is 2 (y) when the model holds 2 and
// 1 (x) for every other value, so a push-over always has a direction.
#include "analysis/Mesh.h"
#include "engine/EngineLimits.h"
#include "model/FramePat.h"

#include <cstdint>
#include <vector>

namespace torva {

// Room of the program's stream buffer; a full 60 × 60 plan needs fewer than 60,000 entries.
constexpr int kEngineInputCapacity = engine::kInputStreamSize;

// Number of entries the stream of this mesh takes.
int EngineInputLength(const Mesh& mesh);

// The stream's control direction for a model's ctrlDirection.
int32_t ControlDirectionOf(int32_t ctrlDirection);

// The active output number: 1 + the highest slot holding a code ≥ 0 equal to activeOutput, else 0.
int32_t ActiveOutputNumber(const CFramePat& model);

// Writes the stream into stream[0 .. length − 1] and returns the length; entries after it are left
// alone. Returns −1 and writes nothing when `capacity` is too small.
int PackEngineInput(const Mesh& mesh, const CFramePat& model, int32_t* stream, int capacity);

// The stream as a vector of exactly EngineInputLength(mesh) entries.
std::vector<int32_t> PackEngineInput(const Mesh& mesh, const CFramePat& model);

} // namespace torva
