// CTurnMnogoProhod: the operation of multi-pass turning or grooving: its
// cycles and defaults, the path driver over the machining regions, the
// straight roughing passes, the clean-up and finishing passes, the plan
// angles taken from the tool and its stored values.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "nc/cycle_g700el.h"
#include "nc/cycle_g701el.h"
#include "operations/kind_support.h"
#include "operations/turn.h"

namespace zarvento {

class CTurnMnogoProhod : public virtual CTurn {
public:
    static constexpr const char* kDepthText = "Глубина резания должна быть больше 0.001 мм";
    static constexpr const char* kRadiusText = "Глубина резания должна быть больше радиуса резца при вершине";
    static constexpr const char* kGrooveWidthText = "Ширина канавки меньше ширины резца";
    static constexpr const char* kToolWidthText = "Ширина канавочного резца не может быть отрицательной";
    static constexpr const char* kCycleRefusalText = "Контур нельзя обработать в циклах ";
    // The whole-region forms a machine cycle's profile demands may name: a
    // profile that never turns back along Z (pockets in X allowed: a G71 of
    // type II), or along neither Z nor X (type I).
    static constexpr const char* kMonotoneZ = "MonotonZ";
    static constexpr const char* kMonotoneXZ = "MonotonXZ";
    // The second line of the refusal when one of those forms was asked for.
    static constexpr const char* kTurnsBackZText = "Профиль поворачивает назад вдоль оси Z (поднутрение) в точке ";
    static constexpr const char* kTurnsBackXText =
        "Профиль поворачивает назад по диаметру (цикл не обрабатывает впадины) в точке ";
    // A depth of cut that would need more than kMaxPasses passes over a region.
    static inline const std::string kTooManyPassesText =
        "Слишком много проходов: глубина резания мала для области обработки (больше " + std::to_string(kMaxPasses) +
        " проходов)";

    // How far the passes' returns keep off the stock where no retract
    // distance is given: a hot-rolled bar is often some tenths oversize.
    static constexpr double kDefaultReturnClearance = kDefaultRapidClearance;

    CTurnMnogoProhod();
    ~CTurnMnogoProhod() override = default;
    CTurnMnogoProhod& operator=(const CTurnMnogoProhod& other);

    bool CreateContourPath() override;
    void SetupTool() override;
    bool SetPlanAnglesFromTool(CCycle_Auto* cycle, Contour* contour) override;
    void GetCycleVariables(std::string& text) override;
    void SaveCycleParameters(StorageRecord& record) override;
    // The groove cycle for plunges across a groove, else the turning cycle.
    CCycle_Auto* PanelCycle() override;
    void LoadCycleParameters(StorageRecord& record) override;
    bool SaveKindValues(StorageRecord& record) override;
    bool LoadKindValues(StorageRecord& record) override;

    // ---- the passes over the current region ----
    // False when a roughing strategy refused the region.
    bool RoughPasses();
    void CleanUpPass();
    // The region as machine-cycle frames of the post-processor's turning cycle.
    void OutputMachineCycle();
    // The region contour as the cycle takes it (turned to run from the start
    // point, with lead lines from the start point's levels); sets the start
    // point (the retract point) and the one-piece flags. Null without a region.
    std::unique_ptr<Contour> MachineCycleContour();
    // The profile a whole-region cycle prints: from the start point across to
    // the cycle contour's first point, then along it.
    std::unique_ptr<Contour> CycleProfile(const Contour& cycleContour) const;
    // The region cut into trapezoids of one form (1..4), stepping along Z or X;
    // false when it does not fit the form.
    bool OutputTrapezoidsG(const Contour& piece, int form);
    bool OutputTrapezoidsV(const Contour& piece, int form);
    // Plunges side by side across a groove (multi-pass groove in elementary moves).
    void ElementarGroovCycleAcross();
    // The roughing strategies over the current region. Each is false, with
    // the operation's message, when it refuses the region (more passes than
    // kMaxPasses); the path then keeps no frame.
    // Passes along offsets of the working side, outermost first (feed direction 2).
    bool ProfileNew();
    // The host's offset of a curve at a distance to one side.
    std::unique_ptr<Contour> ProfileOffset(const Contour& curve, double distance, bool side);
    // Longitudinal (feed direction 0) or facing (1) straight passes.
    bool LongitudNew();
    bool LongitudOnePiece();
    bool FacingOnePiece();
    // The clearance a return along the passes keeps off the surface just cut
    // and off the stock as it stood before the pass: the retract distance,
    // or kDefaultReturnClearance when that is none.
    double ReturnClearance() const;
    // The returns' clearance for turning; a groove's plunges keep the default.
    double RapidClearance() const override;
    // One pass along a piece of the part contour: approach, cut, retract.
    // The piece is taken: the pass works on it in place of a copy.
    void DoZachistkaContourNew(std::unique_ptr<Contour> piece);

