// The JSON model format: exact round trips with the .fem image (examples and randomised models with
// every stored field busy), the meaning of the named fields, and refusals that name the field.
#include "model/ModelJson.h"

#include "model/FramePat.h"
#include "model/JsonField.h"
#include "model/ModelIo.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <sstream>

using namespace torva;

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::unique_ptr<CFramePat> FromImage(const std::vector<uint8_t>& image) {
    auto model = std::make_unique<CFramePat>();
    FileError error;
    EXPECT_TRUE(ReadModelImage(image.data(), image.size(), *model, error)) << error.Text();
    return model;
}

std::unique_ptr<CFramePat> FromJson(const std::string& text) {
    auto model = std::make_unique<CFramePat>();
    FileError error;
    EXPECT_TRUE(ReadModelJson(text, *model, error)) << error.Text();
    return model;
}

// The refusal detail of a JSON text (empty when it was accepted).
std::string Refusal(const std::string& text) {
    auto model = std::make_unique<CFramePat>();
    FileError error;
    if (ReadModelJson(text, *model, error)) return "";
    EXPECT_EQ(error.message, "Unexpected file format.");
    return error.detail;
}

// A model with random values in every stored field, within what the program's editors can store
// (named lengths, areas, strengths and moduli not negative), the working copy apart from its layer
// and the version word 20, the only one a model file may hold.
std::unique_ptr<CFramePat> RandomModel(unsigned seed) {
    std::mt19937 random(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    auto m = std::make_unique<CFramePat>();
    m->nxs = pick(kMinGridCount, kMaxGridCount);
    m->nys = pick(kMinGridCount, kMaxGridCount);
    m->curLayer = pick(0, kLayers - 1);
    m->topLayer = pick(0, kLayers - 1);
    m->layersShown = pick(0, kLayers);
    // Blocks of cells, so that ranges are exercised as well as single cells.
    for (int block = 0; block < 200; ++block) {
        const int layer = pick(0, kLayers - 1), x = pick(0, 100), y = pick(0, 100);
        const int w = pick(1, 12), h = pick(1, 12);
        const uint8_t flag = static_cast<uint8_t>(pick(0, 3) == 0 ? pick(0, 255) : pick(0, 1));
        const uint8_t type = static_cast<uint8_t>(pick(1, kTypes));
        for (int xx = x; xx < std::min(x + w, kGridSize); ++xx)
            for (int yy = y; yy < std::min(y + h, kGridSize); ++yy) {
                m->Flag(xx, yy, layer) = flag;
                m->Type(xx, yy, layer) = type;
            }
    }
    m->LoadCurrentLayer();
    for (int i = 0; i < 300; ++i) {
        const int p = pick(0, kPositions - 1);
        m->curFlag[p] = static_cast<uint8_t>(pick(0, 255));
        m->curType[p] = static_cast<uint8_t>(pick(1, kTypes));
    }
    for (int kind = 0; kind < kKinds; ++kind)
        for (int type = 1; type <= kTypes; ++type) {
            for (int p = 0; p < kProperties; ++p)
                m->Prop(kind, type, p) = kind == 0 || kind >= kFirstStorageLayer || p >= 7
                                             ? pick(INT32_MIN, INT32_MAX)
                                             : pick(0, INT32_MAX);
            m->Color(kind, type) = pick(0, 3) == 0 ? pick(INT32_MIN, INT32_MAX) : pick(0, 0xFFFFFF);
        }
    for (auto& span : m->spanType) span = static_cast<uint8_t>(pick(1, kTypes));
    for (auto& length : m->spanLength) length = static_cast<uint16_t>(pick(0, 65535));
    m->elementKind = static_cast<int16_t>(pick(1, 2));
    m->engineFlagA = static_cast<int16_t>(pick(-3, 3));
    m->engineFlagB = static_cast<int16_t>(pick(-3, 3));
    m->gravity = static_cast<int16_t>(pick(INT16_MIN, INT16_MAX));
    m->controlNode = pick(0, 65535);
    m->ctrlDirection = pick(-2, 4);
    m->segmentCount = pick(0, kMaxSegments);
    m->stepsPerSegment = pick(0, INT32_MAX);
    for (auto& point : m->segmentPoints) point = pick(0, 4) == 0 ? 0 : pick(INT32_MIN, INT32_MAX);
    return m;
}

std::vector<uint8_t> ImageWithVersion(CFramePat& model, uint16_t version) {
    std::vector<uint8_t> image = WriteModelImage(model);
    image[0] = static_cast<uint8_t>(version & 0xFF);
    image[1] = static_cast<uint8_t>(version >> 8);
    return image;
}

constexpr const char* kSmallWall = R"({
  "format": "torva-model", "format_version": 1,
  "grid": {"elements_x": 2, "elements_y": 1},
  "analysis": {"element_kind": 2, "concrete_model": 1, "rebar_model": 1, "gravity_m_s2": 9.81},
  "spans": {"x": {"lengths_mm": [500, 250, 100, 100, 100, 100, 100, 100, 100, 100, 100],
                  "line_types": [{"lines": 3, "type": 2}]},
            "y": {"lengths_mm": [400, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100]}},
  "types": {
    "concrete": [{"type": 1, "thickness_mm": 150, "Ec_MPa": 25000, "poisson": 0.2, "density_kg_m3": 2400,
                  "fc_MPa": 32.5, "ft_MPa": 2.17, "strain_at_fc": 0.002}],
    "rebar": [{"type": 2, "x_area_mm2": 78.54, "x_spacing_mm": 150, "x_fy_MPa": 400, "y_area_mm2": 113.1,
               "y_spacing_mm": 200, "y_fy_MPa": 400, "Es_MPa": 200000, "colour": "#102030"}],
    "point_force": [{"type": 1, "fx_N": -12500.5, "fy_N": 0}],
    "boundary": [{"type": 2, "support": "roller_y"}]
  },
  "layers": {"concrete": [{"x": [2, 3], "y": 2}], "rebar": [{"x": 3, "y": 2, "type": 2}],
             "boundary": [{"x": [2, 4], "y": 3, "type": 2}], "point_force": [{"x": 4, "y": 2}]},
  "loading": {"control_node": {"x": 4, "y": 2}, "control_direction": "x", "segment_count": 2,
              "steps_per_segment": 10, "points_mm": [0, 1.5, -0.25]},
  "output_elements": [{"x": 2, "y": 2}, {"x": 3, "y": 2}],
  "active_output": {"x": 3, "y": 2}
})";

} // namespace

