// ZxDrawing: a drawing of the turning plane as SVG, for a person to read a
// plan at a glance: Z runs to the right and the contour's x upwards from the
// axis (the part, at x <= 0, lies above it), with the axis as a chain line.
// Each path is one SVG path element of polylines in (z, x); groups gather the
// paths of one operation. The page shows the part of the plane it is fitted
// to (every path without a fit) and a legend below it.
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
    // The page shows these runs (every run fitted to, and the axis) with a
    // margin round them: a path going beyond is cut at the page's edge and
    // marked there by an arrowhead in its direction, so that a move to a far
    // point does not shrink what it leads to. Filled paths are never cut.
    void FitTo(const std::vector<ZxRun>& runs);
    // A line of the legend: a sample of the style and its text, in the order added.
    void AddLegend(const std::string& text, const ZxStyle& style);

    std::string Text() const;
    // HostError(STG_E_WRITEFAULT) when the file cannot be written.
    void Write(const std::string& path) const;

private:
    struct Item {
        std::string open;  // a group's start, or empty for a path
        std::string id;
        std::vector<ZxRun> runs;  // the path's runs of two points or more
        ZxStyle style;
        bool close = false;  // a group's end
    };
    struct Box {
        double zmin = 1e300, zmax = -1e300, xmin = 1e300, xmax = -1e300;
        void Add(double z, double x);
        bool Empty() const { return zmin > zmax; }
    };
    struct LegendLine {
        std::string text;
        ZxStyle style;
    };

    std::string PathElements(const Item& item, const Box& page, double unit) const;
    std::string LegendElements(const Box& page, double unit, double top, bool beyond) const;

    std::string title_;
    std::vector<Item> items_;
    std::vector<LegendLine> legend_;
    bool inGroup_ = false;
    Box paths_;
    Box fit_;
};

}  // namespace zarvento
