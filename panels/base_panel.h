// CBasePanel: the base of every property panel of the library. It is what
// the host's property manager notifies, and it runs a panel always in the
// same order (ShowModal): the host's panel is made, filled by the panel
// class, run modally until a button handler ends it, and closed.
//
// A panel class (on CBasePanel3D) edits a private copy of what it was given
// and gives it back on OK only. OnInitPanel builds its tabs and controls on
// `propertyManager` and keeps plain pointers to the controls it answers for
// (the manager owns them for the run); each handler finds the control it is
// given in its table of rows (control_events.h) and returns true.
// OnButtonClick ends the run through EndHostProcess(1, 0) on OK (result 1)
// and Cancel; a handler that opens or closes tabs itself sets
// `suppressTabNotification` around it. A host call that fails throws
// HostError: let it pass, ShowModal and RunPanel leave the busy flag clear
// and the panel unsubscribed on every way out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/dialogs/property_manager.h"
#include "platform/dialogs/property_manager_notify.h"

namespace zarvento {

// The text of the library's entry in the host's library list (host 17 and
// later; empty before): the panels' buttons hand it back to the host. Kept
// from the host's first notification to the library's unload.
const std::string& LibraryEntryText();
void SetLibraryEntryText(std::string text);

class CBasePanel : public PropertyManagerNotify {
public:
    // The panel's name in scripts ("lsc", "program", ...).
    explicit CBasePanel(std::string scriptName);
    ~CBasePanel() override;
    CBasePanel(const CBasePanel&) = delete;
    CBasePanel& operator=(const CBasePanel&) = delete;

    // Runs the panel under the busy flag; the result flag (1 = OK). However
    // the run ends, failures included, the busy flag is clear afterwards and
    // the panel no longer listens to the host.
    std::int32_t ShowModal();
    // Gives every control of every tab the help topic.
    void SetHelpTopic(std::int32_t topic);
    // The host application's property manager.
    std::shared_ptr<PropertyManager> GetPropertyManager();

    // --- the host's notifications ---
    bool OnFirstActivate() override;
    bool OnButtonClick(int buttonId) override;
    bool OnChangeControlValue(PropertyControl&) override { return true; }
    bool OnControlCommand(PropertyControl&, int) override { return true; }
    bool IsButtonEnabled(int buttonId, std::int32_t& state, std::int16_t& enabled) override;
    bool OnHelp() override { return true; }
    bool OnSelectListItem(PropertyControl&, int, int) override { return true; }
    bool OnChangeTab(int) override { return true; }
    bool OnTabStateChanged(int) override { return true; }

    // --- the framework's own ---
    virtual void CreatePanel() = 0;
    virtual std::int32_t RunPanel() = 0;
    // The base hides the operation paths that are shown; a panel class
    // builds its tabs and controls.
    virtual void OnInitPanel();
    virtual void OnClosePanel() {}
    virtual void AfterInitPanel() {}

    std::int32_t Result() const { return result; }
    const std::shared_ptr<PropertyManager>& HostPropertyManager() const { return propertyManager; }

protected:
    // What the host's subscription call takes: the kind and the manager.
    struct SubscriptionRecord {
        int kind = 0;
        std::shared_ptr<PropertyManager> manager;
    };

    std::string scriptName;
    std::shared_ptr<PropertyManager> propertyManager;
    SubscriptionRecord subscription;
    // 1 after OK; panel classes may store other values (2 on Cancel).
    std::int32_t result = 0;
    bool firstActivated = false;
    // Set by panel classes around their own opening and closing of tabs.
    bool suppressTabNotification = false;
};

}  // namespace zarvento
