// CTurnMnogoProhod: the operation of multi-pass turning or grooving: its defaults and its path.
#pragma once

#include "operations/turn.h"

namespace zarvento {

class CTurnMnogoProhod : public virtual CTurn {
public:
    CTurnMnogoProhod() {
        kind = kTurnMnogoProhod;
        sNameTurn = "Многопроходная";
        typeKey = "Turning";
        Vrezanie = 1.5;
        Perebeg = 1.5;
        Spod = Spod2 = 0.25;
        Nshp = Nshp2 = 500.0;
    }

    // The kind's own moves come later; the path is the common skeleton.
    bool CreateContourPath() override { return CreateSkeletonPath(); }
};

}  // namespace zarvento
