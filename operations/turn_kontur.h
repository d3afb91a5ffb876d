// CTurnKONTUR: the operation of single-pass contour: its defaults and its path.
#pragma once

#include "operations/turn.h"

namespace zarvento {

class CTurnKONTUR : public virtual CTurn {
public:
    CTurnKONTUR() {
        kind = kTurnKONTUR;
        sNameTurn = "Контур";
        typeKey = "Turning";
        indShema = 0;
        indNapr = false;
        Vrezanie = 1.5;
        VrezanieSposob = 0;
        VrezanieAngle = 0.0;
        Perebeg = 1.5;
        PerebegSposob = 0;
        PerebegAngle = 270.0;
        Nshp = Nshp2 = 700.0;
        Spod = Spod2 = 0.25;
        pWorkSketch.reset();
    }

    // The kind's own moves come later; the path is the common skeleton.
    bool CreateContourPath() override { return CreateSkeletonPath(); }
};

}  // namespace zarvento
