// A spindle-speed change (S word); the post-processor's path file gives them.
#pragma once

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_S : public CCadreISO {
public:
    explicit CCadre_S(double speed);

    // The frame sets the modal speed and takes the constant-speed flag and
    // the speed limits in force.
    void SetModalState() override;
    int WriteText(std::vector<std::string>& lines, int number) override;

    double previousSpindleSpeed = 0.0;
};

}  // namespace zarvento
