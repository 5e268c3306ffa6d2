#include "analysis/TextExport.h"

#include "analysis/FixedFormat.h"
#include "model/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace torva {

std::string TextExportContent(const Mesh& mesh, const CFramePat& model) {
    std::string out;
    out.reserve(200 + 40 * mesh.nodeCount + 30 * mesh.restraintCount + 60 * mesh.elementCount +
                40 * mesh.loadCount);
    auto id = [&](long value, const char* after) {
        AppendInt(out, value, 5);
        out += after;
    };

    out += "FEM MODEL\n";
    out += "Type of FEM Element\n";
    AppendInt(out, model.elementKind, 0);
    out += "\t(1: Linear, 2: Incompatible)\n";

    out += "Total Numbers of: Nodes, Restrained Nodes and Loaded Nodes\n";
    AppendInt(out, mesh.nodeCount, 0);
    out += '\t';
    AppendInt(out, mesh.restraintCount, 0);
    out += '\t';
    AppendInt(out, mesh.loadCount, 0);
    out += '\n';

    out += "Nodal Coordinates\n";
    out += " node\t     x[mm]\t     y[mm]\n";
    for (int k = 0; k < mesh.nodeCount; ++k) {
        id(k + 1, "\t");
        AppendInt(out, mesh.nodeX[k], 10);
        out += '\t';
        AppendInt(out, mesh.nodeY[k], 10);
        out += "\t\n";
    }

    out += "Nodal Restrains (n, 0: Free, 1: X-dir, 2: Y-dir, 12: X and Y)\n";
    out += " node\t direction\n";
    for (int r = 0; r < mesh.restraintCount; ++r) {
        id(mesh.restraintNode[r] + 1, "\t");
        AppendInt(out, mesh.restraintDir[r], 10);
        out += '\n';
    }

    // The stored gravity is positive downwards along y; the file carries it negated. The integer is
    // negated before the division, so a gravity of 0 prints as 0.00, not -0.00.
    out += "Gravity Acceleration [m/sec2]\n";
    AppendFixed(out, -static_cast<int>(model.gravity) / 100.0, 10, 2);
    out += '\n';

    out += "FEM Plate (Number of Elements, Number of Material Types)\n";
    AppendInt(out, mesh.elementCount, 0);
    out += '\t';
    AppendInt(out, mesh.concreteTypeCount, 0);
    out += '\n';
    out += "    n\t     Thick\t        Ec\t         v\t   density\n";
    out += "     \t        mm\t     N/mm2\t          \t     kg/m3\n";
    for (int type = 1; type <= mesh.concreteTypeCount; ++type) {
        auto prop = [&](int p) { return model.Prop(kConcreteLayer, type, p); };
        AppendInt(out, type, 5);
        out += '\t';
        AppendFixed(out, prop(0) / 100.0, 10, 2);
        out += '\t';
        AppendFixed(out, prop(1) * 1000.0, 10, 2);
        out += '\t';
        AppendFixed(out, prop(2) / 10000.0, 10, 4);
        out += '\t';
        AppendFixed(out, prop(3) / 100.0, 10, 2);
        out += "\t\n";
    }

    out += "Element Nodes Definition - Anticlockwise\n";
    out += "    n\t   n1\t   n2\t   n3\t   n4\ttypeE\n";
    for (int e = 0; e < mesh.elementCount; ++e) {
        id(e + 1, "\t");
        for (int corner = 0; corner < 4; ++corner) id(mesh.ElementNode(e, corner) + 1, "\t");
        id(mesh.elemConcreteType[e], "\t\n");
    }

    out += "Load Distribution (node, Fx, Fy)\n";
    for (int l = 0; l < mesh.loadCount; ++l) {
        id(mesh.loadNode[l] + 1, "\t");
        AppendFixed(out, mesh.loadFx[l] / 100.0, 10, 2);
        out += '\t';
        AppendFixed(out, mesh.loadFy[l] / 100.0, 10, 2);
        out += "\t\n";
    }
    return out;
}

std::string DefaultOutputFolder(const std::string& modelPath) {
    std::error_code ignored;
    if (modelPath.empty()) return std::filesystem::current_path(ignored).string();
    return std::filesystem::absolute(modelPath, ignored).parent_path().string();
}

bool WriteTextExport(const Mesh& mesh, const CFramePat& model, const std::string& folder,
                     std::string& error) {
    const std::string path = (std::filesystem::path(folder) / kTextExportName).string();
    return WriteFileAtomically(path, TextExportContent(mesh, model), error);
}

} // namespace torva
