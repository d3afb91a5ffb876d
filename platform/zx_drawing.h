// ZxDrawing: a drawing of the turning plane as SVG, for a person to read a
// plan at a glance: Z runs to the right and the contour's x upwards from the
// axis (the part, at x <= 0, lies above it), with the axis as a chain line.
// Each path is one SVG path element of polylines in (z, x); groups gather the
// paths of one operation.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zarvento {

struct ZxStyle {
    std::uint32_t colour = 0;  // 0x00BBGGRR
    double width = 1.5;        // pixels on the page, whatever the zoom
    bool dashed = false;
    bool filled = false;  // closed runs filled with the colour, translucent
};

using ZxRun = std::vector<std::array<double, 2>>;  // (z, x) points

class ZxDrawing {
public:
    explicit ZxDrawing(std::string title) : title_(std::move(title)) {}

    // Paths added until EndGroup belong to the group.
    void BeginGroup(const std::string& id, const std::string& title);
    void EndGroup();
    // A path of one or more runs; nothing for runs of fewer than two points.
    void AddPath(const std::string& id, const std::vector<ZxRun>& runs, const ZxStyle& style);

    std::string Text() const;
    // HostError(STG_E_WRITEFAULT) when the file cannot be written.
    void Write(const std::string& path) const;

private:
    struct Item {
        std::string open;  // a group's start, or empty for a path
        std::string id;
        std::string data;  // the path's d attribute
        ZxStyle style;
        bool close = false;  // a group's end
    };

    std::string title_;
    std::vector<Item> items_;
    bool inGroup_ = false;
    double zmin_ = 1e300, zmax_ = -1e300, xmin_ = 1e300, xmax_ = -1e300;
};

}  // namespace zarvento
