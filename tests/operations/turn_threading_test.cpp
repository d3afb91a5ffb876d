// Chisel threading: the profile depth, the two depth laws and their cap, flank
// infeed, thread starts and repetitions, the two ways of synchronising with
// the spindle, the warning without a synchronisation code, the threading
// cycle's kind check, the default tool, the cycle variables and the kind's
// stored values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "geometry/primitives.h"
#include "nc/cadre_g66.h"
#include "nc/cadre_m3.h"
#include "nc/cadre_m4.h"
#include "nc/cadre_m5.h"
#include "nc/cycle_auto.h"
#include "operations/turn_threading.h"
#include "operations_test_support.h"
#include "path_checks.h"
#include "platform/core/host_named_object.h"
#include "platform/core/messages.h"
#include "platform/documents/storage_record.h"

namespace zarvento {
namespace {

// An outer thread of radius 10 from the face z = 0 to z = -20, and the same
// line drawn the other way.
constexpr const char* kThreadLine = "LineSeg( 0,-10, -20,-10, 1 );\n";
constexpr const char* kThreadLineTowardsPlusZ = "LineSeg( -20,-10, 0,-10, 1 );\n";

const double kTan30 = std::tan(PI / 6.0);
const double kTan15 = std::tan(PI / 12.0);

struct Move {
    double x1, z1, x2, z2;
};

class TurnThreadingTest : public test::OperationTest {
protected:
    void SetUp() override {
        test::OperationTest::SetUp();
        // The bar turned to the thread's diameter: the tool leaves the thread
        // into the open.
        runner->Bar(60, 20, 0, 2);
        runner->Tool(2, "Резец резьбовой", 0.0).TYPE_ = 15;
        runner->Tool(3, "Резец резьбовой левый", 0.0).TYPE_ = 16;
    }

    // A threading operation on the line with the worked example's strategy:
    // first pass 0.5, finishing 0.25, one spring pass, depth 0.92 as given
    // (not from the pitch), constant depth, no flank infeed, and the spindle
    // stopped and restarted for every pass (no post-processor gives a code).
    CTurnTHREADING& Thread(const std::string& script = kThreadLine,
                           const std::function<void(CTurnTHREADING&)>& setup = {}) {
        CTurn& op = runner->AddKind(kTurnTHREADING, script, [&](CTurn& o) {
            auto& t = dynamic_cast<CTurnTHREADING&>(o);
            t.isAutoDepth = false;
            t.Depth = 0.92;
            Choice(t, "P1", 0);
            Choice(t, "P2", 0);
            Choice(t, "P6", 1);
            if (setup) setup(t);
        });
        return dynamic_cast<CTurnTHREADING&>(op);
    }
    static void Value(CTurnTHREADING& op, const char* name, const char* text) {
        op.Cycle().FindParam(name)->valueText = text;
    }
    static void Choice(CTurnTHREADING& op, const char* name, int index) {
        op.Cycle().FindParam(name)->intValue = index;
    }

    // The frames that cut the thread, in order.
    static std::vector<Move> ThreadMoves(const CTurn& op) {
        std::vector<Move> moves;
        for (const auto& f : op.Frames())
            if (f->feedIsStep) moves.push_back({f->start.x, f->start.z, f->end.x, f->end.z});
        return moves;
    }
    // One letter per frame after the approach: R rapid, F feed, T thread move,
    // S synchronisation, 3/4 spindle start, 5 spindle stop.
    static std::string Pattern(const CTurn& op) {
        std::string p;
        bool started = false;
        for (const auto& f : op.Frames()) {
            CCadreISO* frame = f.get();
            if (frame->feedIsStep) {
                started = true;
                p += 'T';
            } else if (dynamic_cast<CCadre_G66*>(frame)) {
                p += 'S';
            } else if (dynamic_cast<CCadre_M5*>(frame)) {
                p += '5';
            } else if (started && dynamic_cast<CCadre_M3*>(frame)) {
                p += '3';
            } else if (started && dynamic_cast<CCadre_M4*>(frame)) {
                p += '4';
            } else if (started && dynamic_cast<CCadre_LineG01*>(frame)) {
                p += frame->rapid ? 'R' : 'F';
            }
        }
        return p;
    }
    // A post-processor of the plan whose description gives the synchronisation code.
    void PostProcessorWithSyncCode(const std::string& code) {
        const auto path = folder / "sync.py3";
        std::ofstream(path) << "VERSION 16\nCODE_SYNCHRON_NULLSPINDEL " << code << "\n";
        post = std::make_unique<CPostProcessor>("sync", path.string());
        ASSERT_TRUE(post->ReadPostProcessorDescription());
        GetSPID()->SetPostProcessor(post.get());
    }

