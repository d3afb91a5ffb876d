// Spindle speed and feed in one block (S and F words).
#pragma once

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_S_F : public CCadreISO {
public:
    CCadre_S_F(double speed, double feedValue);

    void SetModalState() override;
    int WriteText(std::vector<std::string>& lines, int number) override;

    double previousSpindleSpeed = 0.0;
    double previousFeed = 0.0;
};

}  // namespace zarvento
