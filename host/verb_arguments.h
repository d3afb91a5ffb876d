// The one reader of a `zarvento` verb's arguments (argv[2] on): options that
// stand alone ("--check"), options followed by a value ("-o <file>"), plain
// arguments, and --help. The program reads its own verbs with it as well as
// the library's, so it is whole in this header.
#pragma once

#include <cstddef>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento::app {

struct VerbOption {
    std::string_view name;        // "--output": what the verb asks for
    std::string_view alias = {};  // "-o": the same option, shorter
    bool takesValue = false;
};

// How a verb is called.
struct VerbSyntax {
    // Its usage line (with its newline), shown when the arguments do not fit.
    std::string_view usage;
    std::vector<VerbOption> options = {};
    std::size_t minPlain = 0;
    std::size_t maxPlain = 0;
};

// --help and -h ask any verb for its help.
inline bool IsHelpOption(std::string_view arg) { return arg == "--help" || arg == "-h"; }

// Whether a verb's arguments ask for its help, before its syntax is known.
inline bool AsksForHelp(int argc, char** argv) {
    for (int k = 2; k < argc; ++k)
        if (IsHelpOption(argv[k])) return true;
    return false;
}

class VerbArguments {
public:
    // Reads argv[2] on. An argument that starts with '-' is an option, except
    // a negative number, which is plain. False after a one-line error on the
    // standard error: the unknown option named, or the verb's usage line for
    // a missing value or too few or too many plain arguments; false too after
    // the usage line on the standard output when --help is among them. The
    // verb then returns ExitStatus().
    bool Read(const VerbSyntax& syntax, int argc, char** argv) {
        syntax_ = &syntax;
        for (int k = 2; k < argc; ++k) {
            const std::string_view arg = argv[k];
            if (!IsOption(arg)) {
                plain_.emplace_back(arg);
                continue;
            }
            if (IsHelpOption(arg)) {
                help_ = true;
                continue;
            }
            const VerbOption* option = Find(arg);
            if (!option) {
                std::cerr << "zarvento: unknown option '" << arg << "'\n";
                return false;
            }
            if (!option->takesValue) {
                given_.push_back({option->name, {}});
            } else if (k + 1 < argc) {
                given_.push_back({option->name, argv[++k]});
            } else {
                return Usage();
            }
        }
        if (help_) {
            std::cout << syntax.usage;
            return false;
        }
        if (plain_.size() < syntax.minPlain || plain_.size() > syntax.maxPlain) return Usage();
        return true;
    }

    // 0 after --help, 2 (wrong usage) after any other refusal.
    int ExitStatus() const { return help_ ? 0 : 2; }
    const std::vector<std::string>& Plain() const { return plain_; }
    // Whether the option (by its name) was given.
    bool Has(std::string_view name) const { return Last(name) != nullptr; }
    // The value given last to the option, or `otherwise`.
    std::string Value(std::string_view name, std::string otherwise = {}) const {
        const Given* given = Last(name);
        return given ? given->value : otherwise;
    }

    // The verb's usage line on the standard error; false, for a verb to return.
    bool Usage() const {
        std::cerr << syntax_->usage;
        return false;
    }

private:
    struct Given {
        std::string_view name;
        std::string value;
    };

    static bool IsOption(std::string_view arg) {
        if (arg.size() < 2 || arg[0] != '-') return false;
        const char next = arg[1];
        return !((next >= '0' && next <= '9') || next == '.');
    }

    const VerbOption* Find(std::string_view arg) const {
        for (const VerbOption& option : syntax_->options)
            if (option.name == arg || (!option.alias.empty() && option.alias == arg)) return &option;
        return nullptr;
    }

    const Given* Last(std::string_view name) const {
        for (auto it = given_.rbegin(); it != given_.rend(); ++it)
            if (it->name == name) return &*it;
        return nullptr;
    }

    const VerbSyntax* syntax_ = nullptr;
    std::vector<std::string> plain_;
    std::vector<Given> given_;
    bool help_ = false;
};

}  // namespace zarvento::app
