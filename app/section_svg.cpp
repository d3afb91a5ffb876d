// The SVG writer of simulation pictures.
#include "app/section_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zarvento::app {

namespace {

constexpr double kPageWidth = 1200.0;
constexpr double kMaxDrawingHeight = 800.0;
constexpr double kMargin = 30.0;
constexpr double kLegendLine = 18.0;

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
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

std::string Colour(std::uint32_t bgr) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", bgr & 0xFFu, (bgr >> 8) & 0xFFu, (bgr >> 16) & 0xFFu);
    return text;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string StrokeAttributes(const PictureLayer& layer) {
    std::string out = " stroke=\"" + Colour(layer.colour) + "\" stroke-width=\"" + Number(layer.width) +
                      "\" stroke-linejoin=\"round\" stroke-linecap=\"round\"";
    if (layer.dashed) out += " stroke-dasharray=\"6 4\"";
    if (layer.filled)
        out += " fill=\"" + Colour(layer.colour) + "\" fill-opacity=\"0.35\" fill-rule=\"evenodd\"";
    else
        out += " fill=\"none\"";
    return out;
}

}  // namespace

std::string SectionSvgText(const SimulationPicture& picture) {
    double zmin = 1e300, zmax = -1e300, xmin = 1e300, xmax = -1e300;
    for (const PictureLayer& layer : picture.layers)
        for (const SectionRun& run : layer.runs)
            for (const auto& p : run) {
                if (!std::isfinite(p[0]) || !std::isfinite(p[1])) continue;
                zmin = std::min(zmin, p[0]);
                zmax = std::max(zmax, p[0]);
                xmin = std::min(xmin, p[1]);
                xmax = std::max(xmax, p[1]);
            }
    if (zmin > zmax) zmin = zmax = xmin = xmax = 0.0;
    // The axis is always in the picture: the section is read from it.
    xmax = std::max(xmax, 0.0);
    const double spanZ = std::max(zmax - zmin, 1e-3), spanX = std::max(xmax - xmin, 1e-3);
    const double scale = std::min((kPageWidth - 2 * kMargin) / spanZ, kMaxDrawingHeight / spanX);
    const double legendHeight = kLegendLine * (static_cast<double>(picture.layers.size()) + 1.5);
    const double top = kMargin + legendHeight;
    const double height = top + spanX * scale + kMargin;
    auto pz = [&](double z) { return kMargin + (z - zmin) * scale; };
    auto px = [&](double x) { return top + (x - xmin) * scale; };

    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      Number(kPageWidth) + "\" height=\"" + Number(height) + "\" viewBox=\"0 0 " + Number(kPageWidth) +
                      " " + Number(height) + "\">\n";
    out += "<title>" + Escaped(picture.title) + "</title>\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    out += "<text x=\"" + Number(kMargin) + "\" y=\"" + Number(kMargin) +
           "\" font-family=\"sans-serif\" font-size=\"14\">" + Escaped(picture.title) + "</text>\n";
    for (std::size_t k = 0; k < picture.layers.size(); ++k) {
        const PictureLayer& layer = picture.layers[k];
        const double y = kMargin + kLegendLine * (static_cast<double>(k) + 1.2);
        out += "<path d=\"M" + Number(kMargin) + " " + Number(y - 4) + " h28\"" + StrokeAttributes(layer) + "/>\n";
        out += "<text x=\"" + Number(kMargin + 36) + "\" y=\"" + Number(y) +
               "\" font-family=\"sans-serif\" font-size=\"12\">" + Escaped(layer.title) + "</text>\n";
    }
    // The turning axis as a chain line.
    out += "<path d=\"M" + Number(pz(zmin) - 10) + " " + Number(px(0.0)) + " H" + Number(pz(zmax) + 10) +
           "\" stroke=\"#404040\" stroke-width=\"0.8\" stroke-dasharray=\"14 3 2 3\" fill=\"none\"/>\n";
    for (const PictureLayer& layer : picture.layers) {
        std::string d;
        for (const SectionRun& run : layer.runs) {
            if (run.size() < 2) continue;
            for (std::size_t i = 0; i < run.size(); ++i)
                d += (i == 0 ? "M" : "L") + Number(pz(run[i][0])) + " " + Number(px(run[i][1])) + " ";
            const auto& a = run.front();
            const auto& b = run.back();
            if (layer.filled && std::hypot(a[0] - b[0], a[1] - b[1]) < 1e-6) d += "Z ";
        }
        if (d.empty()) continue;
        d.pop_back();
        out += "<path id=\"" + Escaped(layer.id) + "\" d=\"" + d + "\"" + StrokeAttributes(layer) + "/>\n";
    }
    out += "</svg>\n";
    return out;
}

}  // namespace zarvento::app
