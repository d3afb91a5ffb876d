// CTurn: the base of every turning operation (a virtual base of the seven
// operation classes): its settings, contour channels and builders, cutting
// data, the path as owned frames with the frames that open and close it, the
// recalculation with its diagnosis, the variables formulas read, and the
// path statistics.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/contour.h"
#include "model/contour_builder.h"
#include "model/contour_builder_zagotovka.h"
#include "nc/cadre_iso.h"
#include "nc/operation_parameters.h"
#include "nc/path_statistics.h"
#include "plan/plan_turn.h"
#include "platform/documents/host_document.h"
#include "platform/drawings/host_sketch.h"
#include "post/post_processor.h"

namespace zarvento {

class CCycle_Auto;
class CTurn;
class ParamTool;
class StorageRecord;

// The operation's variable provider: the operation answers first, then the plan.
class TurnParameters final : public OPERATION_PARAMETERS {
public:
    TurnParameters(PARAMETERS* planProvider, CTurn& owner) : OPERATION_PARAMETERS(planProvider), turn(&owner) {}
    const double* GetTurnParameter(std::string_view name) override;
    const std::string* GetTurnStringParameter(std::string_view name) override;

    CTurn* turn;
};

// The working state of one calculation of an operation's path. Each
// recalculation starts from a new one; what it leaves is read afterwards by
// the next operation (the retract point) and the program (the depth of cut).
struct TurnCalculation {
    // The regions to machine with their paired (stock) contours, the
    // finishing pieces, and the region being machined.
    std::vector<std::unique_ptr<Contour>> regionList, pairedList, finishList;
    std::unique_ptr<Contour> regionContour, pairedContour;
    // The region (then the finishing piece) being machined, and the last one.
    std::int32_t pieceIndex = 0, lastPieceIndex = 0;
    std::int32_t feedDirection = 0;  // 0 along the axis, 1 across it, 2 along the profile
    double finishDepth = 0.0, finishSpeed = 0.0, finishFeed = 0.0, finishAllowance = 0.0;
    double fi = 0.0, fi1 = 0.0;  // the plan angles heeded, in degrees
    bool undercutsIgnored = false, secondRound = false;
    // Where the path left the tool, and where its approach went.
    double retractX = 0.0, retractZ = 0.0, approachX = 0.0, approachZ = 0.0;
    double depthOfCut = 0.0;
    // An approach, return or link found no route that keeps off the part
    // and the stock, or the path broke an invariant: the operation has said
    // so, and its frames go.
    bool routeRefused = false;
    // How far a roughing pass lifts off before it returns (a machine cycle's retract).
    double retractDistance = 0.0;
};

class CTurn : public PlanTurn {
public:
    static constexpr const char* kLibraryKey = "5S7R9G.Zarvento.01";
    static constexpr const char* kCaption = "Orbisel";
    static constexpr const char* kHeidenhain = "HEIDENHAIN plus 620";
    static constexpr const char* kMissingToolParameter = "Инструмент не содержит параметр ";

    CTurn();
    ~CTurn() override;
    CTurn(const CTurn&) = delete;
    // Copies the settings by the rules of Copy; nothing on self-assignment.
    CTurn& operator=(const CTurn& other);
    // Settings, contour choices, previous and final contours and the
    // post-processor copy; never the frames, built contours or working state.
    // The target's builders stay bound to the target's own choices.
    void Copy(const CTurn& other);

    // ---- the plan's interface ----
    std::string GetNameTurn() const override { return sNameTurn; }
    void DiagnosticRaschetPath(int position) override;
    void CollectFrames(std::vector<CCadreISO*>& out) const override;
    const Contour* GetToolContour() const override;
    // The outline of the operation's tool as the simulation places it (built
    // from its model when not yet built); null for a tool without one.
    const Contour* ToolOutline();
    // The plan's hooks; the kinds add their rows through SaveKindValues and
    // LoadKindValues, never by overriding these.
    void Save(int position) final { SaveTurn(position); }
    void Load(int position) final { LoadTurn(position); }
    bool RemoveStorage(int position) override;
    void SetPostProcessorData(CPostProcessor* postProcessor) override;
    // The path of every frame in the 3D view: drawn in the path colour,
    // shown again, hidden, selected (only while the path is shown).
    void ShowFrames() override;
    void UnhideFrames() override;
    void HideFrames() override;
    void SelectFrames(bool select) override;
    // The operation's item and its three lines (tool, cutting data, correction).
    void InsertTreeItems(TreeControl& tree, TreeItem parent, TreeItem after) override;
    void UpdateTreeItem(TreeControl& tree) override;
    // The state image: active, with a message, or excluded.
    int TreeImageId() const;
    static std::string RecordName(int position);

