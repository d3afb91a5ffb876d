// PlanSketches: the plan's drawings as the plan commands ask for them (the
// operation sketch of action 27, the plan sketch of action 34 and of the
// `CreatePlanSketch` entry, the document set of action 35).
#pragma once

#include "plan/plan_documents.h"

namespace zarvento {

class PlanSketches final : public PlanDocuments {
public:
    static PlanSketches& Instance();
    void CreateTurnSketch(PlanTurn& op, const std::string& name) override;
    void CreatePlanDocument(const std::string& name) override;
    void CreateDocumentSet() override;
};

}  // namespace zarvento
