// Constant spindle speed (G97): constant cutting speed off.
#pragma once

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_G97 : public CCadreISO {
public:
    explicit CCadre_G97(double speed);

    int WriteText(std::vector<std::string>& lines, int number) override;

    double previousSpindleSpeed = 0.0;
};

}  // namespace zarvento
