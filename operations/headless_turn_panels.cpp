// The operation fields of the headless operation panel.
#include "operations/headless_turn_panels.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string_view>
#include <vector>

#include "nc/cycle_auto.h"
#include "operations/kind_support.h"
#include "operations/turn.h"
#include "operations/turn_drill.h"
#include "operations/turn_kanavka.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations/turn_plashka.h"
#include "operations/turn_threading.h"
#include "platform/core/messages.h"
#include "platform/core/variant.h"
#include "platform/dialogs/panel_script.h"

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

// A number of the field within [low, high]; false (the field refused) otherwise.
bool NumberField(PanelAnswer& answer, const char* field, double low, double high, double& out) {
    const std::string* text = answer.Field(field);
    if (!text) return true;
    double value = 0.0;
    if (!ParseDouble(*text, value) || !(value >= low && value <= high)) {
        PlanPanels::RefuseField(answer, field, *text);
        return false;
    }
    out = value;
    return true;
}

// The thread fields of the chisel-threading and tap/die panels: the pitch
// and the starts make the lead, which is the feed per revolution; a chisel
// thread's depth is a number, or "auto" for the metric profile depth.
bool ApplyThreadFields(CTurn& turn, PanelAnswer& answer) {
    auto* chisel = dynamic_cast<CTurnTHREADING*>(&turn);
    auto* tap = dynamic_cast<CTurnPLASHKA*>(&turn);
    const bool thread = chisel || tap;
    for (const char* field : {"pitch", "starts"}) {
        if (answer.Field(field) && !thread) {
            PlanPanels::RefuseField(answer, field, *answer.Field(field));
            return false;
        }
    }
    if (!thread) return true;
    double& step = chisel ? chisel->Step : tap->Step;
    std::int32_t& starts = chisel ? chisel->Nzahod : tap->Nzahod;
    double pitch = step;
    double count = starts;
    if (!NumberField(answer, "pitch", 0.01, 500.0, pitch) || !NumberField(answer, "starts", 1.0, 100.0, count))
        return false;
    if (count != std::floor(count)) {
        PlanPanels::RefuseField(answer, "starts", *answer.Field("starts"));
        return false;
    }
    if (answer.Field("pitch") || answer.Field("starts")) {
        step = pitch;
        starts = static_cast<std::int32_t>(count);
        turn.Spod = starts * step;
        turn.sSpod = FormatGeneral(turn.Spod);
    }
    if (chisel) {
        if (const std::string* depth = answer.Field("depth")) {
            if (*depth == "auto") {
                chisel->isAutoDepth = true;
            } else {
                double value = 0.0;
                if (!NumberField(answer, "depth", 0.01, 500.0, value)) return false;
                chisel->isAutoDepth = false;
                chisel->Depth = value;
            }
        }
        chisel->ApplyAutoDepth();
    }
    return true;
}

// The hole of the drilling panel: how it is given (hole=surface|base|
// centring), its depth (the centring depth when centring), the Z of its base
// and its diameter; a centring hole starts from the centre drill's 3.15.
bool ApplyHoleFields(CTurn& turn, PanelAnswer& answer) {
    auto* drill = dynamic_cast<CTurnDRILL*>(&turn);
    if (!drill) {
        const bool chisel = dynamic_cast<CTurnTHREADING*>(&turn) != nullptr;
        for (const char* field : {"hole", "zbase", "diameter", "depth"}) {
            if (answer.Field(field) && !(chisel && std::string_view(field) == "depth")) {
                PlanPanels::RefuseField(answer, field, *answer.Field(field));
                return false;
            }
        }
        return true;
    }
    if (const std::string* hole = answer.Field("hole")) {
        static constexpr std::string_view kModes[] = {"surface", "base", "centring"};
        const auto* mode = std::find(std::begin(kModes), std::end(kModes), *hole);
        if (mode == std::end(kModes)) {
            PlanPanels::RefuseField(answer, "hole", *hole);
            return false;
        }
        drill->SposobDrill = static_cast<std::int32_t>(mode - std::begin(kModes));
        if (drill->SposobDrill == CTurnDRILL::kCentring) drill->Diametr = 3.15;
    }
    double& depth = drill->SposobDrill == CTurnDRILL::kCentring ? drill->GlubinaCentr : drill->Glubina;
    if (!NumberField(answer, "depth", 0.01, 500.0, depth) ||
        !NumberField(answer, "zbase", -10000.0, 10000.0, drill->Zbase) ||
        !NumberField(answer, "diameter", 0.1, 100.0, drill->Diametr))
        return false;
    // The panel applies a changed hole to the builder through the tip angle.
    const bool changed =
        answer.Field("hole") || answer.Field("depth") || answer.Field("zbase") || answer.Field("diameter");
    if (changed) drill->SetToolAngle();
    return true;
}

