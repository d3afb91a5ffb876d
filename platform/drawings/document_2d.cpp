// Document2D: objects in creation order, object sets, iterators, the object
// list, boxes, the equidistant call, and the active-document switch.
#include "platform/drawings/document_2d.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>
#include <set>

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"

namespace zarvento {

namespace {
Document2D* active = nullptr;

bool IsCurveType(int type) { return type == kObj2DCurve8 || type == kObj2DPolyline || type == kObj2DCurve80; }

Box2D PointBox(Point2D p) { return {p.x, p.y, p.x, p.y}; }

std::optional<Box2D> ObjectBox(const Object2D& o) {
    switch (o.type) {
        case kObj2DLine: {
            Box2D b = PointBox({o.line.x1, o.line.y1});
            b.Add(PointBox({o.line.x2, o.line.y2}));
            return b;
        }
        case kObj2DArc: {
            const ArcParam2D& a = o.arc;
            const double a1 = std::atan2(a.y1 - a.yc, a.x1 - a.xc);
            const double a2 = std::atan2(a.y2 - a.yc, a.x2 - a.xc);
            const double sweep = a.direction < 0 ? -NormalizeAngle(a1 - a2) : NormalizeAngle(a2 - a1);
            Curve2D c = Curve2D::Arc({a.xc, a.yc}, a.rad, a1, sweep);
            c.a = {a.x1, a.y1};
            c.b = {a.x2, a.y2};
            return c.Box();
        }
        case kObj2DCircle:
            return Box2D{o.circle.xc - o.circle.rad, o.circle.yc - o.circle.rad, o.circle.xc + o.circle.rad,
                         o.circle.yc + o.circle.rad};
        case kObj2DContour: {
            if (o.pieces.empty()) return std::nullopt;
            Box2D b = o.pieces.front().Box();
            for (const Curve2D& c : o.pieces) b.Add(c.Box());
            return b;
        }
        default:
            if (o.points.empty()) return std::nullopt;
            Box2D b = PointBox(o.points.front());
            for (Point2D p : o.points) b.Add(PointBox(p));
            return b;
    }
}

void PutLE(std::array<std::uint8_t, EquidistantRequest::kSize>& out, std::size_t at, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint64_t GetLE(const std::array<std::uint8_t, EquidistantRequest::kSize>& in, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint64_t{in[at + static_cast<std::size_t>(i)]} << (8 * i);
    return v;
}
}  // namespace

ZARVENTO_STATE_RESET {
    active = nullptr;
    HiddenWorkDocument2D().Clear();
}

std::array<std::uint8_t, EquidistantRequest::kSize> EquidistantRequest::Pack() const {
    std::array<std::uint8_t, kSize> out{};
    PutLE(out, 0, static_cast<std::uint32_t>(group), 4);
    out[4] = side;
    out[5] = option1;
    out[6] = option2;
    PutLE(out, 7, std::bit_cast<std::uint64_t>(distance), 8);
    PutLE(out, 15, std::bit_cast<std::uint64_t>(distance2), 8);
    PutLE(out, 23, static_cast<std::uint16_t>(style), 2);
    return out;
}

EquidistantRequest EquidistantRequest::Unpack(const std::array<std::uint8_t, kSize>& bytes) {
    EquidistantRequest r;
    r.group = static_cast<Ref2D>(static_cast<std::uint32_t>(GetLE(bytes, 0, 4)));
    r.side = bytes[4];
    r.option1 = bytes[5];
    r.option2 = bytes[6];
    r.distance = std::bit_cast<double>(GetLE(bytes, 7, 8));
    r.distance2 = std::bit_cast<double>(GetLE(bytes, 15, 8));
    r.style = static_cast<std::int16_t>(static_cast<std::uint16_t>(GetLE(bytes, 23, 2)));
    return r;
}

Ref2D Document2D::Add(Object2D obj) {
    obj.ref = nextRef_++;
    objects_.push_back(std::move(obj));
    const Ref2D ref = objects_.back().ref;
    for (auto& set : openSets_) set.push_back(ref);
    return ref;
}

Ref2D Document2D::AddLine(const LineParam2D& p) {
    Object2D o;
    o.type = kObj2DLine;
    o.line = p;
    o.style = p.style;
    return Add(std::move(o));
}

Ref2D Document2D::AddArc(const ArcParam2D& p) {
    Object2D o;
    o.type = kObj2DArc;
    o.arc = p;
    o.style = p.style;
    return Add(std::move(o));
}

Ref2D Document2D::LineSeg(double x1, double y1, double x2, double y2, int style) {
    HostFaults::Check("Document2D.LineSeg");
    return AddLine({x1, y1, x2, y2, style});
}

Ref2D Document2D::ArcByPoint(double xc, double yc, double rad, double x1, double y1, double x2, double y2,
                             int direction, int style) {
    HostFaults::Check("Document2D.ArcByPoint");
    return AddArc({xc, yc, rad, x1, y1, x2, y2, direction, style});
}

Ref2D Document2D::Circle(double xc, double yc, double rad, int style) {
    HostFaults::Check("Document2D.Circle");
    Object2D o;
    o.type = kObj2DCircle;
    o.circle = {xc, yc, rad, style};
    o.style = style;
    return Add(std::move(o));
}

Ref2D Document2D::Polyline(const std::vector<Point2D>& points, int style) {
    HostFaults::Check("Document2D.Polyline");
    Object2D o;
    o.type = kObj2DPolyline;
    o.points = points;
    o.style = style;
    return Add(std::move(o));
}

Ref2D Document2D::DrawCurve(const Curve2D& c, int style) {
    HostFaults::Check(c.arc ? "Document2D.ArcByPoint" : "Document2D.LineSeg");
    return AddCurve(c, style);
}

Ref2D Document2D::AddCurve(const Curve2D& c, int style) {
    if (!c.arc) return AddLine({c.a.x, c.a.y, c.b.x, c.b.y, style});
    return AddArc({c.c.x, c.c.y, c.r, c.a.x, c.a.y, c.b.x, c.b.y, c.Direction(), style});
}

void Document2D::BeginObjectSet() {
    HostFaults::Check("Document2D.BeginObjectSet");
    openSets_.emplace_back();
}

Ref2D Document2D::EndObjectSet() {
    HostFaults::Check("Document2D.EndObjectSet");
    if (openSets_.empty()) return 0;
    std::vector<Ref2D> members = std::move(openSets_.back());
    openSets_.pop_back();
    return NewGroup(std::move(members));
}

Ref2D Document2D::NewGroup(std::vector<Ref2D> members) {
    const Ref2D ref = nextRef_++;
    groups_.emplace(ref, std::move(members));
    return ref;
}

bool Document2D::IsGroup(Ref2D ref) const { return groups_.count(ref) != 0; }

bool Document2D::AddToGroup(Ref2D group, Ref2D object) {
    HostFaults::Check("Document2D.AddToGroup");
    const auto it = groups_.find(group);
    if (it == groups_.end() || !Find(object)) return false;
    it->second.push_back(object);
    return true;
}

std::vector<const Object2D*> Document2D::Members(Ref2D group) const {
    std::vector<const Object2D*> out;
    const auto it = groups_.find(group);
    if (it == groups_.end()) return out;
    for (Ref2D r : it->second)
        if (const Object2D* o = Find(r)) out.push_back(o);
    return out;
}

std::vector<Ref2D> Document2D::GroupObjects(Ref2D group) const {
    HostFaults::Check("Document2D.GroupObjects");
    std::vector<Ref2D> out;
    for (const Object2D* o : Members(group)) out.push_back(o->ref);
    return out;
}

bool Document2D::DeleteObject(Ref2D ref) {
    HostFaults::Check("Document2D.DeleteObject");
    std::vector<Ref2D> doomed;
    if (!TakeOut(ref, doomed)) return false;
    EraseObjects(std::move(doomed));
    return true;
}

void Document2D::DeleteObjects(const std::vector<Ref2D>& refs) {
    std::vector<Ref2D> doomed;
    try {
        for (Ref2D ref : refs) {
            HostFaults::Check("Document2D.DeleteObject");
            TakeOut(ref, doomed);
        }
    } catch (...) {
        EraseObjects(std::move(doomed));
        throw;
    }
    EraseObjects(std::move(doomed));
}

bool Document2D::TakeOut(Ref2D ref, std::vector<Ref2D>& doomed) {
    if (const auto g = groups_.find(ref); g != groups_.end()) {
        doomed.insert(doomed.end(), g->second.begin(), g->second.end());
        groups_.erase(g);
        return true;
    }
    if (!Find(ref)) return false;
    doomed.push_back(ref);
    return true;
}

void Document2D::EraseObjects(std::vector<Ref2D> doomed) {
    if (doomed.empty()) return;
    std::sort(doomed.begin(), doomed.end());
    // Objects lie in the order of their references, so one walk from the
    // first doomed object on meets the doomed references in their order;
    // what a computation made last sits at the end and goes without moving
    // anything.
    const auto byRef = [](const Object2D& o, Ref2D r) { return o.ref < r; };
    auto out = std::lower_bound(objects_.begin(), objects_.end(), doomed.front(), byRef);
    auto next = doomed.begin();
    for (auto it = out; it != objects_.end(); ++it) {
        while (next != doomed.end() && *next < it->ref) ++next;
        if (next != doomed.end() && *next == it->ref) continue;
        if (out != it) *out = std::move(*it);
        ++out;
    }
    objects_.erase(out, objects_.end());
}

Iter2D Document2D::CreateIterator(Ref2D group) {
    HostFaults::Check("Document2D.CreateIterator");
    if (!IsGroup(group)) return 0;
    Iteration iteration;
    for (const Object2D* o : Members(group)) iteration.refs.push_back(o->ref);
    const Iter2D id = nextIter_++;
    iterators_.emplace(id, std::move(iteration));
    return id;
}

Iter2D Document2D::CreateDocumentIterator() {
    HostFaults::Check("Document2D.CreateIterator");
    Iteration iteration;
    for (const Object2D& o : objects_) iteration.refs.push_back(o.ref);
    const Iter2D id = nextIter_++;
    iterators_.emplace(id, std::move(iteration));
    return id;
}

Ref2D Document2D::MoveFirst(Iter2D it) {
    HostFaults::Check("Document2D.MoveFirst");
    const auto i = iterators_.find(it);
    if (i == iterators_.end()) return 0;
    i->second.pos = 0;
    return MoveNext(it);
}

Ref2D Document2D::MoveNext(Iter2D it) {
    HostFaults::Check("Document2D.MoveNext");
    const auto i = iterators_.find(it);
    if (i == iterators_.end()) return 0;
    Iteration& s = i->second;
    while (s.pos < s.refs.size()) {
        const Ref2D r = s.refs[s.pos++];
        if (Find(r)) return r;
    }
    return 0;
}

void Document2D::DeleteIterator(Iter2D it) {
    HostFaults::Check("Document2D.DeleteIterator");
    iterators_.erase(it);
}

int Document2D::ObjectType(Ref2D ref) const {
    HostFaults::Check("Document2D.ObjectType");
    const Object2D* o = Find(ref);
    return o ? o->type : 0;
}

std::optional<LineParam2D> Document2D::GetLineParam(Ref2D ref) const {
    HostFaults::Check("Document2D.GetLineParam");
    const Object2D* o = Find(ref);
    if (!o || o->type != kObj2DLine) return std::nullopt;
    return o->line;
}

std::optional<ArcParam2D> Document2D::GetArcParam(Ref2D ref) const {
    HostFaults::Check("Document2D.GetArcParam");
    const Object2D* o = Find(ref);
    if (!o || o->type != kObj2DArc) return std::nullopt;
    return o->arc;
}

std::optional<CircleParam2D> Document2D::GetCircleParam(Ref2D ref) const {
    HostFaults::Check("Document2D.GetCircleParam");
    const Object2D* o = Find(ref);
    if (!o || o->type != kObj2DCircle) return std::nullopt;
    return o->circle;
}

void Document2D::AddPlainCopies(const Object2D& o, double /*tolerance*/) {
    switch (o.type) {
        case kObj2DLine:
        case kObj2DArc: {
            Object2D copy = o;
            Add(std::move(copy));
            return;
        }
        case kObj2DCircle: {
            const CircleParam2D& c = o.circle;
            AddArc({c.xc, c.yc, c.rad, c.xc + c.rad, c.yc, c.xc - c.rad, c.yc, 1, c.style});
            AddArc({c.xc, c.yc, c.rad, c.xc - c.rad, c.yc, c.xc + c.rad, c.yc, 1, c.style});
            return;
        }
        case kObj2DContour:
            for (const Curve2D& c : o.pieces) AddCurve(c, o.style);
            return;
        default:
            // The curves this host makes are polylines: their segments are exact
            // at any tolerance. Repeated vertices make no segment.
            if (!IsCurveType(o.type)) return;
            for (std::size_t k = 1; k < o.points.size(); ++k) {
                const Point2D p = o.points[k - 1], q = o.points[k];
                if (p.x != q.x || p.y != q.y) AddLine({p.x, p.y, q.x, q.y, o.style});
            }
    }
}

Ref2D Document2D::ObjectList(Ref2D source, int /*mode*/, double tolerance, int /*flag*/) {
    HostFaults::Check("Document2D.ObjectList");
    // Adding to the deque leaves the sources where they are.
    std::vector<const Object2D*> sources;
    if (IsGroup(source)) {
        sources = Members(source);
    } else if (const Object2D* o = Find(source)) {
        sources.push_back(o);
    } else {
        return 0;
    }
    // The copies are made first and grouped after, so an open object set
    // collects them like anything else drawn.
    const std::size_t first = objects_.size();
    for (const Object2D* o : sources) AddPlainCopies(*o, tolerance);
    std::vector<Ref2D> made;
    for (std::size_t i = first; i < objects_.size(); ++i) made.push_back(objects_[i].ref);
    return NewGroup(std::move(made));
}

Ref2D Document2D::ApproximateCurve(Ref2D curve, double tolerance) {
    HostFaults::Check("Document2D.ApproximateCurve");
    const Object2D* o = Find(curve);
    if (!o || !IsCurveType(o->type)) return 0;
    const Object2D copy = *o;
    const std::size_t first = objects_.size();
    AddPlainCopies(copy, tolerance);
    std::vector<Ref2D> made;
    for (std::size_t i = first; i < objects_.size(); ++i) made.push_back(objects_[i].ref);
    return NewGroup(std::move(made));
}

bool Document2D::ReleaseGroup(Ref2D group) {
    HostFaults::Check("Document2D.ReleaseGroup");
    return groups_.erase(group) != 0;
}

int Document2D::SelectInRect(double x1, double y1, double x2, double y2, int mode) {
    HostFaults::Check("Document2D.SelectInRect");
    const Box2D rect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    // Objects on the rectangle's sides count as inside.
    const double slack =
        1e-9 *
        (1.0 + std::max({std::fabs(rect.xmin), std::fabs(rect.xmax), std::fabs(rect.ymin), std::fabs(rect.ymax)}));
    auto inside = [&](const Object2D& o) {
        const auto b = ObjectBox(o);
        return b && b->xmin >= rect.xmin - slack && b->xmax <= rect.xmax + slack && b->ymin >= rect.ymin - slack &&
               b->ymax <= rect.ymax + slack;
    };
    std::set<Ref2D> outside;  // objects of a group that reaches out of the rectangle
    if (mode == 1) {
        for (const auto& [ref, members] : groups_) {
            bool whole = true;
            for (const Object2D* o : Members(ref)) whole = whole && inside(*o);
            if (!whole) outside.insert(members.begin(), members.end());
        }
    }
    int count = 0;
    for (const Object2D& o : objects_) {
        if (!inside(o) || outside.count(o.ref)) continue;
        for (auto& set : openSets_) set.push_back(o.ref);
        ++count;
    }
    return count;
}

bool Document2D::Translate(Ref2D ref, double dx, double dy) {
    std::vector<Ref2D> refs;
    if (ref == 0) {
        for (const Object2D& o : objects_) refs.push_back(o.ref);
    } else if (IsGroup(ref)) {
        refs = GroupObjects(ref);
    } else if (Find(ref)) {
        refs.push_back(ref);
    } else {
        return false;
    }
    for (Ref2D r : refs) {
        auto it = std::find_if(objects_.begin(), objects_.end(), [r](const Object2D& o) { return o.ref == r; });
        if (it == objects_.end()) continue;
        Object2D& o = *it;
        o.line.x1 += dx, o.line.x2 += dx, o.line.y1 += dy, o.line.y2 += dy;
        o.arc.xc += dx, o.arc.x1 += dx, o.arc.x2 += dx, o.arc.yc += dy, o.arc.y1 += dy, o.arc.y2 += dy;
        o.circle.xc += dx, o.circle.yc += dy;
        for (Point2D& p : o.points) p.x += dx, p.y += dy;
        for (Curve2D& c : o.pieces) c.a.x += dx, c.a.y += dy, c.b.x += dx, c.b.y += dy, c.c.x += dx, c.c.y += dy;
    }
    return true;
}

std::optional<Box2D> Document2D::BoundingBox(Ref2D ref) const {
    HostFaults::Check("Document2D.BoundingBox");
    std::vector<const Object2D*> objs;
    if (ref == 0) {
        for (const Object2D& o : objects_) objs.push_back(&o);
    } else if (IsGroup(ref)) {
        objs = Members(ref);
    } else if (const Object2D* o = Find(ref)) {
        objs.push_back(o);
    }
    std::optional<Box2D> box;
    for (const Object2D* o : objs) {
        const auto b = ObjectBox(*o);
        if (!b) continue;
        if (box)
            box->Add(*b);
        else
            box = b;
    }
    return box;
}

EquidistantReply Document2D::Equidistant(const EquidistantRequest& request) {
    HostFaults::Check("Document2D.Equidistant");
    EquidistantReply reply;
    const auto fail = [&](EquidistantError e, const std::string& message) {
        reply.error = e;
        reply.message = message.empty() ? EquidistantErrorText(e) : message;
        return reply;
    };
    if (!IsGroup(request.group)) return fail(EquidistantError::EmptyChain, "");
    if (request.side > 1) return fail(EquidistantError::BadSide, "");
    if (!std::isfinite(request.distance) || !std::isfinite(request.distance2))
        return fail(EquidistantError::NonFiniteValue,
                    std::string(EquidistantErrorText(EquidistantError::NonFiniteValue)) + ": the distance");
    const zarvento::Equidistant engine = zarvento::Equidistant::FromObjects(Members(request.group));
    const EquidistantResult result = engine.Execute(request.side == 0 ? request.distance : -request.distance);
    if (result.error != EquidistantError::None) return fail(result.error, result.message);
    const std::size_t first = objects_.size();
    reply.closed = true;
    for (const EquidistantChain& chain : result.chains) {
        for (const Curve2D& c : chain.pieces) AddCurve(c, request.style);
        reply.closed = reply.closed && chain.closed;
    }
    reply.chains = static_cast<int>(result.chains.size());
    std::vector<Ref2D> made;
    for (std::size_t i = first; i < objects_.size(); ++i) made.push_back(objects_[i].ref);
    reply.group = NewGroup(std::move(made));
    return reply;
}

const Object2D* Document2D::Find(Ref2D ref) const {
    // Readers ask for one object several times and then for the next one:
    // those two places are tried before the search.
    const std::size_t count = objects_.size();
    for (const std::size_t k : {findHint_, findHint_ + 1}) {
        if (k < count && objects_[k].ref == ref) {
            findHint_ = k;
            return &objects_[k];
        }
    }
    auto it =
        std::lower_bound(objects_.begin(), objects_.end(), ref, [](const Object2D& o, Ref2D r) { return o.ref < r; });
    if (it == objects_.end() || it->ref != ref) return nullptr;
    findHint_ = static_cast<std::size_t>(it - objects_.begin());
    return &*it;
}

void Document2D::DeleteAllObjects() {
    HostFaults::Check("Document2D.DeleteAllObjects");
    objects_.clear();
    groups_.clear();
}

void Document2D::Clear() {
    objects_.clear();
    groups_.clear();
    openSets_.clear();
    iterators_.clear();
    nextIter_ = 1;
    nextRef_ = 1;
    viewRefreshes_.clear();
}

void Document2D::RefreshView(int mode) {
    HostFaults::Check("Document2D.RefreshView");
    viewRefreshes_.push_back(mode);
}

Document2D& HiddenWorkDocument2D() {
    static Document2D doc;
    return doc;
}

Document2D& ActiveDocument2D() { return active ? *active : HiddenWorkDocument2D(); }

WorkObjects::~WorkObjects() {
    if (&doc_ != &HiddenWorkDocument2D()) return;
    // A destructor lets no host failure out: what cannot be deleted stays.
    try {
        doc_.DeleteObjects(std::vector<Ref2D>(refs_.rbegin(), refs_.rend()));
    } catch (...) {
    }
}

void SetActiveDocument2D(Document2D* doc) { active = doc; }

}  // namespace zarvento
