// Machine-cycle output of the multi-pass operation: the start point and lead
// lines by the region's shape, the whole region as one cycle frame with its
// three contours, the trapezoid forms chosen by the cycle's profile demands,
// the refusal when none fits, and the golden frames of the fixture parts.
#include <gtest/gtest.h>

#include <cmath>

#include "fixture_parts.h"
#include "geometry/contour_script.h"
#include "geometry/primitives.h"
#include "golden_file.h"
#include "multipass_test_support.h"
#include "nc/cadre_line_g01.h"
#include "nc/cycle_auto.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"
#include "post/post_processor.h"

namespace zarvento {
namespace {

// Two steps down from the free end: a staircase that the Z-stepping
// trapezoids take, two steps of a diameter and a face each.
constexpr const char* kStairs =
    "LineSeg( 5,-15, -10,-15, 1 );\nLineSeg( -10,-15, -10,-20, 1 );\nLineSeg( -10,-20, -30,-20, 1 );\n"
    "LineSeg( -30,-20, -30,-30, 1 );\n";

class TurnCycleOutputTest : public test::OperationTest {
protected:
    CTurnMnogoProhod& Cycle(const std::string& profile, const std::string& demands, double cornerRadius = 0.0,
                            bool groupFirst = false) {
        post = std::make_unique<CPostProcessor>("Станок", "");
        if (groupFirst) {
            // A group of the same type stands before the cycle, as a
            // description may list one; it is no cycle an operation takes.
            auto group = std::make_unique<CCycle_Auto>();
            group->SetType("Turning");
            group->SetGCode("G70");
            group->groupFlag = 1;
            post->AddCycleDefinition(std::move(group));
        }
        auto turning = std::make_unique<CCycle_Auto>();
        turning->SetType("Turning");
        turning->SetGCode("G71");
        turning->profilDemands = demands;
        post->AddCycleDefinition(std::move(turning));
        // A sharp tool keeps the region's corners sharp: trapezoids take lines only.
        runner->Tool(0, "Резец проходной", cornerRadius);
        runner->Clear();
        runner->Part(profile);
        CTurn& op = runner->AddKind(kTurnMnogoProhod, profile, [&](CTurn& o) {
            o.SetPostProcessorData(post.get());
            o.indShema = 1;
        });
        runner->Run();
        return dynamic_cast<CTurnMnogoProhod&>(op);
    }

    static std::vector<const CCycle_Auto*> Cycles(const CTurn& op) {
        std::vector<const CCycle_Auto*> cycles;
        for (const auto& frame : op.Frames())
            if (const auto* c = dynamic_cast<const CCycle_Auto*>(frame.get())) cycles.push_back(c);
        return cycles;
    }

    // The operation of a finished run given a hand-made region and stock
    // side, the approach 1 and the overrun 2 (so that the two are told
    // apart), between pieces so that it starts from its retract point.
    CTurnMnogoProhod& Region(const std::string& demands, const char* region, const char* stock, bool napr) {
        CTurnMnogoProhod& op = Cycle(kStairs, demands);
        op.calc.regionContour = ParseContourScript(region);
        op.calc.pairedContour = ParseContourScript(stock);
        op.ReleaseFrames();
        op.messageText.clear();
        op.internalMachining = false;
        op.indNapr = napr;
        op.Vrezanie = 1.0;
        op.Perebeg = 2.0;
        op.calc.pieceIndex = 1;
        op.calc.lastPieceIndex = 2;
        return op;
    }

