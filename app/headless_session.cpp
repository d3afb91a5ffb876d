// The set-up and take-down of a command that runs the library.
#include "app/headless_session.h"

#include <iostream>

#include "model/model_layer.h"
#include "operations/turn.h"
#include "panels/host_panels.h"
#include "plan/part_model_services.h"
#include "plan/plan_panels.h"
#include "platform/host_error.h"
#include "platform/host_registry.h"
#include "platform/messages.h"
#include "platform/panel_script.h"
#include "platform/process_state.h"
#include "platform/scripted_user.h"
#include "simulation/simulation_layer.h"

namespace zarvento::app {

HeadlessSession::HeadlessSession() {
    // The servers the library starts by class id (the materials reference)
    // are found in the host's registry. One that cannot be read costs those
    // servers only, never the command.
    try {
        HostRegistry::Instance().Open(DefaultRegistryFile());
    } catch (const HostError& e) {
        std::cerr << "zarvento: " << e.Message() << "; servers registered there are not found\n";
    }
    RegisterModelLayer();
    RegisterTurnFactory();
    RegisterPartModelServices();
    StartPanels(panels_);
    RegisterSimulationLayer();
}

HeadlessSession::~HeadlessSession() {
    MessageLog::Instance().SetEcho(nullptr);
    PanelScript::Instance().SetEcho(nullptr);
    ScriptedUser::Instance().SetEcho(nullptr);
    StopPanels();
    UnregisterSimulationLayer();
    ResetProcessState();
    UnregisterModelLayer();
}

}  // namespace zarvento::app