    // ---- storage ----
    // Writes the sub-records ".W", ".S", ".ELM" and ".PP", then the main
    // record "Zarvento.Turn.%d" in one piece with the kind's values last.
    // False, writing nothing, without both contour choices.
    bool SaveTurn(int position);
    // Reads the main record and its sub-records by name; false, changing
    // nothing, when the main record is missing. A value that cannot be
    // converted raises HostError naming the record and the value.
    bool LoadTurn(int position);

    // ---- the operation kinds' slots ----
    // 1 when the user confirmed: the panel registered for the operation's
    // kind runs on a copy of it; a kind without one keeps the plan's panel
    // model (the script's "answer turn" form).
    int Edit() override;
    // The kind's cycle objects in the open ".ELM" record.
    virtual void SaveCycleParameters(StorageRecord&) {}
    virtual void LoadCycleParameters(StorageRecord&) {}
    virtual void CheckTool() {}
    // Takes the corner radius of the tool at nToolPosition.
    virtual void SetupTool();
    virtual bool SetPlanAnglesFromTool(CCycle_Auto*, Contour*) { return false; }
    // The common first step of every path; false when the path stops here.
    // Every failure exit leaves the frame list empty.
    virtual bool CreateContourPath();
    // The machine cycle of the post-processor the operation's output asks
    // for, its parameters worked out; elementary moves, with the notice,
    // where the post-processor has none of its kind (`cycleAsked`: the
    // operation asked for one). False, with the message, when the cycle's
    // parameters cannot be worked out.
    bool ChooseMachineCycle(bool cycleAsked);
    virtual void GetCycleVariables(std::string&) {}
    // The cycle whose parameters the operation panel shows; none for a kind
    // without one.
    virtual CCycle_Auto* PanelCycle() { return nullptr; }

    // ---- path building ----
    void FinishContourPath();
    void AddSpindleFeedFrames(std::vector<std::unique_ptr<CCadreISO>>& list);
    void AddLineFrame(double x1, double z1, double x2, double z2, double feedValue, bool isRapid, bool forceAll = false,
                      bool isHidden = false);
    void AddUnitFrame(const CUnit& unit, bool isRapid, bool forceAll = false, bool isHidden = false);
    // Takes a frame into the operation's list, linked to the operation.
    void AddFrame(std::unique_ptr<CCadreISO> frame);
    void LinkFrames();
    void ReleaseFrames();
    const std::vector<std::unique_ptr<CCadreISO>>& Frames() const { return frames; }
    // The program's list: frames are pointed to, never owned.
    void CopyFramesTo(std::vector<CCadreISO*>& program) override;
    // The heading comments and the document frame of a program: pointed to
    // by the program's list, owned by `owned`.
    void AddCommentFrames(std::vector<CCadreISO*>& program, std::vector<std::unique_ptr<CCadreISO>>& owned) override;
    void AddDocFrame(std::vector<CCadreISO*>& program, std::vector<std::unique_ptr<CCadreISO>>& owned) override;
    bool CorrectsRadius() const override { return isCorrectRadius; }
    bool MachineCompensatesRadius() const override { return DirRcorrect != 0; }
    void SetCorrectsRadius(bool on) override { isCorrectRadius = on; }
    bool CheckCalculatedPath() override;

    // ---- diagnosis ----
    void ReportError(const std::string& text);
    void ReportWarning(const std::string& text);
    // False when the feed formula failed (Spod is then 0).
    bool EvalFeedFormula();
    bool EvalSpeedFormulas();
    void GetPreviousFinalContour(int position) override;
    void BuildContours();
    // The contour offset by the corner radius (plus the finishing allowance
    // in mode 'c'), or given back when no offset applies.
    std::unique_ptr<Contour> OffsetContourByRadius(std::unique_ptr<Contour> contour, char mode);
    // The radius that offset is by, 0 when none applies.
    double NoseOffsetRadius(char mode) const;
    std::unique_ptr<Contour> MakeEquidistant(const Contour* contour, double distance, char mode);

