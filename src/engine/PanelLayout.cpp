// Panel tops and offsets of the panel-major storage, and conversions from and to the skyline profile.
#include "engine/PanelLayout.h"

#include <algorithm>

namespace torva::engine {

PanelLayout::PanelLayout(int maxEquations)
    : top_(maxEquations / kPanelWidth + 2), base_(maxEquations / kPanelWidth + 3) {}

void PanelLayout::Build(const int32_t* D, int n) {
    n_ = n;
    panels_ = (n + kPanelWidth - 1) / kPanelWidth;
    base_[0] = 0;
    for (int p = 0; p < panels_; ++p) {
        const int first = p * kPanelWidth + 1, last = std::min(n, first + kPanelWidth - 1);
        int top = first;
        for (int j = first; j <= last; ++j) top = std::min(top, j - (D[j + 1] - D[j] - 1));
        top_[p] = top;
        base_[p + 1] = base_[p] + long(first + kPanelWidth - top) * kPanelWidth;
    }
}

void PanelLayout::Scatter(const double* profile, const int32_t* D, double* store) const {
    std::fill_n(store, Size(), 0.0);
    for (int j = 1; j <= n_; ++j)
        for (int p = D[j]; p < D[j + 1]; ++p) store[Address(j - (p - D[j]), j)] = profile[p];
}

void PanelLayout::Gather(const double* store, const int32_t* D, double* profile) const {
    for (int j = 1; j <= n_; ++j)
        for (int p = D[j]; p < D[j + 1]; ++p) profile[p] = store[Address(j - (p - D[j]), j)];
}

} // namespace torva::engine
