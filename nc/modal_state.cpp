// The process-wide NC modal state and its reset.
#include "nc/modal_state.h"

#include "platform/core/process_state.h"

namespace zarvento {

ModalStateRecord ModalState;

ZARVENTO_STATE_RESET { ModalState = ModalStateRecord{}; }

void ResetModalState() {
    ModalStateRecord& m = ModalState;
    m.position[0] = m.position[1] = m.position[2] = 0.0;
    m.previousTool = -1;
    m.spindleState = 5;
    m.spindleReverse = 0;
    m.constantSpeed = 0;
    m.spindleSpeed = m.feed = m.cuttingSpeed = m.minSpindleSpeed = m.maxSpindleSpeed = 0.0;
    m.lastMoveRapid = 0;
    m.writtenX.clear();
    m.writtenZ.clear();
    m.frameCounter = 0.0;
    m.lastLineNumbered = 0;
    m.exportRun = 0;
    m.heldLine.clear();
    m.furtherText1.clear();
    m.templateActive = 0;
    m.templatesEnabled = 1;
    m.loopIndex = 0.0;
}

ExportRunGuard::ExportRunGuard() : saved_(ModalState.exportRun) { ModalState.exportRun = 1; }
ExportRunGuard::~ExportRunGuard() { ModalState.exportRun = saved_; }

}  // namespace zarvento
