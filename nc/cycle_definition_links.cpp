// The registration of the plan's cycle-definition links.
#include "nc/cycle_definition_links.h"

namespace zarvento {

namespace {
CycleDefinitionLinks* registeredLinks = nullptr;
}  // namespace

CycleDefinitionLinks* GetCycleDefinitionLinks() { return registeredLinks; }

CycleDefinitionLinks* RegisterCycleDefinitionLinks(CycleDefinitionLinks* links) {
    CycleDefinitionLinks* previous = registeredLinks;
    registeredLinks = links;
    return previous;
}

}  // namespace zarvento
