// The tool change frame.
#include "nc/cadre_t.h"

#include <cmath>

#include "nc/frame_simulation.h"
#include "nc/frame_templates.h"
#include "nc/frame_text_format.h"
#include "nc/modal_state.h"
#include "platform/documents/settings_record.h"

namespace zarvento {

CCadre_T::CCadre_T(std::int32_t toolPosition, double tNumber, double previousTNumber, bool isFirstTool) {
    toolNumber = toolPosition;
    toolValue = tNumber;
    previousToolValue = previousTNumber;
    firstTool = isFirstTool ? 1 : 0;
    spindleState = 0;
    ModalState.previousTool = toolPosition;
    ModalState.spindleState = 0;
}

void CCadre_T::SetModalState() {
    if (ModalState.versionText != "18") {
        CCadreISO::SetModalState();
        return;
    }
    ModalState.previousTool = toolNumber;
    ModalState.spindleSpeed = spindleSpeed;
    ModalState.feed = feed;
    ModalState.spindleState = spindleState;
}

double* CCadre_T::GetVariable(std::string_view name) {
    if (name == "_T") return &toolValue;
    if (name == "_T0") return &previousToolValue;
    return CCadreISO::GetVariable(name);
}

int CCadre_T::WriteText(std::vector<std::string>& lines, int number) {
    // A tool change may take the axes to the reference point (the installed
    // descriptions do): the first move after it states where to go.
    ForgetWrittenAxes();
    if (WriteByTemplate("T", lines, number)) return number;
    const BuiltInFrameTexts& texts = BuiltInFrameTexts::Global();
    // The format comes from a description file: only a checked integer format is used.
    std::optional<std::string> call = FormatIntegerField(texts.toolCallFormat, toolNumber + 1LL);
    if (!call) call = FormatIntegerField("T%d", toolNumber + 1LL);
    AddTextLine(lines, FormatFrameNumber(number) + *call);
    if (texts.toolOffsetText.empty()) return NextNumber(number);
    AddTextLine(lines, FormatFrameNumber(number) + texts.toolOffsetText);
    return NextNumber(number, 2);
}

std::int32_t CCadre_T::SimulateStep(FrameSimulation& simulation) {
    simulation.ShowStatus(feed, spindleSpeed, toolNumber);
    simulation.ChangeTool(toolNumber, operation);
    return pointCount;
}

PathStatistics CCadre_T::GetStatistics() {
    // The frame's own previous tool: the modal one is whatever the last
    // calculation left by the time statistics are taken. The first tool
    // travels from position -1, the modal state's "no tool".
    const double previousPosition = firstTool ? -1.0 : previousToolValue - 1.0;
    PathStatistics s;
    s.auxTime = std::fabs(previousPosition - toolNumber) * SettingsRecord::Global().toolChangeTime / 60.0;
    return s;
}
}  // namespace zarvento
