// PlanSimulation: the machining simulation as the plan's headless simulation
// panel runs it. The simulation lives above the plan and registers its run
// here in its start-up call; without one the panel only shows the program.
#pragma once

#include "platform/dialogs/panel_script.h"

namespace zarvento {

class CPROGRAM;

class PlanSimulation {
public:
    virtual ~PlanSimulation() = default;
    // What the panel does while it is open: the pre-calculation of every
    // frame and the run from a program row, by the fields of the user's
    // answer (a field it cannot take refuses the answer, which becomes a
    // cancel). The check mode (geometry/simulation_hook.h) is already set.
    virtual void RunPanel(CPROGRAM& program, bool checkMode, PanelAnswer& answer) = 0;
};

// The registered run, or null. Registration is wiring, not process state: a
// state reset keeps it.
PlanSimulation* GetPlanSimulation();
// Returns the previous registration, so that a caller can put it back.
PlanSimulation* RegisterPlanSimulation(PlanSimulation* simulation);

}  // namespace zarvento
