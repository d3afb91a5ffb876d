// The finished NC program of a frame list: the frames' own text, or the
// text the post-processor's script makes of it.
#include <filesystem>

#include "platform/core/messages.h"
#include "platform/dialogs/list_control.h"
#include "post/program.h"
#include "post/program_plan_links.h"
#include "post/python_run.h"

namespace zarvento {

bool CPROGRAM::MakeProgramText(std::vector<std::string>& lines, std::vector<std::string>* messages,
                               std::vector<std::string>* frameText) {
    lines.clear();
    if (frameText != nullptr) frameText->clear();
    WriteProgramText(lines);
    if (!refusedWords_.empty()) {
        // A few are enough to find the cause; the rest are alike.
        constexpr std::size_t kShown = 5;
        std::string text = kRefusedWord;
        for (std::size_t k = 0; k < refusedWords_.size() && k < kShown; ++k) text += "\n" + refusedWords_[k];
        if (refusedWords_.size() > kShown) text += "\n... (" + std::to_string(refusedWords_.size()) + ")";
        ShowHostMessage(text);
        return false;
    }
    if (!UsesScript()) return true;
    if (!SaveInputFile(lines)) return false;
    ListControl program;
    ListControl console;
    const bool ran = RunPostProcessor(&program, &console);
    if (messages != nullptr) *messages = console.Lines();
    if (!ran) return false;
    // The run has already shown why when the script left no program.
    if (!ScriptError().empty()) return false;
    ReadPathFile();
    if (frameText != nullptr) *frameText = std::move(lines);
    lines = program.Lines();
    return true;
}

}  // namespace zarvento
