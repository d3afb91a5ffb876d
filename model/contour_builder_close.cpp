// CContourBuilder: prolonging a working contour's ends onto the stock.
#include <cmath>

#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "model/contour_builder.h"

namespace zarvento {

namespace {

struct Point {
    double z = 0, x = 0;
};

Point Along(const Point& from, double angle) {
    return {from.z + kExtensionProbe * std::cos(angle), from.x + kExtensionProbe * std::sin(angle)};
}

bool Within(double a, double lo, double hi) { return a > lo && a < hi; }

// The far point of the probe by the extension mode; in the automatic mode
// `angle` is the direction the end runs out along, `from` the point a
// second try starts at when that direction passes through the part, and
// `turn` the second try's turn.
Point FarPoint(int mode, const Point& end, double angleDegrees, double angle, const Point& from, double turn,
               const Contour* part) {
    switch (mode) {
        case kExtendPlusZ: return {end.z + kExtensionProbe, end.x};
        case kExtendPlusX: return {end.z, end.x + kExtensionProbe};
        case kExtendMinusZ: return {end.z - kExtensionProbe, end.x};
        case kExtendMinusX: return {end.z, end.x - kExtensionProbe};
        case kExtendAtAngle: return Along(end, angleDegrees * PI / 180.0);
        default: break;
    }
    Point p = Along(end, angle);
    if (!part || !IsSegmentInside(*part, from.z, from.x, p.z, p.x)) return p;
    const auto keepsOff = [&](double a, Point& out) {
        out = Along(from, a);
        return !IsSegmentInside(*part, from.z, from.x, out.z, out.x);
    };
    Point second;
    // Mostly along Z: a probe through the part is tried again along the axis
    // or turned a quarter.
    const bool nearZero = Within(angle, -EPS, 0.25 * PI) || Within(angle, 1.75 * PI, 2 * PI + EPS);
    if (nearZero || Within(angle, 0.75 * PI, 1.25 * PI)) {
        if (keepsOff(nearZero ? 0.0 : angle + turn, second)) return second;
    } else {
        // Mostly across it (a face that ends at the edge of a step, in a
        // bore or on the outside: running on, it would cut through the wall
        // the step leads to): out along the axis, towards the bar's free end
        // where that keeps off the part, else towards the chuck.
        for (const double along : {0.0, PI})
            if (keepsOff(along, second)) return second;
    }
    // Else the way out nearest the end's own that keeps off the part (an end
    // in a recess: out over the rib that closes it), turning first the way
    // the second try turns, by up to 150 degrees: never back along the end
    // itself, where the contour would fold onto its own units.
    const double first = turn >= 0.0 ? 1.0 : -1.0;
    for (int k = 1; k <= 10; ++k)
        for (const double side : {first, -first})
            if (keepsOff(angle + side * k * PI / 12.0, second)) return second;
    return p;
}

void ShowAngle(BuilderControl* control, double degrees, int mode) {
    if (!control) return;
    control->SetValue(Variant::R8(degrees));
    control->SetEnabled(mode == kExtendAtAngle);
}

}  // namespace

std::unique_ptr<Contour> CContourBuilder::CloseContourToSource(std::unique_ptr<Contour> contour, const Contour* source,
                                                               bool extendStart, bool extendEnd) {
    if (startMode != kExtendAtAngle && startAngleControl) startAngleControl->SetValue(Variant::I4(0));
    if (endMode != kExtendAtAngle && endAngleControl) endAngleControl->SetValue(Variant::I4(0));
    if (startGroupControl) startGroupControl->SetEnabled(false);
    if (endGroupControl) endGroupControl->SetEnabled(false);
    if (startMode < kExtendAuto || startMode > kExtendAtAngle) startMode = kExtendAuto;
    if (endMode < kExtendAuto || endMode > kExtendAtAngle) endMode = kExtendAuto;
    if (!source) source = sourceContour;
    if (!source || !contour || contour->Empty()) return contour;

    const CUnit* first = contour->GetFirstUnit();
    const CUnit* last = contour->GetLastUnit();
    const bool startInside = extendStart && source->IsPointInside(first->StartPoint.z, first->StartPoint.x);
    const bool endInside = extendEnd && source->IsPointInside(last->EndPoint.z, last->EndPoint.x);
    if (startInside) ExtendEnd(*contour, *source, true);
    if (endInside) ExtendEnd(*contour, *source, false);
    return contour;
}

void CContourBuilder::ExtendEnd(Contour& contour, const Contour& source, bool atStart) {
    BuilderControl* group = atStart ? startGroupControl : endGroupControl;
    if (group) group->SetEnabled(true);
    const CUnit* first = contour.GetFirstUnit();
    const CUnit* last = contour.GetLastUnit();
    const int mode = atStart ? startMode : endMode;
    Point far;
    Point end;
    if (atStart) {
        end = {first->StartPoint.z, first->StartPoint.x};
        double a = first->GetStartAngle() + PI;
        if (a > 2 * PI) a -= 2 * PI;
        // Whether the way back along the first unit runs through the part is
        // asked of the start itself, as the end asks it of the end: asked from
        // further along (the second unit's end), a way out over the face
        // from a chamfer at its edge seemed to cut the part, and the start
        // ran on along the axis instead, into a corner the nose cannot fill.
        far = FarPoint(mode, end, startAngle, a, end, -PI / 2, partContour);
    } else {
        end = {last->EndPoint.z, last->EndPoint.x};
        double a = last->GetEndAngle();
        if (a > 2 * PI) a -= 2 * PI;
        far = FarPoint(mode, end, endAngle, a, end, PI / 2, partContour);
    }

    // The probe runs from the far point to the end at the start side and
    // from the end outwards at the other: the crossing nearest the end is
    // the last of the first and the first of the second.
    auto probe = atStart ? MakeLineContour(far.z, far.x, end.z, end.x) : MakeLineContour(end.z, end.x, far.z, far.x);
    IntersectPointList points(10);
    probe->Intersect(source, points, true);
    if (points.Count() == 0) return;
    const IntersectPoint& hit = atStart ? points[points.Count() - 1] : points[0];
    if (IsEqualPoint(hit.z, hit.x, end.z, end.x)) return;
    UnitPtr line = atStart ? std::make_unique<CLineUnit>(hit.z, hit.x, end.z, end.x)
                           : std::make_unique<CLineUnit>(end.z, end.x, hit.z, hit.x);
    line->IsMarked = true;
    const double degrees = AngleOfVector(end.z, end.x, hit.z, hit.x) * 180.0 / PI;
    if (atStart)
        contour.InsertUnit(0, std::move(line));
    else
        contour.AddUnit(std::move(line));
    ShowAngle(atStart ? startAngleControl : endAngleControl, degrees, mode);
}

}  // namespace zarvento
