// CTessellationObject: the host drawing protocol, erasing with deferred
// deletion, and moving and turning a drawn object.
#include "model/tessellation_object.h"

#include <cmath>

#include "geometry/lsc_transform.h"
#include "geometry/primitives.h"
#include "platform/core/host_error.h"
#include "platform/core/process_state.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_document.h"
#include "platform/drawings/host_drawing_container.h"

namespace zarvento {

double DefaultOpacity = kDefaultOpacity;
bool DeferHostDeletions = false;
StepArray<std::shared_ptr<HostDrawable>> PendingHostDeletions(1);

ZARVENTO_STATE_RESET {
    DefaultOpacity = kDefaultOpacity;
    DeferHostDeletions = false;
    PendingHostDeletions.RemoveAll();
}

void FlushHostDeletions() {
    for (const auto& drawable : PendingHostDeletions) {
        // A drawable whose document closed meanwhile is gone already.
        if (!drawable || drawable->Removed()) continue;
        bool removed = false;
        drawable->Remove(removed);
    }
    PendingHostDeletions.RemoveAll();
}

Point3D LscToModel(double x, double y, double z) {
    LscTransform::Global().LocalToGlobal(x, y, z);
    return {x, y, z};
}

Point3D LscDirectionToModel(double x, double y, double z) {
    const Point3D tip = LscToModel(x, y, z);
    const Point3D origin = LscToModel(0, 0, 0);
    return {tip.x - origin.x, tip.y - origin.y, tip.z - origin.z};
}

CTessellationObject::CTessellationObject() : referencePoint(LscToModel(0, 0, 0)) { light[4] = DefaultOpacity; }

CTessellationObject::~CTessellationObject() { EraseDrawable(); }

void CTessellationObject::EraseDrawable() {
    try {
        CTessellationObject::Erase();
    } catch (const HostError&) {
        // Without an active document there is no view left to clear.
    }
}

void CTessellationObject::Erase() {
    if (!hostDrawable) return;
    // The document closed and took the drawable with it: nothing to remove.
    if (hostDrawable->Removed()) {
        hostDrawable.reset();
        return;
    }
    if (ActiveHostDocument()->DocumentReady() == 0) return;
    hostDrawable->SetVisibility(viewKey, 0);
    if (DeferHostDeletions) {
        // The object lets go of the drawable now, so that nothing draws into
        // it again and a second erase cannot queue it twice.
        PendingHostDeletions.Add(std::move(hostDrawable));
        hostDrawable.reset();
        return;
    }
    bool removed = false;
    hostDrawable->Remove(removed);
    hostDrawable.reset();
}

void CTessellationObject::Show() {
    if (hostDrawable) hostDrawable->SetVisibility(viewKey, 1);
}

void CTessellationObject::Hide() {
    if (hostDrawable) hostDrawable->SetVisibility(viewKey, 0);
}

bool CTessellationObject::IsVisible() const {
    return hostDrawable && !hostDrawable->Removed() && hostDrawable->VisibleIn(viewKey);
}

void CTessellationObject::Clear() {
    vertices.RemoveAll();
    indices.RemoveAll();
    normals.RemoveAll();
    normalIndices.RemoveAll();
    vertexCount = 0;
}

void CTessellationObject::CreateHostDrawable() {
    if (!hostDrawable) hostDrawable = ActiveHostDocument()->Drawings().Create();
}

void CTessellationObject::SendColour() { hostDrawable->SetColour(colour, light); }

void CTessellationObject::AppendVertex(const Point3D& p, const Point3D& n) {
    vertices.Add(p);
    normals.Add(n);
    indices.Add(vertexCount++);
}

void CTessellationObject::MoveTo(double z, double x, double y) {
    if (!hostDrawable) return;
    const Point3D target = LscToModel(x, y, z);
    const double dx = target.x - referencePoint.x, dy = target.y - referencePoint.y, dz = target.z - referencePoint.z;
    for (Point3D& v : vertices) v.x += dx, v.y += dy, v.z += dz;
    referencePoint = target;
    Draw(colour);
}

void CTessellationObject::Shift(double dz, double dx, double dy) {
    const LscTransform& lsc = LscTransform::Global();
    double x = referencePoint.x, y = referencePoint.y, z = referencePoint.z;
    lsc.GlobalToLocal(x, y, z);
    const Point3D target = LscToModel(x + dx, y + dy, z + dz);
    const double mx = target.x - referencePoint.x, my = target.y - referencePoint.y, mz = target.z - referencePoint.z;
    for (Point3D& v : vertices) v.x += mx, v.y += my, v.z += mz;
    referencePoint = target;
}

// Turns every vertex about the LSC axis through the reference point: the
// plane of coordinates `first` and `second` (0 x, 1 y, 2 z) turns by the
// change of the absolute angle. Normals are directions and turn with it.
void CTessellationObject::Rotate(double& stored, double angle, int first, int second) {
    if (vertexCount == 0) return;
    const double d = angle - stored;
    stored = angle;
    const LscTransform& lsc = LscTransform::Global();
    double ref[3] = {referencePoint.x, referencePoint.y, referencePoint.z};
    lsc.GlobalToLocal(ref[0], ref[1], ref[2]);
    const auto turn = [&](double p[3], const double centre[3]) {
        const double u = p[first] - centre[first], w = p[second] - centre[second];
        const double r = std::sqrt(u * u + w * w);
        if (r == 0) return;
        const double a = AngleOfVector(0, 0, u, w);
        p[first] = centre[first] + r * std::cos(a - d);
        p[second] = centre[second] + r * std::sin(a - d);
    };
    const double none[3] = {0, 0, 0};
    const Point3D origin = LscToModel(0, 0, 0);
    for (std::uint32_t i = 0; i < vertices.Count(); ++i) {
        Point3D& v = vertices[i];
        double p[3] = {v.x, v.y, v.z};
        lsc.GlobalToLocal(p[0], p[1], p[2]);
        turn(p, ref);
        v = LscToModel(p[0], p[1], p[2]);
        if (i >= normals.Count()) continue;
        Point3D& n = normals[i];
        double q[3] = {n.x + origin.x, n.y + origin.y, n.z + origin.z};
        lsc.GlobalToLocal(q[0], q[1], q[2]);
        turn(q, none);
        n = LscDirectionToModel(q[0], q[1], q[2]);
    }
    Draw(colour);
}

void CTessellationObject::RotateX(double angle) { Rotate(angleX, angle, 1, 2); }

void CTessellationObject::RotateY(double angle) { Rotate(angleY, angle, 0, 2); }

void CTessellationObject::DrawAt(double z, double x, double y) {
    if (vertexCount == 0) return;
    CreateHostDrawable();
    MoveTo(z, x, y);
}

void CTessellationObject::DrawAtOffset(double x, double y, double z) {
    DrawAt(z + baseOffset.z, x + baseOffset.x, y + baseOffset.y);
}

void CTessellationObject::AppendTriangles(StepArray<CollisionTriangle>& list) const {
    for (std::uint32_t i = 0; i + 2 < vertices.Count(); i += 3) {
        CollisionTriangle t;
        for (std::uint32_t k = 0; k < 3; ++k) t.vertices[k] = {vertices[i + k].x, vertices[i + k].y, vertices[i + k].z};
        if (i < normals.Count()) t.normal = {normals[i].x, normals[i].y, normals[i].z};
        list.Add(t);
    }
}

}  // namespace zarvento
