// The operation name, written only by its template; it takes no program line without one.
#pragma once

#include "nc/cadre_code.h"

namespace zarvento {

class CCadre_NameOper : public CCadreCode {
public:
    CCadre_NameOper() : CCadreCode("NameOper", nullptr, true) {}

    // The operation's name changes nothing in the simulation.
    std::int32_t SimulateStep(FrameSimulation&) override { return pointCount; }
};

}  // namespace zarvento
