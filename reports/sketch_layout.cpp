// The sketches' layout: portions, dimensions and table texts.
#include "reports/sketch_layout.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "geometry/primitives.h"
#include "nc/frame_text_format.h"

namespace zarvento {

namespace {

constexpr double kSame = 0.001;

std::string Printf(const char* format, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

}  // namespace

int SketchArrowCode(double value) { return value < 15.0 ? 2 : 1; }

std::vector<std::unique_ptr<Contour>> MachinedPortions(const Contour& work, const Contour& source) {
    std::vector<std::unique_ptr<Contour>> portions;
    std::unique_ptr<Contour> copy = work.GetSimpleContour();
    if (!copy || copy->Empty()) return portions;
    IntersectPointList points;
    copy->Intersect(source, points, true);
    if (points.Count() == 0) {
        portions.push_back(std::move(copy));
        return portions;
    }
    for (std::uint32_t i = 0; i + 1 < points.Count(); ++i) {
        std::unique_ptr<Contour> part = copy->CutPart(points[i], points[i + 1]);
        if (!part || part->Empty()) continue;
        IntersectPoint mid;
        part->GetMidPoint(mid);
        if (source.IsPointInside(mid.z, mid.x)) portions.push_back(std::move(part));
    }
    return portions;
}

namespace {

// Keeps a plan portion that some operation machines, without its units off
// the part contour; null when nothing of it stays.
std::unique_ptr<Contour> KeepMachined(std::unique_ptr<Contour> part, const Contour& partContour,
                                      const std::vector<const Contour*>& workContours) {
    IntersectPoint mid;
    part->GetMidPoint(mid);
    bool machined = false;
    for (const Contour* work : workContours)
        if (work && work->IsPointOnContour(mid.z, mid.x)) {
            machined = true;
            break;
        }
    std::vector<const CUnit*> off;
    for (int i = 0; i < part->Count(); ++i) {
        IntersectPoint m;
        part->GetUnit(i)->GetMiddlePoint(m);
        if (!partContour.IsPointOnContour(m.z, m.x)) off.push_back(part->GetUnit(i));
    }
    for (const CUnit* u : off) part->DeleteUnit(u);
    if (!machined || part->Empty()) return nullptr;
    return part;
}

}  // namespace

std::vector<std::unique_ptr<Contour>> PlanMachinedPortions(const Contour& finalContour, const Contour& stock,
                                                           const Contour& part,
                                                           const std::vector<const Contour*>& workContours) {
    std::vector<std::unique_ptr<Contour>> portions;
    std::unique_ptr<Contour> clone = finalContour.Clone();
    if (clone->Empty()) return portions;
    clone->Reverse();
    IntersectPointList points;
    clone->Intersect(stock, points, true);
    if (points.Count() == 0) {
        if (auto kept = KeepMachined(std::move(clone), part, workContours)) portions.push_back(std::move(kept));
        return portions;
    }
    for (std::uint32_t i = 0; i + 1 < points.Count(); ++i) {
        std::unique_ptr<Contour> piece = clone->CutPart(points[i], points[i + 1]);
        if (!piece || piece->Empty()) continue;
        IntersectPoint mid;
        piece->GetMidPoint(mid);
        if (!stock.IsPointInside(mid.z, mid.x)) continue;
        if (auto kept = KeepMachined(std::move(piece), part, workContours)) portions.push_back(std::move(kept));
    }
    return portions;
}

void CollectSketchDimensions(const Contour& portion, std::vector<SketchDimension>& lengths,
                             std::vector<SketchDimension>& diameters) {
    auto length = [](double z, double x) { return SketchDimension{0, 0, z, x, 0, std::fabs(z), false}; };
    auto diameter = [](double z, double x) { return SketchDimension{z, x, z, -x, 0, 4.0 * std::fabs(x), true}; };
    const CUnit* first = portion.GetFirstUnit();
    if (!first) return;
    if (!first->FromComplex) {
        const double z = first->StartPoint.z, x = first->StartPoint.x;
        if (std::fabs(z) > kSame) lengths.push_back(length(z, x));
        if (std::fabs(x) > kSame) diameters.push_back(diameter(z, x));
    }
    for (int i = 0; i < portion.Count(); ++i) {
        const CUnit* u = portion.GetUnit(i);
        if (u->FromComplex) continue;
        const double z = u->EndPoint.z, x = u->EndPoint.x;
        bool seen = false;
        for (const SketchDimension& d : lengths) seen = seen || std::fabs(d.x2 - z) < kSame;
        if (!seen && std::fabs(z) > kSame) lengths.push_back(length(z, x));
        seen = false;
        for (const SketchDimension& d : diameters) seen = seen || std::fabs(d.y1 - x) < kSame;
        if (!seen && std::fabs(x) > kSame) diameters.push_back(diameter(z, x));
    }
}

namespace {

void SortByValue(std::vector<SketchDimension>& list) {
    for (std::size_t i = 0; i + 1 < list.size(); ++i)
        for (std::size_t j = i + 1; j < list.size(); ++j)
            if (list[j].value < list[i].value) std::swap(list[i], list[j]);
}

// A character of the drawing's text (3.5 high) and the room between two texts.
constexpr double kDrawingCharacterWidth = 2.2;
constexpr double kTextClearance = 1.0;

// How wide a length's text stands along its line: its value to the
// hundredth, as the drawing shows it, in the drawing font.
double TextWidth(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", std::round(std::fabs(value) * 100.0) / 100.0);
    std::string shown = text;
    while (!shown.empty() && shown.back() == '0') shown.pop_back();
    if (!shown.empty() && shown.back() == '.') shown.pop_back();
    return static_cast<double>(shown.size()) * kDrawingCharacterWidth;
}

// Two lengths from z = 0 to either side have their texts in their middles:
// they may share a line only when the texts keep clear of each other.
bool TextsKeepClear(const SketchDimension& a, const SketchDimension& b) {
    const double gap = std::fabs(a.x2 - b.x2) / 2.0;
    return gap >= (TextWidth(a.x2) + TextWidth(b.x2)) / 2.0 + kTextClearance;
}

}  // namespace

void PlaceSketchDimensions(std::vector<SketchDimension>& lengths, std::vector<SketchDimension>& diameters, double xmin,
                           double zmax) {
    SortByValue(lengths);
    SortByValue(diameters);
    double level = xmin - 15.0;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        lengths[i].offset = level;
        const bool shared =
            i > 0 && lengths[i - 1].x2 * lengths[i].x2 < -EPS && TextsKeepClear(lengths[i - 1], lengths[i]);
        if (shared) lengths[i].offset = level + 10.0;
        level -= 10.0;
    }
    level = zmax + 18.0;
    for (SketchDimension& d : diameters) {
        d.offset = level - d.x1;
        level += 10.0;
    }
}

std::string SketchNumber(double value) { return FormatAddressValue("", value, true); }

std::string SketchRoughnessText(const double* roughness) {
    return roughness ? "Ra" + SketchNumber(*roughness) : std::string("Ra3,2");
}

void SketchSpeeds(double speed, double diameter, bool constantSpeed, double nmin, double nmax, double& n, double& v) {
    n = constantSpeed ? speed * 1000.0 / PI / diameter : speed;
    if (n > nmax) n = nmax;
    if (n < nmin) n = nmin;
    v = constantSpeed ? speed : PI * diameter * n / 1000.0;
}

CuttingTable MakeCuttingTable(const CuttingData& d) {
    CuttingTable t;
    t.secondPass = d.depth2 > 0.001;
    t.y = t.secondPass ? 30.0 : 20.0;
    t.widths = {10.0, 120.0, 20.0, 20.0, 27.5, 30.0, 35.0, 22.5};
    t.rows.push_back({"T", "Инструмент", "t, мм", "D, мм", "s, мм/об", "n, об/мин",
                      d.constantSpeed ? "Vпос, м/мин" : "Vср, м/мин", "Tо, мин"});
    double n = 0, v = 0;
    SketchSpeeds(d.constantSpeed ? d.cuttingSpeed : d.spindle, d.diameter, d.constantSpeed, d.nmin, d.nmax, n, v);
    char position[32];
    std::snprintf(position, sizeof position, "%d", d.position + 1);
    t.rows.push_back({position, d.designation, Printf("%g", d.depth), Printf("%1.2f", d.diameter), Printf("%g", d.feed),
                      Printf("%1.0f", n), Printf("%1.0f", v), Printf("%1.2f", d.time)});
    if (t.secondPass) {
        SketchSpeeds(d.speed2, d.diameter, d.constantSpeed, d.nmin, d.nmax, n, v);
        t.rows.push_back(
            {"", "", Printf("%g", d.depth2), "", Printf("%g", d.feed2), Printf("%1.0f", n), Printf("%1.0f", v), ""});
    }
    return t;
}

std::array<std::string, 6> SketchToolRowTexts(const SketchToolRow& row) {
    auto number = [](double v, double size) { return size <= 0.001 ? std::string("-") : SketchNumber(v); };
    char position[32];
    std::snprintf(position, sizeof position, "%d", row.position + 1);
    return {position,
            row.designation,
            number(row.r, row.r),
            number(row.D, row.D),
            number(row.correctX, std::fabs(row.correctX)),
            number(row.correctZ, std::fabs(row.correctZ))};
}

}  // namespace zarvento
