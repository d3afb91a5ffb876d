// CTurnPLASHKA: the operation of thread cutting with a tap or die: its defaults and its path.
#pragma once

#include "model/contour_builder_tap_die.h"
#include "operations/turn.h"

namespace zarvento {

class CTurnPLASHKA : public virtual CTurn {
public:
    CTurnPLASHKA() {
        kind = kTurnPLASHKA;
        sNameTurn = "Нарезание резьбы плашкой/метчиком";
        ReplaceWorkBuilder(std::make_unique<CContourBuilderTapDie>());
        typeKey = "Threading_Tap_Die";
        Vrezanie = 1.0;
        Perebeg = 1.0;
        Spod = Spod2 = Step;  // the feed per revolution is the pitch
        Nshp = Nshp2 = 100.0;
    }

    // The kind's own moves come later; the path is the common skeleton.
    bool CreateContourPath() override { return CreateSkeletonPath(); }

    double Step = 1.5;  // thread pitch, mm
};

}  // namespace zarvento
