// CCadreISO: one NC frame (one block of the program). Every frame kind and the
// machine cycles derive from it; constructors read and update ModalState.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/contour.h"
#include "geometry/step_array.h"
#include "nc/code_parameters.h"
#include "nc/path_statistics.h"
#include "nc/simulation_point.h"
#include "platform/core/host_object.h"

namespace zarvento {

class CTurn;
class CycleCodeLists;
class FrameSimulation;

struct FramePoint {
    double x = 0.0;  // internal X: the negated radius
    double y = 0.0;
    double z = 0.0;
};

class CCadreISO {
public:
    CCadreISO();
    virtual ~CCadreISO();
    CCadreISO(const CCadreISO&) = delete;
    CCadreISO& operator=(const CCadreISO&) = delete;

    // Takes the unset speed and feed and the spindle mode from ModalState.
    virtual void SetModalState();
    // Output values by the settings' X convention (0 diameter, 1 as is, else radius).
    virtual void SetOutputCoordinates();
    // The address of a double frame variable, or null.
    virtual double* GetVariable(std::string_view name);
    // The number of program lines the frame took.
    virtual int GetPositionCount() const;
    // Makes the path contour from the frame's move; kinds without a move keep it empty.
    virtual void CreatePathFigure() {}
    // Appends the units of the frame's path, unless the frame is hidden.
    virtual void AddPathUnits(StepArray<CUnit*>& list);
    virtual void AddToList(std::vector<CCadreISO*>& list) { list.push_back(this); }
    // Writes the frame's lines and returns the block number for the next frame.
    virtual int WriteText(std::vector<std::string>& lines, int number);
    virtual void Move(double dx, double dy, double dz);
    // Moves attached to the frame (the post-processor's path file gives them
    // to any frame). The frame owns them; releasing lets go of them.
    void AddSubFrame(std::unique_ptr<CCadreISO> frame);
    void ReleaseSubFrames();
    // The frame's sub-frames in order, not owned by the view.
    std::span<CCadreISO* const> SubFrames() const {
        return subFrames_ ? std::span<CCadreISO* const>(subFrames_->view) : std::span<CCadreISO* const>();
    }
    // Added to the X of the moves a path file attaches after the first two;
    // only machine cycles shift their moves.
    virtual double GetXShift() const { return 0.0; }

    // --- display of the path: sketches and the 3D view ---
    virtual void DrawPath2D();
    virtual void DrawPath();
    virtual void ErasePath();
    virtual void ShowPath();
    virtual void HidePath();
    virtual void SelectPath();
    virtual void DeselectPath();

    // --- simulation ---
    // Appends the path sampled at the distance the tool travels in one time
    // step, without repeating a point; pointCount is what this frame added.
    virtual void GetSimulationPoints(SimulationPointList& points);
    virtual void GetSimulationPoints3D(UnitPoint3DList& points);
    // Appends the points the trace of the path is drawn through, coloured.
    virtual void GetTracePoints(UnitPoint3DList& points);
    // Brings the simulation up to this frame; the frame's point count.
    virtual std::int32_t SimulateStep(FrameSimulation& simulation);

    // What the frame adds to the operation's lengths and times; all zero here.
    virtual PathStatistics GetStatistics();

    // The block-number prefix of a built-in text; the frame keeps the number
    // of its first numbered output.
    std::string FormatFrameNumber(int number);
    // Appends a line unless an export run is active.
    static void AddTextLine(std::vector<std::string>& lines, std::string text);

    // Formulas of templates are evaluated for the frame: its own variables first.
    bool EvaluateFormula(const std::string& formula, double& value);
    bool EvaluateFormula(const ParsedFormula& formula, double& value);
    // A text variable for a template field, or null.
    const std::string* FindTextVariable(const std::string& name);
    // A text of the frame itself that a template field can print, or null.
    virtual const std::string* GetTextVariable(std::string_view) { return nullptr; }

