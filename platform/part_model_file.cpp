// The part model in the document file. Each entity is one row of the
// entities table, its data little-endian:
//   part       parent id (8), properties, body checksum (8), body (binary BREP)
//   face       part id (8), number in the body (4), colour (4), six light values (8 each)
//   edge       part id (8), number in the body (4)
//   outline    nothing (the name says which)
//   dimension  kind (4), nominal (8), two flags (1 each), upper and lower deviation texts
//   roughness  nothing; the sign's text is the row's text
// Texts are a length (4) and UTF-8 bytes. The checksum (FNV-1a) guards the
// body, which is read only when it matches.
#include <algorithm>
#include <map>

#include "platform/core/byte_record.h"
#include "platform/core/host_error.h"
#include "platform/part_model/stored_body.h"

namespace zarvento {

namespace {

void EncodeProperties(std::string& out, const PartProperties& p) {
    PutText(out, p.designation);
    PutText(out, p.material);
    out.push_back(p.hasLocation ? 1 : 0);
    PutText(out, p.location);
    PutDouble(out, p.density);
    PutText(out, p.author);
    PutText(out, p.organization);
    PutText(out, p.unspecifiedRoughness);
    PutText(out, p.linkedFile);
}

bool DecodeProperties(ByteReader& in, PartProperties& p) {
    std::uint64_t flag = 0;
    return in.Text(p.designation) && in.Text(p.material) && in.U(flag, 1) && (p.hasLocation = flag != 0, true) &&
           in.Text(p.location) && in.Double(p.density) && in.Text(p.author) && in.Text(p.organization) &&
           in.Text(p.unspecifiedRoughness) && in.Text(p.linkedFile);
}

}  // namespace

bool EncodePartModelEntity(const HostObject& obj, std::string& cls, std::string& text, std::string& data) {
    if (auto part = dynamic_cast<const HostPart*>(&obj)) {
        cls = "part";
        PutU64(data, static_cast<std::uint64_t>(part->Parent() ? part->Parent()->PersistentId() : 0));
        EncodeProperties(data, part->Properties());
        const PartShape& body = part->Body();
        PutU64(data, body.Checksum());
        data += body.Encode();
        return true;
    }
    if (auto face = dynamic_cast<const HostFace*>(&obj)) {
        cls = "face";
        PutU64(data, static_cast<std::uint64_t>(face->PartId()));
        PutU32(data, static_cast<std::uint32_t>(face->Index()));
        PutU32(data, face->Colour());
        for (double v : face->Light()) PutDouble(data, v);
        return true;
    }
    if (auto edge = dynamic_cast<const HostEdge*>(&obj)) {
        cls = "edge";
        PutU64(data, static_cast<std::uint64_t>(edge->PartId()));
        PutU32(data, static_cast<std::uint32_t>(edge->Index()));
        return true;
    }
    if (dynamic_cast<const HostOutline*>(&obj)) {
        cls = "outline";
        return true;
    }
    if (auto dim = dynamic_cast<const HostDimension*>(&obj)) {
        cls = "dimension";
        PutU32(data, static_cast<std::uint32_t>(dim->Kind()));
        PutDouble(data, dim->Nominal());
        data.push_back(dim->ShowsTolerance() ? 1 : 0);
        data.push_back(dim->ShowsDeviations() ? 1 : 0);
        PutText(data, dim->UpperDeviation());
        PutText(data, dim->LowerDeviation());
        return true;
    }
    if (auto sign = dynamic_cast<const HostRoughnessSign*>(&obj)) {
        cls = "roughness";
        text = sign->Text();
        return true;
    }
    return false;
}

bool DecodePartModelEntity(std::string_view cls, std::string_view nameView, std::string_view text,
                           std::string_view data, HostObjectPtr& out, std::string& error) {
    out.reset();
    ByteReader in(data);
    // Faces and edges are stored without names: most rows need no copy of it.
    const auto named = [&](HostObject& obj) {
        if (!nameView.empty()) obj.SetName(std::string(nameView));
    };
    const auto name = [&] { return std::string(nameView); };
    auto damaged = [&](const std::string& what) {
        error = what;
        out.reset();
        return true;
    };
    if (cls == "part") {
        auto part = std::make_shared<HostPart>();
        named(*part);
        std::uint64_t parent = 0, sum = 0;
        if (!in.U(parent, 8) || !DecodeProperties(in, part->Properties()) || !in.U(sum, 8))
            return damaged("part \"" + name() + "\" is cut short");
        const std::string_view body = in.Rest();
        if (BodyChecksum(body) != sum) return damaged("the body of part \"" + name() + "\" is damaged");
        // The body is read when it is first asked for: a run that needs
        // nothing of it (its section kept with the document) never reads it.
        part->SetBodyParts(PartShape::Decode(body, sum), {}, {});
        part->SetStoredParentId(static_cast<std::int64_t>(parent));
        out = part;
        return true;
    }
    if (cls == "face") {
        std::uint64_t partId = 0, index = 0, colour = 0;
        LightValues light{};
        if (!in.U(partId, 8) || !in.U(index, 4) || !in.U(colour, 4)) return damaged("a face is cut short");
        for (double& v : light)
            if (!in.Double(v)) return damaged("a face is cut short");
        auto face = std::make_shared<HostFace>(nullptr, static_cast<int>(index));
        named(*face);
        face->SetPartId(static_cast<std::int64_t>(partId));
        face->SetColour(static_cast<std::uint32_t>(colour), light);
        out = face;
        return true;
    }
    if (cls == "edge") {
        std::uint64_t partId = 0, index = 0;
        if (!in.U(partId, 8) || !in.U(index, 4)) return damaged("an edge is cut short");
        auto edge = std::make_shared<HostEdge>(nullptr, static_cast<int>(index));
        named(*edge);
        edge->SetPartId(static_cast<std::int64_t>(partId));
        out = edge;
        return true;
    }
    if (cls == "outline") {
        out = std::make_shared<HostOutline>(name());
        return true;
    }
    if (cls == "dimension") {
        std::uint64_t kind = 0, tolerance = 0, deviations = 0;
        double nominal = 0;
        std::string upper, lower;
        if (!in.U(kind, 4) || !in.Double(nominal) || !in.U(tolerance, 1) || !in.U(deviations, 1) || !in.Text(upper) ||
            !in.Text(lower))
            return damaged("a dimension is cut short");
        if (kind > static_cast<std::uint64_t>(DimensionKind::Angular)) return damaged("a dimension of unknown kind");
        auto dim = std::make_shared<HostDimension>(static_cast<DimensionKind>(kind), nominal);
        named(*dim);
        dim->SetTolerance(tolerance != 0, deviations != 0, std::move(upper), std::move(lower));
        out = dim;
        return true;
    }
    if (cls == "roughness") {
        auto sign = std::make_shared<HostRoughnessSign>(std::string(text));
        named(*sign);
        out = sign;
        return true;
    }
    return false;
}

namespace {

// The faces and edges of one part, as the file lists them.
struct PartMembers {
    std::vector<std::shared_ptr<HostFace>> faces;
    std::vector<std::shared_ptr<HostEdge>> edges;
};

// Sorts the document's entities: each face and edge under its part's id, the
// parts (attached to the document) in their order; outlines are attached too.
std::vector<std::shared_ptr<HostPart>> GatherParts(const HostDocumentPtr& doc,
                                                   std::map<std::int64_t, PartMembers>& members) {
    // A part's faces and edges come one after another, so the part looked up
    // last usually serves the next one too.
    PartMembers* last = nullptr;
    std::int64_t lastId = 0;
    const auto membersOf = [&](std::int64_t partId) -> PartMembers& {
        if (!last || lastId != partId) {
            last = &members[partId];
            lastId = partId;
        }
        return *last;
    };
    std::vector<std::shared_ptr<HostPart>> parts;
    for (const auto& e : doc->Entities()) {
        HostObject* obj = e.get();
        // The object type sorts out most entities before the cast is tried.
        const int type = obj->ObjectType();
        if (type == HostFace::kObjectType) {
            if (auto* face = dynamic_cast<HostFace*>(obj)) {
                membersOf(face->PartId()).faces.push_back(std::static_pointer_cast<HostFace>(e));
                continue;
            }
        } else if (type == HostEdge::kObjectType) {
            if (auto* edge = dynamic_cast<HostEdge*>(obj)) {
                membersOf(edge->PartId()).edges.push_back(std::static_pointer_cast<HostEdge>(e));
                continue;
            }
        }
        if (auto part = std::dynamic_pointer_cast<HostPart>(e)) {
            part->Attach(doc);
            parts.push_back(part);
        } else if (auto outline = std::dynamic_pointer_cast<HostOutline>(e)) {
            outline->Attach(doc);
        }
    }
    return parts;
}

// Parents form a tree: a chain longer than the parts themselves loops.
bool ParentsFormATree(const HostDocumentPtr& doc, const std::vector<std::shared_ptr<HostPart>>& parts,
                      std::string& error) {
    for (const auto& part : parts) {
        std::int64_t up = part->StoredParentId();
        for (std::size_t step = 0; up != 0; ++step) {
            auto owner = std::dynamic_pointer_cast<HostPart>(doc->FindEntity(up));
            if (!owner || step > parts.size()) {
                error = "part \"" + part->Name() + "\" belongs to a missing part";
                return false;
            }
            up = owner->StoredParentId();
        }
    }
    return true;
}

// Every face and edge of the body once, in the body's order (a file lists
// them so; an older or edited one may not): numbered 1, 2, ... with none
// missing.
template <class Member>
bool NumberedInOrder(std::vector<std::shared_ptr<Member>>& members) {
    auto byIndex = [](const auto& a, const auto& b) { return a->Index() < b->Index(); };
    if (!std::is_sorted(members.begin(), members.end(), byIndex)) std::sort(members.begin(), members.end(), byIndex);
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (members[i]->Index() != static_cast<int>(i) + 1) return false;
    }
    return true;
}

// Gives a part its own faces and edges, checked against its body.
bool BindPartMembers(HostPart& part, PartMembers own, std::string& error) {
    const bool strayMembers = !part.HasBody() && (!own.faces.empty() || !own.edges.empty());
    if (strayMembers || !NumberedInOrder(own.faces)) {
        error = "the faces of part \"" + part.Name() + "\" do not match its body";
        return false;
    }
    if (!NumberedInOrder(own.edges)) {
        error = "the edges of part \"" + part.Name() + "\" do not match its body";
        return false;
    }
    // The faces and edges take their geometry from the body when the first
    // of them is asked about; their number is checked then.
    if (part.HasBody()) {
        auto stored = std::make_shared<StoredBodyParts>();
        stored->body = part.Body();
        stored->partName = part.Name();
        stored->faceCount = own.faces.size();
        stored->edgeCount = own.edges.size();
        for (const auto& face : own.faces) face->BindLater(stored);
        for (const auto& edge : own.edges) edge->BindLater(stored);
    }
    part.SetBodyParts(part.Body(), std::move(own.faces), std::move(own.edges));
    return true;
}

}  // namespace

bool LinkPartModelEntities(const HostDocumentPtr& doc, std::string& error) {
    std::map<std::int64_t, PartMembers> members;
    const std::vector<std::shared_ptr<HostPart>> parts = GatherParts(doc, members);
    if (!ParentsFormATree(doc, parts, error)) return false;
    for (const auto& part : parts) {
        if (const std::int64_t parent = part->StoredParentId(); parent != 0) {
            std::dynamic_pointer_cast<HostPart>(doc->FindEntity(parent))->AddSubPart(part);
        }
        PartMembers own;
        if (const auto found = members.find(part->PersistentId()); found != members.end()) {
            own = std::move(found->second);
            members.erase(found);
        }
        if (!BindPartMembers(*part, std::move(own), error)) return false;
    }
    if (!members.empty()) {
        error = "a face or edge belongs to a missing part";
        return false;
    }
    return true;
}

}  // namespace zarvento
