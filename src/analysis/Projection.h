#pragma once
// Model millimetres to client pixels for the analysis view: pixel = origin + zoom × baseScale × model,
// y downwards on the screen like the rows of the plan. baseScale fits the model into the plot at zoom 1;
// mouse drags change the zoom or move the origin. The client area is split into three bands: the plot,
// a 5-pixel black bar and a 220-pixel band for the response graphs, the last two only with separation
// on and a client taller than 225 pixels (otherwise they fall below the client area).
namespace torva {

struct Band {
    int x = 0, y = 0, width = 0, height = 0;
};

struct PaintBands {
    Band plot;  // white, the mesh and the results
    Band bar;   // black
    Band graph; // white, the response graph
};

class Projection {
public:
    static constexpr int kOriginDivisor =
        5; // the origin starts at one fifth of the width and the plot height
    static constexpr int kBarHeight = 5;
    static constexpr int kGraphHeight = 220;
    static constexpr int kStripHeight = kBarHeight + kGraphHeight; // 225
    static constexpr double kFitFraction = 0.6;
    static constexpr float kMinZoom = 0.2f;

    // Client size as the plot and the origin at one fifth of it.
    void MeasureClient(int width, int height);

    // Fits a model of width w and height h (mm) into the plot; zoom back to 1. The plot height serves
    // both quotients. An axis of length 0 has no quotient and the other one is used; with both 0 the
    // model is shown at one pixel per millimetre.
    void Fit(float w, float h);
    // Whether the last fit was of a model of this size.
    bool FittedTo(float w, float h) const { return fitWidth_ == w && fitHeight_ == h; }

    float ScreenX(float x) const { return static_cast<float>(originX) + zoom * baseScale * x; }
    float ScreenY(float y) const { return static_cast<float>(originY) + zoom * baseScale * y; }

    // With `centred` on, Fit instead centres the model in the plot at the largest scale that keeps the
    // margins below clear (the legend at the left, the overlays at the top), and a new plot size fits it
    // again, so the model never reaches under the response strip.
    static constexpr int kMarginLeft = 110, kMarginTop = 60, kMarginRight = 24, kMarginBottom = 24;
    bool centred = false;

    // Zooms by `factor` (the zoom never below 0.2) about the client pixel (px, py): the model point
    // under it stays there, to the rounding of the origin to whole pixels.
    void ZoomAbout(float factor, int px, int py);

    // A mouse move of (dx, dy) pixels during a drag: mouseMode 0 zooms by (dx + dy) / 100, never below
    // 0.2; mouseMode 1 moves the origin.
    void Drag(int mouseMode, int dx, int dy);

    // The layout of one repaint. The plot is the client height less the 225-pixel strip when separation
    // is on and that leaves a positive height, else the whole height; when the plot size differs from the
    // stored one the origin goes back to one fifth of it (the zoom stays). Returns the three bands.
    PaintBands Layout(int width, int height, bool separation);
    // The bands of the layout as it stands (after Layout for the same client).
    PaintBands Bands() const;

    float baseScale = 1.0f; // pixels per mm at zoom 1
    float zoom = 1.0f;
    int originX = 0;
    int originY = 0;
    int clientWidth = 0;
    int plotHeight = 0;

private:
    void FitCentred(float w, float h);
    float fitWidth_ = 0.0f, fitHeight_ = 0.0f; // the model of the last fit, mm
};

} // namespace torva
