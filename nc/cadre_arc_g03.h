// A counter-clockwise circular move (G03).
#pragma once

#include "nc/cadre_arc_g02.h"

namespace zarvento {

class CCadre_ArcG03 : public CCadre_ArcG02 {
public:
    CCadre_ArcG03(double centreXValue, double centreZValue, double radiusValue, double startX, double startZ,
                  double endX, double endZ, double feedValue, bool isRapid)
        : CCadre_ArcG02(centreXValue, centreZValue, radiusValue, startX, startZ, endX, endZ, feedValue, isRapid) {
        arcLetter = '3';
    }
};

}  // namespace zarvento