    std::unique_ptr<CPostProcessor> post;
};

TEST_F(TurnThreadingTest, ProfileDepthFollowsThePitch) {
    const struct {
        double step, depth;
    } cases[] = {{1.5, 0.92}, {1.0, 0.613}, {2.0, 1.227}, {0.5, 0.307}, {3.0, 1.840}};
    CTurnTHREADING op;
    for (const auto& c : cases) {
        op.Step = c.step;
        EXPECT_DOUBLE_EQ(op.CalcProfileDepth(), c.depth) << "pitch " << c.step;
    }
}

TEST_F(TurnThreadingTest, NewOperationDefaults) {
    CTurnTHREADING op;
    EXPECT_EQ(op.sNameTurn, "Нарезание резьбы резцом");
    EXPECT_EQ(op.typeKey, "Threading_Chisel");
    EXPECT_EQ(op.Step, 1.5);
    EXPECT_EQ(op.Nzahod, 1);
    EXPECT_EQ(op.Depth, 2.0);
    EXPECT_TRUE(op.isAutoStep);
    EXPECT_TRUE(op.isAutoDepth);
    EXPECT_EQ(op.Nrep, 1);
    EXPECT_EQ(op.Spod, 1.5);
    EXPECT_EQ(op.Nshp, 500.0);
    EXPECT_EQ(op.Vconst, 30.0);
    EXPECT_EQ(op.Vrezanie, 3.0);
    EXPECT_EQ(op.Perebeg, 3.0);
    EXPECT_FALSE(op.ThreadBuilder().suppressBuild);
    EXPECT_EQ(op.Cycle().GetGCode(), "G300EL");
}

TEST_F(TurnThreadingTest, PassPlansOfBothLaws) {
    const ThreadPassPlan depth = PlanThreadPasses(0.67, 0.5, false);
    ASSERT_EQ(depth.depths.size(), 2u);
    EXPECT_DOUBLE_EQ(depth.depths[0], 0.335);
    EXPECT_DOUBLE_EQ(depth.depths[1], 0.335);

    const ThreadPassPlan area = PlanThreadPasses(0.67, 0.5, true);
    ASSERT_EQ(area.depths.size(), 2u);
    EXPECT_NEAR(area.depths[0], 0.3925, 5e-5);
    EXPECT_NEAR(area.depths[1], 0.2775, 5e-5);
    EXPECT_NEAR(area.depths[0] + area.depths[1], 0.67, 1e-12);

    // Signed inputs give signed steps; no depth left gives no passes.
    const ThreadPassPlan reversed = PlanThreadPasses(-0.67, -0.5, true);
    ASSERT_EQ(reversed.depths.size(), 2u);
    EXPECT_NEAR(reversed.depths[0], -0.3925, 5e-5);
    for (double d : {0.0, -0.2}) {
        EXPECT_TRUE(PlanThreadPasses(d, 0.5, false).depths.empty());
        EXPECT_TRUE(PlanThreadPasses(d, 0.5, true).depths.empty());
    }
    // Exactly one first-pass depth is one pass under both laws.
    EXPECT_EQ(PlanThreadPasses(0.5, 0.5, false).depths.size(), 1u);
    EXPECT_EQ(PlanThreadPasses(0.5, 0.5, true).depths.size(), 1u);
}

TEST_F(TurnThreadingTest, PassCountIsCapped) {
    // The constant-area count grows with the square of the ratio: 400 would
    // need about 40,000 passes per start.
    const ThreadPassPlan runaway = PlanThreadPasses(2.0, 0.005, true);
    EXPECT_TRUE(runaway.tooMany);
    EXPECT_TRUE(runaway.depths.empty());
    const ThreadPassPlan large = PlanThreadPasses(0.5, 0.005, true);  // ratio 100
    EXPECT_FALSE(large.tooMany);
    EXPECT_GT(large.depths.size(), 2000u);
    EXPECT_LE(large.depths.size(), static_cast<std::size_t>(kMaxThreadPasses));
    EXPECT_TRUE(PlanThreadPasses(60.0, 0.005, false).tooMany);

    CTurnTHREADING& op = Thread(kThreadLine, [](CTurnTHREADING& t) {
        t.Depth = 5.0;
        Value(t, "I", "0.005");
        Choice(t, "P1", 1);
    });
    runner->Run();
    EXPECT_EQ(op.messageText, std::string("Ошибка:\n") + CTurnTHREADING::kTooManyPasses);
    EXPECT_TRUE(ThreadMoves(op).empty());
}

TEST_F(TurnThreadingTest, FlankInfeedShifts) {
    const double t = 0.5;
    EXPECT_DOUBLE_EQ(FlankInfeedShift(0, 4, t), kTan30 * t);
    EXPECT_DOUBLE_EQ(FlankInfeedShift(1, 4, t), -kTan30 * t);
    EXPECT_DOUBLE_EQ(FlankInfeedShift(2, 4, t), kTan15 * t);
    EXPECT_DOUBLE_EQ(FlankInfeedShift(3, 4, t), 0.0);
    EXPECT_DOUBLE_EQ(FlankInfeedShift(0, 1, t), 0.0);
}

TEST_F(TurnThreadingTest, WorkedExampleUnderBothLaws) {
    for (int law : {0, 1}) {
        SCOPED_TRACE(law == 0 ? "constant depth" : "constant area");
        runner->Clear();
        CTurnTHREADING& op = Thread(kThreadLine, [&](CTurnTHREADING& t) { Choice(t, "P1", law); });
        runner->Run();
        EXPECT_FALSE(op.HasMessage()) << op.messageText;
        const std::vector<Move> moves = ThreadMoves(op);
        ASSERT_EQ(moves.size(), 4u) << "two roughing passes, the finishing pass and one spring pass";
        const double first = law == 0 ? 0.335 : 0.67 / (1.0 + 1.0 / std::sqrt(2.0));
        const double depths[] = {first, 0.67, 0.92, 0.92};
        for (std::size_t k = 0; k < moves.size(); ++k) {
            // The line prolonged by the approach and the overrun, 3 mm each.
            EXPECT_NEAR(moves[k].x1, -10.0 + depths[k], 1e-9) << "pass " << k;
            EXPECT_NEAR(moves[k].x2, moves[k].x1, 1e-12);
            EXPECT_NEAR(moves[k].z1, 3.0, 1e-12);
            EXPECT_NEAR(moves[k].z2, -23.0, 1e-12);
        }
        EXPECT_EQ(op.calc.depthOfCut, 0.5);
    }
}

TEST_F(TurnThreadingTest, SpindleStopSynchronisation) {
    CTurnTHREADING& op = Thread(kThreadLine, [](CTurnTHREADING& t) { t.Nzahod = 2; });
    runner->Run();
    // No post-processor, so no synchronisation code: the spindle is stopped
    // after every cut and started before every later one.
    EXPECT_EQ(op.Cycle().FindParam("P6")->ListIndex(), 1);
    const std::string pass = "T5RR";
    const std::string again = "R3" + pass;
    const std::string oneStart = pass + again + again + again;
    // Last, the return to the home point.
    EXPECT_EQ(Pattern(op), oneStart + again + again + again + again + "R");
    const std::vector<Move> moves = ThreadMoves(op);
    ASSERT_EQ(moves.size(), 8u);
    EXPECT_NEAR(moves[4].z1, 3.0 + 1.5 / 2, 1e-12) << "the second start lies half the lead back";
}

TEST_F(TurnThreadingTest, RestartsTurnTheSpindleAsTheFirstPassDid) {
    // A left-hand thread with a right-hand spindle: every pass must cut the
    // helix of the first one.
    for (bool m04 : {false, true}) {
        runner->Clear();
        CTurnTHREADING& op = Thread(kThreadLine, [&](CTurnTHREADING& t) {
            t.indNapr = true;
            t.isExist = true;  // the hand stays as set
            t.isAutoM34 = false;
            t.isM04 = m04;
        });
        runner->Run();
        const std::string pattern = Pattern(op);
        EXPECT_EQ(std::count(pattern.begin(), pattern.end(), m04 ? '4' : '3'), 3) << pattern;
        EXPECT_EQ(std::count(pattern.begin(), pattern.end(), m04 ? '3' : '4'), 0) << pattern;
    }
}

TEST_F(TurnThreadingTest, SynchronisationCodePasses) {
    PostProcessorWithSyncCode("M19");
    CTurnTHREADING& op = Thread(kThreadLine, [](CTurnTHREADING& t) { Choice(t, "P6", 0); });
    runner->Run();
    EXPECT_EQ(op.Cycle().FindParam("P6")->ListIndex(), 0);
    const std::string rough = "FSTFRRR";
    const std::string full = "FSTRR";
    // A full pass after another comes down from the retract point, where the
    // one before left the tool.
    EXPECT_EQ(Pattern(op), rough.substr(1) + rough + full + "R" + full + "R");
    const CCadreISO* previous = nullptr;
    for (const auto& f : op.Frames()) {
        if (f->kindLetter != 'L') continue;
        if (previous) {
            EXPECT_TRUE(std::fabs(previous->end.x - f->start.x) < 1e-9 &&
                        std::fabs(previous->end.z - f->start.z) < 1e-9)
                << "a move starts away from the end of the one before";
        }
        previous = f.get();
    }
    const std::string text = runner->Text(0);
    EXPECT_NE(text.find("M19"), std::string::npos) << text;
    EXPECT_EQ(text.find("M05"), std::string::npos) << text;
}

TEST_F(TurnThreadingTest, TheReturnStartsWhereTheLastPassLeftTheTool) {
    // Roughing passes alone: after the last one the tool went from its
    // retract point R1 (3, -11.5) back to the line at (3, -10), and the
    // retract to the home point, like the next operation's approach, starts
    // there and not at R1.
    PostProcessorWithSyncCode("M19");
    CTurnTHREADING& op = Thread(kThreadLine, [](CTurnTHREADING& t) {
        Choice(t, "P6", 0);
        Value(t, "P4", "0");
        Value(t, "P5", "0");
    });
    runner->Run();
    ASSERT_EQ(ThreadMoves(op).size(), 2u);
    EXPECT_NEAR(op.calc.retractZ, 3.0, 1e-12);
    EXPECT_NEAR(op.calc.retractX, -10.0, 1e-12);
    test::ExpectContinuous(test::PathMoves(op));
}

TEST_F(TurnThreadingTest, WithoutASynchronisationCodeOnlyOneCutIsMade) {
    // No post-processor, so no code: passes that need it are refused rather
    // than cut on as many helices; a thread of one cut needs none. The
    // choice of the method stays as it was.
    struct Case {
        const char* name;
        std::function<void(CTurnTHREADING&)> setup;
        bool refused;
    };
    const Case cases[] = {
        {"several passes", {}, true},
        {"one cut",
         [](CTurnTHREADING& t) {
             t.Depth = 0.5;
             Value(t, "P4", "0");
             Value(t, "P5", "0");
         },
         false},
        {"one cut and one spring pass",
         [](CTurnTHREADING& t) {
             t.Depth = 0.5;
             Value(t, "P4", "0");
         },
         true},
        {"one cut of each of two starts",
         [](CTurnTHREADING& t) {
             t.Depth = 0.5;
             t.Nzahod = 2;
             Value(t, "P4", "0");
             Value(t, "P5", "0");
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runner->Clear();
        CTurnTHREADING& op = Thread(kThreadLine, [&](CTurnTHREADING& t) {
            Choice(t, "P6", 0);
            if (c.setup) c.setup(t);
        });
        MessageLog::Instance().Clear();
        runner->Run();
        EXPECT_TRUE(Entries().empty()) << "silent during the recalculation";
        EXPECT_EQ(op.Cycle().FindParam("P6")->ListIndex(), 0);
        if (c.refused) {
            EXPECT_EQ(op.messageText, std::string("Ошибка:\n") + CTurnTHREADING::kNoSyncCode);
            EXPECT_TRUE(ThreadMoves(op).empty());
        } else {
            EXPECT_FALSE(op.HasMessage()) << op.messageText;
            EXPECT_EQ(Pattern(op), "T5RRR") << "the cut, the retract and the return";
        }
    }
    // Outside a recalculation the refusal is shown.
    runner->Clear();
    CTurnTHREADING& op = Thread(kThreadLine, [](CTurnTHREADING& t) { Choice(t, "P6", 0); });
    runner->Run();
    MessageLog::Instance().Clear();
    op.CreateContourPath();
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].text, std::string("Ошибка:\n") + CTurnTHREADING::kNoSyncCode);
    EXPECT_EQ(Entries()[0].caption, "Orbisel");
}

TEST_F(TurnThreadingTest, EveryPassOfAStartBeginsAtOneZ) {
    // D = 2 in four passes of 0.5.
    auto setup = [](bool flank) {
        return [flank](CTurnTHREADING& t) {
            t.Depth = 2.25;
            Choice(t, "P2", flank ? 1 : 0);
            Value(t, "P5", "2");
            t.Nrep = 2;
            t.dZrep = -30.0;
        };
    };
    for (bool flank : {false, true}) {
        SCOPED_TRACE(flank ? "flank infeed" : "radial infeed");
        runner->Clear();
        CTurnTHREADING& op = Thread(kThreadLine, setup(flank));
        runner->Run();
        const std::vector<Move> moves = ThreadMoves(op);
        ASSERT_EQ(moves.size(), 2u * 7u);
        const double t = 0.5;
        const double shifts[] = {0.0, kTan30 * t, 0.0, kTan15 * t, kTan15 * t, kTan15 * t, kTan15 * t};
        for (int r = 0; r < 2; ++r) {
            for (int k = 0; k < 7; ++k) {
                const Move& m = moves[static_cast<std::size_t>(r * 7 + k)];
                const double expected = 3.0 - 30.0 * r + (flank ? shifts[k] : 0.0);
                EXPECT_NEAR(m.z1, expected, 1e-9) << "repetition " << r << ", pass " << k;
                EXPECT_NEAR(m.z2 - m.z1, -26.0, 1e-9);
            }
        }
    }
}

TEST_F(TurnThreadingTest, EveryStartRunsTheWholeThread) {
    // Four starts of pitch 1.5: each begins 1.5 further back and runs on to
    // the end of the same run-out, 3 past the thread's end.
    CTurnTHREADING& op = Thread(kThreadLine, [](CTurnTHREADING& t) {
        t.Nzahod = 4;
        t.Spod = 6.0;
        Value(t, "P5", "0");
    });
    runner->Run();
    const std::vector<Move> moves = ThreadMoves(op);
    ASSERT_EQ(moves.size(), 4u * 3u);
    for (std::size_t k = 0; k < moves.size(); ++k) {
        EXPECT_NEAR(moves[k].z1, 3.0 + 1.5 * static_cast<double>(k / 3), 1e-9) << "pass " << k;
        EXPECT_NEAR(moves[k].z2, -23.0, 1e-9) << "pass " << k;
    }
}

// A pin of diameter 20 with a relief 3 wide, below the thread's root, and a
// shoulder of diameter 26 behind it: the run-out of a right-hand thread (the
// approach of a left-hand one) must leave the nose of radius 0.05 short of
// the shoulder.
class TurnThreadingRoomTest : public TurnThreadingTest {
protected:
    void SetUp() override {
        TurnThreadingTest::SetUp();
        runner->Part(
            "LineSeg( 0,0, 0,-9, 1 );\nLineSeg( 0,-9, -1,-10, 1 );\nLineSeg( -1,-10, -20,-10, 1 );\n"
            "LineSeg( -20,-10, -20,-8, 1 );\nLineSeg( -20,-8, -23,-8, 1 );\nLineSeg( -23,-8, -23,-13, 1 );\n"
            "LineSeg( -23,-13, -40,-13, 1 );\nLineSeg( -40,-13, -40,0, 1 );\nLineSeg( -40,0, 0,0, 1 );\n");
        GetSPID()->GetTool(2)->r = 0.05;
    }
};

TEST_F(TurnThreadingRoomTest, TheRunOutKeepsWithinTheRelief) {
    constexpr const char* kLine = "LineSeg( -1,-10, -20,-10, 1 );\n";
    const std::string runOut = std::string("Предупреждение\n") + CTurnTHREADING::kRunOutIntoPart;
    const std::string approach = std::string("Предупреждение\n") + CTurnTHREADING::kApproachIntoPart;
    struct Case {
        const char* name;
        double overrun, approachLength;
        bool left;
        int starts;
        bool cycle;
        std::string message;  // empty: the thread is cut
    };
    const Case cases[] = {
        {"the run-out as long as the relief", 3.0, 3.0, false, 1, false,
         runOut + "0.05 мм. " + CTurnTHREADING::kLongestRunOut + "2.95 мм"},
        {"the run-out as long as the relief, in the cycle", 3.0, 3.0, false, 1, true,
         runOut + "0.05 мм. " + CTurnTHREADING::kLongestRunOut + "2.95 мм"},
        {"the run-out the relief leaves room for", 2.95, 3.0, false, 1, false, ""},
        {"a left-hand thread, cut from the relief", 2.0, 3.0, true, 1, false,
         approach + "0.05 мм. " + CTurnTHREADING::kLongestApproach + "2.95 мм"},
        {"a left-hand thread of two starts: the second begins 1.5 further back", 2.0, 2.0, true, 2, false,
         approach + "0.55 мм. " + CTurnTHREADING::kLongestApproach + "1.45 мм"},
        {"a left-hand thread of three starts: no approach fits", 2.0, 0.5, true, 3, false, approach + "0.55 мм"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runner->Clear();
        CTurnTHREADING& op = Thread(kLine, [&](CTurnTHREADING& t) {
            t.Perebeg = c.overrun;
            t.Vrezanie = c.approachLength;
            t.indNapr = c.left;
            t.isExist = true;  // the hand stays as set
            t.Nzahod = c.starts;
            t.Spod = 1.5 * c.starts;
            t.indShema = c.cycle ? 1 : 0;
            if (c.cycle) {
                auto g76 = std::make_unique<CCycle_Auto>();
                g76->SetType("Threading_Chisel");
                g76->profilDemands = "Cylinder";
                t.postProcessor.AddCycleDefinition(std::move(g76));
            }
        });
        runner->Run();
        EXPECT_EQ(op.messageText, c.message);
        const bool cut =
            std::any_of(op.Frames().begin(), op.Frames().end(), [](const auto& f) { return f->feedIsStep; });
        EXPECT_EQ(cut, c.message.empty()) << "a thread that has no room is not cut";
    }
}

TEST_F(TurnThreadingTest, RepetitionsFollowOneAnother) {
    CTurnTHREADING& op = Thread(kThreadLine, [](CTurnTHREADING& t) {
        t.Nrep = 3;
        t.dZrep = -10.0;
        Value(t, "P5", "0");
    });
    runner->Run();
    const std::vector<Move> moves = ThreadMoves(op);
    ASSERT_EQ(moves.size(), 9u);
    for (int r = 0; r < 3; ++r) EXPECT_NEAR(moves[static_cast<std::size_t>(3 * r)].z1, 3.0 - 10.0 * r, 1e-12);
    // Each repetition is reached by a rapid from the previous one's retract point.
    const auto& frames = op.Frames();
    int links = 0;
    for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
        const CCadreISO& f = *frames[i];
        if (f.rapid && std::fabs(f.start.x + 11.5) < 1e-9 && std::fabs(f.end.x + 10.0) < 1e-9 &&
            std::fabs(f.end.z - f.start.z + 10.0) < 1e-9)
            ++links;
    }
    EXPECT_EQ(links, 2);
}

TEST_F(TurnThreadingTest, OrientationAndHandPickTheSides) {
    struct Case {
        const char* name;
        const char* line;
        bool left;
        double z1, z2, depthSign, retractX;
    };
    const Case cases[] = {
        {"right-hand", kThreadLine, false, 3.0, -23.0, 1.0, -11.5},
        {"left-hand: cut from the end", kThreadLine, true, -23.0, 3.0, 1.0, -11.5},
        {"line towards +Z: cut from its end, on the other side", kThreadLineTowardsPlusZ, false, 3.0, -23.0, -1.0,
         -8.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runner->Clear();
        CTurnTHREADING& op = Thread(c.line, [&](CTurnTHREADING& t) {
            t.indNapr = c.left;
            t.isExist = true;
        });
        runner->Run();
        const std::vector<Move> moves = ThreadMoves(op);
        ASSERT_EQ(moves.size(), 4u);
        EXPECT_NEAR(moves[0].z1, c.z1, 1e-12);
        EXPECT_NEAR(moves[0].z2, c.z2, 1e-12);
        EXPECT_NEAR(moves[0].x1, -10.0 + c.depthSign * 0.335, 1e-12);
        EXPECT_NEAR(moves[3].x1, -10.0 + c.depthSign * 0.92, 1e-12);
        bool retracted = false;
        for (const auto& f : op.Frames())
            if (f->rapid && std::fabs(f->end.x - c.retractX) < 1e-12 && std::fabs(f->end.z - c.z1) < 1e-12)
                retracted = true;
        EXPECT_TRUE(retracted);
    }
}

TEST_F(TurnThreadingTest, NoFirstPassDepth) {
    CTurnTHREADING& op = Thread(kThreadLine, [](CTurnTHREADING& t) { Value(t, "I", "0.004"); });
    runner->Run();
    EXPECT_EQ(op.messageText, "Ошибка:\nНе задана глубина резания");
    EXPECT_TRUE(ThreadMoves(op).empty());
    EXPECT_NE(runner->Text(0).find("M01"), std::string::npos) << "the common end of the path still follows";
}

TEST_F(TurnThreadingTest, ValuesThatWouldCutIntoThePartAreRefused) {
    const struct {
        const char* name;
        const char* text;
        const char* message;
    } cases[] = {{"P4", "-0.1", CTurnTHREADING::kNegativeFinish}, {"P3", "-1", CTurnTHREADING::kNegativeRetract}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        runner->Clear();
        CTurnTHREADING& op = Thread(kThreadLine, [&](CTurnTHREADING& t) { Value(t, c.name, c.text); });
        runner->Run();
        EXPECT_EQ(op.messageText, std::string("Ошибка:\n") + c.message);
        EXPECT_TRUE(ThreadMoves(op).empty());
    }
}

TEST_F(TurnThreadingTest, NoRoughingDepthStillCutsTheFullDepth) {
    CTurnTHREADING& op = Thread(kThreadLine, [](CTurnTHREADING& t) { Value(t, "P4", "1.0"); });
    runner->Run();
    const std::vector<Move> moves = ThreadMoves(op);
    ASSERT_EQ(moves.size(), 2u) << "the finishing and the spring pass";
    EXPECT_NEAR(moves[0].x1, -10.0 + 0.92, 1e-12);
}

TEST_F(TurnThreadingTest, DefaultToolByTheLinesDirection) {
    CTurnTHREADING& towardsMinus = Thread(kThreadLine);
    CTurnTHREADING& towardsPlus = Thread(kThreadLineTowardsPlusZ);
    runner->Run();
    EXPECT_EQ(towardsMinus.nToolPosition, 2);
    EXPECT_EQ(towardsPlus.nToolPosition, 3);
    GetSPID()->GetTool(2)->TYPE_ = 10;
    towardsMinus.SetupTool();
    EXPECT_EQ(towardsMinus.nToolPosition, -1) << "no tool of the kind";
    towardsMinus.workContour.reset();
    towardsMinus.nToolPosition = 5;
    towardsMinus.SetupTool();
    EXPECT_EQ(towardsMinus.nToolPosition, 5) << "without a working contour nothing happens";
}

TEST_F(TurnThreadingTest, CycleVariables) {
    CTurnTHREADING op;
    std::string text = "X ";
    op.GetCycleVariables(text);
    EXPECT_EQ(text, "X _FEED=1.500  _NTHREADS=1 _DEPTH=2 _L1=3 _L2=3 ");
    op.indNapr = true;
    op.Nzahod = 3;
    op.Depth = 0.9206;
    op.Spod = 3.0;
    text.clear();
    op.GetCycleVariables(text);
    EXPECT_EQ(text, "_FEED=3.000  _NTHREADS=3 _DEPTH=0.921 _LEFT=1 _L1=3 _L2=3 ");
}

class TurnThreadingCycleTest : public TurnThreadingTest {
protected:
    // A threading cycle of the post-processor with its thread kinds, and
    // optionally the clearance parameter "xx".
    CTurnTHREADING& CycleOperation(const std::string& script, const std::string& demands, bool clearance = false,
                                   const std::function<void(CTurnTHREADING&)>& setup = {}) {
        return Thread(script, [&](CTurnTHREADING& t) {
            auto cycle = std::make_unique<CCycle_Auto>();
            cycle->SetType("Threading_Chisel");
            cycle->SetName("G76 резьба");
            cycle->SetGCode("G76");
            cycle->profilDemands = demands;
            if (clearance) {
                cycle->AddParamDouble("xx", 2.0, "зазор");
            }
            t.postProcessor.AddCycleDefinition(std::move(cycle));
            t.indShema = 1;
            if (setup) setup(t);
        });
    }
    static std::vector<CCycle_Auto*> CycleFrames(const CTurn& op) {
        std::vector<CCycle_Auto*> cycles;
        for (const auto& f : op.Frames())
            if (auto* c = dynamic_cast<CCycle_Auto*>(f.get())) cycles.push_back(c);
        return cycles;
    }
};

TEST_F(TurnThreadingCycleTest, KindCheckAgainstTheCyclesDemands) {
    constexpr const char* kFace = "LineSeg( 0,-20, 0,-10, 1 );\n";
    constexpr const char* kCone = "LineSeg( 0,-9, -20,-10, 1 );\n";
    struct Case {
        const char* line;
        const char* demands;
        const char* refusal;  // null: accepted
    };
    const Case cases[] = {
        {kThreadLine, "Cylinder", nullptr},
        {kThreadLine, "Cylinder Cone", nullptr},
        {kThreadLine, "Cone", "Нельзя нарезать цилиндрическую резьбу циклом "},
        {kThreadLine, "cylinder", "Нельзя нарезать цилиндрическую резьбу циклом "},
        {kThreadLine, "", "Нельзя нарезать цилиндрическую резьбу циклом "},
        {kFace, "Spiral", nullptr},
        {kFace, "Cylinder Cone", "Нельзя нарезать торцовую резьбу циклом "},
        {kCone, "Cone", nullptr},
        {kCone, "Cylinder Spiral", "Нельзя нарезать коническую резьбу циклом "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " / " + c.demands);
        runner->Clear();
        CTurnTHREADING& op = CycleOperation(c.line, c.demands, false, [](CTurnTHREADING& t) { t.Nrep = 2; });
        runner->Run();
        if (c.refusal) {
            EXPECT_EQ(op.messageText, std::string("Ошибка:\n") + c.refusal + "G76 резьба");
            EXPECT_TRUE(CycleFrames(op).empty());
        } else {
            EXPECT_FALSE(op.HasMessage()) << op.messageText;
            EXPECT_EQ(CycleFrames(op).size(), 2u);
        }
    }
}

TEST_F(TurnThreadingCycleTest, CycleFrameCarriesTheProfileAndTheVariables) {
    CTurnTHREADING& op = CycleOperation(kThreadLine, "Cylinder");
    runner->Run();
    const std::vector<CCycle_Auto*> cycles = CycleFrames(op);
    ASSERT_EQ(cycles.size(), 1u);
    const CCycle_Auto& c = *cycles[0];
    EXPECT_NEAR(c.start.z, 3.0, 1e-12);
    EXPECT_NEAR(c.start.x, -10.0, 1e-12);
    EXPECT_EQ(c.feedIsStep, 1);
    EXPECT_EQ(c.cycleVariables, "_FEED=1.500  _NTHREADS=1 _DEPTH=0.92 _L1=3 _L2=3 ");
    EXPECT_EQ(c.toolNumber, 2);
    ASSERT_NE(c.secondContour, nullptr);
    ASSERT_EQ(c.secondContour->Count(), 4);
    const CUnit& deep = *c.secondContour->GetUnit(1);
    EXPECT_NEAR(deep.StartPoint.x, -10.0 + 0.92, 1e-12);
    EXPECT_NEAR(deep.EndPoint.z, -23.0, 1e-12);
    EXPECT_TRUE(c.secondContour->GetUnit(3)->IsRapid);
    EXPECT_EQ(c.retractValue, 0.0);
    // Without "xx" the cycle starts on the prolonged line itself, and a
    // positioning frame writes that point in full.
    const auto& frames = op.Frames();
    for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
        if (frames[i].get() != cycles[0]) continue;
        const CCadreISO& position = *frames[i + 1];
        EXPECT_TRUE(position.rapid);
        EXPECT_NEAR(position.end.x, -10.0, 1e-12);
        EXPECT_NEAR(position.end.z, 3.0, 1e-12);
    }
}

TEST_F(TurnThreadingCycleTest, ClearanceMovesTheCycleStartAwayFromTheDepth) {
    // The cycle comes back to its start X after every pass: outside an outer
    // thread, inside an inner one (a line drawn towards +Z), also for a
    // left-hand outer thread cut from its other end. Taken towards the depth
    // the start of an outer thread would lie in the material.
    const struct {
        const char* name;
        const char* line;
        bool left;
        double x, z;
    } cases[] = {{"outer", kThreadLine, false, -12.0, 3.0},
                 {"outer, left-hand", kThreadLine, true, -12.0, -23.0},
                 {"inner", kThreadLineTowardsPlusZ, false, -8.0, 3.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        runner->Clear();
        CTurnTHREADING& op = CycleOperation(c.line, "Cylinder", true, [&](CTurnTHREADING& t) {
            t.indNapr = c.left;
            t.isExist = true;
        });
        runner->Run();
        const std::vector<CCycle_Auto*> cycles = CycleFrames(op);
        ASSERT_EQ(cycles.size(), 1u);
        const auto& frames = op.Frames();
        const auto at = std::find_if(frames.begin(), frames.end(), [&](const auto& f) { return f.get() == cycles[0]; });
        ASSERT_NE(at + 1, frames.end());
        EXPECT_NEAR((*(at + 1))->end.x, c.x, 1e-12);
        EXPECT_NEAR((*(at + 1))->end.z, c.z, 1e-12);
        // The frame knows how far its start stands off the line: the clearance.
        EXPECT_NEAR(cycles[0]->retractValue, -10.0 - c.x, 1e-12);
        // The profile goes as deep as the passes do, on the same side.
        const CUnit& deep = *cycles[0]->secondContour->GetUnit(1);
        EXPECT_NEAR(deep.StartPoint.x, -10.0 + (c.x < -10.0 ? 0.92 : -0.92), 1e-12);
    }
}

TEST_F(TurnThreadingCycleTest, RepetitionsLieWhereTheElementaryMovesCutThem) {
    for (int reps : {1, 3}) {
        SCOPED_TRACE(reps);
        runner->Clear();
        auto setup = [&](CTurnTHREADING& t) {
            t.Nrep = reps;
            t.dZ0rep = -2.0;
            t.dZrep = 5.0;
        };
        CTurnTHREADING& cycled = CycleOperation(kThreadLine, "Cylinder", false, setup);
        CTurnTHREADING& elementary = Thread(kThreadLine, setup);
        runner->Run();
        const std::vector<CCycle_Auto*> cycles = CycleFrames(cycled);
        const std::vector<Move> moves = ThreadMoves(elementary);
        ASSERT_EQ(cycles.size(), static_cast<std::size_t>(reps));
        ASSERT_EQ(moves.size(), 4u * reps);
        for (int r = 0; r < reps; ++r) {
            EXPECT_NEAR(cycles[static_cast<std::size_t>(r)]->start.z, 1.0 + 5.0 * r, 1e-12);
            EXPECT_NEAR(moves[static_cast<std::size_t>(4 * r)].z1, 1.0 + 5.0 * r, 1e-12);
        }
    }
}

TEST_F(TurnThreadingCycleTest, EachStartIsACycleOfItsOwn) {
    // Two starts of pitch 1.5 in two repetitions: the cycle cuts one helix of
    // the lead, so each start has its cycle, the second begun 1.5 further
    // back and both ended at the run-out's end.
    CTurnTHREADING& op = CycleOperation(kThreadLine, "Cylinder", false, [](CTurnTHREADING& t) {
        t.Nzahod = 2;
        t.Spod = 3.0;
        t.Nrep = 2;
        t.dZrep = -30.0;
    });
    runner->Run();
    ASSERT_FALSE(op.HasMessage()) << op.messageText;
    const std::vector<CCycle_Auto*> cycles = CycleFrames(op);
    ASSERT_EQ(cycles.size(), 4u);
    for (std::size_t k = 0; k < cycles.size(); ++k) {
        const double shift = -30.0 * static_cast<double>(k / 2);
        EXPECT_NEAR(cycles[k]->start.z, 3.0 + 1.5 * static_cast<double>(k % 2) + shift, 1e-12) << k;
        const CUnit& deep = *cycles[k]->secondContour->GetUnit(1);
        EXPECT_NEAR(deep.EndPoint.z, -23.0 + shift, 1e-12) << k;
    }
}

TEST_F(TurnThreadingCycleTest, WithoutAThreadingCycleThePathIsMadeOfElementaryMoves) {
    CTurnTHREADING& op = Thread(kThreadLine, [](CTurnTHREADING& t) { t.indShema = 1; });
    runner->Run();
    EXPECT_FALSE(op.HasMessage()) << op.messageText;
    EXPECT_EQ(op.indShema, 0);
    EXPECT_EQ(ThreadMoves(op).size(), 4u);
}

class TurnThreadingStorageTest : public TurnThreadingTest {
protected:
    void Save(CTurnTHREADING& op) {
        StorageRecord record;
        ASSERT_TRUE(record.OpenWrite("Zarvento.Turn.0"));
        EXPECT_TRUE(op.SaveKindValues(record));
        record.Flush();
    }
    void Load(CTurnTHREADING& op) {
        StorageRecord record;
        ASSERT_TRUE(record.OpenRead("Zarvento.Turn.0"));
        EXPECT_TRUE(op.LoadKindValues(record));
    }
};

TEST_F(TurnThreadingStorageTest, ValuesRoundTrip) {
    CTurnTHREADING source;
    source.isModel = true;
    source.Step = 2.0;
    source.isAutoStep = false;
    source.Nzahod = 3;
    source.Depth = 1.227;
    source.isAutoDepth = false;
    source.dZ0rep = -1.5;
    source.Nrep = 4;
    source.dZrep = -12.0;
    source.Obj7 = part->AddNamedObject(kThreadDesignationType, "M24x2");
    Save(source);

    CTurnTHREADING target;
    Load(target);
    EXPECT_FALSE(target.HasMessage());
    EXPECT_TRUE(target.isModel);
    EXPECT_TRUE(target.ThreadBuilder().suppressBuild) << "the builder follows the model flag";
    EXPECT_EQ(target.Obj7, source.Obj7);
    EXPECT_EQ(target.Step, 2.0);
    EXPECT_FALSE(target.isAutoStep);
    EXPECT_EQ(target.Nzahod, 3);
    EXPECT_EQ(target.Depth, 1.227);
    EXPECT_FALSE(target.isAutoDepth);
    EXPECT_EQ(target.dZ0rep, -1.5);
    EXPECT_EQ(target.Nrep, 4);
    EXPECT_EQ(target.dZrep, -12.0);
}

TEST_F(TurnThreadingStorageTest, ThroughTheOperationsRecord) {
    CTurnTHREADING source;
    source.workChoice = std::make_unique<Contour>();
    source.sourceChoice = std::make_unique<Contour>();
    source.Nzahod = 2;
    source.dZrep = -5.0;
    source.Obj7 = part->AddNamedObject(kThreadDesignationType, "M20");
    Value(source, "I", "0.3");
    Choice(source, "P1", 0);
    Choice(source, "P6", 1);
    source.Save(0);

    CTurnTHREADING target;
    target.Load(0);
    EXPECT_EQ(target.Nzahod, 2);
    EXPECT_EQ(target.dZrep, -5.0);
    EXPECT_EQ(target.Obj7, source.Obj7);
    EXPECT_EQ(target.Cycle().FindParam("I")->valueText, "0.3");
    EXPECT_EQ(target.Cycle().FindParam("P1")->ListIndex(), 0);
    EXPECT_EQ(target.Cycle().FindParam("P6")->ListIndex(), 1);
}

TEST_F(TurnThreadingStorageTest, ZeroRepetitionsLoadAsOne) {
    CTurnTHREADING source;
    source.Nrep = 0;
    Save(source);
    CTurnTHREADING target;
    target.Nrep = 7;
    Load(target);
    EXPECT_EQ(target.Nrep, 1);
    EXPECT_EQ(target.Obj7, nullptr);
}

TEST_F(TurnThreadingStorageTest, LostDesignation) {
    for (bool model : {false, true}) {
        SCOPED_TRACE(model ? "thread from the model" : "thread picked by hand");
        CTurnTHREADING source;
        source.isModel = model;
        source.Obj7 = part->AddNamedObject(kThreadDesignationType, "M10");
        Save(source);
        part->RemoveEntity(source.Obj7);
        MessageLog::Instance().Clear();
        CTurnTHREADING target;
        target.Obj7 = part->AddNamedObject(kThreadDesignationType, "M12");
        Load(target);
        EXPECT_EQ(target.Obj7, nullptr);
        EXPECT_EQ(target.messageText, model ? "Ошибка:\nПотеряна связь с обозначением резьбы" : "");
    }
}

TEST_F(TurnThreadingStorageTest, AnObjectOfAnotherKindIsNoDesignation) {
    CTurnTHREADING source;
    source.Obj7 = part->AddNamedObject(57, "не резьба");
    Save(source);
    StorageRecord record;
    ASSERT_TRUE(record.OpenRead("Zarvento.Turn.0"));
    record.ReadNamedValue("isThread");
    EXPECT_FALSE(record.ReadBuffer().ToBool());
}

}  // namespace
}  // namespace zarvento
