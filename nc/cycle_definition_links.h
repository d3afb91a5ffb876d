// CycleDefinitionLinks: what machine cycles need of the plan and its
// post-processors, which sit above this layer; the plan registers its
// implementation.
#pragma once

#include <string_view>

namespace zarvento {

class CCycle_Auto;

class CycleDefinitionLinks {
public:
    virtual ~CycleDefinitionLinks() = default;

    // Whether the plan has an installed post-processor of that name.
    virtual bool HasPostProcessor(std::string_view postProcessorName) = 0;
    // The cycle definition with that GCODE in the installed post-processor of
    // that name, or null.
    virtual const CCycle_Auto* FindCycleDefinition(std::string_view postProcessorName, std::string_view gcode) = 0;
    // The cycle definition with that GCODE in the plan's current
    // post-processor, or null (also when there is none).
    virtual const CCycle_Auto* FindCurrentCycleDefinition(std::string_view gcode) = 0;
};

// The registered links, or null: then no post-processor is installed.
// Registration is wiring of the code, not process state, so a state reset
// leaves it alone.
CycleDefinitionLinks* GetCycleDefinitionLinks();
// Returns the previous links, so that a caller can put them back.
CycleDefinitionLinks* RegisterCycleDefinitionLinks(CycleDefinitionLinks* links);

}  // namespace zarvento
