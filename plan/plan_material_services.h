// What the plan hands the materials catalogs at start-up: how its stock is
// made, which the part's material record takes when the reference is read.
#pragma once

namespace zarvento {

// Registers the plan data's stock form; the program that runs the library
// calls it once.
void RegisterPlanMaterialServices();

}  // namespace zarvento
