// Helpers of the multi-pass suites: cycle values by name and plan-angle
// variables of a tool.
#pragma once

#include <string>

#include "catalogs/param_tool.h"
#include "nc/cycle_auto.h"

namespace zarvento::test {

// Gives a cycle parameter a value: a list parameter its entry, any other its text.
inline void SetCycleValue(CCycle_Auto& cycle, const std::string& name, double value) {
    CycleParameter* p = cycle.FindParam(name);
    if (!p) return;
    if (p->IsList()) {
        p->intValue = static_cast<std::int32_t>(value);
        p->valueText = std::to_string(p->intValue + 1);
    } else {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.17g", value);
        p->valueText = buffer;
    }
    p->evaluated = 0;
}

// Adds (or sets) a variable of the tool.
inline void SetToolVariable(ParamTool& tool, const std::string& name, double value) {
    for (int i = 0; i < tool.Npv; ++i) {
        if (tool.aVariables[static_cast<std::size_t>(i)].sName == name) {
            tool.aVariables[static_cast<std::size_t>(i)].dValue = value;
            return;
        }
    }
    ParamVariable& v = tool.aVariables[static_cast<std::size_t>(tool.Npv++)];
    v.sName = name;
    v.dValue = value;
}

}  // namespace zarvento::test
