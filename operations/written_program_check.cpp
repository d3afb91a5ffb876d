// The program as written, read back per operation and checked against the
// part, the stock and each operation's tool.
#include "operations/written_program_check.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "nc/address_table.h"
#include "nc/cadre_comment.h"
#include "nc/cadre_iso.h"
#include "nc/frame_templates.h"
#include "operations/path_clearance.h"
#include "operations/roughing_reach.h"
#include "operations/turn.h"
#include "plan/spid.h"
#include "platform/documents/settings_record.h"
#include "post/post_processor.h"
#include "post/program.h"
#include "post/python_run.h"

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

WrittenProgramFormat ScriptTextFormat(const CPROGRAM& program) {
    WrittenProgramFormat format = ProgramTextFormat();
    // The script is handed the frames' built-in text, in millimetres, and
    // the units factor to write its program in.
    format.scale = UnitsFactor(program.nINCH);
    const CPostProcessor* post = GetSPID()->GetPostProcessor();
    const std::vector<std::string>* codes = post ? &post->GetCncCodes() : nullptr;
    if (codes && program.indCODE >= 0 && static_cast<std::size_t>(program.indCODE) < codes->size()) {
        std::string name = (*codes)[static_cast<std::size_t>(program.indCODE)];
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (name.find("RADIUS") != std::string::npos || name.find("РАДИУС") != std::string::npos ||
            name.find("радиус") != std::string::npos)
            format.xMode = 2;
    }
    return format;
}

namespace {

// Who wrote a line of the saved text: the operation, and the frame where known.
struct LineOwner {
    CTurn* op = nullptr;
    const CCadreISO* frame = nullptr;
};

std::vector<LineOwner> FrameTextOwners(const CPROGRAM& program, std::size_t count) {
    const std::vector<std::uint32_t>& frames = program.LineFrames();
    std::vector<LineOwner> owners(count);
    for (std::size_t i = 0; i < count && i < frames.size(); ++i) {
        const CCadreISO* frame = frames[i] < program.frames.Count() ? program.frames[frames[i]] : nullptr;
        if (frame) owners[i] = {frame->operation, frame};
    }
    return owners;
}

// An operation's heading as the frame text has it: the lines its comment
// frames wrote before its first other frame, blank ones left out.
struct Heading {
    CTurn* op = nullptr;
    std::string name;
    std::vector<std::string> lines;
};

std::vector<Heading> OperationHeadings(const CPROGRAM& program, const std::vector<std::string>& frameText) {
    std::vector<Heading> headings;
    std::vector<const ProgramOperation*> seen;
    const ProgramOperation* open = nullptr;
    const std::vector<std::uint32_t>& frames = program.LineFrames();
    for (std::size_t i = 0; i < frameText.size() && i < frames.size(); ++i) {
        ProgramOperation* owner = program.FrameOperation(frames[i]);
        const bool comment = frames[i] < program.frames.Count() &&
                             dynamic_cast<const CCadre_Comment*>(program.frames[frames[i]]) != nullptr;
        if (owner == nullptr || !comment) {
            open = nullptr;
            continue;
        }
        if (owner != open) {
            if (std::find(seen.begin(), seen.end(), owner) != seen.end()) {
                open = nullptr;
                continue;
            }
            seen.push_back(owner);
            open = owner;
            headings.push_back({dynamic_cast<CTurn*>(owner), owner->ProgramName(), {}});
        }
        const std::string line = Trimmed(frameText[i]);
        if (!line.empty()) headings.back().lines.push_back(line);
    }
    return headings;
}

// The owners of a script's lines: each operation's from its heading on.
// False, with the fault, when an operation's heading is not found in order.
bool ScriptTextOwners(const CPROGRAM& program, const SavedText& text, std::vector<LineOwner>& owners,
                      std::vector<std::string>& faults) {
    const std::vector<std::string>& script = *text.scriptText;
    owners.assign(script.size(), LineOwner{});
    std::vector<std::size_t> filled;  // the script's lines that are not blank
    std::vector<std::string> trimmed;
    for (std::size_t j = 0; j < script.size(); ++j) {
        std::string line = Trimmed(script[j]);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
        if (line.empty()) continue;
        filled.push_back(j);
        trimmed.push_back(std::move(line));
    }
    std::size_t cursor = 0;
    std::vector<std::pair<std::size_t, CTurn*>> starts;
    for (const Heading& h : OperationHeadings(program, *text.frameText)) {
        std::size_t found = trimmed.size();
        for (std::size_t k = cursor; !h.lines.empty() && k + h.lines.size() <= trimmed.size(); ++k) {
            if (std::equal(h.lines.begin(), h.lines.end(), trimmed.begin() + static_cast<std::ptrdiff_t>(k))) {
                found = k;
                break;
            }
        }
        if (found == trimmed.size()) {
            faults.push_back("the post-processor's script left out the heading of operation \"" + h.name +
                             "\": its program cannot be told apart by operation and is not checked");
            return false;
        }
        starts.emplace_back(filled[found], h.op);
        cursor = found + h.lines.size();
    }
    for (std::size_t s = 0; s < starts.size(); ++s) {
        const std::size_t end = s + 1 < starts.size() ? starts[s + 1].first : script.size();
        for (std::size_t j = starts[s].first; j < end; ++j) owners[j].op = starts[s].second;
    }
    return true;
}

}  // namespace

std::vector<OperationMoves> ReadOperationMoves(const CPROGRAM& program, const std::vector<std::string>& lines,
                                               std::vector<std::string>* faults) {
    return ReadOperationMoves(program, SavedText{&lines, nullptr}, faults);
}

std::vector<OperationMoves> ReadOperationMoves(const CPROGRAM& program, const SavedText& text,
                                               std::vector<std::string>* faults) {
    std::vector<OperationMoves> out;
    const std::vector<std::string>& lines = text.Saved();
    std::vector<std::string> found;
    std::vector<LineOwner> owners;
    if (!text.scriptText) {
        owners = FrameTextOwners(program, lines.size());
    } else if (!ScriptTextOwners(program, text, owners, found)) {
        if (faults) *faults = std::move(found);
        return out;
    }
    WrittenProgramReader reader(text.scriptText ? ScriptTextFormat(program) : ProgramTextFormat());
    std::vector<WrittenMove> read;
    bool cycle = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const CCadreISO* frame = owners[i].frame;
        const bool inCycle = frame != nullptr && frame->kindLetter == 'U';
        if (inCycle && !cycle) reader.BeginCycle();
        if (!inCycle && cycle) reader.EndCycle();
        cycle = inCycle;
        read.clear();
        reader.Read(lines[i], static_cast<int>(i), read);
        CTurn* op = owners[i].op;
        if (read.empty() || op == nullptr) continue;
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
    return CheckWrittenProgram(program, SavedText{&lines, nullptr}, faults);
}

bool CheckWrittenProgram(const CPROGRAM& program, const SavedText& text, std::vector<std::string>& faults) {
    const std::vector<OperationMoves> read = ReadOperationMoves(program, text, &faults);
    // A script's text that cannot be told apart by operation is not judged.
    if (text.scriptText && read.empty() && !faults.empty()) return false;
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
