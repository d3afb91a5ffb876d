// The whole-plan recalculation and the display of the operations' paths.
#include "nc/modal_state.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/busy_flag.h"
#include "platform/hidden_document.h"
#include "platform/host_error.h"
#include "platform/module.h"

namespace zarvento {

void CPLAN::DiagnosticRaschetPath() {
    // The flag keeps the host's notifications about the document switches
    // out of the library; it goes back to what it was, since callers (the
    // first run, a panel's close) may hold it themselves.
    BusyFlagGuard busy;
    HostApplication* app = HostApplicationObject();
    if (!app) throw HostError(E_POINTER_, "no host application");
    HostDocumentPtr hidden = CreateHiddenDocument();
    ActiveDocumentSwitch userDocumentBack(*app, hidden);
    ActiveDocument2DSwitch drawIntoHidden(HiddenWorkDocument2D());
    RefreshHostView();
    ResetModalState();
    // Every operation starts from what the ones before it left (tool, end
    // point, modal state), excluded ones included, so the order is the plan's.
    const std::size_t count = turns.size();
    for (std::size_t k = 0; k < count && k < turns.size(); ++k) {
        turns[k]->DiagnosticRaschetPath(static_cast<int>(k));
    }
}

void CPLAN::WalkPaths(bool redraw) {
    CSPID* spid = GetSPID();
    if (!spid->GetDetailContour()) return;
    bool drawn = false;
    for (const auto& op : turns) {
        if (!op->isShowPath) continue;
        if (op->isExclude) {
            op->HideFrames();
            continue;
        }
        if (redraw) {
            op->ShowFrames();
        } else {
            op->UnhideFrames();
        }
        drawn = true;
    }
    if (drawn) {
        spid->ShowStartPoint();
    } else {
        spid->HideStartPoint();
    }
    if (redraw) RefreshHostView();
}

void CPLAN::RedrawPaths() { WalkPaths(true); }

void CPLAN::RestorePaths() { WalkPaths(false); }

void CPLAN::HidePaths() {
    for (const auto& op : turns) {
        if (op->isShowPath) op->HideFrames();
    }
    GetSPID()->RemoveStartPoint();
}

std::vector<CCadreISO*> CPLAN::CollectProgramFrames() const {
    std::vector<CCadreISO*> frames;
    for (const auto& op : turns) {
        if (op->IsActive()) op->CollectFrames(frames);
    }
    return frames;
}

}  // namespace zarvento
