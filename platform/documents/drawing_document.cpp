// The drawing's content: sheet, views, annotations, groups and moves.
#include "platform/documents/drawing_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/documents/host_document.h"
#include "platform/drawings/raster_file.h"

namespace zarvento {

double DrawingSheet::Width() const {
    // A4 210×297, A3 297×420, A2 420×594, A1 594×841, A0 841×1189.
    static const double shorter[] = {841, 594, 420, 297, 210};
    static const double longer[] = {1189, 841, 594, 420, 297};
    const int f = std::clamp(format, 0, 4);
    return orientation == 0 ? longer[f] : shorter[f];
}

double DrawingSheet::Height() const {
    static const double shorter[] = {841, 594, 420, 297, 210};
    static const double longer[] = {1189, 841, 594, 420, 297};
    const int f = std::clamp(format, 0, 4);
    return orientation == 0 ? shorter[f] : longer[f];
}

namespace {

std::string ShortNumber(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

}  // namespace

double DrawingDimension::Measured() const {
    return orientation == 1 ? std::fabs(y2 - y1) : orientation == 0 ? std::fabs(x2 - x1) : std::hypot(x2 - x1, y2 - y1);
}

std::string DrawingDimension::ShownText() const {
    std::string body;
    if (autoText) {
        // Measured to the hundredth, as a drawing shows sizes.
        body = ShortNumber(std::round(Measured() * 100.0) / 100.0);
    } else {
        body = value > 0.0001 ? ShortNumber(value) : text;
    }
    return prefix + (sign == 1 ? "\u2300" : "") + body + suffix;
}

void DrawingTable::AddRow(double height) {
    rowHeights.push_back(height);
    cells.emplace_back(columnWidths.size());
}

bool DrawingTable::SetCellText(int row, int column, const std::string& text, int align, const std::string& font) {
    if (row < 0 || row >= Rows() || column < 0 || column >= Columns()) return false;
    DrawingTableCell& c = cells[row][column];
    c.text = text;
    c.align = align;
    c.font = font;
    return true;
}

bool DrawingTable::SetCellSize(int column, double width, double height) {
    if (column < 0 || column >= Columns() || Rows() == 0) return false;
    columnWidths[column] = width;
    rowHeights[0] = height;
    return true;
}

bool DrawingTable::Merge(int r0, int c0, int r1, int c1) {
    if (r0 < 0 || c0 < 0 || r1 >= Rows() || c1 >= Columns() || r1 < r0 || c1 < c0) return false;
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            cells[r][c].covered = r != r0 || c != c0;
            cells[r][c].rowSpan = cells[r][c].colSpan = 1;
        }
    cells[r0][c0].rowSpan = r1 - r0 + 1;
    cells[r0][c0].colSpan = c1 - c0 + 1;
    return true;
}

const DrawingTableCell* DrawingTable::Cell(int row, int column) const {
    if (row < 0 || row >= Rows() || column < 0 || column >= Columns()) return nullptr;
    return &cells[row][column];
}

DrawingDocument::DrawingDocument() { views_.push_back(std::make_unique<DrawingView>()); }

DrawingView& DrawingDocument::View(int n) {
    if (n < 0 || n >= ViewCount()) throw HostError(E_INVALIDARG_, "the drawing has no view " + std::to_string(n));
    return *views_[n];
}

const DrawingView& DrawingDocument::View(int n) const {
    if (n < 0 || n >= ViewCount()) throw HostError(E_INVALIDARG_, "the drawing has no view " + std::to_string(n));
    return *views_[n];
}

void DrawingDocument::SetCurrentView(int n) {
    View(n);
    current_ = n;
}

void DrawingDocument::MoveView(int n, double dx, double dy) {
    HostFaults::Check("Drawing.MoveView");
    DrawingView& v = View(n);
    v.x += dx;
    v.y += dy;
    v.objects.Translate(0, dx, dy);
    for (DrawingText& t : texts_)
        if (t.view == n) t.x += dx, t.y += dy;
    for (DrawingDimension& d : dimensions_)
        if (d.view == n) d.x1 += dx, d.x2 += dx, d.y1 += dy, d.y2 += dy;
    for (auto& t : tables_)
        if (t->view == n) t->x += dx, t->y += dy;
    for (DrawingHatch& h : hatches_) {
        if (h.view != n) continue;
        for (Object2D& o : h.boundary) {
            o.line.x1 += dx, o.line.x2 += dx, o.line.y1 += dy, o.line.y2 += dy;
            o.arc.xc += dx, o.arc.x1 += dx, o.arc.x2 += dx, o.arc.yc += dy, o.arc.y1 += dy, o.arc.y2 += dy;
            o.circle.xc += dx, o.circle.yc += dy;
        }
        if (h.point) (*h.point)[0] += dx, (*h.point)[1] += dy;
    }
    for (auto& r : roughness_)
        if (r->view == n) r->x += dx, r->y += dy;
    for (auto& r : rasters_)
        if (r->view == n) r->x += dx, r->y += dy;
}

std::optional<Box2D> DrawingDocument::ViewBounds(int n) const { return View(n).objects.BoundingBox(0); }

int DrawingDocument::AddModelView(const std::string& file, const std::string& projection, double x, double y,
                                  double angle) {
    HostFaults::Check("Drawing.AddModelView");
    auto v = std::make_unique<DrawingView>();
    v->number = ViewCount();
    v->isModelView = true;
    v->modelFile = file;
    v->projection = projection;
    v->x = x;
    v->y = y;
    v->angle = angle;
    views_.push_back(std::move(v));
    return ViewCount() - 1;
}

void DrawingDocument::BeginGroup() { Objects().BeginObjectSet(); }

Ref2D DrawingDocument::EndGroup() { return Objects().EndObjectSet(); }

std::optional<Box2D> DrawingDocument::GroupBounds(Ref2D group) const {
    return View(current_).objects.BoundingBox(group);
}

void DrawingDocument::MoveGroup(Ref2D group, double dx, double dy) {
    HostFaults::Check("Drawing.MoveGroup");
    Objects().Translate(group, dx, dy);
}

void DrawingDocument::BeginCompound() { Objects().BeginObjectSet(); }

Ref2D DrawingDocument::EndCompound() {
    const Ref2D ref = Objects().EndObjectSet();
    if (ref) compounds_.emplace_back(current_, ref);
    return ref;
}

void DrawingDocument::BeginHatch(int style, double angle, double step, std::optional<std::array<double, 2>> point) {
    HostFaults::Check("Drawing.BeginHatch");
    OpenHatch h;
    h.hatch.style = style;
    h.hatch.angle = angle;
    h.hatch.step = step;
    h.hatch.point = point;
    h.view = current_;
    h.hatch.view = current_;
    openHatch_ = std::move(h);
    Objects().BeginObjectSet();
}

void DrawingDocument::EndHatch() {
    const Ref2D group = Objects().EndObjectSet();
    if (!openHatch_) return;
    DrawingHatch hatch = std::move(openHatch_->hatch);
    openHatch_.reset();
    Document2D& objects = View(hatch.view).objects;
    for (Ref2D r : objects.GroupObjects(group))
        if (const Object2D* o = objects.Find(r)) hatch.boundary.push_back(*o);
    if (!hatch.boundary.empty()) hatches_.push_back(std::move(hatch));
}

void DrawingDocument::AddText(double x, double y, const std::string& text, int align) {
    HostFaults::Check("Drawing.AddText");
    DrawingText t;
    t.view = current_;
    t.x = x;
    t.y = y;
    t.text = text;
    t.align = align;
    texts_.push_back(std::move(t));
}

void DrawingDocument::AddDimension(DrawingDimension d) {
    HostFaults::Check("Drawing.AddDimension");
    d.view = current_;
    dimensions_.push_back(std::move(d));
}

DrawingTable& DrawingDocument::AddTable(int rows, int columns, double rowHeight, double columnWidth, double x,
                                        double y) {
    HostFaults::Check("Drawing.AddTable");
    if (rows < 1 || columns < 1 || rows > 1000 || columns > 100)
        throw HostError(E_INVALIDARG_, "a table of " + std::to_string(rows) + " × " + std::to_string(columns));
    auto t = std::make_unique<DrawingTable>();
    t->view = current_;
    t->x = x;
    t->y = y;
    t->columnWidths.assign(columns, columnWidth);
    for (int r = 0; r < rows; ++r) t->AddRow(rowHeight);
    tables_.push_back(std::move(t));
    return *tables_.back();
}

DrawingRoughness& DrawingDocument::AddRoughness(double x, double y, const std::string& text) {
    HostFaults::Check("Drawing.AddRoughness");
    auto r = std::make_unique<DrawingRoughness>();
    r->view = current_;
    r->x = x;
    r->y = y;
    r->text = text;
    roughness_.push_back(std::move(r));
    return *roughness_.back();
}

DrawingRaster& DrawingDocument::AddRaster(const std::string& file, double x, double y) {
    HostFaults::Check("Drawing.AddRaster");
    auto r = std::make_unique<DrawingRaster>();
    r->view = current_;
    r->file = file;
    r->x = x;
    r->y = y;
    r->image = ReadRasterFile(file);
    rasters_.push_back(std::move(r));
    return *rasters_.back();
}

DrawingDocument& DrawingOf(HostDocument& doc) {
    if (doc.Type() != DocumentType::Drawing2D) throw HostError(E_INVALIDARG_, "the document is not a drawing");
    for (const HostObjectPtr& e : doc.Entities())
        if (auto d = std::dynamic_pointer_cast<DrawingDocument>(e)) return *d;
    auto d = std::make_shared<DrawingDocument>();
    doc.AddEntity(d);
    return *d;
}

}  // namespace zarvento