    std::unique_ptr<CPostProcessor> post;
};

// The stock side of the hand-made regions: Z from -30 to 2, X from -25 to -10
// (or to the axis).
constexpr const char* kStock = "LineSeg( 2,-10, 2,-25, 1 );\nLineSeg( 2,-25, -30,-25, 1 );\n";
constexpr const char* kStockToAxis = "LineSeg( 2,0, 2,-25, 1 );\nLineSeg( 2,-25, -30,-25, 1 );\n";

// The start point by the region's shape and direction, and the contour the
// cycle takes: turned to run from the start point, with lead lines from the
// start point's levels (a lone unit runs on through the stock to the overrun).
TEST_F(TurnCycleOutputTest, StartPointAndLeadLinesByShape) {
    struct Case {
        const char* name;
        const char* region;
        bool napr;
        double rz, rx;          // the start point
        double z1, x1, zn, xn;  // the contour's first start and last end
        bool internal, across, along;
        const char* stock = kStock;
    };
    const std::vector<Case> cases = {
        {"towards -Z, falling",
         "LineSeg( 2,-15, -10,-15, 1 );\nLineSeg( -10,-15, -10,-20, 1 );\nLineSeg( -10,-20, -30,-20, 1 );\n", false, 3,
         -27, 3, -15, -30, -27, false, false, false},
        {"towards -Z, rising", "LineSeg( 2,-20, -30,-15, 1 );\n", false, -31, -27, -31, -15, 2, -27, false, false,
         false},
        {"towards +Z, rising", "LineSeg( -30,-20, 2,-15, 1 );\n", false, -31, -8, -31, -20, 2, -8, true, false, false},
        {"towards +Z, falling", "LineSeg( -30,-12, 2,-20, 1 );\n", false, 3, -8, 3, -20, -30, -8, true, false, false},
        {"face of two units", "LineSeg( -5,-10, -10,-15, 1 );\nLineSeg( -10,-15, -5,-25, 1 );\n", false, 2, -25, -5,
         -25, 2, -10, false, true, false},
        {"face of two units, indNapr", "LineSeg( -5,-10, -10,-15, 1 );\nLineSeg( -10,-15, -5,-25, 1 );\n", true, 2, -10,
         -5, -10, 2, -25, false, true, false},
        {"one face down", "LineSeg( -5,-10, -5,-25, 1 );\n", false, 3, -26, -5, -26, 3, -8, false, true, false},
        {"one face down, indNapr", "LineSeg( -5,-10, -5,-25, 1 );\n", true, 3, -9, -5, -9, 3, -27, false, true, false},
        {"one face up", "LineSeg( -5,-25, -5,-10, 1 );\n", false, -31, -26, -5, -26, -31, -8, false, true, false},
        // Its overrun would take the tool past the spindle's axis: it stops there.
        {"one face up to the axis", "LineSeg( -5,-25, -5,-10, 1 );\n", false, -31, -26, -5, -26, -31, 0, false, true,
         false, kStockToAxis},
        {"diameter of two units", "LineSeg( 2,-20, -10,-22, 1 );\nLineSeg( -10,-22, -30,-20, 1 );\n", false, 2, -25, 2,
         -20, -30, -25, false, false, true},
        {"diameter of two units, indNapr", "LineSeg( 2,-20, -10,-22, 1 );\nLineSeg( -10,-22, -30,-20, 1 );\n", true,
         -30, -25, -30, -20, 2, -25, false, false, true},
        {"one diameter", "LineSeg( 2,-20, -30,-20, 1 );\n", false, 3, -26, 3, -20, -32, -26, false, false, true},
        {"one diameter, indNapr", "LineSeg( 2,-20, -30,-20, 1 );\n", true, -31, -26, -31, -20, 4, -26, false, false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTurnMnogoProhod& op = Region(" ", c.region, c.stock, c.napr);
        std::unique_ptr<Contour> w = op.MachineCycleContour();
        ASSERT_TRUE(w);
        EXPECT_NEAR(op.calc.retractZ, c.rz, 1e-9);
        EXPECT_NEAR(op.calc.retractX, c.rx, 1e-9);
        EXPECT_NEAR(w->GetFirstUnit()->StartPoint.z, c.z1, 1e-9);
        EXPECT_NEAR(w->GetFirstUnit()->StartPoint.x, c.x1, 1e-9);
        EXPECT_NEAR(w->GetLastUnit()->EndPoint.z, c.zn, 1e-9);
        EXPECT_NEAR(w->GetLastUnit()->EndPoint.x, c.xn, 1e-9);
        for (int i = 1; i < w->Count(); ++i)
            EXPECT_TRUE(IsEqualPoint(w->GetUnit(i - 1)->EndPoint.z, w->GetUnit(i - 1)->EndPoint.x,
                                     w->GetUnit(i)->StartPoint.z, w->GetUnit(i)->StartPoint.x))
                << "unit " << i;
        EXPECT_EQ(op.internalMachining, c.internal);
        EXPECT_EQ(op.OnePieceAcrossPass, c.across);
        EXPECT_EQ(op.OnePieceAlongPass, c.along);
        // The general form starts its one cycle frame there.
        op.OutputMachineCycle();
        const auto cycles = Cycles(op);
        ASSERT_EQ(cycles.size(), 1u);
        EXPECT_NEAR(cycles[0]->start.z, c.rz, 1e-9);
        EXPECT_NEAR(cycles[0]->start.x, c.rx, 1e-9);
    }
}

// Stairs of two steps in each quadrant: each fits its own mirrored form only,
// the forms are tried in their fixed order whatever the text's order, and
// what fits none is refused with the cycle's code.
TEST_F(TurnCycleOutputTest, TrapezoidFormsAndTheRefusal) {
    // The same stairs seen from each side (the stock side stays: the forms
    // only need the start point it gives).
    constexpr const char* kFallingToMinusZ =
        "LineSeg( 2,-15, -10,-15, 1 );\nLineSeg( -10,-15, -10,-20, 1 );\nLineSeg( -10,-20, -30,-20, 1 );\n";
    constexpr const char* kRisingToMinusZ =
        "LineSeg( 2,-20, -10,-20, 1 );\nLineSeg( -10,-20, -10,-15, 1 );\nLineSeg( -10,-15, -30,-15, 1 );\n";
    constexpr const char* kFallingToPlusZ =
        "LineSeg( -30,-12, -10,-12, 1 );\nLineSeg( -10,-12, -10,-15, 1 );\nLineSeg( -10,-15, 2,-15, 1 );\n";
    constexpr const char* kRisingToPlusZ =
        "LineSeg( -30,-20, -10,-20, 1 );\nLineSeg( -10,-20, -10,-15, 1 );\nLineSeg( -10,-15, 2,-15, 1 );\n";
    // An undercut: its rise towards the axis is no step down along Z.
    constexpr const char* kUndercut =
        "LineSeg( 2,-20, -10,-20, 1 );\nLineSeg( -10,-20, -14,-16, 1 );\nLineSeg( -14,-16, -18,-16, 1 );\n"
        "LineSeg( -18,-16, -18,-20, 1 );\nLineSeg( -18,-20, -30,-20, 1 );\n";
    constexpr const char* kArc =
        "LineSeg( 2,-15, -10,-15, 1 );\nArcByPoint( -10,-20, 5, -10,-15, -15,-20, 1, 1 );\n"
        "LineSeg( -15,-20, -30,-20, 1 );\n";
    struct Case {
        const char* name;
        const char* region;
        const char* demands;
        std::size_t trapezoids;  // 0: refused
        double pz, px;           // where the first trapezoid starts
        double qz, qx;           // and where its first (rapid) line ends
        double rz, rx;           // the retract point the last move returns to
    };
    const std::vector<Case> cases = {
        {"G1", kFallingToMinusZ, "TrapecG1", 2, 3, -27, 3, -20, 3, -27},
        {"V1", kFallingToMinusZ, "TrapecV1", 2, 3, -27, 3, -15, 3, -27},
        {"V1 named first, G1 tried first", kFallingToMinusZ, "TrapecV1 TrapecG1", 2, 3, -27, 3, -20, 3, -27},
        {"G2", kRisingToMinusZ, "TrapecG2", 2, -31, -27, -31, -20, -31, -27},
        {"V2", kRisingToMinusZ, "TrapecV2", 2, -31, -27, -31, -15, -31, -27},
        {"G3", kFallingToPlusZ, "TrapecG3", 2, 3, -8, 3, -12, 3, -8},
        {"V3", kFallingToPlusZ, "TrapecV3", 2, 3, -8, 3, -15, 3, -8},
        {"G4", kRisingToPlusZ, "TrapecG4", 2, -31, -8, -31, -15, -31, -8},
        {"V4", kRisingToPlusZ, "TrapecV4", 2, -31, -8, -31, -20, -31, -8},
        {"G1 refused, V1 taken", kUndercut, "TrapecG1 TrapecV1", 4, 2, -25, 2, -20, 2, -25},
        {"V2 alone does not fit", kFallingToMinusZ, "TrapecV2", 0, 0, 0, 0, 0, 0, 0},
        {"mirrored forms do not fit", kFallingToMinusZ, "TrapecG2 TrapecG3 TrapecG4 TrapecV3 TrapecV4", 0, 0, 0, 0, 0,
         0, 0},
        {"an arc fits no form", kArc, "TrapecG1 TrapecV1", 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTurnMnogoProhod& op = Region(c.demands, c.region, kStock, false);
        op.OutputMachineCycle();
        const auto cycles = Cycles(op);
        if (c.trapezoids == 0) {
            EXPECT_EQ(op.messageText, "Ошибка:\nКонтур нельзя обработать в циклах G71");
            EXPECT_TRUE(op.Frames().empty());
            continue;
        }
        ASSERT_EQ(op.messageText, "");
        ASSERT_EQ(cycles.size(), c.trapezoids);
        EXPECT_NEAR(cycles[0]->start.z, c.pz, 1e-9);
        EXPECT_NEAR(cycles[0]->start.x, c.px, 1e-9);
        EXPECT_NEAR(cycles[0]->workContour->GetFirstUnit()->EndPoint.z, c.qz, 1e-9);
        EXPECT_NEAR(cycles[0]->workContour->GetFirstUnit()->EndPoint.x, c.qx, 1e-9);
        for (const CCycle_Auto* t : cycles) {
            ASSERT_TRUE(t->workContour && t->secondContour);
            ASSERT_EQ(t->workContour->Count(), 4);
            EXPECT_TRUE(t->workContour->IsClosed());
            EXPECT_TRUE(t->workContour->GetUnit(0)->IsRapid && t->workContour->GetUnit(3)->IsRapid);
            EXPECT_FALSE(t->workContour->GetUnit(1)->IsRapid || t->workContour->GetUnit(2)->IsRapid);
            EXPECT_EQ(t->start.z, t->workContour->GetFirstUnit()->StartPoint.z);
            EXPECT_EQ(t->start.x, t->workContour->GetFirstUnit()->StartPoint.x);
        }
        // Each cycle is followed by a positioning frame at its start; the
        // moves in between chain, and the last one returns to the retract point.
        const auto& frames = op.Frames();
        double z = frames.front()->start.z, x = frames.front()->start.x;
        for (std::size_t k = 0; k < frames.size(); ++k) {
            const CCadreISO& f = *frames[k];
            EXPECT_NEAR(f.start.z, z, 1e-9) << k;
            EXPECT_NEAR(f.start.x, x, 1e-9) << k;
            z = f.end.z;
            x = f.end.x;
            if (!dynamic_cast<const CCycle_Auto*>(&f)) continue;
            ASSERT_LT(k + 1, frames.size());
            const auto* stay = dynamic_cast<const CCadre_LineG01*>(frames[k + 1].get());
            ASSERT_NE(stay, nullptr);
            EXPECT_TRUE(stay->rapid && stay->forceAll);
            EXPECT_EQ(stay->start.z, stay->end.z);
            EXPECT_EQ(stay->start.x, stay->end.x);
        }
        EXPECT_NEAR(z, c.rz, 1e-9);
        EXPECT_NEAR(x, c.rx, 1e-9);
    }
}

TEST_F(TurnCycleOutputTest, BlankDemandsGiveOneFrameWithThreeContours) {
    for (const char* demands : {"", " "}) {
        SCOPED_TRACE(std::string("demands '") + demands + "'");
        CTurnMnogoProhod& op = Cycle(kStairs, demands);
        ASSERT_EQ(op.messageText, "");
        const auto cycles = Cycles(op);
        ASSERT_EQ(cycles.size(), 1u);
        const CCycle_Auto& c = *cycles[0];
        ASSERT_TRUE(c.workContour && c.secondContour && c.printContour);
        EXPECT_TRUE(c.workContour->IsClosed()) << "the region with its stock side";
        EXPECT_EQ(c.start.x, c.end.x);
        EXPECT_EQ(c.start.z, c.end.z);
        // The stairs fall from the free end: the start lies beyond the stock's
        // least X and greatest Z.
        BoundBox box;
        ContoursBoundingBox(*op.calc.pairedList[0], *op.calc.pairedList[0], box);
        EXPECT_NEAR(c.start.x, box.xmin - op.Perebeg, 1e-9);
        EXPECT_NEAR(c.start.z, box.zmax + op.Vrezanie, 1e-9);
        // The printed profile runs from the start point across to the first
        // step's level, then along the region and back out to the start's level.
        const Contour& p = *c.printContour;
        EXPECT_TRUE(p.GetFirstUnit()->IsRapid) << "the approach";
        EXPECT_NEAR(p.GetFirstUnit()->StartPoint.z, c.start.z, 1e-9);
        EXPECT_NEAR(p.GetFirstUnit()->StartPoint.x, c.start.x, 1e-9);
        EXPECT_NEAR(p.GetFirstUnit()->EndPoint.z, c.start.z, 1e-9);
        EXPECT_NEAR(p.GetLastUnit()->EndPoint.x, c.start.x, 1e-9);
        for (int i = 1; i < p.Count(); ++i) EXPECT_FALSE(p.GetUnit(i)->IsRapid) << i;
    }
}

// Whole-region forms a description's profile demands may name: a profile
// that never turns back along Z (a G71 of type II, pockets across the axis
// allowed), or along neither axis (type I). The form fits or the operation
// says where the profile turns back; a pocket's profile states its first
// block whole, as a type II reads it; trapezoids named beside a form are
// tried after it.
TEST_F(TurnCycleOutputTest, WholeProfileFormsTakeWhatTheControlReads) {
    // A groove between two diameters: X turns back, Z never does.
    constexpr const char* kGroove =
        "LineSeg( 5,-15, -10,-15, 1 );\nLineSeg( -10,-15, -10,-20, 1 );\nLineSeg( -10,-20, -15,-20, 1 );\n"
        "LineSeg( -15,-20, -15,-17, 1 );\nLineSeg( -15,-17, -20,-17, 1 );\nLineSeg( -20,-17, -20,-22, 1 );\n"
        "LineSeg( -20,-22, -30,-22, 1 );\nLineSeg( -30,-22, -30,-30, 1 );\n";
    // A dovetail: its flank runs back towards +Z under the diameter before it.
    constexpr const char* kDovetail =
        "LineSeg( 5,-20, -10,-20, 1 );\nLineSeg( -10,-20, -8,-16, 1 );\nLineSeg( -8,-16, -18,-16, 1 );\n"
        "LineSeg( -18,-16, -18,-20, 1 );\nLineSeg( -18,-20, -30,-20, 1 );\nLineSeg( -30,-20, -30,-30, 1 );\n";
    // A V-groove: X turns back, but it steps along X as a trapezoid form takes it.
    constexpr const char* kVGroove =
        "LineSeg( 5,-20, -10,-20, 1 );\nLineSeg( -10,-20, -14,-16, 1 );\nLineSeg( -14,-16, -18,-16, 1 );\n"
        "LineSeg( -18,-16, -18,-20, 1 );\nLineSeg( -18,-20, -30,-20, 1 );\nLineSeg( -30,-20, -30,-30, 1 );\n";
    const std::string refusal = "Ошибка:\nКонтур нельзя обработать в циклах G71\n";
    struct Case {
        const char* name;
        const char* profile;
        const char* demands;
        std::string message;  // empty: one cycle frame of the whole region
        bool stated;          // its profile's first block names both axes
    };
    const std::vector<Case> cases = {
        {"stairs, type II", kStairs, "MonotonZ", "", false},
        {"stairs, type I", kStairs, "MonotonXZ", "", false},
        {"groove, type II", kGroove, "MonotonZ", "", true},
        {"groove, type I", kGroove, "MonotonXZ", refusal + CTurnMnogoProhod::kTurnsBackXText + "Z-15.000 D40.000",
         false},
        {"groove, either", kGroove, "MonotonXZ MonotonZ", "", true},
        {"dovetail, type II", kDovetail, "MonotonZ", refusal + CTurnMnogoProhod::kTurnsBackZText + "Z-10.000 D40.000",
         false},
        {"dovetail, type II or a trapezoid form", kDovetail, "MonotonZ TrapecG1",
         refusal + CTurnMnogoProhod::kTurnsBackZText + "Z-10.000 D40.000", false},
        {"V-groove, type I or a trapezoid form", kVGroove, "MonotonXZ TrapecV1", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTurnMnogoProhod& op = Cycle(c.profile, c.demands);
        EXPECT_EQ(op.messageText, c.message);
        const auto cycles = Cycles(op);
        if (!c.message.empty()) {
            EXPECT_TRUE(cycles.empty());
            continue;
        }
        ASSERT_FALSE(cycles.empty());
        if (std::string(c.demands).find("Trapec") != std::string::npos) {
            EXPECT_EQ(cycles[0]->printContour, nullptr) << "the trapezoids";
            continue;
        }
        ASSERT_EQ(cycles.size(), 1u);
        ASSERT_TRUE(cycles[0]->printContour);
        EXPECT_EQ(cycles[0]->statePrintStart, c.stated ? 1 : 0);
    }
}

// A description that lists a group of the operation's type before the cycle
// (CYCLE_GROUP(G70, ..., Turning)) once made the operation take the group,
// whose frame then wrote through a provider it never had.
TEST_F(TurnCycleOutputTest, AGroupOfTheTypeIsPassedByForTheCycleAfterIt) {
    CTurnMnogoProhod& op = Cycle(kStairs, "", 0.0, true);
    EXPECT_EQ(post->GetCountCyclesOfType("Turning"), 1);
    ASSERT_EQ(op.messageText, "");
    const auto cycles = Cycles(op);
    ASSERT_EQ(cycles.size(), 1u);
    EXPECT_EQ(cycles[0]->GetGCode(), "G71");
    EXPECT_FALSE(cycles[0]->groupFlag);
}

// Only the forms named are tried: the staircase fits form 1 (one trapezoid
// per step) but not the mirrored V2, which alone is asked for the refusal.
TEST_F(TurnCycleOutputTest, DemandsChooseTheTrapezoidForm) {
    CTurnMnogoProhod& g1 = Cycle(kStairs, "TrapecG1");
    ASSERT_EQ(g1.messageText, "");
    const auto traps = Cycles(g1);
    ASSERT_GE(traps.size(), 2u);
    for (const CCycle_Auto* c : traps) {
        ASSERT_TRUE(c->workContour && c->secondContour);
        EXPECT_EQ(c->workContour->Count(), 4);
        EXPECT_TRUE(c->workContour->IsClosed());
        EXPECT_EQ(c->start.z, c->workContour->GetFirstUnit()->StartPoint.z);
        EXPECT_EQ(c->start.x, c->workContour->GetFirstUnit()->StartPoint.x);
    }

    CTurnMnogoProhod& v2 = Cycle(kStairs, "TrapecV2");
    EXPECT_EQ(v2.messageText, "Ошибка:\nКонтур нельзя обработать в циклах G71");
    EXPECT_TRUE(Cycles(v2).empty());
}

// Start points by the region's shape: a step falling from the free end, a
// single face and a single diameter, each from the stock's rectangle.
TEST_F(TurnCycleOutputTest, StartPointFollowsTheRegionShape) {
    struct Case {
        const char* name;
        const char* profile;
        bool across, along;
    };
    const std::vector<Case> cases = {
        {"stairs", kStairs, false, false},
        {"face", "LineSeg( -5.5,1, -5.5,-30, 1 );\n", true, false},
        {"diameter", "LineSeg( 5,-20, -70,-20, 1 );\n", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTurnMnogoProhod& op = Cycle(c.profile, " ");
        ASSERT_EQ(op.messageText, "");
        ASSERT_EQ(op.calc.regionList.size(), 1u);
        EXPECT_EQ(op.OnePieceAcrossPass, c.across);
        EXPECT_EQ(op.OnePieceAlongPass, c.along);
        const auto cycles = Cycles(op);
        ASSERT_EQ(cycles.size(), 1u);
        BoundBox box;
        ContoursBoundingBox(*op.calc.pairedList[0], *op.calc.pairedList[0], box);
        const Contour& w = *op.calc.regionList[0];
        const double x1 = w.GetFirstUnit()->StartPoint.x, xn = w.GetLastUnit()->EndPoint.x;
        const double a = op.Vrezanie, o = op.Perebeg;
        double rx = box.xmin - o, rz = box.zmax + a;
        if (c.across) {
            rz = x1 <= xn ? box.zmin - a : box.zmax + a;
            rx = box.xmin - a;
        }
        if (c.along) {
            rx = box.xmin - a;
            rz = box.zmax + a;
        }
        EXPECT_NEAR(cycles[0]->start.x, rx, 1e-9);
        EXPECT_NEAR(cycles[0]->start.z, rz, 1e-9);
    }
}

// The operation's program text, then the contours each cycle frame owns
// (a rapid unit marked so).
std::string CycleFramesText(test::OperationRunner& runner, const CTurn& op) {
    std::string text = runner.Text(0);
    int k = 0;
    for (const auto& frame : op.Frames()) {
        const auto* c = dynamic_cast<const CCycle_Auto*>(frame.get());
        if (!c) continue;
        text += "cycle " + std::to_string(++k) + "\n";
        const std::pair<const char*, const Contour*> contours[] = {
            {"work", c->workContour.get()}, {"second", c->secondContour.get()}, {"print", c->printContour.get()}};
        for (const auto& [name, contour] : contours) {
            if (!contour) continue;
            text += std::string(" ") + name + "\n";
            for (int i = 0; i < contour->Count(); ++i)
                text += std::string(contour->GetUnit(i)->IsRapid ? "  rapid " : "  ") +
                        contour->GetUnit(i)->GetScriptText();
        }
    }
    return text;
}

// Each form over the fixture parts that fit it: the general form (with a
// rounded tool, whose offset makes the second contour) takes every part;
// the trapezoid forms, with a sharp tool, the parts of lines that step the
// right way.
TEST_F(TurnCycleOutputTest, GoldenFramesOfTheFixtureParts) {
    struct Form {
        const char* file;
        const char* demands;
        double cornerRadius;
    };
    const Form forms[] = {
        {"general", " ", 0.8},
        {"trapezoid_g1", "TrapecG1", 0.0},
        {"trapezoid_g3", "TrapecG3", 0.0},
        {"trapezoid_v1", "TrapecV1", 0.0},
        {"trapezoid_v3", "TrapecV3", 0.0},
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.file);
        std::string text;
        for (const test::FixturePart& part : test::FixtureParts()) {
            runner->Bar(part.barLength, part.barDiameter, part.barInner, part.barZ)
                .InnerPoint(part.innerZ, part.innerX);
            CTurnMnogoProhod& op = Cycle(part.profile, form.demands, form.cornerRadius);
            if (!op.messageText.empty()) {
                EXPECT_NE(form.cornerRadius, 0.8) << part.name << ": " << op.messageText;
                continue;
            }
            text += std::string("== ") + part.name + "\n" + CycleFramesText(*runner, op);
        }
        test::ExpectGolden(std::string("cycles/") + form.file + ".txt", text);
    }
}

}  // namespace
}  // namespace zarvento
