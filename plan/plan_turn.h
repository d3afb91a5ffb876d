// PlanTurn: what the plan executor needs of a turning operation. The
// operations live in the layer above and derive from it (through CTurn); they
// reach the plan through a factory that they register here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tree/tree_control.h"
#include "post/program_operation.h"

namespace zarvento {

class CCadreISO;
class Contour;
class CPostProcessor;

// Type codes of the operations, as stored in the plan record.
enum TurnType : std::int32_t {
    kTurnMnogoProhod = 1,  // multi-pass turning or grooving
    kTurnKONTUR = 2,       // single-pass contour
    kTurnKANAVKA = 3,      // groove (single plunge)
    kTurnDRILL = 4,        // drilling
    kTurnTHREADING = 5,    // thread cutting with a chisel
    kTurnPLASHKA = 6,      // thread cutting with a tap or die
    kTurnOTREZKA = 7,      // cut-off
};
inline constexpr std::int32_t kFirstTurnType = kTurnMnogoProhod;
inline constexpr std::int32_t kLastTurnType = kTurnOTREZKA;

class PlanTurn : public ProgramOperation {
public:
    PlanTurn() = default;
    virtual ~PlanTurn();
    PlanTurn(const PlanTurn&) = delete;
    PlanTurn& operator=(const PlanTurn&) = delete;

    // An operation produces frames and statistics only when it is neither
    // excluded nor carries a message of its last calculation.
    bool HasMessage() const { return !messageText.empty(); }
    // A message that is more than a warning: the operation has no path.
    bool HasErrorMessage() const { return HasMessage() && !messageText.starts_with(kWarningPrefix); }
    static constexpr std::string_view kWarningPrefix = "Предупреждение";
    bool IsActive() const override { return !isExclude && !HasMessage(); }

    virtual std::string GetNameTurn() const = 0;
    std::string ProgramName() const override { return GetNameTurn(); }
    // Checks the operation and builds its path from the state the operations
    // before it left; errors and warnings become its message text.
    virtual void DiagnosticRaschetPath(int position) = 0;
    // The frames of the last calculation, in program order, appended to out.
    virtual void CollectFrames(std::vector<CCadreISO*>& out) const;
    // What the NC program takes of the operation: by default no heading and
    // no document frame, and the frames of CollectFrames unless excluded.
    void AddCommentFrames(std::vector<CCadreISO*>& program, std::vector<std::unique_ptr<CCadreISO>>& owned) override;
    void CopyFramesTo(std::vector<CCadreISO*>& program) override;
    void AddDocFrame(std::vector<CCadreISO*>& program, std::vector<std::unique_ptr<CCadreISO>>& owned) override;
    // The contour of the operation's tool, or null.
    virtual const Contour* GetToolContour() const { return nullptr; }

    // The operation's record "Zarvento.Turn.%d" of a position.
    virtual void Save(int position);
    virtual void Load(int position);
    // Removes the record of a position; true, as the host's removal reports nothing.
    virtual bool RemoveStorage(int position);
    virtual void SetPostProcessorData(CPostProcessor* postProcessor);
    // The operation's panel; 1 for OK. Here the plan's panel model answers
    // it (PlanPanels::EditTurn); an operation with a panel of its own runs it.
    virtual int Edit();
    // Takes the final contour of the active operation before `position` (or
    // the stock) as where the operation starts from.
    virtual void GetPreviousFinalContour(int) {}

    // Puts the operation's item (and its lines) into the plan tree just after
    // `after` under `parent`; kNoTreeItem puts it first.
    virtual void InsertTreeItems(TreeControl& tree, TreeItem parent, TreeItem after);
    virtual void UpdateTreeItem(TreeControl& tree);

    // Display of the operation's path in the 3D view.
    virtual void SelectFrames(bool select);
    virtual void ShowFrames();
    virtual void UnhideFrames();
    virtual void HideFrames();
    virtual void ToggleShowPath();
    virtual void ToggleExclude();

    std::int32_t kind = 0;      // type code 1..7
    std::int32_t index = 0;     // position in the plan at the last calculation
    bool isExclude = false;     // left out of the program
    bool isShowPath = true;     // path shown in the view
    std::string messageText;    // error or warning of the last calculation
    std::int32_t indShema = 0;  // non-zero: the path is a machine cycle of the post-processor
    TreeItem hTreeItem = kNoTreeItem;
};

// Builds the operation of a type code; the operations layer registers it.
class PlanTurnFactory {
public:
    virtual ~PlanTurnFactory() = default;
    // Null for a code it does not know.
    virtual std::unique_ptr<PlanTurn> CreateTurn(std::int32_t type) = 0;
};

// The registered factory, or null (then no operation can be made).
// Registration is wiring, not process state: a state reset keeps it.
PlanTurnFactory* GetPlanTurnFactory();
// Returns the previous factory, so that a caller can put it back.
PlanTurnFactory* RegisterPlanTurnFactory(PlanTurnFactory* factory);

}  // namespace zarvento
