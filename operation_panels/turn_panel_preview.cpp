// The operation panel's results: the preview of the copy's NC lines on the
// tool tab, the pick of a line that puts the tool's model at its frame, and
// the statistics grid of the properties tab.
#include <algorithm>
#include <cstdio>

#include "nc/address_table.h"
#include "nc/cadre_head.h"
#include "nc/cadre_iso.h"
#include "nc/cadre_safe.h"
#include "nc/code_parameters.h"
#include "nc/modal_state.h"
#include "operation_panels/turn_panel.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/messages.h"
#include "platform/dialogs/property_control.h"
#include "post/post_processor_links.h"
#include "post/post_processor_settings.h"
#include "post/program.h"
#include "post/program_plan_links.h"

namespace zarvento {

namespace {

constexpr int kIconWarning = 0x30;

PARAMETERS* PlanProvider() {
    const ProgramPlanLinks* links = GetProgramPlanLinks();
    return links != nullptr ? links->PlanProvider() : nullptr;
}

// Writes a frame as the program writes it: numbered in this pass.
int WriteFrame(CCadreISO& frame, std::vector<std::string>& lines, int number) {
    frame.templateLineCount = 0;
    frame.frameNumber = -1;
    frame.SetOutputCoordinates();
    return frame.WriteText(lines, number);
}

std::string Fixed2(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%1.2f", value);
    return text;
}

}  // namespace

// The modal state, the address words' last values and the next block number
// where the copy's frames begin.
struct CTurnPanel::PreviewStart {
    ModalStateRecord modal;
    std::vector<AddressTable::Word> words;
    int number = 1;
};

void CTurnPanel::ReplayPreviousTurns(int before) {
    // Every active operation before the index, oldest first: what the
    // program writes ahead of the copy.
    CPLAN* plan = GetPLAN();
    const int count = std::min(before, plan->GetTurnCount());
    std::vector<std::string> thrownAway;
    int number = 1;
    for (int i = 0; i < count; ++i) {
        auto* turn = dynamic_cast<CTurn*>(plan->GetTurn(i));
        if (!turn || !turn->IsActive() || turn == GetOriginalTurn()) continue;
        for (const auto& frame : turn->Frames()) {
            frame->operation = turn;
            number = WriteFrame(*frame, thrownAway, number);
            thrownAway.clear();
        }
    }
    previewNumber = number;
}

void CTurnPanel::ShowProgramPreview() {
    if (!toolPathList) return;
    PARAMETERS* provider = PlanProvider();
    if (!previewStart) {
        ResetModalState();
        ResetAddressWords(0, provider);
        AddressTable::Global().SaveValues();
        previewNumber = 1;
        if (GetPLAN()->GetPrevActiveTurn(index - 1)) ReplayPreviousTurns(index);
        if (PostProcessorSettings::Current().VersionAtLeast("18")) {
            // The program's head and safety blocks advance the numbering as
            // in the program; their lines are not the operation's.
            std::vector<std::string> thrownAway;
            CCadre_Head head;
            CCadre_Safe safe;
            for (CCadreISO* frame : {static_cast<CCadreISO*>(&head), static_cast<CCadreISO*>(&safe)}) {
                if (provider && frame->codeParameters && !frame->codeParameters->parent)
                    frame->codeParameters->parent = provider;
                previewNumber = frame->WriteText(thrownAway, previewNumber);
            }
        }
        auto start = std::make_shared<PreviewStart>();
        start->modal = ModalState;
        start->words = AddressTable::Global().Words();
        start->number = previewNumber;
        previewStart = std::move(start);
    } else {
        ModalState = previewStart->modal;
        AddressTable::Global().SetWords(previewStart->words);
        AddressTable::Global().SaveValues();
        previewNumber = previewStart->number;
    }

    CPROGRAM program;
    program.Load();
    const std::int32_t units = ProgramUnits::Global().nINCH;
    toolPathList->SetCaption(units == 0   ? "Траектория, в мм"
                             : units == 1 ? "Траектория, в дюймах"
                                          : "Траектория, в см");
    for (const auto& frame : frames) frame->SetModalState();
    toolPathList->ClearItems();
    if (GetSPID()->Npositions <= 0) toolPathList->AddItem(kNoTurret);
    const int offset = static_cast<int>(toolPathList->Items().size());

    std::vector<std::string> lines;
    previewLineStarts.clear();
    previewLineStarts.reserve(frames.size() + 1);
    int number = previewNumber;
    for (const auto& frame : frames) {
        previewLineStarts.push_back(offset + static_cast<int>(lines.size()));
        frame->operation = this;
        number = WriteFrame(*frame, lines, number);
    }
    previewLineStarts.push_back(offset + static_cast<int>(lines.size()));
    for (std::string& line : lines) toolPathList->AddItem(std::move(line));
}

int CTurnPanel::FrameOfLine(int line) const {
    const int count = static_cast<int>(frames.size());
    if (count == 0) return -1;
    // The frames' ranges as the preview wrote them; a frame that wrote no
    // line has an empty range and is never the one picked.
    if (previewLineStarts.size() != frames.size() + 1) return std::clamp(line, 0, count - 1);
    const auto after = std::upper_bound(previewLineStarts.begin(), previewLineStarts.end() - 1, line);
    const int frame = static_cast<int>(after - previewLineStarts.begin()) - 1;
    return std::clamp(frame, 0, count - 1);
}

void CTurnPanel::ShowStatistics() {
    if (!statisticsGrid) return;
    GridControl& grid = statisticsGrid->Grid();
    if (indShema == 1) {
        HostMessageBox(kNoMachineCycleStatistics, CTurn::kCaption, MB_OK_ | kIconWarning);
        for (int row = 1; row <= 6; ++row) grid.SetCellText(row, 1, kUndefined);
        grid.Redraw();
        return;
    }
    // Without frames there is no path and no time to show.
    const PathStatistics s = frames.empty() ? PathStatistics{} : CalcStatistics();
    const double values[] = {s.workLength, s.idleLength, s.workLength + s.idleLength,
                             s.workTime,   s.auxTime,    s.auxTime + s.workTime};
    for (int row = 1; row <= 6; ++row) grid.SetCellText(row, 1, Fixed2(values[row - 1]));
    grid.Redraw();
}

}  // namespace zarvento
