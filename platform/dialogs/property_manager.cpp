// The property manager of the headless host: the panel's calls, the user's
// actions and the host's habits in answering them.
#include "platform/dialogs/property_manager.h"

#include <cmath>

#include "platform/core/host_faults.h"
#include "platform/core/host_major_version.h"
#include "platform/core/process_state.h"
#include "platform/documents/host_application.h"

namespace zarvento {

namespace {

std::shared_ptr<PropertyManager> applicationManager;

ZARVENTO_STATE_RESET { applicationManager.reset(); }

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool TabsOpenAndClose() { return HostMajorVersion() >= 17; }

// A panel that answers a selection or a tab's change by making another one
// is notified again from inside its handler; one that does so without end
// is stopped here rather than by the stack.
constexpr int kMaxNesting = 64;
int nesting = 0;

class Nested {
public:
    Nested() {
        if (nesting >= kMaxNesting) throw HostError(E_FAIL_, "the panel's notifications nest too deep");
        ++nesting;
    }
    ~Nested() { --nesting; }
    Nested(const Nested&) = delete;
    Nested& operator=(const Nested&) = delete;
};

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Why a control cannot take a user's action now, or empty.
std::string Unusable(const PropertyControl& control) {
    if (!control.Visible() || !control.Tab().Visible()) return "the control is hidden";
    if (!control.Enabled()) return "the control is disabled";
    return {};
}

std::string RangeText(const PropertyControl& control) {
    return FormatDouble(control.Minimum()) + " .. " + FormatDouble(control.Maximum());
}

}  // namespace

PropertyManager::PropertyManager() : defaultTab_(std::make_unique<PropertyTab>(*this, std::string(), -1)) {}

std::shared_ptr<PropertyManager> ApplicationPropertyManager() {
    HostFaults::Check("Application.PropertyManager");
    if (!HostApplicationObject()) throw HostError(E_POINTER_, "no host application");
    if (!applicationManager) applicationManager = std::make_shared<PropertyManager>();
    return applicationManager;
}

void PropertyManager::Setup(int value) {
    HostFaults::Check("PropertyManager.Setup");
    if (value == 0) {
        // A new panel: nothing of the one shown before stays.
        current_ = nullptr;
        tabs_.clear();
        defaultTab_ = std::make_unique<PropertyTab>(*this, std::string(), -1);
        setupCalls_.clear();
        tabsSetupCalls_.clear();
        caption_.clear();
        prompt_.clear();
        buttons_.clear();
    }
    setupCalls_.push_back(value);
}

void PropertyManager::SetCaption(std::string caption) {
    HostFaults::Check("PropertyManager.Caption");
    caption_ = std::move(caption);
}

int PropertyManager::TabCount() const {
    HostFaults::Check("PropertyTabs.Count");
    return static_cast<int>(tabs_.size());
}

PropertyTab& PropertyManager::Tab(int i) const {
    HostFaults::Check("PropertyTabs.Item");
    if (i < 0 || i >= static_cast<int>(tabs_.size())) throw HostError(DISP_E_BADINDEX_, "no tab " + std::to_string(i));
    return *tabs_[static_cast<std::size_t>(i)];
}

PropertyTab& PropertyManager::AddTab(std::string caption) {
    HostFaults::Check("PropertyTabs.Add");
    tabs_.push_back(std::make_unique<PropertyTab>(*this, std::move(caption), static_cast<int>(tabs_.size())));
    return *tabs_.back();
}

PropertyTab& PropertyManager::DefaultTab() {
    HostFaults::Check("PropertyTabs.Default");
    return *defaultTab_;
}

void PropertyManager::TabsSetup(int value) {
    HostFaults::Check("PropertyTabs.Setup");
    tabsSetupCalls_.push_back(value);
}

void PropertyManager::Subscribe(int kind, PropertyManagerNotify* notify) {
    HostFaults::Check("PropertyManager.Subscribe");
    if (kind != kPropertyManagerNotifications || notify == nullptr)
        throw HostError(E_INVALIDARG_, "subscription of kind " + std::to_string(kind));
    subscriber_ = notify;
}

void PropertyManager::Unsubscribe(int kind, PropertyManagerNotify* notify) {
    HostFaults::Check("PropertyManager.Unsubscribe");
    if (kind != kPropertyManagerNotifications)
        throw HostError(E_INVALIDARG_, "subscription of kind " + std::to_string(kind));
    if (subscriber_ == notify) subscriber_ = nullptr;
}

void PropertyManager::Activate() {
    if (subscriber_) subscriber_->OnFirstActivate();
    RefreshButtons();
}

void PropertyManager::RefreshButtons() {
    for (int id : {kPanelButtonOK, kPanelButtonCancel, kPanelButtonHelp}) {
        std::int32_t state = 0;
        std::int16_t enabled = 1;
        if (subscriber_) subscriber_->IsButtonEnabled(id, state, enabled);
        buttons_[id] = enabled != 0;
    }
}

bool PropertyManager::ButtonEnabled(int id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() || it->second;
}

UserActionResult PropertyManager::UserClick(int buttonId) {
    if (subscriber_) {
        std::int32_t state = 0;
        std::int16_t enabled = 1;
        subscriber_->IsButtonEnabled(buttonId, state, enabled);
        buttons_[buttonId] = enabled != 0;
    }
    if (!ButtonEnabled(buttonId))
        return UserActionResult::Refused("the button " + std::to_string(buttonId) + " is disabled");
    if (subscriber_) subscriber_->OnButtonClick(buttonId);
    if (subscriber_) RefreshButtons();
    return {};
}

UserActionResult PropertyManager::UserSetValue(PropertyControl& control, const std::string& typed) {
    if (std::string why = Unusable(control); !why.empty()) return UserActionResult::Refused(why);
    const std::string text = Trimmed(typed);
    switch (control.Kind()) {
        case PropertyControlKind::IntegerEdit:
        case PropertyControlKind::Slide: {
            if (control.ReadOnly()) return UserActionResult::Refused("the control is read-only");
            std::int32_t v = 0;
            if (!ParseInt(text, v)) return UserActionResult::Refused("\"" + typed + "\" is not a whole number");
            if (control.HasRange() && (v < control.Minimum() || v > control.Maximum()))
                return UserActionResult::Refused(text + " is outside " + RangeText(control));
            control.StoreValue(Variant::I4(v));
            break;
        }
        case PropertyControlKind::RealEdit: {
            if (control.ReadOnly()) return UserActionResult::Refused("the control is read-only");
            // The host's edit takes the decimal comma of its users' locale too.
            std::string number = text;
            for (char& c : number)
                if (c == ',') c = '.';
            double v = 0;
            if (!ParseDouble(number, v) || !std::isfinite(v))
                return UserActionResult::Refused("\"" + typed + "\" is not a number");
            if (control.HasRange() && (v < control.Minimum() || v > control.Maximum()))
                return UserActionResult::Refused(text + " is outside " + RangeText(control));
            control.StoreValue(Variant::R8(v));
            break;
        }
        case PropertyControlKind::TextEdit:
            if (control.ReadOnly()) return UserActionResult::Refused("the control is read-only");
            control.StoreValue(Variant::BStr(typed));
            break;
        case PropertyControlKind::CheckBox: {
            bool on = false;
            if (text == "1" || text == "on" || text == "yes" || text == "true") {
                on = true;
            } else if (!(text == "0" || text == "off" || text == "no" || text == "false")) {
                return UserActionResult::Refused("a check box is set on or off, not \"" + typed + "\"");
            }
            control.StoreValue(Variant::Bool(on));
            break;
        }
        case PropertyControlKind::DropDownList: {
            const int index = control.IndexOfValue(typed);
            if (index < 0) return UserActionResult::Missing("the list has no item \"" + typed + "\"");
            control.StoreCurrentItem(index);
            break;
        }
        default:
            return UserActionResult::Refused(std::string("a ") + PropertyControlKindName(control.Kind()) +
                                             " takes no typed value");
    }
    if (subscriber_) subscriber_->OnChangeControlValue(control);
    if (subscriber_) RefreshButtons();
    return {};
}

UserActionResult PropertyManager::UserPress(PropertyControl& control) {
    if (std::string why = Unusable(control); !why.empty()) return UserActionResult::Refused(why);
    if (control.Kind() != PropertyControlKind::Button) return UserActionResult::Refused("the control is no button");
    if (subscriber_) subscriber_->OnControlCommand(control, control.Id());
    if (subscriber_) RefreshButtons();
    return {};
}

UserActionResult PropertyManager::UserCommand(PropertyControl& control, int id) {
    if (std::string why = Unusable(control); !why.empty()) return UserActionResult::Refused(why);
    const PropertyButton* button = control.Button(id);
    if (!button) return UserActionResult::Missing("the control has no button " + std::to_string(id));
    if (!button->enabled) return UserActionResult::Refused("the button " + std::to_string(id) + " is disabled");
    if (subscriber_) subscriber_->OnControlCommand(control, id);
    if (subscriber_) RefreshButtons();
    return {};
}

UserActionResult PropertyManager::UserSelect(PropertyControl& control, int row) {
    if (std::string why = Unusable(control); !why.empty()) return UserActionResult::Refused(why);
    const bool textList = control.Kind() == PropertyControlKind::TextList;
    if (!textList && control.Kind() != PropertyControlKind::ListWithButtons &&
        control.Kind() != PropertyControlKind::ImageList)
        return UserActionResult::Refused("rows are selected in lists only");
    const int count = static_cast<int>(textList ? control.Lines().Lines().size() : control.Items().size());
    if (row < -1 || row >= count) return UserActionResult::Missing("the list has no row " + std::to_string(row));
    const bool kept = SelectRow(control, row);
    if (subscriber_) RefreshButtons();
    if (!kept) return UserActionResult::Refused("the panel kept its selection");
    return {};
}

UserActionResult PropertyManager::UserSelectCell(PropertyControl& control, int row, int column) {
    if (std::string why = Unusable(control); !why.empty()) return UserActionResult::Refused(why);
    if (control.Kind() != PropertyControlKind::Grid) return UserActionResult::Refused("the control is no grid");
    if (row < 0 || row >= control.Grid().RowCount() || column < 0 || column >= control.ColumnCount())
        return UserActionResult::Missing("the grid has no cell " + std::to_string(row) + ", " + std::to_string(column));
    const bool kept = SelectCell(control, row, column);
    if (subscriber_) RefreshButtons();
    if (!kept) return UserActionResult::Refused("the panel kept its selection");
    return {};
}

UserActionResult PropertyManager::UserEditCell(PropertyControl& control, int row, int column, const std::string& text) {
    if (std::string why = Unusable(control); !why.empty()) return UserActionResult::Refused(why);
    if (control.Kind() != PropertyControlKind::Grid) return UserActionResult::Refused("the control is no grid");
    if (control.ReadOnly()) return UserActionResult::Refused("the control is read-only");
    if (row < control.FixedRows() || column < std::max(control.FixedColumns(), control.ReadOnlyColumns()))
        return UserActionResult::Refused("the cell " + std::to_string(row) + ", " + std::to_string(column) +
                                         " cannot be edited");
    if (UserActionResult selected = UserSelectCell(control, row, column); !selected.done) return selected;
    control.Grid().SetCellText(row, column, text);
    if (subscriber_) subscriber_->OnChangeControlValue(control);
    if (subscriber_) RefreshButtons();
    return {};
}

UserActionResult PropertyManager::UserOpenTab(PropertyTab& tab) {
    if (!tab.Visible()) return UserActionResult::Refused("the tab is hidden");
    current_ = &tab;
    if (TabsOpenAndClose()) {
        if (!tab.Expanded()) {
            tab.StoreExpanded(true);
            TabStateChanged(tab);
        }
    } else if (subscriber_) {
        subscriber_->OnChangeTab(tab.Index());
    }
    if (subscriber_) RefreshButtons();
    return {};
}

UserActionResult PropertyManager::UserCloseTab(PropertyTab& tab) {
    if (!tab.Visible()) return UserActionResult::Refused("the tab is hidden");
    if (!TabsOpenAndClose()) return UserActionResult::Refused("tabs of this host do not close");
    if (tab.Expanded()) {
        tab.StoreExpanded(false);
        TabStateChanged(tab);
    }
    if (subscriber_) RefreshButtons();
    return {};
}

bool PropertyManager::SelectRow(PropertyControl& control, int index) {
    const Nested nested;
    const int previous = control.CurrentItem();
    if (previous == index) return true;
    if (!subscriber_) {
        control.StoreCurrentItem(index);
        return true;
    }
    if (previous >= 0) {
        control.StoreCurrentItem(-1);
        subscriber_->OnSelectListItem(control, previous, 0);
    }
    control.StoreCurrentItem(index);
    if (index < 0 || !subscriber_) return true;
    if (subscriber_->OnSelectListItem(control, index, 1)) return true;
    control.StoreCurrentItem(previous);
    return false;
}

bool PropertyManager::SelectCell(PropertyControl& control, int row, int column) {
    const Nested nested;
    const int previousRow = control.CurrentRow(), previousColumn = control.CurrentColumn();
    if (previousRow == row && previousColumn == column) return true;
    if (!subscriber_) {
        control.StoreCurrentCell(row, column);
        return true;
    }
    if (previousRow >= 0) {
        control.StoreCurrentCell(-1, -1);
        subscriber_->OnSelectListItem(control, GridSelectionIndex(previousRow, std::max(previousColumn, 0)), 0);
    }
    control.StoreCurrentCell(row, column);
    if (row < 0 || !subscriber_) return true;
    if (subscriber_->OnSelectListItem(control, GridSelectionIndex(row, std::max(column, 0)), 1)) return true;
    control.StoreCurrentCell(previousRow, previousColumn);
    return false;
}

void PropertyManager::TabStateChanged(PropertyTab& tab) {
    const Nested nested;
    if (TabsOpenAndClose() && subscriber_) subscriber_->OnTabStateChanged(tab.Index());
}

PropertyControl* PropertyManager::FindControl(std::string_view name, int occurrence) const {
    std::vector<PropertyControl*> visible, hidden;
    auto scan = [&](const PropertyTab& tab) {
        for (const auto& control : tab.Controls()) {
            if (!name.empty() && control->Hint() != name && control->Caption() != name) continue;
            (control->Visible() && tab.Visible() ? visible : hidden).push_back(control.get());
        }
    };
    scan(*defaultTab_);
    for (const auto& tab : tabs_) scan(*tab);
    if (name.empty()) {
        // By position: visible or not, in order.
        std::vector<PropertyControl*> all;
        auto collect = [&all](const PropertyTab& tab) {
            for (const auto& control : tab.Controls()) all.push_back(control.get());
        };
        collect(*defaultTab_);
        for (const auto& tab : tabs_) collect(*tab);
        if (occurrence < 1 || occurrence > static_cast<int>(all.size())) return nullptr;
        return all[static_cast<std::size_t>(occurrence - 1)];
    }
    const std::vector<PropertyControl*>& found = visible.empty() ? hidden : visible;
    if (occurrence < 1 || occurrence > static_cast<int>(found.size())) return nullptr;
    return found[static_cast<std::size_t>(occurrence - 1)];
}

PropertyTab* PropertyManager::FindTab(std::string_view caption) const {
    for (const auto& tab : tabs_)
        if (tab->Caption() == caption) return tab.get();
    return nullptr;
}

std::string PropertyManager::Dump() const {
    std::string out = "panel";
    if (!scriptName_.empty()) out += " [" + scriptName_ + "]";
    out += " " + Quoted(caption_) + "\n";
    if (!prompt_.empty()) out += "  prompt " + Quoted(prompt_) + "\n";
    out += "  buttons: OK " + std::string(ButtonEnabled(kPanelButtonOK) ? "enabled" : "disabled") + ", Cancel " +
           (ButtonEnabled(kPanelButtonCancel) ? "enabled" : "disabled") + "\n";
    auto dumpTab = [&out](const PropertyTab& tab, const std::string& title) {
        out += "  " + title;
        if (tab.Image().IsSet()) out += " (" + tab.Image().Text() + ")";
        if (!tab.Visible()) out += " hidden";
        if (tab.IsCurrent()) out += " current";
        if (tab.Expanded()) out += " expanded";
        out += "\n";
        for (std::size_t i = 0; i < tab.Controls().size(); ++i)
            out += "    " + std::to_string(i) + ": " + tab.Controls()[i]->Dump() + "\n";
    };
    if (!defaultTab_->Visible() || !defaultTab_->Controls().empty()) dumpTab(*defaultTab_, "default tab");
    for (const auto& tab : tabs_) dumpTab(*tab, "tab " + std::to_string(tab->Index()) + " " + Quoted(tab->Caption()));
    return out;
}

}  // namespace zarvento
