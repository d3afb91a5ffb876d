// The plan's panels on the host, and their registration.
#include "panels/host_panels.h"

#include <memory>

#include "panels/dialog_post_processors_list.h"
#include "panels/panel_lsc.h"
#include "panels/panel_program.h"
#include "panels/panel_spid.h"
#include "panels/property_post_processor.h"
#include "platform/scripted_user.h"

namespace zarvento {

namespace {
std::unique_ptr<HostPanels> started;
PlanPanels* before = nullptr;
}  // namespace

int HostPanels::ShowPanel_LSC(CSPID& spid) { return zarvento::ShowPanel_LSC(spid); }

int HostPanels::ShowPanelSPID(CSPID& spid) {
    if (ScriptedUser::Instance().HasSession(UserSession::Kind::Panel, CPanelSPID::kScriptName))
        return zarvento::ShowPanelSPID(spid);
    return rest_.ShowPanelSPID(spid);
}

int HostPanels::ShowPanelPROGRAM(CPROGRAM& program) { return zarvento::ShowPanelPROGRAM(program); }

void HostPanels::ShowPostProcessorsList() { ShowPostProcessorsDialog(); }

PlanPanels::HostShown HostPanels::ShownOnHost(std::string_view panel) const {
    if (panel == CPanel_LSC::kScriptName || panel == CPanelPROGRAM::kScriptName) return HostShown::Panel;
    if (panel == CPanelSPID::kScriptName) return HostShown::PanelOrAnswer;
    if (panel == CDialogPostProcessorsList::kScriptName || panel == CPropertyPostProcessor::kScriptName)
        return HostShown::Dialog;
    return rest_.ShownOnHost(panel);
}

void StartPanels(PlanPanels& rest) {
    StopPanels();
    started = std::make_unique<HostPanels>(rest);
    before = RegisterPlanPanels(started.get());
}

void StopPanels() {
    if (!started) return;
    RegisterPlanPanels(before);
    before = nullptr;
    started.reset();
}

}  // namespace zarvento
