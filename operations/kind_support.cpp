// Pass levels, pass-count checks, cycle values and tool look-ups of the
// axial and single-plunge kinds.
#include "operations/kind_support.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "catalogs/param_tool.h"
#include "nc/cycle_auto.h"
#include "operations/turn.h"
#include "plan/spid.h"
#include "platform/core/variant.h"

namespace zarvento {

std::vector<double> ReducedPassLevels(double start, double end, std::int32_t n, double k) {
    std::vector<double> levels;
    if (n < 1) return levels;
    double sum = 0.0, power = 1.0;
    for (std::int32_t i = 0; i < n; ++i, power *= k) sum += power;
    const double length = end - start;
    levels.reserve(static_cast<std::size_t>(n));
    double level = start;
    power = 1.0;
    for (std::int32_t i = 0; i + 1 < n; ++i, power *= k) {
        level += power * length / sum;
        levels.push_back(level);
    }
    // The sum of the steps drifts by rounding; the last pass ends where the cut ends.
    levels.push_back(end);
    return levels;
}

bool CheckPassPlan(CTurn& op, std::int32_t n, double k) {
    if (n < 1) return op.ReportError(kNoPassesMessage), false;
    if (n > kMaxPasses) return op.ReportError(kTooManyPassesMessage), false;
    // A factor of 0 or below makes steps of zero or of alternating sign
    // (or a zero sum to divide by); one pass never uses it.
    if (n > 1 && !(k > 1e-6)) return op.ReportError(kBadReductionMessage), false;
    return true;
}

void UseElementaryCycle(CTurn& op, CCycle_Auto& cycle) {
    op.currentCycle = &cycle;
    cycle.SetParentParameters(&op.Parameters());
    cycle.CalcParameters(false);
    op.LinkFrames();
}

std::int32_t CyclePassCount(CCycle_Auto& cycle) {
    return static_cast<std::int32_t>(std::clamp(CycleValue(cycle, "N"), -1.0, kMaxPasses + 1.0));
}

std::unique_ptr<CCycle_Auto> MakeCycleFrame(CTurn& op, CCycle_Auto& definition, double x, double z,
                                            const Contour& contour) {
    return MakeCycleFrame(op, definition, x, z, contour.Clone(), contour.Clone(), nullptr);
}

std::unique_ptr<CCycle_Auto> MakeCycleFrame(CTurn& op, CCycle_Auto& definition, double x, double z,
                                            std::unique_ptr<Contour> work, std::unique_ptr<Contour> second,
                                            std::unique_ptr<Contour> print) {
    definition.SetParentParameters(&op.Parameters());
    definition.CalcParameters(false);
    auto frame = std::make_unique<CCycle_Auto>();
    frame->Copy(definition);
    frame->SetParentParameters(&op.Parameters());
    frame->start = {x, 0.0, z};
    frame->end = {x, 0.0, z};
    frame->workContour = std::move(work);
    frame->secondContour = std::move(second);
    frame->printContour = std::move(print);
    std::string variables;
    op.GetCycleVariables(variables);
    frame->cycleVariables = variables;
    frame->toolNumber = op.nToolPosition;
    frame->operation = &op;
    frame->CreatePathFigure();
    return frame;
}

double CycleValue(CCycle_Auto& cycle, std::string_view name) {
    const double* value = cycle.FindParameter(name);
    return value && std::isfinite(*value) ? *value : 0.0;
}

void SetCycleText(CCycle_Auto& cycle, std::string_view name, const std::string& text) {
    if (CycleParameter* p = cycle.FindParam(name)) {
        p->valueText = text;
        p->evaluated = 0;
        std::int32_t entry = 0;
        if (p->IsList() && ParseInt(text, entry)) p->intValue = entry;
    }
}

void SetCycleKind(CCycle_Auto& cycle, std::string_view name, char kind) {
    if (CycleParameter* p = cycle.FindParam(name)) p->kind = kind;
}

std::string FormatGeneral(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

std::int32_t FirstToolOfKind(int toolKind) {
    CSPID& spid = *GetSPID();
    for (std::int32_t i = 0; i < spid.Npositions; ++i) {
        const ParamTool* tool = spid.GetTool(i);
        if (tool && tool->GetType() == toolKind) return i;
    }
    return -1;
}

bool ToolDiameterVariable(const ParamTool& tool, double& value) {
    const int count = std::min(tool.Npv, ParamTool::kMaxVariables);
    for (int i = 0; i < count; ++i) {
        const ParamVariable& v = tool.aVariables[static_cast<std::size_t>(i)];
        if (v.sName == "D" || v.sName == "d") {
            value = v.dValue;
            return true;
        }
    }
    return false;
}

}  // namespace zarvento
