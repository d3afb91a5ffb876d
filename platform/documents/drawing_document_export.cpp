// The drawing broken into primitives, and written as SVG and DXF.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/core/code_page.h"
#include "platform/core/host_error.h"
#include "platform/core/numbers.h"
#include "platform/documents/drawing_document.h"
#include "platform/drawings/raster_file.h"

namespace zarvento {

namespace {

constexpr double kArrow = 3.0;        // arrow length
constexpr double kArrowHalf = 0.5;    // half its width
constexpr double kOvershoot = 2.0;    // extension lines past the dimension line
constexpr double kOutsideLead = 6.0;  // the dimension line beyond an outside arrow
constexpr int kMaxHatchLines = 20000;

double Degrees(double dx, double dy) {
    double a = std::atan2(dy, dx) * 180.0 / PI;
    if (a < 0) a += 360.0;
    return a;
}

DrawingPrimitive Line(double x1, double y1, double x2, double y2, int style) {
    DrawingPrimitive p;
    p.kind = DrawingPrimitive::Line;
    p.style = style;
    p.x1 = x1, p.y1 = y1, p.x2 = x2, p.y2 = y2;
    return p;
}

DrawingPrimitive Text(double x, double y, const std::string& text, double height, int align, double rotation) {
    DrawingPrimitive p;
    p.kind = DrawingPrimitive::Text;
    p.style = 0;
    p.x1 = x, p.y1 = y;
    p.text = text;
    p.height = height;
    p.align = align;
    p.rotation = rotation;
    return p;
}

void AddObject(std::vector<DrawingPrimitive>& out, const Object2D& o) {
    switch (o.type) {
        case kObj2DLine: out.push_back(Line(o.line.x1, o.line.y1, o.line.x2, o.line.y2, o.style)); break;
        case kObj2DArc: {
            const ArcParam2D& a = o.arc;
            DrawingPrimitive p;
            p.kind = DrawingPrimitive::Arc;
            p.style = o.style;
            p.xc = a.xc, p.yc = a.yc, p.r = a.rad;
            const double s = Degrees(a.x1 - a.xc, a.y1 - a.yc), e = Degrees(a.x2 - a.xc, a.y2 - a.yc);
            p.a1 = a.direction >= 0 ? s : e;
            p.a2 = a.direction >= 0 ? e : s;
            out.push_back(p);
            break;
        }
        case kObj2DCircle: {
            DrawingPrimitive p;
            p.kind = DrawingPrimitive::Circle;
            p.style = o.style;
            p.xc = o.circle.xc, p.yc = o.circle.yc, p.r = o.circle.rad;
            out.push_back(p);
            break;
        }
        case kObj2DContour:
            for (const Curve2D& c : o.pieces) {
                if (!c.arc) {
                    out.push_back(Line(c.a.x, c.a.y, c.b.x, c.b.y, o.style));
                    continue;
                }
                DrawingPrimitive p;
                p.kind = DrawingPrimitive::Arc;
                p.style = o.style;
                p.xc = c.c.x, p.yc = c.c.y, p.r = c.r;
                const double s = Degrees(c.a.x - c.c.x, c.a.y - c.c.y), e = Degrees(c.b.x - c.c.x, c.b.y - c.c.y);
                p.a1 = c.sweep >= 0 ? s : e;
                p.a2 = c.sweep >= 0 ? e : s;
                out.push_back(p);
            }
            break;
        default:
            for (std::size_t i = 1; i < o.points.size(); ++i)
                out.push_back(Line(o.points[i - 1].x, o.points[i - 1].y, o.points[i].x, o.points[i].y, o.style));
            break;
    }
}

// The boundary as straight edges, arcs cut into steps of at most 5°.
void BoundaryEdges(const std::vector<Object2D>& boundary, std::vector<std::array<double, 4>>& edges) {
    auto arc = [&](double xc, double yc, double r, double a1, double a2) {
        double sweep = a2 - a1;
        while (sweep <= 0) sweep += 360.0;
        const int n = std::max(1, static_cast<int>(std::ceil(sweep / 5.0)));
        for (int i = 0; i < n; ++i) {
            const double t1 = (a1 + sweep * i / n) * PI / 180.0, t2 = (a1 + sweep * (i + 1) / n) * PI / 180.0;
            edges.push_back(
                {xc + r * std::cos(t1), yc + r * std::sin(t1), xc + r * std::cos(t2), yc + r * std::sin(t2)});
        }
    };
    std::vector<DrawingPrimitive> prims;
    for (const Object2D& o : boundary) AddObject(prims, o);
    for (const DrawingPrimitive& p : prims) {
        if (p.kind == DrawingPrimitive::Line) edges.push_back({p.x1, p.y1, p.x2, p.y2});
        if (p.kind == DrawingPrimitive::Arc) arc(p.xc, p.yc, p.r, p.a1, p.a2);
        if (p.kind == DrawingPrimitive::Circle) arc(p.xc, p.yc, p.r, 0, 360);
    }
}

// Hatch lines at the hatch's angle and step, inside the boundary by the
// even-odd rule.
void AddHatch(std::vector<DrawingPrimitive>& out, const DrawingHatch& h) {
    std::vector<std::array<double, 4>> edges;
    BoundaryEdges(h.boundary, edges);
    if (edges.empty() || !(h.step > 1e-3)) return;
    const double t = h.angle * PI / 180.0, c = std::cos(t), s = std::sin(t);
    // u along the hatch lines, v across them.
    auto toU = [&](double x, double y) { return x * c + y * s; };
    auto toV = [&](double x, double y) { return -x * s + y * c; };
    double vmin = 1e300, vmax = -1e300;
    for (const auto& e : edges) {
        vmin = std::min({vmin, toV(e[0], e[1]), toV(e[2], e[3])});
        vmax = std::max({vmax, toV(e[0], e[1]), toV(e[2], e[3])});
    }
    const int first = static_cast<int>(std::ceil(vmin / h.step)), last = static_cast<int>(std::floor(vmax / h.step));
    if (last - first > kMaxHatchLines) return;
    std::vector<double> us;
    for (int k = first; k <= last; ++k) {
        const double v = k * h.step;
        us.clear();
        for (const auto& e : edges) {
            const double v1 = toV(e[0], e[1]), v2 = toV(e[2], e[3]);
            if ((v1 <= v && v2 > v) || (v2 <= v && v1 > v)) {
                const double f = (v - v1) / (v2 - v1);
                us.push_back(toU(e[0], e[1]) + f * (toU(e[2], e[3]) - toU(e[0], e[1])));
            }
        }
        std::sort(us.begin(), us.end());
        for (std::size_t i = 0; i + 1 < us.size(); i += 2) {
            if (us[i + 1] - us[i] < 1e-6) continue;
            out.push_back(Line(us[i] * c - v * s, us[i] * s + v * c, us[i + 1] * c - v * s, us[i + 1] * s + v * c, 2));
        }
    }
}

// The two wings of an arrow whose tip is at (x, y), pointing along (ux, uy).
void AddArrow(std::vector<DrawingPrimitive>& out, double x, double y, double ux, double uy) {
    const double bx = x - ux * kArrow, by = y - uy * kArrow;
    out.push_back(Line(x, y, bx - uy * kArrowHalf, by + ux * kArrowHalf, 2));
    out.push_back(Line(x, y, bx + uy * kArrowHalf, by - ux * kArrowHalf, 2));
}

void ExplodeDimension(std::vector<DrawingPrimitive>& out, const DrawingDimension& d) {
    const bool vertical = d.orientation == 1;
    // The dimension line runs from a to b; the extension lines reach it.
    double ax, ay, bx, by;
    if (vertical) {
        const double xl = d.x1 + d.dx;
        ax = xl, ay = d.y1, bx = xl, by = d.y2;
        for (auto [px, py] : {std::pair{d.x1, d.y1}, std::pair{d.x2, d.y2}}) {
            const double sgn = xl >= px ? 1.0 : -1.0;
            out.push_back(Line(px, py, xl + sgn * kOvershoot, py, 2));
        }
    } else {
        const double yl = d.y1 + d.dy;
        ax = d.x1, ay = yl, bx = d.x2, by = yl;
        for (auto [px, py] : {std::pair{d.x1, d.y1}, std::pair{d.x2, d.y2}}) {
            const double sgn = yl >= py ? 1.0 : -1.0;
            out.push_back(Line(px, py, px, yl + sgn * kOvershoot, 2));
        }
    }
    out.push_back(Line(ax, ay, bx, by, 2));
    double len = std::hypot(bx - ax, by - ay);
    const double ux = len > 1e-9 ? (bx - ax) / len : (vertical ? 0 : 1),
                 uy = len > 1e-9 ? (by - ay) / len : (vertical ? 1 : 0);
    // Code 1: the arrows inside, pointing out to the extension lines; code 2:
    // outside, pointing in, on a stretch of dimension line of their own.
    if (d.arrow1 == 2) {
        out.push_back(Line(ax, ay, ax - ux * kOutsideLead, ay - uy * kOutsideLead, 2));
        AddArrow(out, ax, ay, ux, uy);
    } else {
        AddArrow(out, ax, ay, -ux, -uy);
    }
    if (d.arrow2 == 2) {
        out.push_back(Line(bx, by, bx + ux * kOutsideLead, by + uy * kOutsideLead, 2));
        AddArrow(out, bx, by, -ux, -uy);
    } else {
        AddArrow(out, bx, by, ux, uy);
    }
    const double mx = (ax + bx) / 2, my = (ay + by) / 2;
    if (vertical)
        out.push_back(Text(mx - 1.0, my, d.ShownText(), kDrawingTextHeight, 1, 90));
    else
        out.push_back(Text(mx, my + 1.0, d.ShownText(), kDrawingTextHeight, 1, 0));
}

void ExplodeTable(std::vector<DrawingPrimitive>& out, const DrawingTable& t) {
    double width = 0, height = 0;
    for (double w : t.columnWidths) width += w;
    for (double h : t.rowHeights) height += h;
    double top = t.y;
    for (int r = 0; r < t.Rows(); ++r) {
        double left = t.x;
        for (int c = 0; c < t.Columns(); ++c) {
            const DrawingTableCell& cell = t.cells[r][c];
            if (!cell.covered) {
                double w = 0, h = 0;
                for (int k = c; k < std::min(t.Columns(), c + cell.colSpan); ++k) w += t.columnWidths[k];
                for (int k = r; k < std::min(t.Rows(), r + cell.rowSpan); ++k) h += t.rowHeights[k];
                out.push_back(Line(left, top, left + w, top, 1));
                out.push_back(Line(left, top, left, top - h, 1));
                if (!cell.text.empty()) {
                    const double ty = top - h / 2 - kDrawingTextHeight / 2;
                    if (cell.align == 1)
                        out.push_back(Text(left + w / 2, ty, cell.text, kDrawingTextHeight, 1, 0));
                    else if (cell.align == 2)
                        out.push_back(Text(left + w - 1.0, ty, cell.text, kDrawingTextHeight, 2, 0));
                    else
                        out.push_back(Text(left + 1.0, ty, cell.text, kDrawingTextHeight, 0, 0));
                }
            }
            left += t.columnWidths[c];
        }
        top -= t.rowHeights[r];
    }
    out.push_back(Line(t.x, t.y - height, t.x + width, t.y - height, 1));
    out.push_back(Line(t.x + width, t.y, t.x + width, t.y - height, 1));
}

void ExplodeRoughness(std::vector<DrawingPrimitive>& out, const DrawingRoughness& r) {
    // The sign's tip at the point, its long arm carrying the shelf.
    out.push_back(Line(r.x - 2.5, r.y + 4.3, r.x, r.y, 2));
    out.push_back(Line(r.x, r.y, r.x + 5.0, r.y + 8.6, 2));
    out.push_back(Line(r.x + 5.0, r.y + 8.6, r.x + 20.0, r.y + 8.6, 2));
    out.push_back(Text(r.x + 5.5, r.y + 9.6, r.text, kDrawingTextHeight, 0, 0));
}

}  // namespace

std::vector<DrawingPrimitive> DrawingDocument::Explode() const {
    std::vector<DrawingPrimitive> out;
    // Pictures first: what is drawn lies over them.
    for (const auto& r : rasters_) {
        DrawingPrimitive p;
        p.kind = DrawingPrimitive::Picture;
        p.style = 0;
        p.x1 = r->x, p.y1 = r->y, p.x2 = r->x + r->Width(), p.y2 = r->y + r->Height();
        p.raster = r.get();
        out.push_back(p);
    }
    for (const auto& v : views_)
        for (const Object2D& o : v->objects.Objects()) AddObject(out, o);
    for (const DrawingHatch& h : hatches_) AddHatch(out, h);
    for (const DrawingDimension& d : dimensions_) ExplodeDimension(out, d);
    for (const auto& t : tables_) ExplodeTable(out, *t);
    for (const auto& r : roughness_) ExplodeRoughness(out, *r);
    for (const DrawingText& t : texts_) out.push_back(Text(t.x, t.y, t.text, t.height, t.align, 0));
    return out;
}

namespace {

std::string Num(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    std::string s = buf;
    while (s.size() > 1 && s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

std::string XmlEscape(const std::string& s) {
    std::string out;
    for (char ch : s) {
        switch (ch) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += ch;
        }
    }
    return out;
}

std::string Base64(const std::string& bytes) {
    static const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) | static_cast<unsigned char>(bytes[i + 2]);
        out += abc[(v >> 18) & 63], out += abc[(v >> 12) & 63], out += abc[(v >> 6) & 63], out += abc[v & 63];
    }
    if (i + 1 == bytes.size()) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        out += abc[(v >> 18) & 63], out += abc[(v >> 12) & 63], out += "==";
    } else if (i + 2 == bytes.size()) {
        const unsigned v =
            (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        out += abc[(v >> 18) & 63], out += abc[(v >> 12) & 63], out += abc[(v >> 6) & 63], out += '=';
    }
    return out;
}

}  // namespace

