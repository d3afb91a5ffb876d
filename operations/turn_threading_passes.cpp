// The chisel threading path in elementary moves: the depth laws, the
// extended thread line, thread starts and repetitions, flank infeed, and the
// two ways of keeping every pass on the same helix (the synchronisation code
// or stopping and restarting the spindle).
#include <algorithm>
#include <cmath>
#include <memory>

#include "geometry/primitives.h"
#include "nc/cadre_g66.h"
#include "nc/cadre_m3.h"
#include "nc/cadre_m4.h"
#include "nc/cadre_m5.h"
#include "nc/frame_templates.h"
#include "operations/turn_threading.h"
#include "plan/spid.h"
#include "platform/core/check.h"
#include "post/post_processor.h"
#include "post/post_processor_settings.h"

namespace zarvento {

ThreadPassPlan PlanThreadPasses(double depth, double firstDepth, bool constantArea) {
    ThreadPassPlan plan;
    if (firstDepth == 0.0) return plan;
    const double ratio = depth / firstDepth;
    if (!(ratio > 0.0)) return plan;
    if (!constantArea) {
        const double count = std::ceil(ratio);
        if (count > kMaxThreadPasses) {
            plan.tooMany = true;
            return plan;
        }
        const int n = static_cast<int>(count);
        plan.depths.assign(static_cast<std::size_t>(n), depth / n);
        return plan;
    }
    // The weights 1/sqrt(k) grow without bound, but slowly: the count needed
    // rises with the square of the ratio, so it is capped.
    double sum = 0.0;
    int n = 0;
    while (sum < ratio) {
        if (n == kMaxThreadPasses) {
            plan.tooMany = true;
            return plan;
        }
        ++n;
        sum += 1.0 / std::sqrt(static_cast<double>(n));
    }
    const double a = depth / sum;
    plan.depths.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) plan.depths.push_back(a / std::sqrt(k + 1.0));
    return plan;
}

double FlankInfeedShift(int k, int n, double t) {
    double s = 0.0;
    if (k < n - 2) {
        s = std::tan(PI / 6.0) * t;
    } else if (k == n - 2) {
        s = std::tan(PI / 12.0) * t;
    }
    return k % 2 == 0 ? s : -s;
}

bool ExtendThreadLine(const CUnit& unit, bool leftHand, double approach, double overrun, ThreadLine& out) {
    auto length = [](ThreadPoint v) { return std::hypot(v.z, v.x); };
    const ThreadPoint p1{unit.StartPoint.z, unit.StartPoint.x};
    const ThreadPoint p2{unit.EndPoint.z, unit.EndPoint.x};
    out.reversed = leftHand || p1.z < p2.z - EPS;
    out.sigma = out.reversed ? -1.0 : 1.0;
    const ThreadPoint s = out.reversed ? p2 : p1;
    const ThreadPoint e = out.reversed ? p1 : p2;
    const double lineLength = length(s - e);
    if (lineLength < 0.001) return false;
    out.start = s + (s - e) * (approach / lineLength);
    const double extendedLength = length(out.start - e);
    if (extendedLength < 0.001) return false;
    out.end = e - (out.start - e) * (overrun / extendedLength);
    out.length = length(out.start - out.end);
    if (out.length < 0.001) return false;
    out.q = (out.start.z - out.end.z) / out.length;
    out.back = (out.start - out.end) * (1.0 / out.length);
    out.deeper = out.q < -EPS ? -out.sigma : out.sigma;
    return true;
}

// What one run of the thread passes needs, read from the cycle and checked
// before any frame. Depths and retracts are signed by the line's direction
// (sigma): the X offset that takes the tool deeper or out.
struct ThreadRun {
    ThreadPassPlan plan;       // the roughing depths of one start
    double finishDepth = 0.0;  // above 0.01: a finishing pass at full depth
    double fullDepth = 0.0;    // sigma · thread depth
    double retract = 0.0;      // sigma · retract distance
    int springs = 0;           // spring passes at full depth
    bool flank = false;        // flank infeed between roughing passes
    bool spindleStop = false;  // the helix kept by stopping and restarting the spindle
    bool syncCode = false;     // the description gives a synchronisation code
    int starts = 1;
    int repetitions = 1;
};

namespace {

// Writes the passes as frames of the operation. Which way the spindle runs
// carries over from one start and repetition to the next.
class ThreadPassWriter {
public:
    ThreadPassWriter(CTurnTHREADING& op, const ThreadRun& run) : op_(op), run_(run) {}

