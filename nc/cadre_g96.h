// Constant cutting speed on (G96) with the spindle-speed limits.
#pragma once

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_G96 : public CCadreISO {
public:
    CCadre_G96(double cuttingSpeed, double minSpeed, double maxSpeed);

    double* GetVariable(std::string_view name) override;
    int WriteText(std::vector<std::string>& lines, int number) override;
};

}  // namespace zarvento
