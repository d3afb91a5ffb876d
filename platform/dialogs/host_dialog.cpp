// The modal dialogs of the headless host: controls, the user's actions and
// the modal run.
#include "platform/dialogs/host_dialog.h"

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/scope_guard.h"
#include "platform/dialogs/scripted_user.h"

namespace zarvento {

namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string Unusable(const DialogControl& control) {
    if (!control.Visible()) return "the control " + std::to_string(control.Id()) + " is hidden";
    if (!control.Enabled()) return "the control " + std::to_string(control.Id()) + " is disabled";
    return {};
}

}  // namespace

const char* DialogControlKindName(DialogControlKind kind) {
    switch (kind) {
        case DialogControlKind::Static: return "label";
        case DialogControlKind::Button: return "button";
        case DialogControlKind::CheckBox: return "check box";
        case DialogControlKind::Edit: return "edit";
        case DialogControlKind::ComboBox: return "combo";
        case DialogControlKind::ListView: return "list";
        case DialogControlKind::TabControl: return "tabs";
    }
    return "?";
}

DialogControl::DialogControl(int id, DialogControlKind kind, std::string text)
    : id_(id), kind_(kind), text_(std::move(text)) {}

void DialogControl::ClearItems() {
    items_.clear();
    current_ = -1;
}

void DialogControl::SetCurrentItem(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size()))
        throw HostError(E_INVALIDARG_, "no item " + std::to_string(index));
    current_ = index;
}

void DialogControl::SetListStyle(bool gridLines, bool fullRowSelect, bool checkBoxes) {
    gridLines_ = gridLines;
    fullRowSelect_ = fullRowSelect;
    checkBoxes_ = checkBoxes;
}

void DialogControl::AddColumn(std::string title, int width) { columns_.push_back({std::move(title), width}); }

void DialogControl::DeleteAllColumns() {
    columns_.clear();
    DeleteAllRows();
}

void DialogControl::DeleteAllRows() {
    rows_.clear();
    rowChecks_.clear();
    selected_ = -1;
    mark_ = -1;
}

int DialogControl::AddRow(std::vector<std::string> cells) {
    cells.resize(std::max(cells.size(), columns_.size()));
    rows_.push_back(std::move(cells));
    rowChecks_.push_back(false);
    return static_cast<int>(rows_.size()) - 1;
}

const std::vector<std::string>& DialogControl::Row(int row) const {
    if (row < 0 || row >= RowCount()) throw HostError(E_INVALIDARG_, "no row " + std::to_string(row));
    return rows_[static_cast<std::size_t>(row)];
}

std::string DialogControl::Cell(int row, int column) const {
    const std::vector<std::string>& cells = Row(row);
    return column >= 0 && column < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(column)]
                                                                  : std::string();
}

void DialogControl::SetCell(int row, int column, std::string text) {
    Row(row);
    if (column < 0) throw HostError(E_INVALIDARG_, "no column " + std::to_string(column));
    std::vector<std::string>& cells = rows_[static_cast<std::size_t>(row)];
    if (column >= static_cast<int>(cells.size())) cells.resize(static_cast<std::size_t>(column) + 1);
    cells[static_cast<std::size_t>(column)] = std::move(text);
}

bool DialogControl::RowChecked(int row) const {
    Row(row);
    return rowChecks_[static_cast<std::size_t>(row)];
}

void DialogControl::SetRowChecked(int row, bool checked) {
    Row(row);
    rowChecks_[static_cast<std::size_t>(row)] = checked;
}

void DialogControl::SetSelection(int row) {
    if (row < -1 || row >= RowCount()) throw HostError(E_INVALIDARG_, "no row " + std::to_string(row));
    selected_ = row;
    if (row >= 0) mark_ = row;
}