    // ---- region and final contour ----
    bool CreateRegionAndFinalContour();
    // The source less the area between it and the working contour, or the
    // contour the path really reaches when it is given (a pass that leaves
    // a stretch of the working contour to another tool).
    bool CreateFinalContour(const Contour* reached = nullptr);
    bool CheckWorkContour(const Contour& contour);
    void ClearRegions();

    // ---- approach and retract ----
    // How far every rapid keeps the tool's nose off the part and the stock
    // standing: the operation's retract distance, or kDefaultRapidClearance
    // where it has none; within it the tool moves at feed. The contour pass
    // and the cut-off keep the default; the kinds that come to the stock by
    // a cycle's own rule (drilling, threads, the single groove) none (0).
    static constexpr double kDefaultRapidClearance = 1.0;
    // A rapid that keeps this much less than the clearance keeps it (rounding).
    static constexpr double kClearanceSlack = 1e-4;
    virtual double RapidClearance() const;
    // Makes at feed the stretches of the path's rapids that come nearer than
    // the clearance to the part or the stock standing (the part's section,
    // the stock before the operation until its first feed move, the stock
    // it leaves), but for a rapid that gets out from where a cut left the
    // tool; a blade's (the cut-off's, a multi-pass groove's) until it first
    // cuts.
    void FeedWithinClearance();
    // The idle approach to (z, x), the start of the first working move.
    void MoveToStart(double x, double z);
    // Keeps (z, x) as the path's end and retracts from it when one is due.
    void ReturnToHome(double x, double z);
    // Appends the route from (z, x) to the home point in the naprVozvrat
    // order (found and kept at the first automatic use); where that order
    // would take the tool through the part or the stock, in another that
    // keeps off, else out of the bore along its axis first. False (the
    // route in the order given) when none keeps off.
    bool BuildDetourPath(double x, double z, Contour& route);
    // The rapid link from the end of one piece of a multi-piece path to the
    // start (z, x) of the next.
    void LinkPieces(double x, double z);
    // Rapid frames from (z1, x1) to (z2, x2) in the order asked for when it
    // keeps the nose off the part and off the stock still there, else in
    // another that does, else out over them.
    enum RapidOrder { kZFirst, kXFirst, kDirect };
    void AddRapidRoute(double x1, double z1, double x2, double z2, RapidOrder order);
    // Rapid frames along the route's lines.
    void AddRoute(const Contour& route);
    // The operation's refusal of a route that has none keeping off: its
    // message (the first refusal's) names the move; the frames go.
    void RefuseRoute(const char* what, double x1, double z1, double x2, double z2);
    // The refusal of a path that broke an invariant of its own (a fault of
    // ours, never of the input): the message names the place; the frames go.
    void RefuseBrokenPath();

    // ---- the kind's own stored values, after the base's ----
    // Appended to the open main record after the base values, before it is
    // written; read from it after the base load is complete (post-processor
    // and tool included). The record's outcome is the base's.
    virtual bool SaveKindValues(StorageRecord&) { return true; }
    virtual bool LoadKindValues(StorageRecord&) { return true; }

    // ---- variables and tool data ----
    ParamTool* GetTool() const;
    double* GetNumericVariable(std::string_view name);
    const std::string* GetStringVariable(std::string_view name);
    void ApplyToolOffsets(Contour& contour) const;
    void RemoveToolOffsets(Contour& contour) const;
    // How far the point the program drives may go on a lathe: the nose's
    // centre not past the spindle's axis (x up to axisX; a bore's tool never
    // gets there), the nose not past the source contour's back end, where
    // the chuck holds the bar (z down to chuckZ).
    void GetLatheReach(double& axisX, double& chuckZ) const;
    // Shortens the path's ends (a pass's approach and overrun) that run out
    // of that reach.
    void TrimToLatheReach(Contour& path) const;
    // The least Z the nose reaches in a machine cycle, which runs its profile
    // to its end whatever lies there: the part's back face and the overrun
    // past it, never the bar's back end.
    double MachineCycleBackZ() const;
    // What the point the program drives must keep off for the nose to keep
    // off the contour: the contour offset by the nose radius, moved by the
    // tool's offsets (none for no contour).
    std::unique_ptr<Contour> NoseObstacle(const Contour* contour);
    // Whether the route keeps so far off the contour that it cannot meet its
    // nose obstacle, which then need not be made.
    bool ClearsNoseObstacle(const Contour& route, const Contour* contour) const;
    void CalcMeanDiameter();
    std::string GetCycleCaption() const;
    // The cycle-variable entry "name=value " of one value; empty for a value
    // below 0.001 in magnitude.
    static std::string CycleVariablesString(std::string_view name, double value);

