// ZxDrawing: SVG text in model units (mm), strokes in page pixels.
#include "platform/drawings/zx_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "platform/core/host_error.h"
#include "platform/core/variant.h"

namespace zarvento {

namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Hex(std::uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return text;
}

// Coordinates to a thousandth of a millimetre are more than any page shows.
std::string Coord(double v) { return FormatDouble(std::round(v * 1000.0) / 1000.0 + 0.0); }

// A segment's part inside the box as the parameters [t0, t1] of a + t (b - a);
// false when none of it is inside.
bool ClipSegment(const std::array<double, 2>& a, const std::array<double, 2>& b, double zmin, double zmax, double xmin,
                 double xmax, double& t0, double& t1) {
    const double dz = b[0] - a[0], dx = b[1] - a[1];
    const double p[4] = {-dz, dz, -dx, dx};
    const double q[4] = {a[0] - zmin, zmax - a[0], a[1] - xmin, xmax - a[1]};
    t0 = 0.0, t1 = 1.0;
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0) return false;
            continue;
        }
        const double r = q[k] / p[k];
        if (p[k] < 0.0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
    }
    return t0 <= t1;
}

std::string PathData(const std::vector<ZxRun>& runs) {
    std::string d;
    for (const ZxRun& run : runs)
        for (std::size_t i = 0; i < run.size(); ++i)
            d += (i == 0 ? (d.empty() ? "M" : " M") : " L") + Coord(run[i][0]) + "," + Coord(run[i][1]);
    return d;
}

// An arrowhead of `size` with its tip at `tip`, pointing along (dz, dx).
std::string Arrowhead(const std::array<double, 2>& tip, double dz, double dx, double size) {
    const double length = std::hypot(dz, dx);
    const double uz = dz / length, ux = dx / length;
    const auto point = [&](double back, double side) {
        return Coord(tip[0] - back * uz - side * ux) + "," + Coord(tip[1] - back * ux + side * uz);
    };
    return point(size, size * 0.5) + " " + point(0, 0) + " " + point(size, -size * 0.5);
}

constexpr const char* kBeyondText = "the move goes on beyond the drawing";
constexpr double kPageWidth = 1200.0;
// The legend's lines in columns across the page, each line this high (pixels).
constexpr int kLegendColumns = 3;
constexpr double kLegendLine = 22.0;

}  // namespace

void ZxDrawing::Box::Add(double z, double x) {
    zmin = std::min(zmin, z), zmax = std::max(zmax, z);
    xmin = std::min(xmin, x), xmax = std::max(xmax, x);
}

void ZxDrawing::BeginGroup(const std::string& id, const std::string& title) {
    if (inGroup_) EndGroup();
    items_.push_back({"<g id=\"" + Escaped(id) + "\"><title>" + Escaped(title) + "</title>\n", {}, {}, {}, false});
    inGroup_ = true;
}

void ZxDrawing::EndGroup() {
    if (!inGroup_) return;
    items_.push_back({{}, {}, {}, {}, true});
    inGroup_ = false;
}

void ZxDrawing::AddPath(const std::string& id, const std::vector<ZxRun>& runs, const ZxStyle& style) {
    std::vector<ZxRun> kept;
    for (const ZxRun& run : runs) {
        if (run.size() < 2) continue;
        for (const auto& point : run) paths_.Add(point[0], point[1]);
        kept.push_back(run);
    }
    if (!kept.empty()) items_.push_back({{}, id, std::move(kept), style, false});
}

void ZxDrawing::FitTo(const std::vector<ZxRun>& runs) {
    for (const ZxRun& run : runs)
        for (const auto& point : run) fit_.Add(point[0], point[1]);
}

void ZxDrawing::AddLegend(const std::string& text, const ZxStyle& style) { legend_.push_back({text, style}); }

