// Reading a program's blocks back into moves, word by word, with the modal
// motion and position a control keeps between them.
#include "post/written_program_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/core/numbers.h"
#include "platform/core/variant.h"

namespace zarvento {

namespace {

// The block without its comments; a comment left open runs to the end.
std::string WithoutComments(std::string_view block) {
    std::string out;
    out.reserve(block.size());
    int depth = 0;
    for (char c : block) {
        if (c == '(') {
            ++depth;
        } else if (c == ')' && depth > 0) {
            --depth;
        } else if (depth == 0 && c != '\r') {
            out += c;
        }
    }
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

WrittenProgramReader::WrittenProgramReader(const WrittenProgramFormat& format)
    : format_(format), z_(format.z0), x_(format.x0) {}

void WrittenProgramReader::BeginCycle() {
    inCycle_ = true;
    cycleZ_ = z_;
    cycleX_ = x_;
    cycleKnown_ = known_;
}

void WrittenProgramReader::EndCycle() {
    if (!inCycle_) return;
    inCycle_ = false;
    z_ = cycleZ_;
    x_ = cycleX_;
    known_ = cycleKnown_;
}

namespace {

// The words of one block the reading takes.
struct BlockWords {
    bool hasX = false, hasZ = false, hasR = false, hasI = false, hasK = false, reference = false;
    bool referenceX = false, referenceZ = false, threadCycle = false;
    double wx = 0, wz = 0, wr = 0, wi = 0, wk = 0;
};

// Reads the words of a block (comments gone); G and T words set the modal
// move and the tool, an unreadable number is a fault.
BlockWords ReadWords(const std::string& text, std::string_view block, double scale, int& modal, int& tool,
                     std::vector<std::string>& faults) {
    BlockWords b;
    for (std::size_t at = 0; at < text.size();) {
        while (at < text.size() && IsBlank(text[at])) ++at;
        std::size_t end = at;
        while (end < text.size() && !IsBlank(text[end])) ++end;
        const std::string_view w(text.data() + at, end - at);
        at = end;
        if (w.empty()) continue;
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(w[0])));
        if (w == "U0" || w == "u0") b.referenceX = true;
        if (w == "W0" || w == "w0") b.referenceZ = true;
        if (w.size() < 2 || std::string_view("GXZRIKT").find(letter) == std::string_view::npos) continue;
        double value = 0;
        if (!ParseDouble(w.substr(1), value)) {
            faults.push_back("unreadable word " + std::string(w) + " in: " + std::string(block));
            continue;
        }
        switch (letter) {
            case 'G':
                if (value == std::floor(value) && ((value >= 0 && value <= 3) || value == 32))
                    modal = static_cast<int>(value);
                if (value == 28) b.reference = true;
                if (value == 76) b.threadCycle = true;
                break;
            case 'X': b.hasX = true, b.wx = value * scale; break;
            case 'Z': b.hasZ = true, b.wz = value * scale; break;
            case 'R': b.hasR = true, b.wr = value * scale; break;
            case 'I': b.hasI = true, b.wi = value * scale; break;
            case 'K': b.hasK = true, b.wk = value * scale; break;
            case 'T': tool = static_cast<int>(std::clamp(value, -1.0, 1e9)); break;
            default: break;
        }
    }
    return b;
}

// The threading cycle's block names the last pass's depth and the thread's
// end; its deepest pass is the one that reaches furthest: in at the start,
// along the thread, out, and back to the start (z0, x0).
void AppendThreadCycle(const WrittenMove& m, double z0, double x0, std::vector<WrittenMove>& moves) {
    const double z1 = m.z2, x1 = m.x2;
    const auto pass = [&](int g, double za, double xa, double zb, double xb) {
        WrittenMove p = m;
        p.g = g;
        p.z1 = za, p.x1 = xa, p.z2 = zb, p.x2 = xb;
        moves.push_back(p);
    };
    pass(1, z0, x0, z0, x1);
    pass(32, z0, x1, z1, x1);
    pass(0, z1, x1, z1, x0);
    pass(0, z1, x0, z0, x0);
}

// The arc's centre, radius and sweep from its R or its I, K.
void SetArc(WrittenMove& m, const BlockWords& b, double mirror, std::string_view block,
            std::vector<std::string>& faults) {
    // In the printed plane: u along Z, v along the printed X (a radius).
    const double u1 = m.z1, v1 = mirror * m.x1, u2 = m.z2, v2 = mirror * m.x2;
    double cu = 0, cv = 0;
    if (b.hasR) {
        const double du = u2 - u1, dv = v2 - v1, chord = std::hypot(du, dv);
        const double rr = std::fabs(b.wr);
        if (rr < chord / 2 - 1e-3) faults.push_back("R shorter than half the chord: " + std::string(block));
        const double h = std::sqrt(std::max(0.0, rr * rr - chord * chord / 4));
        // G02 turns clockwise: the centre of its shorter arc lies right of the chord.
        const double side = (m.g == 2 ? 1.0 : -1.0) * (b.wr < 0 ? -1.0 : 1.0);
        if (chord > 0.0) {
            cu = (u1 + u2) / 2 + side * h * dv / chord;
            cv = (v1 + v2) / 2 - side * h * du / chord;
        } else {
            cu = u1, cv = v1;
        }
        m.r = rr;
    } else if (b.hasI || b.hasK) {
        cu = u1 + b.wk;
        cv = v1 + b.wi;
        m.r = std::hypot(u1 - cu, v1 - cv);
    } else {
        faults.push_back("an arc without R or I, K: " + std::string(block));
        cu = u1, cv = v1;
    }
    double sweep = std::atan2(v2 - cv, u2 - cu) - std::atan2(v1 - cv, u1 - cu);
    if (m.g == 2 && sweep > 0) sweep -= 2 * PI;
    if (m.g == 3 && sweep < 0) sweep += 2 * PI;
    m.cz = cu;
    m.cx = mirror * cv;
    m.sweep = mirror * sweep;
}

}  // namespace

void WrittenProgramReader::Read(std::string_view block, int index, std::vector<WrittenMove>& moves) {
    const std::string text = WithoutComments(block);
    const BlockWords b = ReadWords(text, block, format_.scale, modal_, tool_, faults_);
    if (b.reference) {
        if (b.referenceX) x_ = -kReference;
        if (b.referenceZ) z_ = kReference;
        if (!b.referenceX && !b.referenceZ) known_ = false;
        return;
    }
    if (!b.hasX && !b.hasZ) return;
    // The printed X to a radius, and its sense to the internal x.
    const double radius = format_.xMode == 0 ? 0.5 : 1.0;
    const double mirror = format_.xMode == 1 ? 1.0 : -1.0;
    WrittenMove m;
    m.line = index;
    m.g = modal_;
    m.tool = tool_;
    m.fromKnownPoint = known_;
    m.inCycle = inCycle_;
    m.z1 = z_, m.x1 = x_;
    m.z2 = b.hasZ ? b.wz : z_;
    m.x2 = b.hasX ? mirror * b.wx * radius : x_;
    if (b.threadCycle) {
        AppendThreadCycle(m, z_, x_, moves);
        known_ = true;
        return;
    }
    if (m.Arc()) SetArc(m, b, mirror, block, faults_);
    z_ = m.z2, x_ = m.x2;
    known_ = true;
    moves.push_back(m);
}

std::vector<WrittenMove> ReadWrittenProgram(const std::vector<std::string>& lines, const WrittenProgramFormat& format,
                                            std::vector<std::string>* faults) {
    WrittenProgramReader reader(format);
    std::vector<WrittenMove> moves;
    for (std::size_t i = 0; i < lines.size(); ++i) reader.Read(lines[i], static_cast<int>(i), moves);
    if (faults) *faults = reader.Faults();
    return moves;
}

}  // namespace zarvento
