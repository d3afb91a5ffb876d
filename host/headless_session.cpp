// The take-down of a verb that ran the library.
#include "host/headless_session.h"

#include <iostream>

#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/core/process_state.h"
#include "platform/dialogs/panel_script.h"
#include "platform/dialogs/scripted_user.h"
#include "platform/documents/host_application.h"

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
