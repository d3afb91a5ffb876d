// ZxDrawing: SVG text in model units (mm), strokes in page pixels.
#include "platform/zx_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "platform/host_error.h"
#include "platform/variant.h"

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

}  // namespace

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
    std::string d;
    for (const ZxRun& run : runs) {
        if (run.size() < 2) continue;
        for (std::size_t i = 0; i < run.size(); ++i) {
            const double z = run[i][0], x = run[i][1];
            d += (i == 0 ? (d.empty() ? "M" : " M") : " L") + Coord(z) + "," + Coord(x);
            zmin_ = std::min(zmin_, z), zmax_ = std::max(zmax_, z);
            xmin_ = std::min(xmin_, x), xmax_ = std::max(xmax_, x);
        }
    }
    if (!d.empty()) items_.push_back({{}, id, std::move(d), style, false});
}

// Strokes and dashes are given in page pixels; the page shows the drawing's
// millimetres at `unit` pixels each, so they are written divided by it.
std::string ZxDrawing::Text() const {
    double zmin = zmin_, zmax = zmax_, xmin = std::min(xmin_, 0.0), xmax = std::max(xmax_, 0.0);
    if (zmin > zmax) zmin = -1, zmax = 1, xmin = -1, xmax = 1;
    const double margin = 0.05 * std::max({zmax - zmin, xmax - xmin, 1.0});
    zmin -= margin, zmax += margin, xmin -= margin, xmax += margin;
    const double w = zmax - zmin, h = xmax - xmin;
    const double pageWidth = 1200.0;
    const double unit = pageWidth / w;
    const double pageHeight = h * unit;
    const auto px = [&](double pixels) { return Coord(std::max(pixels / unit, 0.001)); };
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Coord(pageWidth) + "\" height=\"" + Coord(pageHeight) +
         "\" viewBox=\"" + Coord(zmin) + " " + Coord(xmin) + " " + Coord(w) + " " + Coord(h) + "\">\n";
    s += "<title>" + Escaped(title_) + "</title>\n";
    s += "<rect x=\"" + Coord(zmin) + "\" y=\"" + Coord(xmin) + "\" width=\"" + Coord(w) + "\" height=\"" + Coord(h) +
         "\" fill=\"#ffffff\"/>\n";
    s += "<line id=\"axis\" x1=\"" + Coord(zmin) + "\" y1=\"0\" x2=\"" + Coord(zmax) +
         "\" y2=\"0\" stroke=\"#808080\" stroke-width=\"" + px(1) + "\" stroke-dasharray=\"" + px(12) + "," + px(3) +
         "," + px(2) + "," + px(3) + "\"/>\n";
    for (const Item& item : items_) {
        if (item.close) {
            s += "</g>\n";
            continue;
        }
        if (!item.open.empty()) {
            s += item.open;
            continue;
        }
        const ZxStyle& style = item.style;
        s += "<path id=\"" + Escaped(item.id) + "\" d=\"" + item.data + "\" stroke=\"" + Hex(style.colour) +
             "\" stroke-width=\"" + px(style.width) + "\"";
        if (style.dashed) s += " stroke-dasharray=\"" + px(6) + "," + px(4) + "\"";
        s += style.filled ? " fill=\"" + Hex(style.colour) + "\" fill-opacity=\"0.25\"" : std::string(" fill=\"none\"");
        s += " stroke-linejoin=\"round\" stroke-linecap=\"round\"/>\n";
    }
    if (inGroup_) s += "</g>\n";
    return s + "</svg>\n";
}

void ZxDrawing::Write(const std::string& path) const {
    const std::string text = Text();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file || !file.write(text.data(), static_cast<std::streamsize>(text.size())) || !file.flush())
        throw HostError(STG_E_WRITEFAULT_, "cannot write the drawing " + path);
}

}  // namespace zarvento
