// The take-down of a verb that ran the library.
#include "host/headless_session.h"

#include "platform/messages.h"
#include "platform/panel_script.h"
#include "platform/process_state.h"
#include "platform/scripted_user.h"

namespace zarvento::app {

HeadlessSession::~HeadlessSession() {
    MessageLog::Instance().SetEcho(nullptr);
    PanelScript::Instance().SetEcho(nullptr);
    ScriptedUser::Instance().SetEcho(nullptr);
    ResetProcessState();
}

}  // namespace zarvento::app
