// The set-up and take-down of a command that runs the library.
#include "app/headless_session.h"

#include "operations/turn.h"
#include "panels/host_panels.h"
#include "plan/part_model_services.h"
#include "plan/plan_panels.h"
#include "platform/messages.h"
#include "platform/panel_script.h"
#include "platform/process_state.h"
#include "platform/scripted_user.h"

namespace zarvento::app {

HeadlessSession::HeadlessSession() {
    RegisterTurnFactory();
    RegisterPartModelServices();
    StartPanels(panels_);
}

HeadlessSession::~HeadlessSession() {
    MessageLog::Instance().SetEcho(nullptr);
    PanelScript::Instance().SetEcho(nullptr);
    ScriptedUser::Instance().SetEcho(nullptr);
    StopPanels();
    ResetProcessState();
}

}  // namespace zarvento::app
