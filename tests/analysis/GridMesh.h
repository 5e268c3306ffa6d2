#pragma once
// A rectangular grid of square elements for the result-drawing tests, with holes where elements are
// left out (an opening), and a result field over it that tests fill point by point.
#include "analysis/DamageMarks.h"
#include "analysis/ResultField.h"
#include "analysis/TestMesh.h"

#include <functional>
#include <vector>

namespace torva::test {

struct GridMesh {
    TestMesh mesh;
    std::vector<double> x, y; // node positions as doubles, mm
    int nx = 0, ny = 0;

    // nx × ny elements of `size` mm; hole(i, j) true leaves element (i, j) out.
    GridMesh(int nx_, int ny_, int size, const std::function<bool(int, int)>& hole = {}) : nx(nx_), ny(ny_) {
        for (int j = 0; j <= ny; ++j)
            for (int i = 0; i <= nx; ++i) {
                mesh.AddNode(i * size, j * size);
                x.push_back(i * size);
                y.push_back(j * size);
            }
        const int row = nx + 1;
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i)
                if (!hole || !hole(i, j))
                    mesh.AddElement(j * row + i, j * row + i + 1, (j + 1) * row + i + 1, (j + 1) * row + i);
    }
    int Elements() const { return static_cast<int>(mesh.elemDiscrete.size()); }

    // A field with results on every element; set(point, gx, gy) fills each Gauss point at (gx, gy) mm.
    ResultField Field(const std::function<void(PointResult&, double, double)>& set) const {
        ResultField field;
        field.Resize(Elements(), static_cast<int>(x.size()));
        field.hasResults = true;
        const MeshView view = mesh.View();
        for (int e = 0; e < Elements(); ++e) {
            field.plane[size_t(e)] = 1;
            for (int g = 0; g < 9; ++g) {
                double gx, gy;
                GaussPosition(view, x.data(), y.data(), e, g, gx, gy);
                set(field.Point(e, g), gx, gy);
            }
        }
        return field;
    }
};

} // namespace torva::test