std::string DialogControl::Dump() const {
    std::string out = std::to_string(id_) + ": " + DialogControlKindName(kind_);
    if (!text_.empty()) out += " " + Quoted(text_);
    if (!visible_) out += " hidden";
    if (!enabled_) out += " disabled";
    if (readOnly_) out += " read-only";
    if (kind_ == DialogControlKind::CheckBox || checked_) out += checked_ ? " checked" : " unchecked";
    if (focused_) out += " focused";
    if (picture_.Width() > 0)
        out += " picture " + std::to_string(picture_.Width()) + "x" + std::to_string(picture_.Height());
    if (!items_.empty()) {
        out += " items [";
        for (std::size_t i = 0; i < items_.size(); ++i) out += (i ? ", " : "") + Quoted(items_[i]);
        out += "] current " + std::to_string(current_);
    }
    if (kind_ == DialogControlKind::ListView) {
        if (gridLines_) out += " grid-lines";
        if (fullRowSelect_) out += " full-row";
        if (checkBoxes_) out += " check-boxes";
        out += " columns";
        for (const DialogListColumn& c : columns_) out += " " + Quoted(c.title) + " " + std::to_string(c.width);
        out += " selected " + std::to_string(selected_) + " mark " + std::to_string(mark_);
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            out += "\n    |";
            if (checkBoxes_) out += rowChecks_[r] ? " [x]" : " [ ]";
            for (const std::string& cell : rows_[r]) out += " " + Quoted(cell);
        }
    }
    if (!pages_.empty()) {
        out += " pages [";
        for (std::size_t i = 0; i < pages_.size(); ++i) out += (i ? ", " : "") + Quoted(pages_[i]);
        out += "] current " + std::to_string(currentPage_);
    }
    return out;
}

HostDialog::HostDialog(std::string scriptName, int templateId)
    : scriptName_(std::move(scriptName)), templateId_(templateId) {}

HostDialog::~HostDialog() = default;

int HostDialog::DoModal() {
    HostFaults::Check("Dialog.DoModal");
    if (running_) throw HostError(E_FAIL_, "the dialog runs already");
    ended_ = false;
    result_ = 0;
    running_ = true;
    const ScopeGuard notRunning([this] { running_ = false; });
    OnInitDialog();
    if (!ended_) ScriptedUser::Instance().Drive(*this);
    return result_;
}

void HostDialog::EndDialog(int result) {
    result_ = result;
    ended_ = true;
}

DialogControl& HostDialog::AddControl(int id, DialogControlKind kind, std::string text) {
    if (FindControl(id)) throw HostError(E_INVALIDARG_, "a control " + std::to_string(id) + " exists");
    controls_.push_back(std::make_unique<DialogControl>(id, kind, std::move(text)));
    return *controls_.back();
}

DialogControl* HostDialog::FindControl(int id) const {
    for (const auto& c : controls_)
        if (c->Id() == id) return c.get();
    return nullptr;
}

DialogControl& HostDialog::Control(int id) const {
    DialogControl* c = FindControl(id);
    if (!c) throw HostError(E_INVALIDARG_, "no control " + std::to_string(id));
    return *c;
}

DialogControl* HostDialog::FindControlByText(std::string_view text) const {
    for (const auto& c : controls_)
        if (c->Visible() && c->Text() == text) return c.get();
    return nullptr;
}

UserActionResult HostDialog::UserClick(int id) {
    DialogControl* c = FindControl(id);
    // OK and Cancel answer the keyboard (Enter, Escape) even without a button.
    if (!c && id != 1 && id != 2) return UserActionResult::Missing("no control " + std::to_string(id));
    if (c) {
        if (std::string why = Unusable(*c); !why.empty()) return UserActionResult::Refused(why);
        if (c->Kind() == DialogControlKind::CheckBox) c->SetChecked(!c->Checked());
    }
    if (id == 1) {
        OnOK();
    } else if (id == 2) {
        OnCancel();
    } else {
        OnCommand(id, kButtonClicked);
    }
    return {};
}

UserActionResult HostDialog::UserSetValue(int id, const std::string& text) {
    DialogControl* c = FindControl(id);
    if (!c) return UserActionResult::Missing("no control " + std::to_string(id));
    if (std::string why = Unusable(*c); !why.empty()) return UserActionResult::Refused(why);
    switch (c->Kind()) {
        case DialogControlKind::Edit:
            if (c->ReadOnly()) return UserActionResult::Refused("the edit " + std::to_string(id) + " is read-only");
            c->SetFocused(true);
            OnCommand(id, kEditGotFocus);
            c->SetText(text);
            OnCommand(id, kEditChanged);
            c->SetFocused(false);
            OnCommand(id, kEditLostFocus);
            return {};
        case DialogControlKind::ComboBox: {
            int index = -1;
            for (std::size_t i = 0; i < c->Items().size(); ++i)
                if (c->Items()[i] == text) index = static_cast<int>(i);
            if (index < 0)
                return UserActionResult::Refused("the combo " + std::to_string(id) + " has no item \"" + text + "\"");
            c->SetCurrentItem(index);
            OnCommand(id, kComboSelectionChanged);
            return {};
        }
        case DialogControlKind::CheckBox: {
            const bool on = text == "on" || text == "1";
            if (!on && text != "off" && text != "0")
                return UserActionResult::Refused("a check box is set on or off, not \"" + text + "\"");
            if (c->Checked() != on) {
                c->SetChecked(on);
                OnCommand(id, kButtonClicked);
            }
            return {};
        }
        default:
            return UserActionResult::Refused(std::string("a ") + DialogControlKindName(c->Kind()) +
                                             " takes no typed value");
    }
}

