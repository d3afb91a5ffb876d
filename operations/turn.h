// CTurn: the base of every turning operation (a virtual base of the seven
// operation classes): its name, its variable provider under the plan's, its
// record and its frames. The path builders of the operations grow on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "nc/cadre_iso.h"
#include "nc/operation_parameters.h"
#include "plan/plan_turn.h"

namespace zarvento {

class CTurn : public PlanTurn {
public:
    CTurn();
    ~CTurn() override;

    std::string GetNameTurn() const override { return sNameTurn; }
    // Records the position; the operation kinds build their paths here.
    void DiagnosticRaschetPath(int position) override;
    void CollectFrames(std::vector<CCadreISO*>& out) const override;

    // "Zarvento.Turn.%d": kind and name so far.
    void Save(int position) override;
    void Load(int position) override;
    void RemoveStorage(int position) override;
    static std::string RecordName(int position);

    // Takes a frame into the operation's list, linked to the operation and
    // to its variable provider.
    void AddFrame(std::unique_ptr<CCadreISO> frame);
    void ReleaseFrames() { frames.clear(); }

    OPERATION_PARAMETERS& Parameters() { return *parameters; }

    std::string sNameTurn;

protected:
    std::vector<std::unique_ptr<CCadreISO>> frames;

private:
    std::unique_ptr<OPERATION_PARAMETERS> parameters;
};

// Makes the operation factory of the plan build the seven operation kinds.
// Done once at start-up (linking the operations in does it too).
void RegisterTurnFactory();

}  // namespace zarvento
