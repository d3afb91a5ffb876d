// The registration point of the plan's links for the NC program.
#include "post/program_plan_links.h"

#include "platform/core/registration.h"

namespace zarvento {

namespace {
Registration<ProgramPlanLinks> registration;
}  // namespace

ProgramPlanLinks* GetProgramPlanLinks() { return registration.Get(); }

ProgramPlanLinks* RegisterProgramPlanLinks(ProgramPlanLinks* links) { return registration.Register(links); }

}  // namespace zarvento
