// CFig_1: the first figure of an operation panel; it shows no point.
#pragma once

#include "model/fig_base.h"

namespace zarvento {

class CFig_1 : public CFigBase {
public:
    void DrawPoint(double, double) override {}
};

}  // namespace zarvento
