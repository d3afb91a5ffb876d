// Programs a lathe runs right: every program read back as a control reads it
// (program_checks.h), with the tool's nose circle swept along its moves
// against the part and against the stock still there: over the fixture
// corpus and random shafts and bores in every roughing strategy, with the
// finishing pass of the operation itself or of a contour pass; the arc
// frames in each X convention; and the parts of programs from the field
// whose faults these checks were made to catch.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "fixture_parts.h"
#include "geometry/arc_unit.h"
#include "geometry/line_unit.h"
#include "multipass_test_support.h"
#include "operations/turn_kontur.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"
#include "path_checks.h"
#include "plan/spid.h"
#include "platform/core/numbers.h"
#include "platform/documents/settings_record.h"
#include "program_checks.h"
#include "random_profiles.h"

namespace zarvento {
namespace {

// The theoretical tip of a tool for the outside or for bores, as a tool
// model gives it: its tip position code, mounted inside for a bore.
void GiveTip(ParamTool& tool, bool bore) {
    tool.nP = 3;
    tool.isInter = bore;
    tool.UpdateTipPosition();
}

// How a part is machined: the roughing's feed direction (0 along Z, 1
// across, 2 along the profile), whether it heeds the tool's plan angles, and
// whether the operation finishes the part itself or a contour pass does.
struct Strategy {
    int direction = 0;
    bool planAngles = false;
    bool contourPass = false;
    bool reversed = false;  // the roughing's passes run towards the free end

    std::string Name() const {
        const char* feed[] = {"longitudinal", "facing", "profile"};
        return std::string(feed[direction]) + (planAngles ? " with plan angles" : "") +
               (contourPass ? ", contour pass" : ", finishing pass");
    }
};

// What an operation of a kind must write besides keeping off the part and
// the stock: a fault as text, or an empty text. (Thread passes bring their
// own check of depth, infeed and starts here.)
std::string KindFault(const CTurn& /*op*/, const std::vector<test::ReadMove>& /*moves*/) { return ""; }

class ProgramReadBackTest : public test::OperationTest {
protected:
    void SetUp() override {
        test::OperationTest::SetUp();
        ParamTool& roughing = runner->Tool(0, "Резец проходной", 0.8);
        ParamTool& finishing = runner->Tool(1, "Резец чистовой", 0.4);
        ParamTool& boring = runner->Tool(2, "Резец расточной", 0.4);
        boring.TYPE_ = 12;
        for (ParamTool* tool : {&roughing, &finishing, &boring}) {
            GiveTip(*tool, tool == &boring);
            test::SetToolVariable(*tool, "fi", 93.0);
            test::SetToolVariable(*tool, "fi1", 32.0);
        }
    }

    // The plan for the profile in the runner's bar: multi-pass roughing at
    // depth t, and the finishing by the operation (a finishing depth of 0.5)
    // or by a contour pass with its own tool after roughing with an
    // allowance of 0.5, the ends of the working contour marked.
    void MakePlan(const std::string& profile, bool bore, const Strategy& s, double t, test::ShaftEnds ends = {}) {
        runner->Clear();
        runner->Part(profile);
        runner->AddKind(kTurnMnogoProhod, profile, [&](CTurn& o) {
            auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
            MarkEnds(o, ends);
            o.nToolPosition = bore ? 2 : 0;
            test::SetCycleValue(m.turningCycle, "P3", s.direction);
            test::SetCycleValue(m.turningCycle, "I", t);
            o.indNapr = s.reversed;
            if (s.planAngles) test::SetCycleValue(m.turningCycle, "P7", 1);
            if (s.contourPass) {
                o.isPripuskW = true;
                o.PripuskW = 0.5;
            } else {
                test::SetCycleValue(m.turningCycle, "P4", 0.5);
            }
        });
        if (s.contourPass) {
            runner->AddKind(kTurnKONTUR, profile, [&](CTurn& o) {
                MarkEnds(o, ends);
                o.nToolPosition = bore ? 2 : 1;
            });
        }
        runner->Run();
    }

