// The registration point of the plan's links for the NC program.
#include "post/program_plan_links.h"

namespace zarvento {

namespace {
ProgramPlanLinks* g_programPlanLinks = nullptr;
}

ProgramPlanLinks* GetProgramPlanLinks() { return g_programPlanLinks; }

ProgramPlanLinks* RegisterProgramPlanLinks(ProgramPlanLinks* links) {
    ProgramPlanLinks* previous = g_programPlanLinks;
    g_programPlanLinks = links;
    return previous;
}

}  // namespace zarvento