    // ---- statistics ----
    PathStatistics CalcStatistics();

    OPERATION_PARAMETERS& Parameters() { return *parameters; }

    // ---- identity and display ----
    std::string sNameTurn = "Обработка";
    bool isAutoName = true;
    std::string typeKey;
    bool isExist = false;
    bool isPathToggled = false;
    bool isSilent = false;
    std::array<TreeItem, 3> treeLines{kNoTreeItem, kNoTreeItem, kNoTreeItem};
    // The part the operation belongs to; the link is lost when its document closes.
    std::weak_ptr<HostDocument> partLink;

    // ---- contour channels ----
    const Contour* pDetailContour = nullptr;
    std::unique_ptr<Contour> workChoice;
    std::unique_ptr<Contour> sourceChoice;
    std::int32_t SposobBuildWork = 1, SposobBuildSour = 1;
    std::shared_ptr<HostSketch> pWorkSketch, pSourSketch;
    std::int32_t naprSketchW = 0, naprSketchS = 0;
    double StepBezieW = 1.0, StepBezieS = 1.0;
    bool isPripuskW = false, isPripuskS = false;
    double PripuskW = 0.0, PripuskS = 0.0;
    std::int32_t ClosedSposob1 = 0, ClosedSposob2 = 0;
    double ClosedAngle1 = 0.0, ClosedAngle2 = 0.0;
    bool isUsePrevContour = true;
    std::unique_ptr<CContourBuilder> workBuilder;
    std::unique_ptr<CContourBuilderZagotovka> sourceBuilder;
    // A working contour given as a table; it takes the builder's place.
    std::unique_ptr<Contour> tableWorkContour;
    std::unique_ptr<Contour> workContour;
    std::unique_ptr<Contour> sourceContour;
    std::unique_ptr<Contour> prevFinalContour;
    std::unique_ptr<Contour> finalContour;

    // ---- approach, tool and cutting data ----
    std::int32_t indCycle = 0;
    std::int32_t indCycleElementar = 0;
    bool indNapr = false;
    std::int32_t indPerehod = 2;
    std::int32_t naprVihod = 1, naprVozvrat = 1;
    double Vrezanie = 0.0;
    std::int32_t VrezanieSposob = 0;
    double VrezanieAngle = 0.0;
    double Perebeg = 0.0;
    std::int32_t PerebegSposob = 0;
    double PerebegAngle = 0.0;
    bool isAutoTool = true;
    std::int32_t nToolPosition = -1;
    bool isCheckTool = false;
    bool isM01 = false, isM04 = false, isAutoM34 = true;
    double Spod = 0.15, Spod2 = 0.15;
    std::int32_t indSpod = 0;
    std::string sSpod = "TOOL.FEED1";
    bool isVconst = false;
    double Nshp = 500.0, Nshp2 = 500.0;
    std::int32_t indNshp = 0;
    std::string sNshp = "TOOL.SPIN";
    double Vconst = 180.0, Vconst2 = 180.0;
    double Nmin = 200.0, Nmax = 2000.0;
    std::string sVcut = "TOOL.VCUT";
    bool isCheckCooler = false;
    bool isM01end = true;
    double TT = 60.0;
    bool isCorrectRadius = true;
    double Rtool = 0.0;  // corner radius taken from the tool
    std::int32_t DirRcorrect = 0;
    std::int32_t TypeObhod = 0;
    bool isCorrectLz = false, isCorrectLx = false;
    double CorrectLz = 0.0, CorrectLx = 0.0;

    // ---- post-processing ----
    CCycle_Auto* currentCycle = nullptr;  // not owned; its provider parents the frames while set
    CPostProcessor postProcessor;
    bool isNoCycles = false;  // no machine cycle can be used: the path makes elementary moves
    // The operation asks for a machine cycle its post-processor does not
    // have: its path is elementary, and the request is kept (and stored) so
    // that every calculation says so and another post-processor may take it.
    bool cycleForced = false;
    bool isHeidenhain = false;

