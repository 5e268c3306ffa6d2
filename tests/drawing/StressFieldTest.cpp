// The filled stress rendering: the colouring value, the square's size and fade, brush reuse.
#include "drawing/StressField.h"

#include "Pixels.h"
#include "analysis/ColourScale.h"
#include "analysis/Projection.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace torva;
using namespace torva::test;

namespace {

// One pixel per mm, origin (100, 100).
Projection UnitProjection(float zoom = 1.0f) {
    Projection projection;
    projection.baseScale = 1.0f;
    projection.zoom = zoom;
    projection.originX = 100;
    projection.originY = 100;
    return projection;
}

QImage Render(StressField& field, const std::vector<StressSample>& samples, const Projection& projection,
              const ColourScale& colours) {
    QImage image = WhiteImage(200, 200);
    QPainter painter(&image);
    field.Render(painter, samples, projection, colours);
    return image;
}

} // namespace

TEST(StressField, ThePointIsColouredByItsLargerMagnitude) {
    EXPECT_EQ(StressField::ColourValue(-3.0f, 2.0f), -3.0f);
    EXPECT_EQ(StressField::ColourValue(2.0f, -3.0f), -3.0f);
    EXPECT_EQ(StressField::ColourValue(1.0f, 1.5f), 1.5f);
    EXPECT_EQ(StressField::ColourValue(-2.0f, 2.0f), -2.0f); // a tie keeps the first

    // Range -3..3: -3 is red (hue 0), +2 would be blue-violet.
    ColourScale colours;
    colours.SetRange(-3.0f, 3.0f);
    StressField field;
    const QImage image = Render(field, {{0, 0, -3.0f, 2.0f}}, UnitProjection(), colours);
    const QRgb centre = image.pixel(100, 100);
    // Red at half opacity over white.
    EXPECT_GE(qRed(centre), 250);
    EXPECT_NEAR(qGreen(centre), 128, 6);
    EXPECT_NEAR(qBlue(centre), 128, 6);
}

TEST(StressField, EachPointIsASquareOfHalfSizeTenTimesZoomFadingToItsCorners) {
    ColourScale colours;
    colours.SetRange(0.0f, 1.0f);
    StressField field;
    for (float zoom : {1.0f, 2.0f}) {
        const QImage image = Render(field, {{0, 0, 0.0f, 0.0f}}, UnitProjection(zoom), colours);
        const QRect box = Extent(image, image.rect(), [](QRgb c) { return !IsWhite(c); });
        const int side = static_cast<int>(20 * zoom);
        EXPECT_NEAR(box.width(), side, 1) << "zoom " << zoom;
        EXPECT_NEAR(box.height(), side, 1) << "zoom " << zoom;
        EXPECT_NEAR(box.center().x(), 100, 1);
        EXPECT_NEAR(box.center().y(), 100, 1);

        // Opacity falls linearly along each quad's diagonal: 1/2 at the point, 1/4 at the middle of
        // an edge, nearly 0 next to a corner. Red over white shows it in the green channel.
        const int h = side / 2;
        const int atCentre = 255 - qGreen(image.pixel(100, 100));
        const int atEdge = 255 - qGreen(image.pixel(100 + h - 1, 100));
        const int nearCorner = 255 - qGreen(image.pixel(100 + h - 1, 100 + h - 1));
        EXPECT_NEAR(atCentre, 124, 8); // the pixel centre lies half a pixel off the point
        EXPECT_NEAR(atEdge, 64, 10);
        EXPECT_LT(nearCorner, 16);
        // The four quadrants are mirror images (pixel x covers x .. x + 1, so 99 - d mirrors 100 + d).
        const int d = h / 2;
        EXPECT_NEAR(qGreen(image.pixel(99 - d, 99 - d)), qGreen(image.pixel(100 + d, 100 + d)), 3);
        EXPECT_NEAR(qGreen(image.pixel(100 + d, 99 - d)), qGreen(image.pixel(99 - d, 100 + d)), 3);
    }
}

TEST(StressField, PointsAreMappedAndColouredEachByItsOwnValue) {
    ColourScale colours;
    colours.SetRange(-10.0f, 10.0f);
    Projection projection = UnitProjection();
    projection.baseScale = 0.5f;
    StressField field;
    // (-120, 40) mm -> (40, 120) px, red; (100, -100) mm -> (150, 50) px, violet-blue.
    const QImage image =
        Render(field, {{-120, 40, -10.0f, 0.0f}, {100, -100, 1.0f, 10.0f}}, projection, colours);
    const QRgb red = image.pixel(40, 120);
    const QRgb blue = image.pixel(150, 50);
    EXPECT_GT(qRed(red), 250);
    EXPECT_LT(qBlue(red), 140);
    EXPECT_GT(qBlue(blue), 250);
    EXPECT_LT(qGreen(blue), 140);
    EXPECT_TRUE(IsWhite(image.pixel(100, 100)));
}

TEST(StressField, OverlappingSquaresBlendIntoAField) {
    ColourScale colours;
    colours.SetRange(0.0f, 1.0f);
    StressField field;
    const QImage one = Render(field, {{0, 0, 0.0f, 0.0f}}, UnitProjection(), colours);
    const QImage two = Render(field, {{0, 0, 0.0f, 0.0f}, {6, 0, 0.0f, 0.0f}}, UnitProjection(), colours);
    // Between the points both squares add colour.
    EXPECT_LT(qGreen(two.pixel(103, 100)), qGreen(one.pixel(103, 100)) - 20);
}
