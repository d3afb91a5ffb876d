// FrameFactory: the move frames that contour units make (CUnit::CreateCadre).
#pragma once

#include "geometry/cadre_factory.h"

namespace zarvento {

class FrameFactory : public CadreFactory {
public:
    CadrePtr MakeLineFrame(double x1, double z1, double x2, double z2, double feed, bool rapid, int option1,
                           int option2) override;
    CadrePtr MakeArcFrame(bool clockwise, double xc, double zc, double radius, double x1, double z1, double x2,
                          double z2, double feed, bool rapid) override;

    // Registers the one factory with the unit layer (nc's start-up call does).
    static void Register();
};

}  // namespace zarvento
