// The whole-plan recalculation and the display of the operations' paths.
#include "nc/modal_state.h"
#include "plan/plan.h"

#include <algorithm>
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_error.h"
#include "platform/documents/hidden_document.h"
#include "platform/processes/module.h"

namespace zarvento {

namespace {

// Only counted up, never put back: what is read is a difference.
CPLAN::CalculationCounts counts;

}  // namespace

const CPLAN::CalculationCounts& CPLAN::Calculations() { return counts; }

void CPLAN::DiagnosticRaschetPath() { CalculateFrom(0, nullptr); }

void CPLAN::RecalculateTurn(int k) {
    if (k < 0 || static_cast<std::size_t>(k) >= turns.size()) return;
    const auto at = static_cast<std::size_t>(k);
    if (at >= modalBefore_.size() || modalBefore_[at].op != turns[at].get()) {
        CalculateFrom(0, nullptr);
        return;
    }
    // The states after it stay valid: its neighbours are not calculated again.
    const std::vector<ModalBefore> kept = modalBefore_;
    const std::shared_ptr<const ModalStateRecord> modal = modalBefore_[at].state;
    CalculateFrom(at, modal.get(), at);
    modalBefore_ = kept;
}

void CPLAN::DiagnosticRaschetPathAppended() {
    const std::size_t count = turns.size();
    // The last active operation before the new one: the first whose next
    // active operation is the new one (those after it are not active).
    std::size_t first = count >= 2 ? count - 2 : 0;
    while (first > 0 && !turns[first]->IsActive()) --first;
    // Its state as the last calculation left it: any other change of the
    // list since has cleared the states, so those kept are the operations'.
    const bool known = first < modalBefore_.size() && modalBefore_[first].op == turns[first].get();
    if (!known || first == 0) {
        CalculateFrom(0, nullptr);
        return;
    }
    const std::shared_ptr<const ModalStateRecord> modal = modalBefore_[first].state;
    CalculateFrom(first, modal.get());
}

void CPLAN::CalculateFrom(std::size_t first, const ModalStateRecord* modal, std::size_t last) {
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
    // The description's texts and the program builder's lists are not the
    // calculation's: they stay as the reset leaves them.
    if (modal) {
        const ModalStateRecord kept = ModalState;
        ModalState = *modal;
        ModalState.versionText = kept.versionText;
        ModalState.builtInTextWritten = kept.builtInTextWritten;
        ModalState.furtherText2 = kept.furtherText2;
        ModalState.errorTexts = kept.errorTexts;
        ModalState.refusedWords = kept.refusedWords;
    }
    // Every operation starts from what the ones before it left (tool, end
    // point, modal state), excluded ones included, so the order is the plan's.
    const std::size_t count = turns.size();
    if (last >= count) {
        ++counts.plans;
    } else {
        ++counts.singleTurns;
    }
    modalBefore_.resize(std::min(first, modalBefore_.size()));
    for (std::size_t k = first; k < count && k < turns.size() && k <= last; ++k) {
        auto state = std::make_shared<ModalStateRecord>(ModalState);
        // The program builder's lists are no part of the calculation.
        state->errorTexts.clear();
        state->refusedWords.clear();
        modalBefore_.push_back({turns[k].get(), std::move(state)});
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
