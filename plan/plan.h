// CPLAN: the machining plan of the active part document: the operations in
// machining order, the plan flags, the part's variables (as its base) and the
// plan variables that formulas read. One plan per process (GetPLAN).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "nc/detail_parameters.h"
#include "nc/plan_parameters.h"
#include "plan/plan_turn.h"
#include "platform/documents/host_document.h"

namespace zarvento {

class CCadreISO;
class CPROGRAM;
class CSPID;
class ParamTool;

inline constexpr const char* kMissingToolParameter = "Инструмент не содержит параметра ";

struct ModalStateRecord;

class CPLAN : public DETAIL_PARAMETERS {
public:
    CPLAN();
    ~CPLAN() override;
    CPLAN(const CPLAN&) = delete;
    CPLAN& operator=(const CPLAN&) = delete;

    // ---- the operation list ----
    int GetTurnCount() const { return static_cast<int>(turns.size()); }
    // Null outside [0, count - 1].
    PlanTurn* GetTurn(int i) const;
    bool ContainsTurn(const PlanTurn* op) const;
    // Position of the operation, -1 when it is not in the plan.
    int IndexOfTurn(const PlanTurn* op) const;
    PlanTurn* GetCurrentTurn() const { return currentTurn; }

    // The operation of a type code, its kind set; null for a code outside
    // 1..7 or when no factory is registered.
    static std::unique_ptr<PlanTurn> CreateTurnClass(std::int32_t type);
    // Puts the operation at i (before the one there now), in the list and in
    // the plan tree alike; any i outside [0, count - 1] appends. Returns it.
    PlanTurn* InsertTurn(int i, std::unique_ptr<PlanTurn> op);
    // Takes the operation out of the tree, the document (the record of the
    // last position, since records follow positions) and the list, and
    // deletes it. False, with nothing done, when it is not in the plan.
    bool RemoveTurn(PlanTurn* op);
    // Moves the operation at `from` to position `to` in the list and the
    // tree; false, with nothing done, for a position outside the list.
    bool MoveTurn(int from, int to);
    // Flips the exclusion of the operation at i and refreshes its tree item.
    bool ToggleExclude(int i);
    // Deletes every operation.
    void ClearTurns();

    // Number of active operations in front of op; -1 when op is not in the plan.
    int GetActiveTurnNumber(const PlanTurn* op) const;
    // The nearest active operation at i or before (after) it; null outside the list.
    PlanTurn* GetPrevActiveTurn(int i) const;
    PlanTurn* GetNextActiveTurn(int i) const;

    void SelectTurn(int i);
    void DeselectTurn();
    void RefreshLSCTreeNode();
    void RefreshSPIDTreeNode();

    // ---- recalculation and path display ----
    // Rebuilds every operation's path in plan order from a clean modal state,
    // with the hidden work document active; busy flag and active documents
    // are restored on every exit.
    void DiagnosticRaschetPath();
    // The same after an operation was appended to a calculated plan. An
    // operation's path depends on the ones before it (through the modal state
    // and their final contours) and on the next active one (its retract), so
    // those before the last active operation that precedes the new one are
    // as they were; the calculation starts there, from the modal state it
    // left before that operation, and its result is the whole calculation's.
    // Where that state is not at hand (the list changed otherwise since) the
    // whole plan is calculated. A script that appends operation after
    // operation thus costs in proportion to its length, not to its square.
    void DiagnosticRaschetPathAppended();
    // Calculates operation k alone again, from the modal state the last
    // calculation left before it: the operations around it keep their paths
    // and final contours. The whole plan is calculated where that state is
    // not at hand.
    void RecalculateTurn(int k);
    // How many calculations have run in this process: whole ones (and those
    // from an appended operation on), and single operations calculated alone.
    struct CalculationCounts {
        int plans = 0;
        int singleTurns = 0;
    };
    static const CalculationCounts& Calculations();
    void RedrawPaths();
    void RestorePaths();
    void HidePaths();
    // The frames of the active operations in plan order: what the NC program
    // is made of.
    std::vector<CCadreISO*> CollectProgramFrames() const;
    // Whether some operation outputs a machine cycle of the post-processor.
    bool UsesMachineCycles() const;
    // For the statistics: when some operation outputs a machine cycle, the
    // program of all operations is made and passed through the
    // post-processor (text pass, input file, script run, path file), so
    // that each cycle frame holds the moves the script gives it and counts
    // them. Nothing more is done when the description needs no script: its
    // cycles have no path.
    void PostProcessForStatistics(CPROGRAM& program);

