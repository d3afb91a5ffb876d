// The recalculation of one operation and its diagnosis: reports, the
// contours it starts from, the cutting-data formulas and the hand-over of
// the post-processor.
#include "catalogs/param_tool.h"
#include "operations/path_clearance.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "plan/synchronization.h"
#include "platform/core/messages.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_documents.h"

namespace zarvento {

namespace {

// The silent flag for the length of a recalculation, cleared on every exit.
class SilentScope {
public:
    explicit SilentScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~SilentScope() { flag_ = false; }
    SilentScope(const SilentScope&) = delete;
    SilentScope& operator=(const SilentScope&) = delete;

private:
    bool& flag_;
};

void RefreshTreeItem(PlanTurn& op) {
    PlanTree* tree = ExistingPlanTree();
    if (tree && tree->Control()) op.UpdateTreeItem(*tree->Control());
}

constexpr const char* kBrokenOffsetText =
    "Эквидистанта рабочего контура распадается на части: резец с таким радиусом при вершине не может пройти "
    "вдоль контура";

}  // namespace

void ArmPostProcessorChangeNotice() { PostProcessorNoticeFlag = true; }

bool CTurn::CheckCalculatedPath() { return CheckPathClearance(*this); }

void CTurn::ReportError(const std::string& text) {
    messageText = "Ошибка" + std::string(":\n") + text;
    if (!isSilent) HostMessageBox(messageText, kCaption, MB_OK_);
}

void CTurn::ReportWarning(const std::string& text) {
    messageText = "Предупреждение" + std::string("\n") + text;
    if (!isSilent) HostMessageBox(messageText, kCaption, MB_OK_);
}

void CTurn::DiagnosticRaschetPath(int position) {
    index = position;
    const HostDocumentPtr part = partLink.lock();
    HostApplication* app = HostApplicationObject();
    if (!part || !app || !app->Documents().Contains(part)) {
        ReportError("Потеряна связь с деталью");
        RefreshTreeItem(*this);
        return;
    }
    if (isExclude) return;
    // A calculation starts from nothing an earlier one left behind.
    calc = TurnCalculation{};

    SilentScope silent(isSilent);
    const std::string oldMessage = messageText;
    messageText.clear();
    GetPreviousFinalContour(position);
    CheckTool();
    BuildContours();
    if (!isAutoTool) {
        if (ParamTool* tool = GetTool()) {
            Rtool = tool->r;
            tool->pSketchSource = &workContour;
        }
    } else {
        SetupTool();
    }
    if (Nshp < 1e-6 || Spod < 1e-6 || (isVconst && Vconst < 1e-6)) messageText = "Не заданы режимы резания";

    // Whatever way a path gives up, no frame of it may reach the program or
    // give the next operation its start point.
    if (!CreateContourPath() || calc.routeRefused)
        ReleaseFrames();
    else
        ApplyPathTamper(*this);

    if (workChoice && workChoice->HasSelectedUnitWithoutObject())
        messageText = "Потеряна связь контура обработки с опорной поверхностью";
    if (sourceChoice && sourceChoice->HasSelectedUnitWithoutObject())
        messageText = "Потеряна связь исходного контура с опорной поверхностью";
    if (!prevFinalContour && !sourceContour) {
        messageText = "Не определен контур предыдущей обработки." + std::string("\n") +
                      "Проверьте контур заготовки или результат предыдущей обработки.";
    }
    if (messageText != oldMessage) RefreshTreeItem(*this);
    if (HasMessage()) {
        finalContour.reset();
        if (sourceContour) {
            finalContour = sourceContour->GetSimpleContour();
            if (finalContour) finalContour->MergeOverlappingUnits();
        }
    }
}

void CTurn::GetPreviousFinalContour(int position) {
    prevFinalContour.reset();
    if (const auto* previous = dynamic_cast<const CTurn*>(GetPLAN()->GetPrevActiveTurn(position - 1))) {
        if (previous->finalContour) prevFinalContour = previous->finalContour->Clone();
    } else {
        prevFinalContour = GetSPID()->CreateSourceContour();
    }
}

void CTurn::BuildContours() {
    PushChannelSettings();
    if (isUsePrevContour && prevFinalContour) {
        sourceContour = prevFinalContour->Clone();
    } else {
        sourceContour = sourceBuilder->Build();
    }
    workBuilder->sourceContour = sourceContour.get();
    workContour = tableWorkContour ? tableWorkContour->Clone() : workBuilder->Build();
    workBuilder->sourceContour = nullptr;
}

bool CTurn::EvalFeedFormula() {
    Spod = 0.0;
    double value = 0.0;
    if (!parameters->CalcFormula(value, sSpod, true)) {
        if (!isSilent) {
            HostMessageBox("Ошибка вычисления формулы. " + parameters->errorText + "\n" + "Задайте подачу вручную",
                           kCaption, MB_OK_);
        }
        return false;
    }
    Spod = value;
    return true;
}

bool CTurn::EvalSpeedFormulas() {
    double& target = isVconst ? Vconst : Nshp;
    const std::string& formula = isVconst ? sVcut : sNshp;
    target = 0.0;
    double value = 0.0;
    if (!parameters->CalcFormula(value, formula, true)) {
        if (!isSilent) {
            HostMessageBox("Ошибка вычисления формулы. " + parameters->errorText + "\n" +
                               (isVconst ? "Задайте скорость вручную" : "Задайте частоту вручную"),
                           kCaption, MB_OK_);
        }
        return false;
    }
    target = value;
    return true;
}

void CTurn::SetPostProcessorData(CPostProcessor* p) {
    isNoCycles = false;
    if (!p || p->GetCycles().empty()) isNoCycles = true;
    // With no post-processor chosen there is nothing to compare or copy;
    // the flag alone makes the paths elementary until one is chosen again.
    if (!p) return;
    if (p->GetName() != postProcessor.GetName()) {
        // The plan's flag: one notice for all operations of one reload.
        if (indShema != 0 || cycleForced) ShowPostProcessorNotice();
        indShema = 0;
        cycleForced = false;
        indCycle = 0;
    }
    postProcessor = *p;
}

double CTurn::NoseOffsetRadius(char mode) const {
    if (kind == kTurnDRILL || isHeidenhain || !isCorrectRadius) return 0.0;
    const double r = Rtool + (mode == 'c' ? calc.finishAllowance : 0.0);
    return r > 0.001 ? r : 0.0;
}

std::unique_ptr<Contour> CTurn::OffsetContourByRadius(std::unique_ptr<Contour> contour, char mode) {
    if (!contour || kind == kTurnDRILL || isHeidenhain) return contour;
    if (const double r = NoseOffsetRadius(mode); r > 0.0) {
        std::unique_ptr<Contour> offset = MakeEquidistant(contour.get(), r, mode);
        // An open contour whose offset falls into pieces has no path for the
        // nose along it: the tool would have to jump from piece to piece.
        if (offset && mode != 's' && mode != 'v' && offset->HasBreaks()) {
            ReportError(kBrokenOffsetText);
            return nullptr;
        }
        return offset ? std::move(offset) : std::move(contour);
    }
    if (mode == 's' && kind == kTurnMnogoProhod && indShema == 0 && indCycleElementar == 0) contour->Reverse();
    return contour;
}

}  // namespace zarvento
