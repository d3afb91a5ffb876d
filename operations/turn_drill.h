// CTurnDRILL: the operation of drilling on the axis: its defaults and its path.
#pragma once

#include "model/contour_builder_drill.h"
#include "operations/turn.h"

namespace zarvento {

class CTurnDRILL : public virtual CTurn {
public:
    CTurnDRILL() {
        kind = kTurnDRILL;
        sNameTurn = "Сверление";
        ReplaceWorkBuilder(std::make_unique<CContourBuilderDrill>());
        typeKey = "Drilling";
        Vrezanie = 1.0;
        Perebeg = 0.0;
        ClosedSposob1 = 5;
        ClosedSposob2 = 0;
        ClosedAngle1 = 118.0;
        ClosedAngle2 = 0.0;
        Nshp = Nshp2 = 500.0;
        Spod = Spod2 = 0.1;
        TT = 45.0;
    }

    // The kind's own moves come later; the path is the common skeleton.
    bool CreateContourPath() override { return CreateSkeletonPath(); }
};

}  // namespace zarvento
