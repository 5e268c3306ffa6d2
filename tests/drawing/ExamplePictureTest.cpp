// Pictures of the example models in push-over mode with results of the right shape: the displaced mesh,
// the crosses, an arrow at every load and the chosen graph. With TORVA_PICTURE_DIR set they are saved.
#include "ExampleResults.h"
#include "Pixels.h"
#include "analysis/ColourScale.h"
#include "analysis/FramePreparation.h"
#include "analysis/Mesh.h"
#include "drawing/ResponseGraphs.h"
#include "drawing/ResultPainter.h"
#include "model/ModelFile.h"
#include "support/TempDir.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

using namespace torva;
using namespace torva::test;

TEST(ExamplePictures, EveryExampleShowsItsResultsLoadsAndGraph) {
    struct Example {
        const char* file;
        Cantilever shape;
        float tip, stress, shear, amplification;
        int kind;
    };
    const Example examples[] = {
        {"one-element.fem", Cantilever::Wall, 0.05f, 2.0f, 1.0f, 1024.0f, kGraphForceDeformation},
        {"shear-wall.fem", Cantilever::Wall, 10.0f, 4.0f, 1.0f, 128.0f, kGraphForceDeformation},
        {"cantilever.fem", Cantilever::Beam, 2.0f, 8.0f, 0.8f, 128.0f, kGraphConcreteStressStrain},
        {"joint-wall.fem", Cantilever::Wall, 3.0f, 3.0f, 1.5f, 64.0f, kGraphDiscreteForceDeformation},
    };
    for (const Example& example : examples) {
        SCOPED_TRACE(example.file);
        auto model = std::make_unique<CFramePat>();
        FileError error;
        ASSERT_TRUE(LoadModelFile((SourceDir() / "examples" / example.file).string(), *model, error));
        auto mesh = std::make_unique<Mesh>();
        auto scene = std::make_unique<AnalysisScene>();
        AnalysisState state;
        ViewControl view;
        ColourScale colours;
        const QSize client(800, 700);
        view.separation = 1;
        scene->projection.MeasureClient(client.width(), client.height() - 225);
        float width = 0, height = 0;
        mesh->BuildNodeGrid(*model, kActualSize, width, height);
        mesh->Scan(*model);
        scene->projection.Fit(width, height);

        const MeshView meshView = MeshViewOf(*mesh);
        FabricateResults(*scene, meshView, example.shape, example.tip, example.stress, example.shear);
        FabricateHistories(*scene, 40);
        scene->viewKind = example.kind;
        state.analysisDone = 1;
        state.analysisMode = AnalysisState::kPushoverMode;
        state.responseScale = example.amplification;
        state.runSegments = 1;
        state.runStepsPerSegment = 100;
        state.stepCounter = 40;
        PrepareFrame(*scene, meshView, state, view, colours, client.width(), client.height());
        PaintInput input{scene.get(), meshView, LoadViewOf(*mesh), &state, &view, &colours, {}};
        const QImage image = RenderAnalysis(input, client);
        if (const char* dir = std::getenv("TORVA_PICTURE_DIR"))
            image.save(QString("%1/%2.png").arg(dir, example.file));

        // The displaced mesh in red, clear of the undeformed one where the loaded edge moved most.
        QRect before, after;
        for (int k = 0; k < mesh->nodeCount; ++k) {
            auto screen = [&](int x, int y) {
                return QRect(static_cast<int>(scene->projection.ScreenX(static_cast<float>(x))),
                             static_cast<int>(scene->projection.ScreenY(static_cast<float>(y))), 1, 1);
            };
            before |= screen(mesh->nodeX[k], mesh->nodeY[k]);
            after |= screen(scene->shownX[k], scene->shownY[k]);
        }
        EXPECT_NE(before, after);
        EXPECT_GT(Count(image, after, IsPureRed), 2 * (after.width() + after.height()));
        // Tension and compression crosses on both sides of the member.
        EXPECT_GT(Count(image, after, IsPureBlue), 10);
        for (int i = 0; i < mesh->loadCount; ++i) {
            const int n = mesh->loadNode[i];
            const int x = static_cast<int>(scene->projection.ScreenX(static_cast<float>(scene->shownX[n])));
            const int y = static_cast<int>(scene->projection.ScreenY(static_cast<float>(scene->shownY[n])));
            EXPECT_TRUE(Near(image, x, y, IsPureGreen, 3)) << "load " << i;
        }
        EXPECT_GT(Count(image, QRect(0, 480, 800, 220), [](QRgb c) { return !IsWhite(c); }), 300);
    }
}
