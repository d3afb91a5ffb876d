// A chisel thread as a program writes it, read back as an ISO lathe control
// reads it, and judged against what the operation asks: in moves, every cut
// a synchronised G32 move with the lead as its F word, start by start, each
// pass of a start beginning where the rule of its infeed puts it, the depth
// per pass by the operation's law and the last pass at the profile depth; as
// the machine's G76 cycle, one cycle per start with the root, the height and
// the lead of the thread. Any test that writes a thread can call it.
#pragma once

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "geometry/primitives.h"
#include "operations/turn_threading.h"
#include "platform/core/variant.h"

namespace zarvento::test {

// What the thread must be: its crest line on the part, its profile and the
// operation's rule of passes. Radii and depths are on the radius.
struct ThreadSpec {
    double z1 = 0.0, r1 = 0.0, z2 = 0.0, r2 = 0.0;  // the crest line's ends: Z and radius
    bool inner = false;                             // cut outwards, in a bore
    double depth = 0.0;                             // the profile depth
    double lead = 0.0;                              // every pass's F: the pitch times the starts
    int starts = 1;
    bool constantArea = false;  // the steps fall as 1 / sqrt(k + 1); else they are equal
    bool flank = false;         // infeed along the flanks, taken alternately
    double firstDepth = 0.0;    // the first step is no deeper (0: not checked)
    double finishDepth = 0.0;   // above 0.01: a finishing pass of its own to the full depth
    int springs = 0;            // passes again at the full depth

