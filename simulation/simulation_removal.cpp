// One step's geometry: the figure the tool outline sweeps along a line or an
// arc move, its removal from the stock, the rapid-cut and boring-zone checks,
// a machine cycle's region and the tool's equidistant about an arc.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/exception.h"
#include "geometry/primitives.h"
#include "geometry/simulation_hook.h"
#include "geometry/subtract_region.h"
#include "model/simulation_changed_units.h"
#include "plan/spid.h"
#include "platform/core/check.h"
#include "platform/core/messages.h"
#include "platform/documents/work_document_scope.h"
#include "platform/drawings/document_2d.h"
#include "post/program.h"
#include "simulation/simulation.h"
#include "simulation/simulation_messages.h"

namespace zarvento {

namespace {

// Shorter than this, a unit or a radius is no part of a machined outline:
// cuts meeting within the tolerances of their crossings leave it.
constexpr double kSliver = 1e-5;

// A generator of the swept figure: the move S translated by an offset.
UnitPtr Translated(const CUnit& move, double dz, double dx) {
    UnitPtr copy = move.Clone();
    copy->Move(dz, dx);
    return copy;
}

// The figure E made of the generators: each generator's crossings with the
// figure so far are collected, then every unit is cut at the collected points
// that lie strictly inside it, so that the subtraction finds the regions the
// outline covered.
class SweptFigure {
public:
    explicit SweptFigure(std::unique_ptr<Contour> endOutline) : figure_(std::move(endOutline)) {}

    void Add(UnitPtr generator) {
        if (!generator) return;
        Contour one;
        const CUnit* unit = one.GetUnit(one.AddUnit(std::move(generator)));
        figure_->Intersect(one, crossings_, false);
        figure_->AddUnit(one.RemoveUnit(unit));
    }

