// The take-down of a verb that ran the library.
#include "host/headless_session.h"

#include <iostream>

#include "platform/host_application.h"
#include "platform/host_error.h"
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

HostDocumentPtr OpenPartDocument(const std::string& path) {
    HostApplication& app = ConnectHostApplication();
    HostDocumentPtr doc;
    try {
        doc = app.Documents().Open(path);
    } catch (const HostError& e) {
        std::cerr << "zarvento: cannot open " << path << ": " << e.Message() << "\n";
        return nullptr;
    }
    if (doc->Type() != DocumentType::Part) {
        std::cerr << "zarvento: " << path << " is not a part\n";
        return nullptr;
    }
    return doc;
}

}  // namespace zarvento::app
