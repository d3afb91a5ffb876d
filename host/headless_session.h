// HeadlessSession: what a verb of the command-line program takes down when it
// ends (the library's wiring was done when the module was attached).
#pragma once

#include <string>

#include "platform/documents/host_document.h"

namespace zarvento::app {

class HeadlessSession {
public:
    HeadlessSession() = default;
    // The plan, its data and the documents go before the program's statics
    // do, whatever way the command ends; the echoes are switched off.
    ~HeadlessSession();
    HeadlessSession(const HeadlessSession&) = delete;
    HeadlessSession& operator=(const HeadlessSession&) = delete;
};

// Opens a verb's part document; null, with the reason on the standard error,
// when it cannot be opened or is no part (the verb then ends with
// kExitDocument).
zarvento::HostDocumentPtr OpenPartDocument(const std::string& path);

}  // namespace zarvento::app