    // To the start of the line: the approach for the first repetition, a
    // rapid from where the last one left the tool for the others.
    void Approach(const ThreadLine& thread, bool first) {
        if (first) return op_.MoveToStart(thread.start.x, thread.start.z);
        // A repetition follows the passes of the one before.
        if (ZARVENTO_NEVER(op_.Frames().empty())) return op_.RefuseBrokenPath();
        const FramePoint& last = op_.Frames().back()->end;
        op_.AddLineFrame(last.x, last.z, thread.start.x, thread.start.z, -1.0, true);
    }

    // Every pass of thread start j: the roughing passes of the plan, then
    // the finishing and spring passes at full depth. A later start begins
    // its share of the lead further back along the line, which puts it on
    // its own helix; it ends where the first does, so that every start runs
    // the whole thread and its run-out.
    void CutStart(const ThreadLine& thread, int j) {
        const ThreadPoint startStep = thread.back * (op_.Spod / run_.starts);
        const ThreadPoint shift = startStep * j;
        const ThreadPoint sx = thread.start, ex = thread.end;
        const double q = thread.q;
        // a0 -> b0 along the line, r1 and r2 their retract points; flank
        // infeed moves all four along the line.
        Corners c{sx + shift, ex, ThreadPoint{sx.z, sx.x - run_.retract * q} + shift,
                  ThreadPoint{ex.z, ex.x - run_.retract * q}};
        const int n = static_cast<int>(run_.plan.depths.size());
        double depth = 0.0;
        for (int k = 0; k < n; ++k) {
            const double t = run_.plan.depths[static_cast<std::size_t>(k)];
            depth += t;
            const ThreadPoint b = Cut(c, q, depth);
            if (!run_.spindleStop) {
                Move(b, c.b0, false);
                Move(c.b0, c.r2, true);
            } else {
                Move(b, c.r2, true);
            }
            const ThreadPoint r2Before = c.r2;
            if (run_.flank) {
                const ThreadPoint sideways = thread.back * FlankInfeedShift(k, n, t);
                c = Corners{c.a0 + sideways, c.b0 + sideways, c.r1 + sideways, c.r2 + sideways};
            }
            Move(r2Before, c.r1, true);
            if (!run_.spindleStop) Move(c.r1, c.a0, true);
        }
        const auto fullPass = [&] {
            Move(Cut(c, q, run_.fullDepth), c.r2, true);
            Move(c.r2, c.r1, true);
        };
        if (run_.finishDepth > 0.01) fullPass();
        for (int k = 0; k < run_.springs; ++k) fullPass();
    }

private:
    struct Corners {
        ThreadPoint a0, b0, r1, r2;
    };

    void Move(ThreadPoint a, ThreadPoint b, bool rapid) { op_.AddLineFrame(a.x, a.z, b.x, b.z, -1.0, rapid); }
    // A move along the helix: the feed is the lead, itself the simulation step.
    void ThreadMove(ThreadPoint a, ThreadPoint b) {
        const std::size_t before = op_.Frames().size();
        op_.AddLineFrame(a.x, a.z, b.x, b.z, -1.0, false);
        if (op_.Frames().size() > before) op_.Frames().back()->feedIsStep = 1;
    }
    // Every restart turns the spindle the way it ran for the first pass:
    // another direction would cut another helix.
    void Restart() {
        if (spindleRuns_) return;
        if (op_.isM04) {
            op_.AddFrame(std::make_unique<CCadre_M4>());
        } else {
            op_.AddFrame(std::make_unique<CCadre_M3>());
        }
        spindleRuns_ = true;
    }
    void Stop() {
        op_.AddFrame(std::make_unique<CCadre_M5>());
        spindleRuns_ = false;
    }
    // One cut at the depth (an X offset from the line): down to it,
    // synchronised, along the thread. Returns the end of the cut.
    ThreadPoint Cut(const Corners& c, double q, double depth) {
        const ThreadPoint a = c.a0 + ThreadPoint{0.0, depth * q};
        const ThreadPoint b = c.b0 + ThreadPoint{0.0, depth * q};
        if (!run_.spindleStop) {
            // A full-depth pass after another starts from its retract point.
            // A cut follows the approach.
            if (ZARVENTO_NEVER(op_.Frames().empty())) {
                op_.RefuseBrokenPath();
                return b;
            }
            const FramePoint& at = op_.Frames().back()->end;
            Move({at.z, at.x}, c.a0, true);
            Move(c.a0, a, false);
            op_.AddFrame(std::make_unique<CCadre_G66>());
            ThreadMove(a, b);
        } else {
            // The first cut comes from the approach, the others from the
            // retract point the pass before left the tool at.
            // A cut follows the approach.
            if (ZARVENTO_NEVER(op_.Frames().empty())) {
                op_.RefuseBrokenPath();
                return b;
            }
            const FramePoint& at = op_.Frames().back()->end;
            Move({at.z, at.x}, a, true);
            Restart();
            // A restarted spindle turns from no fixed angle on an ISO control:
            // where the description has a synchronisation code, the cut
            // still starts on it.
            if (run_.syncCode) op_.AddFrame(std::make_unique<CCadre_G66>());
            ThreadMove(a, b);
            Stop();
        }
        return b;
    }