// Refuses the field's value; false, for the caller to return.
bool Refused(PanelAnswer& answer, const std::string& field, const std::string& value) {
    PlanPanels::RefuseField(answer, field, value);
    return false;
}

// False, with the refusal shown, for a field the panel does not have: a
// typing error, not something to pass over in silence.
bool KnownFields(CTurn& turn, PanelAnswer& answer) {
    static constexpr std::string_view kFields[] = {"name",     "tool",  "work", "allowance", "direction", "output",
                                                   "strategy", "feed",  "spin", "wait",      "pitch",     "depth",
                                                   "starts",   "dwell", "hole", "zbase",     "diameter"};
    for (const auto& [field, value] : answer.fields) {
        if (std::find(std::begin(kFields), std::end(kFields), field) != std::end(kFields)) continue;
        if (field.starts_with(kCyclePrefix) && turn.PanelCycle()) continue;
        ShowMessageBox("Операция не имеет поля " + field);
        answer.result = IDCANCEL_;
        PanelScript::Instance().NoteRefusal();
        return false;
    }
    return true;
}

// The name, the tool's position, the working units and the allowance.
bool ApplyIdentityFields(CTurn& turn, PanelAnswer& answer) {
    // A name given is the user's, as one typed in the panel's list with the
    // automatic name switched off: the kind's automatic name keeps off it.
    if (const std::string* name = answer.Field("name")) {
        turn.sNameTurn = *name;
        turn.isAutoName = false;
    }
    if (const std::string* tool = answer.Field("tool")) {
        // Positions are counted from 1, as in the plan-data panel.
        std::int32_t position = 0;
        if (!ParseInt(*tool, position) || position < 1 || position > 30) return Refused(answer, "tool", *tool);
        turn.nToolPosition = position - 1;
        turn.isAutoTool = false;
    }
    if (const std::string* work = answer.Field("work")) {
        std::vector<int> units;
        Contour* choice = turn.workChoice.get();
        if (!choice || !ParseUnitChoice(*work, choice->Count(), units)) return Refused(answer, "work", *work);
        // The choice the panel's pick leaves; the headless host shows no
        // selection, so only the units' marks change.
        for (int i = 0; i < choice->Count(); ++i) choice->GetUnit(i)->Selected = false;
        for (int i : units) choice->GetUnit(i)->Selected = true;
    }
    if (const std::string* allowance = answer.Field("allowance")) {
        double value = 0.0;
        if (!ParseDouble(*allowance, value) || !(value >= 0.0 && value < 100.0))
            return Refused(answer, "allowance", *allowance);
        turn.isPripuskW = value > 0.0;
        turn.PripuskW = value;
    }
    return true;
}

// The switches: direction, output and strategy.
bool ApplySwitchFields(CTurn& turn, PanelAnswer& answer) {
    // The panel's direction switch: along the working contour's own
    // direction, or against it (the operation's default).
    if (const std::string* direction = answer.Field("direction")) {
        if (*direction != "along" && *direction != "against") return Refused(answer, "direction", *direction);
        turn.indNapr = *direction == "along";
    }
    // Elementary moves or the machine's own cycle, for a kind with a cycle.
    if (const std::string* output = answer.Field("output")) {
        if (!turn.PanelCycle() || (*output != "moves" && *output != "cycle")) return Refused(answer, "output", *output);
        turn.indShema = *output == "cycle" ? 1 : 0;
        turn.cycleForced = false;
    }
    // Multi-pass turning: passes over the regions, or plunges across a groove.
    if (const std::string* strategy = answer.Field("strategy")) {
        if (!dynamic_cast<CTurnMnogoProhod*>(&turn) || (*strategy != "turning" && *strategy != "groove"))
            return Refused(answer, "strategy", *strategy);
        turn.indCycleElementar = *strategy == "groove" ? 1 : 0;
    }
    return true;
}

