#pragma once
// The shown step's field as CSV: one row per Gauss point of every plane element, with its position and
// every quantity a result drawing shows (stresses in N/mm², strains in ‰, widths and displacements in
// mm; the displacement magnitude is the mean of the element's corners). A quantity the method does not
// compute is left empty. Elements and Gauss points count from 1, as the engine numbers them.
#include "analysis/ResultField.h"

#include <string>

namespace torva {

struct MeshView;

// The header line, without its line end.
std::string FieldCsvHeader();

// Node positions x, y in mm (the Gauss points are placed on them).
std::string FieldCsv(const ResultField& field, const MeshView& mesh, const double* nodeX,
                     const double* nodeY);

// Writes FieldCsv to `path` as a whole (model/AtomicFile.h); false with `error` on failure.
bool WriteFieldCsv(const std::string& path, const ResultField& field, const MeshView& mesh,
                   const double* nodeX, const double* nodeY, std::string& error);

} // namespace torva
