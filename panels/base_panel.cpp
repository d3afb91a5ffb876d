// The property-panel framework: the modal run and the base notifications.
#include "panels/base_panel.h"

#include "plan/plan.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_error.h"
#include "platform/core/host_major_version.h"
#include "platform/core/process_state.h"
#include "platform/core/scope_guard.h"
#include "platform/dialogs/pick_process.h"

namespace zarvento {

namespace {
std::string entryText;
ZARVENTO_STATE_RESET { entryText.clear(); }
}  // namespace

const std::string& LibraryEntryText() { return entryText; }
void SetLibraryEntryText(std::string text) { entryText = std::move(text); }

CBasePanel::CBasePanel(std::string name) : scriptName(std::move(name)) {}

CBasePanel::~CBasePanel() {
    if (propertyManager) propertyManager->DropSubscriber(this);
}

std::int32_t CBasePanel::ShowModal() {
    BusyFlag = true;
    // Cleared, not restored: every path out of the panel leaves the library
    // free for the next command, also when a host call failed on the way.
    const ScopeGuard clearBusy([] { BusyFlag = false; });
    CreatePanel();
    CBasePanel::OnInitPanel();
    OnInitPanel();
    AfterInitPanel();
    return RunPanel();
}

std::shared_ptr<PropertyManager> CBasePanel::GetPropertyManager() {
    try {
        return ApplicationPropertyManager();
    } catch (const HostError& e) {
        throw HostError(e.Code(), std::string("the application's property manager: ") + e.Message());
    }
}

void CBasePanel::SetHelpTopic(std::int32_t topic) {
    // The counts are asked again at every step, as the host may add controls.
    for (int t = 0; t < propertyManager->TabCount(); ++t) {
        PropertyTab& tab = propertyManager->Tab(t);
        for (int c = 0; c < tab.ControlCount(); ++c) tab.Control(c).SetHelpTopic(topic);
    }
}

bool CBasePanel::OnFirstActivate() {
    if (firstActivated) return true;
    firstActivated = true;
    if (HostMajorVersion() >= 21) OnChangeTab(1);
    return true;
}

bool CBasePanel::OnButtonClick(int buttonId) {
    if (buttonId == kPanelButtonOK) {
        result = 1;
    } else if (buttonId != kPanelButtonCancel) {
        return true;
    }
    EndHostProcess(1, 0);
    BusyFlag = false;
    return true;
}

bool CBasePanel::IsButtonEnabled(int, std::int32_t&, std::int16_t& enabled) {
    enabled = 1;
    return true;
}

void CBasePanel::OnInitPanel() {
    if (CPLAN* plan = ExistingPLAN()) plan->HidePaths();
}

}  // namespace zarvento
