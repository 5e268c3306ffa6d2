#pragma once
// The active-column (skyline) LDL' solver of the global stiffness. Arrays are 1-based (element 0
// unused): A is the profile of the upper triangle, column j stored from its diagonal upwards,
//
//      D(j)      : K(j, j)            column j of height h = D(j+1) - D(j) - 1
//      D(j) + 1  : K(j-1, j)
//        ...
//      D(j) + h  : K(j-h, j)          the top row of column j
//
// with D(1) = 1. Mode 1 factorises A = L' diag L in place; mode 2 reduces V and back-substitutes;
// mode 3 back-substitutes a V already reduced (divides by the pivots, then the backward pass).
// The factorisation stops at column j when its pivot is not greater than kPivotRatio times the
// column's diagonal term before factorisation (also when it is NaN): the matrix is singular to working
// precision or not positive definite, and that column is reported; columns after it are left
// unfactorised (the next few, up to the end of their group, may be partly reduced).
//
// Columns are paired, each pair's terms summed with 4-lane dot products; groups of pairs (four on
// processors with AVX2, whose lanes are one register; two otherwise) share each pass over a factorised
// column. Every kernel does the same arithmetic in the same order for every term, so the factors are
// bitwise identical whichever runs, and so are the substitutions.
#include <cstdint>

namespace torva::engine {

constexpr double kPivotRatio = 1e-11;

enum class SolverKernel { Automatic, Portable, Wide };

// The engine's factorisation: Blocked (BlockedFactor.h, the fastest, factors equal to round-off), or
// Reference (this file's kernels, whose factors are the same bits on every processor).
enum class FactorKernel { Reference, Blocked };

// Mode 1: returns 0 when the whole profile is factorised, else the failing column j (A(D(j)) then
// holds its pivot). With a `source`, A receives its columns one by one just before they are
// factorised (a factorised copy, the source left as it is). Modes 2 and 3: return 0.
int ColumnSolve(double* A, double* V, const int32_t* D, int n, int mode,
                SolverKernel kernel = SolverKernel::Automatic, const double* source = nullptr);

// Whether the wide kernel can run on this processor.
bool WideKernelAvailable();

} // namespace torva::engine