    // An end of the working contour inside the stock (the face from the axis,
    // the last diameter at the chuck) is marked as closing onto it, as a
    // part's units prolonged onto the stock are; the tool is the one given.
    static void MarkEnds(CTurn& o, test::ShaftEnds ends) {
        o.tableWorkContour->GetFirstUnit()->IsMarked = ends.face;
        o.tableWorkContour->GetLastUnit()->IsMarked = ends.chuck;
        o.isAutoTool = false;
    }

    // The part of one random run: a shaft for the first `shafts` runs (its
    // face or last diameter in the working contour now and then), a bore
    // after, with the runner's bar and inner point set for it.
    struct RandomPart {
        bool bore = false;
        test::ShaftEnds ends;
        test::RandomProfile profile;
        std::unique_ptr<Contour> bar, part;
    };
    RandomPart NextPart(std::mt19937& random, int run, int shafts) {
        RandomPart r;
        r.bore = run >= shafts;
        if (!r.bore) r.ends = {run % 2 == 1, run % 4 >= 2};
        r.profile = r.bore ? test::RandomBoreProfile(random) : test::RandomShaftProfile(random, r.ends);
        const double inner = r.bore ? test::kBoreBarInner : 0.0;
        runner->Bar(60, 50, inner, 2);
        if (r.bore)
            runner->InnerPoint(test::kBoreInnerZ, test::kBoreInnerX);
        else
            runner->InnerPoint(-10, -3);
        r.bar = test::BarContour(60, 50, inner, 2);
        r.part = test::ClosedPart(*test::OperationRunner::Parse(r.profile.inBar), r.bore);
        return r;
    }

    // The shared checks of the plan's program in the X convention (and with
    // `clearance` the clearance of its rapids).
    std::string Check(const Contour& bar, const Contour& part, int xMode = 0, bool clearance = false) {
        SettingsRecord::Global().xOutputMode = xMode;
        return test::PlanFault(*runner, bar, part, xMode, true, clearance);
    }

