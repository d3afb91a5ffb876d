// The frame base: path display, simulation sampling and statistics.
#include "nc/cadre_iso.h"

#include <algorithm>
#include <cmath>

#include "geometry/arc_unit.h"
#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "nc/frame_simulation.h"
#include "platform/core/numbers.h"
#include "platform/documents/settings_record.h"

namespace zarvento {

namespace {

// Settings colours of the path: cutting moves and their trace, the trace of
// rapid moves, and the trace of the special path kinds.
constexpr int kPathColour = 4;
constexpr int kRapidTraceColour = 5;
constexpr int kSpecialTraceColour = 6;
constexpr std::uint32_t kRedTrace = 255;

// A unit sampled finer than this shows nothing more; a finer step is
// coarsened so that a tiny feed cannot make the sampling run away.
constexpr double kMaxSamplesPerUnit = 1e5;

// The step actually walked: never longer than the unit, the whole unit when
// the step is no usable distance (a zero feed or speed), and never so fine
// that the unit gives more than kMaxSamplesPerUnit points.
double UsableStep(double step, double length) {
    if (!(step > EPS) || !std::isfinite(step) || step > length) return length;
    return std::max(step, length / kMaxSamplesPerUnit);
}

// Appends the unit's points at the step; a unit too short to walk gives its end.
void SampleUnit(const CUnit& unit, double step, int mode, IntersectPointList& out) {
    const double length = unit.GetLength();
    if (!(length >= EPS) || !std::isfinite(length)) {
        IntersectPoint p;
        p.z = unit.EndPoint.z;
        p.x = unit.EndPoint.x;
        p.unit = &unit;
        out.Add(p);
        return;
    }
    unit.GetPointsByStep(out, UsableStep(step, length), mode);
}

void SampleUnit3D(const CUnit& unit, double step, UnitPoint3DList& out) {
    const double length = unit.GetLength3D();
    if (!(length >= EPS) || !std::isfinite(length)) {
        out.Add(UnitPoint3D{unit.EndPoint.x, unit.EndPoint.y, unit.EndPoint.z, 0, &unit});
        return;
    }
    unit.GetPointsByStep3D(out, UsableStep(step, length), 1);
}

// A limit at or below EPS is no limit (a G96 without a maximum speed).
double LimitSpeed(double n, double minSpeed, double maxSpeed) {
    if (minSpeed > EPS && n < minSpeed) n = minSpeed;
    if (maxSpeed > EPS && n > maxSpeed) n = maxSpeed;
    return n;
}

bool SamePoint3D(const UnitPoint3D& a, const UnitPoint3D& b) { return IsEqualPoint3D(a.x, a.y, a.z, b.x, b.y, b.z); }

}  // namespace

// --- display ---

void CCadreISO::MakeDeferredPath() {
    if (!pathDeferred_) return;
    pathDeferred_ = 0;
    if (path.Empty()) CreatePathFigure();
}

void CCadreISO::DrawPath2D() {
    MakeDeferredPath();
    if (!hidden) path.Draw2D(2);
}

void CCadreISO::DrawPath() {
    MakeDeferredPath();
    path.CreateTessellationEdges(SettingsRecord::Global().Colour(kPathColour));
}
void CCadreISO::ErasePath() { path.ClearTessellationEdges(); }
void CCadreISO::ShowPath() { path.ShowTessellation(); }
void CCadreISO::HidePath() { path.HideTessellation(); }
void CCadreISO::SelectPath() {
    MakeDeferredPath();
    path.SelectAll();
}
void CCadreISO::DeselectPath() { path.DeselectAll(); }

void CCadreISO::SetPathUnit(std::unique_ptr<CUnit> unit) {
    pathDeferred_ = 0;
    for (int guard = path.Count(); guard > 0 && path.Count() > 0; --guard) path.DeleteUnit(path.GetLastUnit());
    path.Colour = kDefaultContourColour;
    path.AddUnit(std::move(unit));
}

void CCadreISO::SetPathLine(bool rapidUnit) {
    if (move3D)
        SetPathUnit(CLineUnit::CLineUnitXYZ(start.x, start.y, start.z, end.x, end.y, end.z, rapidUnit));
    else
        SetPathUnit(std::make_unique<CLineUnit>(start.z, start.x, end.z, end.x, rapidUnit));
}

// --- simulation ---

void CCadreISO::GetSimulationPoints(SimulationPointList& points) {
    pointCount = 0;
    MakeDeferredPath();
    if (path.Empty()) return;
    const double t = SimulationTimeStep();
    const SettingsRecord& settings = SettingsRecord::Global();
    IntersectPointList sampled(1000);
    for (int i = 0; i < path.Count(); ++i) {
        const CUnit& unit = *path.GetUnit(i);
        double step = 0.0;
        if (!unit.IsRapid) {
            double n = spindleSpeed;
            if (constantSpeed) {
                BoundBox box;
                unit.GetBoundBox(box);
                // The sum of the extreme X values is the unit's mean diameter.
                const double d = std::fabs(box.xmin + box.xmax);
                n = d < 1e-6 ? maxSpindleSpeed : 1000.0 * spindleSpeed / PI / d;
            }
            n = LimitSpeed(n, minSpindleSpeed, maxSpindleSpeed);
            feedStep = feedIsStep ? feed : n * speedFactor * feed * t / 60.0 / 1000.0;
            step = feedStep;
        } else {
            rapidStep = settings.rapidSpeed * speedFactor * t / 60.0;
            step = rapidStep;
        }
        SampleUnit(unit, step, feedIsStep ? 0 : 1, sampled);
    }
    const SimulationPoint* last = points.Count() > 0 ? &points[points.Count() - 1] : nullptr;
    for (const IntersectPoint& p : sampled) {
        if (last != nullptr && IsEqualPoint(p.z, p.x, last->z, last->x)) continue;
        SimulationPoint s;
        static_cast<IntersectPoint&>(s) = p;
        s.frame = this;
        last = points.Add(s);
        ++pointCount;
    }
}

void CCadreISO::GetSimulationPoints3D(UnitPoint3DList& points) {
    pointCount = 0;
    MakeDeferredPath();
    if (path.Empty()) return;
    const double t = SimulationTimeStep();
    UnitPoint3DList sampled(1000);
    for (int i = 0; i < path.Count(); ++i) {
        const CUnit& unit = *path.GetUnit(i);
        double step = 0.0;
        if (!unit.IsRapid) {
            feedStep = feedIsStep ? feed : feed * speedFactor * t / 60.0 / 1000.0;
            step = feedStep;
        } else {
            rapidStep = SettingsRecord::Global().rapidSpeed * speedFactor * t / 60.0 / 4.0;
            step = rapidStep;
        }
        SampleUnit3D(unit, step, sampled);
    }
    const UnitPoint3D* last = points.Count() > 0 ? &points[points.Count() - 1] : nullptr;
    for (const UnitPoint3D& p : sampled) {
        if (last != nullptr && SamePoint3D(p, *last)) continue;
        last = points.Add(p);
        ++pointCount;
    }
}

void CCadreISO::GetTracePoints(UnitPoint3DList& points) {
    const SettingsRecord& settings = SettingsRecord::Global();
    MakeDeferredPath();
    UnitPoint3DList sampled(16);
    for (int i = 0; i < path.Count(); ++i) {
        const CUnit& unit = *path.GetUnit(i);
        double step = unit.GetLength3D();
        if (unit.Kind == kUnitArc) {
            const double r = static_cast<const CArcUnit&>(unit).Radius;
            step = std::min(step, r > 1.0 ? r / 10.0 : r / 4.0);
        }
        std::uint32_t colour = kRedTrace;
        if (traceKind < 11)
            colour = settings.Colour(unit.IsRapid ? kRapidTraceColour : kPathColour);
        else if (traceKind == 11)
            colour = settings.Colour(kSpecialTraceColour);
        sampled.RemoveAll();
        SampleUnit3D(unit, step, sampled);
        for (UnitPoint3D p : sampled) {
            p.flag = colour;
            points.Add(p);
        }
    }
}

std::int32_t CCadreISO::SimulateStep(FrameSimulation& simulation) {
    simulation.ShowStatus(feed, spindleSpeed, toolNumber);
    return pointCount;
}

// --- statistics ---

PathStatistics CCadreISO::GetStatistics() { return PathStatistics{}; }

void CCadreISO::EnsurePathFigure() {
    pathDeferred_ = 0;
    if (path.Empty()) CreatePathFigure();
}

PathStatistics CCadreISO::MoveStatistics(double length) const {
    PathStatistics s;
    (rapid ? s.idleLength : s.workLength) = length;
    return s;
}

}  // namespace zarvento
