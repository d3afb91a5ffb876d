// CTurnKANAVKA: the operation of groove made by a single plunge: its defaults and its path.
#pragma once

#include "model/contour_builder_kanavka.h"
#include "operations/turn.h"

namespace zarvento {

class CTurnKANAVKA : public virtual CTurn {
public:
    CTurnKANAVKA() {
        kind = kTurnKANAVKA;
        sNameTurn = "Канавка";
        ReplaceWorkBuilder(std::make_unique<CContourBuilderKanavka>());
        typeKey = "Turning";
        Vrezanie = 1.0;
        Nshp = Nshp2 = 500.0;
        Spod = Spod2 = 0.05;
    }

    // The kind's own moves come later; the path is the common skeleton.
    bool CreateContourPath() override { return CreateSkeletonPath(); }
};

}  // namespace zarvento
