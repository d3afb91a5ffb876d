// The machinability group of the part material: the MC code of the SANDVIK
// classification ("P1.2.Z.AN": group letter and main number, sub number,
// production form, treatment) from the record's composition, hardness,
// reference group, grade and stock form; for stainless steels also their
// structural class.
#pragma once

#include "nc/material.h"

namespace zarvento {

// Sets SumLeg, and sMCcode (and sSteelClass for a stainless steel) by the
// first rule that covers the material; a material no rule covers gets no
// code (an empty sMCcode).
//
// The reference's group text starts with its number g: 0 to 5 steels (02.03
// high-speed steels), 6 cast irons (the number after "06." tells which: 1
// grey, 2 malleable or vermicular, 3 ductile), 7 copper, 8 aluminium and 10
// magnesium alloys, 11 titanium alloys. Zinc alloys are known by their grade
// (Ц..., Zn...). Cast stock is the plan's 3; 5 counts as cast as well.
void ClassifyMaterialMC(MATERIAL& material);

}  // namespace zarvento
