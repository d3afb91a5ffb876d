// The scripted user: reading the steps of a panel's or a dialog's block and
// playing them at the host's panels and dialogs.
#include "platform/dialogs/scripted_user.h"

#include "platform/core/messages.h"
#include "platform/core/process_state.h"
#include "platform/core/variant.h"
#include "platform/dialogs/host_dialog.h"
#include "platform/dialogs/host_timers.h"
#include "platform/dialogs/panel_script.h"
#include "platform/dialogs/pick_process.h"
#include "platform/dialogs/property_manager.h"
#include "platform/documents/host_application.h"
#include "platform/part_model.h"

namespace zarvento {

ZARVENTO_STATE_RESET { ScriptedUser::Instance().Reset(); }

namespace {

using Action = UserStep::Action;

// "<name>@<n>" names the n-th control (or object) of that name; "@<n>" alone
// the n-th control of the panel.
void SetTarget(UserStep& step, const std::string& word) {
    step.target = word;
    step.occurrence = 1;
    const std::size_t at = word.rfind('@');
    if (at == std::string::npos || at + 1 == word.size()) return;
    std::int32_t n = 0;
    if (!ParseInt(std::string_view(word).substr(at + 1), n) || n < 1) return;
    step.target = word.substr(0, at);
    step.occurrence = n;
}

bool Number(const std::string& word, int& out, const char* what, std::string& error) {
    std::int32_t v = 0;
    if (!ParseInt(word, v)) {
        error = std::string(what) + " '" + word + "' is not a whole number";
        return false;
    }
    out = v;
    return true;
}

bool Count(const std::vector<std::string>& words, std::size_t n, const char* usage, std::string& error) {
    if (words.size() == n) return true;
    error = std::string("write ") + usage;
    return false;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// "face:<n>" names a face of the part's body by its number, from 1.
bool FaceNumber(const std::string& target, int& number) {
    constexpr std::string_view kPrefix = "face:";
    if (!target.starts_with(kPrefix)) return false;
    std::int32_t n = 0;
    if (!ParseInt(std::string_view(target).substr(kPrefix.size()), n) || n < 1) return false;
    number = n;
    return true;
}

}  // namespace

bool ParsePanelStep(const std::vector<std::string>& words, UserStep& step, std::string& error) {
    if (words.empty()) {
        error = "an empty step";
        return false;
    }
    const std::string& verb = words[0];
    step = UserStep{};
    if (verb == "set") {
        if (!Count(words, 3, "set <control> <value>", error)) return false;
        step.action = Action::Set;
        SetTarget(step, words[1]);
        step.value = words[2];
        return true;
    }
    if (verb == "press") {
        if (!Count(words, 2, "press <control>", error)) return false;
        step.action = Action::Press;
        SetTarget(step, words[1]);
        return true;
    }
    if (verb == "command") {
        if (!Count(words, 3, "command <control> <button id>", error)) return false;
        step.action = Action::Command;
        SetTarget(step, words[1]);
        return Number(words[2], step.id, "the button id", error);
    }
    if (verb == "click") {
        if (!Count(words, 2, "click <button id>", error)) return false;
        step.action = Action::Click;
        return Number(words[1], step.id, "the button id", error);
    }
    if (verb == "ok" || verb == "cancel" || verb == "help") {
        if (!Count(words, 1, verb.c_str(), error)) return false;
        step.action = Action::Click;
        step.id = verb == "ok" ? kPanelButtonOK : verb == "cancel" ? kPanelButtonCancel : kPanelButtonHelp;
        return true;
    }
    if (verb == "pick") {
        if (!Count(words, 2, "pick <object>", error)) return false;
        step.action = Action::Pick;
        SetTarget(step, words[1]);
        return true;
    }
    if (verb == "select") {
        if (words.size() == 4) {
            step.action = Action::SelectCell;
            SetTarget(step, words[1]);
            return Number(words[2], step.row, "the row", error) && Number(words[3], step.column, "the column", error);
        }
        if (!Count(words, 3, "select <list> <row>|none or select <grid> <row> <column>", error)) return false;
        step.action = Action::Select;
        SetTarget(step, words[1]);
        if (words[2] == "none") {
            step.row = -1;
            return true;
        }
        return Number(words[2], step.row, "the row", error);
    }
    if (verb == "edit") {
        if (!Count(words, 5, "edit <grid> <row> <column> <text>", error)) return false;
        step.action = Action::Edit;
        SetTarget(step, words[1]);
        step.value = words[4];
        return Number(words[2], step.row, "the row", error) && Number(words[3], step.column, "the column", error);
    }
    if (verb == "tab" || verb == "close-tab") {
        if (!Count(words, 2, (verb + " <caption>").c_str(), error)) return false;
        step.action = verb == "tab" ? Action::OpenTab : Action::CloseTab;
        step.target = words[1];
        return true;
    }
    if (verb == "activate" || verb == "dump") {
        if (!Count(words, 1, verb.c_str(), error)) return false;
        step.action = verb == "activate" ? Action::Activate : Action::Dump;
        return true;
    }
    if (verb == "wait") {
        if (!Count(words, 2, "wait <milliseconds>", error)) return false;
        step.action = Action::Wait;
        if (!Number(words[1], step.id, "the time", error)) return false;
        if (step.id >= 0) return true;
        error = "time does not run back";
        return false;
    }
    if (verb == "print") {
        if (!Count(words, 2, "print <control>", error)) return false;
        step.action = Action::Print;
        SetTarget(step, words[1]);
        return true;
    }
    error = "a panel has no step '" + verb + "'";
    return false;
}

bool ParseDialogStep(const std::vector<std::string>& words, UserStep& step, std::string& error) {
    if (words.empty()) {
        error = "an empty step";
        return false;
    }
    const std::string& verb = words[0];
    step = UserStep{};
    if (verb == "click") {
        if (!Count(words, 2, "click <control id>", error)) return false;
        step.action = Action::Click;
        return Number(words[1], step.id, "the control id", error);
    }
    if (verb == "ok" || verb == "cancel") {
        if (!Count(words, 1, verb.c_str(), error)) return false;
        step.action = Action::Click;
        step.id = verb == "ok" ? 1 : 2;
        return true;
    }
    if (verb == "close" || verb == "dump") {
        if (!Count(words, 1, verb.c_str(), error)) return false;
        step.action = verb == "close" ? Action::Close : Action::Dump;
        return true;
    }
    if (verb == "press") {
        if (!Count(words, 2, "press <button text>", error)) return false;
        step.action = Action::Press;
        step.target = words[1];
        return true;
    }
    if (verb == "set") {
        if (!Count(words, 3, "set <control id> <value>", error)) return false;
        step.action = Action::Set;
        step.value = words[2];
        return Number(words[1], step.id, "the control id", error);
    }
    if (verb == "select" || verb == "double-click") {
        if (!Count(words, 3, (verb + " <list id> <row>" + (verb == "select" ? "|none" : "")).c_str(), error))
            return false;
        step.action = verb == "select" ? Action::Select : Action::DoubleClick;
        if (!Number(words[1], step.id, "the list id", error)) return false;
        if (verb == "select" && words[2] == "none") {
            step.row = -1;
            return true;
        }
        return Number(words[2], step.row, "the row", error);
    }
    if (verb == "check") {
        if (!Count(words, 4, "check <list id> <row> on|off", error)) return false;
        step.action = Action::CheckRow;
        if (words[3] != "on" && words[3] != "off") {
            error = "a row is checked on or off, not '" + words[3] + "'";
            return false;
        }
        step.value = words[3];
        return Number(words[1], step.id, "the list id", error) && Number(words[2], step.row, "the row", error);
    }
    if (verb == "edit") {
        if (!Count(words, 5, "edit <list id> <row> <column> <text>", error)) return false;
        step.action = Action::Edit;
        step.value = words[4];
        return Number(words[1], step.id, "the list id", error) && Number(words[2], step.row, "the row", error) &&
               Number(words[3], step.column, "the column", error);
    }
    if (verb == "page") {
        if (!Count(words, 3, "page <tabs id> <page>", error)) return false;
        step.action = Action::Page;
        return Number(words[1], step.id, "the tabs id", error) && Number(words[2], step.row, "the page", error);
    }
    if (verb == "print") {
        if (!Count(words, 2, "print <control id>", error)) return false;
        step.action = Action::Print;
        return Number(words[1], step.id, "the control id", error);
    }
    error = "a dialog has no step '" + verb + "'";
    return false;
}

ScriptedUser& ScriptedUser::Instance() {
    static ScriptedUser user;
    return user;
}

void ScriptedUser::Reset() {
    sessions_.clear();
    output_.clear();
    failures_ = 0;
}

void ScriptedUser::Queue(UserSession session) { sessions_.push_back(std::move(session)); }

bool ScriptedUser::Has(UserSession::Kind kind, const std::string& name) const {
    for (const UserSession& session : sessions_)
        if (session.kind == kind && session.name == name) return true;
    return false;
}

int ScriptedUser::TakeFailures() {
    const int n = failures_;
    failures_ = 0;
    return n;
}

bool ScriptedUser::Take(UserSession::Kind kind, const std::string& name, UserSession& out) {
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
        if (it->kind != kind || it->name != name) continue;
        out = std::move(*it);
        sessions_.erase(it);
        return true;
    }
    return false;
}

void ScriptedUser::Say(const std::string& text) {
    output_.push_back(text);
    if (echo_) echo_(text);
}

void ScriptedUser::Refused(const std::string& who, const UserStep& step, const std::string& why) {
    Say(who + ", line " + std::to_string(step.line) + ": " + why);
}

void ScriptedUser::Fail(const std::string& who, const UserStep& step, const std::string& why) {
    ++failures_;
    Say(who + ", line " + std::to_string(step.line) + ": " + why);
}

void ScriptedUser::Drive(PickProcess& process) {
    const std::shared_ptr<PropertyManager> manager = process.Manager();
    if (!manager) {
        // A process without a panel has nothing for the user to press.
        process.End();
        return;
    }
    const std::string name = manager->ScriptName();
    const std::string who = "panel " + name;
    manager->Activate();
    UserSession session;
    bool defaulted = !Take(UserSession::Kind::Panel, name, session);
    int endingButton = 0;
    for (const UserStep& step : session.steps) {
        if (process.Ended()) break;
        if (!PlayPanelStep(step, process, *manager, who, endingButton)) break;
    }
    if (!process.Ended()) {
        defaulted = true;
        manager->UserClick(kPanelButtonCancel);
        if (process.Ended()) endingButton = kPanelButtonCancel;
    }
    if (!process.Ended()) {
        ++failures_;
        Say(who + ": the panel did not close on Cancel");
        process.End();
    }
    PanelScript::Instance().Record(PanelEntry{name, {}, endingButton == kPanelButtonOK ? IDOK_ : IDCANCEL_, defaulted});
}

bool ScriptedUser::PlayPanelStep(const UserStep& step, PickProcess& process, PropertyManager& manager,
                                 const std::string& who, int& endingButton) {
    auto control = [&]() -> PropertyControl* {
        PropertyControl* c = manager.FindControl(step.target, step.occurrence);
        if (!c) Fail(who, step, "no control " + Quoted(step.target));
        return c;
    };
    UserActionResult result;
    switch (step.action) {
        case Action::Set:
        case Action::Press:
        case Action::Command:
        case Action::Select:
        case Action::SelectCell:
        case Action::Edit: {
            PropertyControl* c = control();
            if (!c) return false;
            if (step.action == Action::Set) result = manager.UserSetValue(*c, step.value);
            if (step.action == Action::Press) result = manager.UserPress(*c);
            if (step.action == Action::Command) result = manager.UserCommand(*c, step.id);
            if (step.action == Action::Select) result = manager.UserSelect(*c, step.row);
            if (step.action == Action::SelectCell) result = manager.UserSelectCell(*c, step.row, step.column);
            if (step.action == Action::Edit) result = manager.UserEditCell(*c, step.row, step.column, step.value);
            break;
        }
        case Action::Click:
            result = manager.UserClick(step.id);
            if (result.done && process.Ended()) endingButton = step.id;
            break;
        case Action::Pick: {
            HostApplication* app = HostApplicationObject();
            HostDocumentPtr doc = app ? app->ActiveDocumentOrNull() : nullptr;
            HostObjectPtr found;
            int seen = 0;
            if (int face = 0; doc && FaceNumber(step.target, face)) {
                // "face:N": the N-th face of the part's body, from 1.
                if (doc->Type() != DocumentType::Drawing2D) {
                    const std::shared_ptr<HostPart> part = TopPart(doc);
                    if (part && face <= static_cast<int>(part->Faces().size()))
                        found = part->Faces()[static_cast<std::size_t>(face - 1)];
                }
            } else if (doc)
                for (const HostObjectPtr& entity : doc->Entities())
                    if (entity->Name() == step.target && ++seen == step.occurrence) {
                        found = entity;
                        break;
                    }
            if (!found) {
                Fail(who, step, "no object " + Quoted(step.target) + " in the document");
                return false;
            }
            result = process.UserPick(found);
            break;
        }
        case Action::OpenTab:
        case Action::CloseTab: {
            PropertyTab* tab = manager.FindTab(step.target);
            if (!tab) {
                Fail(who, step, "no tab " + Quoted(step.target));
                return false;
            }
            result = step.action == Action::OpenTab ? manager.UserOpenTab(*tab) : manager.UserCloseTab(*tab);
            break;
        }
        case Action::Activate: manager.Activate(); break;
        case Action::Print: {
            PropertyControl* c = control();
            if (!c) return false;
            Say(who + ": " + Quoted(step.target) + " " + c->Dump());
            break;
        }
        case Action::Dump: Say(manager.Dump()); break;
        case Action::Wait: AdvanceHostClock(static_cast<std::uint64_t>(step.id)); break;
        default: Fail(who, step, "the step is one of a dialog's"); return false;
    }
    if (result.missing) {
        Fail(who, step, result.refusal);
        return false;
    }
    if (!result.done) Refused(who, step, result.refusal);
    return true;
}

void ScriptedUser::Drive(HostDialog& dialog) {
    const std::string name = dialog.ScriptName();
    UserSession session;
    bool defaulted = !Take(UserSession::Kind::Dialog, name, session);
    for (const UserStep& step : session.steps) {
        if (dialog.Ended()) break;
        if (!PlayDialogStep(step, dialog)) break;
    }
    if (!dialog.Ended()) {
        defaulted = true;
        dialog.UserClose();
    }
    if (!dialog.Ended()) {
        ++failures_;
        Say("dialog " + name + ": the dialog did not close");
        dialog.EndDialog(IDCANCEL_);
    }
    PanelScript::Instance().Record(PanelEntry{name, dialog.Title(), 0, defaulted});
}

bool ScriptedUser::PlayDialogStep(const UserStep& step, HostDialog& dialog) {
    const std::string who = "dialog " + dialog.ScriptName();
    UserActionResult result;
    switch (step.action) {
        case Action::Click: result = dialog.UserClick(step.id); break;
        case Action::Press: {
            DialogControl* c = dialog.FindControlByText(step.target);
            if (!c || c->Kind() != DialogControlKind::Button) {
                Fail(who, step, "no button " + Quoted(step.target));
                return false;
            }
            result = dialog.UserClick(c->Id());
            break;
        }
        case Action::Set: result = dialog.UserSetValue(step.id, step.value); break;
        case Action::Select: result = dialog.UserSelectRow(step.id, step.row); break;
        case Action::DoubleClick: result = dialog.UserDoubleClick(step.id, step.row); break;
        case Action::CheckRow: result = dialog.UserCheckRow(step.id, step.row, step.value == "on"); break;
        case Action::Edit: result = dialog.UserEditCell(step.id, step.row, step.column, step.value); break;
        case Action::Page: result = dialog.UserOpenPage(step.id, step.row); break;
        case Action::Close: result = dialog.UserClose(); break;
        case Action::Print: {
            DialogControl* c = dialog.FindControl(step.id);
            if (!c) {
                Fail(who, step, "no control " + std::to_string(step.id));
                return false;
            }
            Say(who + ": " + c->Dump());
            break;
        }
        case Action::Dump: Say(dialog.Dump()); break;
        default: Fail(who, step, "the step is one of a panel's"); return false;
    }
    if (result.missing) {
        Fail(who, step, result.refusal);
        return false;
    }
    if (!result.done) Refused(who, step, result.refusal);
    return true;
}

}  // namespace zarvento
