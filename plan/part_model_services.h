// What the plan hands the layers below it at start-up for the part model: the
// reader of the part variables with the materials reference client it reads
// the material through, the plan data's stock form for the material, and the
// plan data's error report for the section of a stock model.
#pragma once

namespace zarvento {

// Registers them; the program that runs the library calls it once.
void RegisterPartModelServices();

}  // namespace zarvento
