// HeadlessSession: what a verb of the command-line program takes down when it
// ends (the library's wiring was done when the module was attached).
#pragma once

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

}  // namespace zarvento::app
