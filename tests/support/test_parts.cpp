// Bodies for the tests, made with the host's modelling.
#include "test_parts.h"
#include "platform/core/numbers.h"

#include <cmath>
#include <sstream>

#include "platform/documents/host_application.h"
#include "platform/part_model.h"

namespace zarvento::test {

std::vector<MeridianPiece> SteppedShaftMeridian() {
    const double s = std::sqrt(0.5);
    return {
        MeridianPiece::Arc(0, 0, 10 - 10 * s, 10 * s, 10, 10),  // spherical end
        MeridianPiece::Segment(10, 10, 30, 10),                 // cylinder
        MeridianPiece::Segment(30, 10, 30, 8),                  // groove
        MeridianPiece::Segment(30, 8, 34, 8),
        MeridianPiece::Segment(34, 8, 34, 10),
        MeridianPiece::Segment(34, 10, 40, 10),                      // cylinder
        MeridianPiece::Segment(40, 10, 40, 16),                      // step face
        MeridianPiece::Arc(40, 16, 42 - 2 * s, 16 + 2 * s, 42, 18),  // fillet
        MeridianPiece::Segment(42, 18, 60, 18),                      // collar
        MeridianPiece::Segment(60, 18, 62, 16),                      // chamfer
        MeridianPiece::Segment(62, 16, 62, 5),                       // face
        MeridianPiece::Segment(62, 5, 45, 5),                        // bore
        MeridianPiece::Segment(45, 5, 45, 0),                        // its bottom
    };
}

std::string SteppedShaftProfileText() {
    std::ostringstream text;
    text.precision(17);
    for (const MeridianPiece& piece : SteppedShaftMeridian()) {
        const auto& p = piece.points;
        if (piece.kind == MeridianPiece::Kind::Segment) {
            text << "LineSeg( " << p[0][0] << "," << -p[0][1] << ", " << p[1][0] << "," << -p[1][1] << ", 1 );\n";
        } else {
            // The arc's centre from its three points; its sense in (z, x) from
            // the turn of the three.
            const double ax = p[0][0], ay = -p[0][1], bx = p[1][0], by = -p[1][1], cx = p[2][0], cy = -p[2][1];
            const double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
            const double ux =
                ((ax * ax + ay * ay) * (by - cy) + (bx * bx + by * by) * (cy - ay) + (cx * cx + cy * cy) * (ay - by)) /
                d;
            const double uy =
                ((ax * ax + ay * ay) * (cx - bx) + (bx * bx + by * by) * (ax - cx) + (cx * cx + cy * cy) * (bx - ax)) /
                d;
            const double r = std::hypot(ax - ux, ay - uy);
            const double turn = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
            text << "ArcByPoint( " << ux << "," << uy << ", " << r << ", " << ax << "," << ay << ", " << cx << "," << cy
                 << ", " << (turn > 0 ? 1 : -1) << ", 1 );\n";
        }
    }
    return text.str();
}

PartShape SteppedShaft(const RevolutionAxis& axis) { return PartShape::Revolve(SteppedShaftMeridian(), axis); }

PartShape TurnedSpline() {
    return PartShape::Revolve({MeridianPiece::Segment(0, 0, 0, 10),
                               MeridianPiece::Spline({{0, 10}, {10, 14}, {20, 8}, {30, 12}, {40, 10}}),
                               MeridianPiece::Segment(40, 10, 40, 0)});
}

PartShape ShaftWithFlat() { return SteppedShaft().Cut(PartShape::Box({16, -30, 44}, {30, 30, 56})); }

PartShape ShaftWithCrossHole() { return SteppedShaft().Cut(PartShape::Cylinder({-20, 0, 20}, {1, 0, 0}, 2, 40)); }

PartShape PlainJournal() {
    return PartShape::Revolve({MeridianPiece::Segment(0, 0, 0, 22.5), MeridianPiece::Segment(0, 22.5, 150, 22.5),
                               MeridianPiece::Segment(150, 22.5, 150, 0)});
}

namespace {

// A slot milled into the journal from +X, 14 wide, its floor 5.5 below the
// surface, from z1 to z2, its ends rounded by the cutter (a closed end is a
// half cylinder across the slot).
PartShape KeywaySlot(double z1, double z2, bool roundEnds) {
    const double half = 7, floor = 22.5 - 5.5;
    PartShape slot = PartShape::Box({floor, -half, roundEnds ? z1 + half : z1}, {40, half, z2 - half});
    slot = slot.Fuse(PartShape::Cylinder({floor, 0, z2 - half}, {1, 0, 0}, half, 40 - floor));
    if (roundEnds) slot = slot.Fuse(PartShape::Cylinder({floor, 0, z1 + half}, {1, 0, 0}, half, 40 - floor));
    return slot;
}

}  // namespace

PartShape JournalWithKeyway() { return PlainJournal().Cut(KeywaySlot(50, 100, true)); }

PartShape JournalWithEndSlot() { return PlainJournal().Cut(KeywaySlot(120, 170, false)); }

PartShape HexHeadBolt() {
    // A hex 24 across the flats from z = 0 to z = 10 on a shank of radius 6.
    const double r = 24 / std::sqrt(3.0);
    std::vector<MeridianPiece> hexagon;
    for (int k = 0; k < 6; ++k) {
        const double a = PI / 6 + PI / 3 * k, b = a + PI / 3;
        hexagon.push_back(MeridianPiece::Segment(r * std::cos(a), r * std::sin(a), r * std::cos(b), r * std::sin(b)));
    }
    return PartShape::Extrude(hexagon, 0, 10).Fuse(PartShape::Cylinder({0, 0, -40}, {0, 0, 1}, 6, 40));
}

PartShape PinWithObliqueConeEnd(double tilt, double offset) {
    const double t = tilt * PI / 180, k = std::tan(40 * PI / 180);
    RevolutionAxis cone;
    cone.origin = {offset, 0, 10.6};
    cone.direction = {std::sin(t), 0, std::cos(t)};
    cone.radial = {std::cos(t), 0, -std::sin(t)};
    // What lies outside the cone about its axis, below its apex, and all
    // above it.
    const PartShape outside =
        PartShape::Revolve({MeridianPiece::Segment(-3, 3 * k, 0, 0), MeridianPiece::Segment(0, 0, 3, 0),
                            MeridianPiece::Segment(3, 0, 3, 5), MeridianPiece::Segment(3, 5, -3, 5),
                            MeridianPiece::Segment(-3, 5, -3, 3 * k)},
                           cone);
    return PartShape::Cylinder({0, 0, 0}, {0, 0, 1}, 0.75, 12).Cut(outside);
}

PartShape AxleWithFaceGroove() {
    return PartShape::Revolve({MeridianPiece::Segment(-100, 0, -100, 4), MeridianPiece::Segment(-100, 4, -81.5, 4),
                               MeridianPiece::Segment(-81.5, 4, -81.5, 9.5),
                               MeridianPiece::Segment(-81.5, 9.5, -100, 9.5),
                               MeridianPiece::Segment(-100, 9.5, -100, 15), MeridianPiece::Segment(-100, 15, 0, 15),
                               MeridianPiece::Segment(0, 15, 0, 0)})
        .Cut(PartShape::Box({12, -3, -95}, {20, 3, -80}))
        .Cut(PartShape::Cylinder({-20, 0, -90}, {1, 0, 0}, 2, 40));
}

PartShape OffAxisCylinder() { return PartShape::Cylinder({30, 0, 0}, {0, 0, 1}, 5, 20); }

PartShape CrossBar() { return PartShape::Cylinder({20, -5, 0}, {0, 1, 0}, 10, 10); }

HostDocumentPtr PartDocument(const PartShape& body, bool visible) {
    HostDocumentPtr doc = ConnectHostApplication().Documents().Add(DocumentType::Part, visible);
    SetPartBody(*TopPart(doc), body);
    return doc;
}

}  // namespace zarvento::test
