// Pictures of the example models with results of the right shape: every part of the view shows up
// where it belongs. With TORVA_PICTURE_DIR set the pictures are saved there to be looked at.
#include "ExampleResults.h"
#include "Pixels.h"
#include "analysis/AnalysisScene.h"
#include "analysis/AnalysisState.h"
#include "analysis/ColourScale.h"
#include "analysis/Mesh.h"
#include "drawing/ResponseGraphs.h"
#include "drawing/ResultPainter.h"
#include "model/ModelFile.h"
#include "support/TempDir.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace torva;
using namespace torva::test;

namespace {

struct ExampleView {
    std::unique_ptr<CFramePat> model = std::make_unique<CFramePat>();
    std::unique_ptr<Mesh> mesh = std::make_unique<Mesh>();
    std::unique_ptr<AnalysisScene> scene = std::make_unique<AnalysisScene>();
    AnalysisState state;
    ViewControl view;
    ColourScale colours;
    QSize client{800, 700};

    explicit ExampleView(const std::string& name, bool separation = false) {
        FileError error;
        EXPECT_TRUE(LoadModelFile((SourceDir() / "examples" / name).string(), *model, error)) << error.Text();
        view.separation = separation ? 1 : 0;
        scene->projection.MeasureClient(client.width(), client.height() - (separation ? 225 : 0));
        float width = 0, height = 0;
        mesh->BuildNodeGrid(*model, kActualSize, width, height);
        mesh->Scan(*model);
        scene->projection.Fit(width, height);
        state.sizeMode = kActualSize;
    }
    PaintInput Input() {
        PaintInput input;
        input.scene = scene.get();
        input.mesh = MeshViewOf(*mesh);
        input.loads = LoadViewOf(*mesh);
        input.state = &state;
        input.view = &view;
        input.colours = &colours;
        return input;
    }
    QImage Paint(const char* name) {
        QImage image = RenderAnalysis(Input(), client);
        if (const char* dir = std::getenv("TORVA_PICTURE_DIR"))
            image.save(QString("%1/%2.png").arg(dir, name));
        return image;
    }
    // Pixel position of mesh node k as displayed.
    QPoint Screen(int k, bool displayed) const {
        const float x = static_cast<float>(displayed ? scene->shownX[k] : mesh->nodeX[k]);
        const float y = static_cast<float>(displayed ? scene->shownY[k] : mesh->nodeY[k]);
        return QPoint(static_cast<int>(scene->projection.ScreenX(x)),
                      static_cast<int>(scene->projection.ScreenY(y)));
    }
    // The bounding box of the displayed mesh on the screen.
    QRect MeshBox(bool displayed) const {
        QRect box;
        for (int k = 0; k < mesh->nodeCount; ++k) box |= QRect(Screen(k, displayed), QSize(1, 1));
        return box;
    }
};

void ExpectArrowsAtLoads(const ExampleView& v, const QImage& image, bool displayed) {
    for (int i = 0; i < v.mesh->loadCount; ++i) {
        const QPoint tip = v.Screen(v.mesh->loadNode[i], displayed);
        EXPECT_TRUE(Near(image, tip.x(), tip.y(), IsPureGreen, 3)) << "load " << i;
    }
}

} // namespace

TEST(ExamplePictures, ShearWallBeforeAndAfterItsAnalysis) {
    ExampleView v("shear-wall.fem");
    const QImage before = v.Paint("shear-wall-model");
    const QRect box = v.MeshBox(false);
    EXPECT_EQ(Count(before, box, IsPureRed) + Count(before, box, IsPureBlue), 0);
    EXPECT_GT(Count(before, box, IsBlack), 1000);
    ExpectArrowsAtLoads(v, before, false);

    FabricateResults(*v.scene, MeshViewOf(*v.mesh), Cantilever::Wall, 15.0f, 6.0f, 1.2f);
    v.state.analysisDone = 1;
    v.state.responseScale = 128.0f; // "Amplify the Respnse" seven times
    v.state.glyphFactor = 5.0f;     // the "Floor" trackbar at +100: the wall's crosses are small
    const QImage after = v.Paint("shear-wall-elastic");
    const QRect moved = v.MeshBox(true);
    EXPECT_GT(moved.right(), box.right() + 20); // the roof swayed to the right
    EXPECT_GT(Count(after, moved, IsPureRed), 2000);
    EXPECT_GT(Count(after, moved, IsPureBlue), 1000);
    ExpectArrowsAtLoads(v, after, true);

    v.view.renderOnce = 1;
    const QImage field = v.Paint("shear-wall-field");
    EXPECT_GT(Count(field, moved, [](QRgb c) { return IsColoured(c) && !IsPureRed(c) && !IsPureBlue(c); }),
              moved.width() * moved.height() / 2);
}

