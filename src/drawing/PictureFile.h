#pragma once
// A picture file in the format its extension names: .png, .jpg/.jpeg (raster, white background) or
// .svg (the same painting as vector drawing). The picture is encoded in memory and the file replaced
// as a whole (model/AtomicFile.h), so a failed save leaves any old picture as it was.
#include <QSize>
#include <functional>
#include <string>

class QPainter;

namespace torva {

enum class PictureFormat { Png, Jpeg, Svg };

// The format of `path` by its extension (any case); false for any other extension or none.
bool PictureFormatOf(const std::string& path, PictureFormat& format);

// "Cannot write <path>: a picture file ends in .png, .jpg, .jpeg or .svg" unless the format is known.
bool CheckPictureName(const std::string& path, std::string& error);

// Paints a picture of `size` with `paint` and writes it. On failure returns false with
// error = "Cannot write <path>: <reason>".
bool WritePicture(const std::string& path, QSize size, const std::function<void(QPainter&)>& paint,
                  std::string& error);

} // namespace torva
