// The drawing's form in the document file: one item a line, fields separated
// by tabs; texts escape the tab, the line end and the backslash.
#include <charconv>
#include <cstdio>
#include <sstream>

#include "platform/documents/drawing_document.h"
#include "platform/drawings/raster_file.h"

namespace zarvento {

namespace {

constexpr std::size_t kMaxItems = 1000000;

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

bool Unescape(const std::string& s, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i >= s.size()) return false;
        switch (s[i]) {
            case '\\': out += '\\'; break;
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            default: return false;
        }
    }
    return true;
}

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) out += digits[c >> 4], out += digits[c & 15];
    return out;
}

bool Unhex(const std::string& s, std::string& out) {
    if (s.size() % 2) return false;
    out.clear();
    auto v = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
    for (std::size_t i = 0; i < s.size(); i += 2) {
        const int hi = v(s[i]), lo = v(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

class Writer {
public:
    Writer& operator<<(const std::string& s) {
        Sep();
        line_ += Escape(s);
        return *this;
    }
    Writer& operator<<(const char* s) { return *this << std::string(s); }
    Writer& operator<<(double d) {
        Sep();
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17g", d);
        line_ += buf;
        return *this;
    }
    Writer& operator<<(int i) {
        Sep();
        line_ += std::to_string(i);
        return *this;
    }
    void End() {
        out_ += line_;
        out_ += '\n';
        line_.clear();
        first_ = true;
    }
    std::string Text() { return std::move(out_); }

private:
    void Sep() {
        if (!first_) line_ += '\t';
        first_ = false;
    }
    std::string out_, line_;
    bool first_ = true;
};

class Fields {
public:
    explicit Fields(const std::string& line) {
        std::size_t start = 0;
        while (true) {
            const std::size_t tab = line.find('\t', start);
            fields_.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
    }
    bool Has(std::size_t n) const { return fields_.size() == n; }
    // A field the line does not have reads as empty, which no tag or number matches.
    const std::string& Raw(std::size_t i) const {
        static const std::string none;
        return i < fields_.size() ? fields_[i] : none;
    }
    bool Text(std::size_t i, std::string& out) const { return i < fields_.size() && Unescape(fields_[i], out); }
    bool Num(std::size_t i, double& out) const {
        if (i >= fields_.size()) return false;
        const std::string& f = fields_[i];
        auto [p, ec] = std::from_chars(f.data(), f.data() + f.size(), out);
        return ec == std::errc() && p == f.data() + f.size();
    }
    bool Int(std::size_t i, int& out) const {
        if (i >= fields_.size()) return false;
        const std::string& f = fields_[i];
        auto [p, ec] = std::from_chars(f.data(), f.data() + f.size(), out);
        return ec == std::errc() && p == f.data() + f.size();
    }

private:
    std::vector<std::string> fields_;
};

void WriteObject(Writer& w, const char* tag, int view, const Object2D& o) {
    w << tag << view;
    if (o.type == kObj2DLine) {
        w << "line" << o.line.x1 << o.line.y1 << o.line.x2 << o.line.y2 << o.style;
    } else if (o.type == kObj2DArc) {
        const ArcParam2D& a = o.arc;
        w << "arc" << a.xc << a.yc << a.rad << a.x1 << a.y1 << a.x2 << a.y2 << a.direction << o.style;
    } else if (o.type == kObj2DCircle) {
        w << "circle" << o.circle.xc << o.circle.yc << o.circle.rad << o.style;
    } else {
        // Other curves are kept as the segments they are drawn with.
        w << "points" << o.style << static_cast<int>(o.points.size());
        for (const Point2D& p : o.points) w << p.x << p.y;
    }
    w.End();
}

bool ReadObject(const Fields& f, Document2D& doc, std::vector<Object2D>* into) {
    const std::string& kind = f.Raw(2);
    Object2D o;
    if (kind == "line") {
        LineParam2D& l = o.line;
        if (!f.Has(8) || !f.Num(3, l.x1) || !f.Num(4, l.y1) || !f.Num(5, l.x2) || !f.Num(6, l.y2) || !f.Int(7, o.style))
            return false;
        l.style = o.style;
        o.type = kObj2DLine;
        if (!into) doc.LineSeg(l.x1, l.y1, l.x2, l.y2, o.style);
    } else if (kind == "arc") {
        ArcParam2D& a = o.arc;
        if (!f.Has(12) || !f.Num(3, a.xc) || !f.Num(4, a.yc) || !f.Num(5, a.rad) || !f.Num(6, a.x1) ||
            !f.Num(7, a.y1) || !f.Num(8, a.x2) || !f.Num(9, a.y2) || !f.Int(10, a.direction) || !f.Int(11, o.style))
            return false;
        a.style = o.style;
        o.type = kObj2DArc;
        if (!into) doc.ArcByPoint(a.xc, a.yc, a.rad, a.x1, a.y1, a.x2, a.y2, a.direction, o.style);
    } else if (kind == "circle") {
        CircleParam2D& c = o.circle;
        if (!f.Has(7) || !f.Num(3, c.xc) || !f.Num(4, c.yc) || !f.Num(5, c.rad) || !f.Int(6, o.style)) return false;
        c.style = o.style;
        o.type = kObj2DCircle;
        if (!into) doc.Circle(c.xc, c.yc, c.rad, o.style);
    } else if (kind == "points") {
        int n = 0;
        if (!f.Int(3, o.style) || !f.Int(4, n) || n < 0 || !f.Has(5 + 2 * static_cast<std::size_t>(n))) return false;
        for (int i = 0; i < n; ++i) {
            Point2D p;
            if (!f.Num(5 + 2 * i, p.x) || !f.Num(6 + 2 * i, p.y)) return false;
            o.points.push_back(p);
        }
        o.type = kObj2DPolyline;
        if (!into) doc.Polyline(o.points, o.style);
    } else {
        return false;
    }
    if (into) into->push_back(o);
    return true;
}

}  // namespace

std::string DrawingDocument::Encode() const {
    Writer w;
    w << "sheet" << sheet_.format << sheet_.orientation << sheet_.layoutStyle;
    w.End();
    for (const auto& [n, text] : sheet_.titleCells) {
        w << "cell" << n << text;
        w.End();
    }
    for (int n = 1; n < ViewCount(); ++n) {
        const DrawingView& v = *views_[n];
        w << "view" << v.x << v.y << v.modelFile << v.projection << v.angle;
        for (bool b : v.switches) w << (b ? 1 : 0);
        w.End();
    }
    for (int n = 0; n < ViewCount(); ++n)
        for (const Object2D& o : views_[n]->objects.Objects()) WriteObject(w, "object", n, o);
    for (const DrawingText& t : texts_) {
        w << "text" << t.view << t.x << t.y << t.align << t.height << t.font << t.text;
        w.End();
    }
    for (const DrawingDimension& d : dimensions_) {
        w << "dimension" << d.view << d.x1 << d.y1 << d.x2 << d.y2 << d.dx << d.dy << d.orientation << d.arrow1
          << d.arrow2 << d.sign << (d.autoText ? 1 : 0) << d.value << d.text << d.prefix << d.suffix;
        w.End();
    }
    for (const auto& t : tables_) {
        w << "table" << t->view << t->x << t->y << t->Columns() << t->Rows();
        for (double cw : t->columnWidths) w << cw;
        for (double rh : t->rowHeights) w << rh;
        w.End();
        for (int r = 0; r < t->Rows(); ++r)
            for (int c = 0; c < t->Columns(); ++c) {
                const DrawingTableCell& cell = t->cells[r][c];
                w << "tablecell" << r << c << cell.align << cell.rowSpan << cell.colSpan << (cell.covered ? 1 : 0)
                  << cell.font << cell.text;
                w.End();
            }
    }
    for (const DrawingHatch& h : hatches_) {
        w << "hatch" << h.view << h.style << h.angle << h.step << (h.point ? 1 : 0) << (h.point ? (*h.point)[0] : 0.0)
          << (h.point ? (*h.point)[1] : 0.0);
        w.End();
        for (const Object2D& o : h.boundary) WriteObject(w, "boundary", h.view, o);
    }
    for (const auto& r : roughness_) {
        w << "roughness" << r->view << r->x << r->y << (r->switch1 ? 1 : 0) << (r->switch2 ? 1 : 0) << r->text;
        w.End();
    }
    for (const auto& r : rasters_) {
        w << "raster" << r->view << r->x << r->y << r->scale << r->file << Hex(PngBytes(r->image));
        w.End();
    }
    if (zoom_) {
        w << "zoom" << (*zoom_)[0] << (*zoom_)[1] << (*zoom_)[2] << (*zoom_)[3];
        w.End();
    }
    return w.Text();
}

// Long: one branch per record of the stored form, in the order Encode
// writes them, each checked where it is read.
bool DrawingDocument::Decode(const std::string& text, DrawingDocument& d, std::string* why) {
    std::istringstream in(text);
    std::string line;
    DrawingTable* table = nullptr;
    DrawingHatch* hatch = nullptr;
    std::size_t items = 0;
    while (std::getline(in, line)) {
        if (++items > kMaxItems) return false;
        const Fields f(line);
        const std::string& tag = f.Raw(0);
        int view = 0;
        const bool hasView = tag != "sheet" && tag != "cell" && tag != "view" && tag != "zoom" && tag != "tablecell";
        if (hasView && (!f.Int(1, view) || view < 0 || view >= d.ViewCount())) return false;
        if (tag == "sheet") {
            if (!f.Has(4) || !f.Int(1, d.sheet_.format) || !f.Int(2, d.sheet_.orientation) ||
                !f.Int(3, d.sheet_.layoutStyle))
                return false;
        } else if (tag == "cell") {
            int n = 0;
            std::string t;
            if (!f.Has(3) || !f.Int(1, n) || !f.Text(2, t)) return false;
            d.sheet_.titleCells[n] = t;
        } else if (tag == "view") {
            auto v = std::make_unique<DrawingView>();
            v->number = d.ViewCount();
            v->isModelView = true;
            if (!f.Has(12) || !f.Num(1, v->x) || !f.Num(2, v->y) || !f.Text(3, v->modelFile) ||
                !f.Text(4, v->projection) || !f.Num(5, v->angle))
                return false;
            for (int i = 0; i < 6; ++i) {
                int b = 0;
                if (!f.Int(6 + i, b)) return false;
                v->switches[i] = b != 0;
            }
            d.views_.push_back(std::move(v));
        } else if (tag == "object") {
            if (!ReadObject(f, d.views_[view]->objects, nullptr)) return false;
        } else if (tag == "text") {
            DrawingText t;
            t.view = view;
            if (!f.Has(8) || !f.Num(2, t.x) || !f.Num(3, t.y) || !f.Int(4, t.align) || !f.Num(5, t.height) ||
                !f.Text(6, t.font) || !f.Text(7, t.text))
                return false;
            d.texts_.push_back(std::move(t));
        } else if (tag == "dimension") {
            DrawingDimension m;
            m.view = view;
            int autoText = 0;
            if (!f.Has(17) || !f.Num(2, m.x1) || !f.Num(3, m.y1) || !f.Num(4, m.x2) || !f.Num(5, m.y2) ||
                !f.Num(6, m.dx) || !f.Num(7, m.dy) || !f.Int(8, m.orientation) || !f.Int(9, m.arrow1) ||
                !f.Int(10, m.arrow2) || !f.Int(11, m.sign) || !f.Int(12, autoText) || !f.Num(13, m.value) ||
                !f.Text(14, m.text) || !f.Text(15, m.prefix) || !f.Text(16, m.suffix))
                return false;
            m.autoText = autoText != 0;
            d.dimensions_.push_back(std::move(m));
        } else if (tag == "table") {
            int columns = 0, rows = 0;
            auto t = std::make_unique<DrawingTable>();
            t->view = view;
            if (!f.Num(2, t->x) || !f.Num(3, t->y) || !f.Int(4, columns) || !f.Int(5, rows) || columns < 1 ||
                rows < 1 || columns > 100 || rows > 1000 || !f.Has(6 + static_cast<std::size_t>(columns + rows)))
                return false;
            t->columnWidths.resize(columns);
            for (int c = 0; c < columns; ++c)
                if (!f.Num(6 + c, t->columnWidths[c])) return false;
            for (int r = 0; r < rows; ++r) {
                double h = 0;
                if (!f.Num(6 + columns + r, h)) return false;
                t->AddRow(h);
            }
            d.tables_.push_back(std::move(t));
            table = d.tables_.back().get();
        } else if (tag == "tablecell") {
            int r = 0, c = 0, covered = 0;
            DrawingTableCell cell;
            if (!table || !f.Has(9) || !f.Int(1, r) || !f.Int(2, c) || !f.Int(3, cell.align) ||
                !f.Int(4, cell.rowSpan) || !f.Int(5, cell.colSpan) || !f.Int(6, covered) || !f.Text(7, cell.font) ||
                !f.Text(8, cell.text))
                return false;
            if (r < 0 || r >= table->Rows() || c < 0 || c >= table->Columns() || cell.rowSpan < 1 || cell.colSpan < 1 ||
                r + cell.rowSpan > table->Rows() || c + cell.colSpan > table->Columns())
                return false;
            cell.covered = covered != 0;
            table->cells[r][c] = cell;
        } else if (tag == "hatch") {
            DrawingHatch h;
            h.view = view;
            int hasPoint = 0;
            std::array<double, 2> p{};
            if (!f.Has(8) || !f.Int(2, h.style) || !f.Num(3, h.angle) || !f.Num(4, h.step) || !f.Int(5, hasPoint) ||
                !f.Num(6, p[0]) || !f.Num(7, p[1]))
                return false;
            if (hasPoint) h.point = p;
            d.hatches_.push_back(std::move(h));
            hatch = &d.hatches_.back();
        } else if (tag == "boundary") {
            if (!hatch || !ReadObject(f, d.views_[view]->objects, &hatch->boundary)) return false;
        } else if (tag == "roughness") {
            auto r = std::make_unique<DrawingRoughness>();
            r->view = view;
            int s1 = 0, s2 = 0;
            if (!f.Has(7) || !f.Num(2, r->x) || !f.Num(3, r->y) || !f.Int(4, s1) || !f.Int(5, s2) ||
                !f.Text(6, r->text))
                return false;
            r->switch1 = s1 != 0, r->switch2 = s2 != 0;
            d.roughness_.push_back(std::move(r));
        } else if (tag == "raster") {
            auto r = std::make_unique<DrawingRaster>();
            r->view = view;
            std::string png;
            if (!f.Has(7) || !f.Num(2, r->x) || !f.Num(3, r->y) || !f.Num(4, r->scale) || !f.Text(5, r->file) ||
                !Unhex(f.Raw(6), png))
                return false;
            int width = 0, height = 0;
            if (!PngSize(png, width, height)) return false;
            if (static_cast<std::int64_t>(width) * height > RgbaImage::kMaxReadPixels) {
                if (why)
                    *why = "its picture " + r->file + " has " + std::to_string(width) + " x " + std::to_string(height) +
                           " pixels, more than the " + std::to_string(RgbaImage::kMaxReadPixels / 1000000) +
                           " million a drawing takes";
                return false;
            }
            r->image = ImageOfPngBytes(png);
            if (r->image.Width() == 0) return false;
            d.rasters_.push_back(std::move(r));
        } else if (tag == "zoom") {
            std::array<double, 4> z{};
            if (!f.Has(5) || !f.Num(1, z[0]) || !f.Num(2, z[1]) || !f.Num(3, z[2]) || !f.Num(4, z[3])) return false;
            d.zoom_ = z;
        } else if (!line.empty()) {
            return false;
        }
    }
    return true;
}

}  // namespace zarvento