// The cycle's parameters, after the strategy that picks the cycle: in
// machine-cycle output those of the chosen cycle of the post-processor, as
// the panel's cycle button opens them, and the strategy's for a name that
// cycle has not (the panel reaches them with the output switched).
bool ApplyCycleFields(CTurn& turn, PanelAnswer& answer) {
    auto cycleFor = [&turn](std::string_view name) {
        CCycle_Auto* cycle = turn.PanelCycle();
        if (turn.indShema == 1) {
            CCycle_Auto* machine = turn.postProcessor.GetCycleOfType(turn.typeKey, turn.indCycle);
            if (machine && machine->FindParam(name)) cycle = machine;
        }
        return cycle;
    };
    // A new traversal mode of the operation's own cycle goes first, as the
    // panel switches the plan angles it offers with it: the angles typed
    // beside it then take their place.
    if (const std::string* mode = answer.Field(std::string(kCyclePrefix) + "P7");
        mode && turn.PanelCycle() && cycleFor("P7") == turn.PanelCycle()) {
        if (!SetCycleParameter(*turn.PanelCycle(), "P7", *mode))
            return Refused(answer, std::string(kCyclePrefix) + "P7", *mode);
        turn.SetPlanAnglesFromTool(turn.PanelCycle(), nullptr);
    }
    for (const auto& [field, value] : answer.fields) {
        if (!field.starts_with(kCyclePrefix)) continue;
        const std::string_view name = std::string_view(field).substr(kCyclePrefix.size());
        CCycle_Auto* cycle = cycleFor(name);
        if (!cycle || !SetCycleParameter(*cycle, name, value)) return Refused(answer, field, value);
    }
    return true;
}

// The dwell at the bottom of a single-plunge groove.
bool ApplyDwellField(CTurn& turn, PanelAnswer& answer) {
    if (!answer.Field("dwell")) return true;
    auto* groove = dynamic_cast<CTurnKANAVKA*>(&turn);
    if (!groove) return Refused(answer, "dwell", *answer.Field("dwell"));
    return NumberField(answer, "dwell", 0.0, 3600.0, groove->Pause);
}

// A formula typed in the panel is evaluated there, against the tool's
// variables among others; a failing one is reported and refused.
void ApplyCuttingFields(CTurn& turn, PanelAnswer& answer) {
    if (const std::string* feed = answer.Field("feed")) {
        turn.sSpod = *feed;
        if (!turn.EvalFeedFormula() || !IsPlausibleValue(turn.Spod)) PlanPanels::RefuseField(answer, "feed", *feed);
        // A thread's feed is its lead, which a pitch typed with it gives.
        if (answer.Field("pitch") || answer.Field("starts")) ApplyThreadFields(turn, answer);
    }
    if (const std::string* spin = answer.Field("spin")) {
        turn.isVconst = false;
        turn.sNshp = *spin;
        if (!turn.EvalSpeedFormulas() || !IsPlausibleValue(turn.Nshp)) PlanPanels::RefuseField(answer, "spin", *spin);
    }
    // The values this form gives are the operation's manual ones (it leaves
    // the modes as they are): the operation panel starts from them.
    if (turn.indSpod == 0) turn.Spod2 = turn.Spod;
    if (turn.indNshp == 0) {
        turn.Nshp2 = turn.Nshp;
        turn.Vconst2 = turn.Vconst;
    }
}

}  // namespace

void HeadlessTurnPanels::ApplyTurnFields(PlanTurn& op, PanelAnswer& answer) {
    auto* turn = dynamic_cast<CTurn*>(&op);
    if (!turn) return;
    if (!KnownFields(*turn, answer) || !ApplyIdentityFields(*turn, answer) || !ApplySwitchFields(*turn, answer) ||
        !ApplyCycleFields(*turn, answer) || !ApplyThreadFields(*turn, answer) || !ApplyHoleFields(*turn, answer) ||
        !ApplyDwellField(*turn, answer))
        return;
    ApplyCuttingFields(*turn, answer);
}

}  // namespace zarvento