    // ---- the plan record "Zarvento.PLAN" ----
    static constexpr const char* kPlanRecord = "Zarvento.PLAN";
    // Document path, type codes, tree states (only with a tree control), the
    // flags and the material values. Nothing is written when the record
    // cannot be opened.
    void Save();
    // Reads the record into the type codes, tree states, flags and material
    // values; a missing record leaves all but the two arrays unchanged.
    void Load();
    // Reads the part variables from the model through the registered reader;
    // true when they changed (then the plan record is stored again).
    bool ReadDetailParameters(bool interactive);

    // ---- plan variables ----
    PLAN_PARAMETERS& PlanParameters() { return *planParameters; }
    // Address of the plan's numeric variable, or null. Each answer has a
    // place of its own, so earlier answers of one formula stay valid.
    const double* GetNumericVariable(std::string_view name);
    // The plan's string variable, or null.
    const std::string* GetStringVariable(std::string_view name);
    // Zero-based object number of a "TOOL"/"FIXT" name, read from its fifth
    // character up to the next '.'; the name itself is left unchanged.
    static int ParseObjectIndex(std::string_view name);

    // Values of the statistics layer (0 without one).
    double GetZagotovkaMass();
    double GetDetailMass();
    double GetDensity();
    void CalculateTime();
    void LoadCalculateC1();
    // Forgets the stock and part mass, the density and the main time, so
    // that the next formula computes them afresh (the cost estimate opens so).
    void ClearReportValues();
    // The batch size and set-up time the cost estimate accepted ("_NPAR", "_TPZK").
    void SetBatchValues(double batchSize, double setupTime);

    // ---- commands (the action switch runs them; plan_commands.cpp) ----
    // Every change ends in the whole-plan recalculation, the operations saved
    // from the first changed position on and the plan record, inside the
    // host's modal bracket, which closes on every exit.
    void SetParamSPID();
    void CreateNewTurn(std::int32_t type, int index);
    void EditTurn(int index);
    void DeleteTurn(int index);
    void ExcludeTurn(int index);
    void ToggleTurnPath(int index);
    // Outside 1 <= i < count (up) or 0 <= i < count - 1 (down): nothing.
    void MoveTurnUp(int i);
    void MoveTurnDown(int i);
    // Resumes the operation that waits for a tool-table edit.
    void EditTurnTool();
    void SetParam_LSC();
    void ToggleShowLSC();
    void ToggleShowSource();
    void ToggleShowGadgets();
    void ShowTurnMessage(int index);
    void ShowPostProcessorsList();
    // The program, simulation and check runs throw Exception for an empty
    // plan, an unusable rapid speed (simulation) or a missing tool contour.
    void RunProgramPanel();
    void RunVisualization();
    void RunCheckSimulation();
    void ShowStatistics();
    void EditSettings();
    void SaveTurnResultModel(int index);
    void CreateTurnSketch(int index);
    void ClearPlan();
    bool IsLSCDefined();
    // False, after "Задайте контур заготовки", when no stock contour results.
    bool HasSourceContour();
    // DoSynchronizationData, remembering which document was synchronised.
    void Synchronize();
    // True when the active document is not the one the plan was synchronised
    // with: another path, or another document object (two unsaved documents
    // both have an empty path).
    bool IsOtherDocument(const HostDocumentPtr& active) const;

