// The part model: top parts, bodies with their faces and edges as document
// entities, dimensions and roughness signs.
#include "platform/part_model.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <typeinfo>

#include "platform/core/host_call_time.h"
#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"

namespace zarvento {

HostFace::HostFace(std::shared_ptr<const Geometry> geometry, int index)
    : geometry_(std::move(geometry)), index_(index) {}
HostFace::~HostFace() = default;

void HostFace::SetColour(std::uint32_t colour, const LightValues& light) {
    HostFaults::Check("HostFace.SetColour");
    colour_ = colour;
    light_ = light == kDefaultLight ? nullptr : std::make_unique<const LightValues>(light);
}

HostEdge::HostEdge(std::shared_ptr<const Geometry> geometry, int index)
    : geometry_(std::move(geometry)), index_(index) {}
HostEdge::~HostEdge() = default;

HostCurve::HostCurve(std::shared_ptr<const Geometry> geometry) : geometry_(std::move(geometry)) {}
HostCurve::~HostCurve() = default;

double HostDimension::Nominal() const {
    HostFaults::Check("HostDimension.Nominal");
    return nominal_;
}

void HostDimension::SetTolerance(bool showsTolerance, bool showsDeviations, std::string upper, std::string lower) {
    showsTolerance_ = showsTolerance;
    showsDeviations_ = showsDeviations;
    upper_ = std::move(upper);
    lower_ = std::move(lower);
}

const std::string& HostRoughnessSign::Text() const {
    HostFaults::Check("HostRoughnessSign.Text");
    return text_;
}

FaceAxis NearestFaceAxis(const HostPart& part, const Point3& origin, const Point3& direction) {
    const auto dot = [](const Point3& a, const Point3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    FaceAxis nearest;
    const double length = std::sqrt(dot(direction, direction));
    if (!(length > 0) || !part.HasBody()) return nearest;
    const Point3 along{direction[0] / length, direction[1] / length, direction[2] / length};
    const auto& faces = part.Faces();
    for (std::size_t i = 0; i < faces.size(); ++i) {
        Point3 p, q;
        if (faces[i]->IsKind(SurfaceKind::Plane) || !faces[i]->Placement(p, q)) continue;
        Point3 d{q[0] - p[0], q[1] - p[1], q[2] - p[2]};
        const double dl = std::sqrt(dot(d, d));
        if (!(dl > 0)) continue;
        const double sense = dot(d, along) < 0 ? -1.0 : 1.0;
        for (double& c : d) c *= sense / dl;
        const double angle = std::acos(std::clamp(dot(d, along), -1.0, 1.0));
        const Point3 to{origin[0] - p[0], origin[1] - p[1], origin[2] - p[2]};
        const double t = dot(to, d);
        const Point3 off{to[0] - t * d[0], to[1] - t * d[1], to[2] - t * d[2]};
        const double offset = std::sqrt(dot(off, off));
        if (nearest.face != 0 &&
            (angle > nearest.angle + 1e-12 || (angle > nearest.angle - 1e-12 && offset >= nearest.offset)))
            continue;
        nearest = {static_cast<int>(i) + 1, p, d, angle, offset};
    }
    return nearest;
}

// ---- HostOutline ----

void HostOutline::ClearReferences() {
    HostFaults::Check("HostOutline.ClearReferences");
    faces_.clear();
    plane_.reset();
}

void HostOutline::ClearResult() {
    HostFaults::Check("HostOutline.ClearResult");
    result_.clear();
}

void HostOutline::AddReference(int index, const HostObjectPtr& object) {
    HostFaults::Check("HostOutline.AddReference");
    if (!object) throw HostError(E_POINTER_, "no object to refer to");
    if (index == 0) {
        if (!std::dynamic_pointer_cast<HostFace>(object)) throw HostError(E_INVALIDARG_, "reference 0 takes faces");
        faces_.push_back(object);
    } else if (index == 1) {
        plane_ = object;
    } else {
        throw HostError(DISP_E_BADINDEX_, "the outline has references 0 and 1");
    }
}

int HostOutline::ResultCount() const {
    HostFaults::Check("HostOutline.ResultCount");
    return static_cast<int>(result_.size());
}

std::vector<std::shared_ptr<HostCurve>> HostOutline::ResultCurves(int item) const {
    HostFaults::Check("HostOutline.ResultCurves");
    if (item < 0 || item >= static_cast<int>(result_.size()))
        throw HostError(DISP_E_BADINDEX_, "no result item " + std::to_string(item));
    return result_[static_cast<std::size_t>(item)];
}

bool IsStepFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    char head[64] = {};
    in.read(head, sizeof head);
    std::string text(head, static_cast<std::size_t>(in.gcount()));
    // A byte-order mark and blank lines may come first.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    return start != std::string::npos && text.compare(start, 12, "ISO-10303-21") == 0;
}

// ---- HostPart ----

HostPart::HostPart() = default;
HostPart::~HostPart() = default;

const std::vector<std::shared_ptr<HostFace>>& HostPart::Faces() const {
    HostFaults::Check("HostPart.Faces");
    return faces_;
}

const std::vector<std::shared_ptr<HostEdge>>& HostPart::Edges() const {
    HostFaults::Check("HostPart.Edges");
    return edges_;
}

const std::vector<std::shared_ptr<HostPart>>& HostPart::SubParts() const {
    HostFaults::Check("HostPart.SubParts");
    return subParts_;
}

const PartProperties& HostPart::Properties() const {
    HostFaults::Check("HostPart.Properties");
    return properties_;
}

namespace {

// The volume of the part's own body, kept with the document under the body's
// checksum (then the volume's bits): a document opened again does not read
// its body for it.
double KeptBodyVolume(const HostPart& part) {
    const PartShape& body = part.Body();
    if (body.IsNull()) return 0;
    HostDocument* doc = part.Document();
    if (!doc) return body.Volume();
    const std::string name = "volume " + std::to_string(part.PersistentId());
    const std::uint64_t checksum = body.Checksum();
    if (const std::string* kept = doc->DerivedResult(name);
        kept && kept->size() == 2 * sizeof(std::uint64_t) &&
        std::memcmp(kept->data(), &checksum, sizeof checksum) == 0) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, kept->data() + sizeof checksum, sizeof bits);
        return std::bit_cast<double>(bits);
    }
    const double volume = body.Volume();
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(volume);
    std::string bytes(2 * sizeof(std::uint64_t), '\0');
    std::memcpy(bytes.data(), &checksum, sizeof checksum);
    std::memcpy(bytes.data() + sizeof checksum, &bits, sizeof bits);
    doc->SetDerivedResult(name, std::move(bytes));
    return volume;
}

}  // namespace