    // ---- finishing pieces ----
    // Regroups the pieces by "P10": unchanged, or diameter and face runs.
    void ChainContourPieces(std::vector<std::unique_ptr<Contour>>& pieces);
    static void AppendConnectedRuns(std::vector<std::unique_ptr<Contour>>& pieces, std::vector<UnitPtr>& units,
                                    int tag);
    // A line that runs more across the axis than along it (X being the
    // radius, the 45-degree line is not a face).
    static bool IsFaceUnit(const CUnit& unit);

    CCycle_G700EL turningCycle;
    CCycle_G701EL grooveCycle;
    bool isZachistka = true;
    bool OnePieceAlongPass = false;
    bool OnePieceAcrossPass = false;
    bool RegionClosed = true;
    std::string sFi0 = "TOOL.fi";
    std::string sFi1 = "TOOL.fi1-3";
    int indObhodPrev = 0;
    double DepthPass = 0.0;
    double SafeDistance = 0.0;
    double WidthTool = 0.0;
    double RetractDZ = 0.0, RetractDX = 0.0;
    bool isCorrectStep = false;
    bool isRapidIdle = false;
    int indPrivazTool = 0;
    double TimePause = 0.0;

    // ---- working state of one calculation ----
    // Where the tool is; the moves of the passes start here.
    double curX = 0.0, curZ = 0.0;
    // The user's direction, restored after a pass that turns it.
    bool userNapr = false;
    // The pieces of the finishing contour run against their direction.
    bool contourReversed = false;

private:
    // The phases of the straight and the profile passes over one region.
    class StraightPasses;
    class ProfilePasses;
    class GrooveAcross;
    class PiecePass;

    // The working copies of the turning cycle's parameters; false, with the
    // error reported, for a depth of cut that counts as zero.
    bool ReadTurningParameters();
    // Evaluates the cycle of the elementary moves and takes its values; the
    // cycle whose parameters the frames show.
    CCycle_Auto* PrepareElementaryMoves(bool& failed);
    // One round over the regions: roughing (or the machine cycle) of each;
    // false, at once, when one of them is refused.
    bool MachineRegions();
    // Appends a straight move from the current point and makes its end current.
    void MoveTo(double x, double z, bool rapid);
    // A rapid route from the current point that keeps off the part and the
    // stock still there, in the order asked for where it can.
    void RapidTo(double x, double z, RapidOrder order);
    // The parameter's evaluated value; 0 when it has none.
    double CycleValue(CCycle_Auto& cycle, const char* name);
    // The chosen turning cycle of the post-processor, evaluated; null when it has none.
    CCycle_Auto* TurningCycleDefinition();
    bool OutputTrapezoids(const Contour& piece, int form, bool stepsAlongX);
    // The region as one cycle frame: the closed region, its offset and the profile.
    void OutputWholeRegion(CCycle_Auto& definition, const Contour& cycleContour);
};

}  // namespace zarvento
