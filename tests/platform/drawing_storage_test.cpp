// The drawing document's stored text read back from damaged and hostile
// texts: refused, never thrown, and a picture too large to take in refused
// before it is decoded.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/documents/drawing_document.h"
#include "platform/drawings/raster_file.h"
#include "platform/drawings/rgba_image.h"

namespace zarvento {
namespace {

// Each tag of the text with fewer fields than it takes, down to the tag
// alone; "object\t0" once threw out of the reader and ended the program.
TEST(DrawingStorage, LinesCutShortAreRefusedWhateverTheirTag) {
    std::vector<std::string> lines;
    for (const char* tag : {"object", "boundary", "text", "dimension", "table", "tablecell", "hatch", "roughness",
                            "raster", "sheet", "cell", "view", "zoom"})
        for (const char* rest : {"", "\t0"}) lines.push_back(std::string(tag) + rest);
    for (const char* tag : {"object", "boundary"})
        for (const char* rest : {"\t0\tline", "\t0\tarc\t1", "\t0\tcircle\t0\t0", "\t0\tpoints\t1\t2"})
            lines.push_back(std::string(tag) + rest);
    for (const std::string& line : lines) {
        DrawingDocument d;
        std::string why;
        EXPECT_FALSE(DrawingDocument::Decode(line + "\n", d, &why)) << line;
    }
}

std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<char>((v >> (24 - 8 * k)) & 0xFF);
}

// A small picture's PNG bytes whose header claims another size (with the
// header's checksum made right, so that a reader believes it).
std::string PngClaiming(std::uint32_t width, std::uint32_t height) {
    std::string png = PngBytes(RgbaImage(2, 2));
    // Signature (8), length (4), "IHDR" (4), width, height ...; the CRC
    // covers the type and the 13 bytes of data.
    PutBigEndian(png, 16, width);
    PutBigEndian(png, 20, height);
    PutBigEndian(png, 29, Crc32(png.substr(12, 17)));
    return png;
}

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

TEST(DrawingStorage, APictureOfMorePixelsThanTheCapIsRefusedUndecodedAndSaysWhy) {
    int width = 0, height = 0;
    ASSERT_TRUE(PngSize(PngClaiming(16000, 16000), width, height));
    EXPECT_EQ(width, 16000);
    EXPECT_EQ(height, 16000);
    EXPECT_EQ(ImageOfPngBytes(PngClaiming(16000, 16000)).Width(), 0);

    DrawingDocument d;
    std::string why;
    const std::string line = "raster\t0\t1\t2\t1\tRastr.tif\t" + Hex(PngClaiming(16000, 16000)) + "\n";
    EXPECT_FALSE(DrawingDocument::Decode(line, d, &why));
    EXPECT_NE(why.find("16000 x 16000"), std::string::npos) << why;
    EXPECT_NE(why.find("Rastr.tif"), std::string::npos) << why;

    // A picture within the cap goes through.
    const std::string small = "raster\t0\t1\t2\t1\tRastr.tif\t" + Hex(PngBytes(RgbaImage(3, 2))) + "\n";
    ASSERT_TRUE(DrawingDocument::Decode(small, d, &why)) << why;
    ASSERT_EQ(d.Rasters().size(), 1u);
    EXPECT_EQ(d.Rasters()[0]->image.Width(), 3);
}

}  // namespace
}  // namespace zarvento