    std::unique_ptr<Contour> Finish() {
        std::vector<IntersectPoint> distinct;
        for (const IntersectPoint& p : crossings_) {
            const bool known = std::any_of(distinct.begin(), distinct.end(),
                                           [&](const IntersectPoint& q) { return IsEqualPoint(p.z, p.x, q.z, q.x); });
            if (!known) distinct.push_back(p);
        }
        auto result = std::make_unique<Contour>();
        IntersectPointList inside(10);
        UnitList pieces(10);
        for (int k = 0; k < figure_->Count(); ++k) {
            const CUnit& unit = *figure_->GetUnit(k);
            inside.SetCountZero();
            for (const IntersectPoint& p : distinct) {
                if (IsEqualPoint(p.z, p.x, unit.StartPoint.z, unit.StartPoint.x) ||
                    IsEqualPoint(p.z, p.x, unit.EndPoint.z, unit.EndPoint.x))
                    continue;
                if (unit.IsPointOnUnit(p.z, p.x, 0)) inside.Add(p);
            }
            if (inside.Empty()) {
                result->AddUnit(unit.Clone());
                continue;
            }
            pieces.RemoveAll();
            unit.SplitAtPoints(pieces, inside);
            // A cut at a point within the tolerance of another leaves a
            // piece without length; an arc whose ends meet would read as
            // its whole circle.
            for (UnitPtr& piece : pieces)
                if (!piece->IsZeroLength()) result->AddUnit(std::move(piece));
        }
        return result;
    }

private:
    std::unique_ptr<Contour> figure_;
    IntersectPointList crossings_{100};
};

// Mirrors the tool outline across the axis for a scope.
class MirroredTool {
public:
    explicit MirroredTool(Contour& tool) : tool_(tool) { Invert(); }
    ~MirroredTool() { Invert(); }
    MirroredTool(const MirroredTool&) = delete;
    MirroredTool& operator=(const MirroredTool&) = delete;

private:
    void Invert() {
        for (int k = 0; k < tool_.Count(); ++k) tool_.GetUnit(k)->InvertX();
    }
    Contour& tool_;
};

// The orientation of a closed outline from its points (the shoelace sum):
// true when it runs counter-clockwise with Z to the right and X up.
bool RunsCounterClockwise(const Contour& outline) {
    IntersectPointList points(100);
    for (int k = 0; k < outline.Count(); ++k) {
        const CUnit& unit = *outline.GetUnit(k);
        IntersectPoint start;
        start.z = unit.StartPoint.z;
        start.x = unit.StartPoint.x;
        points.Add(start);
        if (unit.Kind == kUnitArc) unit.GetPointsByStep(points, std::max(unit.GetLength() / 8.0, EPS), 0);
    }
    double area = 0.0;
    for (std::uint32_t k = 0; k < points.Count(); ++k) {
        const IntersectPoint& a = points[k];
        const IntersectPoint& b = points[(k + 1) % points.Count()];
        area += a.z * b.x - b.z * a.x;
    }
    return area > 0.0;
}

}  // namespace

std::unique_ptr<Contour> CSimulation::SweepTool(int i) {
    if (!toolContour_ || i <= 0 || i >= static_cast<int>(points_.Count())) return nullptr;
    const SimulationPoint& from = points_[static_cast<std::uint32_t>(i - 1)];
    const SimulationPoint& to = points_[static_cast<std::uint32_t>(i)];
    if (!to.unit) return nullptr;
    const UnitPtr move = to.unit->CloneWithEnds(from.z, from.x, to.z, to.x);
    if (!move) return nullptr;
    if (move->Kind == kUnitLine) return SweepToolAlongLine(*move);
    if (move->Kind == kUnitArc) return SweepToolAlongArc(*move);
    return nullptr;
}

std::unique_ptr<Contour> CSimulation::SweepToolAlongLine(const CUnit& move) {
    if (!toolContour_) return nullptr;
    Contour& tool = *toolContour_;
    tool.MoveTo(move.EndPoint.z, move.EndPoint.x);
    SweptFigure figure(tool.Clone());
    const double baseZ = tool.BasePoint.z, baseX = tool.BasePoint.x;
    const double a = AngleOfVector(move.EndPoint.z, move.EndPoint.x, move.StartPoint.z, move.StartPoint.x);
    IntersectPointList across(2);
    for (int k = 0; k < tool.Count(); ++k) {
        const CUnit& u = *tool.GetUnit(k);
        if (u.Kind != kUnitArc) {
            figure.Add(Translated(move, u.StartPoint.z - baseZ, u.StartPoint.x - baseX));
            continue;
        }
        // The arc's two points across the move bound what it sweeps.
        across.SetCountZero();
        static_cast<const CArcUnit&>(u).AddOppositePoints(a + PI / 2, across, 0);
        for (const IntersectPoint& p : across) figure.Add(Translated(move, p.z - baseZ, p.x - baseX));
    }
    return figure.Finish();
}

std::unique_ptr<Contour> CSimulation::SweepToolAlongArc(const CUnit& move) {
    if (!toolContour_ || move.Kind != kUnitArc) return nullptr;
    Contour& tool = *toolContour_;
    tool.MoveTo(move.EndPoint.z, move.EndPoint.x);
    SweptFigure figure(tool.Clone());
    const double baseZ = tool.BasePoint.z, baseX = tool.BasePoint.x;
    const double R = static_cast<const CArcUnit&>(move).Radius;
    for (int k = 0; k < tool.Count(); ++k) {
        const CUnit& u = *tool.GetUnit(k);
        if (u.Kind != kUnitArc) {
            figure.Add(Translated(move, u.StartPoint.z - baseZ, u.StartPoint.x - baseX));
            continue;
        }
        // The arc's centre follows the move; the arc sweeps the ring between
        // R - r and R + r about the move's centre (nothing inside when the
        // tool's arc is the larger).
        const double r = static_cast<const CArcUnit&>(u).Radius;
        for (const double radius : {R - r, R + r}) {
            // A move about the tool arc's own centre sweeps no ring inside.
            if (!(radius > kSliver)) continue;
            UnitPtr generator = Translated(move, u.CentrePoint.z - baseZ, u.CentrePoint.x - baseX);
            static_cast<CArcUnit&>(*generator).SetRadius(radius);
            figure.Add(std::move(generator));
        }
    }
    // Where the move runs parallel to a straight edge of the outline, the
    // figure's boundary leaves the trace of one end of the edge for the other:
    // the edge itself closes it there, so the outline stands there too.
    const auto& arc = static_cast<const CArcUnit&>(move);
    std::vector<double> placed;
    for (int k = 0; k < tool.Count(); ++k) {
        const CUnit& u = *tool.GetUnit(k);
        if (u.Kind == kUnitArc || u.IsZeroLength()) continue;
        const double edge = AngleOfVector(u.StartPoint.z, u.StartPoint.x, u.EndPoint.z, u.EndPoint.x);
        for (const double side : {PI / 2, 3 * PI / 2}) {
            const double polar = NormalizeAngle(edge + side, 0.0);
            const bool known = std::any_of(placed.begin(), placed.end(), [&](double a) {
                return std::fabs(std::remainder(a - polar, 2 * PI)) < arc.GetAngleTolerance();
            });
            if (known || !arc.IsAngleInside(polar)) continue;
            const double z = arc.CentrePoint.z + R * std::cos(polar), x = arc.CentrePoint.x + R * std::sin(polar);
            if (IsEqualPoint(z, x, move.StartPoint.z, move.StartPoint.x) ||
                IsEqualPoint(z, x, move.EndPoint.z, move.EndPoint.x))
                continue;
            placed.push_back(polar);
            auto outline = tool.Clone();
            outline->MoveTo(z, x);
            for (int j = 0; j < outline->Count(); ++j) figure.Add(outline->GetUnit(j)->Clone());
        }
    }
    return figure.Finish();
}

void CSimulation::DrawNewUnits(const AddedUnitList& added) {
    if (Is2D() || preCalculation_) return;
    for (CUnit* unit : added) unit->CreateTessellationFace(stockColour_);
}

int CSimulation::RemoveMaterial(int i, bool rapid) {
    if (!stock_ || i < 0 || i >= static_cast<int>(points_.Count())) return 0;
    const SimulationPoint& point = points_[static_cast<std::uint32_t>(i)];
    std::unique_ptr<Contour> figure;
    if (!perRevolution_ && i > 0) {
        figure = SweepTool(i);
    } else if (toolContour_) {
        figure = toolContour_->Clone();
        figure->MoveTo(point.z, point.x);
    }
    if (!figure) return 0;
    // The stock is one closed outline, as the plan gives it and every step
    // leaves it: otherwise the step removes nothing and says why.
    const auto closed = [](const Contour& c) {
        if (c.Empty()) return false;
        const Point3D &first = c.GetFirstUnit()->StartPoint, &last = c.GetLastUnit()->EndPoint;
        return IsEqualPoint(first.z, first.x, last.z, last.x);
    };
    if (!ZARVENTO_ALWAYS(closed(*stock_))) {
        AddMessage(currentFrameNumber_,
                   "Error: кадр " + CurrentLabel() + " - " + BrokenInvariantText(kBrokenRemovalMessage));
        return 0;
    }
    rapidCut_ = false;
    const std::unique_ptr<Contour> before = rapid ? stock_->Clone() : nullptr;

    // The check run tells what it does in the host's text output and draws
    // the stock, the part and the arrangement of the step before the last.
    const bool diagnose = Is2D();
    Document2D* drawing = diagnose ? (drawing2D_ ? drawing2D_.get() : &ActiveDocument2D()) : nullptr;
    std::unique_ptr<ActiveDocument2DSwitch> drawInto;
    if (drawing) drawInto = std::make_unique<ActiveDocument2DSwitch>(*drawing);
    const bool lastButOne = diagnose && i == pointCount_ - 2;
    if (diagnose && i == 0) {
        stock_->Draw2D(1);
        HostTextOutput("Niterations " + std::to_string(pointCount_));
    }
    if (lastButOne) {
        drawing->Circle(insideZ_, insideX_, 0.5, 1);
        if (CSPID* spid = ExistingSPID(); spid && spid->GetDetailContour()) spid->GetDetailContour()->Draw2D(1);
        HostTextOutput("iteration " + std::to_string(i));
    }

    RemovedUnitList removed(100);
    AddedUnitList added(100);
    int pieces = 0;
    try {
        pieces = SubtractRegion(*stock_, *figure, insideZ_, insideX_, removed, added, i, pointCount_);
    } catch (const Exception&) {
        // No vertex of the arrangement can be seen from the part's inside
        // point: the stock stays as it was, as for any step that removes
        // nothing.
        pieces = 0;
    }
    if (pieces >= 2) {
        ++stockVersion_;
        DrawNewUnits(added);
        SimulationChangedUnits& merged = SimulationChangedUnits::Instance();
        merged.Clear();
        stock_->MergeOverlappingUnits();
        if (!Is2D() && !preCalculation_)
            for (CUnit* unit : merged.Units()) unit->CreateTessellationFace(stockColour_);
        if (before) {
            bool changed = before->Count() != stock_->Count();
            for (int k = 0; !changed && k < stock_->Count(); ++k) {
                const CUnit& a = *before->GetUnit(k);
                const CUnit& b = *stock_->GetUnit(k);
                changed =
                    a.Kind != b.Kind || !IsEqualPoint(a.StartPoint.z, a.StartPoint.x, b.StartPoint.z, b.StartPoint.x);
            }
            rapidCut_ = changed;
        }
    } else {
        pieces = 0;
    }
    if (lastButOne) {
        drawing->RefreshView(2);
        HostTextOutput("iteration " + std::to_string(i) + " Nper=" + std::to_string(pieces) +
                       "  N=" + std::to_string(stock_->Count()));
    }
    return pieces;
}

bool CSimulation::CheckBoringZone() {
    if (!toolContour_) return false;
    MirroredTool mirrored(*toolContour_);
    return RemoveMaterial(pointIndex_, false) != 0;
}

void CSimulation::SetCycleOptions(std::uint8_t noMaterial, std::uint8_t feedIsStep) {
    noRemoval_ = noMaterial != 0;
    perRevolution_ = feedIsStep != 0;
}

void CSimulation::SimulateCycle(const Contour* region, std::int32_t frameNumber) {
    if (!region) return;
    SimulationChangedUnits& merged = SimulationChangedUnits::Instance();
    merged.Clear();
    if (!perRevolution_ && !noRemoval_ && stock_) {
        const std::unique_ptr<Contour> cutter = region->Clone();
        RemovedUnitList removed(100);
        AddedUnitList added(100);
        int pieces = 0;
        try {
            pieces = SubtractRegion(*stock_, *cutter, insideZ_, insideX_, removed, added, 0, 0);
        } catch (const Exception&) {
            pieces = 0;
        }
        if (pieces >= 2) {
            ++stockVersion_;
            DrawNewUnits(added);
        }
        stock_->MergeOverlappingUnits();
    }
    if (Is2D() || preCalculation_) return;
    for (CUnit* unit : merged.Units()) unit->CreateTessellationFace(stockColour_);
    // The frame names itself by its number in the text pass; the program
    // writes the block number its template gave it.
    if (beginning_ && beginning_->frameNumber == frameNumber) frameNumber = PrintedFrameNumber(*beginning_);
    // The region goes at once, without the tool's motion.
    AddMessage(currentFrameNumber_, "Warning: кадр N" + std::to_string(frameNumber) + " - Цикл не визуализируется");
}

std::unique_ptr<Contour> CSimulation::CreateToolEquidistant(double centreZ, double centreX, double radius) {
    if (!toolContour_) return nullptr;
    WorkDocumentScope work;
    Document2D& doc = work.Document();
    const std::unique_ptr<Contour> placed = toolContour_->Clone();
    placed->MoveTo(centreZ, centreX);
    doc.BeginObjectSet();
    placed->Draw2D(1);
    const Ref2D group = doc.EndObjectSet();
    // Offset away from the outline's inside: to the left of a clockwise one.
    EquidistantRequest request;
    request.group = group;
    request.side = RunsCounterClockwise(*placed) ? 1 : 0;
    request.distance = request.distance2 = radius;
    const Ref2D offset = doc.Equidistant(request).group;
    auto result = std::make_unique<Contour>();
    if (offset != 0) {
        const Ref2D plain = doc.ObjectList(offset, 0, EPS, 1);
        result->LoadFromHostObjects(doc, plain, -1, 0.01);
        doc.DeleteObject(plain);
        doc.DeleteObject(offset);
    }
    doc.DeleteObject(group);
    return result;
}

}  // namespace zarvento
