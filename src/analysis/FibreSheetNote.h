#pragma once
// Fibre sheets can be drawn and edited, but the analysis leaves them out: this is the one-line note
// an analysed model with fibre-sheet cells carries.
#include "model/FramePat.h"

#include <string>

namespace torva {

// Element positions of the frame whose fibre-sheet cell is set.
int FibreSheetCellCount(const CFramePat& model);

// "" without fibre-sheet cells, else the note naming how many cells are left out.
std::string FibreSheetNote(const CFramePat& model);

} // namespace torva
