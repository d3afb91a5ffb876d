// The registration of the plan's cycle-definition links.
#include "nc/cycle_definition_links.h"

#include "platform/core/registration.h"

namespace zarvento {

namespace {
Registration<CycleDefinitionLinks> registration;
}  // namespace

CycleDefinitionLinks* GetCycleDefinitionLinks() { return registration.Get(); }

CycleDefinitionLinks* RegisterCycleDefinitionLinks(CycleDefinitionLinks* links) { return registration.Register(links); }

}  // namespace zarvento
