// The dialog model and its run from the panel script.
#include "platform/dialogs/dialog_model.h"

#include <algorithm>

#include "platform/core/messages.h"
#include "platform/core/variant.h"
#include "platform/dialogs/panel_script.h"

namespace zarvento {

DialogModel::DialogModel(int templateId, std::string caption, std::string scriptName)
    : templateId_(templateId), caption_(std::move(caption)), scriptName_(std::move(scriptName)) {}

int DialogModel::DoModal() {
    result_.reset();
    OnInitDialog();
    // Every answer either ends the dialog or is used up, and an unanswered
    // showing is a cancel: the loop ends with the script's answers.
    while (!result_) {
        const PanelAnswer answer = PanelScript::Instance().Show(scriptName_, Detail());
        Apply(answer);
        Press(answer.result);
        if (!result_ && answer.result == IDCANCEL_) EndDialog(IDCANCEL_);
    }
    return *result_;
}

DialogModel::Control* DialogModel::Find(int id) {
    auto it = std::find_if(controls_.begin(), controls_.end(), [id](const Control& c) { return c.id == id; });
    return it == controls_.end() ? nullptr : &*it;
}

const DialogModel::Control* DialogModel::Find(int id) const { return const_cast<DialogModel*>(this)->Find(id); }

DialogModel::Control* DialogModel::FindByScriptName(std::string_view name) {
    for (Control& c : controls_)
        if ((!c.name.empty() && c.name == name) || std::to_string(c.id) == name) return &c;
    return nullptr;
}

bool DialogModel::Type(Control& control, const std::string& value) {
    switch (control.kind) {
        case ControlKind::Edit: {
            control.text = value;
            if (control.maxChars != 0) {
                // Cut by characters, never inside one of UTF-8's sequences.
                std::size_t chars = 0, at = 0;
                while (at < control.text.size() && chars < control.maxChars) {
                    ++at;
                    while (at < control.text.size() && (static_cast<unsigned char>(control.text[at]) & 0xC0) == 0x80)
                        ++at;
                    ++chars;
                }
                control.text.resize(at);
            }
            return true;
        }
        case ControlKind::DropDownList: {
            auto it = std::find(control.items.begin(), control.items.end(), value);
            std::int32_t index = -1;
            if (it != control.items.end()) {
                index = static_cast<std::int32_t>(it - control.items.begin());
            } else if (!ParseInt(value, index) || index < 0 ||
                       index >= static_cast<std::int32_t>(control.items.size())) {
                return false;
            }
            control.selected = index;
            return true;
        }
        case ControlKind::ReadOnlyEdit:
        case ControlKind::Button: return false;
    }
    return false;
}

void DialogModel::Press(int buttonId) { OnButton(buttonId); }

void DialogModel::OnButton(int id) {
    if (id == IDOK_ || id == IDCANCEL_) EndDialog(id);
}

void DialogModel::Apply(const PanelAnswer& answer) {
    for (const auto& [name, value] : answer.fields) {
        Control* control = FindByScriptName(name);
        if (!control || !Type(*control, value))
            ShowPlainMessageBox("Поле \"" + name + "\" не может принять значение \"" + value + "\"", caption_);
    }
}

std::string DialogModel::Dump() const {
    std::string out;
    for (const Control& c : controls_) {
        out += std::to_string(c.id) + " " + c.label + ": ";
        if (c.kind == ControlKind::DropDownList) {
            out += c.selected >= 0 && c.selected < static_cast<int>(c.items.size())
                       ? c.items[static_cast<std::size_t>(c.selected)]
                       : "(none)";
        } else if (c.kind != ControlKind::Button) {
            out += c.text;
        }
        out += "\n";
    }
    return out;
}

std::string DialogModel::Detail() const {
    std::string out;
    for (const Control& c : controls_) {
        if (c.name.empty()) continue;
        if (!out.empty()) out += " ";
        out += c.name + "=";
        if (c.kind == ControlKind::DropDownList) {
            out += std::to_string(c.selected);
        } else {
            const bool quote = c.text.empty() || c.text.find(' ') != std::string::npos;
            out += quote ? "\"" + c.text + "\"" : c.text;
        }
    }
    return out;
}

DialogModel::Control& DialogModel::AddControl(int id, ControlKind kind, std::string label, std::string name) {
    controls_.push_back(Control{id, kind, std::move(label), std::move(name), {}, {}, -1, 0});
    return controls_.back();
}

void DialogModel::SetText(int id, std::string text) {
    if (Control* c = Find(id)) c->text = std::move(text);
}

std::string DialogModel::Text(int id) const {
    const Control* c = Find(id);
    return c ? c->text : std::string();
}

void DialogModel::SetItems(int id, std::vector<std::string> items) {
    if (Control* c = Find(id)) {
        c->items = std::move(items);
        c->selected = -1;
    }
}

void DialogModel::Select(int id, int index) {
    if (Control* c = Find(id)) c->selected = index >= 0 && index < static_cast<int>(c->items.size()) ? index : -1;
}

int DialogModel::Selected(int id) const {
    const Control* c = Find(id);
    return c ? c->selected : -1;
}

}  // namespace zarvento
