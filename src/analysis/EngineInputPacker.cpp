#include "analysis/EngineInputPacker.h"

#include "engine/InputLayout.h"

namespace torva {
namespace {

constexpr int kTypeProperties = engine::InputLayout::kTypeProperties; // properties 0..6 of a type

int32_t WidenUnsigned(int16_t value) {
    return static_cast<int32_t>(static_cast<uint16_t>(value));
}

} // namespace

engine::InputLayout InputLayoutOf(const Mesh& mesh) {
    return engine::InputLayout({mesh.nodeCount, mesh.restraintCount, mesh.loadCount, mesh.concreteTypeCount,
                                mesh.rebarTypeCount, mesh.elementCount});
}

int EngineInputLength(const Mesh& mesh) {
    return InputLayoutOf(mesh).Length();
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
    const engine::InputLayout layout = InputLayoutOf(mesh);
    const int length = layout.Length();
    if (length > capacity) return -1;

    // Section by section; each starts where the layout puts it.
    int32_t* out = stream + layout.Header();
    *out++ = WidenUnsigned(model.elementKind);
    *out++ = mesh.nodeCount;
    *out++ = mesh.restraintCount;
    *out++ = mesh.loadCount;
    out = stream + layout.Nodes();
    for (int k = 0; k < mesh.nodeCount; ++k) {
        *out++ = mesh.nodeX[k];
        *out++ = mesh.nodeY[k];
    }
    out = stream + layout.Restraints();
    for (int r = 0; r < mesh.restraintCount; ++r) {
        *out++ = mesh.restraintNode[r] + 1;
        *out++ = mesh.restraintDir[r];
    }
    out = stream + layout.Gravity();
    *out++ = WidenUnsigned(model.gravity);

    out = stream + layout.ConcreteCount();
    *out++ = mesh.concreteTypeCount;
    for (int type = 1; type <= mesh.concreteTypeCount; ++type)
        for (int p = 0; p < kTypeProperties; ++p) *out++ = model.Prop(kConcreteLayer, type, p);
    out = stream + layout.RebarCount();
    *out++ = mesh.rebarTypeCount;
    for (int type = 1; type <= mesh.rebarTypeCount; ++type)
        for (int p = 0; p < kTypeProperties; ++p) *out++ = model.Prop(kRebarLayer, type, p);

    out = stream + layout.ElementCount();
    *out++ = mesh.elementCount;
    for (int e = 0; e < mesh.elementCount; ++e) {
        for (int corner = 0; corner < 4; ++corner) *out++ = mesh.ElementNode(e, corner) + 1;
        *out++ = mesh.elemConcreteType[e];
        *out++ = mesh.elemRebarType[e];
        *out++ = mesh.elemDiscrete[e];
        *out++ = mesh.elemFibreType[e];
        *out++ = mesh.elemOutputNo[e];
    }
    out = stream + layout.Loads();
    for (int l = 0; l < mesh.loadCount; ++l) {
        *out++ = mesh.loadNode[l] + 1;
        *out++ = mesh.loadFx[l];
        *out++ = mesh.loadFy[l];
    }

    out = stream + layout.Trailer();
    *out++ = mesh.controlNodeIndex + 1; // 0 when the model has no control node in the mesh
    *out++ = ControlDirectionOf(model.ctrlDirection);
    *out++ = WidenUnsigned(model.engineFlagA);
    *out++ = WidenUnsigned(model.engineFlagB);
    *out++ = ActiveOutputNumber(model);
    return length;
}

std::vector<int32_t> PackEngineInput(const Mesh& mesh, const CFramePat& model) {
    std::vector<int32_t> stream(EngineInputLength(mesh));
    PackEngineInput(mesh, model, stream.data(), static_cast<int>(stream.size()));
    return stream;
}

} // namespace torva