// ---- round trips --------------------------------------------------------------------------------

TEST(ModelJsonRoundTrip, EveryExampleIsTheSameFileAfterJsonAndBack) {
    int examples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(test::SourceDir() / "examples")) {
        if (entry.path().extension() != ".fem") continue;
        ++examples;
        const std::vector<uint8_t> original = ReadBytes(entry.path().string());
        auto model = FromImage(original);
        const std::string json = WriteModelJson(*model);
        auto back = FromJson(json);
        EXPECT_EQ(ConvertedModelImage(*back), original) << entry.path();
        EXPECT_EQ(WriteModelJson(*back), json) << entry.path();
    }
    EXPECT_GE(examples, 4);
}

TEST(ModelJsonRoundTrip, RandomModelsWithEveryStoredFieldBusy) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        auto model = RandomModel(seed);
        const std::vector<uint8_t> original = ImageWithVersion(*model, kFileVersion);
        auto read = FromImage(original);
        const std::string json = WriteModelJson(*read);
        auto back = FromJson(json);
        ASSERT_EQ(ConvertedModelImage(*back), original) << "seed " << seed;
        EXPECT_EQ(WriteModelJson(*back), json) << "seed " << seed;
    }
}

TEST(ModelJsonRoundTrip, OutputElementsAndTheActiveOneSurviveJson) {
    auto model = FromJson(kSmallWall);
    ASSERT_EQ(model->outputCount, 2);
    EXPECT_EQ(model->outputElements[0], PositionCode(2, 2));
    EXPECT_EQ(model->outputElements[1], PositionCode(3, 2));
    EXPECT_EQ(model->outputElements[2], -1);
    EXPECT_EQ(model->activeOutput, PositionCode(3, 2));
    auto again = FromJson(WriteModelJson(*model));
    EXPECT_EQ(again->outputCount, 2);
    EXPECT_EQ(again->activeOutput, PositionCode(3, 2));
    EXPECT_EQ(WriteModelJson(*again), WriteModelJson(*model));
}

