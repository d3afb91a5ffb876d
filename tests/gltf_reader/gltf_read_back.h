// A binary glTF file read back by Open CASCADE's own glTF reader: an
// independent reader for the tests of our writer, as a viewer would meet the
// file. Linked to the test programs only.
#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace zarvento::test {

struct GltfReadBack {
    bool ok = false;
    int triangles = 0;
    // The materials' base colours as 0x00BBGGRR, back in sRGB bytes.
    std::set<std::uint32_t> colours;
};

GltfReadBack ReadGltfWithOcct(const std::string& path);

}  // namespace zarvento::test