std::string DrawingSvg(const DrawingDocument& drawing) {
    const double W = drawing.Sheet().Width(), H = drawing.Sheet().Height();
    auto X = [](double x) { return Num(x); };
    auto Y = [H](double y) { return Num(H - y); };
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(W) + "mm\" height=\"" + Num(H) +
         "mm\" viewBox=\"0 0 " + Num(W) + " " + Num(H) + "\">\n";
    s += "<style>line,path,circle{fill:none;stroke:#000;stroke-width:0.25}"
         ".s1{stroke-width:0.5}.s3{stroke-dasharray:6 1.5 1 1.5}.s4{stroke:#666;stroke-dasharray:3 1.5}"
         ".s7{stroke:#d00;stroke-width:0.7}text{font-family:'GOST Type AU',sans-serif;fill:#000}</style>\n";
    s += "<rect x=\"0\" y=\"0\" width=\"" + Num(W) + "\" height=\"" + Num(H) + "\" fill=\"#fff\"/>\n";
    for (const DrawingPrimitive& p : drawing.Explode()) {
        const std::string cls = " class=\"s" + std::to_string(p.style) + "\"";
        switch (p.kind) {
            case DrawingPrimitive::Line:
                s += "<line x1=\"" + X(p.x1) + "\" y1=\"" + Y(p.y1) + "\" x2=\"" + X(p.x2) + "\" y2=\"" + Y(p.y2) +
                     "\"" + cls + "/>\n";
                break;
            case DrawingPrimitive::Arc: {
                double sweep = p.a2 - p.a1;
                while (sweep <= 0) sweep += 360.0;
                const double t1 = p.a1 * PI / 180.0, t2 = p.a2 * PI / 180.0;
                s += "<path d=\"M " + X(p.xc + p.r * std::cos(t1)) + " " + Y(p.yc + p.r * std::sin(t1)) + " A " +
                     Num(p.r) + " " + Num(p.r) + " 0 " + (sweep > 180.0 ? "1" : "0") + " 0 " +
                     X(p.xc + p.r * std::cos(t2)) + " " + Y(p.yc + p.r * std::sin(t2)) + "\"" + cls + "/>\n";
                break;
            }
            case DrawingPrimitive::Circle:
                s += "<circle cx=\"" + X(p.xc) + "\" cy=\"" + Y(p.yc) + "\" r=\"" + Num(p.r) + "\"" + cls + "/>\n";
                break;
            case DrawingPrimitive::Text:
                s +=
                    "<text x=\"" + X(p.x1) + "\" y=\"" + Y(p.y1) + "\" font-size=\"" + Num(p.height) + "\"" +
                    (p.align == 1   ? " text-anchor=\"middle\""
                     : p.align == 2 ? " text-anchor=\"end\""
                                    : "") +
                    (p.rotation != 0 ? " transform=\"rotate(" + Num(-p.rotation) + " " + X(p.x1) + " " + Y(p.y1) + ")\""
                                     : "") +
                    ">" + XmlEscape(p.text) + "</text>\n";
                break;
            case DrawingPrimitive::Picture:
                s += "<image x=\"" + X(p.x1) + "\" y=\"" + Y(p.y2) + "\" width=\"" + Num(p.x2 - p.x1) + "\" height=\"" +
                     Num(p.y2 - p.y1) + "\" preserveAspectRatio=\"none\" href=\"data:image/png;base64," +
                     Base64(PngBytes(p.raster->image)) + "\"/>\n";
                break;
        }
    }
    s += "</svg>\n";
    return s;
}

