// CFig_2: the second figure of an operation panel; it shows no point.
#pragma once

#include "model/fig_base.h"

namespace zarvento {

class CFig_2 : public CFigBase {
public:
    void DrawPoint(double, double) override {}
};

}  // namespace zarvento