// The path's element; runs beyond the page cut at its edge, with an
// arrowhead where a run leaves it or comes back into it.
std::string ZxDrawing::PathElements(const Item& item, const Box& page, double unit) const {
    const ZxStyle& style = item.style;
    const auto px = [&](double pixels) { return Coord(std::max(pixels / unit, 0.001)); };
    std::vector<ZxRun> runs;
    std::vector<std::string> marks;
    if (fit_.Empty() || style.filled) {
        runs = item.runs;
    } else {
        const double arrow = 9.0 / unit;
        for (const ZxRun& run : item.runs) {
            ZxRun piece;
            const auto close = [&] {
                if (piece.size() >= 2) runs.push_back(std::move(piece));
                piece.clear();
            };
            for (std::size_t i = 1; i < run.size(); ++i) {
                const auto& a = run[i - 1];
                const auto& b = run[i];
                double t0 = 0, t1 = 0;
                if (!ClipSegment(a, b, page.zmin, page.zmax, page.xmin, page.xmax, t0, t1)) {
                    close();
                    continue;
                }
                const double dz = b[0] - a[0], dx = b[1] - a[1];
                const std::array<double, 2> in{a[0] + t0 * dz, a[1] + t0 * dx}, out{a[0] + t1 * dz, a[1] + t1 * dx};
                if (t0 > 0.0) {
                    close();
                    marks.push_back(
                        Arrowhead({in[0] + arrow * dz / std::hypot(dz, dx), in[1] + arrow * dx / std::hypot(dz, dx)},
                                  dz, dx, arrow));
                }
                if (piece.empty()) piece.push_back(in);
                piece.push_back(out);
                if (t1 < 1.0) {
                    close();
                    marks.push_back(Arrowhead(out, dz, dx, arrow));
                }
            }
            close();
        }
        if (runs.empty()) {
            // Nothing of the path lies on the page: an arrowhead at the edge
            // points the way to it from the page's middle.
            Box box;
            for (const ZxRun& run : item.runs)
                for (const auto& point : run) box.Add(point[0], point[1]);
            const std::array<double, 2> middle{(page.zmin + page.zmax) / 2, (page.xmin + page.xmax) / 2};
            const std::array<double, 2> there{(box.zmin + box.zmax) / 2, (box.xmin + box.xmax) / 2};
            double t0 = 0, t1 = 0;
            const double dz = there[0] - middle[0], dx = there[1] - middle[1];
            if (std::hypot(dz, dx) > 0 &&
                ClipSegment(middle, there, page.zmin, page.zmax, page.xmin, page.xmax, t0, t1) && t1 < 1.0)
                marks.push_back(Arrowhead({middle[0] + t1 * dz, middle[1] + t1 * dx}, dz, dx, arrow));
        }
    }
    std::string s;
    if (!runs.empty()) {
        s += "<path id=\"" + Escaped(item.id) + "\" d=\"" + PathData(runs) + "\" stroke=\"" + Hex(style.colour) +
             "\" stroke-width=\"" + px(style.width) + "\"";
        if (style.dashed) s += " stroke-dasharray=\"" + px(6) + "," + px(4) + "\"";
        s += style.filled ? " fill=\"" + Hex(style.colour) + "\" fill-opacity=\"0.25\"" : std::string(" fill=\"none\"");
        s += " stroke-linejoin=\"round\" stroke-linecap=\"round\"/>\n";
    }
    for (const std::string& mark : marks)
        s += "<polyline class=\"beyond\" data-path=\"" + Escaped(item.id) + "\" points=\"" + mark + "\" stroke=\"" +
             Hex(style.colour) + "\" stroke-width=\"" + px(1.5) + "\" fill=\"none\" stroke-linejoin=\"round\"><title>" +
             kBeyondText + "</title></polyline>\n";
    return s;
}

