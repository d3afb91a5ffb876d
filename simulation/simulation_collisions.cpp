// The tool's model against the fixtures' models.
#include <algorithm>

#include "catalogs/param_gadget.h"
#include "model/triangle_collision.h"
#include "plan/spid.h"
#include "simulation/simulation.h"

namespace zarvento {

namespace {

// The fixture's name in a message: cut before its first "(", one blank at
// the cut (or at the end of a name without one) dropped.
std::string MessageName(const std::string& name) {
    std::string head = name.substr(0, name.find('('));
    if (!head.empty() && head.back() == ' ') head.pop_back();
    return head;
}

}  // namespace

bool CSimulation::CheckFixtureCollisions(std::int32_t frameNumber) {
    if (!toolModel_) return false;
    CSPID* spid = ExistingSPID();
    if (!spid) return false;
    const int count = std::clamp(spid->Ngadgets, 0, CSPID::kMaxGadgets);
    for (int i = 0; i < count; ++i) {
        ParamGadget* gadget = spid->GetGadget(i);
        if (!gadget || !ModelsCollide(gadget->pDisplayModel.get())) continue;
        AddMessage(frameNumber, "Error: кадр N" + std::to_string(frameNumber) + " - соударение Инструмент-" +
                                    MessageName(gadget->sPsevName));
        return true;
    }
    return false;
}

bool CSimulation::ModelsCollide(const CModelTess* fixture) const {
    if (!toolModel_ || !fixture) return false;
    return MeshesCollide(toolModel_->triangles, toolModel_->modelBox, fixture->triangles, fixture->modelBox);
}

}  // namespace zarvento