    double CrestRadius(double z) const { return r1 + (z - z1) * (r2 - r1) / (z2 - z1); }
    double DepthAt(double z, double radius) const { return inner ? radius - CrestRadius(z) : CrestRadius(z) - radius; }
};

// The thread an operation asks for, from its working line and its values.
inline ThreadSpec ThreadSpecOf(CTurnTHREADING& op) {
    ThreadSpec s;
    const CUnit& line = *op.workContour->GetUnit(0);
    s.z1 = line.StartPoint.z, s.r1 = -line.StartPoint.x;
    s.z2 = line.EndPoint.z, s.r2 = -line.EndPoint.x;
    ThreadLine cut;
    if (ExtendThreadLine(line, op.indNapr, op.Vrezanie, op.Perebeg, cut)) s.inner = cut.deeper < 0.0;
    s.depth = op.Depth;
    s.lead = op.Spod;
    s.starts = std::max(1, op.Nzahod);
    CCycle_G300EL& cycle = op.Cycle();
    const auto value = [&](const char* name) {
        const double* v = cycle.FindParameter(name);
        return v ? *v : 0.0;
    };
    s.constantArea = cycle.FindParam("P1")->ListIndex() != 0;
    s.flank = cycle.FindParam("P2")->ListIndex() != 0;
    s.firstDepth = value("I");
    s.finishDepth = value("P4");
    s.springs = cycle.FindParam("P5")->intValue;
    return s;
}

// One thread move of a program (G32), on the radius.
struct WrittenPass {
    double z1 = 0, r1 = 0, z2 = 0, r2 = 0, f = 0;
    std::string line;
};

// One G76 cycle: where the tool stood before it, and its second block's words.
struct WrittenCycle {
    double startZ = 0, startR = 0, rootR = 0, endZ = 0, height = 0, lead = 0;
    std::string line;
};

struct WrittenThread {
    std::vector<WrittenPass> passes;
    std::vector<WrittenCycle> cycles;
    // Feed moves that run along the thread inside its groove but are no
    // thread move: cuts no spindle synchronises.
    std::vector<std::string> unsynchronised;
};

// Reads the program's lines: "N" block numbers, comments in parentheses, G
// words modal (G00 G01 G02 G03 G32), X a diameter (or a radius), F modal.
inline WrittenThread ReadWrittenThread(const std::vector<std::string>& lines, const ThreadSpec& spec,
                                       bool diameter = true) {
    WrittenThread out;
    int modal = 0;
    double z = 1e9, r = 1e9, f = 0.0;
    std::vector<std::string> cycle;  // the first G76 block of a pair
    for (std::string line : lines) {
        for (std::size_t open; (open = line.find('(')) != std::string::npos;)
            line.erase(open,
                       line.find(')', open) == std::string::npos ? std::string::npos : line.find(')', open) - open + 1);
        std::istringstream words(line);
        bool hasZ = false, hasX = false, g76 = false;
        double wz = z, wr = r, wp = 0.0, wf = f;
        for (std::string w; words >> w;) {
            double v = 0.0;
            if (w.size() < 2 || !ParseDouble(w.substr(1), v)) continue;
            switch (w[0]) {
                case 'G':
                    if (v == 76) g76 = true;
                    if (v == 0 || v == 1 || v == 2 || v == 3 || v == 32) modal = static_cast<int>(v);
                    break;
                case 'X': hasX = true, wr = diameter ? v / 2.0 : v; break;
                case 'Z': hasZ = true, wz = v; break;
                case 'P': wp = v; break;
                case 'F': wf = v; break;
                default: break;
            }
        }
        if (g76) {
            // The cycle's first block carries its options; the second its thread.
            if (!hasX) continue;
            out.cycles.push_back({z, r, wr, wz, wp / 1000.0, wf, line});
            continue;
        }
        f = wf;
        if (!hasX && !hasZ) continue;
        const double zmin = std::min(spec.z1, spec.z2), zmax = std::max(spec.z1, spec.z2);
        const double mid = 0.5 * (zmin + zmax);
        if (modal == 32) {
            out.passes.push_back({z, r, wz, wr, f, line});
        } else if (modal == 1 && std::min(z, wz) < mid && std::max(z, wz) > mid &&
                   spec.DepthAt(mid, r + (wr - r) * (mid - z) / (wz - z)) > 1e-3) {
            out.unsynchronised.push_back(line);
        }
        z = wz, r = wr;
    }
    return out;
}

namespace thread_checks {

inline std::string Fault(const std::string& what, const std::string& line = {}) {
    return line.empty() ? what : what + ": " + line;
}

// The written depths agree within what three decimals of a diameter leave.
constexpr double kWritten = 0.0015;

}  // namespace thread_checks

// The first fault of the thread's passes against what the operation asks;
// empty when it is right.
inline std::string ThreadPassFault(const WrittenThread& written, const ThreadSpec& spec) {
    using thread_checks::Fault;
    using thread_checks::kWritten;
    if (!written.unsynchronised.empty())
        return Fault("a cut along the thread that no spindle synchronises", written.unsynchronised.front());
    if (written.passes.empty()) return "no thread move";
    const double zmin = std::min(spec.z1, spec.z2), zmax = std::max(spec.z1, spec.z2);
    // Start by start: a later start begins shallow again.
    std::vector<std::vector<WrittenPass>> starts(1);
    double last = -1.0;
    for (const WrittenPass& p : written.passes) {
        if (std::fabs(p.f - spec.lead) > 1e-9) return Fault("a thread move's F is not the lead", p.line);
        if (std::min(p.z1, p.z2) > zmin + 1e-3 || std::max(p.z1, p.z2) < zmax - 1e-3)
            return Fault("a pass that does not run the whole thread", p.line);
        const double d1 = spec.DepthAt(p.z1, p.r1), d2 = spec.DepthAt(p.z2, p.r2);
        if (std::fabs(d1 - d2) > kWritten) return Fault("a pass that leaves the thread's line", p.line);
        if (d1 > spec.depth + kWritten) return Fault("a pass deeper than the thread", p.line);
        if (d1 < last - kWritten) starts.emplace_back();
        starts.back().push_back(p);
        last = d1;
    }
    if (static_cast<int>(starts.size()) != spec.starts)
        return "the passes cut " + std::to_string(starts.size()) + " starts, not " + std::to_string(spec.starts);
    // Towards the approach, along Z.
    const double back = written.passes.front().z1 > written.passes.front().z2 ? 1.0 : -1.0;
    const double lineLength = std::hypot(spec.z2 - spec.z1, spec.r2 - spec.r1);
    const double startStep = spec.lead / spec.starts * std::fabs(spec.z2 - spec.z1) / lineLength;
    std::vector<double> firstDepths;
    for (std::size_t j = 0; j < starts.size(); ++j) {
        const std::vector<WrittenPass>& passes = starts[j];
        if (std::fabs(passes.front().z1 - (starts[0].front().z1 + back * startStep * static_cast<double>(j))) > 1e-3)
            return Fault("start " + std::to_string(j) + " does not begin its share of the lead further back",
                         passes.front().line);
        std::vector<double> depth;
        for (const WrittenPass& p : passes) depth.push_back(spec.DepthAt(p.z1, p.r1));
        if (std::fabs(depth.back() - spec.depth) > kWritten)
            return Fault("the last pass of start " + std::to_string(j) + " does not reach the thread's depth",
                         passes.back().line);
        for (std::size_t k = 1; k < depth.size(); ++k)
            if (depth[k] < depth[k - 1] - kWritten)
                return Fault("a pass shallower than the one before", passes[k].line);
        if (j == 0) firstDepths = depth;
        if (depth.size() != firstDepths.size()) return "start " + std::to_string(j) + " has another number of passes";
        for (std::size_t k = 0; k < depth.size(); ++k)
            if (std::fabs(depth[k] - firstDepths[k]) > kWritten)
                return Fault("start " + std::to_string(j) + " goes deeper by other steps", passes[k].line);
        // The roughing passes: before the first at full depth, which is
        // the finishing pass when there is one and the last roughing one
        // otherwise; then the finishing pass and the spring passes.
        const auto full = static_cast<std::size_t>(
            std::find_if(depth.begin(), depth.end(), [&](double d) { return d > spec.depth - kWritten; }) -
            depth.begin());
        const std::size_t rough = spec.finishDepth > 0.01 ? full : full + 1;
        const std::size_t expected = rough + (spec.finishDepth > 0.01 ? 1 : 0) + static_cast<std::size_t>(spec.springs);
        if (depth.size() != expected)
            return "start " + std::to_string(j) + " has " + std::to_string(depth.size()) + " passes, not " +
                   std::to_string(expected) + " (" + std::to_string(rough) + " roughing)";
        std::vector<double> step;
        for (std::size_t k = 0; k < rough; ++k) step.push_back(depth[k] - (k == 0 ? 0.0 : depth[k - 1]));
        if (!step.empty() && spec.firstDepth > 0.0 && step[0] > spec.firstDepth + kWritten)
            return Fault("the first pass is deeper than the first depth of cut", passes[0].line);
        for (std::size_t k = 1; k < step.size(); ++k) {
            const double expectedStep = spec.constantArea ? step[0] / std::sqrt(k + 1.0) : step[0];
            if (std::fabs(step[k] - expectedStep) > 2 * kWritten)
                return Fault("pass " + std::to_string(k) + " does not go deeper by the law of the depths",
                             passes[k].line);
        }
        // Each pass begins where the one before did, moved along the line
        // by the flank infeed after a roughing pass: tan 30° of its step,
        // tan 15° after the last but one, from one flank and then from the
        // other (which comes first is the hand's and the side's).
        double side = 0.0;
        for (std::size_t k = 0; k + 1 < passes.size(); ++k) {
            double shift = 0.0;
            if (spec.flank && k + 2 < rough) shift = std::tan(PI / 6.0) * step[k];
            if (spec.flank && k + 2 == rough) shift = std::tan(PI / 12.0) * step[k];
            const double moved = passes[k + 1].z1 - passes[k].z1;
            if (side == 0.0 && shift > 1e-3) side = (moved > 0.0 ? 1.0 : -1.0) * (k % 2 == 0 ? 1.0 : -1.0);
            if (std::fabs(moved - side * (k % 2 == 0 ? shift : -shift)) > 1e-3)
                return Fault("pass " + std::to_string(k + 1) + " does not begin where the infeed puts it",
                             passes[k + 1].line);
        }
    }
    return "";
}

// The first fault of the thread's G76 cycles; empty when they are right.
inline std::string ThreadCycleFault(const WrittenThread& written, const ThreadSpec& spec) {
    using thread_checks::Fault;
    using thread_checks::kWritten;
    if (!written.passes.empty()) return Fault("a thread move beside the cycle", written.passes.front().line);
    if (static_cast<int>(written.cycles.size()) != spec.starts)
        return std::to_string(written.cycles.size()) + " cycles for " + std::to_string(spec.starts) + " starts";
    const double zmin = std::min(spec.z1, spec.z2), zmax = std::max(spec.z1, spec.z2);
    const WrittenCycle& first = written.cycles.front();
    const double back = first.startZ > first.endZ ? 1.0 : -1.0;
    for (std::size_t j = 0; j < written.cycles.size(); ++j) {
        const WrittenCycle& c = written.cycles[j];
        if (std::fabs(c.lead - spec.lead) > 1e-9) return Fault("the cycle's F is not the lead", c.line);
        if (std::fabs(c.height - spec.depth) > kWritten) return Fault("the cycle's height is not the depth", c.line);
        if (std::fabs(spec.DepthAt(c.endZ, c.rootR) - spec.depth) > kWritten)
            return Fault("the cycle's root is not at the depth", c.line);
        if (std::min(c.startZ, c.endZ) > zmin + 1e-3 || std::max(c.startZ, c.endZ) < zmax - 1e-3)
            return Fault("a cycle that does not run the whole thread", c.line);
        if (std::fabs(c.endZ - first.endZ) > 1e-3) return Fault("a start that ends elsewhere", c.line);
        if (std::fabs(c.startZ - (first.startZ + back * spec.lead / spec.starts * static_cast<double>(j))) > 1e-3)
            return Fault("start " + std::to_string(j) + " does not begin its share of the lead further back", c.line);
    }
    return "";
}

}  // namespace zarvento::test
