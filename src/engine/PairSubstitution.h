#pragma once
// Forward reduction and back-substitution of two right-hand sides in one pass over the factors of the
// skyline LDL' (the storage of ColumnSolve.h): an equilibrium iteration solves for its out-of-balance
// force and for the load pattern with the same factors, and the passes are bound by reading the
// factors from memory, so two vectors cost little more than one.
//
// The two vectors are interleaved: W[2i] and W[2i + 1] hold the i-th term of each (1-based i; W[0] and
// W[1] unused). The arithmetic is plain two-lane SSE2, the same on every processor; each vector gets the
// same operations in the same order as the other.
#include <cstdint>

namespace torva::engine {

// W becomes (K^-1 v1, K^-1 v2) for the factors A (factorised by ColumnSolve mode 1 or the blocked
// kernel) with diagonal addresses D over n equations.
void SubstitutePair(const double* A, double* W, const int32_t* D, int n);

} // namespace torva::engine