double HostPart::Volume() const {
    HostFaults::Check("HostPart.Volume");
    HostCallTime::Scope time;
    double volume = KeptBodyVolume(*this);
    for (const auto& sub : subParts_) volume += sub->Volume();
    return volume;
}

// g/cm3 times mm3 is 1e-3 g, 1e-6 kg.
double HostPart::Mass() const { return properties_.density * Volume() * 1e-6; }

HostDocument* HostPart::Document() const { return document_.lock().get(); }

HostObjectPtr HostPart::FindModelObject(const std::string& name) const {
    HostFaults::Check("HostPart.FindModelObject");
    const std::shared_ptr<HostDocument> doc = document_.lock();
    if (!doc) throw HostError(E_POINTER_, "the part belongs to no document");
    for (const auto& e : doc->Entities()) {
        if (e->Name() != name) continue;
        if (auto outline = std::dynamic_pointer_cast<HostOutline>(e)) outline->Attach(doc);
        return e;
    }
    return nullptr;
}

std::shared_ptr<HostOutline> HostPart::CreateOutline(const std::string& name) {
    HostFaults::Check("HostPart.CreateOutline");
    const std::shared_ptr<HostDocument> doc = document_.lock();
    if (!doc) throw HostError(E_POINTER_, "the part belongs to no document");
    auto outline = std::make_shared<HostOutline>(name);
    doc->AddEntity(outline);
    outline->Attach(doc);
    changed_ = true;
    return outline;
}

void HostPart::SetRebuildSwitch(int on) {
    HostFaults::Check("HostPart.SetRebuildSwitch");
    rebuildOn_ = on != 0;
}

void HostPart::SetRedrawSwitch(int on) {
    HostFaults::Check("HostPart.SetRedrawSwitch");
    redrawOn_ = on != 0;
}

void HostPart::SetUndoSwitch(int on) {
    HostFaults::Check("HostPart.SetUndoSwitch");
    undoOn_ = on != 0;
}

bool HostPart::StateFlag() const {
    HostFaults::Check("HostPart.StateFlag");
    return changed_;
}

void HostPart::ResetState() {
    HostFaults::Check("HostPart.ResetState");
    changed_ = false;
}

void HostPart::SetBodyParts(PartShape body, std::vector<std::shared_ptr<HostFace>> faces,
                            std::vector<std::shared_ptr<HostEdge>> edges) {
    body_ = std::move(body);
    faces_ = std::move(faces);
    edges_ = std::move(edges);
}

void HostPart::AddSubPart(const std::shared_ptr<HostPart>& part) {
    part->SetParent(this);
    subParts_.push_back(part);
}

// ---- document functions ----

std::shared_ptr<HostPart> TopPart(const HostDocumentPtr& doc) {
    HostFaults::Check("HostDocument.TopPart");
    if (!doc) throw HostError(E_POINTER_, "no document");
    if (doc->Type() == DocumentType::Drawing2D) throw HostError(E_INVALIDARG_, "a drawing has no part");
    for (const auto& e : doc->Entities()) {
        auto part = std::dynamic_pointer_cast<HostPart>(e);
        if (part && !part->Parent()) {
            part->Attach(doc);
            return part;
        }
    }
    auto part = std::make_shared<HostPart>();
    doc->AddEntity(part);
    part->Attach(doc);
    return part;
}

namespace {

// A body's faces and edges, nearly all the entities of a dense part, are told
// by their exact type, which costs less than a cast failing on each of them.
bool IsFaceOrEdge(const HostObjectPtr& e) {
    if (!e) return false;
    const std::type_info& type = typeid(*e);
    return type == typeid(HostFace) || type == typeid(HostEdge);
}

}  // namespace

std::vector<std::shared_ptr<HostDimension>> ModelDimensions(const HostDocument& doc, DimensionKind kind) {
    HostFaults::Check("HostDocument.Dimensions");
    std::vector<std::shared_ptr<HostDimension>> out;
    for (const auto& e : doc.Entities()) {
        if (IsFaceOrEdge(e)) continue;
        if (auto d = std::dynamic_pointer_cast<HostDimension>(e); d && d->Kind() == kind) out.push_back(d);
    }
    return out;
}

std::vector<std::shared_ptr<HostRoughnessSign>> ModelRoughnessSigns(const HostDocument& doc) {
    HostFaults::Check("HostDocument.RoughnessSigns");
    std::vector<std::shared_ptr<HostRoughnessSign>> out;
    for (const auto& e : doc.Entities()) {
        if (IsFaceOrEdge(e)) continue;
        if (auto r = std::dynamic_pointer_cast<HostRoughnessSign>(e)) out.push_back(r);
    }
    return out;
}

}  // namespace zarvento
