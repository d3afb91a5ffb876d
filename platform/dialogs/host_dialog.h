// A modal dialog of the headless host, for every dialog of the library that
// is not a property panel: controls by id (buttons, check boxes, edits,
// combos, report-view lists with in-place editing, tab pages, labels), the
// notifications a dialog class answers, validation that keeps the dialog open,
// and the modal run, in which the user (the scripted user) acts until the
// dialog ends itself.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/user_action_result.h"
#include "platform/drawings/rgba_image.h"

namespace zarvento {

enum class DialogControlKind { Static, Button, CheckBox, Edit, ComboBox, ListView, TabControl };

const char* DialogControlKindName(DialogControlKind kind);

// Notification codes of OnCommand, as the dialog's controls send them.
inline constexpr int kButtonClicked = 0;
inline constexpr int kComboSelectionChanged = 1;
inline constexpr int kEditGotFocus = 0x100;
inline constexpr int kEditLostFocus = 0x200;
inline constexpr int kEditChanged = 0x300;

struct DialogListColumn {
    std::string title;
    int width = 0;
};

class DialogControl {
public:
    DialogControl(int id, DialogControlKind kind, std::string text);

    int Id() const { return id_; }
    DialogControlKind Kind() const { return kind_; }

    void SetText(std::string text) { text_ = std::move(text); }
    const std::string& Text() const { return text_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool Visible() const { return visible_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool ReadOnly() const { return readOnly_; }
    void SetChecked(bool checked) { checked_ = checked; }
    bool Checked() const { return checked_; }
    void SetFocused(bool focused) { focused_ = focused; }
    bool Focused() const { return focused_; }

    // --- combo box: items and the chosen one (-1 none) ---
    void AddItem(std::string text) { items_.push_back(std::move(text)); }
    void ClearItems();
    const std::vector<std::string>& Items() const { return items_; }
    void SetCurrentItem(int index);
    int CurrentItem() const { return current_; }

    // --- list view ---
    // List styles: grid lines, full-row selection, a check box per row.
    void SetListStyle(bool gridLines, bool fullRowSelect, bool checkBoxes);
    bool GridLines() const { return gridLines_; }
    bool FullRowSelect() const { return fullRowSelect_; }
    bool CheckBoxes() const { return checkBoxes_; }
    void AddColumn(std::string title, int width);
    // Takes the columns away, and the rows with them.
    void DeleteAllColumns();
    const std::vector<DialogListColumn>& Columns() const { return columns_; }
    void DeleteAllRows();
    // Appends a row; the cells beyond those given stay empty. Gives its index.
    int AddRow(std::vector<std::string> cells);
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const std::vector<std::string>& Row(int row) const;
    std::string Cell(int row, int column) const;
    void SetCell(int row, int column, std::string text);
    bool RowChecked(int row) const;
    void SetRowChecked(int row, bool checked);
    // The selected row (-1 none) and the selection mark: the row the user
    // last chose, which stays when a click beside the rows deselects it.
    int SelectedRow() const { return selected_; }
    int SelectionMark() const { return mark_; }
    void SetSelection(int row);
    void Deselect() { selected_ = -1; }

    // --- tab control: its pages and the current one ---
    void AddPage(std::string title) { pages_.push_back(std::move(title)); }
    const std::vector<std::string>& Pages() const { return pages_; }
    void SetCurrentPage(int page) { currentPage_ = page; }
    int CurrentPage() const { return currentPage_; }

    // --- static picture: the image it shows (an empty one for none) ---
    void SetPicture(RgbaImage picture) { picture_ = std::move(picture); }
    const RgbaImage& Picture() const { return picture_; }

    std::string Dump() const;

private:
    int id_;
    DialogControlKind kind_;
    std::string text_;
    bool enabled_ = true;
    bool visible_ = true;
    bool readOnly_ = false;
    bool checked_ = false;
    bool focused_ = false;
    std::vector<std::string> items_;
    int current_ = -1;
    bool gridLines_ = false, fullRowSelect_ = false, checkBoxes_ = false;
    std::vector<DialogListColumn> columns_;
    std::vector<std::vector<std::string>> rows_;
    std::vector<bool> rowChecks_;
    int selected_ = -1;
    int mark_ = -1;
    std::vector<std::string> pages_;
    int currentPage_ = -1;
    RgbaImage picture_;
};

class HostDialog {
public:
    // The name scripts know the dialog by, and the dialog's template.
    HostDialog(std::string scriptName, int templateId);
    virtual ~HostDialog();
    HostDialog(const HostDialog&) = delete;
    HostDialog& operator=(const HostDialog&) = delete;

    // Runs the dialog: OnInitDialog, then the user, until EndDialog. Gives
    // the value EndDialog was given.
    int DoModal();
    void EndDialog(int result);
    bool Ended() const { return ended_; }
    bool Running() const { return running_; }

    const std::string& ScriptName() const { return scriptName_; }
    int TemplateId() const { return templateId_; }
    void SetTitle(std::string title) { title_ = std::move(title); }
    const std::string& Title() const { return title_; }

    DialogControl& AddControl(int id, DialogControlKind kind, std::string text = {});
    // The control of that id, or null.
    DialogControl* FindControl(int id) const;
    // The control of that id; E_INVALIDARG when there is none.
    DialogControl& Control(int id) const;
    // The first visible control whose text is `text`, or null.
    DialogControl* FindControlByText(std::string_view text) const;
    const std::vector<std::unique_ptr<DialogControl>>& Controls() const { return controls_; }

    // --- notifications, as the dialog class answers them ---
    virtual void OnInitDialog() {}
    // The default button (id 1): ends the dialog with 1 unless a class
    // validates and keeps it open.
    virtual void OnOK() { EndDialog(1); }
    // Cancel (id 2, the window's close box, Escape): ends with 2.
    virtual void OnCancel() { EndDialog(2); }
    // A control's notification: a button click, a combo's choice, an edit's focus and change.
    virtual void OnCommand(int /*id*/, int /*code*/) {}
    // A list row's state changed; `onRow` says whether the mouse was on a row.
    virtual void OnListItemChanged(int /*listId*/, int /*row*/, bool /*onRow*/) {}
    virtual void OnListDoubleClick(int /*listId*/, int /*row*/) {}
    // In-place editing of a list cell: may it begin, and is the text taken?
    virtual bool OnBeginLabelEdit(int /*listId*/, int /*row*/, int /*column*/) { return true; }
    virtual bool OnEndLabelEdit(int /*listId*/, int /*row*/, int /*column*/, const std::string& /*text*/) {
        return true;
    }
    virtual void OnTabChanged(int /*tabId*/, int /*page*/) {}

    // --- the user's actions (the host's side) ---
    // A button by id: 1 is OK, 2 Cancel, any other sends its click.
    UserActionResult UserClick(int id);
    // Types into an edit (focus, the text, the change, focus away), chooses a
    // combo's item by its text, or ticks a check box ("on", "off").
    UserActionResult UserSetValue(int id, const std::string& text);
    // Clicks a list row; -1 clicks beside the rows.
    UserActionResult UserSelectRow(int listId, int row);
    UserActionResult UserDoubleClick(int listId, int row);
    UserActionResult UserCheckRow(int listId, int row, bool checked);
    // Edits a list cell in place.
    UserActionResult UserEditCell(int listId, int row, int column, const std::string& text);
    UserActionResult UserOpenPage(int tabId, int page);
    // The window's close box.
    UserActionResult UserClose();

    // The dialog's whole state as text.
    std::string Dump() const;

private:
    std::string scriptName_;
    int templateId_;
    std::string title_;
    std::vector<std::unique_ptr<DialogControl>> controls_;
    bool running_ = false;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace zarvento
