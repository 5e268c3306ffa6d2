#include "analysis/EngineInputPacker.h"

namespace torva {
namespace {

constexpr int kTypeProperties = 7; // properties 0..6 of a concrete or rebar type

int32_t WidenUnsigned(int16_t value) {
    return static_cast<int32_t>(static_cast<uint16_t>(value));
}

} // namespace

int EngineInputLength(const Mesh& mesh) {
    return 13 + 2 * mesh.nodeCount + 2 * mesh.restraintCount + kTypeProperties * mesh.concreteTypeCount +
           kTypeProperties * mesh.rebarTypeCount + 9 * mesh.elementCount + 3 * mesh.loadCount;
}

int32_t ControlDirectionOf(int32_t ctrlDirection) {
    return ctrlDirection == 2 ? 2 : 1;
}

int32_t ActiveOutputNumber(const CFramePat& model) {
    int32_t number = 0;
    for (int slot = 0; slot < kOutputSlots; ++slot)
        if (model.outputElements[slot] >= 0 && model.outputElements[slot] == model.activeOutput)
            number = slot + 1;
    return number;
}

int PackEngineInput(const Mesh& mesh, const CFramePat& model, int32_t* stream, int capacity) {
    const int length = EngineInputLength(mesh);
    if (length > capacity) return -1;

    int32_t* out = stream;
    *out++ = WidenUnsigned(model.elementKind);
    *out++ = mesh.nodeCount;
    *out++ = mesh.restraintCount;
    *out++ = mesh.loadCount;
    for (int k = 0; k < mesh.nodeCount; ++k) {
        *out++ = mesh.nodeX[k];
        *out++ = mesh.nodeY[k];
    }
    for (int r = 0; r < mesh.restraintCount; ++r) {
        *out++ = mesh.restraintNode[r] + 1;
        *out++ = mesh.restraintDir[r];
    }
    *out++ = WidenUnsigned(model.gravity);

    *out++ = mesh.concreteTypeCount;
    for (int type = 1; type <= mesh.concreteTypeCount; ++type)
        for (int p = 0; p < kTypeProperties; ++p) *out++ = model.Prop(kConcreteLayer, type, p);
    *out++ = mesh.rebarTypeCount;
    for (int type = 1; type <= mesh.rebarTypeCount; ++type)
        for (int p = 0; p < kTypeProperties; ++p) *out++ = model.Prop(kRebarLayer, type, p);

    *out++ = mesh.elementCount;
    for (int e = 0; e < mesh.elementCount; ++e) {
        for (int corner = 0; corner < 4; ++corner) *out++ = mesh.ElementNode(e, corner) + 1;
        *out++ = mesh.elemConcreteType[e];
        *out++ = mesh.elemRebarType[e];
        *out++ = mesh.elemDiscrete[e];
        *out++ = mesh.elemFibreType[e];
        *out++ = mesh.elemOutputNo[e];
    }
    for (int l = 0; l < mesh.loadCount; ++l) {
        *out++ = mesh.loadNode[l] + 1;
        *out++ = mesh.loadFx[l];
        *out++ = mesh.loadFy[l];
    }

    *out++ = mesh.controlNodeIndex + 1; // 0 when the model has no control node in the mesh
    *out++ = ControlDirectionOf(model.ctrlDirection);
    *out++ = WidenUnsigned(model.engineFlagA);
    *out++ = WidenUnsigned(model.engineFlagB);
    *out++ = ActiveOutputNumber(model);
    return static_cast<int>(out - stream);
}

std::vector<int32_t> PackEngineInput(const Mesh& mesh, const CFramePat& model) {
    std::vector<int32_t> stream(EngineInputLength(mesh));
    PackEngineInput(mesh, model, stream.data(), static_cast<int>(stream.size()));
    return stream;
}

} // namespace torva
