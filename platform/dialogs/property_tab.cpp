// The tabs of the property manager.
#include "platform/dialogs/property_tab.h"

#include "platform/core/host_faults.h"
#include "platform/dialogs/property_manager.h"

namespace zarvento {

PropertyTab::PropertyTab(PropertyManager& manager, std::string caption, int index)
    : manager_(manager), caption_(std::move(caption)), index_(index) {}

void PropertyTab::SetCaption(std::string caption) {
    HostFaults::Check("PropertyTab.Caption");
    caption_ = std::move(caption);
}

void PropertyTab::SetImage(HostImage image) {
    HostFaults::Check("PropertyTab.Image");
    image_ = image;
}

void PropertyTab::SetVisible(bool visible) {
    HostFaults::Check("PropertyTab.Visible");
    visible_ = visible;
}

void PropertyTab::SetCurrent() {
    HostFaults::Check("PropertyTab.Current");
    manager_.MakeCurrent(this);
}

bool PropertyTab::IsCurrent() const { return manager_.CurrentTab() == this; }

void PropertyTab::SetExpanded(bool expanded) {
    HostFaults::Check("PropertyTab.Expanded");
    if (expanded_ == expanded) return;
    expanded_ = expanded;
    manager_.TabStateChanged(*this);
}

void PropertyTab::Setup(int value) {
    HostFaults::Check("PropertyTab.Setup");
    setupCalls_.push_back(value);
}

int PropertyTab::ControlCount() const {
    HostFaults::Check("PropertyControls.Count");
    return static_cast<int>(controls_.size());
}

PropertyControl& PropertyTab::Control(int i) const {
    HostFaults::Check("PropertyControls.Item");
    if (i < 0 || i >= static_cast<int>(controls_.size()))
        throw HostError(DISP_E_BADINDEX_, "no control " + std::to_string(i));
    return *controls_[static_cast<std::size_t>(i)];
}

PropertyControl& PropertyTab::AddControl(int kindNumber) {
    HostFaults::Check("PropertyControls.Add");
    PropertyControlKind kind;
    if (!PropertyControlKindFromNumber(kindNumber, kind))
        throw HostError(E_INVALIDARG_, "no control kind " + std::to_string(kindNumber));
    controls_.push_back(std::make_unique<PropertyControl>(*this, kind));
    return *controls_.back();
}

PropertyControl& PropertyTab::AddTextList() {
    HostFaults::Check("PropertyControls.AddTextList");
    controls_.push_back(std::make_unique<PropertyControl>(*this, PropertyControlKind::TextList));
    return *controls_.back();
}

}  // namespace zarvento
