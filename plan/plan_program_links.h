// PlanProgramLinks: the plan's answers to the NC program (its temporary
// folder and chosen post-processor), registered with the post-processing layer.
#pragma once

#include "post/program_plan_links.h"

namespace zarvento {

class PlanProgramLinks : public ProgramPlanLinks {
public:
    static PlanProgramLinks& Instance();

    // Both answer for the plan instance there is; none is made for them.
    std::filesystem::path TemporaryDirectory() const override;
    const CPostProcessor* PostProcessor() const override;
    bool HasPlan() const override;
    std::vector<ProgramOperation*> Operations() const override;
    PARAMETERS* PlanProvider() const override;
    void Recalculate() override;
    void RecalculateOperation(ProgramOperation* op) override;
};

}  // namespace zarvento
