// The kept section is one derived result of the document: a key (the body's
// checksum, the NC coordinate system's numbers, the accuracy, the counts of
// faces and edges), then the units with every field they carry and their
// ties as positions in the part's lists of faces and edges. Numbers are kept
// bit for bit, so that a section read back gives the same program.
#include "model/section_cache.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/lsc_transform.h"
#include "geometry/primitives.h"
#include "platform/core/check.h"
#include "platform/documents/host_document.h"
#include "platform/documents/settings_record.h"
#include "platform/part_model.h"

namespace zarvento {

namespace {

constexpr const char* kSectionResult = "section";
// Changes whenever the layout below changes: a result of another layout is
// taken again.
constexpr std::string_view kLayout = "section 1\n";

constexpr char kTieFace = 'F';
constexpr char kTieEdge = 'E';

void PutU64(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}
void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}
void PutDouble(std::string& out, double v) { PutU64(out, std::bit_cast<std::uint64_t>(v)); }
void PutPoint(std::string& out, const Point3D& p) {
    PutDouble(out, p.x);
    PutDouble(out, p.y);
    PutDouble(out, p.z);
}

class Reader {
public:
    explicit Reader(std::string_view data) : data_(data) {}
    bool U64(std::uint64_t& v) {
        if (data_.size() - pos_ < 8) return false;
        v = 0;
        for (int i = 0; i < 8; ++i) v |= std::uint64_t{static_cast<unsigned char>(data_[pos_ + i])} << (8 * i);
        pos_ += 8;
        return true;
    }
    bool U32(std::uint32_t& v) {
        std::uint64_t wide = 0;
        if (data_.size() - pos_ < 4) return false;
        for (int i = 0; i < 4; ++i) wide |= std::uint64_t{static_cast<unsigned char>(data_[pos_ + i])} << (8 * i);
        pos_ += 4;
        v = static_cast<std::uint32_t>(wide);
        return true;
    }
    bool Double(double& v) {
        std::uint64_t bits = 0;
        if (!U64(bits)) return false;
        v = std::bit_cast<double>(bits);
        return true;
    }
    bool Point(Point3D& p) { return Double(p.x) && Double(p.y) && Double(p.z); }
    bool Byte(char& c) {
        if (pos_ >= data_.size()) return false;
        c = data_[pos_++];
        return true;
    }
    bool Text(std::string& text) {
        std::uint32_t n = 0;
        if (!U32(n) || data_.size() - pos_ < n) return false;
        text.assign(data_.substr(pos_, n));
        pos_ += n;
        return true;
    }
    std::size_t Left() const { return data_.size() - pos_; }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

// What the section is taken of: a section kept under another key is of
// another body, system or accuracy.
std::string SectionKey(const HostPart& part) {
    std::string key(kLayout);
    PutU64(key, part.Body().Checksum());
    const LscTransform& lsc = LscTransform::Global();
    for (double v : {lsc.originX, lsc.originY, lsc.originZ}) PutDouble(key, v);
    for (const LscTransform::Axis* axis : {&lsc.axisX, &lsc.axisY, &lsc.axisZ})
        for (double v : {axis->x, axis->y, axis->z, axis->length}) PutDouble(key, v);
    for (const auto& row : lsc.matrix)
        for (double v : row) PutDouble(key, v);
    // The system's own numbers, which give the plane of the section.
    if (const auto& system = lsc.HostObjectRef()) {
        for (double v : system->Origin()) PutDouble(key, v);
        for (int code : {LocalCoordinateSystem::kAxisX, LocalCoordinateSystem::kAxisY, LocalCoordinateSystem::kAxisZ}) {
            double x = 0, y = 0, z = 0;
            system->GetAxis(code, x, y, z);
            for (double v : {x, y, z}) PutDouble(key, v);
        }
    }
    PutDouble(key, SettingsRecord::Global().accuracy);
    PutU64(key, part.Faces().size());
    PutU64(key, part.Edges().size());
    return key;
}

// The position of a face or edge in the part's list of them, after its tag.
template <class Item>
bool PutTieIn(std::string& out, const std::vector<std::shared_ptr<Item>>& items, const Item& item, char tag) {
    const std::size_t i = static_cast<std::size_t>(item.Index()) - 1;
    if (item.Index() < 1 || i >= items.size() || items[i].get() != &item) return false;
    out += tag;
    PutU32(out, static_cast<std::uint32_t>(i));
    return true;
}

// A tie to one of the part's faces or edges; false for any other object.
bool PutTie(std::string& out, const HostPart& part, const HostObjectPtr& object) {
    if (const auto* face = dynamic_cast<const HostFace*>(object.get()))
        return PutTieIn(out, part.Faces(), *face, kTieFace);
    if (const auto* edge = dynamic_cast<const HostEdge*>(object.get()))
        return PutTieIn(out, part.Edges(), *edge, kTieEdge);
    return false;
}

bool PutUnit(std::string& out, const HostPart& part, const CUnit& unit) {
    // Only plain lines and arcs carry nothing but the fields below; drawn
    // state and a unit it came from belong to this run.
    if (unit.Kind != kUnitLine && unit.Kind != kUnitArc) return false;
    if (unit.SourceUnit || unit.HostObjectId != 0 || unit.Edge || unit.Face) return false;
    out += unit.Kind;
    PutU32(out, static_cast<std::uint32_t>(unit.SurfaceName.size()));
    out += unit.SurfaceName;
    for (const Point3D* p : {&unit.StartPoint, &unit.EndPoint, &unit.CentrePoint, &unit.RefVector, &unit.RefPoint})
        PutPoint(out, *p);
    for (double v : {unit.OffsetDistance, unit.StartExtension, unit.EndExtension}) PutDouble(out, v);
    PutU32(out, unit.FaceColour);
    PutU32(out, static_cast<std::uint32_t>(static_cast<std::uint16_t>(unit.DirVector)));
    out += static_cast<char>((unit.Selected ? 1 : 0) | (unit.IsRapid ? 2 : 0) | (unit.IsMarked ? 4 : 0) |
                             (unit.FromComplex ? 8 : 0));
    if (const auto* arc = dynamic_cast<const CArcUnit*>(&unit)) {
        PutDouble(out, arc->Radius);
        PutU32(out, static_cast<std::uint32_t>(arc->ArcType));
    }
    PutU32(out, static_cast<std::uint32_t>(unit.HostObjectCount()));
    for (int i = 0; i < unit.HostObjectCount(); ++i)
        if (!PutTie(out, part, unit.GetSourceObject(i))) return false;
    return true;
}

UnitPtr ReadUnit(Reader& in, const HostPart& part) {
    char kind = 0;
    if (!in.Byte(kind) || (kind != kUnitLine && kind != kUnitArc)) return nullptr;
    UnitPtr unit;
    CArcUnit* arc = nullptr;
    if (kind == kUnitLine) {
        unit = std::make_unique<CLineUnit>(0, 0, 0, 0);
    } else {
        auto made = std::make_unique<CArcUnit>(0, 0, 1, 1, 0, 1, 0, 1);
        arc = made.get();
        unit = std::move(made);
    }
    std::uint32_t colour = 0, direction = 0, arcType = 0, ties = 0;
    char flags = 0;
    if (!in.Text(unit->SurfaceName) || !in.Point(unit->StartPoint) || !in.Point(unit->EndPoint) ||
        !in.Point(unit->CentrePoint) || !in.Point(unit->RefVector) || !in.Point(unit->RefPoint) ||
        !in.Double(unit->OffsetDistance) || !in.Double(unit->StartExtension) || !in.Double(unit->EndExtension) ||
        !in.U32(colour) || !in.U32(direction) || !in.Byte(flags))
        return nullptr;
    if (arc && (!in.Double(arc->Radius) || !in.U32(arcType))) return nullptr;
    if (arc) arc->ArcType = static_cast<int>(arcType);
    if (!in.U32(ties) || ties > in.Left() / 5) return nullptr;
    unit->FaceColour = colour;
    unit->DirVector = static_cast<std::int16_t>(static_cast<std::uint16_t>(direction));
    unit->Selected = (flags & 1) != 0;
    unit->IsRapid = (flags & 2) != 0;
    unit->IsMarked = (flags & 4) != 0;
    unit->FromComplex = (flags & 8) != 0;
    for (std::uint32_t k = 0; k < ties; ++k) {
        char tie = 0;
        std::uint32_t i = 0;
        if (!in.Byte(tie) || !in.U32(i)) return nullptr;
        if (tie == kTieFace && i < part.Faces().size())
            unit->AddObject(part.Faces()[i]);
        else if (tie == kTieEdge && i < part.Edges().size())
            unit->AddObject(part.Edges()[i]);
        else
            return nullptr;
    }
    return unit;
}

}  // namespace

std::unique_ptr<Contour> KeptSection(const HostDocument& document, const HostPart& part) {
    const std::string* kept = document.DerivedResult(kSectionResult);
    if (!kept || !part.HasBody()) return nullptr;
    const std::string key = SectionKey(part);
    if (kept->size() < key.size() || std::memcmp(kept->data(), key.data(), key.size()) != 0) return nullptr;
    Reader in(std::string_view(*kept).substr(key.size()));
    std::uint32_t count = 0;
    // Every unit takes more than 100 bytes: a count past that is damage.
    if (!in.U32(count) || count == 0 || count > in.Left() / 100) return nullptr;
    auto section = Contour::ContourSized(static_cast<int>(count));
    for (std::uint32_t k = 0; k < count; ++k) {
        UnitPtr unit = ReadUnit(in, part);
        if (!unit) return nullptr;
        section->AddUnit(std::move(unit));
    }
    if (in.Left() != 0) return nullptr;
    return section;
}

bool KeepSection(HostDocument& document, const HostPart& part, const Contour& section) {
    // The section is a closed profile: its last unit ends where its first starts.
    if (!section.Empty()) {
        const Point3D& s = section.GetFirstUnit()->StartPoint;
        const Point3D& e = section.GetLastUnit()->EndPoint;
        if (ZARVENTO_NEVER(!IsEqualPoint(s.z, s.x, e.z, e.x))) {
            document.SetDerivedResult(kSectionResult, std::string());
            return false;
        }
    }
    std::string bytes;
    if (part.HasBody() && !section.Empty()) {
        bytes = SectionKey(part);
        PutU32(bytes, static_cast<std::uint32_t>(section.Count()));
        for (int i = 0; i < section.Count(); ++i) {
            if (!PutUnit(bytes, part, *section.GetUnit(i))) {
                bytes.clear();
                break;
            }
        }
    }
    document.SetDerivedResult(kSectionResult, std::move(bytes));
    return true;
}

}  // namespace zarvento
