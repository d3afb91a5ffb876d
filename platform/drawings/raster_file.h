// Raster pictures in files: TIFF (libtiff) and PNG, chosen by the file's
// extension, and the PNG form of a picture in memory.
#pragma once

#include <string>

#include "platform/drawings/rgba_image.h"

namespace zarvento {

// ".tif"/".tiff" or ".png" (any case); HostError(E_INVALIDARG) for another
// extension, STG_E_WRITEFAULT when the file cannot be written.
void WriteRasterFile(const RgbaImage& image, const std::string& path);
// HostError(STG_E_FILENOTFOUND) for a missing file, STG_E_INVALIDHEADER for
// one that is not a picture of its kind.
RgbaImage ReadRasterFile(const std::string& path);
// The picture as the bytes of a PNG file.
std::string PngBytes(const RgbaImage& image);
// The picture of a PNG file's bytes; an empty picture for bytes that are not
// one, or one of more than RgbaImage::kMaxReadPixels.
RgbaImage ImageOfPngBytes(const std::string& bytes);
// The size a PNG file's bytes give in their header; false for bytes that are
// not a PNG file.
bool PngSize(const std::string& bytes, int& width, int& height);

}  // namespace zarvento