TEST(ModelJsonRoundTrip, ANewModelsJsonIsSmallAndReadsBackAsANewModel) {
    auto fresh = std::make_unique<CFramePat>();
    const std::string json = WriteModelJson(*fresh);
    EXPECT_LT(json.size(), 12000u);                          // defaults and label cells are not listed
    EXPECT_EQ(json.find("file_version"), std::string::npos); // a new model has no version word to keep
    auto back = FromJson(json);
    EXPECT_EQ(WriteModelImage(*back), WriteModelImage(*fresh));
}

// ---- what the fields mean -------------------------------------------------------------------------

TEST(ModelJsonFields, NamedValuesLandInTheirScaledPropertiesAndCells) {
    auto m = FromJson(kSmallWall);
    EXPECT_EQ(m->nxs, 4);
    EXPECT_EQ(m->nys, 3);
    EXPECT_EQ(m->gravity, 981);
    EXPECT_EQ(m->Prop(kConcreteLayer, 1, 0), 15000);
    EXPECT_EQ(m->Prop(kConcreteLayer, 1, 1), 25); // moduli in 1000 N/mm2
    EXPECT_EQ(m->Prop(kConcreteLayer, 1, 2), 2000);
    EXPECT_EQ(m->Prop(kConcreteLayer, 1, 4), 3250);
    EXPECT_EQ(m->Prop(kConcreteLayer, 1, 5), 217);
    EXPECT_EQ(m->Prop(kConcreteLayer, 1, 6), 20);
    EXPECT_EQ(m->Prop(kConcreteLayer, 2, 4), 2800); // types not listed keep their defaults
    EXPECT_EQ(m->Prop(kRebarLayer, 2, 0), 7854);
    EXPECT_EQ(m->Prop(kRebarLayer, 2, 3), 11310);
    EXPECT_EQ(m->Prop(kRebarLayer, 2, 6), 200);
    EXPECT_EQ(m->Color(kRebarLayer, 2), 0x302010); // #RRGGBB is COLORREF 0x00BBGGRR
    EXPECT_EQ(m->Prop(kPointForceLayer, 1, 0), -1250050);
    EXPECT_EQ(m->Prop(kBoundaryLayer, 2, 0), 3);
    EXPECT_EQ(m->SpanLengthOf(kAxisX, 2), 250);
    EXPECT_EQ(m->SpanTypeOf(kAxisX, 3), 2);
    EXPECT_EQ(m->LineLength(kAxisX, 2), 500);
    EXPECT_EQ(m->LineLength(kAxisX, 3), 250);
    // Cells: the listed ranges are present with their type, the label row keeps its default flag.
    EXPECT_EQ(m->Flag(2, 2, kConcreteLayer), 1);
    EXPECT_EQ(m->Flag(3, 2, kConcreteLayer), 1);
    EXPECT_EQ(m->Flag(4, 2, kConcreteLayer), 0);
    EXPECT_EQ(m->Flag(3, 2, kRebarLayer), 1);
    EXPECT_EQ(m->Type(3, 2, kRebarLayer), 2);
    EXPECT_EQ(m->Flag(2, 2, kRebarLayer), 0);
    EXPECT_EQ(m->Type(4, 3, kBoundaryLayer), 2);
    EXPECT_EQ(m->Flag(3, 0, kConcreteLayer), 1);
    // The working copy is the current (concrete) layer.
    EXPECT_EQ(m->curFlag[PosIndex(3, 2)], 1);
    EXPECT_EQ(m->controlNode, PositionCode(4, 2));
    EXPECT_EQ(m->ctrlDirection, 1);
    EXPECT_EQ(m->segmentCount, 2);
    EXPECT_EQ(m->segmentPoints[1], 1500);
    EXPECT_EQ(m->segmentPoints[2], -250);
    EXPECT_EQ(m->segmentPoints[3], 0);
}

