// CTessellationObjectEdge: path lines, polylines and their arrows.
#include "model/tessellation_object_edge.h"

#include "geometry/primitives.h"
#include "geometry/value_packing.h"
#include "platform/documents/settings_record.h"
#include "platform/drawings/host_drawable.h"

namespace zarvento {

namespace {

// Settings colours of paths and rapid moves.
constexpr int kPathColour = 4;
constexpr int kRapidColour = 5;

}  // namespace

void CTessellationObjectEdge::Erase() {
    CTessellationObject::Erase();
    for (CArrowFace& a : arrows) a.Erase();
}

void CTessellationObjectEdge::Show() {
    CTessellationObject::Show();
    for (CArrowFace& a : arrows) a.Show();
}

void CTessellationObjectEdge::Hide() {
    CTessellationObject::Hide();
    for (CArrowFace& a : arrows) a.Hide();
}

void CTessellationObjectEdge::Draw(std::uint32_t newColour) {
    if (!hostDrawable) return;
    colour = newColour;
    light[4] = 1.0;
    Variant v, i;
    PointsToSafeArray(v, vertices);
    IntsToSafeArray(i, indices);
    hostDrawable->SetPolyline(v, i, Variant());
    SendColour();
    hostDrawable->SetLineWidth(Variant::I4(lineWidth));
    hostDrawable->Enable(1);
    hostDrawable->SetVisibility(viewKey, 1);
}

void CTessellationObjectEdge::CreateLine(double z1, double x1, double z2, double x2, std::uint32_t newColour) {
    if (!hostDrawable) {
        Clear();
        // A frame's line is drawn by thousands: two points, not a whole step.
        vertices.Reserve(2);
        indices.Reserve(3);
        vertices.Add(LscToModel(-x1, 0, z1));
        vertices.Add(LscToModel(-x2, 0, z2));
        vertexCount = 2;
        indices.Add(2);
        indices.Add(0);
        indices.Add(1);
        CreateHostDrawable();
    }
    const SettingsRecord& settings = SettingsRecord::Global();
    const bool pathColour = newColour == settings.Colour(kPathColour) || newColour == settings.Colour(kRapidColour);
    if (pathColour && Distance(z1, x1, z2, x2) > kArrowedLineLength)
        arrows[0].CreateArrow((z1 + 0.9 * z2) / 1.9, (x1 + 0.9 * x2) / 1.9, AngleOfVector(z2, x2, z1, x1), newColour,
                              false);
    Draw(newColour);
}

void CTessellationObjectEdge::CreatePolyline(const IntersectPointList& points, std::uint32_t newColour) {
    if (!hostDrawable) {
        Clear();
        vertexCount = static_cast<std::int32_t>(points.Count());
        vertices.Reserve(points.Count());
        indices.Reserve(points.Count() + 1);
        indices.Add(vertexCount);
        for (std::int32_t k = 0; k < vertexCount; ++k) {
            const IntersectPoint& p = points[static_cast<std::uint32_t>(k)];
            vertices.Add(LscToModel(-p.x, 0, p.z));
            indices.Add(k);
        }
        CreateHostDrawable();
    }
    Draw(newColour);
}

}  // namespace zarvento
