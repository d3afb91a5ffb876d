// Document2D: objects in creation order, and the active-document switch.
#include "platform/document_2d.h"

#include <algorithm>

#include "platform/host_faults.h"
#include "platform/process_state.h"

namespace zarvento {

namespace {
Document2D* active = nullptr;
}

ZARVENTO_STATE_RESET {
    active = nullptr;
    HiddenWorkDocument2D().Clear();
}

Ref2D Document2D::Add(Object2D obj) {
    obj.ref = nextRef_++;
    objects_.push_back(obj);
    return obj.ref;
}

Ref2D Document2D::LineSeg(double x1, double y1, double x2, double y2, int style) {
    HostFaults::Check("Document2D.LineSeg");
    Object2D o;
    o.type = kObj2DLine;
    o.line = {x1, y1, x2, y2, style};
    return Add(o);
}

Ref2D Document2D::ArcByPoint(double xc, double yc, double rad, double x1, double y1, double x2, double y2,
                             int direction, int style) {
    HostFaults::Check("Document2D.ArcByPoint");
    Object2D o;
    o.type = kObj2DArc;
    o.arc = {xc, yc, rad, x1, y1, x2, y2, direction, style};
    return Add(o);
}

const Object2D* Document2D::Find(Ref2D ref) const {
    auto it = std::lower_bound(objects_.begin(), objects_.end(), ref,
                               [](const Object2D& o, Ref2D r) { return o.ref < r; });
    return it != objects_.end() && it->ref == ref ? &*it : nullptr;
}

void Document2D::Clear() {
    objects_.clear();
    nextRef_ = 1;
}

Document2D& HiddenWorkDocument2D() {
    static Document2D doc;
    return doc;
}

Document2D& ActiveDocument2D() { return active ? *active : HiddenWorkDocument2D(); }

void SetActiveDocument2D(Document2D* doc) { active = doc; }

}  // namespace zarvento
