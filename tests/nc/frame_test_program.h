// A small turning program built frame by frame in program order, shared by the
// built-in text and the template tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "nc/cadre_arc_g02.h"
#include "nc/cadre_arc_g03.h"
#include "nc/cadre_comment.h"
#include "nc/cadre_g04.h"
#include "nc/cadre_g28.h"
#include "nc/cadre_g96.h"
#include "nc/cadre_line_g01.h"
#include "nc/cadre_m3.h"
#include "nc/cadre_m30.h"
#include "nc/cadre_m5.h"
#include "nc/cadre_safe.h"
#include "nc/cadre_t.h"

namespace zarvento::test {

using Frames = std::vector<std::unique_ptr<CCadreISO>>;

inline CCadre_G28& AddG28(Frames& frames, double x1, double z1, double x2, double z2) {
    auto g28 = std::make_unique<CCadre_G28>();
    g28->start = {x1, 0, z1};
    g28->end = {x2, 0, z2};
    frames.push_back(std::move(g28));
    return static_cast<CCadre_G28&>(*frames.back());
}

// Safe block, tool change, G96, spindle, a rapid approach, a cut, two arcs, a
// retract, a dwell, the three reference returns, a comment and the end.
inline void BuildTurningProgram(Frames& f) {
    f.push_back(std::make_unique<CCadre_Safe>());
    f.push_back(std::make_unique<CCadre_T>(0, 1.0, 0.0, true));
    f.push_back(std::make_unique<CCadre_G96>(150.0, 100.0, 2500.0));
    f.push_back(std::make_unique<CCadre_M3>());
    f.push_back(std::make_unique<CCadre_LineG01>(-40.0, 10.0, -20.0, 2.0, 0.0, true));
    f.push_back(std::make_unique<CCadre_LineG01>(-20.0, 2.0, -20.0, -30.0, 0.2, false));
    f.push_back(std::make_unique<CCadre_ArcG03>(-25.0, -30.0, 5.0, -20.0, -30.0, -25.0, -35.0, 0.2, false));
    f.push_back(std::make_unique<CCadre_ArcG02>(-30.0, -35.0, 5.0, -25.0, -35.0, -30.0, -40.0, 0.1, false));
    f.push_back(std::make_unique<CCadre_LineG01>(-30.0, -40.0, -50.0, -40.0, 0.0, true));
    f.push_back(std::make_unique<CCadre_G04>(0.5));
    AddG28(f, -50, -40, -50, 100);
    AddG28(f, -50, 100, -100, 100.05);
    AddG28(f, -100, 100, -150, 150);
    f.push_back(std::make_unique<CCadre_Comment>("Конец"));
    f.push_back(std::make_unique<CCadre_M5>());
    f.push_back(std::make_unique<CCadre_M30>());
}

// The program builder's pass: modal state into each frame, then the text.
inline int WriteFrames(Frames& frames, std::vector<std::string>& lines, int number) {
    for (auto& f : frames) {
        f->SetModalState();
        f->SetOutputCoordinates();
    }
    for (auto& f : frames) number = f->WriteText(lines, number);
    return number;
}

}  // namespace zarvento::test