TEST(ModelJsonFields, ANewModelReadsInItsOwnUnits) {
    auto fresh = std::make_unique<CFramePat>();
    const Json json = Json::parse(WriteModelJson(*fresh));
    const Json& concrete = json["types"]["concrete"][0];
    EXPECT_EQ(concrete["fc_MPa"], 28.0);
    EXPECT_EQ(concrete["ft_MPa"], 2.8);
    EXPECT_EQ(concrete["Ec_MPa"], 22000);
    EXPECT_EQ(concrete["poisson"], 0.1666);
    EXPECT_EQ(concrete["colour"], "#0000ff"); // palette entry 0xFF0000 is blue
    const Json& rebar = json["types"]["rebar"][0];
    EXPECT_EQ(rebar["x_area_mm2"], 387.1);
    EXPECT_EQ(rebar["y_area_mm2"], 71.33);
    EXPECT_EQ(rebar["Es_MPa"], 200000);
    EXPECT_EQ(json["analysis"]["gravity_m_s2"], 9.8);
    EXPECT_EQ(json["loading"]["points_mm"].size(), 2u);
    EXPECT_TRUE(json["layers"]["concrete"].empty());
}

// ---- refusals -------------------------------------------------------------------------------------

TEST(ModelJsonRefusals, EachNamesTheFieldOrTheLine) {
    auto with = [](const std::string& from, const std::string& to) {
        std::string text = kSmallWall;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    EXPECT_EQ(Refusal(kSmallWall), "");
    // Not JSON: the line and column of the fault.
    EXPECT_EQ(Refusal(with("\"grid\": {", "\"grid\" {")).rfind("line 3, column 10: ", 0), 0u)
        << Refusal(with("\"grid\": {", "\"grid\" {"));
    EXPECT_EQ(Refusal(with("\"fc_MPa\": 32.5", "\"fc_MPa\": \"32.5\"")),
              "types.concrete[0].fc_MPa: expected a number, found a string");
    EXPECT_EQ(Refusal(with("\"ft_MPa\": 2.17, ", "")), "types.concrete[0].ft_MPa: missing");
    EXPECT_EQ(Refusal(with("\"x_area_mm2\": 78.54", "\"x_area_mm2\": -78.54")),
              "types.rebar[0].x_area_mm2: must be between 0.0 and 21474836.47, found -78.54");
    EXPECT_EQ(Refusal(with("\"fc_MPa\": 32.5", "\"fc_MPa\": 32.505")),
              "types.concrete[0].fc_MPa: is not a multiple of 0.01 (found 32.505)");
    EXPECT_EQ(Refusal(with("\"Ec_MPa\": 25000", "\"Ec_MPa\": 25500")),
              "types.concrete[0].Ec_MPa: is not a multiple of 1000 (found 25500)");
    EXPECT_EQ(Refusal(with("\"fc_MPa\"", "\"fc_Mpa\"")), "types.concrete[0].fc_Mpa: unknown field");
    EXPECT_EQ(Refusal(with("\"elements_x\": 2", "\"elements_x\": 61")),
              "grid.elements_x: must be between 1 and 60, found 61");
    EXPECT_EQ(Refusal(with("\"rebar\": [{\"x\": 3", "\"rebar\": [{\"x\": [3, 102]")),
              "layers.rebar[0].x[1]: must be between 0 and 101, found 102");
    EXPECT_EQ(Refusal(with("\"type\": 2}], \"", "\"type\": 12}], \"")),
              "layers.boundary[0].type: must be between 1 and 11, found 12");
    EXPECT_EQ(Refusal(with("[0, 1.5, -0.25]", "[0, 1.5]")),
              "loading.points_mm: expected 3 points for 2 segment(s), found 2");
    EXPECT_EQ(Refusal(with("\"roller_y\"", "\"roller\"")),
              "types.boundary[0].support: expected \"pin\", \"roller_x\" or \"roller_y\", found \"roller\"");
    EXPECT_EQ(Refusal(with("\"concrete\": [{\"x\"", "\"slab\": [{\"x\"")), "layers.slab: unknown layer");
    EXPECT_EQ(Refusal(with("\"torva-model\"", "\"other\"")), "format: expected \"torva-model\"");
    EXPECT_EQ(Refusal("[1, 2]"), "expected an object, found an array");
    EXPECT_EQ(Refusal("").rfind("line 1, column 1: ", 0), 0u) << Refusal("");
    // A number beyond the range of a double is refused by name, not thrown past the reader.
    EXPECT_EQ(Refusal("{\"format\": 7e7750}"), "number overflow parsing '7e7750'");
}

// ---- files ----------------------------------------------------------------------------------------

TEST(ModelJsonFiles, LoadAndSaveChooseTheFormatByName) {
    EXPECT_EQ(ModelFormatOf("a/b.json"), ModelFormat::Json);
    EXPECT_EQ(ModelFormatOf("B.JSON"), ModelFormat::Json);
    EXPECT_EQ(ModelFormatOf("b.fem"), ModelFormat::Fem);
    EXPECT_EQ(ModelFormatOf("json"), ModelFormat::Fem);

    test::TempDir dir;
    auto model = FromJson(kSmallWall);
    FileError error;
    ASSERT_TRUE(SaveModel(dir.file("wall.json"), *model, error)) << error.Text();
    ASSERT_TRUE(SaveModel(dir.file("wall.fem"), *model, error)) << error.Text();
    EXPECT_EQ(std::filesystem::file_size(dir.file("wall.fem")), kModelFileSize);
    auto fromJson = std::make_unique<CFramePat>();
    ASSERT_TRUE(LoadModel(dir.file("wall.json"), *fromJson, error)) << error.Text();
    EXPECT_EQ(WriteModelJson(*fromJson), WriteModelJson(*model));

    // A failed load names the file and leaves the model as it was.
    std::ofstream(dir.file("bad.json")) << "{\"format\": \"torva-model\",\n \"format_version\": 1, }";
    EXPECT_FALSE(LoadModel(dir.file("bad.json"), *fromJson, error));
    EXPECT_EQ(error.detail.rfind(dir.file("bad.json") + ": line 2, column ", 0), 0u) << error.detail;
    EXPECT_EQ(fromJson->outputCount, 2);
    EXPECT_FALSE(LoadModel(dir.file("missing.json"), *fromJson, error));
    EXPECT_EQ(error.message, "Failed to open document.");
}

TEST(ModelJsonFiles, ConvertKeepsTheFileAndCountsDroppedOutputs) {
    test::TempDir dir;
    auto model = RandomModel(99);
    const std::vector<uint8_t> original = ImageWithVersion(*model, kFileVersion);
    std::ofstream(dir.file("odd.fem"), std::ios::binary)
        .write(reinterpret_cast<const char*>(original.data()), static_cast<std::streamsize>(original.size()));
    int dropped = -1;
    FileError error;
    // A version word this program never writes is refused, as the .fem reader refuses it.
    const std::vector<uint8_t> foreign = ImageWithVersion(*model, 7);
    std::ofstream(dir.file("foreign.fem"), std::ios::binary)
        .write(reinterpret_cast<const char*>(foreign.data()), static_cast<std::streamsize>(foreign.size()));
    EXPECT_FALSE(ConvertModel(dir.file("foreign.fem"), dir.file("foreign.json"), dropped, error));
    EXPECT_EQ(error.message, "Unexpected file format.");
    EXPECT_FALSE(std::filesystem::exists(dir.file("foreign.json")));
    ASSERT_TRUE(ConvertModel(dir.file("odd.fem"), dir.file("odd.json"), dropped, error)) << error.Text();
    EXPECT_EQ(dropped, 0);
    ASSERT_TRUE(ConvertModel(dir.file("odd.json"), dir.file("back.fem"), dropped, error)) << error.Text();
    EXPECT_EQ(ReadBytes(dir.file("back.fem")), original);

    std::ofstream(dir.file("wall.json")) << kSmallWall;
    ASSERT_TRUE(ConvertModel(dir.file("wall.json"), dir.file("wall.fem"), dropped, error)) << error.Text();
    EXPECT_EQ(dropped, 2);
    EXPECT_FALSE(ConvertModel(dir.file("wall.json"), dir.file("no/such/dir.fem"), dropped, error));
    EXPECT_EQ(error.message, "Failed to save document.");
}

TEST(ModelJsonFiles, TheDocumentedExampleReads) {
    std::ifstream doc(test::SourceDir() / "docs" / "model-format.md");
    std::stringstream text;
    text << doc.rdbuf();
    const std::string all = text.str();
    const std::size_t start = all.find("```json\n");
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = all.find("```", start + 8);
    auto model = FromJson(all.substr(start + 8, end - start - 8));
    EXPECT_EQ(model->nxs, 3);
    EXPECT_EQ(model->controlNode, PositionCode(3, 2));
    EXPECT_EQ(model->Flag(3, 3, kBoundaryLayer), 1);
    EXPECT_EQ(model->segmentPoints[1], 2000);
}