    CTurnTHREADING& op_;
    const ThreadRun& run_;
    bool spindleRuns_ = true;  // from the common start of the path
};

}  // namespace

bool CTurnTHREADING::PrepareThreadRun(ThreadRun& run) {
    const auto refuse = [this](const char* text) {
        ReportError(text);
        return false;
    };
    currentCycle = &cycle;
    cycle.SetParentParameters(&Parameters());
    cycle.CalcParameters(false);
    LinkFrames();
    auto number = [this](const char* name) {
        const double* v = cycle.FindParameter(name);
        return v ? *v : 0.0;
    };
    auto choice = [this](const char* name) {
        const CycleParameter* p = cycle.FindParam(name);
        return p ? p->ListIndex() : 0;
    };
    const double firstDepth = number("I");
    if (firstDepth < 0.005) return refuse(kNoDepth);

    const CPostProcessor* post = GetSPID()->GetPostProcessor();
    const std::string code = post ? post->GetSpindleSynchronCode() : std::string();
    PostProcessorSettings::Current().CodeSynchronNullSpindel = code;
    if (!code.empty()) BuiltInFrameTexts::Global().syncCode = code;
    run.finishDepth = number("P4");
    // Either would take the tool into the part: roughing below the thread's
    // depth, or retracts inside the material.
    if (run.finishDepth < 0.0) return refuse(kNegativeFinish);
    if (number("P3") < 0.0) return refuse(kNegativeRetract);
    const CycleParameter* springParam = cycle.FindParam("P5");
    run.springs = springParam ? springParam->intValue : 0;
    calc.depthOfCut = firstDepth;

    Contour& line = *threadContour_;
    line.MergeOverlappingUnits();
    if (line.Count() == 0) return refuse(kZeroLine);
    const double roughDepth = Depth - run.finishDepth;
    line.Move(dZ0rep, 0.0);

    // The line's direction does not change with the repetitions' shifts
    // along Z, so the plan is made (and refused) before any frame.
    ThreadLine probe;
    if (!ExtendThreadLine(*line.GetUnit(0), indNapr, Vrezanie, Perebeg, probe)) return refuse(kZeroLine);
    const double sigma = probe.sigma;
    run.plan = PlanThreadPasses(sigma * roughDepth, sigma * firstDepth, choice("P1") != 0);
    if (run.plan.tooMany || run.springs > kMaxThreadPasses) return refuse(kTooManyPasses);

    // A synchronisation code the description does not give cannot be
    // written: passes that need it are refused rather than cut on as many
    // helices as there are passes. A thread of one cut needs none, and the
    // chosen method stays as the user left it.
    run.spindleStop = choice("P6") != 0;
    run.syncCode = !code.empty();
    if (code.empty() && !run.spindleStop) {
        const int cuts = static_cast<int>(run.plan.depths.size()) + (run.finishDepth > 0.01 ? 1 : 0) + run.springs;
        if (cuts > 1 || Nzahod > 1) return refuse(kNoSyncCode);
        run.spindleStop = true;
    }
    run.retract = sigma * number("P3");
    run.fullDepth = sigma * Depth;
    run.flank = choice("P2") != 0;
    // A thread has one start and is cut once at least.
    run.starts = std::max(1, Nzahod);
    run.repetitions = std::max(1, Nrep);
    return true;
}

void CTurnTHREADING::CreateThreadPasses() {
    if (!threadContour_) return;
    ThreadRun run;
    if (!PrepareThreadRun(run)) return;
    Contour& line = *threadContour_;
    ThreadPassWriter writer(*this, run);
    for (int r = 0; r < run.repetitions; ++r) {
        if (r > 0) line.Move(dZrep, 0.0);
        ThreadLine thread;
        if (!ExtendThreadLine(*line.GetUnit(0), indNapr, Vrezanie, Perebeg, thread)) return ReportError(kZeroLine);
        writer.Approach(thread, r == 0);
        for (int j = 0; j < run.starts; ++j) writer.CutStart(thread, j);
    }
    if (calc.routeRefused) return;
    const FramePoint& last = frames.back()->end;
    ReturnToHome(last.x, last.z);
}

}  // namespace zarvento
