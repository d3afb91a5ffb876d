// Servers in a process of their own, the out-of-process kind of the
// component registry ("LocalServer32"): creating one of their classes starts
// the server's program, the client speaks to it over a pipe (a connected
// socket pair on the program's standard input and output) and the program
// ends when the client lets go of the last of its objects.
//
// Every wait of the client is bounded (LocalServerTimeouts): a program that
// cannot start, ends, or does not answer in time is a failed call, never a
// hang, and a server that failed once is ended and answers no more.
//
// The protocol is lines of UTF-8 text; fields are separated by TAB, and a
// backslash, TAB, CR or LF inside a field is written \\, \t, \r, \n.
//   server, at start:  READY                     or FAIL <why>
//   client:            CREATE <class id>         -> OK <value> | ERR <hresult> <description>
//                      CALL <object> <member> <argument>...  -> the same
//                      RELEASE <object>          (no answer)
// A value is E (empty), I<n> (I4), N<n> (INT), R<number>, B0 / B1, S<text>,
// or O<object> (0: a null reference); objects are numbered by the server.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/automation_object.h"
#include "platform/core/host_error.h"

namespace zarvento {

inline constexpr HRESULT CO_E_SERVER_EXEC_FAILURE_ = static_cast<HRESULT>(0x80080005u);
inline constexpr HRESULT RPC_E_DISCONNECTED_ = static_cast<HRESULT>(0x80010108u);
inline constexpr HRESULT RPC_E_TIMEOUT_ = static_cast<HRESULT>(0x8001011Fu);

struct LocalServerTimeouts {
    int startMs = 10000;  // from starting the program to its READY
    int callMs = 30000;   // from a request to its answer
};

// Process-wide; a state reset restores the defaults.
LocalServerTimeouts GetLocalServerTimeouts();
void SetLocalServerTimeouts(const LocalServerTimeouts& timeouts);

// A registered command line as program and arguments: words separated by
// blanks, double quotes keeping blanks inside a word.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// --- the client's side ---

// Starts the program of `commandLine` and creates the object of `clsid` in
// it. CO_E_SERVER_EXEC_FAILURE when the program cannot be started, ends or
// does not answer in time; the server's own code when it refuses the class.
// `error` gets the reason.
HRESULT CreateLocalServerObject(std::string_view commandLine, std::string_view clsid, AutomationObjectPtr& object,
                                std::string* error = nullptr);

// --- the server's side ---

// Makes the object a client creates by class id; null: the class is not served.
using LocalClassFactory = std::function<AutomationObjectPtr(std::string_view clsid)>;

// Says READY, then answers the client's requests on `in` and `out` until the
// client closes its end. Returns 0 then, 1 when the pipe fails.
int ServeLocalServer(const LocalClassFactory& create, int in = 0, int out = 1);
// Says FAIL with the reason instead of READY, for a program that cannot serve.
void RefuseLocalServerStart(std::string_view reason, int out = 1);

}  // namespace zarvento
