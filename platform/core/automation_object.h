// An object reached by late binding, as an automation client reaches the
// objects of a server: members called by name with Variant arguments and a
// Variant result. Objects of a server in a process of its own are reached
// through such objects (platform/processes/local_server.h); a server's objects are
// written as such objects, so that a test can also call them in-process.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "platform/core/automation_error.h"
#include "platform/core/host_object.h"
#include "platform/core/variant.h"

namespace zarvento {

class AutomationObject : public HostObject {
public:
    // Calls a method, or a property: its value with no arguments, a new value
    // with one. Never raises: a failure answers its HRESULT and may leave an
    // error record (TakeErrorInfo) that describes it. An unknown member
    // answers DISP_E_MEMBERNOTFOUND.
    virtual HRESULT Invoke(std::string_view member, const std::vector<Variant>& args, Variant& result) = 0;
};

using AutomationObjectPtr = std::shared_ptr<AutomationObject>;

inline constexpr HRESULT DISP_E_MEMBERNOTFOUND_ = static_cast<HRESULT>(0x80020003u);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT_ = static_cast<HRESULT>(0x8002000Eu);

// Invoke as the client's wrapper does it: a failure raises HostError whose
// text is the error record's description (the code alone when there is none).
Variant CallMember(AutomationObject& object, std::string_view member, std::vector<Variant> args = {});

// The automation object a result refers to; null for an empty result or a
// null reference. Any other value raises HostError(DISP_E_TYPEMISMATCH).
AutomationObjectPtr AutomationObjectOf(const Variant& value);

// For a server's Invoke: runs `body`, which returns the result, and turns
// what it raises into the HRESULT and error record (ErrorFromCurrentException).
template <typename Body>
HRESULT InvokeBody(const AutomationSource& source, Variant& result, Body&& body) noexcept {
    return AutomationCall(source, [&]() -> HRESULT {
        result = body();
        return S_OK_;
    });
}

}  // namespace zarvento
