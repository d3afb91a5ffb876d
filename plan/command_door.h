// The one door every command of the library passes: the command wrapper
// RunLibraryCommand and the plan's action switch ExecuteAction, with the
// document test and the host references held for the command.
#pragma once

#include <cstdint>

#include "platform/documents/host_document.h"

namespace zarvento {

class CPLAN;

// Action codes with a role of their own at the door.
enum PlanAction : std::int32_t {
    kActionSPID = 0,
    kActionCreateTurn = 1,
    kActionEditTurn = 2,
    kActionSelectTurn = 6,
    kActionSynchronize = 20,
    kActionCreateTree = 21,
    kActionRelease = 22,
    kActionSettings = 25,
    kActionLSC = 30,
    kActionClearPlan = 36,
};

// Set by the first command that finds a part or assembly; never cleared
// again in the process (tests reset it).
extern bool StartedFlag;

// Runs a command: 0 when no part or assembly is active, 1 otherwise. On the
// first command it builds the plan tree (21) and synchronises (20) first.
// Nothing thrown crosses it: the system's Exception and host errors alike
// are reported through the host message call, and the modal bracket, the busy
// flag and the held references are given back on every path.
std::int32_t RunLibraryCommand(std::int32_t type, std::int32_t action, std::int32_t index);

// Whether an action code names one of the door's commands (the others reach
// none: only the checks and the redraw run).
bool IsKnownAction(std::int32_t action);

// Whether an id is one the library's menu, toolbar or plan tree sends (any
// other reaches no command of the library's entry).
bool IsMenuCommand(std::int32_t id);

// Whether the last RunLibraryCommand ended in a reported failure.
bool LastCommandFailed();
// The host binding's entry sets it for a command it refuses with a message
// before the command reaches the door (and clears it for one that passes).
void SetLastCommandFailed(bool failed);

// The action switch: 0 for actions 20, 21, 22, 36 and for a refusal, else 1.
std::int32_t ExecuteAction(CPLAN* plan, std::int32_t type, std::int32_t action, std::int32_t index);

// The active document is a part or an assembly (not the hidden work
// document). E_POINTER without a host application.
bool IsPartOrAssemblyActive();

// Takes the active document's references for a command; E_POINTER without
// an application or an active document.
void InitGlobalVariables();
// Gives back the references of the command; the active document and its
// view stay held until the next command. E_POINTER when none is held.
void ReleaseGlobalVariable();
// The active document held by the current (or last) command, or null.
HostDocumentPtr HeldActiveDocument();

}  // namespace zarvento
