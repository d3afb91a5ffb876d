// The single-plunge groove and the cut-off: plunges by direction and
// binding, the width limit, the dwell, the tool's binding; the cut-off's
// chamfer, refusals, reduced-feed stretch, passes and the Z of the cut; and
// the record values of both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "kind_test_support.h"
#include "nc/cadre_f.h"
#include "nc/cadre_g04.h"
#include "operations/kind_support.h"
#include "operations/turn_kanavka.h"
#include "operations/turn_otrezka.h"
#include "operations_test_support.h"
#include "platform/core/numbers.h"
#include "platform/core/variant.h"
#include "platform/documents/storage_record.h"

namespace zarvento {
namespace {

// An outer groove 4 wide and 3 deep into the bar's surface (radius 25),
// as its region pair: the groove side and the stock side between the crossings.
constexpr const char* kGroove =
    "LineSeg( -10,-25, -10,-22, 1 );\nLineSeg( -10,-22, -14,-22, 1 );\nLineSeg( -14,-22, -14,-25, 1 );\n";
constexpr const char* kGrooveStock = "LineSeg( -14,-25, -10,-25, 1 );\n";
// A face groove at the face z = 0 between the radii 10 and 14, 3 deep.
constexpr const char* kFaceGroove =
    "LineSeg( 0,-10, -3,-10, 1 );\nLineSeg( -3,-10, -3,-14, 1 );\nLineSeg( -3,-14, 0,-14, 1 );\n";
constexpr const char* kFaceGrooveStock = "LineSeg( 0,-14, 0,-10, 1 );\n";

class GrooveTest : public test::OperationTest {
protected:
    // The groove's own frames for a region pair, from an operation of the plan.
    CTurnKANAVKA& Groove(const std::string& region, const std::string& stock,
                         const std::function<void(CTurnKANAVKA&)>& setup = {}, bool* ok = nullptr) {
        auto& g = dynamic_cast<CTurnKANAVKA&>(runner->AddKind(kTurnKANAVKA, test::kStepProfile));
        g.isSilent = true;
        if (setup) setup(g);
        const bool made = g.CutGroove(*test::OperationRunner::Parse(region), *test::OperationRunner::Parse(stock));
        if (ok) *ok = made;
        return g;
    }
    static std::vector<test::Move> Plunges(const CTurn& op) {
        std::vector<test::Move> moves = test::Moves(op);
        // Between the approach and the retract.
        return std::vector<test::Move>(moves.begin() + 1, moves.end() - 1);
    }
};

TEST_F(GrooveTest, GoldenFramesOfAnOuterGrooveThroughTheRunner) {
    test::KindTool(*runner, 2, CTurnKANAVKA::kGroovingToolKind, {{"width", 4.0}});
    // The groove's walls run out past the bar, so its region is the groove itself.
    const char* profile =
        "LineSeg( -10,-26, -10,-22, 1 );\nLineSeg( -10,-22, -14,-22, 1 );\nLineSeg( -14,-22, -14,-26, 1 );\n";
    CTurn& g = runner->AddKind(kTurnKANAVKA, profile, [](CTurn& o) { dynamic_cast<CTurnKANAVKA&>(o).Pause = 0.5; });
    runner->Run();
    EXPECT_EQ(g.nToolPosition, 2);
    EXPECT_EQ(g.calc.depthOfCut, 4.0) << "the tool's width";
    EXPECT_EQ(runner->Text(0),
              "T3\nS500 F0.05\nM03\nG00  X52 Z-14\nG01  X44\nG04  P0.5\nG00  X52\nG00  X200 Z100\nM01\n");
}

TEST_F(GrooveTest, PlungeByDirectionAndBinding) {
    struct Case {
        const char* name;
        const char* region;
        const char* stock;
        bool face;
        int binding;
        test::Move plunge;
    };
    const Case cases[] = {
        {"outer, binding 0: the groove end of smaller Z", kGroove, kGrooveStock, false, 0, {false, -26, -14, -22, -14}},
        {"outer, binding 1: the other end", kGroove, kGrooveStock, false, 1, {false, -26, -10, -22, -10}},
        {"face, binding 0", kFaceGroove, kFaceGrooveStock, true, 0, {false, -14, 1, -14, -3}},
        {"face, binding 1: the middle", kFaceGroove, kFaceGrooveStock, true, 1, {false, -12, 1, -12, -3}},
        {"face, binding 2", kFaceGroove, kFaceGrooveStock, true, 2, {false, -10, 1, -10, -3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runner->Clear();
        bool ok = false;
        CTurnKANAVKA& g = Groove(
            c.region, c.stock,
            [&](CTurnKANAVKA& o) {
                o.indNapr = c.face;
                o.indPrivaz = c.binding;
            },
            &ok);
        ASSERT_TRUE(ok);
        const std::vector<test::Move> moves = Plunges(g);
        ASSERT_EQ(moves.size(), 2u);
        EXPECT_FALSE(moves[0].rapid);
        EXPECT_EQ(moves[0].x1, c.plunge.x1);
        EXPECT_EQ(moves[0].z1, c.plunge.z1);
        EXPECT_EQ(moves[0].x2, c.plunge.x2);
        EXPECT_EQ(moves[0].z2, c.plunge.z2);
        EXPECT_TRUE(moves[1].rapid) << "out by the same line";
        EXPECT_EQ(moves[1].x2, c.plunge.x1);
        EXPECT_EQ(moves[1].z2, c.plunge.z1);
    }
}

TEST_F(GrooveTest, ThePlungeStaysInsideTheRegion) {
    // An inner groove running the other way: the plunge goes outwards.
    const char* inner =
        "LineSeg( -14,-10, -14,-12, 1 );\nLineSeg( -14,-12, -10,-12, 1 );\nLineSeg( -10,-12, -10,-10, 1 );\n";
    const char* stock = "LineSeg( -10,-10, -14,-10, 1 );\n";
    for (int binding : {0, 1}) {
        runner->Clear();
        CTurnKANAVKA& g = Groove(inner, stock, [&](CTurnKANAVKA& o) { o.indPrivaz = binding; });
        const test::Move cut = Plunges(g).front();
        EXPECT_EQ(cut.x2, -12.0) << "the bottom, never beyond";
        EXPECT_GE(cut.z2, -14.0);
        EXPECT_LE(cut.z2, -10.0);
        EXPECT_EQ(cut.x1, -10.0 + 1.0) << "the approach length inside the bore";
    }
}

TEST_F(GrooveTest, WidthLimitDwellAndBindingFromTheTool) {
    auto narrow = [](const char* width) {
        return std::string("LineSeg( -10,-25, -10,-22, 1 );\nLineSeg( -10,-22, ") + width + ",-22, 1 );\nLineSeg( " +
               width + ",-22, " + width + ",-25, 1 );\n";
    };
    bool ok = false;
    Groove(narrow("-10.1"), kGrooveStock, {}, &ok);
    EXPECT_TRUE(ok) << "0.1 itself is wide enough";
    runner->Clear();
    CTurnKANAVKA& refused = Groove(narrow("-10.0999"), kGrooveStock, {}, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(refused.messageText, "Ошибка:\nШирина канавки должна быть больше 0.1 мм");

    for (double pause : {0.01, 0.011}) {
        runner->Clear();
        CTurnKANAVKA& g = Groove(kGroove, kGrooveStock, [&](CTurnKANAVKA& o) { o.Pause = pause; });
        const bool dwells = std::any_of(g.Frames().begin(), g.Frames().end(),
                                        [](const auto& f) { return dynamic_cast<const CCadre_G04*>(f.get()); });
        EXPECT_EQ(dwells, pause > 0.01) << pause;
    }

    for (const auto& [base, binding] : {std::pair{1.996, 2}, std::pair{0.99, 1}}) {
        runner->Clear();
        test::KindTool(*runner, 2, CTurnKANAVKA::kGroovingToolKind, {{"base", base}});
        CTurnKANAVKA& g = Groove(kGroove, kGrooveStock, [](CTurnKANAVKA& o) { o.nToolPosition = 2; });
        EXPECT_EQ(g.indPrivaz, binding);
        EXPECT_TRUE(g.isPrivazFromTool);
    }
}

TEST_F(GrooveTest, ToolChoicePrefersGroovingToolsAndRecordValuesRoundTrip) {
    test::KindTool(*runner, 3, CTurnKANAVKA::kCutOffToolKind, {});
    CTurnKANAVKA g;
    g.SetupTool();
    EXPECT_EQ(g.nToolPosition, 3);
    test::KindTool(*runner, 5, CTurnKANAVKA::kGroovingToolKind, {});
    g.SetupTool();
    EXPECT_EQ(g.nToolPosition, 5);

    g.indPrivaz = 2;
    g.Pause = 1.25;
    g.indNapr = true;
    {
        StorageRecord record;
        ASSERT_TRUE(record.OpenWrite("Zarvento.Turn.1"));
        g.SaveKindValues(record);
        EXPECT_EQ(record.PendingNames(), (std::vector<std::string>{"indPrivaz", "Pause"}));
    }
    CTurnKANAVKA loaded;
    loaded.indNapr = true;
    StorageRecord record;
    ASSERT_TRUE(record.OpenRead("Zarvento.Turn.1"));
    loaded.LoadKindValues(record);
    EXPECT_EQ(loaded.indPrivaz, 2);
    EXPECT_EQ(loaded.Pause, 1.25);
    EXPECT_EQ(loaded.GrooveBuilder().grooveDirection, 1);
}

// The cut-off face of the part at z = -40, from the bar's surface to the axis.
constexpr const char* kFace = "LineSeg( -40,-25, -40,0, 1 );\n";

class CutOffTest : public test::OperationTest {
protected:
    CTurnOTREZKA& CutOff(const std::function<void(CTurnOTREZKA&)>& setup = {}, const char* face = kFace) {
        CTurn& op = runner->AddKind(kTurnOTREZKA, face, [&](CTurn& o) {
            auto& c = dynamic_cast<CTurnOTREZKA&>(o);
            c.isSilent = true;
            if (setup) setup(c);
        });
        runner->Run();
        return dynamic_cast<CTurnOTREZKA&>(op);
    }
    static void Set(CTurnOTREZKA& c, const char* name, double value) {
        SetCycleText(c.cycle, name, FormatDouble(value));
    }
};

TEST_F(CutOffTest, GoldenFramesOfOnePassWithTheReducedFeedStretch) {
    test::KindTool(*runner, 3, CTurnOTREZKA::kCutOffToolKind, {{"width", 3.0}});
    // x0 = -26, the end 0.5 past the axis; the last S + overrun = 2 at half the feed.
    CTurnOTREZKA& c = CutOff();
    ASSERT_FALSE(c.HasMessage()) << c.messageText;
    EXPECT_EQ(runner->Text(0),
              "T4\nS500 F0.05\nM03\nG00  X52 Z-43\n"
              "G01  X3\nF0.025\nG01  X-1\nG00  X52\n"
              "G00  X200 Z100\nM01\n");
    EXPECT_EQ(c.Width, 3.0) << "taken from the tool";
    EXPECT_EQ(c.cycle.FindParam("B")->kind, 'R');
    EXPECT_EQ(c.cycle.FindParam("P")->kind, 'i');
    EXPECT_EQ(c.calc.depthOfCut, 3.0);
}

TEST_F(CutOffTest, NoReducedStretchWhenItDoesNotFit) {
    test::KindTool(*runner, 3, CTurnOTREZKA::kCutOffToolKind, {});
    struct Case {
        const char* name;
        double s, kf;
    };
    // The cut is 26.5 long; a stretch of 26 grows by the overrun to 26.5 and
    // would leave the passes nothing (or less than nothing).
    const Case cases[] = {{"full feed factor", 1.5, 1.0}, {"too long", 26.2, 0.5}, {"no length", 0.0, 0.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runner->Clear();
        CTurnOTREZKA& op = CutOff([&](CTurnOTREZKA& o) {
            Set(o, "S", c.s);
            Set(o, "KF", c.kf);
        });
        ASSERT_FALSE(op.HasMessage()) << op.messageText;
        EXPECT_FALSE(std::any_of(op.Frames().begin(), op.Frames().end(),
                                 [](const auto& f) { return dynamic_cast<const CCadre_F*>(f.get()); }));
        const std::vector<test::Move> cuts = test::Cuts(op);
        ASSERT_EQ(cuts.size(), 1u);
        EXPECT_EQ(cuts[0].x1, -26.0);
        EXPECT_EQ(cuts[0].x2, 0.5);
    }
}

TEST_F(CutOffTest, ChamferMovesAndItsRefusals) {
    test::KindTool(*runner, 3, CTurnOTREZKA::kCutOffToolKind, {});
    struct Case {
        const char* name;
        double size, angle;
        const char* message;  // null: accepted
    };
    const Case cases[] = {
        {"angle 5", 1.0, 5.0, nullptr},
        {"angle 85", 1.0, 85.0, nullptr},
        {"angle 4.99", 1.0, 4.99, "Угол фаски должен быть от 5 до 85 градусов"},
        {"angle 85.01", 1.0, 85.01, "Угол фаски должен быть от 5 до 85 градусов"},
        {"size -1e-7 is none", -1e-7, 0.0, nullptr},
        {"size -0.01", -0.01, 45.0, "Размер фаски должен иметь положительное значение"},
        {"longer than the cut", 26.6, 45.0, "Размер фаски не должен быть больше длины отрезки"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runner->Clear();
        CTurnOTREZKA& op = CutOff([&](CTurnOTREZKA& o) {
            Set(o, "faska", c.size);
            Set(o, "angle", c.angle);
            Set(o, "S", 0.0);
        });
        if (c.message) {
            EXPECT_EQ(op.messageText, std::string("Ошибка:\n") + c.message);
            EXPECT_TRUE(op.Frames().empty());
        } else {
            EXPECT_FALSE(op.HasMessage()) << op.messageText;
            EXPECT_FALSE(op.Frames().empty());
        }
    }
    runner->Clear();
    CTurnOTREZKA& op = CutOff([&](CTurnOTREZKA& o) {
        Set(o, "faska", 2.0);
        Set(o, "angle", 45.0);
        Set(o, "S", 0.0);
    });
    const std::vector<test::Move> m = test::Moves(op);
    ASSERT_EQ(m.size(), 9u);
    // x0 = -26, xa = -26 + 1 + 2 = -23, d = 2 / cos 45 + 1.
    const double d = 2.0 / std::cos(PI / 4) + 1.0;
    EXPECT_FALSE(m[1].rapid);
    EXPECT_EQ(m[1].x2, -23.0);
    EXPECT_TRUE(m[2].rapid);
    EXPECT_EQ(m[2].x2, -26.0);
    EXPECT_TRUE(m[3].rapid);
    EXPECT_NEAR(m[3].x2, -23.0 - d * std::cos(PI / 4), 1e-12);
    EXPECT_NEAR(m[3].z2, -40.0 + d * std::sin(PI / 4), 1e-12);
    EXPECT_FALSE(m[4].rapid);
    EXPECT_EQ(m[4].x2, -23.0);
    EXPECT_EQ(m[4].z2, -40.0);
    EXPECT_TRUE(m[5].rapid);
    EXPECT_EQ(m[5].x2, -24.0);
    EXPECT_EQ(m[6].x1, -24.0) << "the cut starts at the chamfer's X";
    EXPECT_EQ(m[8].x1, -26.0) << "the retract leaves from the approach X";
}

TEST_F(CutOffTest, PassesShrinkAndEndAtTheOverrunWithoutPassingTheRegion) {
    test::KindTool(*runner, 3, CTurnOTREZKA::kCutOffToolKind, {});
    for (int removal : {0, 1}) {
        runner->Clear();
        CTurnOTREZKA& op = CutOff([&](CTurnOTREZKA& o) {
            Set(o, "N", 3);
            o.cycle.FindParam("T")->intValue = removal;
            Set(o, "K", 0.85);
            Set(o, "L", removal ? 1.5 : 0.0);
        });
        ASSERT_FALSE(op.HasMessage()) << op.messageText;
        const std::vector<test::Move> cuts = test::Cuts(op);
        ASSERT_EQ(cuts.size(), 4u) << "three passes and the stretch";
        EXPECT_EQ(cuts.back().x2, 0.5) << "the overrun past the axis exactly";
        if (!removal) {
            for (std::size_t i = 1; i < 3; ++i) EXPECT_EQ(cuts[i].x1, cuts[i - 1].x2) << "no retract between passes";
        }
        const double first = cuts[0].x2 - cuts[0].x1;
        EXPECT_NEAR((cuts[1].x2 - cuts[0].x2) / first, 0.85, 1e-9);
        const std::vector<test::Move> moves = test::Moves(op);
        for (std::size_t i = 0; i + 1 < moves.size(); ++i) {
            EXPECT_LE(std::max(moves[i].x1, moves[i].x2), 0.5);
            EXPECT_EQ(moves[i].z2, -40.0) << "on the face";
        }
    }
}

TEST_F(CutOffTest, TheCutMovesByTheWidthBySpindleDirectionAndBinding) {
    struct Case {
        bool m04;
        int binding;
        double z;
    };
    const Case cases[] = {{false, 0, -43.0}, {false, 1, -40.0}, {true, 0, -40.0}, {true, 1, -43.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.m04 ? "M04" : "M03") + ", binding " + std::to_string(c.binding));
        runner->Clear();
        test::KindTool(*runner, 3, CTurnOTREZKA::kCutOffToolKind, {{"width", 3.0}, {"base", c.binding}});
        CTurnOTREZKA& op = CutOff([&](CTurnOTREZKA& o) {
            o.isAutoM34 = false;
            o.isM04 = c.m04;
        });
        EXPECT_EQ(op.indPrivaz, c.binding);
        EXPECT_EQ(test::Cuts(op).front().z1, c.z);
        EXPECT_EQ(test::Moves(op).back().z1, c.z) << "the retract leaves from the cut";
    }
}

TEST_F(CutOffTest, RefusedPassPlansLeaveNoFramesAndRecordValuesRoundTrip) {
    test::KindTool(*runner, 3, CTurnOTREZKA::kCutOffToolKind, {});
    for (const auto& [n, message] : {std::pair{0, "Число проходов должно быть больше нуля"},
                                     std::pair{10001, "Число проходов не должно превышать 10000"}}) {
        runner->Clear();
        CTurnOTREZKA& op = CutOff([&](CTurnOTREZKA& o) { Set(o, "N", n); });
        EXPECT_EQ(op.messageText, std::string("Ошибка:\n") + message);
        EXPECT_TRUE(op.Frames().empty());
    }

    CTurnOTREZKA saved;
    saved.Width = 4.5;
    saved.indPrivaz = 1;
    saved.Pause = 0.75;
    {
        StorageRecord record;
        ASSERT_TRUE(record.OpenWrite("Zarvento.Turn.2"));
        saved.SaveKindValues(record);
        EXPECT_EQ(record.PendingNames(), (std::vector<std::string>{"Width", "indPrivaz", "Pause"}));
    }
    CTurnOTREZKA loaded;
    StorageRecord record;
    ASSERT_TRUE(record.OpenRead("Zarvento.Turn.2"));
    loaded.LoadKindValues(record);
    EXPECT_EQ(loaded.Width, 4.5);
    EXPECT_EQ(loaded.indPrivaz, 1);
    EXPECT_EQ(loaded.Pause, 0.75);
}

}  // namespace
}  // namespace zarvento
