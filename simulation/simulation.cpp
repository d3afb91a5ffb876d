// The simulation's life, its run on timer 100, the pre-calculation, jumps to
// a frame and the calls the frames make back.
#include "simulation/simulation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "catalogs/param_tool.h"
#include "geometry/exception.h"
#include "geometry/primitives.h"
#include "geometry/simulation_hook.h"
#include "model/simulation_changed_units.h"
#include "model/tessellation_object.h"
#include "nc/cadre_iso.h"
#include "nc/modal_state.h"
#include "operations/turn.h"
#include "plan/spid.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/core/process_state.h"
#include "platform/core/scope_guard.h"
#include "platform/dialogs/host_timers.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/host_application.h"
#include "platform/documents/settings_record.h"
#include "platform/drawings/document_2d.h"
#include "platform/processes/module.h"
#include "post/program.h"
#include "simulation/simulation_controls.h"
#include "simulation/simulation_messages.h"
#include "simulation/tool_model_placement.h"

namespace zarvento {

namespace {

// One simulation runs at a time: the one the timer drives.
CSimulation* current = nullptr;
bool stopped = false;
bool insideStep = false;
bool hostFrameBusy = false;

ZARVENTO_STATE_RESET {
    current = nullptr;
    stopped = false;
    insideStep = false;
    hostFrameBusy = false;
}

// Hosts from this major version on show the whole status line in the
// spindle-speed control.
constexpr int kStatusLineVersion = 17;
constexpr int kStockColour = 12;

void SimulationTimerProc(WindowHandle, std::uintptr_t, std::uint64_t) {
    CSimulation* simulation = current;
    if (simulation == nullptr || stopped || simulation->IsPaused()) return;
    // Nothing may leave a timer callback: a failure ends the run with its
    // reason instead.
    try {
        simulation->OnTimer();
    } catch (const HostError& e) {
        simulation->Stop(e.Message());
    } catch (const std::exception& e) {
        simulation->Stop(e.what());
    }
}

// Set while a point's material is removed, on every way out.
class InsideStep {
public:
    InsideStep() { insideStep = true; }
    ~InsideStep() { insideStep = false; }
    InsideStep(const InsideStep&) = delete;
    InsideStep& operator=(const InsideStep&) = delete;
};

CSPID* Plan() { return ExistingSPID(); }

DocumentEventsAdvisor eventsAdvisor = nullptr;

}  // namespace

DocumentEventsAdvisor RegisterDocumentEventsAdvisor(DocumentEventsAdvisor advisor) {
    return std::exchange(eventsAdvisor, advisor);
}

// ---------------------------------------------------------------- life

CSimulation::CSimulation(const Contour* stock, const Contour* spare, const Contour*) {
    stopped = false;
    if (stock) stock_ = stock->Clone();
    if (spare) spare_ = spare->Clone();
    SetTransparency(50.0);
    speedFactor_ = 100.0;
    stockColour_ = SettingsRecord::Global().Colour(kStockColour);
}

CSimulation::~CSimulation() {
    try {
        Stop();
        if (drawing2D_) drawing2D_->RefreshView(2);
        // What is drawn after the simulation takes the settings' transparency again.
        DefaultOpacity = (100.0 - SettingsRecord::Global().transparency) / 100.0;
    } catch (...) {
        // A host that fails while the simulation goes away has nothing left
        // to tell the user about it.
    }
    if (current == this) current = nullptr;
    if (document2D_) {
        if (HostApplication* app = HostApplicationObject()) app->Documents().Close(document2D_);
    }
}

void CSimulation::SetFrames(const std::vector<CCadreISO*>& frames) {
    frames_.RemoveAll();
    for (CCadreISO* frame : frames) frames_.Add(frame);
}

void CSimulation::SetFrames(const StepArray<CCadreISO*>& frames) {
    frames_.RemoveAll();
    for (CCadreISO* frame : frames) frames_.Add(frame);
}

void CSimulation::SetControls(SimulationControls* controls, SimulationMessages* messages) {
    controls_ = controls;
    messages_ = messages;
}

void CSimulation::SetSpeedFactor(double v) {
    speedFactor_ = v;
    for (CCadreISO* frame : frames_) frame->speedFactor = v;
}

void CSimulation::SetTransparency(double percent) {
    transparency_ = percent;
    // The stock's faces, drawn afresh below, take it.
    DefaultOpacity = (100.0 - percent) / 100.0;
    if (!stock_) return;
    stock_ = stock_->Clone();
    if (!Is2D()) stock_->CreateTessellationFaces(stockColour_);
    RefreshHostView();
}

void CSimulation::SetToolHidden(bool hidden) {
    if (hidden && !toolHidden_ && toolModel_) toolModel_->Hide();
    toolHidden_ = hidden;
}

bool CSimulation::Is2D() const { return SimulationCheckMode; }

CSimulation* CSimulation::Current() { return current; }

void CSimulation::SetHostFrameBusy(bool busy) { hostFrameBusy = busy; }

bool CSimulation::IsInsideStep() { return insideStep; }

CCadreISO* CSimulation::FrameAt(std::int32_t index) const {
    if (index < 0 || static_cast<std::uint32_t>(index) >= frames_.Count()) return nullptr;
    return frames_[static_cast<std::uint32_t>(index)];
}

// ---------------------------------------------------------------- intervals and labels

double CSimulation::TickInterval(double v) {
    if (v > 1.9 && v < 10.1) return kBaseInterval / std::pow(v, 0.3);
    if (v >= 10.1) return kBaseInterval / std::pow(10.0, 0.3);
    return kBaseInterval;
}

double CSimulation::RevolutionInterval(double spindleSpeed, double v) {
    // Without a spindle speed (or a speed factor) there is no revolution to
    // time: the frame ticks as any other.
    if (!(spindleSpeed > 0.0) || !(v > 0.0) || !std::isfinite(spindleSpeed) || !std::isfinite(v))
        return TickInterval(v);
    return std::max(1.0, 60000.0 / spindleSpeed / v);
}

std::string CSimulation::FrameLabel(std::int32_t frameNumber, const std::string& rowText) {
    if (frameNumber < 0) return rowText + " ";
    return "N" + std::to_string(frameNumber) + " ";
}

std::string CSimulation::CurrentLabel() const {
    return FrameLabel(currentFrameNumber_, controls_ ? controls_->RowText(currentRow_) : std::string());
}

void CSimulation::AddMessage(std::int32_t frameNumber, const std::string& text) {
    if (messages_) messages_->Add(frameNumber, text);
}

void CSimulation::ResetTickInterval() { tickInterval_ = TickInterval(speedFactor_); }

void CSimulation::FlushDeletions() { FlushHostDeletions(); }

// ---------------------------------------------------------------- called back by frames

void CSimulation::ShowStatus(double feed, double spindleSpeed, std::int32_t toolNumber) {
    if (preCalculation_ || !controls_) return;
    controls_->ShowValues(spindleSpeed, feed, toolNumber + 1);
    if (SettingsRecord::kHostMajorVersion >= kStatusLineVersion) {
        char text[128];
        std::snprintf(text, sizeof text, "T %d    F %1.3f    S %1.0f", toolNumber + 1, feed, spindleSpeed);
        controls_->ShowStatusText(text);
    }
}

ParamTool* CSimulation::UsableTool(std::int32_t toolNumber) {
    CSPID* spid = Plan();
    ParamTool* tool = spid ? spid->GetTool(toolNumber) : nullptr;
    if (!tool || !tool->pContour || tool->isNoContour) return nullptr;
    return tool;
}

void CSimulation::TakeTool(const ParamTool& tool, const CTurn* operation) {
    toolContour_ = tool.pContour->Clone();
    double dz = 0.0, dx = 0.0;
    if (operation && operation->isCorrectLz) dz = tool.CorrectZ;
    if (operation && operation->isCorrectLx) dx = tool.CorrectX;
    // The model's origin, the nose centre, for the programmed point (0, 0):
    // the points move it from there.
    ToolModelOrigin(tool, 0.0, 0.0, dz, dx, referenceZ_, referenceX_);
    if (!operation) return;
    // The outline moves with the model: back along Z, and towards the axis
    // by the X length (the outline's x is the negated radius).
    toolContour_->Move(-dz, dx);
}

void CSimulation::ChangeTool(std::int32_t toolNumber, CTurn* operation) {
    ParamTool* tool = UsableTool(toolNumber);
    if (!tool) return;
    if (operation) currentTurn_ = operation;
    TakeTool(*tool, operation);
    if (preCalculation_ || Is2D()) return;
    toolModel_.reset();
    CSPID* spid = Plan();
    if (auto model = LoadToolModel(*tool, spid->Z0tool, spid->X0tool)) {
        if (toolHidden_) model->Hide();
        model->CollectTriangles(true);
        toolModel_ = std::move(model);
    }
    RefreshHostView();
}

void CSimulation::SetTurn(CTurn* operation) {
    if (!operation || operation == currentTurn_) return;
    currentTurn_ = operation;
    if (ParamTool* tool = operation->GetTool(); tool && tool->pContour && !tool->isNoContour) {
        TakeTool(*tool, operation);
        if (pointIndex_ < static_cast<std::int32_t>(points_.Count())) {
            const SimulationPoint& p = points_[static_cast<std::uint32_t>(pointIndex_)];
            toolContour_->MoveTo(p.z, p.x);
        }
    }
}

void CSimulation::SetGadgetsRotated(bool rotated) {
    if (CSPID* spid = Plan()) spid->SetGadgetsRotated(rotated);
}

void CSimulation::RedrawPartView() { RefreshHostView(); }

// ---------------------------------------------------------------- the run

void CSimulation::PrepareRun() {
    if (Is2D()) {
        HostApplication& app = ConnectHostApplication();
        // The run's drawing is a document of its own; the part stays the
        // active document, so that the plan's commands go on reaching it.
        const HostDocumentPtr active = app.ActiveDocumentOrNull();
        if (document2D_) app.Documents().Close(document2D_);
        document2D_ = app.Documents().Add(DocumentType::Drawing2D, true);
        if (active) app.SetActiveDocument(active);
        drawing2D_ = std::make_unique<Document2D>();
    }
    ModalState.position[0] = ModalState.position[1] = ModalState.position[2] = 0.0;
    for (std::uint32_t k = static_cast<std::uint32_t>(std::max(startFrame_, 0)); k < frames_.Count(); ++k)
        frames_[k]->GetSimulationPoints(points_);
    pointCount_ = static_cast<std::int32_t>(points_.Count());
    if (CSPID* spid = Plan()) {
        insideZ_ = spid->innerPointZ;
        insideX_ = spid->innerPointX;
    }
}

void CSimulation::Start() {
    subStepCount_ = subStepIndex_ = currentRows_ = 0;
    currentFrameIndex_ = startFrame_;
    lastOwner_ = nullptr;
    busyHolding_ = false;
    if (!HostApplicationObject()) throw HostError(E_POINTER_);
    if (eventsAdvisor) eventsAdvisor(0);
    ResetTickInterval();
    PrepareRun();
    if (toolContour_ && pointIndex_ < static_cast<std::int32_t>(points_.Count())) {
        const SimulationPoint& p = points_[static_cast<std::uint32_t>(pointIndex_)];
        toolContour_->MoveTo(p.z, p.x);
    }
    perRevolution_ = boringCheck_ = false;
    currentFrameNumber_ = 0;
    lastBoringCheckFrame_ = -1;
    // A message list that kept the last run's frames would drop this run's
    // messages for them.
    if (messages_) messages_->Clear();
    if (controls_) controls_->ClearMessageList();
    mainWindow_ = HostMainWindowHandle();
    stopped = false;
    running_ = true;
    if (!Is2D()) DeferHostDeletions = true;
    current = this;
    try {
        SetHostTimer(mainWindow_, kTimerId, static_cast<std::uint32_t>(tickInterval_), SimulationTimerProc);
    } catch (...) {
        running_ = false;
        current = nullptr;
        DeferHostDeletions = false;
        throw;
    }
}

void CSimulation::Pause() {
    paused_ = true;
    FlushDeletions();
}

void CSimulation::Stop(const std::string& reason) {
    if (!running_) return;
    EndRun(reason.empty() ? std::string(kRunEnded) : std::string(kRunEnded) + ".\n" + reason);
}

void CSimulation::EndRun(const std::string& message) {
    stopped = true;
    if (current == this) current = nullptr;
    KillHostTimer(mainWindow_, kTimerId);
    insideStep = false;
    DeferHostDeletions = false;
    running_ = false;
    if (spindleShown_) {
        spindleShown_ = false;
        SetGadgetsRotated(false);
        RefreshHostView();
    }
    ShowMessageBox(message);
    if (controls_) {
        controls_->ClearRowMarks();
        controls_->RestoreAfterRun();
    }
}

void CSimulation::OnTimer() {
    if (pointIndex_ < pointCount_) {
        if (subStepIndex_ < subStepCount_) {
            const SimulationPoint& point = points_[static_cast<std::uint32_t>(pointIndex_)];
            if (point.frame != lastOwner_) lastOwner_ = point.frame;
            // The flags of the frame begun last, whose points these are.
            const CCadreISO* begun = FrameAt(currentFrameIndex_ - 1);
            if (begun) {
                noRemoval_ = begun->noMaterial != 0;
                boringCheck_ = begun->internalMachining != 0;
            }
            const bool perRevolution = lastOwner_ && lastOwner_->feedIsStep != 0;
            if (perRevolution != perRevolution_) {
                perRevolution_ = perRevolution;
                if (perRevolution)
                    tickInterval_ = RevolutionInterval(begun ? begun->spindleSpeed : 0.0, speedFactor_);
                else
                    ResetTickInterval();
                SetHostTimer(mainWindow_, kTimerId, static_cast<std::uint32_t>(tickInterval_), SimulationTimerProc);
            }
            const bool stepped = Step();
            FlushDeletions();
            if (stepped) ++subStepIndex_;
            return;
        }
        // The frame is done: the next one begins.
        if (controls_)
            for (std::int32_t r = 0; r < currentRows_; ++r) controls_->MarkRow(currentRow_ + r, 0);
        currentRow_ += currentRows_;
        CCadreISO* next = FrameAt(currentFrameIndex_);
        if (!next) {
            // Points no frame accounts for: the run ends with the frames.
            pointIndex_ = pointCount_;
            return;
        }
        beginning_ = next;
        subStepCount_ = next->SimulateStep(*this);
        beginning_ = nullptr;
        currentFrameNumber_ = PrintedFrameNumber(*next);
        currentRows_ = next->GetPositionCount();
        if (controls_)
            for (std::int32_t r = 0; r < currentRows_; ++r) controls_->MarkRow(currentRow_ + r, 1);
        subStepIndex_ = 0;
        ++currentFrameIndex_;
        return;
    }
    if (running_) EndRun(kRunEnded);
}

bool CSimulation::Step() {
    if (pointIndex_ >= pointCount_) return true;
    if (!toolContour_) {
        ++pointIndex_;
        return true;
    }
    const SimulationPoint point = points_[static_cast<std::uint32_t>(pointIndex_)];
    if (preCalculation_) {
        if (!noRemoval_) RemoveMaterial(pointIndex_, false);
        ++pointIndex_;
        return true;
    }
    // While the host draws its frame the point waits for a later tick: the
    // one thread is never held. The delay is told at most once per five
    // seconds of a continuous hold.
    if (hostFrameBusy) {
        const std::uint64_t now = HostTickCount();
        if (!busyHolding_) {
            busyHolding_ = true;
            busySince_ = now;
            delayShownAt_ = now;
        } else if (now - delayShownAt_ > kDelayMessageInterval) {
            delayShownAt_ = now;
            ShowMessageBox(kDelay);
        }
        return false;
    }
    busyHolding_ = false;
    const bool rapidMove = point.unit && point.unit->IsRapid;
    {
        InsideStep inside;
        if (!noRemoval_) RemoveMaterial(pointIndex_, rapidMove);
        if (rapidCut_ && rapidMove) {
            AddMessage(currentFrameNumber_, "Error: кадр " + CurrentLabel() + "- врезание на ускоренной подаче");
            Stop(kRapidCutReason);
            return true;
        }
        if (boringCheck_ && currentFrameNumber_ != lastBoringCheckFrame_ && CheckBoringZone())
            AddMessage(currentFrameNumber_,
                       "Error: кадр " + CurrentLabel() + "- соударение в зоне -X при растачивании");
        if (!Is2D() && !toolHidden_ && toolModel_) {
            PlaceToolModel(point.z, point.x);
            toolModel_->CollectTriangles(true);
        }
    }
    if (!Is2D()) {
        RefreshHostView();
        lastBoringCheckFrame_ = currentFrameNumber_;
        if (CheckFixtureCollisions(currentFrameNumber_)) {
            Stop(kCollisionReason);
            return true;
        }
    }
    ++pointIndex_;
    return true;
}

void CSimulation::PlaceToolModel(double z, double x) {
    if (toolModel_) toolModel_->MoveTo(referenceZ_ + z, referenceX_ - x, 0.0);
}

void CSimulation::CalculateAllFrames() {
    preCalculation_ = true;
    const ScopeGuard clear([this] { preCalculation_ = false; });
    CSPID* spid = Plan();
    stock_ = spid ? spid->CreateSourceContour() : nullptr;
    PrepareRun();
    subStepCount_ = subStepIndex_ = pointIndex_ = currentFrameIndex_ = 0;
    const std::int32_t frameCount = static_cast<std::int32_t>(frames_.Count());
    // A frame that changed nothing shares the snapshot of the one before.
    std::shared_ptr<const Contour> snapshot;
    std::uint64_t snapshotStock = 0;
    while (currentFrameIndex_ < frameCount) {
        if (subStepIndex_ < subStepCount_) {
            Step();
            ++subStepIndex_;
            continue;
        }
        CCadreISO* frame = frames_[static_cast<std::uint32_t>(currentFrameIndex_)];
        const std::uint64_t version = stockVersion_;
        if (!snapshot || version != snapshotStock) {
            snapshot = stock_ ? std::shared_ptr<const Contour>(stock_->Clone()) : nullptr;
            snapshotStock = version;
        }
        frame->simulatedStock = snapshot;
        if (pointIndex_ > 0) {
            const SimulationPoint& last = points_[static_cast<std::uint32_t>(pointIndex_ - 1)];
            frame->toolEndZ = last.z;
            frame->toolEndX = last.x;
        } else if (spid) {
            frame->toolEndZ = spid->Z0tool;
            frame->toolEndX = -spid->X0tool;
        }
        if (progress_) progress_(currentFrameIndex_ + 1, frameCount);
        if (CCadreISO* next = FrameAt(currentFrameIndex_ + 1)) {
            subStepCount_ = next->SimulateStep(*this);
            perRevolution_ = next->feedIsStep != 0;
            noRemoval_ = next->noMaterial != 0;
        }
        subStepIndex_ = 0;
        ++currentFrameIndex_;
    }
}

void CSimulation::GoToFrame(int row, int rowOffset) {
    if (row < 0) row = 0;
    std::int32_t found = 0;
    std::int32_t first = 0;
    for (std::uint32_t k = 0; k < frames_.Count(); ++k) {
        const int rows = frames_[k]->GetPositionCount();
        if (row >= first && row < first + rows) {
            found = static_cast<std::int32_t>(k);
            break;
        }
        first += rows;
    }
    startFrame_ = found;
    currentRow_ = row - rowOffset + 1;

    CCadreISO* frame = FrameAt(found);
    CSPID* spid = Plan();
    if (found == 0 || !frame || !frame->simulatedStock)
        stock_ = spid ? spid->CreateSourceContour() : nullptr;
    else
        stock_ = frame->simulatedStock->Clone();
    if (!stock_ || Is2D()) return;

    stock_->CreateTessellationFaces(stockColour_);
    toolModel_.reset();
    if (frame && frame->toolNumber >= 0) {
        ChangeTool(frame->toolNumber, frame->operation);
        if (!toolHidden_) PlaceToolModel(frame->toolEndZ, frame->toolEndX);
    }
    RefreshHostView();
    if (frame) ShowStatus(frame->feed, frame->spindleSpeed, frame->toolNumber);

    bool spindle = false;
    for (std::int32_t k = 0; k <= found && k < static_cast<std::int32_t>(frames_.Count()); ++k) {
        const char kind = frames_[static_cast<std::uint32_t>(k)]->kindLetter;
        if (kind == '3' || kind == '4') spindle = true;
        if (kind == '5') spindle = false;
    }
    if (spindle != spindleShown_) {
        spindleShown_ = spindle;
        SetGadgetsRotated(spindle);
    }
    if (toolModel_) toolModel_->CollectTriangles(true);
    CheckFixtureCollisions(frame ? PrintedFrameNumber(*frame) : -1);
    RefreshHostView();
}

void CSimulation::Redraw2D() {
    if (!stock_) return;
    Document2D& doc = drawing2D_ ? *drawing2D_ : ActiveDocument2D();
    ActiveDocument2DSwitch to(doc);
    if (CSPID* spid = Plan(); spid && spid->GetDetailContour()) spid->GetDetailContour()->Draw2D(2);
    stock_->Draw2D(1);
    if (toolContour_) toolContour_->Draw2D(2);
}

}  // namespace zarvento
