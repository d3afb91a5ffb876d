// PlanDocuments: the drawings the plan commands ask for (an operation's
// sketch, the plan sketch and the document set), which the reports layer
// above draws; it registers its implementation here in its start-up call.
#pragma once

#include <string>

namespace zarvento {

class PlanTurn;

class PlanDocuments {
public:
    virtual ~PlanDocuments() = default;
    // The sketch of one operation; an empty name leaves the drawing open,
    // otherwise it is saved under that name and closed.
    virtual void CreateTurnSketch(PlanTurn& op, const std::string& name) = 0;
    // The sketch of the whole plan, likewise.
    virtual void CreatePlanDocument(const std::string& name) = 0;
    // Every sketch of the plan into a folder the user chooses.
    virtual void CreateDocumentSet() = 0;
};

// The registered documents, or null: then the commands are only noted.
// Registration is wiring, not process state: a state reset keeps it.
PlanDocuments* GetPlanDocuments();
// Returns the previous registration, so that a caller can put it back.
PlanDocuments* RegisterPlanDocuments(PlanDocuments* documents);

}  // namespace zarvento
