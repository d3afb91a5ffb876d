// Bodies turned from profiles.
#include "model/revolution_part.h"

#include <cmath>

#include "geometry/complex_unit.h"
#include "geometry/unit.h"
#include "platform/part_model.h"

namespace zarvento {

namespace {

void AddPiece(const CUnit& unit, std::vector<MeridianPiece>& out) {
    const Point3D& s = unit.StartPoint;
    const Point3D& e = unit.EndPoint;
    switch (unit.Kind) {
        case kUnitLine: out.push_back(MeridianPiece::Segment(s.z, -s.x, e.z, -e.x)); return;
        case kUnitArc: {
            IntersectPoint m;
            unit.GetMiddlePoint(m);
            out.push_back(MeridianPiece::Arc(s.z, -s.x, m.z, -m.x, e.z, -e.x));
            return;
        }
        case kUnitComplex: {
            const auto& complex = static_cast<const CComplexUnit&>(unit);
            for (int i = 0; i < complex.SubUnitCount(); ++i) AddPiece(*complex.SubUnit(i), out);
            return;
        }
        default: return;
    }
}

// A direction square to the axis: the global axis least along it, made square.
std::array<double, 3> RadialOf(const std::array<double, 3>& d) {
    const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (!(length > 0)) return {1, 0, 0};
    std::size_t least = 0;
    for (std::size_t i = 1; i < 3; ++i)
        if (std::fabs(d[i]) < std::fabs(d[least])) least = i;
    std::array<double, 3> r{0, 0, 0};
    r[least] = 1;
    const double along = d[least] / (length * length);
    for (std::size_t i = 0; i < 3; ++i) r[i] -= along * d[i];
    return r;
}

}  // namespace

std::vector<MeridianPiece> MeridianOfProfile(const Contour& profile) {
    std::vector<MeridianPiece> pieces;
    for (int i = 0; i < profile.Count(); ++i)
        if (const CUnit* unit = profile.GetUnit(i)) AddPiece(*unit, pieces);
    return pieces;
}

PartShape BodyOfProfile(const Contour& profile, std::array<double, 3> origin, std::array<double, 3> direction) {
    RevolutionAxis axis;
    axis.origin = origin;
    axis.direction = direction;
    axis.radial = RadialOf(direction);
    return PartShape::Revolve(MeridianOfProfile(profile), axis);
}

int SetPartFromProfile(const HostDocumentPtr& document, const Contour& profile, std::array<double, 3> origin,
                       std::array<double, 3> direction) {
    const PartShape body = BodyOfProfile(profile, origin, direction);
    SetPartBody(*TopPart(document), body);
    return body.FaceCount();
}

}  // namespace zarvento