    // ---- the path's working state and results ----
    // What one calculation of the path works with: made anew by each
    // recalculation, so nothing of an earlier one carries into it.
    TurnCalculation calc;
    // Machining inside a bore: found from the working contour when the tool
    // is set up, and kept with the operation's choices.
    bool internalMachining = false;
    double diameter = 0.0;  // the operation's own diameter ("_DIAM" without a tool)
    double meanDiameter = 0.0;
    double workTime = 0.0, idleTime = 0.0, workLength = 0.0, idleLength = 0.0;
    double stopTime = 0.0;

protected:
    // The skeleton of a path: the opening frames, then at once the closing ones.
    bool CreateSkeletonPath();
    // The regions of the kinds that machine an area (multi-pass, groove, drilling).
    bool CreateAreaRegions();
    // Joins a finishing piece to one it touches, or lists it on its own.
    void JoinFinishingPiece(std::unique_ptr<Contour> piece);
    // A kind that builds its working contour its own way puts its builder in
    // the base's place, bound to the same choice.
    void ReplaceWorkBuilder(std::unique_ptr<CContourBuilder> builder);
    // A failure exit of the path: no frame of it stays; returns false.
    bool FailPath();
    // The provider the frames' variables lead to: the current cycle's while
    // one is set, else the operation's.
    PARAMETERS* FrameParent() const;

    std::vector<std::unique_ptr<CCadreISO>> frames;

private:
    // An approach route and where on its last leg the feed starts (none below 0).
    struct ApproachRoute {
        std::unique_ptr<Contour> route;
        double fedFrom = -1.0;
    };
    // The approach from (fromZ, fromX), the home point or where the
    // operation before left the tool, to (z, x): in the naprVihod order from
    // the home point (found and kept at the first automatic use), else
    // directly, where that keeps off the stock standing and the part; else
    // in another order, or out of the bore it starts in and into the one it
    // goes to along their axes. The rapid part keeps the clearance off the
    // stock standing and the part where a route can, and the route comes
    // the rest of the way at feed. False when no route keeps off.
    bool FindApproach(double fromX, double fromZ, double x, double z, bool fromHome, ApproachRoute& found);
    bool FindApproachKeeping(double fromX, double fromZ, double x, double z, bool fromHome, double clearance,
                             ApproachRoute& found);
    void AddApproach(const ApproachRoute& approach);
    void InsertToolLifeStop();
    void PushChannelSettings();
    // Moves by the operation's corrections plus (toolSign 1) or minus (-1)
    // the tool's.
    void MoveByToolOffsets(Contour& contour, double toolSign) const;
    // The shift MoveByToolOffsets makes, (dz, dx).
    void ToolOffsetShift(double toolSign, double& dz, double& dx) const;
    double* Slot(double& slot, double value) {
        slot = value;
        return &slot;
    }

    std::unique_ptr<TurnParameters> parameters;
    // Cells of the numeric variables that are not kept as doubles.
    double tposSlot = 0.0, tprvSlot = 0.0, tnxtSlot = 0.0, sdirSlot = 0.0, vconSlot = 0.0, typeSlot = 0.0;
    double frwsSlot = 0.0, towsSlot = 0.0, indpSlot = 0.0, toolSlot = 0.0, exisSlot = 0.0;
    std::string stringSlot;
};

// Arms the one notice that a change of post-processor switched operations
// to elementary moves: the plan's notice flag, which a reload arms too.
void ArmPostProcessorChangeNotice();

// Consumes a contour and gives a new one with the units in reverse order,
// each reversed; null stays null and an empty contour comes back as it is.
std::unique_ptr<Contour> ReverseContour(std::unique_ptr<Contour> contour);

// The panel that edits an operation of a kind (0: an operation of no kind):
// it runs on the operation and gives 1 for OK. The operation panels register
// theirs in their start-up call; a null editor gives the kind back to the
// plan's panel model. Returns the previous one; kinds outside 0..7 have none.
using TurnEditor = int (*)(CTurn&);
TurnEditor SetTurnEditor(std::int32_t kind, TurnEditor editor);
TurnEditor GetTurnEditor(std::int32_t kind);

// Makes the operation factory of the plan build the seven operation kinds.
// The operations layer's start-up call does it.
void RegisterTurnFactory();

}  // namespace zarvento
