#include "analysis/FibreSheetNote.h"

namespace torva {

int FibreSheetCellCount(const CFramePat& model) {
    // Element positions only: rows and columns 0 and 1 carry the span labels.
    int count = 0;
    for (int x = 2; x < model.nxs && x < kGridSize; ++x)
        for (int y = 2; y < model.nys && y < kGridSize; ++y)
            if (model.Flag(x, y, kFibreLayer) == 1) ++count;
    return count;
}

std::string FibreSheetNote(const CFramePat& model) {
    const int cells = FibreSheetCellCount(model);
    if (cells == 0) return "";
    return "Fibre sheets are not analysed: the fibre sheet on " + std::to_string(cells) +
           (cells == 1 ? " cell" : " cells") + " is left out.";
}

} // namespace torva
