// CTessellationObjectFace: the face's draw and the surfaces of revolution.
#include "model/tessellation_object_face.h"

#include <cmath>

#include "geometry/primitives.h"
#include "geometry/value_packing.h"
#include "platform/core/messages.h"
#include "platform/drawings/host_drawable.h"

namespace zarvento {

void CTessellationObjectFace::Draw(std::uint32_t newColour) {
    if (!hostDrawable) return;
    if (colour != 0) colour = newColour;
    Variant v, i, n, ni;
    PointsToSafeArray(v, vertices);
    IntsToSafeArray(i, indices);
    PointsToSafeArray(n, normals);
    IntsToSafeArray(ni, normalIndices);
    hostDrawable->SetMesh(v, i, n, ni);
    SendColour();
    hostDrawable->Enable(1);
    hostDrawable->SetFaceOption(1, 0);
    hostDrawable->SetVisibility(viewKey, 1);
}

// The rings of the two ends share the table's 30 directions; each ring point
// carries the normal of the cone through both rings. A ring on the axis has
// no radial direction: its normal is along the axis alone.
void CTessellationObjectFace::AddRevolvedSegment(double z1, double r1, double z2, double r2) {
    const double dz = z2 - z1, dr = r1 - r2;
    const double length2 = dz * dz + dr * dr;
    if (!(length2 > 0.0)) return;
    const double q = dr * dr / length2;
    const double w = std::sqrt(1.0 - q);
    const SinCosTable& table = GetSinCosTable();
    constexpr int kRing = 30;
    Point3D p1[kRing], p2[kRing], n1[kRing], n2[kRing];
    for (int k = 0; k < kRing; ++k) {
        double c = table.cosines[k], s = table.sines[k];
        if (mirror) std::swap(c, s);
        p1[k] = LscToModel(r1 * c, r1 * s, z1);
        p2[k] = LscToModel(r2 * c, r2 * s, z2);
        n1[k] = r1 == 0.0 ? LscDirectionToModel(0, 0, q) : LscDirectionToModel(w * c, w * s, q);
        n2[k] = r2 == 0.0 ? LscDirectionToModel(0, 0, q) : LscDirectionToModel(w * c, w * s, q);
    }
    for (int k = 0; k + 1 < kRing; ++k) {
        AppendVertex(p1[k], n1[k]);
        AppendVertex(p1[k + 1], n1[k + 1]);
        AppendVertex(p2[k + 1], n2[k + 1]);
    }
    for (int k = 0; k + 1 < kRing; ++k) {
        AppendVertex(p1[k], n1[k]);
        AppendVertex(p2[k + 1], n2[k + 1]);
        AppendVertex(p2[k], n2[k]);
    }
}

void CTessellationObjectFace::CreateRevolvedLine(double z1, double r1, double z2, double r2, std::uint32_t newColour) {
    Clear();
    AddRevolvedSegment(z1, r1, z2, r2);
    CreateHostDrawable();
    if (!hostDrawable) {
        HostTextOutput("Obj==NULL");
        return;
    }
    Draw(newColour);
}

int RevolvedArcPointCount(double length) {
    const double step = length > 20.0 ? length / 20.0 : 1.0;
    const double n = std::trunc(length / step);
    return n < 3.0 ? 3 : static_cast<int>(n);
}

void CTessellationObjectFace::CreateRevolvedArc(double cz, double cx, double r, double sz, double sx, double ez,
                                                double ex, int dir, std::uint32_t newColour) {
    Clear();
    const double a1 = AngleOfVector(cz, cx, sz, sx);
    const double a2 = AngleOfVector(cz, cx, ez, ex);
    double sweep = std::fabs(a2 - a1);
    if ((a1 < a2 && dir == -1) || (a2 < a1 && dir == 1)) sweep = 2 * PI - sweep;
    const int n = RevolvedArcPointCount(sweep * r);
    const double step = dir * sweep / (n - 1);
    double zPrev = 0, xPrev = 0;
    for (int k = 0; k < n; ++k) {
        const double a = a1 + k * step;
        const double z = cz + r * std::cos(a), x = cx + r * std::sin(a);
        if (k > 0) AddRevolvedSegment(zPrev, xPrev, z, x);
        zPrev = z, xPrev = x;
    }
    CreateHostDrawable();
    Draw(newColour);
}

}  // namespace zarvento
