// The frames every path opens and closes with, the tool-life stop, the frame
// factories of the path algorithms and the hand-over of frames to a program.
#include <cmath>

#include "catalogs/param_tool.h"
#include "geometry/arc_unit.h"
#include "nc/cadre_arc_g02.h"
#include "nc/cadre_arc_g03.h"
#include "nc/cadre_beg_oper.h"
#include "nc/cadre_comment.h"
#include "nc/cadre_doc1.h"
#include "nc/cadre_end_oper.h"
#include "nc/cadre_f.h"
#include "nc/cadre_g40.h"
#include "nc/cadre_g41.h"
#include "nc/cadre_g42.h"
#include "nc/cadre_g96.h"
#include "nc/cadre_g97.h"
#include "nc/cadre_line_g01.h"
#include "nc/cadre_m1.h"
#include "nc/cadre_m3.h"
#include "nc/cadre_m4.h"
#include "nc/cadre_m8.h"
#include "nc/cadre_m9.h"
#include "nc/cadre_name_oper.h"
#include "nc/cadre_s_f.h"
#include "nc/cadre_sp.h"
#include "nc/cadre_t.h"
#include "nc/cycle_auto.h"
#include "nc/modal_state.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/synchronization.h"
#include "platform/core/numbers.h"
#include "post/post_processor_settings.h"

