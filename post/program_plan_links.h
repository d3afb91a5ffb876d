// ProgramPlanLinks: what the NC program needs of the machining plan, which sits
// above this layer (its temporary folder and its post-processor); the plan
// registers its implementation.
#pragma once

#include <filesystem>
#include <vector>

namespace zarvento {

class CPostProcessor;
class PARAMETERS;
class ProgramOperation;

class ProgramPlanLinks {
public:
    virtual ~ProgramPlanLinks() = default;
    // The plan's temporary folder, where the script's exchange files live;
    // empty when the plan has none.
    virtual std::filesystem::path TemporaryDirectory() const = 0;
    // The plan's chosen post-processor, or null.
    virtual const CPostProcessor* PostProcessor() const = 0;
    // Whether a plan exists; without one no program is made.
    virtual bool HasPlan() const { return false; }
    // The plan's operations in plan order.
    virtual std::vector<ProgramOperation*> Operations() const { return {}; }
    // Recalculates every operation of the plan.
    virtual void Recalculate() {}
    // Recalculates one operation of the plan alone; the others keep their paths.
    virtual void RecalculateOperation(ProgramOperation*) {}
    // The plan's variable provider, the parent of the program's own frames.
    virtual PARAMETERS* PlanProvider() const { return nullptr; }
};

// The registered links, or null: then no script can run. Registration is a
// link of the code, not process state, so a state reset leaves it alone.
ProgramPlanLinks* GetProgramPlanLinks();
// Returns the previous links, so that a caller can put them back.
ProgramPlanLinks* RegisterProgramPlanLinks(ProgramPlanLinks* links);

}  // namespace zarvento
