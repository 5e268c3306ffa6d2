// make_examples: writes the example models of examples/ (units: mm, N; the model stores them scaled).
//   make_examples DIR           writes every example into DIR
//   make_examples --check DIR   exit code 1 when a file in DIR differs from what would be written
//
// Gravity acts towards increasing y, which the plan draws downwards, so every wall stands on its last
// node line (largest y) and storeys are counted upwards from there.
#include "model/FramePat.h"
#include "model/ModelFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using torva::CFramePat;

// Boundary types of every example: 1 Pin, 2 Roller X, 3 Roller Y.
enum Boundary { kPin = 1, kRollerX = 2, kRollerY = 3 };

std::unique_ptr<CFramePat> NewModel(int elementsX, int elementsY) {
    auto model = std::make_unique<CFramePat>();
    model->nxs = elementsX + 2;
    model->nys = elementsY + 2;
    model->Reset();
    for (int type = 1; type <= 3; ++type) model->Prop(torva::kBoundaryLayer, type, 0) = type;
    return model;
}

// Concrete of type `type`: thickness mm, Ec N/mm2, fc N/mm2; ν = 0.2, 2400 kg/m3, ft = fc / 15,
// strain at fc 0.002.
void SetConcrete(CFramePat& m, int type, double thickness, int ec, double fc) {
    m.Prop(torva::kConcreteLayer, type, 0) = static_cast<int32_t>(thickness * 100);
    m.Prop(torva::kConcreteLayer, type, 1) = ec / 1000;
    m.Prop(torva::kConcreteLayer, type, 2) = 2000;
    m.Prop(torva::kConcreteLayer, type, 3) = 240000;
    m.Prop(torva::kConcreteLayer, type, 4) = static_cast<int32_t>(fc * 100);
    m.Prop(torva::kConcreteLayer, type, 5) = static_cast<int32_t>(fc * 100 / 15);
    m.Prop(torva::kConcreteLayer, type, 6) = 20;
}

// Rebar of type `type`: bar area mm2 and spacing mm of the x (horizontal) and y (vertical) bars,
// SD400 steel with Es = 200000 N/mm2.
void SetRebar(CFramePat& m, int type, double areaX, double spacingX, double areaY, double spacingY) {
    const int32_t values[7] = {static_cast<int32_t>(areaX * 100),
                               static_cast<int32_t>(spacingX * 100),
                               40000,
                               static_cast<int32_t>(areaY * 100),
                               static_cast<int32_t>(spacingY * 100),
                               40000,
                               200};
    for (int p = 0; p < 7; ++p) m.Prop(torva::kRebarLayer, type, p) = values[p];
}

constexpr double kD10 = 78.54; // bar areas in mm2
constexpr double kD13 = 132.7;
constexpr double kD16 = 201.06;

void SetForce(CFramePat& m, int type, double fx, double fy) {
    m.Prop(torva::kPointForceLayer, type, 0) = static_cast<int32_t>(fx * 100);
    m.Prop(torva::kPointForceLayer, type, 1) = static_cast<int32_t>(fy * 100);
}

void Mark(CFramePat& m, int x, int y, int layer, int type) {
    m.Flag(x, y, layer) = 1;
    m.Type(x, y, layer) = static_cast<uint8_t>(type);
}

void Element(CFramePat& m, int x, int y, int concrete, int rebar) {
    Mark(m, x, y, torva::kConcreteLayer, concrete);
    if (rebar > 0) Mark(m, x, y, torva::kRebarLayer, rebar);
}

// Span type `type` of an axis has `length` mm; `lines` get that type.
void Span(CFramePat& m, int axis, int type, int length, std::initializer_list<int> lines) {
    m.SpanLengthOf(axis, type) = static_cast<uint16_t>(length);
    for (int line : lines) m.SpanTypeOf(axis, line) = static_cast<uint8_t>(type);
}

void Segment(CFramePat& m, double targetMm, int steps) {
    m.segmentCount = 1;
    m.stepsPerSegment = steps;
    m.segmentPoints[0] = 0;
    m.segmentPoints[1] = static_cast<int32_t>(targetMm * 1000);
}

// One 500 × 500 mm element, 100 mm thick, pinned at both base corners, 10 kN sideways at a top corner.
std::unique_ptr<CFramePat> OneElement() {
    auto m = NewModel(1, 1);
    Span(*m, torva::kAxisX, 1, 500, {2});
    Span(*m, torva::kAxisY, 1, 500, {2});
    SetConcrete(*m, 1, 100, 25000, 30);
    Element(*m, 2, 2, 1, 0);
    Mark(*m, 2, 3, torva::kBoundaryLayer, kPin);
    Mark(*m, 3, 3, torva::kBoundaryLayer, kPin);
    SetForce(*m, 1, 10000, 0);
    Mark(*m, 3, 2, torva::kPointForceLayer, 1);
    return m;
}

// A beam-like wall 3000 mm long and 500 mm deep (10 × 2 elements of 300 × 250 mm), 200 mm thick,
// clamped at its left end, 20 kN downwards at the top of the free end.
std::unique_ptr<CFramePat> Cantilever() {
    auto m = NewModel(10, 2);
    Span(*m, torva::kAxisX, 1, 300, {});
    Span(*m, torva::kAxisY, 1, 250, {});
    SetConcrete(*m, 1, 200, 25000, 30);
    SetRebar(*m, 1, kD13, 150, kD10, 200);
    for (int x = 2; x <= 11; ++x)
        for (int y = 2; y <= 3; ++y) Element(*m, x, y, 1, 1);
    for (int y = 2; y <= 4; ++y) Mark(*m, 2, y, torva::kBoundaryLayer, kPin);
    SetForce(*m, 1, 0, 20000);
    Mark(*m, 12, 2, torva::kPointForceLayer, 1);
    m->controlNode = torva::PositionCode(12, 2);
    m->ctrlDirection = 2;
    Segment(*m, 5, 50);
    return m;
}