namespace {

std::string LayerOf(const DrawingPrimitive& p) {
    return p.kind == DrawingPrimitive::Text ? "TEXT" : "STYLE" + std::to_string(p.style);
}

const char* LineTypeOfStyle(int style) { return style == 3 ? "DASHDOT" : style == 4 ? "DASHED" : "CONTINUOUS"; }

int ColourOfStyle(int style) { return style == 7 ? 1 : style == 4 ? 8 : 7; }

}  // namespace

// Long: the DXF file's sections in the order the format fixes (header,
// tables, entities), each a run of group codes.
std::string DrawingDxf(const DrawingDocument& drawing) {
    const std::vector<DrawingPrimitive> prims = drawing.Explode();
    std::string s;
    auto pair = [&s](int code, const std::string& value) {
        s += std::to_string(code);
        s += "\r\n";
        s += value;
        s += "\r\n";
    };
    pair(0, "SECTION");
    pair(2, "HEADER");
    pair(9, "$ACADVER");
    pair(1, "AC1009");
    pair(9, "$DWGCODEPAGE");
    pair(3, "ANSI_1251");
    pair(0, "ENDSEC");
    pair(0, "SECTION");
    pair(2, "TABLES");
    pair(0, "TABLE");
    pair(2, "LTYPE");
    pair(70, "3");
    struct LType {
        const char* name;
        const char* text;
        std::vector<double> dashes;
    };
    for (const LType& lt : {LType{"CONTINUOUS", "Solid line", {}}, LType{"DASHED", "__ __ __", {3.0, -1.5}},
                            LType{"DASHDOT", "__ . __ .", {6.0, -1.5, 0.0, -1.5}}}) {
        pair(0, "LTYPE");
        pair(2, lt.name);
        pair(70, "0");
        pair(3, lt.text);
        pair(72, "65");
        pair(73, std::to_string(lt.dashes.size()));
        double total = 0;
        for (double d : lt.dashes) total += std::fabs(d);
        pair(40, Num(total));
        for (double d : lt.dashes) pair(49, Num(d));
    }
    pair(0, "ENDTAB");
    std::vector<std::string> layers{"0"};
    std::vector<int> styles{0};
    for (const DrawingPrimitive& p : prims) {
        const std::string layer = LayerOf(p);
        if (std::find(layers.begin(), layers.end(), layer) == layers.end()) {
            layers.push_back(layer);
            styles.push_back(p.style);
        }
    }
    pair(0, "TABLE");
    pair(2, "LAYER");
    pair(70, std::to_string(layers.size()));
    for (std::size_t i = 0; i < layers.size(); ++i) {
        pair(0, "LAYER");
        pair(2, layers[i]);
        pair(70, "0");
        pair(62, std::to_string(ColourOfStyle(styles[i])));
        pair(6, LineTypeOfStyle(styles[i]));
    }
    pair(0, "ENDTAB");
    pair(0, "ENDSEC");
    pair(0, "SECTION");
    pair(2, "ENTITIES");
    for (const DrawingPrimitive& p : prims) {
        const std::string layer = LayerOf(p);
        switch (p.kind) {
            case DrawingPrimitive::Line:
                pair(0, "LINE");
                pair(8, layer);
                pair(10, Num(p.x1));
                pair(20, Num(p.y1));
                pair(30, "0");
                pair(11, Num(p.x2));
                pair(21, Num(p.y2));
                pair(31, "0");
                break;
            case DrawingPrimitive::Arc:
                pair(0, "ARC");
                pair(8, layer);
                pair(10, Num(p.xc));
                pair(20, Num(p.yc));
                pair(30, "0");
                pair(40, Num(p.r));
                pair(50, Num(p.a1));
                pair(51, Num(p.a2));
                break;
            case DrawingPrimitive::Circle:
                pair(0, "CIRCLE");
                pair(8, layer);
                pair(10, Num(p.xc));
                pair(20, Num(p.yc));
                pair(30, "0");
                pair(40, Num(p.r));
                break;
            case DrawingPrimitive::Text: {
                // The diameter sign is DXF's own control code.
                std::string text = p.text;
                for (std::size_t at; (at = text.find("\u2300")) != std::string::npos;) text.replace(at, 3, "%%c");
                pair(0, "TEXT");
                pair(8, layer);
                pair(10, Num(p.x1));
                pair(20, Num(p.y1));
                pair(30, "0");
                pair(40, Num(p.height));
                pair(1, Utf8ToCp1251(text).text);
                if (p.rotation != 0) pair(50, Num(p.rotation));
                if (p.align == 1 || p.align == 2) {
                    pair(72, p.align == 1 ? "1" : "2");
                    pair(11, Num(p.x1));
                    pair(21, Num(p.y1));
                    pair(31, "0");
                }
                break;
            }
            case DrawingPrimitive::Picture: break;  // R12 has no pictures
        }
    }
    pair(0, "ENDSEC");
    pair(0, "EOF");
    return s;
}

void ExportDrawing(const DrawingDocument& drawing, const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    std::string text;
    if (ext == ".svg")
        text = DrawingSvg(drawing);
    else if (ext == ".dxf")
        text = DrawingDxf(drawing);
    else
        throw HostError(E_INVALIDARG_, "a drawing is exported as .svg or .dxf, not " + path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) throw HostError(STG_E_WRITEFAULT_, "cannot write " + path);
}

}  // namespace zarvento
