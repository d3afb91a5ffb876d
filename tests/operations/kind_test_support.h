// Helpers of the suites of the axial and single-plunge kinds: turret tools of
// a kind with model variables, and the moves of an operation's path.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "catalogs/param_tool.h"
#include "nc/cadre_line_g01.h"
#include "operation_runner.h"

namespace zarvento::test {

inline ParamTool& KindTool(OperationRunner& runner, int position, int toolKind,
                           std::initializer_list<std::pair<const char*, double>> variables) {
    ParamTool& tool = runner.Tool(position, "Инструмент " + std::to_string(toolKind), 0.0);
    tool.TYPE_ = toolKind;
    tool.Npv = 0;
    for (const auto& [name, value] : variables) {
        tool.aVariables[static_cast<std::size_t>(tool.Npv)].sName = name;
        tool.aVariables[static_cast<std::size_t>(tool.Npv)].dValue = value;
        ++tool.Npv;
    }
    return tool;
}

struct Move {
    bool rapid;
    double x1, z1, x2, z2;
};

// The line moves of the operation's frames, in order.
inline std::vector<Move> Moves(const CTurn& op) {
    std::vector<Move> moves;
    for (const auto& frame : op.Frames()) {
        if (dynamic_cast<const CCadre_LineG01*>(frame.get()) == nullptr) continue;
        moves.push_back({frame->rapid != 0, frame->start.x, frame->start.z, frame->end.x, frame->end.z});
    }
    return moves;
}

// The cutting (feed) moves only.
inline std::vector<Move> Cuts(const CTurn& op) {
    std::vector<Move> cuts;
    for (const Move& m : Moves(op))
        if (!m.rapid) cuts.push_back(m);
    return cuts;
}

}  // namespace zarvento::test
