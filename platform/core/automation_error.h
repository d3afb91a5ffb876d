// How failures cross the automation boundary. A method of an automation
// interface never lets an exception out to its client: it answers an HRESULT,
// and for the system's own failures leaves an error record (interface,
// source, description, help) on the calling thread, which the client takes
// with TakeErrorInfo.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/core/host_error.h"

namespace zarvento {

// The 16-bit code of an interface's own error as an HRESULT: severity error,
// facility of the interface.
constexpr HRESULT InterfaceError(std::uint16_t code) { return static_cast<HRESULT>(0x80040000u | code); }

struct ErrorRecord {
    std::string interfaceId;  // the id of the interface whose method failed
    std::string source;
    std::string description;
    std::string helpFile;
    std::uint32_t helpContext = 0;
};

// The calling thread's error record: set replaces it, take hands it over and
// clears it.
void SetErrorInfo(std::optional<ErrorRecord> record);
std::optional<ErrorRecord> TakeErrorInfo();

// An automation method's own failure, with what its client is told.
class DispatchException : public std::exception {
public:
    DispatchException(std::uint16_t code, std::string description, std::uint32_t helpContext = 0,
                      std::string source = {}, std::string helpFile = {})
        : code_(code),
          description_(std::move(description)),
          source_(std::move(source)),
          helpFile_(std::move(helpFile)),
          helpContext_(helpContext) {}
    const char* what() const noexcept override { return description_.c_str(); }
    std::uint16_t Code() const { return code_; }
    const std::string& Description() const { return description_; }
    const std::string& Source() const { return source_; }
    const std::string& HelpFile() const { return helpFile_; }
    std::uint32_t HelpContext() const { return helpContext_; }

private:
    std::uint16_t code_;
    std::string description_, source_, helpFile_;
    std::uint32_t helpContext_;
};

// An object whose methods leave error records says for which of its
// interfaces they do: S_OK_ for those, S_FALSE (1) for any other.
class ISupportErrorInfo {
public:
    virtual ~ISupportErrorInfo() = default;
    virtual HRESULT InterfaceSupportsErrorInfo(std::string_view interfaceId) = 0;
};

// Who answers for a method: the interface, and the application's name and
// help file that a record falls back on.
struct AutomationSource {
    std::string_view interfaceId;
    std::string_view applicationName;
    std::string_view helpFile;
};

// The descriptions of the two failures the framework words itself.
inline constexpr const char* kOutOfMemoryText = "Out of memory.";
inline constexpr const char* kInternalFailureText = "An internal application error has occurred.";

// Turns the exception being handled into the method's HRESULT, leaving the
// record: a DispatchException gives InterfaceError(its code) with its texts
// (the source defaulting to the application, the help file to the
// application's when a help context is given); running out of memory gives
// E_OUTOFMEMORY; a HostError (a failed call of the host's own) gives its code
// and no record; anything else E_UNEXPECTED.
HRESULT ErrorFromCurrentException(const AutomationSource& source);

// Runs a method body that answers an HRESULT, keeping every exception inside.
template <typename Body>
HRESULT AutomationCall(const AutomationSource& source, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return ErrorFromCurrentException(source);
    }
}

}  // namespace zarvento
