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

void CTurnTHREADING::CreateThreadPasses() {
    if (!threadContour_) return;
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
    if (firstDepth < 0.005) return ReportError(kNoDepth);

    const CPostProcessor* post = GetSPID()->GetPostProcessor();
    const std::string code = post ? post->GetSpindleSynchronCode() : std::string();
    PostProcessorSettings::Current().CodeSynchronNullSpindel = code;
    if (!code.empty()) BuiltInFrameTexts::Global().syncCode = code;
    const double finishDepth = number("P4");
    // Either would take the tool into the part: roughing below the thread's
    // depth, or retracts inside the material.
    if (finishDepth < 0.0) return ReportError(kNegativeFinish);
    if (number("P3") < 0.0) return ReportError(kNegativeRetract);
    const CycleParameter* springParam = cycle.FindParam("P5");
    const int springs = springParam ? springParam->intValue : 0;
    depthOfCut = firstDepth;

    Contour& line = *threadContour_;
    line.MergeOverlappingUnits();
    if (line.Count() == 0) return ReportError(kZeroLine);
    const double roughDepth = Depth - finishDepth;
    line.Move(dZ0rep, 0.0);

    // The line's direction does not change with the repetitions' shifts
    // along Z, so the plan is made (and refused) before any frame.
    ThreadLine probe;
    if (!ExtendThreadLine(*line.GetUnit(0), indNapr, Vrezanie, Perebeg, probe)) return ReportError(kZeroLine);
    const double sigma = probe.sigma;
    const ThreadPassPlan plan = PlanThreadPasses(sigma * roughDepth, sigma * firstDepth, choice("P1") != 0);
    if (plan.tooMany || springs > kMaxThreadPasses) return ReportError(kTooManyPasses);
    const int n = static_cast<int>(plan.depths.size());

    // A synchronisation code the description does not give cannot be
    // written: passes that need it are refused rather than cut on as many
    // helices as there are passes. A thread of one cut needs none, and the
    // chosen method stays as the user left it.
    bool spindleStop = choice("P6") != 0;
    if (code.empty() && !spindleStop) {
        const int cuts = n + (finishDepth > 0.01 ? 1 : 0) + springs;
        if (cuts > 1 || Nzahod > 1) return ReportError(kNoSyncCode);
        spindleStop = true;
    }
    const double retract = sigma * number("P3");
    const double fullDepth = sigma * Depth;
    const bool flank = choice("P2") != 0;

    // A thread has one start and is cut once at least.
    const int starts = std::max(1, Nzahod);
    const int repetitions = std::max(1, Nrep);
    bool spindleRuns = true;  // from the common start of the path
    for (int r = 0; r < repetitions; ++r) {
        if (r > 0) line.Move(dZrep, 0.0);
        ThreadLine thread;
        if (!ExtendThreadLine(*line.GetUnit(0), indNapr, Vrezanie, Perebeg, thread)) return ReportError(kZeroLine);
        const ThreadPoint sx = thread.start;
        const ThreadPoint ex = thread.end;
        const double q = thread.q;
        const ThreadPoint back = thread.back;
        const ThreadPoint startStep = back * (Spod / starts);

        if (r == 0) {
            MoveToStart(sx.x, sx.z);
        } else {
            const FramePoint& last = frames.back()->end;
            AddLineFrame(last.x, last.z, sx.x, sx.z, -1.0, true);
        }

        auto move = [this](ThreadPoint a, ThreadPoint b, bool rapid) { AddLineFrame(a.x, a.z, b.x, b.z, -1.0, rapid); };
        auto threadMove = [this](ThreadPoint a, ThreadPoint b) {
            const std::size_t before = frames.size();
            AddLineFrame(a.x, a.z, b.x, b.z, -1.0, false);
            if (frames.size() > before) frames.back()->feedIsStep = 1;
        };
        // Every restart turns the spindle the way it ran for the first pass:
        // another direction would cut another helix.
        auto restart = [&] {
            if (spindleRuns) return;
            if (isM04) {
                AddFrame(std::make_unique<CCadre_M4>());
            } else {
                AddFrame(std::make_unique<CCadre_M3>());
            }
            spindleRuns = true;
        };
        auto stop = [&] {
            AddFrame(std::make_unique<CCadre_M5>());
            spindleRuns = false;
        };

        for (int j = 0; j < starts; ++j) {
            const ThreadPoint shift = startStep * j;
            ThreadPoint a0 = sx + shift;
            ThreadPoint b0 = ex + shift;
            ThreadPoint r1 = ThreadPoint{sx.z, sx.x - retract * q} + shift;
            ThreadPoint r2 = ThreadPoint{ex.z, ex.x - retract * q} + shift;
            // One cut at the depth (an X offset from the line): down to it,
            // synchronised, along the thread; the end of the cut comes back.
            auto cut = [&](double depth) {
                const ThreadPoint a = a0 + ThreadPoint{0.0, depth * q};
                const ThreadPoint b = b0 + ThreadPoint{0.0, depth * q};
                if (!spindleStop) {
                    // A full-depth pass after another starts from its retract point.
                    const FramePoint& at = frames.back()->end;
                    move({at.z, at.x}, a0, true);
                    move(a0, a, false);
                    AddFrame(std::make_unique<CCadre_G66>());
                    threadMove(a, b);
                } else {
                    move(r1, a, true);
                    restart();
                    threadMove(a, b);
                    stop();
                }
                return b;
            };
            double depth = 0.0;
            for (int k = 0; k < n; ++k) {
                const double t = plan.depths[static_cast<std::size_t>(k)];
                depth += t;
                const ThreadPoint b = cut(depth);
                if (!spindleStop) {
                    move(b, b0, false);
                    move(b0, r2, true);
                } else {
                    move(b, r2, true);
                }
                const ThreadPoint r2Before = r2;
                if (flank) {
                    const ThreadPoint sideways = back * FlankInfeedShift(k, n, t);
                    a0 = a0 + sideways;
                    b0 = b0 + sideways;
                    r1 = r1 + sideways;
                    r2 = r2 + sideways;
                }
                move(r2Before, r1, true);
                if (!spindleStop) move(r1, a0, true);
            }
            auto fullPass = [&] {
                move(cut(fullDepth), r2, true);
                move(r2, r1, true);
            };
            if (finishDepth > 0.01) fullPass();
            for (int k = 0; k < springs; ++k) fullPass();
        }
    }
    const FramePoint& last = frames.back()->end;
    ReturnToHome(last.x, last.z);
}

}  // namespace zarvento
