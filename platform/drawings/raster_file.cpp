// Raster files: TIFF through libtiff, PNG through libpng.
#include "platform/drawings/raster_file.h"

#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/core/host_error.h"

namespace zarvento {

namespace {

std::string LowerExtension(const std::string& path) {
    std::string e = std::filesystem::path(path).extension().string();
    std::transform(e.begin(), e.end(), e.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return e;
}

bool IsTiff(const std::string& path) {
    const std::string e = LowerExtension(path);
    return e == ".tif" || e == ".tiff";
}

// libtiff reports through handlers; the host reports through its errors.
void Silent(const char*, const char*, va_list) {}

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

void WriteTiff(const RgbaImage& image, const std::string& path) {
    TIFFSetErrorHandler(Silent);
    TIFFSetWarningHandler(Silent);
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(path.c_str(), "w"));
    if (!tif) throw HostError(STG_E_WRITEFAULT_, "cannot write the picture " + path);
    const auto w = static_cast<std::uint32_t>(image.Width());
    const auto h = static_cast<std::uint32_t>(image.Height());
    TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, 4);
    TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif.get(), TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif.get(), TIFFTAG_COMPRESSION, COMPRESSION_DEFLATE);
    std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tif.get(), TIFFTAG_EXTRASAMPLES, 1, extra);
    TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif.get(), 0));
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 4);
    for (std::uint32_t y = 0; y < h; ++y) {
        std::copy_n(image.Bytes().begin() + static_cast<std::ptrdiff_t>(y * row.size()), row.size(), row.begin());
        if (TIFFWriteScanline(tif.get(), row.data(), y, 0) < 0)
            throw HostError(STG_E_WRITEFAULT_, "cannot write the picture " + path);
    }
    if (!TIFFFlush(tif.get())) throw HostError(STG_E_WRITEFAULT_, "cannot write the picture " + path);
}

RgbaImage ReadTiff(const std::string& path) {
    TIFFSetErrorHandler(Silent);
    TIFFSetWarningHandler(Silent);
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(path.c_str(), "r"));
    if (!tif) throw HostError(STG_E_INVALIDHEADER_, "not a TIFF picture: " + path);
    std::uint32_t w = 0, h = 0;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
    if (w == 0 || h == 0 || static_cast<std::int64_t>(w) * h > RgbaImage::kMaxReadPixels)
        throw HostError(STG_E_INVALIDHEADER_, "the TIFF picture " + path + " has " + std::to_string(w) + " x " +
                                                  std::to_string(h) + " pixels, none or more than the " +
                                                  std::to_string(RgbaImage::kMaxReadPixels / 1000000) +
                                                  " million it may have");
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(w) * h);
    if (!TIFFReadRGBAImageOriented(tif.get(), w, h, raster.data(), ORIENTATION_TOPLEFT, 0))
        throw HostError(STG_E_INVALIDHEADER_, "a damaged TIFF picture: " + path);
    RgbaImage image(static_cast<int>(w), static_cast<int>(h));
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint32_t p = raster[static_cast<std::size_t>(y) * w + x];
            image.Set(static_cast<int>(x), static_cast<int>(y),
                      {static_cast<std::uint8_t>(TIFFGetR(p)), static_cast<std::uint8_t>(TIFFGetG(p)),
                       static_cast<std::uint8_t>(TIFFGetB(p)), static_cast<std::uint8_t>(TIFFGetA(p))});
        }
    return image;
}

}  // namespace

void WriteRasterFile(const RgbaImage& image, const std::string& path) {
    if (IsTiff(path)) return WriteTiff(image, path);
    if (LowerExtension(path) == ".png") return image.WritePng(path);
    throw HostError(E_INVALIDARG_, "a picture is written as .tif or .png, not " + path);
}

RgbaImage ReadRasterFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw HostError(STG_E_FILENOTFOUND_, "no picture " + path);
    if (IsTiff(path)) return ReadTiff(path);
    return RgbaImage::ReadPng(path);
}

std::string PngBytes(const RgbaImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.Width());
    png.height = static_cast<png_uint_32>(image.Height());
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.Bytes().data(), 0, nullptr)) return {};
    std::string out(size, '\0');
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, image.Bytes().data(), 0, nullptr)) return {};
    out.resize(size);
    return out;
}

bool PngSize(const std::string& bytes, int& width, int& height) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return false;
    width = static_cast<int>(std::min<png_uint_32>(png.width, 1u << 30));
    height = static_cast<int>(std::min<png_uint_32>(png.height, 1u << 30));
    png_image_free(&png);
    return true;
}

RgbaImage ImageOfPngBytes(const std::string& bytes) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return {};
    png.format = PNG_FORMAT_RGBA;
    if (png.width == 0 || png.height == 0 ||
        static_cast<std::int64_t>(png.width) * png.height > RgbaImage::kMaxReadPixels) {
        png_image_free(&png);
        return {};
    }
    RgbaImage image(static_cast<int>(png.width), static_cast<int>(png.height));
    std::vector<std::uint8_t> buffer(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, buffer.data(), 0, nullptr)) {
        png_image_free(&png);
        return {};
    }
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const std::size_t i = (static_cast<std::size_t>(y) * image.Width() + x) * 4;
            image.Set(x, y, {buffer[i], buffer[i + 1], buffer[i + 2], buffer[i + 3]});
        }
    return image;
}

}  // namespace zarvento
