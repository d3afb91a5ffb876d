// CommandScript: the line-based script that drives the library on the
// headless host in place of a user at the panels. The command-line program
// runs it, and so do the scenario tests. One statement per line; '#' starts
// a comment; values with blanks are written in double quotes.
//
//   lsc <name> [x y z]           adds an NC coordinate system to the part
//   profile <file>               adds the part's faces of revolution from a
//                                profile in the contour units' script form
//   answer question yes|no       answers the next question
//   answer <panel> ok|cancel [field=value ...]
//                                answers the next showing of a panel
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
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

// A line of a script that cannot be read or run; what() names the line.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
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

    // Files named in the script are found relative to `baseFolder`.
    explicit CommandScript(std::filesystem::path baseFolder = {}) : base_(std::move(baseFolder)) {}

    // Runs every line in order; stops with ScriptError at a line it cannot
    // read. Commands that fail are reported by the door and the script goes on.
    void Run(std::string_view text);
    void RunLine(std::string_view line, int lineNumber);

    // Commands run and how many of them ended in a reported failure.
    int CommandsRun() const { return commandsRun_; }
    int CommandsFailed() const { return commandsFailed_; }

    // Splits a line into words; double quotes keep blanks inside a word.
    static std::vector<std::string> Words(std::string_view line, int lineNumber);

private:
    void Command(std::int32_t type, std::int32_t action, std::int32_t index);
    void MenuCommand(std::int32_t id, int lineNumber);
    void CountCommand();
    void Answer(const std::vector<std::string>& words, int lineNumber);

    std::filesystem::path base_;
    int commandsRun_ = 0;
    int commandsFailed_ = 0;
};

}  // namespace zarvento
