#pragma once
// The panel-major storage the blocked factorisation works in without copying: the columns of a skyline
// profile go in panels of kPanelWidth, and a panel is a rectangle of rows kPanelWidth values wide, from
// the highest top row among its columns down to its last column:
//
//     row top(p)       [ . . x x ... ]     one row: kPanelWidth terms, K(i, j0) .. K(i, j0 + 15)
//      ...             [ x x x x ... ]
//     row j0           [ d x x x ... ]     the diagonal block
//     row j0 + 15      [ . . . . . d ]
//
// Terms outside the profile (above a column's top, below the diagonal) are zero and stay zero: the
// kernel treats every column of a row alike. Rows are 128 bytes, so storage that starts 64-byte aligned
// keeps every row aligned. The matrix (assembled in this layout) and its factors use the same layout.
#include <cstdint>
#include <vector>

namespace torva::engine {

constexpr int kPanelWidth = 16;

class PanelLayout {
public:
    // Room for the panels of up to maxEquations equations.
    explicit PanelLayout(int maxEquations);

    // The panels of the profile with diagonal addresses D (ColumnSolve.h) over n equations.
    void Build(const int32_t* D, int n);

    int Equations() const { return n_; }
    // Doubles the storage takes.
    long Size() const { return base_[panels_]; }

    // Offset of K(i, j) from the storage's start, for top(j) <= i <= j: the layout's rectangle.
    long Address(int i, int j) const {
        const int p = (j - 1) / kPanelWidth;
        return base_[p] + long(i - top_[p]) * kPanelWidth + (j - 1) % kPanelWidth;
    }
    int Panels() const { return panels_; }
    long PanelStart(int p) const { return base_[p]; } // PanelStart(Panels()) == Size()
    // Offsets of the panels holding columns first .. last: [ColumnsBegin(first), ColumnsEnd(last)).
    long ColumnsBegin(int first) const { return base_[(first - 1) / kPanelWidth]; }
    long ColumnsEnd(int last) const { return base_[(last - 1) / kPanelWidth + 1]; }

    // The skyline profile (1-based, ColumnSolve.h) to this layout and back: for tests and tools, not
    // for the engine's steps.
    void Scatter(const double* profile, const int32_t* D, double* store) const;
    void Gather(const double* store, const int32_t* D, double* profile) const;

private:
    int n_ = 0, panels_ = 0;
    std::vector<int32_t> top_;  // top row of each panel
    std::vector<int64_t> base_; // offset of each panel's first row; base_[panels_]: the end
};

} // namespace torva::engine