    // The members are grouped by size, so that the many frames of a dense
    // path carry no padding.
    double feed = 0.0;
    double spindleSpeed = 0.0;
    double minSpindleSpeed = 0.0;
    double maxSpindleSpeed = 0.0;
    double outX1 = 0.0, outX2 = 0.0, outZ1 = 0.0, outZ2 = 0.0, outF = 0.0;
    double m345 = 5.0;
    FramePoint start;
    FramePoint end;
    FramePoint aux;
    double feedStep = 0.0;
    double rapidStep = 0.0;
    double speedFactor = 1.0;
    double toolEndZ = 0.0, toolEndX = 0.0;
    HostObjectPtr hostObject;
    CTurn* operation = nullptr;
    // The frame's variable provider; its own variables are the frame's.
    std::unique_ptr<CODE_PARAMETERS> codeParameters;
    const CycleCodeLists* usedTemplate = nullptr;
    // What the simulation's pre-calculation keeps for a jump to the frame:
    // the stock after it (shared with the frames before it that changed
    // nothing) and, in toolEndZ and toolEndX, the point where the tool stood
    // at its end.
    std::shared_ptr<const Contour> simulatedStock;
    Contour path;  // the frame's own geometry
    std::int32_t toolNumber = -1;
    std::int32_t spindleState = 5;
    std::int32_t traceKind = 0;
    std::int32_t frameNumber = -1;
    std::int32_t programPosition = 0;  // program lines written before the frame's
    std::int32_t templateLineCount = 0;
    std::int32_t pointCount = 0;
    std::uint8_t constantSpeed = 0;
    std::uint8_t rapid = 0;
    std::uint8_t hidden = 0;
    char kindLetter = '0';
    std::uint8_t move3D = 0;
    std::uint8_t option1 = 0;
    std::uint8_t feedIsStep = 0;  // the feed is itself the simulation step
    std::uint8_t internalMachining = 0;
    std::uint8_t noMaterial = 0;  // simulated without removing material
    std::uint8_t option5 = 0;
    std::uint8_t inheritNumbering = 0;  // template lines numbered like the previous line

    // The path is made when it is first asked for, rather than now: a path
    // of thousands of moves keeps only their ends until its units are wanted.
    void DeferPathFigure() { pathDeferred_ = 1; }
    // The frame's path, made first when it waits to be made; readers from
    // outside take it here rather than from `path`.
    const Contour& Path() {
        MakeDeferredPath();
        return path;
    }

protected:
    // Makes this frame's sub-frames those of the source, shared rather than
    // duplicated (a machine cycle and its copies show the same moves).
    void ShareSubFrames(const CCadreISO& source);

    // The path contour emptied, back to the path colour, holding the one unit.
    void SetPathUnit(std::unique_ptr<CUnit> unit);
    // The path as one line from start to end, in space for a move with Y.
    void SetPathLine(bool rapidUnit);
    // Statistics read the path, so a frame whose path was never made makes it.
    void EnsurePathFigure();
    // True while a deferred path waits to be made.
    bool PathDeferred() const { return pathDeferred_ != 0; }
    // A move's length as idle length when rapid, else as work length.
    PathStatistics MoveStatistics(double length) const;

    // Output values equal to the internal start and end and the feed, before any convention.
    void TakeOutputValues();
    // Writes through the kind's template when one is loaded; otherwise marks
    // the frame as written by its built-in text and returns false.
    bool WriteByTemplate(std::string_view kind, std::vector<std::string>& lines, int& number);
    // The next number after one built-in line; numbering stays off at -1.
    static int NextNumber(int number, int lineCount = 1) { return number == -1 ? -1 : number + lineCount; }

private:
    // Sub-frames: every frame owns its own through the list, made on the
    // first one. Frames that share them (a cycle and its copies) hold the one
    // list, and the moves live until the last of them lets go; each frame
    // keeps its own view in order, so a frame added to one of them after the
    // sharing stays its own.
    // Most frames have none, and hold no more than an empty pointer.
    using SubFrameList = std::vector<std::unique_ptr<CCadreISO>>;
    struct SubFrameLists {
        std::shared_ptr<SubFrameList> owner;
        std::vector<CCadreISO*> view;
    };
    std::unique_ptr<SubFrameLists> subFrames_;
    std::uint8_t pathDeferred_ = 0;

    // Makes a deferred path; a frame whose path was made is left as it is.
    void MakeDeferredPath();
};

}  // namespace zarvento
