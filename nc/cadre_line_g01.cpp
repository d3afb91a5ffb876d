// The linear move's modal update and built-in text.
#include "nc/cadre_line_g01.h"

#include <cmath>

#include "geometry/primitives.h"
#include "nc/frame_simulation.h"
#include "nc/frame_text_format.h"
#include "nc/modal_state.h"

namespace zarvento {

CCadre_LineG01::CCadre_LineG01(double startX, double startZ, double endX, double endZ, double feedValue, bool isRapid,
                               bool forceAllWords, bool isHidden)
    : CCadre_LineG01(FramePoint{startX, 0.0, startZ}, FramePoint{endX, 0.0, endZ}, feedValue, isRapid, forceAllWords,
                     isHidden) {
    move3D = 0;
}

CCadre_LineG01::CCadre_LineG01(const FramePoint& from, const FramePoint& to, double feedValue, bool isRapid,
                               bool forceAllWords, bool isHidden) {
    start = from;
    end = to;
    move3D = std::fabs(from.y) > 1e-6 || std::fabs(to.y) > 1e-6 ? 1 : 0;
    if (feedValue > 0.0) feed = feedValue;
    rapid = isRapid ? 1 : 0;
    forceAll = forceAllWords ? 1 : 0;
    hidden = isHidden ? 1 : 0;
    kindLetter = 'L';
    aux = end;
    TakeOutputValues();
    ModalState.position[0] = end.x;
    ModalState.position[1] = end.y;
    ModalState.position[2] = end.z;
}

double* CCadre_LineG01::GetVariable(std::string_view name) {
    if (name == "_THREAD") {
        threadMove_ = feedIsStep && !rapid ? 1.0 : 0.0;
        return &threadMove_;
    }
    return CCadreISO::GetVariable(name);
}

int CCadre_LineG01::WriteText(std::vector<std::string>& lines, int number) {
    if (WriteByTemplate(rapid ? "G00" : "G01", lines, number)) return number;
    if (!move3D) {
        // Each word is the target as written, not a step from the last one.
        std::string words = FormatModalAxisWord("X", outX2, ModalState.writtenX, forceAll != 0);
        words += FormatModalAxisWord("Z", end.z, ModalState.writtenZ, forceAll != 0);
        // A move that changes no word goes nowhere as written: no block, not
        // even for a new feed, which the next move that goes somewhere writes.
        if (words.empty()) return number;
        const bool feedWord = !rapid && ModalState.lastMoveRapid && std::fabs(feed - ModalState.feed) > 0.001;
        std::string line = FormatFrameNumber(number) + (rapid ? "G00  " : "G01  ") + words;
        if (feedWord) line += FormatAddressValue("F", feed, false);
        ModalState.lastMoveRapid = rapid;
        ModalState.feed = feed;
        AddTextLine(lines, std::move(line));
        return NextNumber(number);
    }
    std::string line = FormatFrameNumber(number) + (rapid ? "G00  " : "G01  ");
    auto moved = [&](double a, double b) { return forceAll || std::fabs(a - b) > 0.001; };
    bool any = false;
    if (moved(end.x, start.x)) line += FormatAddressValue("X", end.x, false), any = true;
    if (moved(end.y, start.y)) line += FormatAddressValue("Y", end.y, false), any = true;
    if (moved(end.z, start.z)) line += FormatAddressValue("Z", end.z, false), any = true;
    if (!any) line += FormatAddressValue("X", end.x, false);
    // A move in space writes its own X: the plane's words are not known after it.
    ModalState.writtenX.clear();
    ModalState.writtenZ.clear();
    if (!rapid && ModalState.lastMoveRapid && std::fabs(feed - ModalState.feed) > 0.001)
        line += FormatAddressValue("F", feed, false);
    ModalState.lastMoveRapid = rapid;
    ModalState.feed = feed;
    AddTextLine(lines, std::move(line));
    return NextNumber(number);
}

void CCadre_LineG01::CreatePathFigure() { SetPathLine(rapid != 0); }

std::int32_t CCadre_LineG01::SimulateStep(FrameSimulation& simulation) {
    simulation.SetTurn(operation);
    simulation.ShowStatus(feed, spindleSpeed, toolNumber);
    return pointCount;
}

PathStatistics CCadre_LineG01::GetStatistics() {
    double length = 0.0;
    if (move3D) {
        length = std::sqrt((end.x - start.x) * (end.x - start.x) + (end.y - start.y) * (end.y - start.y) +
                           (end.z - start.z) * (end.z - start.z));
    } else if (PathDeferred()) {
        // What the path's one line would measure, without making it.
        length = Distance(start.z, start.x, end.z, end.x);
    } else {
        EnsurePathFigure();
        length = path.GetLength();
    }
    PathStatistics s = MoveStatistics(length);
    if (!rapid && ModalState.constantSpeed)
        s.workTime = ConstantSpeedTime(length, -start.x, -end.x, ModalState.cuttingSpeed, ModalState.minSpindleSpeed,
                                       ModalState.maxSpindleSpeed, ModalState.feed);
    return s;
}

}  // namespace zarvento