    // ---- fields ----
    const double e = 2.718281828459045;
    const double degreesPerRadian;
    const double radiansPerDegree;
    bool isElementStat = false;
    bool isSTOP = false;
    std::string storedDocumentPath;
    std::string synchronisedDocumentPath;
    std::vector<std::uint8_t> treeStates;
    std::vector<std::int32_t> typeCodes;
    // The document of the last synchronisation.
    std::weak_ptr<HostDocument> synchronisedDocument;
    // A new operation whose panel was left for a tool-table edit: outside the
    // plan until action 75 inserts it; deleted with the plan.
    std::unique_ptr<PlanTurn> pendingNewTurn;

private:
    // Saves the operations from position `first` to the end under their positions.
    void SaveTurnsFrom(int first);
    // Calculates the operations from `first` to `last` (inclusive; the end
    // of the list when past it), starting from `modal` (a clean modal state
    // when null).
    void CalculateFrom(std::size_t first, const ModalStateRecord* modal, std::size_t last = SIZE_MAX);
    void MoveAdjacent(int from, int to);
    // Builds every tool contour and throws when an included operation has none.
    void CheckToolContours();

    enum Cached { kStockMass, kDetailMass, kDensity, kMainTime, kAuxTime, kBatchSize, kSetupTime, kCachedCount };

    // Forgets op wherever a link to it is kept, before it goes.
    void ForgetTurn(const PlanTurn* op);
    // Tree control of the plan tree when both exist.
    static TreeControl* Tree();
    void InsertTreeItemAt(PlanTurn& op, int i);
    void WalkPaths(bool redraw);
    // The tool (fixture) a "TOOLn.parameter" name names and its parameter
    // text; null for a name without both or a number outside the positions.
    ParamTool* ObjectOf(std::string_view name, bool fixture, std::string_view& parameter);
    const double* ToolVariable(std::string_view name, bool fixture);
    const std::string* ToolString(std::string_view name, bool fixture);
    const double* MissingParameter(std::string_view parameter);
    static const double* Slot(double& slot, double value) {
        slot = value;
        return &slot;
    }

    std::unique_ptr<PLAN_PARAMETERS> planParameters;
    std::vector<std::unique_ptr<PlanTurn>> turns;
    // The modal state before each operation as the last calculations left it,
    // and the operation it was taken before: what an appended operation's
    // calculation starts from. Cleared when the list changes otherwise.
    struct ModalBefore {
        const PlanTurn* op = nullptr;
        std::shared_ptr<const ModalStateRecord> state;
    };
    std::vector<ModalBefore> modalBefore_;
    void ForgetCalculation() { modalBefore_.clear(); }
    PlanTurn* currentTurn = nullptr;
    // Copies handed out by address.
    struct Slots {
        double positions = 0.0;    // "_NPOS"
        double stockMethod = 0.0;  // "_ST_T"
        double stockBuild = 0.0;   // "_STBT"
        double fixtures = 0.0;     // "_NFIX"
        double safety = 0.0;       // "_DSAF"
        double inch = 0.0;         // "_INCH"
        double exists = 0.0;       // "TOOLn._EXIS"
        double fixtureY = 0.0;     // "FIXTn._YPOS"
    } slots;
    std::array<double, 6> stockBox{};  // x1, y1, z1, x2, y2, z2
    std::array<double, 6> detailBox{};
    std::array<double, kCachedCount> cached{};
    std::string dateText, timeText, stockTypeText;
};

// The plan, made on first use.
CPLAN* GetPLAN();
// The plan or null, without making one.
CPLAN* ExistingPLAN();
// Destroys the plan with its operations; the next GetPLAN makes an empty one.
void DeletePLAN();

// Reads the part variables of the model into the part's provider; the
// layer that knows the model and the materials reference registers it.
using DetailParametersReader = bool (*)(DETAIL_PARAMETERS& part, bool interactive);
// Returns the previous reader, so that a caller can put it back.
DetailParametersReader RegisterDetailParametersReader(DetailParametersReader reader);

// The operation whose panel left it waiting for a tool-table edit; the plan
// clears it when it deletes that operation.
extern PlanTurn* WaitingTurn;

}  // namespace zarvento
