// The chisel threading path as the post-processor's own threading cycle: the
// check that the cycle takes the kind of thread line, then one cycle frame
// with its profile and part contours per thread start and repetition.
#include <algorithm>
#include <cmath>
#include <memory>

#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "nc/cadre_line_g01.h"
#include "nc/cycle_auto.h"
#include "operations/turn_threading.h"

namespace zarvento {

namespace {

std::unique_ptr<CUnit> Line(ThreadPoint a, ThreadPoint b, bool rapid = false) {
    return std::make_unique<CLineUnit>(a.z, a.x, b.z, b.x, rapid);
}

// Whether the cycle's profile demands take the thread line's kind: a
// cylinder, a face spiral or a cone.
bool CycleTakesLine(const std::string& demands, const CUnit& unit) {
    const double x1 = unit.StartPoint.x, z1 = unit.StartPoint.z;
    const double x2 = unit.EndPoint.x, z2 = unit.EndPoint.z;
    if (std::fabs(x1 - x2) < EPS) return demands.find("Cylinder") != std::string::npos;
    if (std::fabs(z1 - z2) < EPS) return demands.find("Spiral") != std::string::npos;
    return demands.find("Cone") != std::string::npos;
}

// The refusal for a thread line the cycle does not take.
std::string LineRefusal(const CUnit& unit, const std::string& name) {
    if (std::fabs(unit.StartPoint.x - unit.EndPoint.x) < EPS) return CTurnTHREADING::kCylinderRefused + name;
    if (std::fabs(unit.StartPoint.z - unit.EndPoint.z) < EPS) return CTurnTHREADING::kFaceRefused + name;
    return CTurnTHREADING::kConeRefused + name;
}

// The thread's profile as the cycle takes it: down to the full depth, along
// it, up at the end and back.
std::unique_ptr<Contour> ThreadProfile(ThreadPoint sx, ThreadPoint ex, double fullDepth) {
    const ThreadPoint deepStart{sx.z, sx.x + fullDepth};
    const ThreadPoint deepEnd{ex.z, ex.x + fullDepth};
    auto profile = std::make_unique<Contour>();
    profile->AddUnit(Line(sx, deepStart));
    profile->AddUnit(Line(deepStart, deepEnd));
    profile->AddUnit(Line(deepEnd, ex));
    profile->AddUnit(Line(ex, sx, true));
    return profile;
}

// The part contour the cycle prints: from the approach point to the working
// contour, then along it.
std::unique_ptr<Contour> PrintedPart(const Contour* work, double approachZ, double x) {
    auto part = std::make_unique<Contour>();
    if (work && work->Count() > 0) {
        const CUnit& firstWork = *work->GetUnit(0);
        part->AddUnit(Line({approachZ, x}, {firstWork.StartPoint.z, firstWork.StartPoint.x}, true));
        for (int i = 0; i < work->Count(); ++i) part->AddUnit(work->GetUnit(i)->Clone());
    }
    return part;
}

}  // namespace

void CTurnTHREADING::CreateThreadCycle() {
    if (!threadContour_) return;
    CCycle_Auto* definition = postProcessor.GetCycleOfType(typeKey, indCycle);
    if (!definition) return;
    definition->SetParentParameters(&Parameters());
    definition->CalcParameters(false);

    Contour& line = *threadContour_;
    line.MergeOverlappingUnits();
    if (line.Count() == 0) return ReportError(kZeroLine);
    line.Move(dZ0rep, 0.0);

    const std::string& demands = definition->profilDemands;
    const std::string& name = definition->GetName();
    const bool hasClearance = definition->FindParam("xx") != nullptr;
    ThreadPoint c;
    double approachZ = 0.0;
    const int repetitions = std::max(1, Nrep);
    for (int r = 0; r < repetitions; ++r) {
        // The first repetition lies where the elementary moves cut it: the
        // step between repetitions applies from the second one on.
        if (r > 0) line.Move(dZrep, 0.0);
        const CUnit& unit = *line.GetUnit(0);
        if (!CycleTakesLine(demands, unit)) return ReportError(LineRefusal(unit, name));

        ThreadLine thread;
        if (!ExtendThreadLine(unit, indNapr, Vrezanie, Perebeg, thread)) return ReportError(kZeroLine);
        // The cycle cuts one helix of the lead it is given: each start is a
        // cycle of its own, begun its share of the lead further back along
        // the line and ended where the first one ends.
        const int starts = std::max(1, Nzahod);
        for (int j = 0; j < starts; ++j) {
            const ThreadPoint sx = thread.start + thread.back * (Spod / starts * j);
            const ThreadPoint ex = thread.end;
            // The depth goes where the passes take it, also for a left-hand
            // outer thread, which is cut from its other end.
            const double fullDepth = thread.deeper * Depth;

            const ThreadPoint previous = c;
            c = sx;
            // The cycle returns to its start X after every pass, so the
            // clearance lies on the side away from the depth, outside an
            // outer thread and inside an inner one.
            if (hasClearance) {
                const double* clearance = definition->FindParameter("xx");
                const double xx = clearance ? *clearance : 0.0;
                c.x = sx.x - thread.deeper * xx;
            }
            if (r == 0 && j == 0) {
                MoveToStart(c.x, c.z);
                approachZ = c.z;
            } else {
                AddLineFrame(previous.x, previous.z, c.x, c.z, -1.0, true);
            }

            auto profile = ThreadProfile(sx, ex, fullDepth);
            auto part = PrintedPart(workContour.get(), approachZ, c.x);

            auto frame = std::make_unique<CCycle_Auto>();
            frame->Copy(*definition);
            frame->SetParentParameters(&Parameters());
            frame->start.x = frame->end.x = sx.x;
            frame->start.z = frame->end.z = sx.z;
            frame->workContour = profile->Clone();
            frame->secondContour = std::move(profile);
            frame->printContour = std::move(part);
            frame->feedIsStep = 1;
            frame->cycleVariables.clear();
            GetCycleVariables(frame->cycleVariables);
            frame->toolNumber = nToolPosition;
            frame->operation = this;
            frame->retractValue = sx.x - c.x;
            frame->CreatePathFigure();
            AddFrame(std::move(frame));

            auto position = std::make_unique<CCadre_LineG01>(c.x, c.z, c.x, c.z, -1.0, true, true);
            position->CreatePathFigure();
            AddFrame(std::move(position));
        }
    }
    ReturnToHome(c.x, c.z);
}

}  // namespace zarvento
