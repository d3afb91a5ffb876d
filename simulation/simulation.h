// CSimulation: the machining simulation of the whole NC program. The frames
// are sampled into points; each point moves the tool, cuts the figure its 2D
// outline sweeps from the stock contour and tests the tool's model against
// the fixtures. A run is driven by the host's window timer 100, one point per
// tick; the pre-calculation runs every frame at once (speed factor 1e6) and
// keeps in each frame the stock after it and where the tool stood at its end.
//
// The frames drive part of the work themselves: each frame that begins calls
// back through CCadreISO::SimulateStep (status, tool change, the operation,
// arcs, machine cycles, the spindle), so the simulation is the frames'
// FrameSimulation.
//
// Points are (z, x) of the plan's coordinate system; the tool model stands at
// z = reference z + point z and x = reference x - point x (the model's x is
// the radius, the point's x its negation). One simulation runs at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geometry/contour.h"
#include "geometry/step_array.h"
#include "geometry/subtract_region.h"
#include "model/model_tess.h"
#include "nc/frame_simulation.h"
#include "nc/simulation_point.h"
#include "platform/dialogs/host_message.h"
#include "platform/documents/host_document.h"

namespace zarvento {

// What the step's message says when its removal broke an invariant.
inline constexpr const char* kBrokenRemovalMessage = "съём материала не выполнен";

class CCadreISO;
class CTurn;
class Document2D;
class ParamTool;
class SimulationControls;
class SimulationMessages;

// Subscribes the library to a document's events again (0: the active
// document's); the host binding puts it in place at attach. A run subscribes
// the active document when it starts, so that a window's busy and clear
// events reach it.
using DocumentEventsAdvisor = void (*)(std::uint32_t document);
DocumentEventsAdvisor RegisterDocumentEventsAdvisor(DocumentEventsAdvisor advisor);

class CSimulation final : public FrameSimulation {
public:
    static constexpr std::uintptr_t kTimerId = 100;
    static constexpr double kBaseInterval = 40.0;
    static constexpr double kPreCalculationSpeed = 1e6;
    // Not one held tick of the host frame shows the delay box more often.
    static constexpr std::uint64_t kDelayMessageInterval = 5000;

    static constexpr const char* kRunEnded = "Обработка завершена";
    static constexpr const char* kRapidCutReason = "Врезание на ускоренной подаче";
    static constexpr const char* kCollisionReason = "Столкновение инструмента с приспособлением";
    static constexpr const char* kDelay = "Задержка";

    // The stock contour to start from and two further contours; the panels
    // pass none (a jump or the pre-calculation takes the plan's stock).
    explicit CSimulation(const Contour* stock = nullptr, const Contour* spare = nullptr,
                         const Contour* spare2 = nullptr);
    ~CSimulation() override;
    CSimulation(const CSimulation&) = delete;
    CSimulation& operator=(const CSimulation&) = delete;

    // ---- called by the panels ----
    void SetFrames(const std::vector<CCadreISO*>& frames);
    void SetFrames(const StepArray<CCadreISO*>& frames);
    // The panel's controls and its message list; both are links (null: none).
    void SetControls(SimulationControls* controls, SimulationMessages* messages);
    // Stores v and gives it to every frame, which scales its sampling step.
    void SetSpeedFactor(double v);
    void SetTransparency(double percent);
    void SetToolHidden(bool hidden);
    // Moves the simulation to the frame that holds the program-list row.
    void GoToFrame(int row, int rowOffset);
    void Start();
    void Pause();
    void Resume() { paused_ = false; }
    // Ends a running simulation with "Обработка завершена", followed by a
    // line break and the reason when one is given; nothing when not running.
    void Stop(const std::string& reason = std::string());
    void CalculateAllFrames();
    // Draws the part, the simulated stock and the tool into the active 2D
    // document.
    void Redraw2D();
    // The 3D model of the part as the simulated stock stands, saved at
    // `path` (model/result_model.h); nothing without a stock.
    void SaveResultModel(const std::string& path);

    // ---- called back by the frames ----
    void ShowStatus(double feed, double spindleSpeed, std::int32_t toolNumber) override;
    void ChangeTool(std::int32_t toolNumber, CTurn* operation) override;
    void SetTurn(CTurn* operation) override;
    std::unique_ptr<Contour> CreateToolEquidistant(double centreZ, double centreX, double radius) override;
    void SetCycleOptions(std::uint8_t noMaterial, std::uint8_t feedIsStep) override;
    void SimulateCycle(const Contour* region, std::int32_t frameNumber) override;
    bool IsPreCalculation() const override { return preCalculation_; }
    bool IsSpindleTurning() const override { return spindleShown_; }
    void SetSpindleTurning(bool turning) override { spindleShown_ = turning; }
    void SetGadgetsRotated(bool rotated) override;
    void RedrawPartView() override;

    // ---- one step's geometry ----
    // Cuts the figure of point i from the stock; the number of pieces the
    // subtraction reported, 0 when nothing was removed. With `rapid` a
    // change of the stock raises the rapid-cut flag.
    int RemoveMaterial(int i, bool rapid);
    // The figure the tool outline sweeps from point i - 1 to point i, or none.
    std::unique_ptr<Contour> SweepTool(int i);
    std::unique_ptr<Contour> SweepToolAlongLine(const CUnit& move);
    std::unique_ptr<Contour> SweepToolAlongArc(const CUnit& move);
    // The tool mirrored across the axis cuts at the current point; true when
    // it reached material.
    bool CheckBoringZone();
    // True at the first fixture the tool's model meets (after its message).
    bool CheckFixtureCollisions(std::int32_t frameNumber);
    bool ModelsCollide(const CModelTess* fixture) const;

