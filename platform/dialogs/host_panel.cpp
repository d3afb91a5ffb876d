// Controls placed in a window's panel.
#include "platform/dialogs/host_panel.h"

#include <algorithm>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/dialogs/host_control.h"
#include "platform/processes/component_registry.h"

namespace zarvento {

namespace {

std::string Hex(HRESULT code) {
    static const char digits[] = "0123456789ABCDEF";
    auto value = static_cast<std::uint32_t>(code);
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += digits[(value >> shift) & 0xF];
    return text;
}

}  // namespace

HostPanel::~HostPanel() {
    for (const Placed& p : placed_)
        if (auto* site = dynamic_cast<HostControl*>(p.control.get())) site->DestroyControlWindow();
}

HostObjectPtr HostPanel::AddControl(std::string_view progId, std::string_view caption) {
    HostFaults::Check("HostPanel.AddControl");
    lastFailure_.clear();
    HostObjectPtr object;
    std::string error;
    const HRESULT code = ComponentRegistry::CreateInstance(progId, object, &error);
    if (code != S_OK_ || !object) {
        lastFailure_ = std::string(progId) + ": " + Hex(code) + (error.empty() ? "" : " " + error);
        return nullptr;
    }
    auto* site = dynamic_cast<HostControl*>(object.get());
    if (!site) {
        lastFailure_ = std::string(progId) + ": not a control";
        return nullptr;
    }
    if (!site->CreateControlWindow(&window_, kControlRect)) {
        lastFailure_ = std::string(progId) + ": its window cannot be made";
        return nullptr;
    }
    placed_.push_back(Placed{object, std::string(caption)});
    return object;
}

void HostPanel::Refresh() {
    HostFaults::Check("HostPanel.Refresh");
    ++refreshes_;
}

void HostPanel::RemoveControl(const HostObjectPtr& control) {
    HostFaults::Check("HostPanel.RemoveControl");
    auto it = std::find_if(placed_.begin(), placed_.end(), [&](const Placed& p) { return p.control == control; });
    if (it == placed_.end()) throw HostError(E_INVALIDARG_, "the panel holds no such control");
    const HostObjectPtr removed = it->control;
    placed_.erase(it);
    if (auto* site = dynamic_cast<HostControl*>(removed.get())) site->DestroyControlWindow();
}

}  // namespace zarvento
