// Spindle frames: modal spindle state and built-in text.
#include "nc/cadre_spindle.h"

#include "nc/frame_simulation.h"
#include "nc/modal_state.h"
#include "platform/documents/settings_record.h"

namespace zarvento {

CCadreSpindle::CCadreSpindle(std::int32_t state, char letter, const char* code) : state_(state), code_(code) {
    kindLetter = letter;
    spindleState = state;
    RecordState();
}

void CCadreSpindle::RecordState() {
    ModalState.spindleState = state_;
    if (state_ == 3) ModalState.spindleReverse = 0;
    if (state_ == 4) ModalState.spindleReverse = 1;
}

void CCadreSpindle::SetModalState() {
    CCadreISO::SetModalState();
    spindleState = state_;
    ModalState.spindleState = state_;
}

int CCadreSpindle::WriteText(std::vector<std::string>& lines, int number) {
    RecordState();
    spindleState = state_;
    if (WriteByTemplate(code_, lines, number)) return number;
    AddTextLine(lines, FormatFrameNumber(number) + code_);
    return NextNumber(number);
}

std::int32_t CCadreSpindle::SimulateStep(FrameSimulation& simulation) {
    const bool turning = state_ != 5;
    if (!simulation.IsPreCalculation() && simulation.IsSpindleTurning() != turning) {
        simulation.SetSpindleTurning(turning);
        simulation.SetGadgetsRotated(turning);
        simulation.RedrawPartView();
    }
    simulation.ShowStatus(feed, spindleSpeed, toolNumber);
    return pointCount;
}

PathStatistics CCadreSpindle::GetStatistics() {
    PathStatistics s;
    s.auxTime = SettingsRecord::Global().spindleTime / 60.0;
    return s;
}
}  // namespace zarvento
