#pragma once
// A small analysis view to paint in the drawing tests: a hand-made mesh, its loads, a result store with
// a fixed projection, and the program-wide state and colour scale of its own.
#include "analysis/AnalysisScene.h"
#include "analysis/AnalysisState.h"
#include "analysis/ColourScale.h"
#include "analysis/FramePreparation.h"
#include "analysis/TestMesh.h"
#include "drawing/ResultPainter.h"

#include <QImage>
#include <QString>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace torva::test {

struct PaintFixture {
    TestMesh mesh;
    std::vector<int32_t> loadNode, loadFx, loadFy;
    std::unique_ptr<AnalysisScene> scene = std::make_unique<AnalysisScene>();
    AnalysisState state;
    ViewControl view;
    ColourScale colours;
    QSize client{600, 500};

    // Origin (ox, oy) and pixels per mm at zoom 1, for a client of the fixture's size.
    void Place(int ox, int oy, float scale) {
        const int plot = view.separation == 1 ? client.height() - 225 : client.height();
        scene->projection.MeasureClient(client.width(), plot);
        scene->projection.originX = ox;
        scene->projection.originY = oy;
        scene->projection.baseScale = scale;
        scene->projection.zoom = 1.0f;
    }
    void AddLoad(int node, int fx, int fy) {
        loadNode.push_back(node);
        loadFx.push_back(fx);
        loadFy.push_back(fy);
    }
    // Gauss point g of element e: first and second principal stress and the first one's angle.
    void SetGauss(int e, int g, float s1, float s2, float theta) {
        const int at = AnalysisScene::GaussIndex(e, g);
        scene->shownGauss[at] = s1;
        scene->shownGauss[at + 1] = s2;
        scene->shownGauss[at + 2] = theta;
    }
    void SetAllGauss(float s1, float s2, float theta) {
        for (int e = 0; e < static_cast<int>(mesh.elemDiscrete.size()); ++e)
            for (int g = 0; g < 9; ++g) SetGauss(e, g, s1, s2, theta);
    }
    void ShowResults() {
        state.analysisDone = 1;
        view.showPrincipal = 1;
    }
    PaintInput Input() {
        PaintInput input;
        input.scene = scene.get();
        input.mesh = mesh.View();
        input.loads = {static_cast<int>(loadNode.size()), loadNode.data(), loadFx.data(), loadFy.data()};
        input.state = &state;
        input.view = &view;
        input.colours = &colours;
        return input;
    }
    // With TORVA_PICTURE_DIR set, every picture is also saved there, named after the test.
    QImage Paint() {
        PrepareFrame(*scene, mesh.View(), state, view, colours, client.width(), client.height());
        QImage image = RenderAnalysis(Input(), client);
        if (const char* dir = std::getenv("TORVA_PICTURE_DIR")) {
            const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
            image.save(QString("%1/%2-%3.png").arg(dir, test->name()).arg(++painted));
        }
        return image;
    }
    int painted = 0;
};

} // namespace torva::test
