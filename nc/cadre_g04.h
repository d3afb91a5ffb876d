// A dwell (G04 P seconds).
#pragma once

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_G04 : public CCadreISO {
public:
    explicit CCadre_G04(double seconds) : dwell(seconds) {}

    double* GetVariable(std::string_view name) override;
    int WriteText(std::vector<std::string>& lines, int number) override;
    // The dwell as auxiliary time.
    PathStatistics GetStatistics() override;

    double dwell = 0.0;
};

}  // namespace zarvento
