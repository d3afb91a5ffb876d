// RgbaImage: pixels and PNG files through libpng's simplified interface,
// which reports errors by its result instead of jumping out of our frames.
#include "platform/drawings/rgba_image.h"

#include <png.h>

#include <cstring>
#include <filesystem>

#include "platform/core/host_error.h"

namespace zarvento {

RgbaImage::RgbaImage(int width, int height, Pixel fill) : width_(width), height_(height) {
    if (width <= 0 || height <= 0 || width > 1 << 15 || height > 1 << 15)
        throw HostError(E_INVALIDARG_, "a picture of " + std::to_string(width) + " x " + std::to_string(height));
    bytes_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (std::size_t i = 0; i < bytes_.size(); i += 4) std::memcpy(&bytes_[i], fill.data(), 4);
}

RgbaImage::Pixel RgbaImage::At(int x, int y) const {
    const std::size_t i =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 4;
    return {bytes_[i], bytes_[i + 1], bytes_[i + 2], bytes_[i + 3]};
}

void RgbaImage::Set(int x, int y, const Pixel& p) {
    const std::size_t i =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 4;
    std::memcpy(&bytes_[i], p.data(), 4);
}

void RgbaImage::WritePng(const std::string& path) const {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width_);
    image.height = static_cast<png_uint_32>(height_);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, bytes_.data(), 0, nullptr)) {
        const std::string why = image.message;
        png_image_free(&image);
        throw HostError(STG_E_WRITEFAULT_, "cannot write the picture " + path + ": " + why);
    }
}

RgbaImage RgbaImage::ReadPng(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw HostError(STG_E_FILENOTFOUND_, "no picture " + path);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        throw HostError(STG_E_INVALIDHEADER_, "not a PNG picture: " + path + ": " + image.message);
    image.format = PNG_FORMAT_RGBA;
    if (static_cast<std::int64_t>(image.width) * image.height > kMaxReadPixels) {
        png_image_free(&image);
        throw HostError(STG_E_INVALIDHEADER_, "the picture " + path + " has " + std::to_string(image.width) + " x " +
                                                  std::to_string(image.height) + " pixels, more than the " +
                                                  std::to_string(kMaxReadPixels / 1000000) + " million it may have");
    }
    RgbaImage out(static_cast<int>(image.width), static_cast<int>(image.height));
    if (!png_image_finish_read(&image, nullptr, out.bytes_.data(), 0, nullptr)) {
        const std::string why = image.message;
        png_image_free(&image);
        throw HostError(STG_E_INVALIDHEADER_, "damaged PNG picture " + path + ": " + why);
    }
    return out;
}

}  // namespace zarvento
