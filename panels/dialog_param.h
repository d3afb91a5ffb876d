// CDialogParam: the cycle-parameter dialog. It edits a copy of a machine
// cycle: one list row per parameter (name, comment), an editor over the
// expression column of each row (an edit, or a combo for a parameter that
// chooses from a list), the evaluated value beside it and the notes below. OK
// copies the result back; a value that fails keeps the dialog open. A cycle
// group lists its member cycles with check boxes, and a double click on a
// checked member edits it in a nested dialog.
//
// The cost estimate's pages are parameter lists inside another dialog: the
// protected constructor places the list's controls in that dialog, their ids
// a page's base above the ids given here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "nc/cycle_auto.h"
#include "panels/list_param.h"
#include "platform/dialogs/host_dialog.h"

namespace zarvento {

class CDialogParam : public HostDialog, public CycleDialogView {
public:
    static constexpr const char* kScriptName = "cycle";
    static constexpr int kTemplate = 701;
    // Controls of the template.
    static constexpr int kCycleTitle = 15;
    static constexpr int kComment = 701;
    static constexpr int kNameTitle = 10;
    static constexpr int kCodeTitle = 14;
    static constexpr int kCommentTitle = 11;
    static constexpr int kExpressionTitle = 12;
    static constexpr int kValueTitle = 13;
    static constexpr int kList = 100;
    static constexpr int kNotes = 601;
    // Editors over the rows: the edit of row i and the combo of row i.
    static constexpr int kFirstEdit = 200;
    static constexpr int kFirstCombo = 300;
    // The list's client width and one row's height, in pixels.
    static constexpr int kListClientWidth = 716;
    static constexpr int kRowHeight = 17;
    static constexpr const char* kErrorValue = "Error";
    static constexpr const char* kSeparator = "SEPARATOR";
    static constexpr const char* kAutoText = "auto";
    static constexpr const char* kNoteStart = "Примечание:  ";
    static constexpr const char* kAutoNote = "параметр определяется автоматически";
    static constexpr const char* kMandatoryNote = "обязательный параметр";
    static constexpr const char* kGroupNote =
        "Для редактирования вложенного цикла сделайте двойной щелчок по соответствующей строке";

    // Copies the cycle; `parentWindow` is the dialog it opens over, or null.
    explicit CDialogParam(CCycle_Auto& cycle, HostDialog* parentWindow = nullptr);
    ~CDialogParam() override;

    void OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id, int code) override;
    void OnListDoubleClick(int listId, int row) override;

    // Takes the editors' texts, the combos' choices and a group's check
    // marks into the working copy.
    void DoDataExchange() override;
    // Writes parameter i's expression into its edit, read-only for kind 'R'.
    void UpdateParamEdit(int index) override;
    // The value column: each value, or "Error" (which keeps OK refused).
    void ShowValues();
    // Takes the editors, evaluates every parameter and shows the values and
    // the evaluation's error under the list.
    void Recalculate() override;

    // What the parameter list passes on (CListParam).
    void OnEditorFocus(int id);
    void OnEditorFocusLost(int id);
    void OnEditorCommand(int id);
    // The list scrolled: the editors follow their rows.
    void OnListScroll(int firstRow);

    CCycle_Auto& Cycle() override { return cycle_; }
    const CCycle_Auto& Cycle() const { return cycle_; }
    bool HasError() const { return hasError; }
    bool IsGroup() const { return cycle_.groupFlag != 0; }
    // The top of row i's editor at the current scroll position, in pixels.
    int EditorTop(int row) const { return rowHeight * (row - firstRow_); }

    // Set while an editor has the focus, with its id.
    std::int32_t pendingControl = 0;
    std::int32_t pending = 0;
    // The cycle the result goes to on OK; not owned.
    CCycle_Auto* editedCycle;
    std::int32_t editLeft = 0, editWidth = 0, rowHeight = kRowHeight;
    HostDialog* parentWindow;
    bool hasError = false;

protected:
    // A page of `host`: the controls of the list, its titles and editors are
    // made in that dialog with ids `idBase` above their own.
    CDialogParam(CCycle_Auto& cycle, HostDialog& host, int idBase);

    // Makes the list's controls (the template's), when they are not there yet.
    void CreateControls(bool page);
    // The list, its rows and editors, the notes (steps of the opening).
    void FillList();

    HostDialog& Host() const { return *host_; }
    int Id(int local) const { return base_ + local; }
    DialogControl* Find(int local) const { return host_->FindControl(Id(local)); }
    CListParam& List() { return list_; }

private:
    void ShowNotes();
    // The value text of parameter i as the value column shows it.
    std::string ValueText(int i);

    CCycle_Auto cycle_;
    HostDialog* host_;
    int base_ = 0;
    CListParam list_;
    int firstRow_ = 0;
};

// The dialog on a cycle, modally: what EditParameters of every cycle runs
// once the panels are started. 1 for OK, 2 for Cancel.
int RunCycleDialog(CCycle_Auto& cycle);

}  // namespace zarvento
