// ParamGadget: one fixture of the plan (chuck, centre, steady rest): a tool
// record of the kind "Device" with the display model of the fixture body.
#pragma once

#include <memory>

#include "catalogs/param_tool.h"

namespace zarvento {

// The fixture body as drawn in the 3D view; made by the display layer.
class CModelTess;

class ParamGadget : public ParamTool {
public:
    ParamGadget();
    // Copies share the display model; it goes with its last holder, so two
    // records made from one another never both delete it.
    ParamGadget(const ParamGadget& other) = default;
    ParamGadget& operator=(const ParamGadget& other) = default;
    ~ParamGadget() override;

    void Reset() override;

    std::shared_ptr<CModelTess> pDisplayModel;
};

}  // namespace zarvento
