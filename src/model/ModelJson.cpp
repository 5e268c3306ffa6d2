#include "model/ModelJson.h"

#include "model/JsonField.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace torva {
namespace {

constexpr const char* kFormatName = "torva-model";
constexpr int kFormatVersion = 1;

// A named type property: the JSON value is stored · mul / div.
struct Quantity {
    const char* name;
    int property;
    int64_t mul;
    int64_t div;
};

struct KindFormat {
    const char* name;
    int kind;
    std::vector<Quantity> quantities;
};

// The member kinds with editors and what their properties mean.
const std::array<KindFormat, 5>& Kinds() {
    static const std::array<KindFormat, 5> kinds = {{
        {"point_force", kPointForceLayer, {{"fx_N", 0, 1, 100}, {"fy_N", 1, 1, 100}}},
        {"boundary", kBoundaryLayer, {}}, // property 0 is the support, written by name
        {"concrete",
         kConcreteLayer,
         {{"thickness_mm", 0, 1, 100},
          {"Ec_MPa", 1, 1000, 1},
          {"poisson", 2, 1, 10000},
          {"density_kg_m3", 3, 1, 100},
          {"fc_MPa", 4, 1, 100},
          {"ft_MPa", 5, 1, 100},
          {"strain_at_fc", 6, 1, 10000}}},
        {"rebar",
         kRebarLayer,
         {{"x_area_mm2", 0, 1, 100},
          {"x_spacing_mm", 1, 1, 100},
          {"x_fy_MPa", 2, 1, 100},
          {"y_area_mm2", 3, 1, 100},
          {"y_spacing_mm", 4, 1, 100},
          {"y_fy_MPa", 5, 1, 100},
          {"Es_MPa", 6, 1000, 1}}},
        {"fibre",
         kFibreLayer,
         {{"thickness_mm", 0, 1, 100},
          {"Ef_MPa", 1, 1000, 1},
          {"poisson", 2, 1, 10000},
          {"density_kg_m3", 3, 1, 100},
          {"Ft_MPa", 4, 1, 100}}},
    }};
    return kinds;
}

constexpr const char* kSupportNames[] = {"pin", "roller_x", "roller_y"}; // boundary values 1, 2, 3

std::string LayerName(int layer) {
    static const char* names[] = {"point_force", "boundary", "concrete", "rebar", "fibre"};
    return layer < kFirstStorageLayer ? names[layer] : "storage_" + std::to_string(layer);
}

const CFramePat& Defaults() {
    static const std::unique_ptr<CFramePat> model = std::make_unique<CFramePat>();
    return *model;
}

bool IsNamedProperty(const KindFormat& format, int property) {
    if (format.kind == kBoundaryLayer) return property == 0;
    for (const Quantity& q : format.quantities)
        if (q.property == property) return true;
    return false;
}

Json ColourValue(int32_t colour) {
    if (static_cast<uint32_t>(colour) > 0xFFFFFF) return Json(colour);
    char text[8];
    // COLORREF is 0x00BBGGRR; people write #RRGGBB.
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return Json(text);
}

int32_t ReadColour(const JsonField& field) {
    if (field.Value().is_string()) {
        const std::string text = field.String();
        unsigned r = 0, g = 0, b = 0;
        char end = 0;
        if (text.size() != 7 || std::sscanf(text.c_str(), "#%2x%2x%2x%c", &r, &g, &b, &end) != 3)
            field.Fail("expected a colour \"#RRGGBB\", found \"" + text + "\"");
        return static_cast<int32_t>(r | g << 8 | b << 16);
    }
    return static_cast<int32_t>(field.Integer(INT32_MIN, INT32_MAX));
}

Json PositionValue(int32_t code) {
    if (code < 0 || code >= 10000) return Json(code);
    return Json{{"x", CodeX(code)}, {"y", CodeY(code)}};
}

int32_t ReadPosition(const JsonField& field, int32_t maxCode) {
    if (field.Value().is_number()) return static_cast<int32_t>(field.Integer(0, maxCode));
    field.OnlyKeys({"x", "y"});
    const int x = static_cast<int>(field.Get("x").Integer(0, 99));
    const int y = static_cast<int>(field.Get("y").Integer(0, kGridSize - 1));
    return PositionCode(x, y);
}

// ---- cell ranges -------------------------------------------------------------------------------

struct Cell {
    int flag;
    int type;
    bool operator==(const Cell&) const = default;
};
using CellAt = std::function<Cell(int x, int y)>;

// The cells that differ from `base` as rectangles of equal cells: from the first such cell in x-major
// order, down the column as far as it goes, then across as far as whole columns match.
Json CellRanges(const CellAt& cell, const CellAt& base, bool writeEveryFlag) {
    std::vector<uint8_t> done(kPositions, 0);
    auto open = [&](int x, int y, const Cell& value) {
        return !done[PosIndex(x, y)] && cell(x, y) == value && !(cell(x, y) == base(x, y));
    };
    Json ranges = Json::array();
    for (int x = 0; x < kGridSize; ++x)
        for (int y = 0; y < kGridSize; ++y) {
            const Cell value = cell(x, y);
            if (!open(x, y, value)) continue;
            int y1 = y;
            while (y1 + 1 < kGridSize && open(x, y1 + 1, value)) ++y1;
            int x1 = x;
            for (bool whole = true; whole && x1 + 1 < kGridSize;) {
                for (int yy = y; yy <= y1 && whole; ++yy) whole = open(x1 + 1, yy, value);
                if (whole) ++x1;
            }
            for (int xx = x; xx <= x1; ++xx)
                for (int yy = y; yy <= y1; ++yy) done[PosIndex(xx, yy)] = 1;
            Json range;
            range["x"] = x == x1 ? Json(x) : Json::array({x, x1});
            range["y"] = y == y1 ? Json(y) : Json::array({y, y1});
            range["type"] = value.type;
            if (writeEveryFlag || value.flag != 1) range["flag"] = value.flag;
            ranges.push_back(range);
        }
    return ranges;
}

void ReadCellRanges(const JsonField& list, const std::function<void(int x, int y, const Cell&)>& store) {
    for (std::size_t i = 0; i < list.Size(); ++i) {
        const JsonField range = list.At(i);
        range.OnlyKeys({"x", "y", "type", "flag"});
        const auto [x0, x1] = range.Get("x").Range(0, kGridSize - 1);
        const auto [y0, y1] = range.Get("y").Range(0, kGridSize - 1);
        Cell value{1, 1};
        if (auto type = range.Find("type")) value.type = static_cast<int>(type->Integer(1, kTypes));
        if (auto flag = range.Find("flag")) value.flag = static_cast<int>(flag->Integer(0, 255));
        for (int x = x0; x <= x1; ++x)
            for (int y = y0; y <= y1; ++y) store(x, y, value);
    }
}

Cell LayerCell(const CFramePat& m, int x, int y, int layer) {
    return {m.Flag(x, y, layer), m.Type(x, y, layer)};
}

// Ranges of grid lines whose span type is not 1.
Json LineTypeRanges(const CFramePat& m, int axis) {
    Json ranges = Json::array();
    for (int line = 0; line < kGridSize;) {
        const int type = m.SpanTypeOf(axis, line);
        int last = line;
        while (last + 1 < kGridSize && m.SpanTypeOf(axis, last + 1) == type) ++last;
        if (type != 1)
            ranges.push_back(
                {{"lines", line == last ? Json(line) : Json::array({line, last})}, {"type", type}});
        line = last + 1;
    }
    return ranges;
}

int UsedPoints(const CFramePat& m) {
    const int segments = m.segmentCount == 0 ? 1 : m.segmentCount;
    return std::min(segments, kMaxSegments) + 1;
}

// ---- writing -----------------------------------------------------------------------------------

Json TypeEntry(const CFramePat& m, const KindFormat& format, int type) {
    const CFramePat& d = Defaults();
    Json entry;
    entry["type"] = type;
    if (format.kind == kBoundaryLayer) {
        const int32_t support = m.Prop(kBoundaryLayer, type, 0);
        entry["support"] = support >= 1 && support <= 3 ? Json(kSupportNames[support - 1]) : Json(support);
    }
    for (const Quantity& q : format.quantities)
        entry[q.name] = ScaledValue(m.Prop(format.kind, type, q.property), q.mul, q.div);
    Json other = Json::object();
    for (int p = 0; p < kProperties; ++p)
        if (!IsNamedProperty(format, p) && m.Prop(format.kind, type, p) != d.Prop(format.kind, type, p))
            other[std::to_string(p)] = m.Prop(format.kind, type, p);
    if (!other.empty()) entry["other_properties"] = other;
    const bool coloured = format.kind >= kConcreteLayer;
    if (coloured || m.Color(format.kind, type) != d.Color(format.kind, type))
        entry["colour"] = ColourValue(m.Color(format.kind, type));
    return entry;
}

Json StorageTypes(const CFramePat& m) {
    const CFramePat& d = Defaults();
    Json list = Json::array();
    for (int kind = kFirstStorageLayer; kind < kKinds; ++kind)
        for (int type = 1; type <= kTypes; ++type) {
            bool same = m.Color(kind, type) == d.Color(kind, type);
            Json properties = Json::array();
            for (int p = 0; p < kProperties; ++p) {
                properties.push_back(m.Prop(kind, type, p));
                same = same && m.Prop(kind, type, p) == d.Prop(kind, type, p);
            }
            if (same) continue;
            list.push_back({{"kind", kind},
                            {"type", type},
                            {"properties", properties},
                            {"colour", ColourValue(m.Color(kind, type))}});
        }
    return list;
}

Json LayersOf(const CFramePat& m) {
    const CFramePat& d = Defaults();
    Json layers = Json::object();
    for (int layer = 0; layer < kLayers; ++layer) {
        Json ranges = CellRanges([&](int x, int y) { return LayerCell(m, x, y, layer); },
                                 [&](int x, int y) { return LayerCell(d, x, y, layer); }, false);
        if (layer < kFirstStorageLayer || !ranges.empty()) layers[LayerName(layer)] = ranges;
    }
    return layers;
}

Json LoadingOf(const CFramePat& m) {
    Json loading;
    loading["control_node"] = m.controlNode == 0 ? Json(nullptr) : PositionValue(m.controlNode);
    loading["control_direction"] = m.ctrlDirection == 1   ? Json("x")
                                   : m.ctrlDirection == 2 ? Json("y")
                                                          : Json(m.ctrlDirection);
    loading["segment_count"] = m.segmentCount;
    loading["steps_per_segment"] = m.stepsPerSegment;
    const int used = UsedPoints(m);
    Json points = Json::array();
    for (int i = 0; i < used; ++i) points.push_back(ScaledValue(m.segmentPoints[i], 1, 1000));
    loading["points_mm"] = points;
    int last = kSegmentPoints;
    while (last > used && m.segmentPoints[last - 1] == 0) --last;
    if (last > used) {
        Json further = Json::array();
        for (int i = used; i < last; ++i) further.push_back(ScaledValue(m.segmentPoints[i], 1, 1000));
        loading["further_points_mm"] = further;
    }
    return loading;
}

// ---- reading -----------------------------------------------------------------------------------

void ReadTypeEntries(const JsonField& list, const KindFormat& format, CFramePat& m) {
    for (std::size_t i = 0; i < list.Size(); ++i) {
        const JsonField entry = list.At(i);
        const int type = static_cast<int>(entry.Get("type").Integer(1, kTypes));
        for (const auto& item : entry.Object().items()) {
            const std::string& key = item.key();
            bool known = key == "type" || key == "other_properties" || key == "colour" ||
                         (key == "support" && format.kind == kBoundaryLayer);
            for (const Quantity& q : format.quantities) known = known || key == q.name;
            if (!known) entry.Get(key).Fail("unknown field");
        }
        if (format.kind == kBoundaryLayer) {
            const JsonField support = entry.Get("support");
            int32_t value = 0;
            if (support.Value().is_string()) {
                const std::string name = support.String();
                for (int s = 0; s < 3; ++s)
                    if (name == kSupportNames[s]) value = s + 1;
                if (value == 0)
                    support.Fail("expected \"pin\", \"roller_x\" or \"roller_y\", found \"" + name + "\"");
            } else {
                value = static_cast<int32_t>(support.Integer(INT32_MIN, INT32_MAX));
            }
            m.Prop(kBoundaryLayer, type, 0) = value;
        }
        for (const Quantity& q : format.quantities) {
            // Lengths, areas, strengths and moduli cannot be negative; forces can.
            const bool signedValue = format.kind == kPointForceLayer;
            m.Prop(format.kind, type, q.property) = static_cast<int32_t>(
                entry.Get(q.name).Scaled(q.mul, q.div, signedValue ? INT32_MIN : 0, INT32_MAX));
        }
        if (auto other = entry.Find("other_properties")) {
            for (const auto& item : other->Object().items()) {
                const JsonField value = other->Get(item.key());
                int p = -1;
                try {
                    std::size_t used = 0;
                    p = std::stoi(item.key(), &used);
                    if (used != item.key().size()) p = -1;
                } catch (const std::exception&) {
                }
                if (p < 0 || p >= kProperties || IsNamedProperty(format, p))
                    value.Fail("not a property number without a name (0.." + std::to_string(kProperties - 1) +
                               ")");
                m.Prop(format.kind, type, p) = static_cast<int32_t>(value.Integer(INT32_MIN, INT32_MAX));
            }
        }
        if (auto colour = entry.Find("colour")) m.Color(format.kind, type) = ReadColour(*colour);
    }
}

void ReadStorageTypes(const JsonField& list, CFramePat& m) {
    for (std::size_t i = 0; i < list.Size(); ++i) {
        const JsonField entry = list.At(i);
        entry.OnlyKeys({"kind", "type", "properties", "colour"});
        const int kind = static_cast<int>(entry.Get("kind").Integer(kFirstStorageLayer, kKinds - 1));
        const int type = static_cast<int>(entry.Get("type").Integer(1, kTypes));
        const JsonField properties = entry.Get("properties");
        if (properties.Size() != kProperties)
            properties.Fail("expected " + std::to_string(kProperties) + " values, found " +
                            std::to_string(properties.Size()));
        for (int p = 0; p < kProperties; ++p)
            m.Prop(kind, type, p) = static_cast<int32_t>(properties.At(p).Integer(INT32_MIN, INT32_MAX));
        if (auto colour = entry.Find("colour")) m.Color(kind, type) = ReadColour(*colour);
    }
}

void ReadSpans(const JsonField& spans, CFramePat& m) {
    spans.OnlyKeys({"x", "y"});
    for (int axis = kAxisX; axis <= kAxisY; ++axis) {
        const JsonField span = spans.Get(axis == kAxisX ? "x" : "y");
        span.OnlyKeys({"lengths_mm", "line_types"});
        const JsonField lengths = span.Get("lengths_mm");
        if (lengths.Size() != kTypes)
            lengths.Fail("expected " + std::to_string(kTypes) + " lengths (span types 1.." +
                         std::to_string(kTypes) + "), found " + std::to_string(lengths.Size()));
        for (int type = 1; type <= kTypes; ++type)
            m.SpanLengthOf(axis, type) = static_cast<uint16_t>(lengths.At(type - 1).Integer(0, UINT16_MAX));
        if (auto lineTypes = span.Find("line_types"))
            for (std::size_t i = 0; i < lineTypes->Size(); ++i) {
                const JsonField range = lineTypes->At(i);
                range.OnlyKeys({"lines", "type"});
                const auto [first, last] = range.Get("lines").Range(0, kGridSize - 1);
                const int type = static_cast<int>(range.Get("type").Integer(1, kTypes));
                for (int line = first; line <= last; ++line)
                    m.SpanTypeOf(axis, line) = static_cast<uint8_t>(type);
            }
    }
}

void ReadLayers(const JsonField& layers, CFramePat& m) {
    for (const auto& item : layers.Object().items()) {
        int layer = -1;
        for (int l = 0; l < kLayers; ++l)
            if (item.key() == LayerName(l)) layer = l;
        const JsonField list = layers.Get(item.key());
        if (layer < 0) list.Fail("unknown layer");
        ReadCellRanges(list, [&](int x, int y, const Cell& cell) {
            m.Flag(x, y, layer) = static_cast<uint8_t>(cell.flag);
            m.Type(x, y, layer) = static_cast<uint8_t>(cell.type);
        });
    }
}

void ReadLoading(const JsonField& loading, CFramePat& m) {
    loading.OnlyKeys({"control_node", "control_direction", "segment_count", "steps_per_segment", "points_mm",
                      "further_points_mm"});
    m.controlNode = 0;
    if (auto node = loading.Find("control_node")) m.controlNode = ReadPosition(*node, UINT16_MAX);
    const JsonField direction = loading.Get("control_direction");
    if (direction.Value().is_string()) {
        const std::string name = direction.String();
        if (name != "x" && name != "y") direction.Fail("expected \"x\" or \"y\", found \"" + name + "\"");
        m.ctrlDirection = name == "x" ? 1 : 2;
    } else {
        m.ctrlDirection = static_cast<int32_t>(direction.Integer(INT32_MIN, INT32_MAX));
    }
    m.segmentCount = static_cast<int32_t>(loading.Get("segment_count").Integer(0, kMaxSegments));
    m.stepsPerSegment = static_cast<int32_t>(loading.Get("steps_per_segment").Integer(0, INT32_MAX));
    const JsonField points = loading.Get("points_mm");
    const int used = UsedPoints(m);
    if (points.Size() != static_cast<std::size_t>(used))
        points.Fail("expected " + std::to_string(used) + " points for " + std::to_string(used - 1) +
                    " segment(s), found " + std::to_string(points.Size()));
    std::fill(std::begin(m.segmentPoints), std::end(m.segmentPoints), 0);
    for (int i = 0; i < used; ++i)
        m.segmentPoints[i] = static_cast<int32_t>(points.At(i).Scaled(1, 1000, INT32_MIN, INT32_MAX));
    if (auto further = loading.Find("further_points_mm")) {
        if (further->Size() > static_cast<std::size_t>(kSegmentPoints - used))
            further->Fail("at most " + std::to_string(kSegmentPoints - used) + " further points fit");
        for (std::size_t i = 0; i < further->Size(); ++i)
            m.segmentPoints[used + static_cast<int>(i)] =
                static_cast<int32_t>(further->At(i).Scaled(1, 1000, INT32_MIN, INT32_MAX));
    }
}

void ReadOutputs(const JsonField& root, CFramePat& m) {
    if (auto outputs = root.Find("output_elements")) {
        if (outputs->Size() > kOutputSlots)
            outputs->Fail("at most " + std::to_string(kOutputSlots) + " output elements, found " +
                          std::to_string(outputs->Size()));
        for (std::size_t i = 0; i < outputs->Size(); ++i)
            m.outputElements[i] = ReadPosition(outputs->At(i), PositionCode(kGridSize - 1, kGridSize - 1));
        m.outputCount = static_cast<int32_t>(outputs->Size());
    }
    if (auto active = root.Find("active_output"))
        m.activeOutput = ReadPosition(*active, PositionCode(kGridSize - 1, kGridSize - 1));
}

void ReadModel(const JsonField& root, CFramePat& m) {
    root.OnlyKeys({"format", "format_version", "file_version", "grid", "view", "analysis", "spans", "types",
                   "storage_types", "layers", "working_layer", "loading", "output_elements",
                   "active_output"});
    if (root.Get("format").String() != kFormatName)
        root.Get("format").Fail(std::string("expected \"") + kFormatName + "\"");
    root.Get("format_version").Integer(1, kFormatVersion);
    if (auto version = root.Find("file_version"))
        m.fileVersionIn = static_cast<int32_t>(version->Integer(kFileVersion, kFileVersion));

    const JsonField grid = root.Get("grid");
    grid.OnlyKeys({"elements_x", "elements_y"});
    m.nxs = static_cast<int32_t>(grid.Get("elements_x").Integer(kMinGridCount - 2, kMaxGridCount - 2)) + 2;
    m.nys = static_cast<int32_t>(grid.Get("elements_y").Integer(kMinGridCount - 2, kMaxGridCount - 2)) + 2;
    if (auto view = root.Find("view")) {
        view->OnlyKeys({"current_layer", "top_layer", "layers_shown"});
        m.curLayer = static_cast<int32_t>(view->Get("current_layer").Integer(0, kLayers - 1));
        m.topLayer = static_cast<int32_t>(view->Get("top_layer").Integer(0, kLayers - 1));
        m.layersShown = static_cast<int32_t>(view->Get("layers_shown").Integer(0, kLayers));
    }
    const JsonField analysis = root.Get("analysis");
    analysis.OnlyKeys({"element_kind", "concrete_model", "rebar_model", "gravity_m_s2"});
    m.elementKind = static_cast<int16_t>(analysis.Get("element_kind").Integer(1, 2));
    m.engineFlagA = static_cast<int16_t>(analysis.Get("concrete_model").Integer(INT16_MIN, INT16_MAX));
    m.engineFlagB = static_cast<int16_t>(analysis.Get("rebar_model").Integer(INT16_MIN, INT16_MAX));
    m.gravity = static_cast<int16_t>(analysis.Get("gravity_m_s2").Scaled(1, 100, INT16_MIN, INT16_MAX));

    ReadSpans(root.Get("spans"), m);
    const JsonField types = root.Get("types");
    for (const auto& item : types.Object().items()) {
        const KindFormat* format = nullptr;
        for (const KindFormat& f : Kinds())
            if (item.key() == f.name) format = &f;
        if (!format) types.Get(item.key()).Fail("unknown member kind");
        ReadTypeEntries(types.Get(item.key()), *format, m);
    }
    if (auto storage = root.Find("storage_types")) ReadStorageTypes(*storage, m);
    ReadLayers(root.Get("layers"), m);
    m.LoadCurrentLayer();
    if (auto working = root.Find("working_layer"))
        ReadCellRanges(*working, [&](int x, int y, const Cell& cell) {
            m.curFlag[PosIndex(x, y)] = static_cast<uint8_t>(cell.flag);
            m.curType[PosIndex(x, y)] = static_cast<uint8_t>(cell.type);
        });
    ReadLoading(root.Get("loading"), m);
    ReadOutputs(root, m);
}

} // namespace

