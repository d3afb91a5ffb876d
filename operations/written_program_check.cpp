// The program as written, read back per operation and checked against the
// part, the stock and each operation's tool.
#include "operations/written_program_check.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "nc/address_table.h"
#include "nc/cadre_iso.h"
#include "nc/frame_templates.h"
#include "operations/path_clearance.h"
#include "operations/roughing_reach.h"
#include "operations/turn.h"
#include "plan/spid.h"
#include "platform/documents/settings_record.h"
#include "post/program.h"

namespace zarvento {

namespace {

// An operation with its frames and not a single move among its blocks.
constexpr const char* kNoMoves = "В программе нет ни одного перемещения обработки";

// What the text may take the tool in by: the machine's 0.001, and as much
// again for the words' three decimals, which move an arc written by its
// radius (of at most a third of a turn) by up to twice their rounding.
constexpr double kWrittenTolerance = 0.002;

std::string Trimmed(const std::string& line) {
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : line.substr(first);
}

ClearanceMove AsClearanceMove(const WrittenMove& m) {
    ClearanceMove c;
    const Point2D a{m.z1, m.x1}, b{m.z2, m.x2};
    if (m.Arc() && m.r > 0.0) {
        c.piece = Curve2D::Arc({m.cz, m.cx}, m.r, std::atan2(m.x1 - m.cx, m.z1 - m.cz), m.sweep);
        c.piece.a = a;
        c.piece.b = b;
    } else {
        c.piece = Curve2D::Line(a, b);
    }
    c.rapid = m.Rapid();
    c.cycleProfile = m.inCycle;
    c.thread = m.g == 32;
    c.beforeFinishingData = false;
    return c;
}

}  // namespace

WrittenProgramFormat ProgramTextFormat() {
    WrittenProgramFormat format;
    format.xMode = SettingsRecord::Global().xOutputMode;
    // Templates write the words scaled to the program's units; the built-in
    // texts write millimetres.
    if (FrameTemplates::Find("G01") != nullptr)
        for (const AddressTable::Word& w : AddressTable::Global().Words())
            if (w.name == "X" && std::fabs(w.factor) > 1e-12) format.scale = 1.0 / w.factor;
    const CSPID& spid = *GetSPID();
    format.z0 = spid.Z0tool;
    format.x0 = -spid.X0tool;
    return format;
}

std::vector<OperationMoves> ReadOperationMoves(const CPROGRAM& program, const std::vector<std::string>& lines,
                                               std::vector<std::string>* faults) {
    std::vector<OperationMoves> out;
    const std::vector<std::uint32_t>& owners = program.LineFrames();
    WrittenProgramReader reader(ProgramTextFormat());
    std::vector<WrittenMove> read;
    bool cycle = false;
    for (std::size_t i = 0; i < lines.size() && i < owners.size(); ++i) {
        const CCadreISO* frame = owners[i] < program.frames.Count() ? program.frames[owners[i]] : nullptr;
        const bool inCycle = frame != nullptr && frame->kindLetter == 'U';
        if (inCycle && !cycle) reader.BeginCycle();
        if (!inCycle && cycle) reader.EndCycle();
        cycle = inCycle;
        read.clear();
        reader.Read(lines[i], static_cast<int>(i), read);
        if (read.empty() || frame == nullptr || frame->operation == nullptr) continue;
        CTurn* op = frame->operation;
        if (out.empty() || out.back().op != op) out.push_back(OperationMoves{op, {}, {}, {}});
        for (const WrittenMove& m : read) {
            out.back().moves.push_back(m);
            out.back().blocks.push_back(Trimmed(lines[i]));
            out.back().frames.push_back(frame);
        }
    }
    if (faults) *faults = reader.Faults();
    return out;
}

bool CheckWrittenProgram(const CPROGRAM& program, const std::vector<std::string>& lines,
                         std::vector<std::string>& faults) {
    const std::vector<OperationMoves> read = ReadOperationMoves(program, lines, &faults);
    bool ok = faults.empty();
    // Every operation the program holds frames of must have moved in it.
    std::vector<CTurn*> operations;
    for (std::uint32_t i = 0; i < program.frames.Count(); ++i) {
        CTurn* op = program.frames[i]->operation;
        if (op != nullptr && std::find(operations.begin(), operations.end(), op) == operations.end())
            operations.push_back(op);
    }
    for (CTurn* op : operations) {
        if (!op->IsActive()) continue;
        std::vector<ClearanceMove> moves;
        for (const OperationMoves& o : read) {
            if (o.op != op) continue;
            for (std::size_t k = 0; k < o.moves.size(); ++k) {
                if (!o.moves[k].fromKnownPoint) continue;
                moves.push_back(AsClearanceMove(o.moves[k]));
                moves.back().block = o.blocks[k];
                moves.back().source = o.frames[k];
            }
        }
        if (moves.empty()) {
            const bool silent = std::exchange(op->isSilent, true);
            op->ReportError(kNoMoves);
            op->isSilent = silent;
            ok = false;
            continue;
        }
        // The machine puts the nose's offset in: what is written is no nose path.
        if (op->MachineCompensatesRadius()) continue;
        ClearanceLimits limits;
        limits.tolerance = kWrittenTolerance;
        if (!CheckMovesClearance(*op, moves, limits)) {
            ok = false;
            continue;
        }
        // A roughing whose passes stop short of its working contour leaves
        // the next tool more than it can take.
        if (!CheckRoughingReach(*op, moves)) ok = false;
    }
    return ok;
}

}  // namespace zarvento
