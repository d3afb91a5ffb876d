// A modal dialog of the headless host as a model: controls by id (edits,
// read-only edits, drop-down lists, buttons), each with its label and the
// name a script knows it by. The dialog's own code fills the controls when it
// opens and reads them when a button is pressed; a button's handler ends the
// dialog with a result or leaves it open (a refused OK). Whoever drives the
// host answers it as a user would, through the panel script under the
// dialog's name: the answer's fields are typed into the controls (by name or
// by id) and its button is pressed; while the dialog stays open the next
// answer is taken, and with none left the dialog is cancelled.
//
// This is the part of a general dialog model that a dialog of edits and one
// drop-down needs; list views, in-place edits and tab pages would be further
// control kinds of the same model.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

struct PanelAnswer;

class DialogModel {
public:
    enum class ControlKind { Edit, ReadOnlyEdit, DropDownList, Button };

    struct Control {
        int id = 0;
        ControlKind kind = ControlKind::Edit;
        std::string label;
        std::string name;                // how a script names it; empty for none
        std::string text;                // an edit's text
        std::vector<std::string> items;  // a drop-down's entries
        int selected = -1;               // a drop-down's chosen entry, -1 for none
        std::size_t maxChars = 0;        // an edit's limit in characters; 0 for none
    };

    // `scriptName` is the panel name a script answers the dialog under.
    DialogModel(int templateId, std::string caption, std::string scriptName);
    virtual ~DialogModel() = default;
    DialogModel(const DialogModel&) = delete;
    DialogModel& operator=(const DialogModel&) = delete;

    // Opens the dialog and runs it until a button ends it; the result
    // (IDOK_, IDCANCEL_, ...).
    int DoModal();

    int TemplateId() const { return templateId_; }
    const std::string& Caption() const { return caption_; }
    const std::vector<Control>& Controls() const { return controls_; }
    // The control of that id, or null.
    Control* Find(int id);
    const Control* Find(int id) const;
    // The control a script names by its name or by its id's digits, or null.
    Control* FindByScriptName(std::string_view name);

    // As a user types or picks: an edit takes the text (cut to its limit), a
    // drop-down the entry of that text or number (from 0); false when the
    // control cannot take it (read-only, a button, no such entry).
    bool Type(Control& control, const std::string& value);
    // Presses a button: the dialog's handler runs.
    void Press(int buttonId);
    bool Ended() const { return result_.has_value(); }

    // The controls and their values, one "id label: value" a line.
    std::string Dump() const;

protected:
    Control& AddControl(int id, ControlKind kind, std::string label, std::string name = {});
    void SetText(int id, std::string text);
    std::string Text(int id) const;
    void SetItems(int id, std::vector<std::string> items);
    void Select(int id, int index);
    int Selected(int id) const;

    // Fills the controls; runs when the dialog opens.
    virtual void OnInitDialog() {}
    // A pressed button: by default OK and Cancel end the dialog with their id.
    virtual void OnButton(int id);
    void EndDialog(int result) { result_ = result; }

private:
    // One line of the dump for the script's record: the named controls' values.
    std::string Detail() const;
    void Apply(const PanelAnswer& answer);

    int templateId_;
    std::string caption_;
    std::string scriptName_;
    std::vector<Control> controls_;
    std::optional<int> result_;
};

}  // namespace zarvento