// The legend in page pixels, under the drawing.
std::string ZxDrawing::LegendElements(const Box& page, double unit, double top, bool beyond) const {
    std::vector<LegendLine> lines = legend_;
    if (beyond) lines.push_back({kBeyondText, {}});
    std::string s = "<g id=\"legend\" transform=\"translate(" + Coord(page.zmin) + " " + Coord(top) + ") scale(" +
                    FormatDouble(1.0 / unit) + ")\" font-family=\"sans-serif\" font-size=\"13\">\n";
    s += "<line x1=\"0\" y1=\"0\" x2=\"" + Coord(kPageWidth) + "\" y2=\"0\" stroke=\"#c0c0c0\" stroke-width=\"1\"/>\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ZxStyle& style = lines[i].style;
        const double x = 12.0 + static_cast<double>(i % kLegendColumns) * (kPageWidth / kLegendColumns);
        const double y = kLegendLine * (static_cast<double>(i / kLegendColumns) + 0.5) + 6.0;
        const std::string colour = Hex(style.colour);
        if (style.filled) {
            s += "<rect x=\"" + Coord(x) + "\" y=\"" + Coord(y - 6) + "\" width=\"28\" height=\"12\" fill=\"" + colour +
                 "\" fill-opacity=\"0.25\" stroke=\"" + colour + "\" stroke-width=\"" + Coord(style.width) + "\"/>\n";
        } else if (lines[i].text == kBeyondText) {
            s += "<polyline points=\"" + Arrowhead({x + 28, y}, 1, 0, 9) +
                 "\" stroke=\"#404040\" stroke-width=\"1.5\"" + " fill=\"none\"/>\n";
        } else {
            s += "<line x1=\"" + Coord(x) + "\" y1=\"" + Coord(y) + "\" x2=\"" + Coord(x + 28) + "\" y2=\"" + Coord(y) +
                 "\" stroke=\"" + colour + "\" stroke-width=\"" + Coord(std::max(style.width, 1.5)) + "\"" +
                 (style.dashed ? " stroke-dasharray=\"6,4\"" : "") + "/>\n";
        }
        s += "<text x=\"" + Coord(x + 36) + "\" y=\"" + Coord(y + 4.5) + "\" fill=\"#202020\">" +
             Escaped(lines[i].text) + "</text>\n";
    }
    return s + "</g>\n";
}

// Strokes and dashes are given in page pixels; the page shows the drawing's
// millimetres at `unit` pixels each, so they are written divided by it.
std::string ZxDrawing::Text() const {
    Box page = fit_.Empty() ? paths_ : fit_;
    if (page.Empty()) page = {-1, 1, -1, 1};
    page.xmin = std::min(page.xmin, 0.0), page.xmax = std::max(page.xmax, 0.0);
    const double margin = (fit_.Empty() ? 0.05 : 0.08) * std::max({page.zmax - page.zmin, page.xmax - page.xmin, 1.0});
    page.zmin -= margin, page.zmax += margin, page.xmin -= margin, page.xmax += margin;
    const double w = page.zmax - page.zmin, h = page.xmax - page.xmin;
    const double unit = kPageWidth / w;
    std::string paths;
    bool beyond = false;
    for (const Item& item : items_) {
        if (item.close) {
            paths += "</g>\n";
        } else if (!item.open.empty()) {
            paths += item.open;
        } else {
            const std::string element = PathElements(item, page, unit);
            beyond = beyond || element.find("class=\"beyond\"") != std::string::npos;
            paths += element;
        }
    }
    if (inGroup_) paths += "</g>\n";
    const std::size_t legendLines = legend_.size() + (beyond ? 1 : 0);
    const double legendHeight =
        legendLines == 0
            ? 0.0
            : kLegendLine * static_cast<double>((legendLines + kLegendColumns - 1) / kLegendColumns) + 12.0;
    const double height = h + legendHeight / unit;
    const auto px = [&](double pixels) { return Coord(std::max(pixels / unit, 0.001)); };
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Coord(kPageWidth) + "\" height=\"" +
         Coord(h * unit + legendHeight) + "\" viewBox=\"" + Coord(page.zmin) + " " + Coord(page.xmin) + " " + Coord(w) +
         " " + Coord(height) + "\">\n";
    s += "<title>" + Escaped(title_) + "</title>\n";
    s += "<rect x=\"" + Coord(page.zmin) + "\" y=\"" + Coord(page.xmin) + "\" width=\"" + Coord(w) + "\" height=\"" +
         Coord(height) + "\" fill=\"#ffffff\"/>\n";
    s += "<line id=\"axis\" x1=\"" + Coord(page.zmin) + "\" y1=\"0\" x2=\"" + Coord(page.zmax) +
         "\" y2=\"0\" stroke=\"#808080\" stroke-width=\"" + px(1) + "\" stroke-dasharray=\"" + px(12) + "," + px(3) +
         "," + px(2) + "," + px(3) + "\"/>\n";
    s += paths;
    if (legendLines > 0) s += LegendElements(page, unit, page.xmax, beyond);
    return s + "</svg>\n";
}

void ZxDrawing::Write(const std::string& path) const {
    const std::string text = Text();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file || !file.write(text.data(), static_cast<std::streamsize>(text.size())) || !file.flush())
        throw HostError(STG_E_WRITEFAULT_, "cannot write the drawing " + path);
}

}  // namespace zarvento
