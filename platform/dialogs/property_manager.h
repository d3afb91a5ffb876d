// The host application's property manager of the headless host: the panel
// beside the 3D view with its caption, tabs and controls, the panel that
// subscribed to its notifications, and the host's side of every user action
// (typing, choosing, pressing, selecting, opening a tab). What the host does
// on a user action, and the habits the panels rely on, live here:
//   - a value outside a control's range, or no number where one is asked
//     for, is refused and nothing is sent;
//   - selecting a row first deselects the previous one (state 0), and a
//     selection answered false puts the previous one back;
//   - a row the panel selects itself is reported like the user's;
//   - a grid's selection index carries the row in its low 8 bits, the column
//     above them;
//   - opening or closing a tab, by the user or by the panel itself, is sent
//     as OnTabStateChanged on hosts of major version 17 and later; on older
//     hosts the user's choice of a tab is sent as OnChangeTab;
//   - the panel's own buttons are asked IsButtonEnabled before every use.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/user_action_result.h"
#include "platform/dialogs/property_manager_notify.h"
#include "platform/dialogs/property_tab.h"

namespace zarvento {

// The subscription kind of property-manager notifications.
inline constexpr int kPropertyManagerNotifications = 12;

// The panel's own buttons.
inline constexpr int kPanelButtonOK = 1;
inline constexpr int kPanelButtonCancel = 2;
inline constexpr int kPanelButtonHelp = 8;

class PropertyManager {
public:
    PropertyManager();
    PropertyManager(const PropertyManager&) = delete;
    PropertyManager& operator=(const PropertyManager&) = delete;

    // --- the panel's host calls ---
    // The set-up calls with their numbers; 0 begins a new layout: the tabs of
    // the panel shown before go.
    void Setup(int value);
    const std::vector<int>& SetupCalls() const { return setupCalls_; }
    void SetCaption(std::string caption);
    const std::string& Caption() const { return caption_; }
    int TabCount() const;
    // DISP_E_BADINDEX outside [0, count - 1].
    PropertyTab& Tab(int i) const;
    PropertyTab& AddTab(std::string caption);
    // The host's own first tab, which a panel that builds its own hides.
    PropertyTab& DefaultTab();
    // The set-up call of the tab collection.
    void TabsSetup(int value);
    const std::vector<int>& TabsSetupCalls() const { return tabsSetupCalls_; }
    // The current tab, or null.
    PropertyTab* CurrentTab() const { return current_; }
    void MakeCurrent(PropertyTab* tab) { current_ = tab; }

    // The subscription of a panel: E_INVALIDARG for another kind than 12.
    void Subscribe(int kind, PropertyManagerNotify* notify);
    void Unsubscribe(int kind, PropertyManagerNotify* notify);
    PropertyManagerNotify* Subscriber() const { return subscriber_; }
    // The host's own clean-up when a subscriber goes away without having
    // unsubscribed (its unsubscription failed): nothing is sent to it again.
    void DropSubscriber(PropertyManagerNotify* notify) {
        if (subscriber_ == notify) subscriber_ = nullptr;
    }

    // The name scripts know the panel by (the headless host's own label).
    void SetScriptName(std::string name) { scriptName_ = std::move(name); }
    const std::string& ScriptName() const { return scriptName_; }
    // The prompt of the picking process attached to this manager.
    void SetPrompt(std::string prompt) { prompt_ = std::move(prompt); }
    const std::string& Prompt() const { return prompt_; }

    // --- the host's side ---
    // Shows the panel: OnFirstActivate, then the buttons asked.
    void Activate();
    // Asks the subscriber about OK, Cancel and help.
    void RefreshButtons();
    bool ButtonEnabled(int id) const;

    // User actions. Hidden, disabled or read-only controls refuse them.
    UserActionResult UserClick(int buttonId);
    // Types the text into an edit, ticks a check box ("1", "0", "on", "off"),
    // chooses the item of that text in a drop-down list, or moves a slide.
    UserActionResult UserSetValue(PropertyControl& control, const std::string& text);
    // A button (kind 13).
    UserActionResult UserPress(PropertyControl& control);
    // A button of a control's bar or group.
    UserActionResult UserCommand(PropertyControl& control, int id);
    // A row of a list or a text list; -1 clicks beside the rows.
    UserActionResult UserSelect(PropertyControl& control, int row);
    // A cell of a grid (row 0 is the first fixed row, if any).
    UserActionResult UserSelectCell(PropertyControl& control, int row, int column);
    // Types a cell of a grid: it becomes current, takes the text, and the
    // change is sent.
    UserActionResult UserEditCell(PropertyControl& control, int row, int column, const std::string& text);
    UserActionResult UserOpenTab(PropertyTab& tab);
    UserActionResult UserCloseTab(PropertyTab& tab);

    // --- the host's habits, also for what the panel does itself ---
    // Moves a list's selection to `index` (-1: none): the previous row is
    // deselected first, the new one selected; refused, the previous one comes
    // back. Sends only while a panel listens.
    bool SelectRow(PropertyControl& control, int index);
    bool SelectCell(PropertyControl& control, int row, int column);
    // A tab opened or closed: OnTabStateChanged on hosts 17 and later.
    void TabStateChanged(PropertyTab& tab);

    // The grid selection index: the row in the low 8 bits, the column above.
    static int GridSelectionIndex(int row, int column) { return (column << 8) | (row & 0xFF); }

    // Finds a visible control by its hint or caption (the n-th match, from 1);
    // a hidden one only when no visible one matches. An empty name finds the
    // n-th control of the panel, in the order of its tabs (for a control the
    // panel leaves without a name). Null when none does.
    PropertyControl* FindControl(std::string_view name, int occurrence = 1) const;
    PropertyTab* FindTab(std::string_view caption) const;

    // The panel's whole state as text.
    std::string Dump() const;

private:
    std::vector<int> setupCalls_;
    std::vector<int> tabsSetupCalls_;
    std::string caption_;
    std::unique_ptr<PropertyTab> defaultTab_;
    std::vector<std::unique_ptr<PropertyTab>> tabs_;
    PropertyTab* current_ = nullptr;
    PropertyManagerNotify* subscriber_ = nullptr;
    std::string scriptName_;
    std::string prompt_;
    std::map<int, bool> buttons_;
};

// The property manager of the host application (one per application); a
// host call that may fail.
std::shared_ptr<PropertyManager> ApplicationPropertyManager();

}  // namespace zarvento
