// The roughing pass the frame benchmarks build their programs from: rapid
// approach, feed cut, two arcs, rapid retract, the depth growing with i.
#pragma once

#include <memory>
#include <vector>

#include "nc/cadre_arc_g02.h"
#include "nc/cadre_arc_g03.h"
#include "nc/cadre_line_g01.h"

namespace zarvento::bench {

inline void AddRoughingPass(std::vector<std::unique_ptr<CCadreISO>>& frames, int i) {
    const double x = -50.0 + (i % 40) * 0.5;
    frames.push_back(std::make_unique<CCadre_LineG01>(x - 2, 2.0, x, 1.0, 0.0, true));
    frames.push_back(std::make_unique<CCadre_LineG01>(x, 1.0, x, -40.0, 0.2 + (i % 3) * 0.05, false));
    frames.push_back(std::make_unique<CCadre_ArcG02>(x - 2, -40.0, 2.0, x, -40.0, x - 2, -42.0, 0.15, false));
    frames.push_back(std::make_unique<CCadre_ArcG03>(x - 2, -44.0, 2.0, x - 2, -42.0, x - 4, -44.0, 0.15, false));
    frames.push_back(std::make_unique<CCadre_LineG01>(x - 4, -44.0, x - 6, 2.0, 0.0, true));
}

}  // namespace zarvento::bench
