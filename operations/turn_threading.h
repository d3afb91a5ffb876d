// CTurnTHREADING: the operation of thread cutting with a chisel: its defaults and its path.
#pragma once

#include "model/contour_builder_threading.h"
#include "operations/turn.h"

namespace zarvento {

class CTurnTHREADING : public virtual CTurn {
public:
    CTurnTHREADING() {
        kind = kTurnTHREADING;
        sNameTurn = "Нарезание резьбы резцом";
        ReplaceWorkBuilder(std::make_unique<CContourBuilderThreading>());
        typeKey = "Threading_Chisel";
        Vrezanie = 3.0;
        Perebeg = 3.0;
        Spod = Spod2 = Step;  // the feed per revolution is the pitch
        Nshp = Nshp2 = 500.0;
        Vconst = Vconst2 = 30.0;
    }

    // The kind's own moves come later; the path is the common skeleton.
    bool CreateContourPath() override { return CreateSkeletonPath(); }

    double Step = 1.5;  // thread pitch, mm
};

}  // namespace zarvento
