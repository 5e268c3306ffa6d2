#pragma once
// The engine input stream: the whole problem as one array of 32-bit integers, in the model's scaled
// units, written from a scanned mesh and the model it was scanned from. Layout, from entry 0:
//
//   elementKind, N, R, L                               header (N nodes, R restraints, L loads)
//   x, y                          × N                  node coordinates, mm
//   node, direction code          × R                  1-based node, RestraintCode
//   gravity                                            m/sec2 ×100
//   NC, then 7 concrete properties × NC                types 1..NC, unused numbers included
//   NS, then 7 rebar properties    × NS                types 1..NS
//   E,  then n1 n2 n3 n4 concrete rebar discrete fibre output × E
//   node, Fx, Fy                  × L                  N ×100
//   control node (1-based, 0 none), control direction (1 x, 2 y), concrete model, rebar model,
//   active output number (0 none)
//
// Length: 13 + 2N + 2R + 7·NC + 7·NS + 9·E + 3L. The 16-bit model values (elementKind, gravity and the
// two model selectors) are widened without sign. The control direction is 2 (y) when the model holds 2
// and 1 (x) for every other value, so a push-over always has a direction.
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