namespace zarvento {

namespace {

// Description VERSION "18" and later name and bracket every operation.
bool NamesOperations() { return PostProcessorSettings::Current().VersionAtLeast("18"); }

// The working time of a stretch cut at constant spindle speed; a speed or
// feed that counts as zero gives none instead of an endless time.
double PlainCutTime(double length, double speed, double feedValue) {
    if (speed < 1e-6 || feedValue < 1e-6) return 0.0;
    return length / speed / feedValue;
}

}  // namespace

std::unique_ptr<Contour> ReverseContour(std::unique_ptr<Contour> contour) {
    if (!contour || contour->Empty()) return contour;
    const int count = contour->Count();
    std::vector<UnitPtr> units = contour->TakeUnits();
    contour.reset();
    std::unique_ptr<Contour> reversed = Contour::ContourSized(count);
    reversed->Colour = kDefaultContourColour;
    for (auto it = units.rbegin(); it != units.rend(); ++it) {
        (*it)->Reverse();
        reversed->AddUnit(std::move(*it));
    }
    return reversed;
}

void CTurn::ReleaseFrames() { frames.clear(); }

bool CTurn::FailPath() {
    ReleaseFrames();
    return false;
}

bool CTurn::CreateSkeletonPath() {
    if (!CTurn::CreateContourPath()) return false;
    FinishContourPath();
    return true;
}

bool CTurn::ChooseMachineCycle(bool cycleAsked) {
    if (indShema == 1) {
        const int n = postProcessor.GetCountCyclesOfType(typeKey);
        if (n == 0) {
            indShema = 0;
        } else {
            if (indCycle >= n || indCycle < 0) indCycle = 0;
            CCycle_Auto* cycle = postProcessor.GetCycleOfType(typeKey, indCycle);
            if (!cycle) return false;
            cycle->SetParentParameters(parameters.get());
            cycle->CalcParameters(false);
            const std::string missing = cycle->GetMissingParameters();
            if (!missing.empty()) {
                ReportWarning("Не заданы обязательные параметры цикла " + cycle->GetGCode() + ":\n" + missing + "\n" +
                              "Постпроцессор может выдать ошибку");
            }
            // A value the formula does not give would go into the program
            // as 0 (a depth of cut of nothing, no feed).
            if (const std::string fault = cycle->ParameterFault(); !fault.empty()) {
                ReportError(fault);
                return false;
            }
        }
        if (postProcessor.GetName() == kHeidenhain) isHeidenhain = true;
    }
    if (cycleAsked && indShema == 0) {
        cycleForced = true;
        ShowForcedElementaryNotice(postProcessor.GetName());
    }
    return true;
}

bool CTurn::CreateContourPath() {
    // A machine cycle asked of a post-processor that has none of its kind
    // gives way to elementary moves, and the user is told so once.
    const bool cycleAsked = indShema == 1 || cycleForced;
    if (isNoCycles) indShema = 0;
    ReleaseFrames();
    currentCycle = nullptr;
    // The flag belongs to this calculation's post-processor and cycle choice;
    // kept from an earlier one it would drop every correction.
    isHeidenhain = false;
    if (isExclude) return false;

    if (ParamTool* tool = GetTool()) {
        tool->UpdateTipPosition();
        if (isAutoM34) isM04 = tool->M34 == 4;
        if (!isExist && tool->isLeft && tool->M34 == 3) indNapr = true;
    }
    if ((kind == kTurnTHREADING || kind == kTurnPLASHKA) && prevFinalContour) sourceContour = prevFinalContour->Clone();

    auto fail = [this](const char* text) {
        ReportError(text);
        return FailPath();
    };
    if (!workContour) return fail("Не задан рабочий контур");
    if (!sourceContour) return fail("Не задан исходный контур");
    if (workContour->GetNonZeroUnitCount() == 0) return fail("Не задан рабочий контур");
    if (sourceContour->GetNonZeroUnitCount() == 0) return fail("Не задан исходный контур");

    if (!ChooseMachineCycle(cycleAsked)) return FailPath();

    calc.regionContour.reset();
    calc.pairedContour.reset();
    if (!CreateRegionAndFinalContour()) return FailPath();
    if (calc.regionList.empty() || calc.pairedList.empty()) return fail("Невозможно рассчитать траекторию");

    if (NamesOperations()) {
        AddFrame(std::make_unique<CCadre_NameOper>());
        AddFrame(std::make_unique<CCadre_BegOper>());
    }

    auto addToolChange = [this] {
        const int previous = ModalState.previousTool;
        AddFrame(std::make_unique<CCadre_T>(nToolPosition, nToolPosition + 1.0, previous + 1.0, previous == -1));
        ModalState.previousTool = nToolPosition;
        ModalState.spindleState = 0;
        indPerehod = 2;
    };
    auto* previous = dynamic_cast<CTurn*>(GetPLAN()->GetPrevActiveTurn(index - 1));
    if (!previous) {
        addToolChange();
    } else {
        if (!previous->frames.empty()) {
            const CCadreISO& last = *previous->frames.back();
            ModalState.position[0] = last.end.x;
            ModalState.position[2] = last.end.z;
        }
        if (previous->nToolPosition != nToolPosition) addToolChange();
    }

    AddSpindleFeedFrames(frames);
    if (kind != kTurnPLASHKA) {
        if (isM04) {
            AddFrame(std::make_unique<CCadre_M4>());
        } else {
            AddFrame(std::make_unique<CCadre_M3>());
        }
    }
    if (isCheckCooler) AddFrame(std::make_unique<CCadre_M8>());
    if (DirRcorrect == 1) AddFrame(std::make_unique<CCadre_G41>());
    if (DirRcorrect == 2) AddFrame(std::make_unique<CCadre_G42>());
    if (!frames.empty()) {
        frames.front()->end.x = ModalState.position[0];
        frames.front()->end.z = ModalState.position[2];
    }
    LinkFrames();
    return true;
}

void CTurn::AddSpindleFeedFrames(std::vector<std::unique_ptr<CCadreISO>>& list) {
    if (isExclude) return;
    if (isVconst) {
        list.push_back(std::make_unique<CCadre_G96>(Vconst, Nmin, Nmax));
        list.push_back(std::make_unique<CCadre_F>(Spod));
    } else if (ModalState.constantSpeed) {
        list.push_back(std::make_unique<CCadre_G97>(Nshp));
        if (std::fabs(ModalState.feed - Spod) > 0.001) list.push_back(std::make_unique<CCadre_F>(Spod));
    } else {
        list.push_back(std::make_unique<CCadre_S_F>(Nshp, Spod));
    }
}

void CTurn::FinishContourPath() {
    if (DirRcorrect != 0) AddFrame(std::make_unique<CCadre_G40>());
    if (isCheckCooler) AddFrame(std::make_unique<CCadre_M9>());
    if (isM01end) AddFrame(std::make_unique<CCadre_M1>());
    if (NamesOperations()) AddFrame(std::make_unique<CCadre_EndOper>());
    FeedWithinClearance();
    LinkFrames();
    CalcMeanDiameter();
    stopTime = 0.0;
    workTime = 0.0;
    if (GetPLAN()->isSTOP && !HasMessage() && !isExclude) InsertToolLifeStop();
    isExist = true;
}

void CTurn::InsertToolLifeStop() {
    CPLAN& plan = *GetPLAN();
    double wear = 0.0;
    for (int i = 0; i < index; ++i) {
        const auto* earlier = dynamic_cast<const CTurn*>(plan.GetTurn(i));
        // An excluded operation cuts nothing; the working time it keeps is
        // that of a path no longer in the program.
        if (!earlier || earlier->isExclude || earlier->nToolPosition != nToolPosition) continue;
        const double life = earlier->TT;
        if (life <= 1e-6) continue;
        if (earlier->stopTime <= 1e-6) {
            wear += earlier->workTime / life;
        } else {
            wear = (earlier->workTime - earlier->stopTime) / life;  // the tool was changed inside it
        }
    }
    if (!GetTool()) return;
    ModalState.constantSpeed = isVconst ? 1 : 0;
    ModalState.cuttingSpeed = Vconst;
    ModalState.minSpindleSpeed = Nmin;
    ModalState.maxSpindleSpeed = Nmax;
    ModalState.feed = Spod;
    bool stopped = false;
    for (std::size_t k = 0; k < frames.size(); ++k) {
        PathStatistics s = frames[k]->GetStatistics();
        if (!isVconst) s.workTime = PlainCutTime(s.workLength, Nshp, Spod);
        const double before = workTime;
        workTime += s.workTime;
        if (TT > 1e-6) wear += s.workTime / TT;
        if (!stopped && wear > 1.0) {
            stopped = true;
            stopTime = before;
            auto stop = std::make_unique<CCadre_SP>(stopTime);
            stop->operation = this;
            frames.insert(frames.begin() + static_cast<std::ptrdiff_t>(k), std::move(stop));
            ++k;  // the frame that crossed the limit is counted already
        }
    }
    LinkFrames();
    if (wear > 1.0 && stopTime < 1e-6) stopTime = workTime;
}

void CTurn::AddFrame(std::unique_ptr<CCadreISO> frame) {
    if (!frame) return;
    frame->operation = this;
    if (frame->codeParameters) frame->codeParameters->parent = FrameParent();
    frames.push_back(std::move(frame));
}

PARAMETERS* CTurn::FrameParent() const {
    if (currentCycle && currentCycle->codeParameters) return currentCycle->codeParameters.get();
    return parameters.get();
}

void CTurn::LinkFrames() {
    PARAMETERS* parent = FrameParent();
    for (const auto& frame : frames) {
        frame->operation = this;
        if (frame->codeParameters) frame->codeParameters->parent = parent;
    }
}

void CTurn::AddLineFrame(double x1, double z1, double x2, double z2, double feedValue, bool isRapid, bool forceAll,
                         bool isHidden) {
    if (std::fabs(z1 - z2) < 1e-6 && std::fabs(x1 - x2) < 1e-6) return;
    auto frame = std::make_unique<CCadre_LineG01>(x1, z1, x2, z2, feedValue, isRapid, forceAll, isHidden);
    frame->CreatePathFigure();
    AddFrame(std::move(frame));
}

namespace {

// An arc the program cannot write as one: a radius below what its three
// decimals carry, or a bow off its chord below half their step, so that a
// control would find no centre for it, or a full circle. Its chord is the
// move instead.
constexpr double kLongestWrittenArc = 2.0 * PI / 3.0;

bool IsBelowPrintedStep(const CArcUnit& arc) {
    constexpr double kLeastRadius = 0.002, kLeastBow = 0.0005;
    const double sweep = arc.GetSweep();
    const double bow = sweep >= PI ? arc.Radius : arc.Radius * (1.0 - std::cos(sweep / 2.0));
    return arc.Radius < kLeastRadius || bow < kLeastBow;
}

}  // namespace

void CTurn::AddUnitFrame(const CUnit& unit, bool isRapid, bool forceAll, bool isHidden) {
    if (unit.IsZeroLength()) return;
    // A control finds an arc's centre from its radius and ends, which fix it
    // badly near half a turn: a longer arc is written in pieces of at most a
    // third of a turn, whose centres its numbers carry.
    if (unit.Kind == 'A') {
        const auto& arc = static_cast<const CArcUnit&>(unit);
        const double sweep = arc.GetSweep();
        const int pieces = static_cast<int>(std::ceil(sweep / kLongestWrittenArc - 1e-9));
        if (pieces > 1 && !IsBelowPrintedStep(arc)) {
            const double start = arc.GetStartPolarAngle();
            double z1 = unit.StartPoint.z, x1 = unit.StartPoint.x;
            for (int k = 1; k <= pieces; ++k) {
                double z2 = unit.EndPoint.z, x2 = unit.EndPoint.x;
                if (k < pieces) {
                    const double a = start - unit.DirVector * sweep * k / pieces;
                    z2 = unit.CentrePoint.z + arc.Radius * std::cos(a);
                    x2 = unit.CentrePoint.x + arc.Radius * std::sin(a);
                }
                AddUnitFrame(*unit.CloneWithEnds(z1, x1, z2, x2), isRapid, forceAll, isHidden);
                z1 = z2, x1 = x2;
            }
            return;
        }
    }
    std::unique_ptr<CCadreISO> frame;
    const Point3D& s = unit.StartPoint;
    const Point3D& e = unit.EndPoint;
    if (unit.Kind == 'L' || (unit.Kind == 'A' && IsBelowPrintedStep(static_cast<const CArcUnit&>(unit)))) {
        frame = std::make_unique<CCadre_LineG01>(s.x, s.z, e.x, e.z, -1.0, isRapid, forceAll, isHidden);
    } else if (unit.Kind == 'A') {
        const auto& arc = static_cast<const CArcUnit&>(unit);
        const Point3D& c = unit.CentrePoint;
        if (unit.DirVector == 1) {
            frame = std::make_unique<CCadre_ArcG02>(c.x, c.z, arc.Radius, s.x, s.z, e.x, e.z, -1.0, isRapid);
        } else {
            frame = std::make_unique<CCadre_ArcG03>(c.x, c.z, arc.Radius, s.x, s.z, e.x, e.z, -1.0, isRapid);
        }
    } else {
        return;
    }
    frame->DeferPathFigure();
    AddFrame(std::move(frame));
}

void CTurn::CopyFramesTo(std::vector<CCadreISO*>& program) {
    if (isExclude) return;
    for (const auto& frame : frames) {
        frame->SetModalState();
        frame->SetOutputCoordinates();
        frame->operation = this;
        program.push_back(frame.get());
    }
}

void CTurn::AddCommentFrames(std::vector<CCadreISO*>& program, std::vector<std::unique_ptr<CCadreISO>>& owned) {
    if (!program.empty()) {
        const FramePoint& end = program.back()->end;
        ModalState.position[0] = end.x;
        ModalState.position[1] = end.y;
        ModalState.position[2] = end.z;
    }
    const std::string rule(34, '=');
    const std::string texts[] = {"", rule, " " + sNameTurn, rule, ""};
    auto add = [&](const std::string& text) {
        owned.push_back(std::make_unique<CCadre_Comment>(text));
        program.push_back(owned.back().get());
    };
    for (const std::string& text : texts) add(text);
    if (isExclude) {
        add("Исключена из расчета");
    } else if (HasMessage()) {
        add("Ошибка");
    }
}

void CTurn::AddDocFrame(std::vector<CCadreISO*>& program, std::vector<std::unique_ptr<CCadreISO>>& owned) {
    if (isExclude) return;
    auto doc = std::make_unique<CCadre_Doc1>();
    doc->operation = this;
    doc->codeParameters->parent = FrameParent();
    program.push_back(doc.get());
    owned.push_back(std::move(doc));
}

}  // namespace zarvento
