// The plan's panels on the host, and their registration.
#include "panels/host_panels.h"

#include <memory>

#include "catalogs/property_material.h"
#include "operations/turn.h"
#include "panels/dialog_param.h"
#include "panels/dialog_post_processors_list.h"
#include "panels/panel_lsc.h"
#include "panels/panel_program.h"
#include "panels/panel_spid.h"
#include "panels/panel_visual.h"
#include "panels/property_post_processor.h"
#include "platform/dialogs/scripted_user.h"
#include "simulation/result_model_plan.h"

namespace zarvento {

namespace {
std::unique_ptr<HostPanels> started;
PlanPanels* before = nullptr;
CycleDialogRunner cycleDialogBefore = nullptr;
}  // namespace

int HostPanels::ShowPanel_LSC(CSPID& spid) { return zarvento::ShowPanel_LSC(spid); }

int HostPanels::ShowPanelSPID(CSPID& spid) {
    if (ScriptedUser::Instance().Has(UserSession::Kind::Panel, CPanelSPID::kScriptName))
        return zarvento::ShowPanelSPID(spid);
    return rest_.ShowPanelSPID(spid);
}

int HostPanels::ShowPanelPROGRAM(CPROGRAM& program) { return zarvento::ShowPanelPROGRAM(program); }

int HostPanels::ShowPanelVISUAL(CPROGRAM& program, bool checkMode) {
    if (checkMode || !ScriptedUser::Instance().Has(UserSession::Kind::Panel, CPanelVISUAL::kScriptName))
        return rest_.ShowPanelVISUAL(program, checkMode);
    return zarvento::ShowPanelVISUAL(program);
}

void HostPanels::SaveTurnResultModel(PlanTurn& op, const std::string& path) { zarvento::SaveTurnResultModel(op, path); }

void HostPanels::ShowPostProcessorsList() { ShowPostProcessorsDialog(); }

PlanPanels::HostShown HostPanels::ShownOnHost(std::string_view panel) const {
    if (panel == CPanel_LSC::kScriptName || panel == CPanelPROGRAM::kScriptName || panel == CPanelVISUAL::kScriptName)
        return HostShown::Panel;
    // The operation's panel runs on the host for the kinds that have one.
    if (panel == CPanelSPID::kScriptName || panel == PlanPanels::kTurn) return HostShown::PanelOrAnswer;
    if (panel == CDialogPostProcessorsList::kScriptName || panel == CPropertyPostProcessor::kScriptName ||
        panel == CDialogParam::kScriptName || panel == CPropertyMaterial::kScriptName)
        return HostShown::Dialog;
    return rest_.ShownOnHost(panel);
}

void StartPanels(PlanPanels& rest) {
    StopPanels();
    started = std::make_unique<HostPanels>(rest);
    before = RegisterPlanPanels(started.get());
    // Every cycle's EditParameters opens the cycle-parameter dialog.
    cycleDialogBefore = RegisterCycleDialogRunner(&RunCycleDialog);
}

void StopPanels() {
    if (!started) return;
    RegisterPlanPanels(before);
    before = nullptr;
    RegisterCycleDialogRunner(cycleDialogBefore);
    cycleDialogBefore = nullptr;
    started.reset();
}

}  // namespace zarvento
