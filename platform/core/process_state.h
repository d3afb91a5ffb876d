// Process-wide state of the system is gathered per subsystem; each owner
// registers a reset so that tests (and a new document) start clean.
#pragma once

namespace zarvento {

// Registers a reset that ResetProcessState runs. Call it from a static
// initialiser of the owning file (see ZARVENTO_STATE_RESET): a file the
// linker leaves out has no state to reset.
void RegisterStateReset(void (*reset)());

// Runs every registered reset, in registration order.
void ResetProcessState();

// Drops the resets whose code no longer lies in any loaded module: a library
// module that was unloaded took its state with it.
void DropStateResetsOfUnloadedModules();

}  // namespace zarvento

#define ZARVENTO_CONCAT_INNER(a, b) a##b
#define ZARVENTO_CONCAT(a, b) ZARVENTO_CONCAT_INNER(a, b)
// ZARVENTO_STATE_RESET { body } registers body as a reset of this file's state.
#define ZARVENTO_STATE_RESET                                                                \
    static void ZARVENTO_CONCAT(zarventoReset_, __LINE__)();                                \
    static const bool ZARVENTO_CONCAT(zarventoResetRegistered_, __LINE__) =                 \
        (::zarvento::RegisterStateReset(&ZARVENTO_CONCAT(zarventoReset_, __LINE__)), true); \
    static void ZARVENTO_CONCAT(zarventoReset_, __LINE__)()
