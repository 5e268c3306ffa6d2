#pragma once
// Pixel probes for the drawing tests: count the pixels of a colour class in a region of a picture.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdlib>
#include <functional>

namespace torva::test {

using PixelClass = std::function<bool(QRgb)>;

inline bool IsWhite(QRgb c) {
    return qRed(c) == 255 && qGreen(c) == 255 && qBlue(c) == 255;
}
inline bool IsBlack(QRgb c) {
    return qRed(c) < 40 && qGreen(c) < 40 && qBlue(c) < 40;
}
inline bool IsPureRed(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
inline bool IsPureBlue(QRgb c) {
    return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60;
}
inline bool IsPureGreen(QRgb c) {
    return qGreen(c) > 200 && qRed(c) < 60 && qBlue(c) < 60;
}
inline bool IsColoured(QRgb c) {
    return !IsWhite(c) && !IsBlack(c);
}

inline int Count(const QImage& image, const QRect& region, const PixelClass& is) {
    const QRect r = region.intersected(image.rect());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (is(image.pixel(x, y))) ++n;
    return n;
}
inline int Count(const QImage& image, const PixelClass& is) {
    return Count(image, image.rect(), is);
}

// Whether a pixel of the class lies within `radius` pixels of (x, y): lines meet their end points to
// within the rasteriser's rounding.
inline bool Near(const QImage& image, int x, int y, const PixelClass& is, int radius = 1) {
    return Count(image, QRect(x - radius, y - radius, 2 * radius + 1, 2 * radius + 1), is) > 0;
}

// The bounding box of the pixels of a class, empty when there are none.
inline QRect Extent(const QImage& image, const QRect& region, const PixelClass& is) {
    const QRect r = region.intersected(image.rect());
    QRect box;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (is(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

inline QImage WhiteImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

// With TORVA_PICTURE_DIR set, saves the picture there as NAME.png, to look at by eye.
inline void SaveIfAsked(const QImage& image, const char* name) {
    if (const char* dir = std::getenv("TORVA_PICTURE_DIR")) image.save(QString("%1/%2.png").arg(dir, name));
}

} // namespace torva::test
