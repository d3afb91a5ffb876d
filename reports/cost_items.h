// The items of the cost estimate: each a cycle whose parameters are numbers
// or formulas over the other items, the tools' costs and the plan's variables
// (machining times, masses, density). Item 4, the tools, has no class: its
// figures come from the estimate's tools page. The codes begin with the
// Cyrillic letter Es, as do the names С_inlim, С_pm, С_ceh and С_soc.
#pragma once

#include "nc/cycle_auto.h"

namespace zarvento {

inline constexpr const char* kCostItemType = "Calculate";

class CCalculate_C1 : public CCycle_Auto {
public:
    CCalculate_C1();
};

class CCalculate_C2 : public CCycle_Auto {
public:
    CCalculate_C2();
};

class CCalculate_C3 : public CCycle_Auto {
public:
    CCalculate_C3();
};

class CCalculate_C5 : public CCycle_Auto {
public:
    CCalculate_C5();
};

class CCalculate_C6 : public CCycle_Auto {
public:
    CCalculate_C6();
};

class CCalculate_C7 : public CCycle_Auto {
public:
    CCalculate_C7();
};

}  // namespace zarvento