UserActionResult HostDialog::UserSelectRow(int listId, int row) {
    DialogControl* c = FindControl(listId);
    if (!c || c->Kind() != DialogControlKind::ListView)
        return UserActionResult::Missing("no list " + std::to_string(listId));
    if (std::string why = Unusable(*c); !why.empty()) return UserActionResult::Refused(why);
    if (row < -1 || row >= c->RowCount())
        return UserActionResult::Missing("the list has no row " + std::to_string(row));
    if (row < 0) {
        // A click beside the rows deselects the row; the mark stays.
        const int previous = c->SelectedRow();
        c->Deselect();
        if (previous >= 0) OnListItemChanged(listId, previous, false);
        return {};
    }
    const int previous = c->SelectedRow();
    if (previous >= 0 && previous != row) {
        c->Deselect();
        OnListItemChanged(listId, previous, true);
    }
    c->SetSelection(row);
    OnListItemChanged(listId, row, true);
    return {};
}

UserActionResult HostDialog::UserDoubleClick(int listId, int row) {
    if (UserActionResult r = UserSelectRow(listId, row); !r.done) return r;
    OnListDoubleClick(listId, row);
    return {};
}

UserActionResult HostDialog::UserCheckRow(int listId, int row, bool checked) {
    DialogControl* c = FindControl(listId);
    if (!c || c->Kind() != DialogControlKind::ListView)
        return UserActionResult::Missing("no list " + std::to_string(listId));
    if (std::string why = Unusable(*c); !why.empty()) return UserActionResult::Refused(why);
    if (!c->CheckBoxes()) return UserActionResult::Refused("the list has no check boxes");
    if (row < 0 || row >= c->RowCount()) return UserActionResult::Missing("the list has no row " + std::to_string(row));
    if (c->RowChecked(row) == checked) return {};
    c->SetRowChecked(row, checked);
    OnListItemChanged(listId, row, true);
    return {};
}

UserActionResult HostDialog::UserEditCell(int listId, int row, int column, const std::string& text) {
    DialogControl* c = FindControl(listId);
    if (!c || c->Kind() != DialogControlKind::ListView)
        return UserActionResult::Missing("no list " + std::to_string(listId));
    if (std::string why = Unusable(*c); !why.empty()) return UserActionResult::Refused(why);
    if (row < 0 || row >= c->RowCount() || column < 0 || column >= static_cast<int>(c->Columns().size()))
        return UserActionResult::Missing("the list has no cell " + std::to_string(row) + ", " + std::to_string(column));
    if (!OnBeginLabelEdit(listId, row, column)) return UserActionResult::Refused("the cell cannot be edited");
    if (!OnEndLabelEdit(listId, row, column, text))
        return UserActionResult::Refused("the dialog refused \"" + text + "\"");
    c->SetCell(row, column, text);
    return {};
}

UserActionResult HostDialog::UserOpenPage(int tabId, int page) {
    DialogControl* c = FindControl(tabId);
    if (!c || c->Kind() != DialogControlKind::TabControl)
        return UserActionResult::Missing("no tabs " + std::to_string(tabId));
    if (std::string why = Unusable(*c); !why.empty()) return UserActionResult::Refused(why);
    if (page < 0 || page >= static_cast<int>(c->Pages().size()))
        return UserActionResult::Missing("no page " + std::to_string(page));
    if (c->CurrentPage() == page) return {};
    c->SetCurrentPage(page);
    OnTabChanged(tabId, page);
    return {};
}

UserActionResult HostDialog::UserClose() {
    OnCancel();
    return {};
}

std::string HostDialog::Dump() const {
    std::string out = "dialog [" + scriptName_ + "] " + std::to_string(templateId_) + " " + Quoted(title_) + "\n";
    for (const auto& c : controls_) out += "  " + c->Dump() + "\n";
    return out;
}

}  // namespace zarvento
