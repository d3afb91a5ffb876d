// CTurnOTREZKA: the operation of cut-off: its defaults and its path.
#pragma once

#include "model/contour_builder_otrezka.h"
#include "operations/turn.h"

namespace zarvento {

class CTurnOTREZKA : public virtual CTurn {
public:
    CTurnOTREZKA() {
        kind = kTurnOTREZKA;
        sNameTurn = "Отрезка";
        ReplaceWorkBuilder(std::make_unique<CContourBuilderOtrezka>());
        typeKey = "Turning";
        indShema = 0;
        Vrezanie = 1.0;
        Perebeg = 0.5;
        Nshp = Nshp2 = 500.0;
        Spod = Spod2 = 0.05;
    }

    // The kind's own moves come later; the path is the common skeleton.
    bool CreateContourPath() override { return CreateSkeletonPath(); }
};

}  // namespace zarvento
