// Calling automation objects from the client's side.
#include "platform/core/automation_object.h"

namespace zarvento {

Variant CallMember(AutomationObject& object, std::string_view member, std::vector<Variant> args) {
    SetErrorInfo(std::nullopt);
    Variant result;
    const HRESULT hr = object.Invoke(member, args, result);
    if (hr < 0) {
        std::optional<ErrorRecord> record = TakeErrorInfo();
        if (record && !record->description.empty()) throw HostError(hr, record->description);
        throw HostError(hr, std::string(member) + " failed");
    }
    return result;
}

AutomationObjectPtr AutomationObjectOf(const Variant& value) {
    if (value.IsEmpty()) return nullptr;
    const HostObjectPtr& object = value.AsDispatch();
    if (!object) return nullptr;
    AutomationObjectPtr automation = std::dynamic_pointer_cast<AutomationObject>(object);
    if (!automation) throw HostError(DISP_E_TYPEMISMATCH_, "the object has no automation interface");
    return automation;
}

}  // namespace zarvento
