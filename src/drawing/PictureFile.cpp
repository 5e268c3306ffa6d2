#include "drawing/PictureFile.h"

#include "model/AtomicFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>

namespace torva {
namespace {

constexpr int kJpegQuality = 95;

std::string LowerExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

QByteArray Raster(QSize size, const std::function<void(QPainter&)>& paint, const char* format) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paint(painter);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, format[0] == 'J' ? kJpegQuality : -1)) bytes.clear();
    return bytes;
}

QByteArray Vector(QSize size, const std::function<void(QPainter&)>& paint) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(QStringLiteral("TORVA_FEM analysis"));
    QPainter painter(&generator);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    paint(painter);
    painter.end();
    return bytes;
}

} // namespace

bool PictureFormatOf(const std::string& path, PictureFormat& format) {
    const std::string extension = LowerExtension(path);
    if (extension == "png")
        format = PictureFormat::Png;
    else if (extension == "jpg" || extension == "jpeg")
        format = PictureFormat::Jpeg;
    else if (extension == "svg")
        format = PictureFormat::Svg;
    else
        return false;
    return true;
}

bool CheckPictureName(const std::string& path, std::string& error) {
    PictureFormat format;
    if (PictureFormatOf(path, format)) return true;
    error = "Cannot write " + path + ": a picture file ends in .png, .jpg, .jpeg or .svg";
    return false;
}

bool WritePicture(const std::string& path, QSize size, const std::function<void(QPainter&)>& paint,
                  std::string& error) {
    PictureFormat format;
    if (!PictureFormatOf(path, format)) return CheckPictureName(path, error);
    const QByteArray bytes = format == PictureFormat::Svg   ? Vector(size, paint)
                             : format == PictureFormat::Png ? Raster(size, paint, "PNG")
                                                            : Raster(size, paint, "JPEG");
    if (bytes.isEmpty()) {
        error = "Cannot write " + path + ": the picture could not be encoded";
        return false;
    }
    return WriteFileAtomically(path, {bytes.constData(), static_cast<std::size_t>(bytes.size())}, error);
}

} // namespace torva
