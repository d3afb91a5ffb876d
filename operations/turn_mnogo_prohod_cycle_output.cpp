// Machine-cycle output of the multi-pass operation: a region handed to the
// post-processor's turning cycle whole, or cut into trapezoids when the
// cycle only takes those, one cycle frame each.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "nc/cadre_line_g01.h"
#include "operations/kind_support.h"
#include "operations/turn_mnogo_prohod.h"
#include "post/post_processor.h"

namespace zarvento {

namespace {

using PointMap = std::function<void(double& z, double& x)>;

// A copy of a contour of lines with every point mapped; rapid flags kept.
std::unique_ptr<Contour> MapLines(const Contour& c, const PointMap& map) {
    auto out = std::make_unique<Contour>();
    for (int i = 0; i < c.Count(); ++i) {
        const CUnit& u = *c.GetUnit(i);
        double z1 = u.StartPoint.z, x1 = u.StartPoint.x, z2 = u.EndPoint.z, x2 = u.EndPoint.x;
        map(z1, x1);
        map(z2, x2);
        out->AddUnit(std::make_unique<CLineUnit>(z1, x1, z2, x2, u.IsRapid));
    }
    return out;
}

bool AllLines(const Contour& c) {
    for (int i = 0; i < c.Count(); ++i)
        if (c.GetUnit(i)->Kind != 'L') return false;
    return true;
}

// The first unit, after the rapid approach, at which the profile turns
// back along Z (alongZ) or X: it runs the other way than the units before
// it, or turns inside itself (an arc past its extreme). -1 when it never does.
int FirstTurnBack(const Contour& profile, bool alongZ) {
    constexpr double kZero = 0.001;
    int sense = 0;
    for (int i = 0; i < profile.Count(); ++i) {
        const CUnit& u = *profile.GetUnit(i);
        if (u.IsRapid) continue;
        const double a = alongZ ? u.StartPoint.z : u.StartPoint.x, b = alongZ ? u.EndPoint.z : u.EndPoint.x;
        BoundBox box;
        u.GetBoundBox(box);
        const double low = alongZ ? box.zmin : box.xmin, high = alongZ ? box.zmax : box.xmax;
        if (low < std::min(a, b) - kZero || high > std::max(a, b) + kZero) return i;
        if (std::fabs(b - a) <= kZero) continue;
        const int s = b > a ? 1 : -1;
        if (sense != 0 && s != sense) return i;
        sense = s;
    }
    return -1;
}

std::string PointText(double z, double x) {
    char text[64];
    std::snprintf(text, sizeof text, "Z%.3f D%.3f", std::fabs(z) < 5e-4 ? 0.0 : z,
                  std::fabs(x) < 2.5e-4 ? 0.0 : -2.0 * x);
    return text;
}

}  // namespace

CCycle_Auto* CTurnMnogoProhod::TurningCycleDefinition() {
    CCycle_Auto* definition = postProcessor.GetCycleOfType("Turning", indCycle);
    if (!definition) return nullptr;
    definition->SetParentParameters(&Parameters());
    definition->CalcParameters(false);
    return definition;
}

std::unique_ptr<Contour> CTurnMnogoProhod::MachineCycleContour() {
    calc.feedDirection = 0;
    OnePieceAlongPass = OnePieceAcrossPass = false;
    if (!calc.regionContour || !calc.pairedContour || calc.regionContour->Empty() || calc.pairedContour->Empty())
        return nullptr;
    std::unique_ptr<Contour> W = calc.regionContour->Clone();
    // The host's rectangle of the drawn stock side is the stock side's own
    // box; nothing is left drawn in the user's document for it.
    const BoundBox box = calc.pairedContour->GetBoundBox();
    const double a = Vrezanie, o = Perebeg;

    const Point3D s0 = W->GetFirstUnit()->StartPoint, e0 = W->GetLastUnit()->EndPoint;
    const double x1 = s0.x, z1 = s0.z, xn = e0.x, zn = e0.z;
    double rx = 0.0, rz = 0.0;
    if (std::fabs(z1 - zn) >= 0.001 && std::fabs(x1 - xn) >= 0.001) {
        bool reverse = false;
        if (z1 < zn) {
            rx = box.xmax + o;
            rz = xn < x1 ? box.zmax + a : box.zmin - a;
            internalMachining = true;
            reverse = xn < x1;
        } else {
            rx = box.xmin - o;
            rz = x1 < xn ? box.zmin - a : box.zmax + a;
            reverse = x1 < xn;
        }
        if (reverse) W = ReverseContour(std::move(W));
    } else if (std::fabs(z1 - zn) < 0.001) {
        OnePieceAcrossPass = true;
        rz = xn < x1 ? box.zmax : box.zmin;
        rx = indNapr ? box.xmax : box.xmin;
        if ((xn < x1) != static_cast<bool>(indNapr)) W = ReverseContour(std::move(W));
        if (W->Count() == 1) {
            // A lone face is cut in the direction it now runs, on through
            // the stock to the overrun.
            rz = x1 <= xn ? box.zmin - a : box.zmax + a;
            rx = indNapr ? box.xmax + a : box.xmin - a;
            CUnit& line = *W->GetFirstUnit();
            line.SetEndPoint(line.EndPoint.z, indNapr ? box.xmin - o : box.xmax + o);
        }
    } else {
        OnePieceAlongPass = true;
        rx = zn <= z1 ? box.xmin : box.xmax;
        rz = indNapr ? box.zmin : box.zmax;
        if ((zn > z1) != static_cast<bool>(indNapr)) W = ReverseContour(std::move(W));
        if (W->Count() == 1) {
            rx = zn <= z1 ? box.xmin - a : box.xmax + a;
            rz = indNapr ? box.zmin - a : box.zmax + a;
            CUnit& line = *W->GetFirstUnit();
            line.SetEndPoint(indNapr ? box.zmax + o : box.zmin - o, line.EndPoint.x);
        }
    }
    // Nothing of the cycle goes past the spindle's axis or the region's back
    // end: not the overrun of a lone face or diameter, nor the start point.
    double axisX = 0.0, chuckZ = 0.0;
    GetLatheReach(axisX, chuckZ);
    // The reach's back end is the bar's, in the points the program drives.
    const double backZ =
        std::isfinite(chuckZ) ? chuckZ + MachineCycleBackZ() - sourceContour->GetBoundBox().zmin : chuckZ;
    if (W->Count() == 1) {
        CUnit& line = *W->GetFirstUnit();
        line.SetEndPoint(std::max(line.EndPoint.z, backZ), std::min(line.EndPoint.x, axisX));
    }
    rx = std::min(rx, axisX);
    rz = std::max(rz, backZ);
    calc.retractX = rx;
    calc.retractZ = rz;

    // Lead lines from the start point's levels to the contour's ends.
    const Point3D s1 = W->GetFirstUnit()->StartPoint, e1 = W->GetLastUnit()->EndPoint;
    if (std::fabs(s1.z - e1.z) >= 0.001) {
        if (std::fabs(rz - s1.z) > 1e-6) W->InsertUnit(0, std::make_unique<CLineUnit>(rz, s1.x, s1.z, s1.x));
        if (std::fabs(e1.x - rx) > 1e-6) W->AddUnit(std::make_unique<CLineUnit>(e1.z, e1.x, e1.z, rx));
    } else {
        if (std::fabs(rx - s1.x) > 1e-6) W->InsertUnit(0, std::make_unique<CLineUnit>(s1.z, rx, s1.z, s1.x));
        if (std::fabs(e1.z - rz) > 1e-6) W->AddUnit(std::make_unique<CLineUnit>(e1.z, e1.x, rz, e1.x));
    }
    W->MergeOverlappingUnits();
    return W;
}

void CTurnMnogoProhod::OutputMachineCycle() {
    CCycle_Auto* definition = TurningCycleDefinition();
    if (!definition) return;
    std::unique_ptr<Contour> W = MachineCycleContour();
    if (!W) return;

    const std::string demands = definition->profilDemands;
    if (demands.empty() || demands == " ") {
        OutputWholeRegion(*definition, *W);
        return;
    }
    // A control that reads the region as one profile (a G71 of type II, or
    // of type I) takes it only while it does not turn back along Z (nor X).
    std::string why;
    static const char* const kProfiles[] = {kMonotoneXZ, kMonotoneZ};
    for (const char* form : kProfiles) {
        if (demands.find(form) == std::string::npos) continue;
        const std::unique_ptr<Contour> profile = CycleProfile(*W);
        const int z = FirstTurnBack(*profile, true);
        const int x = form == kMonotoneXZ ? FirstTurnBack(*profile, false) : -1;
        if (z < 0 && x < 0) {
            OutputWholeRegion(*definition, *W);
            return;
        }
        if (why.empty()) {
            const CUnit& u = *profile->GetUnit(z >= 0 ? z : x);
            why = std::string(z >= 0 ? kTurnsBackZText : kTurnsBackXText) + PointText(u.StartPoint.z, u.StartPoint.x);
        }
    }
    static const char* const kForms[] = {"TrapecG1", "TrapecG2", "TrapecG3", "TrapecG4",
                                         "TrapecV1", "TrapecV2", "TrapecV3", "TrapecV4"};
    for (int k = 0; k < 8; ++k) {
        if (demands.find(kForms[k]) == std::string::npos) continue;
        const bool fitted = k < 4 ? OutputTrapezoidsG(*W, k + 1) : OutputTrapezoidsV(*W, k - 3);
        if (fitted) {
            // As after the whole-region cycle: the tool leaves the part from
            // the retract point rather than staying there for the next operation.
            ReturnToHome(calc.retractX, calc.retractZ);
            return;
        }
    }
    ReportError(std::string(kCycleRefusalText) + definition->GetGCode() + (why.empty() ? "" : "\n" + why));
}

std::unique_ptr<Contour> CTurnMnogoProhod::CycleProfile(const Contour& W) const {
    // From the start point across to the profile's first level, then the
    // region as the cycle takes it, back out to the start point's level:
    // the finished shape a G71 names from its P block to its Q block.
    auto profile = std::make_unique<Contour>();
    const Point3D s = W.GetFirstUnit()->StartPoint;
    if (!IsEqualPoint(calc.retractZ, calc.retractX, s.z, s.x))
        profile->AddUnit(std::make_unique<CLineUnit>(calc.retractZ, calc.retractX, s.z, s.x, true));
    for (int i = 0; i < W.Count(); ++i) profile->AddUnit(W.GetUnit(i)->Clone());
    return profile;
}

void CTurnMnogoProhod::OutputWholeRegion(CCycle_Auto& definition, const Contour& W) {
    const double rx = calc.retractX, rz = calc.retractZ;
    auto R1 = calc.regionContour->Clone();
    auto stock = ReverseContour(calc.pairedContour->Clone());
    for (int i = 0; i < stock->Count(); ++i) R1->AddUnit(stock->GetUnit(i)->Clone());
    std::unique_ptr<Contour> R2;
    if (isCorrectRadius && Rtool > 0.0001) {
        R2 = MakeEquidistant(R1.get(), Rtool, 'v');
        if (R2) RemoveToolOffsets(*R2);
    }
    if (!R2) R2 = R1->Clone();
    std::unique_ptr<Contour> profile = CycleProfile(W);
    // A profile that turns back across the axis is read as one only when its
    // first block names both axes.
    const bool pockets = FirstTurnBack(*profile, false) >= 0;
    MoveToStart(rx, rz);
    std::unique_ptr<CCycle_Auto> frame =
        MakeCycleFrame(*this, definition, rx, rz, std::move(R1), std::move(R2), std::move(profile));
    frame->statePrintStart = pockets ? 1 : 0;
    AddFrame(std::move(frame));
    curX = rx;
    curZ = rz;
    ReturnToHome(rx, rz);
}

bool CTurnMnogoProhod::OutputTrapezoidsG(const Contour& piece, int form) {
    return OutputTrapezoids(piece, form, false);
}

bool CTurnMnogoProhod::OutputTrapezoidsV(const Contour& piece, int form) { return OutputTrapezoids(piece, form, true); }

bool CTurnMnogoProhod::OutputTrapezoids(const Contour& piece, int form, bool stepsAlongX) {
    CCycle_Auto* definition = TurningCycleDefinition();
    if (!definition || piece.Empty() || !AllLines(piece)) return false;
    const bool mirrorZ = form == 2 || form == 4, mirrorX = form == 3 || form == 4;
    const PointMap mirror = [=](double& z, double& x) {
        if (mirrorZ) z = -z;
        if (mirrorX) x = -x;
    };
    // Steps along X are the steps along Z with the axes exchanged and turned,
    // so that one decomposition serves both.
    const PointMap toWork = [=](double& z, double& x) {
        if (!stepsAlongX) return;
        const double zz = z;
        z = -x;
        x = -zz;
    };
    std::unique_ptr<Contour> C = piece.Clone();
    if (OnePieceAcrossPass != stepsAlongX) C = ReverseContour(std::move(C));
    C = MapLines(*C, [&](double& z, double& x) {
        mirror(z, x);
        toWork(z, x);
    });
    double rz = C->GetFirstUnit()->StartPoint.z;

    std::vector<std::unique_ptr<Contour>> traps;
    const int n = C->Count();
    for (int i = 0; i < n; ++i) {
        const CUnit& u = *C->GetUnit(i);
        const double z1 = u.StartPoint.z, x1 = u.StartPoint.x, z2 = u.EndPoint.z, x2 = u.EndPoint.x;
        const Point3D third = i + 1 < n ? C->GetUnit(i + 1)->EndPoint : u.EndPoint;
        const double z3 = third.z, x3 = third.x;
        double zs = z1, xs = x1, ze = z2, xe = x2;
        if (std::fabs(x2 - x1) >= 0.001) {
            if (!(i > 0 && x2 < x1)) return false;
        } else if (z2 < z1 - 0.001 && x3 < x2 - 0.001 && z3 < z2 + 1e-6) {
            zs = z2;
            xs = x2;
            ze = z3;
            xe = x3;
            ++i;
        } else {
            return false;
        }
        auto trap = std::make_unique<Contour>();
        trap->AddUnit(std::make_unique<CLineUnit>(rz, x3, rz, x1, true));
        trap->AddUnit(std::make_unique<CLineUnit>(rz, x1, zs, xs));
        trap->AddUnit(std::make_unique<CLineUnit>(zs, xs, ze, xe));
        trap->AddUnit(std::make_unique<CLineUnit>(ze, xe, rz, x3, true));
        traps.push_back(std::move(trap));
    }
    if (traps.empty()) return false;
    if (mirrorZ && !stepsAlongX) rz = -rz;
    if (mirrorX && stepsAlongX) rz = -rz;
    // The retract point: the level just found on the stepping axis, the
    // region's start point on the other.
    double px = calc.retractX, pz = calc.retractZ;
    if (stepsAlongX)
        px = -rz;
    else
        pz = rz;
    const double homeX = px, homeZ = pz;
    MoveToStart(px, pz);
    for (auto it = traps.rbegin(); it != traps.rend(); ++it) {
        std::unique_ptr<Contour> trap = MapLines(**it, [&](double& z, double& x) {
            toWork(z, x);
            mirror(z, x);
        });
        if (stepsAlongX) trap = ReverseContour(std::move(trap));
        const Point3D p = trap->GetFirstUnit()->StartPoint;
        AddLineFrame(px, pz, p.x, p.z, -1.0, true);
        std::unique_ptr<Contour> bare = trap->Clone();
        RemoveToolOffsets(*bare);
        std::unique_ptr<Contour> offset = MakeEquidistant(bare.get(), Rtool, 'v');
        if (!offset) offset = bare->Clone();
        AddFrame(MakeCycleFrame(*this, *definition, p.x, p.z, trap->Clone(), std::move(offset), nullptr));
        auto stay = std::make_unique<CCadre_LineG01>(p.x, p.z, p.x, p.z, -1.0, true, true, false);
        stay->CreatePathFigure();
        AddFrame(std::move(stay));
        px = p.x;
        pz = p.z;
    }
    AddLineFrame(px, pz, homeX, homeZ, -1.0, true);
    if (std::fabs(px - homeX) < 1e-6 && std::fabs(pz - homeZ) < 1e-6) {
        auto stay = std::make_unique<CCadre_LineG01>(homeX, homeZ, homeX, homeZ, -1.0, true, true, false);
        stay->CreatePathFigure();
        AddFrame(std::move(stay));
    }
    curX = calc.retractX = homeX;
    curZ = calc.retractZ = homeZ;
    return true;
}

}  // namespace zarvento