TEST(ExamplePictures, ShearWallPushOverWithItsForceDeformationCurve) {
    ExampleView v("shear-wall.fem", /*separation*/ true);
    FabricateResults(*v.scene, MeshViewOf(*v.mesh), Cantilever::Wall, 10.0f, 4.0f, 1.0f);
    v.state.analysisDone = 1;
    v.state.analysisMode = AnalysisState::kPushoverMode;
    v.state.responseScale = 32.0f;
    v.state.runSegments = 1;
    v.state.runStepsPerSegment = 100;
    v.state.stepCounter = 60;
    for (int s = 1; s <= 60; ++s) {
        const float d = 0.1f * static_cast<float>(s);
        v.scene->controlHistory[2 * s] = d;
        v.scene->controlHistory[2 * s + 1] = 3.2e5f * (1.0f - std::exp(-d / 1.5f));
    }
    const QImage first = v.Paint("shear-wall-pushover-1");
    // The curve passed 2 and 4 mm and 1e5, 2e5 and 3e5 N on the way; the next paint shows 6 mm, 4e5 N.
    EXPECT_EQ(v.scene->graphCounterX, 2);
    EXPECT_EQ(v.scene->graphCounterY, 3);
    const QImage second = v.Paint("shear-wall-pushover-2");
    const int strip = 700 - 220;
    EXPECT_EQ(Count(second, QRect(275, strip + 180, 251, 1), IsPureBlue), 251);
    EXPECT_GT(Count(second, QRect(275, strip, 260, 181), IsPureBlue), 251 + 131 + 200);
}

TEST(ExamplePictures, CantileverWithTheConcreteStressStrainPlots) {
    ExampleView v("cantilever.fem", true);
    FabricateResults(*v.scene, MeshViewOf(*v.mesh), Cantilever::Beam, 2.0f, 8.0f, 0.8f);
    v.state.analysisDone = 1;
    v.state.analysisMode = AnalysisState::kPushoverMode;
    v.state.responseScale = 128.0f;
    v.state.runSegments = 5;
    v.state.runStepsPerSegment = 50;
    v.state.stepCounter = 40;
    v.scene->viewKind = kGraphConcreteStressStrain;
    for (int s = 1; s <= 40; ++s)
        for (int slot = 0; slot < 18; ++slot) {
            const double e = -0.03 * s * (1 + slot % 9) / 9.0;
            v.scene->outputGaussHistory[kConcreteStrain][18 * s + slot] = e;
            v.scene->outputGaussHistory[kConcreteStress][18 * s + slot] =
                -1.0 + std::exp(2.5 * e) * std::cos(e);
        }
    const QImage image = v.Paint("cantilever-concrete");
    const QRect moved = v.MeshBox(true);
    EXPECT_GT(moved.bottom(), v.MeshBox(false).bottom() + 10); // the free end went down
    ExpectArrowsAtLoads(v, image, true);
    EXPECT_GT(Count(image, QRect(0, 480, 800, 220), IsPureBlue), 18 * 121 + 18 * 20);
}

TEST(ExamplePictures, JointWallWithItsDiscreteElementPlots) {
    ExampleView v("joint-wall.fem", true);
    FabricateResults(*v.scene, MeshViewOf(*v.mesh), Cantilever::Wall, 3.0f, 3.0f, 1.5f);
    v.state.analysisDone = 1;
    v.state.analysisMode = AnalysisState::kPushoverMode;
    v.state.responseScale = 64.0f;
    v.state.runSegments = 5;
    v.state.runStepsPerSegment = 50;
    v.state.stepCounter = 30;
    v.scene->viewKind = kGraphDiscreteForceDeformation;
    for (int s = 1; s <= 30; ++s)
        for (int spring = 0; spring < 2; ++spring) {
            const double open = 0.04 * s * (spring + 1);
            v.scene->outputDiscreteHistory[kConcreteStrain][2 * s + spring] = -open / 2;
            v.scene->outputDiscreteHistory[kConcreteStress][2 * s + spring] = -std::tanh(open);
            v.scene->outputDiscreteHistory[kRebarStrain][2 * s + spring] = open;
            v.scene->outputDiscreteHistory[kRebarStress][2 * s + spring] = std::min(1.0, 2 * open);
        }
    const QImage image = v.Paint("joint-wall-discrete");
    ExpectArrowsAtLoads(v, image, true);
    EXPECT_GT(Count(image, QRect(0, 480, 800, 220), IsPureRed), 2 * 181 + 40);
}
