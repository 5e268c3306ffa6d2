#pragma once
// Small models for the analysis tests, built the way the plan editor leaves them.
#include "analysis/Mesh.h"
#include "model/FramePat.h"

#include <memory>

namespace torva::test {

// A new model with an nx × ny grid and nothing placed.
inline std::unique_ptr<CFramePat> GridModel(int nx, int ny) {
    auto model = std::make_unique<CFramePat>();
    model->nxs = nx + 2;
    model->nys = ny + 2;
    model->Reset();
    return model;
}

// Marks grid node or element (i, j) (model position (i + 2, j + 2)) on a layer with a type.
inline void Place(CFramePat& model, int i, int j, int layer, int type = 1) {
    model.Flag(i + 2, j + 2, layer) = 1;
    model.Type(i + 2, j + 2, layer) = static_cast<uint8_t>(type);
}

// Concrete elements at every element position.
inline void FillConcrete(CFramePat& model, int type = 1) {
    for (int i = 0; i < model.nxs - 2; ++i)
        for (int j = 0; j < model.nys - 2; ++j) Place(model, i, j, kConcreteLayer, type);
}

inline std::unique_ptr<Mesh> ScannedMesh(const CFramePat& model, int sizeMode = kActualSize) {
    auto mesh = std::make_unique<Mesh>();
    mesh->Build(model, sizeMode);
    return mesh;
}

} // namespace torva::test