    // The plan as the main job writes it, read back as written: whenever the
    // job would write it (its own checks passing), every operation has its
    // moves in it, arcs read with the sense computed, no nose circle reaches
    // more than 0.005 into the part, no rapid runs into the part or the stock
    // still there, and each kind's own check holds. False when not written.
    bool ExpectWrittenPlanHolds(const RandomPart& r) {
        CPLAN& plan = *GetPLAN();
        // The main job's spindle-axis and stock checks read the sections it reads.
        CSPID& spid = *GetSPID();
        std::unique_ptr<Contour> section = r.part->Clone();
        std::swap(spid.pDetailContour, section);
        const test::WrittenPlan w = test::WritePlan();
        std::swap(spid.pDetailContour, section);
        EXPECT_TRUE(w.faults.empty());
        if (!w.judged) return false;
        test::MachiningCheck check(*r.bar, *r.part);
        for (int i = 0; i < plan.GetTurnCount(); ++i) {
            const CTurn& op = runner->Operation(i);
            std::vector<test::ReadMove> own, outsideCycles;
            bool cycle = false;
            for (const test::ReadMove& m : w.moves) {
                if (m.op != i) continue;
                own.push_back(m);
                // A cycle's profile: the control roughs to it, the part's check has it.
                if (m.inCycle)
                    cycle = true;
                else
                    outsideCycles.push_back(m);
            }
            EXPECT_FALSE(own.empty()) << "operation " << i << " is missing\n" << w.text;
            if (!cycle) test::ExpectArcsReadAsComputed(op, own, i);
            const std::string fault = check.Run(
                outsideCycles, [&](const test::ReadMove&) { return test::NoseOf(op); }, 0.005);
            EXPECT_EQ(fault, "") << w.text;
            EXPECT_EQ(KindFault(op, own), "") << w.text;
            if (cycle && op.finalContour) check.Leave(*op.finalContour);
        }
        return true;
    }
};

const Strategy kStrategies[] = {
    {0, false, false}, {1, false, false}, {2, false, false}, {0, true, false},
    {1, true, false},  {2, true, false},  {0, false, true},  {2, true, true},
};

// The fixture corpus, outer parts and bores, in every strategy.
TEST_F(ProgramReadBackTest, ProgramsOfTheFixtureCorpusKeepOffThePartAndReachIt) {
    for (const test::FixturePart& part : test::FixtureParts()) {
        const bool bore = part.barInner > 0;
        runner->Bar(part.barLength, part.barDiameter, part.barInner, part.barZ).InnerPoint(part.innerZ, part.innerX);
        const auto bar = test::BarContour(part.barLength, part.barDiameter, part.barInner, part.barZ);
        const auto closed = test::ClosedPart(*test::OperationRunner::Parse(part.profile), bore);
        for (const Strategy& s : kStrategies) {
            SCOPED_TRACE(std::string(part.name) + ", " + s.Name());
            MakePlan(part.profile, bore, s, 1.25);
            EXPECT_EQ(Check(*bar, *closed), "");
        }
    }
}

// Random shafts, with the face in the working contour or the last diameter
// running on into the chuck now and then, and random bores, each in every
// strategy at a random depth of cut; the shafts' rapids keep their
// operations' clearance off the part and the stock.
TEST_F(ProgramReadBackTest, ProgramsOfRandomPartsKeepOffThePartAndReachIt) {
#ifdef __SANITIZE_ADDRESS__
    constexpr int kShafts = 12, kBores = 8;
#else
    constexpr int kShafts = 60, kBores = 40;
#endif
    std::mt19937 random(20331);
    std::uniform_real_distribution<double> depth(0.8, 3.0);
    for (int run = 0; run < kShafts + kBores; ++run) {
        const RandomPart r = NextPart(random, run, kShafts);
        const bool bore = r.bore;
        const test::ShaftEnds ends = r.ends;
        const test::RandomProfile& profile = r.profile;
        const auto &bar = r.bar, &part = r.part;
        const double t = depth(random);
        for (const Strategy& s : kStrategies) {
            SCOPED_TRACE("run " + std::to_string(run) + ", " + s.Name() + ", depth " + FormatDouble(t) + "\n" +
                         profile.text);
            MakePlan(profile.text, bore, s, t, ends);
            EXPECT_EQ(Check(*bar, *part, 0, !bore), "");
        }
    }
}

// Roughing in the reversed direction, along Z and along the profile, with
// the tool's plan angles, over random shafts whose face is in the working
// contour now and then: each pass starts outside the stock (the tool waits
// at the free end, not behind the shoulder the region ends at) and runs
// towards the face; no operation is refused, nothing cut into, no rapid
// nearer than the clearance.
TEST_F(ProgramReadBackTest, ReversedRoughingOfRandomShaftsStartsOutsideTheStock) {
#ifdef __SANITIZE_ADDRESS__
    constexpr int kShafts = 4;
#else
    constexpr int kShafts = 20;
#endif
    std::mt19937 random(9015);
    std::uniform_real_distribution<double> depth(0.8, 3.0);
    for (int run = 0; run < kShafts; ++run) {
        // (A diameter running on into the chuck leaves no outside to start from.)
        const RandomPart r = NextPart(random, 4 * (run / 2) + run % 2, kShafts * 4);
        const double t = depth(random);
        for (const Strategy& s :
             {Strategy{0, true, false, true}, Strategy{2, true, false, true}, Strategy{0, true, true, true}}) {
            SCOPED_TRACE("run " + std::to_string(run) + ", reversed " + s.Name() + ", depth " + FormatDouble(t) + "\n" +
                         r.profile.text);
            MakePlan(r.profile.text, false, s, t, r.ends);
            EXPECT_EQ(Check(*r.bar, *r.part, 0, true), "");
        }
    }
}

// The contour pass in every lead mode, at random angles in the mode of given
// angles, along and against the contour, over random shafts and bores: a
// lead the mode would take into the part keeps off it.
TEST_F(ProgramReadBackTest, ContourPassesInEveryLeadModeKeepOffThePart) {
#ifdef __SANITIZE_ADDRESS__
    constexpr int kShafts = 6, kBores = 4;
#else
    constexpr int kShafts = 28, kBores = 12;
#endif
    std::mt19937 random(1207);
    std::uniform_real_distribution<double> angle(0.0, 360.0);
    for (int run = 0; run < kShafts + kBores; ++run) {
        const RandomPart r = NextPart(random, run, kShafts);
        const bool bore = r.bore;
        const test::ShaftEnds ends = r.ends;
        const test::RandomProfile& profile = r.profile;
        const auto &bar = r.bar, &part = r.part;
        for (int mode = 0; mode <= 5; ++mode) {
            for (bool along : {false, true}) {
                const double in = angle(random), out = angle(random);
                SCOPED_TRACE("run " + std::to_string(run) + ", mode " + std::to_string(mode) +
                             (along ? ", along" : ", against") + ", angles " + FormatDouble(in) + " and " +
                             FormatDouble(out) + "\n" + profile.text);
                runner->Clear();
                runner->Part(profile.text);
                runner->AddKind(kTurnKONTUR, profile.text, [&](CTurn& o) {
                    MarkEnds(o, ends);
                    o.nToolPosition = bore ? 2 : 1;
                    o.indNapr = along;
                    o.VrezanieSposob = o.PerebegSposob = mode;
                    o.VrezanieAngle = in;
                    o.PerebegAngle = out;
                });
                runner->Run();
                EXPECT_EQ(test::PlanFault(*runner, *bar, *part, 0, false), "");
            }
        }
    }
}

// The contour pass with an insert whose second edge leaves the nose at 14
// degrees, along and against the contour, over random shafts and bores:
// where the profile drops more steeply than that edge allows, the pass
// leaves it along the edge's line, so that no edge of the insert, placed as
// the simulation places it, reaches into the part.
TEST_F(ProgramReadBackTest, ContourPassesKeepTheInsertsEdgesOffThePart) {
#ifdef __SANITIZE_ADDRESS__
    constexpr int kShafts = 4, kBores = 2;
#else
    constexpr int kShafts = 20, kBores = 10;
#endif
    std::mt19937 random(1414);
    for (int run = 0; run < kShafts + kBores; ++run) {
        const RandomPart r = NextPart(random, run, kShafts);
        const bool bore = r.bore;
        const test::ShaftEnds ends = r.ends;
        const test::RandomProfile& profile = r.profile;
        const auto &bar = r.bar, &part = r.part;
        ParamTool& tool = *GetSPID()->GetTool(bore ? 2 : 1);
        tool.pContour = test::InsertOutline(tool, 14.0, bore);
        ASSERT_NE(tool.pContour, nullptr);
        tool.isNoContour = false;
        for (bool along : {false, true}) {
            SCOPED_TRACE("run " + std::to_string(run) + (along ? ", along" : ", against") + "\n" + profile.text);
            runner->Clear();
            runner->Part(profile.text);
            CTurn& op = runner->AddKind(kTurnKONTUR, profile.text, [&](CTurn& o) {
                MarkEnds(o, ends);
                o.nToolPosition = bore ? 2 : 1;
                o.indNapr = along;
            });
            runner->Run();
            EXPECT_EQ(test::PlanFault(*runner, *bar, *part, 0, false), "");
            const test::OutlineGouge gouge = test::DeepestOutlineGouge(op, *part, *tool.pContour);
            EXPECT_LT(gouge.depth, 0.01) << "with the tool at (" << gouge.z << ", " << gouge.x << ")";
        }
        tool.pContour.reset();
    }
}

// The multi-pass groove in elementary moves over random shafts, taken as
// one groove from the bar or after roughing that left the pockets, and over
// random bores from the bar's hole, plunging from either side: its plunges
// keep within the lathe's reach, the blade's edge off the part, and its
// links between the grooves off the part and the stock.
TEST_F(ProgramReadBackTest, GroovesOfRandomPartsKeepOffThePart) {
#ifdef __SANITIZE_ADDRESS__
    constexpr int kShafts = 12, kBores = 6;
#else
    constexpr int kShafts = 60, kBores = 30;
#endif
    ParamTool& blade = runner->Tool(3, "Резец канавочный", 0.2);
    blade.TYPE_ = 13;
    test::SetToolVariable(blade, "width", 2.0);
    std::mt19937 random(3303);
    int written = 0, made = 0;
    for (int run = 0; run < kShafts + kBores; ++run) {
        const RandomPart r = NextPart(random, run, kShafts);
        const bool bore = r.bore;
        const test::ShaftEnds ends = r.ends;
        const test::RandomProfile& profile = r.profile;
        const auto &bar = r.bar, &part = r.part;
        for (int k = 0; k < (bore ? 2 : 4); ++k) {
            const bool roughed = k >= 2, reversed = k % 2 == 1;
            SCOPED_TRACE("run " + std::to_string(run) + (roughed ? ", after roughing" : ", from the bar") +
                         (reversed ? ", reversed" : "") + "\n" + profile.text);
            runner->Clear();
            runner->Part(profile.text);
            const auto common = [&](CTurn& o) {
                MarkEnds(o, ends);
                o.isPripuskW = roughed;
                o.PripuskW = 0.3;
            };
            if (roughed) {
                runner->AddKind(kTurnMnogoProhod, profile.text, [&](CTurn& o) {
                    auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
                    common(o);
                    o.nToolPosition = 0;
                    test::SetCycleValue(m.turningCycle, "I", 2.0);
                    test::SetCycleValue(m.turningCycle, "P7", 1);
                });
            }
            runner->AddKind(kTurnMnogoProhod, profile.text, [&](CTurn& o) {
                common(o);
                o.nToolPosition = 3;
                o.indCycleElementar = 1;
                o.indNapr = reversed;
            });
            runner->Run();
            const CTurn& groove = runner->Operation(roughed ? 1 : 0);
            // A shaft whose roughing leaves no pocket leaves the groove nothing to cut.
            if (roughed && groove.messageText.find("должны пересекаться") != std::string::npos) continue;
            if (groove.messageText.find("Ширина канавки меньше") != std::string::npos) continue;
            EXPECT_EQ(test::PlanFault(*runner, *bar, *part, 0, false), "");
            // And as the main job writes it, when no operation says otherwise.
            if (groove.HasMessage() || runner->Operation(0).HasMessage()) continue;
            ++made;
            if (ExpectWrittenPlanHolds(r)) ++written;
        }
    }
    // The check refuses what cuts in; it may not refuse everything.
    EXPECT_GE(written * 10, made * 9) << written << " of " << made << " programs written";
}

// Arcs are written with the letter of the sense they have with X as it is
// printed, in every convention: a control reading them finds the centres the
// path has and keeps the nose on the part's offset.
TEST_F(ProgramReadBackTest, ArcsReadWithTheSenseTheyHaveAsPrinted) {
    for (const char* name : {"shoulder fillet", "rounded step edge", "fillets both sides of a collar",
                             "hollow in the diameter", "stepped bore with fillet"}) {
        const test::FixturePart& part = test::FixturePartNamed(name);
        const bool bore = part.barInner > 0;
        runner->Bar(part.barLength, part.barDiameter, part.barInner, part.barZ).InnerPoint(part.innerZ, part.innerX);
        const auto bar = test::BarContour(part.barLength, part.barDiameter, part.barInner, part.barZ);
        const auto closed = test::ClosedPart(*test::OperationRunner::Parse(part.profile), bore);
        for (int mode : {0, 1, 2}) {
            SCOPED_TRACE(std::string(name) + ", X convention " + std::to_string(mode));
            MakePlan(part.profile, bore, {2, false, true}, 1.5);
            EXPECT_EQ(Check(*bar, *closed, mode), "");
        }
    }
    SettingsRecord::Global().xOutputMode = 0;
}

// An arc a control would read badly is not written whole: one of half a turn
// or more in pieces of at most a third of a turn, one whose radius or bow off
// its chord the three decimals do not carry as its chord.
TEST_F(ProgramReadBackTest, ArcsAreWrittenAsAControlCanReadThem) {
    const double flatSweep = 5e-5;
    struct Case {
        const char* name;
        CArcUnit arc;
        int pieces;  // arcs written; 0: one straight move
    } cases[] = {
        {"half a turn", CArcUnit(0, -20, 5, 5, -20, -5, -20, 1), 2},
        {"three quarters", CArcUnit(0, -20, 5, 0, -15, 5, -20, -1), 3},
        {"a third of a turn", CArcUnit(0, -20, 5, 5, -20, 5 * std::cos(2 * PI / 3), -20 + 5 * std::sin(2 * PI / 3), -1),
         1},
        {"a radius under the step", CArcUnit(0, -20, 0.0015, 0.0015, -20, 0, -20.0015, 1), 0},
        {"a bow of a micrometre",
         CArcUnit(0, -1020, 1000, 0, -20, -1000 * std::sin(flatSweep), -1020 + 1000 * std::cos(flatSweep), -1), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ProbeTurn probe;
        probe.AddUnitFrame(c.arc, false);
        ASSERT_EQ(probe.Frames().size(), static_cast<std::size_t>(std::max(c.pieces, 1)));
        double z = c.arc.StartPoint.z, x = c.arc.StartPoint.x, sweep = 0.0;
        for (const auto& frame : probe.Frames()) {
            const auto* arc = dynamic_cast<const CCadre_ArcG02*>(frame.get());
            EXPECT_EQ(arc != nullptr, c.pieces > 0);
            if (arc) {
                EXPECT_LE(arc->SweepAngle(), 2 * PI / 3 + 1e-9);
                EXPECT_EQ(arc->arcLetter, c.arc.DirVector == 1 ? '2' : '3');
                sweep += arc->SweepAngle();
            }
            EXPECT_NEAR(frame->start.z, z, 1e-9);
            EXPECT_NEAR(frame->start.x, x, 1e-9);
            z = frame->end.z, x = frame->end.x;
        }
        EXPECT_NEAR(z, c.arc.EndPoint.z, 1e-9);
        EXPECT_NEAR(x, c.arc.EndPoint.x, 1e-9);
        if (c.pieces > 0) {
            EXPECT_NEAR(sweep, c.arc.GetSweep(), 1e-9);
        }
    }
}

// The main job over random turned parts, outside and in bores, roughed along
// Z, across, along the profile, with the plan angles and as the
// description's machine cycle, finished against and along the contour: the
// program as the main job writes it, read as written. Whenever the job would
// write it (no operation with a message, the program as written passing
// its check), every operation has its moves in it, no nose circle reaches
// more than 0.005 into the part, no rapid runs into the part or the stock,
// and each kind's own check holds.
TEST_F(ProgramReadBackTest, ProgramsTheMainJobWritesRunWithoutAFault) {
#ifdef __SANITIZE_ADDRESS__
    constexpr int kShafts = 3, kBores = 2;
#else
    constexpr int kShafts = 14, kBores = 8;
#endif
    const auto lathe = test::InstalledLathe();
    struct Plan {
        const char* name;
        Strategy s;
        bool along = false;  // the contour pass along its contour (else against it)
        bool cycle = false;  // the roughing as the description's machine cycle
    } plans[] = {
        {"longitudinal", {0, false, false}},
        {"facing", {1, false, false}},
        {"along the profile", {2, false, false}},
        {"with plan angles", {0, true, false}},
        {"contour pass against", {0, false, true}},
        {"contour pass along", {2, true, true}, true},
        {"machine cycle", {0, false, true}, false, true},
    };
    std::mt19937 random(6406);
    std::uniform_real_distribution<double> depth(0.8, 3.0);
    int written = 0, made = 0;
    for (int run = 0; run < kShafts + kBores; ++run) {
        const RandomPart r = NextPart(random, run, kShafts);
        const double t = depth(random);
        for (const Plan& p : plans) {
            SCOPED_TRACE("run " + std::to_string(run) + ", " + p.name + ", depth " + FormatDouble(t) + "\n" +
                         r.profile.text);
            MakePlan(r.profile.text, r.bore, p.s, t, r.ends);
            CPLAN& plan = *GetPLAN();
            if (p.along || p.cycle) {
                CTurn& last = runner->Operation(plan.GetTurnCount() - 1);
                CTurn& first = runner->Operation(0);
                if (p.along) last.indNapr = true;
                if (p.cycle) {
                    first.SetPostProcessorData(lathe.get());
                    first.indShema = 1;
                }
                runner->Run();
            }
            ++made;
            bool messages = false;
            for (int i = 0; i < plan.GetTurnCount(); ++i) messages = messages || runner->Operation(i).HasMessage();
            if (messages) continue;
            if (ExpectWrittenPlanHolds(r)) ++written;
        }
    }
    // The check refuses what cuts in; it may not refuse everything.
    EXPECT_GE(written * 10, made * 9) << written << " of " << made << " programs written";
}

}  // namespace
}  // namespace zarvento