bool ModelQuantityStep(const std::string& kind, const std::string& field, int64_t& mul, int64_t& div) {
    for (const KindFormat& format : Kinds())
        if (kind == format.name)
            for (const Quantity& q : format.quantities)
                if (field == q.name) {
                    mul = q.mul;
                    div = q.div;
                    return true;
                }
    return false;
}

std::string WriteModelJson(const CFramePat& m) {
    Json root;
    root["format"] = kFormatName;
    root["format_version"] = kFormatVersion;
    // The version word of the .fem file the model came from, when it is not the one every save writes.
    if (m.fileVersionIn != 0 && m.fileVersionIn != kFileVersion) root["file_version"] = m.fileVersionIn;
    root["grid"] = {{"elements_x", m.nxs - 2}, {"elements_y", m.nys - 2}};
    root["view"] = {
        {"current_layer", m.curLayer}, {"top_layer", m.topLayer}, {"layers_shown", m.layersShown}};
    root["analysis"] = {{"element_kind", m.elementKind},
                        {"concrete_model", m.engineFlagA},
                        {"rebar_model", m.engineFlagB},
                        {"gravity_m_s2", ScaledValue(m.gravity, 1, 100)}};
    Json spans;
    for (int axis = kAxisX; axis <= kAxisY; ++axis) {
        Json lengths = Json::array();
        for (int type = 1; type <= kTypes; ++type) lengths.push_back(m.SpanLengthOf(axis, type));
        spans[axis == kAxisX ? "x" : "y"] = {{"lengths_mm", lengths},
                                             {"line_types", LineTypeRanges(m, axis)}};
    }
    root["spans"] = spans;
    Json types;
    for (const KindFormat& format : Kinds()) {
        Json entries = Json::array();
        for (int type = 1; type <= kTypes; ++type) entries.push_back(TypeEntry(m, format, type));
        types[format.name] = entries;
    }
    root["types"] = types;
    if (Json storage = StorageTypes(m); !storage.empty()) root["storage_types"] = storage;
    root["layers"] = LayersOf(m);
    // The working copy of the current layer, where it differs from the stored layer.
    Json working = CellRanges(
        [&](int x, int y) {
            return Cell{m.curFlag[PosIndex(x, y)], m.curType[PosIndex(x, y)]};
        },
        [&](int x, int y) {
            return m.curLayer >= 0 && m.curLayer < kLayers ? LayerCell(m, x, y, m.curLayer) : Cell{-1, -1};
        },
        true);
    if (!working.empty()) root["working_layer"] = working;
    root["loading"] = LoadingOf(m);
    if (m.outputCount > 0 || m.activeOutput != -1) {
        Json outputs = Json::array();
        for (int slot = 0; slot < std::clamp(m.outputCount, 0, kOutputSlots); ++slot)
            outputs.push_back(PositionValue(m.outputElements[slot]));
        root["output_elements"] = outputs;
        root["active_output"] = m.activeOutput < 0 ? Json(nullptr) : PositionValue(m.activeOutput);
    }
    return DumpReadableJson(root);
}

bool ReadModelJson(const std::string& text, CFramePat& model, FileError& error) {
    try {
        const Json root = ParseJsonText(text);
        ReadModel(JsonField(root, ""), model);
        return true;
    } catch (const JsonFieldError& e) {
        error = {"Unexpected file format.", e.what()};
    } catch (const nlohmann::json::exception& e) {
        error = {"Unexpected file format.", e.what()};
    }
    return false;
}

} // namespace torva
