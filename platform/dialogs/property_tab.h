// A tab of the host's property manager: its caption, image and states, and
// its controls in the order they were added.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/dialogs/property_control.h"

namespace zarvento {

class PropertyManager;

class PropertyTab {
public:
    // index: the position in the manager's collection; -1 for the default tab.
    PropertyTab(PropertyManager& manager, std::string caption, int index);
    PropertyTab(const PropertyTab&) = delete;
    PropertyTab& operator=(const PropertyTab&) = delete;

    PropertyManager& Manager() const { return manager_; }
    int Index() const { return index_; }

    void SetCaption(std::string caption);
    const std::string& Caption() const { return caption_; }
    void SetImage(HostImage image);
    const HostImage& Image() const { return image_; }
    void SetVisible(bool visible);
    bool Visible() const { return visible_; }
    // Makes this the manager's current tab.
    void SetCurrent();
    bool IsCurrent() const;
    // Opens or closes the tab. On hosts whose tabs open and close (major
    // version 17 and later) the host reports a change the panel makes itself
    // with OnTabStateChanged, as it does the user's.
    void SetExpanded(bool expanded);
    bool Expanded() const { return expanded_; }
    // The set-up call of the tab (or of the tab collection, for the default tab).
    void Setup(int value);
    const std::vector<int>& SetupCalls() const { return setupCalls_; }

    int ControlCount() const;
    // DISP_E_BADINDEX outside [0, count - 1].
    PropertyControl& Control(int i) const;
    // The host's add-control call by kind number; E_INVALIDARG for a number
    // the host does not know.
    PropertyControl& AddControl(int kindNumber);
    PropertyControl& AddControl(PropertyControlKind kind) { return AddControl(static_cast<int>(kind)); }
    // The multi-line text list.
    PropertyControl& AddTextList();
    const std::vector<std::unique_ptr<PropertyControl>>& Controls() const { return controls_; }

    // For the host's own side: the state without a host call or notification.
    void StoreExpanded(bool expanded) { expanded_ = expanded; }

private:
    PropertyManager& manager_;
    std::string caption_;
    int index_;
    HostImage image_;
    bool visible_ = true;
    bool expanded_ = false;
    std::vector<int> setupCalls_;
    std::vector<std::unique_ptr<PropertyControl>> controls_;
};

}  // namespace zarvento
