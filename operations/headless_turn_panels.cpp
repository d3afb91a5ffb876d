// The operation fields of the headless operation panel.
#include "operations/headless_turn_panels.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

#include "nc/cycle_auto.h"
#include "operations/turn.h"
#include "operations/turn_mnogo_prohod.h"
#include "platform/messages.h"
#include "platform/panel_script.h"
#include "platform/variant.h"

namespace zarvento {

namespace {

// "all", or unit indices and ranges of the part contour: "0-3,5". False for
// anything else or an index outside [0, count - 1].
bool ParseUnitChoice(std::string_view text, int count, std::vector<int>& units) {
    if (text == "all") {
        for (int i = 0; i < count; ++i) units.push_back(i);
        return count > 0;
    }
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t dash = item.find('-');
        std::int32_t first = 0, last = 0;
        if (!ParseInt(item.substr(0, dash), first)) return false;
        last = first;
        if (dash != std::string_view::npos && !ParseInt(item.substr(dash + 1), last)) return false;
        if (first < 0 || last < first || last >= count) return false;
        for (int i = first; i <= last; ++i) units.push_back(i);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return !units.empty();
}

constexpr std::string_view kCyclePrefix = "cycle.";

// Sets a parameter of the operation's cycle as typed into the panel's grid:
// a value or formula (checked when the operation is calculated), or for a
// list the entry's number from 1. False for a parameter the cycle does not
// have, a read-only one or an entry outside the list.
bool SetCycleParameter(CCycle_Auto& cycle, std::string_view name, const std::string& value) {
    CycleParameter* p = cycle.FindParam(name);
    if (!p || p->kind == 'R' || value.empty()) return false;
    if (p->IsList()) {
        std::int32_t entry = 0;
        if (!ParseInt(value, entry) || entry < 1 || entry > p->listCount) return false;
        p->intValue = entry - 1;
    }
    p->valueText = value;
    p->evaluated = 0;
    return true;
}

}  // namespace

void HeadlessTurnPanels::ApplyTurnFields(PlanTurn& op, PanelAnswer& answer) {
    auto* turn = dynamic_cast<CTurn*>(&op);
    if (!turn) return;
    // A field the panel does not have is a typing error, not something to
    // pass over in silence.
    static constexpr std::string_view kFields[] = {"name",   "tool",     "work", "allowance", "direction",
                                                   "output", "strategy", "feed", "spin",      "wait"};
    for (const auto& [field, value] : answer.fields) {
        if (std::find(std::begin(kFields), std::end(kFields), field) != std::end(kFields)) continue;
        if (field.starts_with(kCyclePrefix) && turn->PanelCycle()) continue;
        ShowMessageBox("Операция не имеет поля " + field);
        answer.result = IDCANCEL_;
        PanelScript::Instance().NoteRefusal();
        return;
    }
    if (const std::string* name = answer.Field("name")) turn->sNameTurn = *name;
    if (const std::string* tool = answer.Field("tool")) {
        // Positions are counted from 1, as in the plan-data panel.
        std::int32_t position = 0;
        if (!ParseInt(*tool, position) || position < 1 || position > 30) {
            RefuseField(answer, "tool", *tool);
            return;
        }
        turn->nToolPosition = position - 1;
        turn->isAutoTool = false;
    }
    if (const std::string* work = answer.Field("work")) {
        std::vector<int> units;
        Contour* choice = turn->workChoice.get();
        if (!choice || !ParseUnitChoice(*work, choice->Count(), units)) {
            RefuseField(answer, "work", *work);
            return;
        }
        // The choice the panel's pick leaves; the headless host shows no
        // selection, so only the units' marks change.
        for (int i = 0; i < choice->Count(); ++i) choice->GetUnit(i)->Selected = false;
        for (int i : units) choice->GetUnit(i)->Selected = true;
    }
    if (const std::string* allowance = answer.Field("allowance")) {
        double value = 0.0;
        if (!ParseDouble(*allowance, value) || !(value >= 0.0 && value < 100.0)) {
            RefuseField(answer, "allowance", *allowance);
            return;
        }
        turn->isPripuskW = value > 0.0;
        turn->PripuskW = value;
    }
    // The panel's direction switch: along the working contour's own
    // direction, or against it (the operation's default).
    if (const std::string* direction = answer.Field("direction")) {
        if (*direction != "along" && *direction != "against") {
            RefuseField(answer, "direction", *direction);
            return;
        }
        turn->indNapr = *direction == "along";
    }
    // Elementary moves or the machine's own cycle, for a kind with a cycle.
    if (const std::string* output = answer.Field("output")) {
        if (!turn->PanelCycle() || (*output != "moves" && *output != "cycle")) {
            RefuseField(answer, "output", *output);
            return;
        }
        turn->indShema = *output == "cycle" ? 1 : 0;
    }
    // Multi-pass turning: passes over the regions, or plunges across a groove.
    if (const std::string* strategy = answer.Field("strategy")) {
        if (!dynamic_cast<CTurnMnogoProhod*>(turn) || (*strategy != "turning" && *strategy != "groove")) {
            RefuseField(answer, "strategy", *strategy);
            return;
        }
        turn->indCycleElementar = *strategy == "groove" ? 1 : 0;
    }
    // The cycle's parameters, after the strategy that picks the cycle.
    for (const auto& [field, value] : answer.fields) {
        if (!field.starts_with(kCyclePrefix)) continue;
        if (!SetCycleParameter(*turn->PanelCycle(), std::string_view(field).substr(kCyclePrefix.size()), value)) {
            RefuseField(answer, field, value);
            return;
        }
    }
    // A formula typed in the panel is evaluated there, against the tool's
    // variables among others; a failing one is reported and refused.
    if (const std::string* feed = answer.Field("feed")) {
        turn->sSpod = *feed;
        if (!turn->EvalFeedFormula() || !IsPlausibleValue(turn->Spod)) RefuseField(answer, "feed", *feed);
    }
    if (const std::string* spin = answer.Field("spin")) {
        turn->isVconst = false;
        turn->sNshp = *spin;
        if (!turn->EvalSpeedFormulas() || !IsPlausibleValue(turn->Nshp)) RefuseField(answer, "spin", *spin);
    }
}

}  // namespace zarvento
