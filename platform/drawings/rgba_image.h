// RgbaImage: a picture of 8-bit red, green, blue and alpha pixels, written to
// and read from PNG files (libpng).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zarvento {

class RgbaImage {
public:
    using Pixel = std::array<std::uint8_t, 4>;
    // The most pixels a picture read from a file or a document may have
    // (5000 x 5000, 100 MB in memory): the pictures the system makes are a
    // small part of that, and a larger one would only cost memory and time.
    static constexpr std::int64_t kMaxReadPixels = 25'000'000;

    RgbaImage() = default;
    RgbaImage(int width, int height, Pixel fill = {255, 255, 255, 255});

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Rows from the top, columns from the left; the caller keeps inside.
    Pixel At(int x, int y) const;
    void Set(int x, int y, const Pixel& p);
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

    // HostError(STG_E_WRITEFAULT) when the file cannot be written.
    void WritePng(const std::string& path) const;
    // HostError(STG_E_FILENOTFOUND) for a missing file, STG_E_INVALIDHEADER
    // for one that is no PNG or has more than kMaxReadPixels.
    static RgbaImage ReadPng(const std::string& path);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace zarvento
