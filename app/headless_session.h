// HeadlessSession: what a command of the program that runs the library sets
// up (the operations' factory, the panels on the host over the headless ones,
// the host's registry) and takes down again.
#pragma once

#include "operations/headless_turn_panels.h"

namespace zarvento::app {

class HeadlessSession {
public:
    HeadlessSession();
    // The plan, its data and the documents go before the program's statics
    // do, whatever way the command ends; the echoes are switched off.
    ~HeadlessSession();
    HeadlessSession(const HeadlessSession&) = delete;
    HeadlessSession& operator=(const HeadlessSession&) = delete;

private:
    HeadlessTurnPanels panels_;
};

}  // namespace zarvento::app
