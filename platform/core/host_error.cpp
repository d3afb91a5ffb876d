// HostError: formatting of the code into its message.
#include "platform/core/host_error.h"

#include <cstdio>

namespace zarvento {

std::string FormatHResult(HRESULT code) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(code));
    return buf;
}

HostError::HostError(HRESULT code, const std::string& what)
    : std::runtime_error(what + " (" + FormatHResult(code) + ")"), code_(code), message_(what) {}

HostError::HostError(HRESULT code)
    : std::runtime_error(FormatHResult(code)), code_(code), message_(FormatHResult(code)) {}

std::string HostErrorText(const HostError& e) { return "Ошибка обращения к системе: " + std::string(e.what()); }

}  // namespace zarvento