    // ---- the run ----
    // One tick of timer 100.
    void OnTimer();
    // One point; false when the host held it (its frame busy) and the same
    // point is to be tried again on the next tick.
    bool Step();
    void PrepareRun();

    // The tick interval in milliseconds for a speed factor.
    static double TickInterval(double speedFactor);
    // The tick of a per-revolution (thread) frame: one spindle turn scaled by
    // the speed factor, at least 1 ms; the normal interval without a speed.
    static double RevolutionInterval(double spindleSpeed, double speedFactor);
    // The label of a frame in messages: "N12 " or the row's text and a blank.
    static std::string FrameLabel(std::int32_t frameNumber, const std::string& rowText);

    // The simulation the timer drives, or null.
    static CSimulation* Current();
    // The host frame's busy notifications, and whether a step is removing
    // material (the notification is then refused).
    static void SetHostFrameBusy(bool busy);
    static bool IsInsideStep();

    // Called for every frame the pre-calculation finishes: (frames done, frame count).
    void SetProgress(std::function<void(int, int)> progress) { progress_ = std::move(progress); }

    // ---- state, for the panels and tests ----
    const Contour* Stock() const { return stock_.get(); }
    const Contour* ToolContour() const { return toolContour_.get(); }
    const CModelTess* ToolModel() const { return toolModel_.get(); }
    CModelTess* ToolModel() { return toolModel_.get(); }
    const SimulationPointList& Points() const { return points_; }
    std::int32_t PointCount() const { return pointCount_; }
    std::int32_t PointIndex() const { return pointIndex_; }
    std::int32_t StartFrame() const { return startFrame_; }
    std::int32_t CurrentRow() const { return currentRow_; }
    bool IsRunning() const { return running_; }
    bool IsPaused() const { return paused_; }
    double SpeedFactor() const { return speedFactor_; }
    double Transparency() const { return transparency_; }
    double ToolReferenceZ() const { return referenceZ_; }
    double ToolReferenceX() const { return referenceX_; }
    const CTurn* CurrentTurn() const { return currentTurn_; }
    // The 2D document of a check run, or null.
    Document2D* Drawing2D() const { return drawing2D_.get(); }

private:
    // The tool of a position when the simulation may use it: it exists, has
    // a contour and is not marked as having none.
    static ParamTool* UsableTool(std::int32_t toolNumber);
    // The tool contour and reference point of a tool, with the operation's
    // length corrections.
    void TakeTool(const ParamTool& tool, const CTurn* operation);
    void PlaceToolModel(double z, double x);
    // The end of a run, by the last point or by Stop.
    void EndRun(const std::string& message);
    void FlushDeletions();
    void ResetTickInterval();
    // The stock's new and merged units get their faces (3D scene, not in
    // the pre-calculation).
    void DrawNewUnits(const AddedUnitList& added);
    bool Is2D() const;
    std::string CurrentLabel() const;
    void AddMessage(std::int32_t frameNumber, const std::string& text);
    CCadreISO* FrameAt(std::int32_t index) const;

    std::int32_t pointCount_ = 0;
    std::unique_ptr<CModelTess> toolModel_;
    bool running_ = false;
    bool preCalculation_ = false;
    bool paused_ = false;
    bool spindleShown_ = false;
    // The current frame's flags.
    bool perRevolution_ = false;
    bool noRemoval_ = false;
    bool boringCheck_ = false;
    StepArray<CCadreISO*> frames_{100};
    std::int32_t pointIndex_ = 0;
    std::int32_t startFrame_ = 0;
    SimulationControls* controls_ = nullptr;
    SimulationMessages* messages_ = nullptr;
    std::unique_ptr<Contour> stock_;
    std::unique_ptr<Contour> spare_;
    std::unique_ptr<Contour> toolContour_;
    double referenceZ_ = 0.0, referenceX_ = 0.0;
    std::int32_t currentFrameIndex_ = 0;
    std::int32_t currentRow_ = 0;
    std::int32_t lastBoringCheckFrame_ = -1;
    // The block number of the current frame as the program writes it (-1
    // when it has none).
    std::int32_t currentFrameNumber_ = -1;
    // The frame whose simulation step is being asked for.
    const CCadreISO* beginning_ = nullptr;
    SimulationPointList points_{1000};
    std::uint32_t stockColour_ = 0;
    double transparency_ = 50.0;
    double speedFactor_ = 100.0;
    // The 2D document of a check run and the host document it draws into.
    HostDocumentPtr document2D_;
    std::unique_ptr<Document2D> drawing2D_;
    double insideZ_ = 0.0, insideX_ = 0.0;
    bool toolHidden_ = false;
    CTurn* currentTurn_ = nullptr;

    // The frame being run and its sampled points.
    std::int32_t subStepCount_ = 0;
    std::int32_t subStepIndex_ = 0;
    std::int32_t currentRows_ = 0;
    const CCadreISO* lastOwner_ = nullptr;
    // A change of the stock by a rapid move, found by RemoveMaterial.
    bool rapidCut_ = false;
    // Counts the removals that changed the stock.
    std::uint64_t stockVersion_ = 0;
    double tickInterval_ = kBaseInterval;
    WindowHandle mainWindow_ = kNoWindow;
    // When the host frame began to hold the run, and when "Задержка" was
    // last shown (0: not since the hold began).
    std::uint64_t busySince_ = 0;
    bool busyHolding_ = false;
    std::uint64_t delayShownAt_ = 0;
    std::function<void(int, int)> progress_;
};

}  // namespace zarvento
