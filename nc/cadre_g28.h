// Return to the reference point (G28) in X, Z or both; start and end are set
// by the path builder.
#pragma once

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_G28 : public CCadreISO {
public:
    int WriteText(std::vector<std::string>& lines, int number) override;
    // Always a rapid line, whatever the frame's rapid flag.
    void CreatePathFigure() override;
};

}  // namespace zarvento
