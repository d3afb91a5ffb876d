// The plan's NC program made, judged as it will be saved, and saved.
#include "operations/checked_program.h"

#include <utility>

#include "operations/turn.h"
#include "operations/written_program_check.h"
#include "plan/plan.h"

namespace zarvento {

namespace {

// The operations of the plan that are not excluded and carry a message: the
// program has their headings and marks but none of their moves.
void AddOperationFaults(ProgramVerdict& verdict) {
    const CPLAN* plan = ExistingPLAN();
    if (plan == nullptr) return;
    for (int i = 0; i < plan->GetTurnCount(); ++i) {
        const PlanTurn* op = plan->GetTurn(i);
        if (op->isExclude || !op->HasMessage()) continue;
        verdict.faults.push_back({dynamic_cast<const CTurn*>(op), i, op->GetNameTurn(), op->messageText});
    }
}

void AddTextFault(ProgramVerdict& verdict, std::string text) {
    verdict.faults.push_back({nullptr, -1, {}, std::move(text)});
}

}  // namespace

std::string ProgramVerdict::Text() const {
    std::string text = CheckedProgram::kNotSaved;
    for (const ProgramFault& f : faults) {
        text += "\n";
        if (f.index >= 0) text += "Обработка " + std::to_string(f.index + 1) + " \"" + f.name + "\": ";
        text += f.text;
    }
    return text;
}

ProgramVerdict JudgeProgram(const CPROGRAM& program, const std::vector<std::string>& frameText,
                            const std::vector<std::string>* scriptText) {
    ProgramVerdict verdict;
    std::vector<std::string> faults;
    CheckWrittenProgram(program, SavedText{&frameText, scriptText}, faults);
    // The operations the text failed have their messages now, beside those
    // that had one before.
    AddOperationFaults(verdict);
    for (std::string& fault : faults) AddTextFault(verdict, std::move(fault));
    const std::vector<std::string>& saved = scriptText ? *scriptText : frameText;
    if (saved.empty()) AddTextFault(verdict, "the program has no text");
    return verdict;
}

CheckedProgram::CheckedProgram() { program_.Load(); }

CheckedProgram::~CheckedProgram() {
    // The paths the machine compensates are made again with their
    // corrections; the program's own frames go with it.
    correctionOff_.reset();
}

bool CheckedProgram::Make() {
    made_ = false;
    lines_.clear();
    console_.clear();
    verdict_ = {};
    // The paths the machine compensates are judged as calculated, then made
    // without the nose's offset, as the machine is to be given them.
    correctionOff_.emplace(program_);
    program_.CreateProgram();
    std::vector<std::string> frameText;
    if (!program_.MakeProgramText(lines_, &console_, &frameText)) {
        AddOperationFaults(verdict_);
        if (!program_.RefusedWords().empty()) {
            std::string words = CPROGRAM::kRefusedWord;
            for (const std::string& w : program_.RefusedWords()) words += "\n" + w;
            AddTextFault(verdict_, words);
        } else {
            AddTextFault(verdict_, program_.ScriptError().empty() ? std::string(CPROGRAM::kScriptFailed)
                                                                  : program_.ScriptError());
        }
        lines_.clear();
        return false;
    }
    const bool scripted = !frameText.empty();
    verdict_ = JudgeProgram(program_, scripted ? frameText : lines_, scripted ? &lines_ : nullptr);
    made_ = verdict_.Right();
    return made_;
}

void CheckedProgram::Release() {
    correctionOff_.reset();
    program_.ClearFrames();
    program_.ReleaseFrames();
}

bool CheckedProgram::Save(const std::string& path) {
    if (!made_) return false;
    return program_.SaveProgramFile(path, lines_);
}

}  // namespace zarvento
