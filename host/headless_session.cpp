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
    HostDocumentPtr doc;
    bool part = false;
    try {
        doc = ConnectHostApplication().Documents().Open(path);
        part = doc->Type() == DocumentType::Part;
    } catch (const HostError& e) {
        std::cerr << "zarvento: cannot open " << path << ": " << e.Message() << "\n";
        return nullptr;
    }
    if (!part) {
        std::cerr << "zarvento: " << path << " is not a part\n";
        return nullptr;
    }
    return doc;
}

}  // namespace zarvento::app
