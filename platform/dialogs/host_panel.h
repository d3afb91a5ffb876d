// The panel of a 3D document's window, where a library places controls of
// its own beside the host's trees: a control is asked for by its ProgID
// (made through the component registry), placed with a caption in the
// panel's window, and removed again by whoever placed it. Every call can be
// made to fail (HostFaults "HostPanel.AddControl", "HostPanel.Refresh",
// "HostPanel.RemoveControl", "FramePanel").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/host_object.h"
#include "platform/dialogs/host_window.h"

namespace zarvento {

class HostPanel {
public:
    // The size the panel gives a control it places.
    static constexpr WindowRect kControlRect{0, 0, 240, 480};

    HostPanel() = default;
    // The panel goes with its window: the controls' windows go first.
    ~HostPanel();
    HostPanel(const HostPanel&) = delete;
    HostPanel& operator=(const HostPanel&) = delete;

    // Makes the control of a ProgID and places it under the caption; null
    // when the class is not registered, its module does not load or it is
    // no control that a panel can place (LastFailure says which).
    HostObjectPtr AddControl(std::string_view progId, std::string_view caption);
    const std::string& LastFailure() const { return lastFailure_; }
    // Lays the panel out again (counted).
    void Refresh();
    int RefreshCount() const { return refreshes_; }
    // Takes a placed control out, its window destroyed; E_INVALIDARG for one
    // the panel does not hold.
    void RemoveControl(const HostObjectPtr& control);

    struct Placed {
        HostObjectPtr control;
        std::string caption;
    };
    const std::vector<Placed>& Controls() const { return placed_; }
    HostWindow& Window() { return window_; }

private:
    HostWindow window_;
    std::vector<Placed> placed_;
    std::string lastFailure_;
    int refreshes_ = 0;
};

// The panel of a document's window (DocumentFrame); E_NOINTERFACE for an
// object that is no such window.
HostPanel& FramePanel(const HostObjectPtr& frame);

}  // namespace zarvento