// A 10-storey shear wall, 6000 mm wide and 30 m high, 200 mm thick, with two 1000 × 1500 mm windows in
// every storey. Columns: 750, 750, 1000 (window), 1000, 1000 (window), 750, 750 mm. Each 3000 mm storey
// has a 750 mm spandrel, the 1500 mm window row and a 750 mm sill. Edge columns carry heavier vertical
// bars, the spandrels over the windows heavier horizontal bars. Pinned along the base; a lateral force
// pattern growing with height (10 kN × floor number) at the left edge of every floor; the roof corner
// is the control node, pushed 10 mm in x in 100 steps.
std::unique_ptr<CFramePat> ShearWall() {
    constexpr int kColumns = 7;
    constexpr int kStoreys = 10;
    constexpr int kRows = 3 * kStoreys;
    auto m = NewModel(kColumns, kRows);
    Span(*m, torva::kAxisX, 1, 750, {});
    Span(*m, torva::kAxisX, 2, 1000, {4, 5, 6});
    Span(*m, torva::kAxisY, 1, 750, {});
    std::vector<int> windowRows;
    for (int storey = 0; storey < kStoreys; ++storey) windowRows.push_back(3 + 3 * storey);
    for (int row : windowRows) m->SpanTypeOf(torva::kAxisY, row) = 2;
    m->SpanLengthOf(torva::kAxisY, 2) = 1500;

    SetConcrete(*m, 1, 200, 25000, 30);
    SetRebar(*m, 1, kD10, 200, kD10, 200); // web
    SetRebar(*m, 2, kD10, 200, kD16, 100); // edge columns
    SetRebar(*m, 3, kD13, 100, kD10, 200); // spandrels over and sills under the windows

    const int lastColumn = 2 + kColumns - 1;
    for (int y = 2; y < 2 + kRows; ++y) {
        const bool windowRow = (y - 2) % 3 == 1;
        for (int x = 2; x <= lastColumn; ++x) {
            const bool windowColumn = x == 4 || x == 6;
            if (windowRow && windowColumn) continue;
            const int rebar = (x == 2 || x == lastColumn) ? 2 : windowColumn ? 3 : 1;
            Element(*m, x, y, 1, rebar);
        }
    }
    const int base = 2 + kRows;
    for (int x = 2; x <= lastColumn + 1; ++x) Mark(*m, x, base, torva::kBoundaryLayer, kPin);
    for (int floor = 1; floor <= kStoreys; ++floor) {
        SetForce(*m, floor, 10000.0 * floor, 0);
        Mark(*m, 2, base - 3 * floor, torva::kPointForceLayer, floor);
    }
    m->controlNode = torva::PositionCode(2, 2);
    m->ctrlDirection = 1;
    Segment(*m, 10, 100);
    return m;
}

// Two 1000 × 1500 mm wall panels (4 × 6 elements of 250 × 250 mm, 150 mm thick) joined by a
// zero-width joint column, which becomes a line of discrete joint elements whose horizontal bars
// cross the joint. Pinned along the base, 50 kN sideways at the top left corner, pushed 5 mm in x.
std::unique_ptr<CFramePat> JointWall() {
    auto m = NewModel(9, 6);
    Span(*m, torva::kAxisX, 1, 250, {});
    Span(*m, torva::kAxisX, 2, 0, {6});
    Span(*m, torva::kAxisY, 1, 250, {});
    SetConcrete(*m, 1, 150, 25000, 30);
    SetRebar(*m, 1, kD10, 200, kD10, 200);
    for (int x = 2; x <= 10; ++x)
        for (int y = 2; y <= 7; ++y) Element(*m, x, y, 1, 1);
    for (int x = 2; x <= 11; ++x) Mark(*m, x, 8, torva::kBoundaryLayer, kPin);
    SetForce(*m, 1, 50000, 0);
    Mark(*m, 2, 2, torva::kPointForceLayer, 1);
    m->controlNode = torva::PositionCode(2, 2);
    m->ctrlDirection = 1;
    Segment(*m, 5, 50);
    return m;
}

struct Example {
    const char* file;
    std::function<std::unique_ptr<CFramePat>()> make;
};

const Example kExamples[] = {
    {"one-element.fem", OneElement},
    {"cantilever.fem", Cantilever},
    {"shear-wall.fem", ShearWall},
    {"joint-wall.fem", JointWall},
};

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::string(argv[1]) == "--check";
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: make_examples DIR | make_examples --check DIR\n");
        return 1;
    }
    const std::filesystem::path folder = argv[argc - 1];
    int status = 0;
    for (const Example& example : kExamples) {
        auto model = example.make();
        model->curLayer = torva::kConcreteLayer;
        model->LoadCurrentLayer();
        const std::filesystem::path path = folder / example.file;
        if (check) {
            if (ReadFile(path) != torva::WriteModelImage(*model)) {
                std::fprintf(stderr, "%s is out of date: run make_examples %s\n", path.c_str(),
                             folder.c_str());
                status = 1;
            }
            continue;
        }
        torva::FileError error;
        if (!torva::SaveModelFile(path.string(), *model, error)) {
            std::fprintf(stderr, "%s\n", error.Text().c_str());
            status = 1;
        }
    }
    return status;
}
