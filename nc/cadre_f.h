// A feed change (F word).
#pragma once

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_F : public CCadreISO {
public:
    explicit CCadre_F(double feedValue);

    void SetModalState() override;
    int WriteText(std::vector<std::string>& lines, int number) override;

    double previousFeed = 0.0;
};

}  // namespace zarvento
