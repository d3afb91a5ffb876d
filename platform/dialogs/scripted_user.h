// The user of the headless host's panels and dialogs, played from scripts.
// Whoever drives the host queues a session per panel or dialog name, in the
// order they will be shown: the steps a person would take, control by
// control. When a panel's process runs (or a dialog runs modally), the next
// session for its name is played; when none is queued, or its steps run out
// before the panel closes, the user presses Cancel and the record says the
// default was taken. A step the host refuses (a disabled button, a value out
// of range, an object the panel will not pick) is reported and the session
// goes on; a step that names what is not there (no such control, list item,
// row or object) is a failure that ends the session.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zarvento {

class HostDialog;
class PickProcess;
class PropertyManager;

struct UserStep {
    enum class Action {
        Set,          // set <control> <value>
        Press,        // press <control>: a button
        Command,      // command <control> <id>: a button of a bar or group
        Click,        // click <id>, ok, cancel, help
        Pick,         // pick <object>, or face:<n>: the n-th face of the part's body
        Select,       // select <control> <row>|none
        SelectCell,   // select <grid> <row> <column>
        Edit,         // edit <grid or list> <row> <column> <text>
        OpenTab,      // tab <caption>
        CloseTab,     // close-tab <caption>
        Activate,     // activate: the panel is shown again
        DoubleClick,  // double-click <list> <row>
        CheckRow,     // check <list> <row> on|off
        Page,         // page <tabs> <page>
        Close,        // close: the dialog's close box
        Print,        // print <control>
        Dump,         // dump: the whole panel or dialog
        Wait,         // wait <ms>: time passes on the host's clock
    };
    Action action = Action::Click;
    std::string target;  // a control's hint or caption (a dialog control's id), a tab, an object
    int occurrence = 1;  // "<name>@2": the second control of that name
    std::string value;
    int id = 0;
    int row = -1;
    int column = -1;
    int line = 0;  // the line of the script, for messages
};

struct UserSession {
    enum class Kind { Panel, Dialog };
    Kind kind = Kind::Panel;
    std::string name;
    std::vector<UserStep> steps;
    int line = 0;
};

// Reads one statement of a panel's or a dialog's block, split into words;
// false, with the reason, when it cannot be read.
bool ParsePanelStep(const std::vector<std::string>& words, UserStep& step, std::string& error);
bool ParseDialogStep(const std::vector<std::string>& words, UserStep& step, std::string& error);

class ScriptedUser {
public:
    static ScriptedUser& Instance();
    void Reset();

    void Queue(UserSession session);
    std::size_t Pending() const { return sessions_.size(); }
    // Whether a session for that panel or dialog is queued.
    bool Has(UserSession::Kind kind, const std::string& name) const;

    // The run of a panel's process, and of a modal dialog.
    void Drive(PickProcess& process);
    void Drive(HostDialog& dialog);

    // What the steps printed and what the host refused, line by line; also
    // passed to the echo (the command-line program prints it).
    void SetEcho(std::function<void(const std::string&)> echo) { echo_ = std::move(echo); }
    const std::vector<std::string>& Output() const { return output_; }
    // Steps that could not be played at all, counted since the last take.
    int TakeFailures();

private:
    bool Take(UserSession::Kind kind, const std::string& name, UserSession& out);
    bool PlayPanelStep(const UserStep& step, PickProcess& process, PropertyManager& manager, const std::string& name,
                       int& endingButton);
    bool PlayDialogStep(const UserStep& step, HostDialog& dialog);
    void Say(const std::string& text);
    void Refused(const std::string& who, const UserStep& step, const std::string& why);
    void Fail(const std::string& who, const UserStep& step, const std::string& why);

    std::deque<UserSession> sessions_;
    std::vector<std::string> output_;
    std::function<void(const std::string&)> echo_;
    int failures_ = 0;
};

}  // namespace zarvento
