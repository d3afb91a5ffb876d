// CommandScript: the line-based script that drives the library on the
// headless host in place of a user at the panels. The command-line program
// runs it, and so do the scenario tests. One statement per line; '#' starts
// a comment; values with blanks are written in double quotes.
//
//   lsc <name> [x y z [zx zy zz [xx xy xz]]]
//                                adds an NC coordinate system to the part:
//                                its origin, Z direction and X direction
//   lsc <name> face:<n> [reversed]
//                                ... on the axis of the n-th face of the body
//   profile <file>               makes the part's body by turning a profile
//                                in the contour units' script form
//   step <file> [<body>]         makes the part's body from a STEP file (one
//                                body of an assembly by its number or name)
//   part <field>=<value> ...     the part's properties (name, designation,
//                                material, location, density, author,
//                                organization, roughness, link)
//   variable <name> <value> [comment]
//                                a variable of the part model
//   dimension <kind> <nominal> [upper=<text>] [lower=<text>]
//                                a dimension on the model
//   roughness <text>             a roughness sign on the model
//   answer question yes|no       answers the next question
//   answer save-file|open-file ok file=<path> | cancel
//                                answers the next file dialog
//   answer <panel> ok|cancel [field=value ...]
//                                answers the next showing of a panel that
//                                is not yet on the host, whole
//   panel <name> ... end         the steps of the user at the next showing
//   dialog <name> ... end        of a panel or dialog on the host, one a line
//                                (platform/dialogs/scripted_user.h)
//   view <file>                  saves the part's view (.glb, .png or .svg)
//   menu <id>                    a command of the library's menu by its id,
//                                sent as the host's menu sends it
//   command <type> <action> <index>
//                                one action triple through the command door
//   <name> [arguments]           the same by name (see kCommandNames)
//
// Commands posted to the host while a command runs are run after it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs/scripted_user.h"

namespace zarvento {

class CPLAN;
class PlanTurn;

// A line of a script that cannot be read or run; what() names the line.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A part's file that the import refuses (missing, no regular file, empty, no
// STEP file, too large, damaged, without a solid body, an assembly with no
// body named); what() names the line and the reason.
class ImportError : public ScriptError {
public:
    using ScriptError::ScriptError;
};

class CommandScript {
public:
    // Names of the commands, their action and how they read arguments
    // (for the help text).
    struct NamedCommand {
        const char* name;
        std::int32_t action;
        const char* arguments;  // "", "<index>" or "<type> [index]"
        const char* help;
    };
    static const std::vector<NamedCommand>& Commands();

    // Profiles named in the script are found relative to `baseFolder`; STEP
    // files, like the documents named in panel answers, relative to the
    // folder the program runs in.
    explicit CommandScript(std::filesystem::path baseFolder = {});

    // Runs every line in order; stops with ScriptError at a line it cannot
    // read (a panel's block left open included). Commands that fail are
    // reported by the door and the script goes on.
    void Run(std::string_view text);
    void RunLine(std::string_view line, int lineNumber);

    // Commands run and how many of them ended in a reported failure.
    int CommandsRun() const { return commandsRun_; }
    int CommandsFailed() const { return commandsFailed_; }
    // The script lines of the failed commands, in order, each once.
    const std::vector<int>& FailedLines() const { return failedLines_; }
    // The operations the script's commands created or edited that the plan
    // still holds, in the plan's order (a plan read again from the document
    // keeps them by their places).
    std::vector<const PlanTurn*> OperationsWorkedOn() const;

    // Splits a line into words; double quotes keep blanks inside a word.
    static std::vector<std::string> Words(std::string_view line, int lineNumber);

    // Statements a higher layer adds (the host binding's tree and event
    // statements): true when it took the line; a ScriptError it raises names
    // the line.
    using ExtraStatements = std::function<bool(const std::vector<std::string>& words, int lineNumber)>;
    void SetExtraStatements(ExtraStatements extra) { extra_ = std::move(extra); }
    // What the user does outside a panel (a click in the plan tree, a host
    // event), counted as a command, and then the commands it posted.
    void UserAction(const std::function<void()>& action);

private:
    // Runs the command and the commands it posts; a command counts as failed
    // when the door reports a failure or a panel refused a field of the
    // answer it was given.
    void Command(std::int32_t type, std::int32_t action, std::int32_t index);
    // A named command the plan cannot carry out as written (no operation at
    // the index, no such type) fails without reaching the door.
    void Refuse(const std::string& why, int lineNumber);
    // A new operation; one the plan takes with an error message fails too.
    void Create(std::int32_t type, std::int32_t index, std::int32_t action);
    static int OperationCount();
    // The plan's operations now, in its order, and which list they are in.
    struct PlanOperations {
        const CPLAN* plan = nullptr;
        std::uint64_t cleared = 0;  // the plan's TurnsCleared
        std::vector<const PlanTurn*> operations;
    };
    static PlanOperations SeeOperations();
    // After a command: the operations it made join those worked on (unless
    // the plan was not `read` before it: the command read the document's),
    // an edited one (its index, or -1) too, and deleted ones leave.
    void FollowOperations(const PlanOperations& before, std::int32_t edited, bool read = true);
    // A command of the library's menu, through the host to the library's entry.
    void MenuCommand(std::int32_t id, int lineNumber);
    // Counts a command the host ran, as Command says.
    void CountCommand();
    void Answer(const std::vector<std::string>& words, int lineNumber);
    void BeginBlock(const std::vector<std::string>& words, int lineNumber);
    void BlockLine(const std::vector<std::string>& words, int lineNumber);
    void PartProperty(const std::vector<std::string>& words, int lineNumber);
    // lsc: a coordinate system by its origin and directions, or on a face's axis.
    void CoordinateSystem(const std::vector<std::string>& words, int lineNumber);
    void Dimension(const std::vector<std::string>& words, int lineNumber);
    // thread <name> <face> <diameter> <pitch>: a thread designation on a face of the part.
    void ThreadDesignation(const std::vector<std::string>& words, int lineNumber);
    // menu <id> and command <type> <action> <index>.
    void MenuStatement(const std::vector<std::string>& words, int lineNumber);
    void ActionStatement(const std::vector<std::string>& words, int lineNumber);
    // profile <file>: the part's body turned from a profile script.
    void ProfileStatement(const std::vector<std::string>& words, int lineNumber);
    // A command by name with its arguments: an operation index, or a type and
    // where the new operation goes.
    void NamedStatement(const NamedCommand& named, const std::vector<std::string>& words, int lineNumber);

    std::filesystem::path base_;
    ExtraStatements extra_;
    // The block of a panel or dialog being read, between its line and "end".
    std::unique_ptr<UserSession> block_;
    int commandsRun_ = 0;
    int commandsFailed_ = 0;
    int line_ = 0;          // the line being run
    int refusalsSeen_ = 0;  // the panels' refusals before the command counted last
    // The part's section failures before the command counted last.
    int sectionFailuresSeen_ = 0;
    std::vector<int> failedLines_;
    std::vector<const PlanTurn*> workedOn_;  // not owned: the plan's
    void CountFailure();
};

}  // namespace zarvento
