// Writes a few model files made by the program itself into the folder given as argument.
#include "model/FramePat.h"
#include "model/ModelFile.h"

#include <cstdio>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) return std::fprintf(stderr, "usage: make_fuzz_seeds DIR\n"), 1;
    const std::string dir = argv[1];
    torva::FileError error;
    auto model = std::make_unique<torva::CFramePat>();
    bool ok = torva::SaveModelFile(dir + "/new.fem", *model, error);

    model->nxs = 5;
    model->nys = 4;
    for (int x = 2; x < 5; ++x)
        for (int y = 2; y < 4; ++y) model->Flag(x, y, torva::kConcreteLayer) = 1;
    model->Flag(2, 2, torva::kBoundaryLayer) = 1;
    model->Flag(5, 4, torva::kPointForceLayer) = 1;
    model->Prop(torva::kPointForceLayer, 1, 0) = 150000;
    model->controlNode = torva::PositionCode(5, 4);
    model->ctrlDirection = 1;
    model->segmentPoints[1] = 5000;
    model->LoadCurrentLayer();
    ok = ok && torva::SaveModelFile(dir + "/small-wall.fem", *model, error);
    if (!ok) return std::fprintf(stderr, "%s\n", error.Text().c_str()), 1;
    return 0;
}
