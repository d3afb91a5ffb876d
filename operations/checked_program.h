// CheckedProgram: the plan's NC program on its way to a file. Every road that
// writes one (the program command, the program panel's save, the export)
// takes it through here: the text is made as it will be saved (through the
// post-processor's script when the description has one), read back as a
// control reads it, judged against the part and the stock with each
// operation's tool, and only a program judged right is saved.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "post/program.h"

namespace zarvento {

class CTurn;

// What refuses a program: an operation's message (the operation, its plan
// index and the text), or a fault of the text itself (operation null).
struct ProgramFault {
    const CTurn* op = nullptr;
    int index = -1;
    std::string name;
    std::string text;
};

struct ProgramVerdict {
    std::vector<ProgramFault> faults;

    bool Right() const { return faults.empty(); }
    // The faults for the user, a paragraph each, under "Программа ЧПУ не
    // сохранена:".
    std::string Text() const;
};

// The verdict on a program whose text is made: every operation of the plan
// that is not excluded has its moves in it (an operation with a message,
// a warning too, has none), the blocks are readable, and no move as written
// (`frameText`, or `scriptText` when the script made the program of it)
// cuts into the part or runs into the stock. The operations the text fails
// get their messages.
ProgramVerdict JudgeProgram(const CPROGRAM& program, const std::vector<std::string>& frameText,
                            const std::vector<std::string>* scriptText);

class CheckedProgram {
public:
    static constexpr const char* kNotSaved = "Программа ЧПУ не сохранена:";

    // The program with the settings of its record.
    CheckedProgram();
    // The radius corrections go back on, whatever way it is left.
    ~CheckedProgram();
    CheckedProgram(const CheckedProgram&) = delete;
    CheckedProgram& operator=(const CheckedProgram&) = delete;

    // The calculated plan's program as it will be saved, judged. False, with
    // the verdict's faults, when it is refused; the script's console lines
    // are kept either way.
    bool Make();
    const std::vector<std::string>& Lines() const { return lines_; }
    const std::vector<std::string>& Console() const { return console_; }
    const ProgramVerdict& Verdict() const { return verdict_; }
    // Puts the radius corrections back and lets the frames go; the text
    // stays to be saved.
    void Release();
    // Saves a program judged right, replacing the file as a whole; false
    // (with the writer's reason shown and in SaveError) otherwise.
    bool Save(const std::string& path);
    const std::string& SaveError() const { return program_.SaveError(); }

private:
    CPROGRAM program_;
    std::optional<RadiusCorrectionOff> correctionOff_;
    std::vector<std::string> lines_;
    std::vector<std::string> console_;
    ProgramVerdict verdict_;
    bool made_ = false;
};

}  // namespace zarvento
