// Multi-pass groove in elementary moves: the plunge count and step, the
// dwell, the binding vertex, direction and side, the retract clear of the
// stock, the tool's width and base, the refusals, and the golden plunges of
// the fixture grooves.
#include <gtest/gtest.h>

#include <cmath>

#include "catalogs/param_tool.h"
#include "fixture_parts.h"
#include "geometry/contour_script.h"
#include "golden_file.h"
#include "multipass_test_support.h"
#include "nc/cadre_g04.h"
#include "nc/cadre_line_g01.h"
#include "operations/kind_support.h"
#include "operations/path_clearance.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"
#include "path_checks.h"

namespace zarvento {
namespace {

// A groove 6 wide and 5 deep in the bar's surface.
constexpr const char* kGroove =
    "LineSeg( 5,-25, -10,-25, 1 );\nLineSeg( -10,-25, -10,-20, 1 );\nLineSeg( -10,-20, -16,-20, 1 );\n"
    "LineSeg( -16,-20, -16,-25, 1 );\nLineSeg( -16,-25, -40,-25, 1 );\n";

// A groove 6 wide and 3 deep in a bore of radius 10, the bar bored to 20.
constexpr const char* kBoreGroove =
    "LineSeg( -40,-5, -40,-10, 1 );\nLineSeg( -40,-10, -20,-10, 1 );\nLineSeg( -20,-10, -20,-13, 1 );\n"
    "LineSeg( -20,-13, -14,-13, 1 );\nLineSeg( -14,-13, -14,-10, 1 );\nLineSeg( -14,-10, 5,-10, 1 );\n";

class TurnGrooveAcrossTest : public test::OperationTest {
protected:
    CTurnMnogoProhod& Groove(const std::string& profile, const std::function<void(CTurnMnogoProhod&)>& setup) {
        runner->Clear();
        runner->Part(profile);
        CTurn& op = runner->AddKind(kTurnMnogoProhod, profile, [&](CTurn& o) {
            auto& m = dynamic_cast<CTurnMnogoProhod&>(o);
            m.indCycleElementar = 1;
            m.isAutoTool = false;
            m.nToolPosition = 3;
            setup(m);
        });
        runner->Run();
        return dynamic_cast<CTurnMnogoProhod&>(op);
    }

    // The moves and dwells in order: "R" (rapid) or "F" (feed) and the end
    // point as z,x; "P" and the seconds of a dwell.
    static std::string Moves(const CTurn& op) {
        std::string text;
        for (const auto& frame : op.Frames()) {
            if (const auto* g04 = dynamic_cast<const CCadre_G04*>(frame.get()))
                text += " P" + FormatGeneral(g04->dwell);
            if (!dynamic_cast<const CCadre_LineG01*>(frame.get())) continue;
            text += std::string(frame->rapid ? " R" : " F") + FormatGeneral(frame->end.z) + "," +
                    FormatGeneral(frame->end.x);
        }
        return text.empty() ? text : text.substr(1);
    }

    // The Z of every plunge (a cut that runs across the axis at feed).
    static std::vector<double> PlungeZ(const CTurn& op) {
        std::vector<double> z;
        for (const auto& frame : op.Frames()) {
            StepArray<CUnit*> units(4);
            frame->AddPathUnits(units);
            if (units.Count() == 0 || frame->rapid) continue;
            if (std::fabs(frame->start.z - frame->end.z) < 1e-9 && frame->end.x > frame->start.x + 1e-9)
                z.push_back(frame->start.z);
        }
        return z;
    }
};

// The groove is 6 wide: H = 6 - w. The count is ceil(H / t) + 1; the
// corrected step spreads the plunges evenly, otherwise the last one takes
// what is left. The left binding starts one tool width inside the wall.
TEST_F(TurnGrooveAcrossTest, PlungeCountAndStep) {
    struct Case {
        double step, width;
        bool correct;
        std::vector<double> plunges;
    };
    const std::vector<Case> cases = {
        {2.0, 2.0, false, {-12, -14, -16}},  // H an exact multiple of t
        {3.0, 2.0, false, {-12, -15, -16}},  // the last step takes the rest
        {2.5, 2.0, false, {-12, -14.5, -16}},
        {2.5, 2.0, true, {-12, -14, -16}},  // spread evenly
        {3.0, 1.0, true, {-11, -13.5, -16}},
        {2.0, 6.0, false, {-16, -16}},                  // as wide as the tool: two plunges at one Z
        {5.0, 2.0, false, {-12, -16}},                  // narrower than a step: still two plunges
        {0.7, 3.9, false, {-13.9, -14.6, -15.3, -16}},  // 2.1 / 0.7 a hair above 3 counts as 3
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "t " << c.step << ", w " << c.width << (c.correct ? ", corrected" : ""));
        CTurnMnogoProhod& op = Groove(kGroove, [&](CTurnMnogoProhod& o) {
            test::SetCycleValue(o.grooveCycle, "P1", c.step);
            test::SetCycleValue(o.grooveCycle, "P2", c.width);
            test::SetCycleValue(o.grooveCycle, "P4", c.correct ? 1 : 0);
        });
        ASSERT_EQ(op.messageText, "");
        const std::vector<double> z = PlungeZ(op);
        ASSERT_EQ(z.size(), c.plunges.size());
        for (std::size_t k = 0; k < z.size(); ++k) EXPECT_NEAR(z[k], c.plunges[k], 1e-9) << k;
    }
}

TEST_F(TurnGrooveAcrossTest, DwellAtTheBottomOfEveryPlunge) {
    CTurnMnogoProhod& op = Groove(kGroove, [](CTurnMnogoProhod& o) {
        test::SetCycleValue(o.grooveCycle, "P1", 2.0);
        test::SetCycleValue(o.grooveCycle, "P2", 2.0);
        test::SetCycleValue(o.grooveCycle, "P6", 0.5);
    });
    int dwells = 0;
    for (const auto& frame : op.Frames()) {
        if (const auto* g04 = dynamic_cast<const CCadre_G04*>(frame.get())) {
            ++dwells;
            EXPECT_DOUBLE_EQ(g04->dwell, 0.5);
        }
    }
    EXPECT_EQ(dwells, 3);
}

// The tool's own width and base replace the cycle's values and lock them;
// a base of 1.996 is the right binding vertex, which plunges from the
// groove's near wall with the second edge behind it.
TEST_F(TurnGrooveAcrossTest, ToolWidthAndBaseTakeOverTheCycleValues) {
    ParamTool& tool = runner->Tool(3, "Резец канавочный", 0.0);
    test::SetToolVariable(tool, "width", 2.0);
    test::SetToolVariable(tool, "base", 1.996);
    CTurnMnogoProhod& op = Groove(kGroove, [](CTurnMnogoProhod& o) {
        test::SetCycleValue(o.grooveCycle, "P1", 2.0);
        test::SetCycleValue(o.grooveCycle, "P2", 5.0);
    });
    ASSERT_EQ(op.messageText, "");
    EXPECT_EQ(op.indPrivazTool, 2);
    EXPECT_DOUBLE_EQ(op.WidthTool, 2.0);
    EXPECT_EQ(op.grooveCycle.FindParam("P2")->kind, 'R');
    EXPECT_EQ(op.grooveCycle.FindParam("P2")->valueText, "2");
    EXPECT_EQ(op.grooveCycle.FindParam("P3")->kind, 'R');
    const std::vector<double> z = PlungeZ(op);
    ASSERT_EQ(z.size(), 3u);
    EXPECT_NEAR(z[0], -10.0, 1e-9);
    EXPECT_NEAR(z[2], -14.0, 1e-9);
}

// A tool wider than the groove would cut its walls with a backward step.
TEST_F(TurnGrooveAcrossTest, GrooveNarrowerThanTheToolIsRefused) {
    CTurnMnogoProhod& op = Groove(kGroove, [](CTurnMnogoProhod& o) {
        test::SetCycleValue(o.grooveCycle, "P1", 2.0);
        test::SetCycleValue(o.grooveCycle, "P2", 8.0);
    });
    EXPECT_EQ(op.messageText, "Ошибка:\nШирина канавки меньше ширины резца");
    EXPECT_TRUE(PlungeZ(op).empty());
}

// The whole path of a groove 6 wide with a tool 2 wide and a step of 2,
// from the home point back to it: the start one tool width inside the wall
// of the binding vertex's side, plunges from the stock less the approach
// down to the region, idle moves rapid or at feed, the dwell, a groove in a
// bore plunging outwards (the straight way to and from the home point would
// cut through the bar's wall).
TEST_F(TurnGrooveAcrossTest, PlungesByVertexDirectionAndSide) {
    struct Case {
        const char* name;
        const char* profile;
        bool napr;
        int vertex, rapidIdle;
        double pause;
        const char* moves;
    };
    const std::vector<Case> cases = {
        {"left vertex", kGroove, false, 0, 1, 0,
         "R-12,-26.5 F-12,-20 R-12,-26.5 R-14,-26.5 F-14,-20 R-14,-26.5 R-16,-26.5 F-16,-20 R-16,-26.5 R100,-100"},
        {"right vertex", kGroove, false, 1, 1, 0,
         "R-10,-26.5 F-10,-20 R-10,-26.5 R-12,-26.5 F-12,-20 R-12,-26.5 R-14,-26.5 F-14,-20 R-14,-26.5 R100,-100"},
        {"left vertex, indNapr", kGroove, true, 0, 1, 0,
         "R-16,-26.5 F-16,-20 R-16,-26.5 R-14,-26.5 F-14,-20 R-14,-26.5 R-12,-26.5 F-12,-20 R-12,-26.5 R100,-100"},
        {"right vertex, indNapr", kGroove, true, 1, 1, 0,
         "R-14,-26.5 F-14,-20 R-14,-26.5 R-12,-26.5 F-12,-20 R-12,-26.5 R-10,-26.5 F-10,-20 R-10,-26.5 R100,-100"},
        {"idle moves at feed", kGroove, false, 0, 0, 0,
         "R-12,-26.5 F-12,-20 F-12,-26.5 F-14,-26.5 F-14,-20 F-14,-26.5 F-16,-26.5 F-16,-20 F-16,-26.5 R100,-100"},
        {"dwell", kGroove, false, 0, 1, 0.25,
         "R-12,-26.5 F-12,-20 P0.25 R-12,-26.5 R-14,-26.5 F-14,-20 P0.25 R-14,-26.5 R-16,-26.5 F-16,-20 P0.25 "
         "R-16,-26.5 R100,-100"},
        {"a dwell of 0.01 is none", kGroove, false, 0, 1, 0.01,
         "R-12,-26.5 F-12,-20 R-12,-26.5 R-14,-26.5 F-14,-20 R-14,-26.5 R-16,-26.5 F-16,-20 R-16,-26.5 R100,-100"},
        {"in a bore, reached and left along the axis", kBoreGroove, false, 0, 1, 0,
         "R100,-8.5 R-16,-8.5 F-16,-13 R-16,-8.5 R-18,-8.5 F-18,-13 R-18,-8.5 R-20,-8.5 F-20,-13 R-20,-8.5 R100,-8.5 "
         "R100,-100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.profile == kBoreGroove) runner->Bar(60, 50, 20, 2).InnerPoint(-30, -20);
        CTurnMnogoProhod& op = Groove(c.profile, [&](CTurnMnogoProhod& o) {
            o.indNapr = c.napr;
            test::SetCycleValue(o.grooveCycle, "P1", 2.0);
            test::SetCycleValue(o.grooveCycle, "P2", 2.0);
            test::SetCycleValue(o.grooveCycle, "P3", c.vertex);
            test::SetCycleValue(o.grooveCycle, "P5", c.rapidIdle);
            test::SetCycleValue(o.grooveCycle, "P6", c.pause);
        });
        ASSERT_EQ(op.messageText, "");
        EXPECT_EQ(op.internalMachining, c.profile == kBoreGroove);
        EXPECT_EQ(Moves(op), c.moves);
    }
}

// The retract X keeps clear of stock standing out at either edge of the
// first plunge (a collar left by an earlier operation), not of stock
// elsewhere or nearer the axis.
TEST_F(TurnGrooveAcrossTest, RetractClearsTheStockAtThePlungeEdges) {
    struct Case {
        const char* name;
        const char* source;
        double rx;
    };
    const std::vector<Case> cases = {
        {"collar at the second edge", "LineSeg( -10,-27, -10,-25, 1 );\n", -28.5},
        {"collar at the first edge", "LineSeg( -12,-27, -12,-25, 1 );\n", -28.5},
        {"the outermost of two", "LineSeg( -10,-27, -10,-25, 1 );\nLineSeg( -12,-28, -12,-25, 1 );\n", -29.5},
        {"between the edges", "LineSeg( -11,-27, -11,-25, 1 );\n", -26.5},
        {"nearer the axis", "LineSeg( -10,-24, -10,-25, 1 );\n", -26.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTurnMnogoProhod& op = Groove(kGroove, [](CTurnMnogoProhod& o) {
            test::SetCycleValue(o.grooveCycle, "P1", 2.0);
            test::SetCycleValue(o.grooveCycle, "P2", 2.0);
        });
        op.calc.regionContour = op.calc.regionList[0]->Clone();
        op.calc.pairedContour = op.calc.pairedList[0]->Clone();
        // The stock runs on to the bar's back end, where the chuck is.
        op.sourceContour = ParseContourScript(std::string(c.source) + "LineSeg( -40,-30, -40,-29, 1 );\n");
        op.ReleaseFrames();
        op.calc.pieceIndex = 1;
        op.ElementarGroovCycleAcross();
        EXPECT_NEAR(op.calc.retractX, c.rx, 1e-9);
        ASSERT_FALSE(op.Frames().empty());
        EXPECT_NEAR(op.Frames().back()->end.x, c.rx, 1e-9) << "the last plunge returns there";
        EXPECT_NEAR(op.Frames().back()->end.z, -16.0, 1e-9);
    }
}

// The link from one groove to the next where a collar of the part stands
// higher than both ends: the route at the ends' level would run through it,
// so the link goes out over it, in either direction, its nose off the part.
TEST_F(TurnGrooveAcrossTest, LinkBetweenGroovesClearsACollarBetweenThem) {
    // Two grooves at radius 20 beside a collar of radius 24.
    const std::string profile =
        "LineSeg( 5,-22, -4,-22, 1 );\nLineSeg( -4,-22, -4,-20, 1 );\nLineSeg( -4,-20, -10,-20, 1 );\n"
        "LineSeg( -10,-20, -10,-24, 1 );\nLineSeg( -10,-24, -16,-24, 1 );\nLineSeg( -16,-24, -16,-20, 1 );\n"
        "LineSeg( -16,-20, -22,-20, 1 );\nLineSeg( -22,-20, -22,-25, 1 );\nLineSeg( -22,-25, -40,-25, 1 );\n";
    ParamTool& blade = runner->Tool(3, "Резец канавочный", 0.2);
    test::SetToolVariable(blade, "width", 2.0);
    for (bool towardsTheChuck : {true, false}) {
        SCOPED_TRACE(towardsTheChuck ? "towards the chuck" : "towards the face");
        CTurnMnogoProhod& op = Groove(profile, [](CTurnMnogoProhod&) {});
        ASSERT_EQ(op.messageText, "");
        ASSERT_NE(op.GetTool(), nullptr);
        op.ReleaseFrames();
        op.calc.pieceIndex = static_cast<int>(op.calc.regionList.size());
        op.calc.retractX = -21.0;
        op.calc.retractZ = towardsTheChuck ? -6.0 : -19.0;
        op.LinkPieces(-21.0, towardsTheChuck ? -19.0 : -6.0);
        ASSERT_FALSE(op.Frames().empty());
        const ParamTool& tool = *op.GetTool();
        const auto part = test::OperationRunner::Parse(profile);
        for (const auto& frame : op.Frames()) {
            EXPECT_TRUE(frame->rapid);
            for (int k = 0; k <= 100; ++k) {
                const double t = k / 100.0;
                const double z = frame->start.z + t * (frame->end.z - frame->start.z) + tool.dNoseDx;
                const double x = frame->start.x + t * (frame->end.x - frame->start.x) - tool.dNoseDy;
                ASSERT_GE(test::Distance(*part, z, x), tool.r - 1e-3) << "at (" << z << ", " << x << ")";
            }
        }
        EXPECT_NEAR(op.Frames().back()->end.z, towardsTheChuck ? -19.0 : -6.0, 1e-9);
        EXPECT_NEAR(op.Frames().back()->end.x, -21.0, 1e-9);
    }
}

// The clearance check follows the blade's whole edge, not its bound corner
// only: a ridge under the middle of the edge at a plunge's bottom is met.
TEST_F(TurnGrooveAcrossTest, ClearanceCheckFollowsTheBladesEdge) {
    ParamTool& blade = runner->Tool(3, "Резец канавочный", 0.2);
    test::SetToolVariable(blade, "width", 2.0);
    CTurnMnogoProhod& op = Groove(kGroove, [](CTurnMnogoProhod&) {});
    ASSERT_EQ(op.messageText, "");
    const std::vector<double> plunges = PlungeZ(op);
    ASSERT_FALSE(plunges.empty());
    double bottom = -1e9;
    for (const auto& frame : op.Frames())
        if (!frame->rapid && std::fabs(frame->start.z - plunges.front()) < 1e-9 &&
            std::fabs(frame->end.z - plunges.front()) < 1e-9)
            bottom = std::max(bottom, frame->end.x);
    // A ridge 0.2 wide standing 0.3 into the first plunge's bottom, halfway along the edge.
    const double edge = op.indPrivazTool == 0 ? op.WidthTool : -op.WidthTool;
    const double zm = plunges.front() + edge / 2;
    const std::string ridge = "LineSeg( " + FormatGeneral(zm - 0.1) + ",-19, " + FormatGeneral(zm - 0.1) + "," +
                              FormatGeneral(bottom - 0.3) + ", 1 );\nLineSeg( " + FormatGeneral(zm - 0.1) + "," +
                              FormatGeneral(bottom - 0.3) + ", " + FormatGeneral(zm + 0.1) + "," +
                              FormatGeneral(bottom - 0.3) + ", 1 );\nLineSeg( " + FormatGeneral(zm + 0.1) + "," +
                              FormatGeneral(bottom - 0.3) + ", " + FormatGeneral(zm + 0.1) + ",-19, 1 );\nLineSeg( " +
                              FormatGeneral(zm + 0.1) + ",-19, " + FormatGeneral(zm - 0.1) + ",-19, 1 );\n";
    const ClearanceOutline part(*ParseContourScript(ridge));
    const std::optional<PathIntrusion> met = FindPathIntrusion(op, part, nullptr, nullptr);
    ASSERT_TRUE(met.has_value()) << ridge << runner->Text(0);
    EXPECT_FALSE(met->rapid);
    EXPECT_GT(met->depth, 0.05);
    // The bound corner alone passes it by.
    op.WidthTool = 0.0;
    EXPECT_FALSE(FindPathIntrusion(op, part, nullptr, nullptr).has_value());
}

// Without the tool's own values the cycle's width and vertex stay editable;
// a base beyond any vertex number is not taken.
TEST_F(TurnGrooveAcrossTest, CycleValuesStayEditableWithoutTheToolsOwn) {
    struct Case {
        const char* name;
        bool width;
        double base;  // 0: none
        char widthKind, vertexKind;
        int vertex;
    };
    const std::vector<Case> cases = {
        {"neither", false, 0, 'd', 'i', 1},
        {"width only", true, 0, 'R', 'i', 1},
        {"base out of range", false, 1e300, 'd', 'i', 1},
        {"base 0.99", false, 0.99, 'd', 'R', 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParamTool& tool = runner->Tool(3, "Резец канавочный", 0.0);
        tool.Npv = 0;
        if (c.width) test::SetToolVariable(tool, "width", 3.0);
        if (c.base != 0) test::SetToolVariable(tool, "base", c.base);
        CTurnMnogoProhod& op = Groove(kGroove, [](CTurnMnogoProhod& o) {
            test::SetCycleValue(o.grooveCycle, "P1", 2.0);
            test::SetCycleValue(o.grooveCycle, "P2", 2.0);
            test::SetCycleValue(o.grooveCycle, "P3", 1);
        });
        ASSERT_EQ(op.messageText, "");
        EXPECT_EQ(op.grooveCycle.FindParam("P2")->kind, c.widthKind);
        EXPECT_EQ(op.grooveCycle.FindParam("P3")->kind, c.vertexKind);
        EXPECT_EQ(op.indPrivazTool, c.vertex);
        EXPECT_DOUBLE_EQ(op.WidthTool, c.width ? 3.0 : 2.0);
    }
}

// A width that is no width, or a step so small against the groove that the
// plunges would run into the millions, is refused before any move.
TEST_F(TurnGrooveAcrossTest, UnusableWidthOrStepIsRefused) {
    // 22 wide: with the least step of 0.001 that is 20000 plunges.
    constexpr const char* kWideGroove =
        "LineSeg( 5,-25, -10,-25, 1 );\nLineSeg( -10,-25, -10,-20, 1 );\nLineSeg( -10,-20, -32,-20, 1 );\n"
        "LineSeg( -32,-20, -32,-25, 1 );\nLineSeg( -32,-25, -40,-25, 1 );\n";
    struct Case {
        const char* profile;
        double step, width;
        const char* message;
    };
    const std::vector<Case> cases = {
        {kGroove, 2.0, -1.0, "Ошибка:\nШирина канавочного резца не может быть отрицательной"},
        {kWideGroove, 0.001, 2.0, "Ошибка:\nЧисло проходов не должно превышать 10000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        CTurnMnogoProhod& op = Groove(c.profile, [&](CTurnMnogoProhod& o) {
            test::SetCycleValue(o.grooveCycle, "P1", c.step);
            test::SetCycleValue(o.grooveCycle, "P2", c.width);
        });
        EXPECT_EQ(op.messageText, c.message);
        EXPECT_TRUE(PlungeZ(op).empty());
    }
}

// A plunge whose tool edge falls on a wall of the groove still reaches the
// groove's bottom beside that wall: the wall's top is not the depth there.
TEST_F(TurnGrooveAcrossTest, AnEdgeOnAWallReachesTheBottomBesideIt) {
    // A groove of radius 17 from z = -14 to -10 in a step of radius 20; the
    // plunges at z = -12 and -14 lie wholly over it, the one at -12 with its
    // second edge on the wall at z = -10.
    const char* profile = test::FixtureParts()[9].profile;
    ASSERT_STREQ(test::FixtureParts()[9].name, "groove");
    CTurnMnogoProhod& op = Groove(profile, [](CTurnMnogoProhod& o) {
        test::SetCycleValue(o.grooveCycle, "P1", 2.0);
        test::SetCycleValue(o.grooveCycle, "P2", 2.0);
    });
    ASSERT_EQ(op.messageText, "");
    int plunges = 0;
    for (const auto& frame : op.Frames()) {
        if (frame->rapid || std::fabs(frame->start.z - frame->end.z) > 1e-9 || frame->end.x <= frame->start.x) continue;
        ++plunges;
        const double z = frame->start.z;
        const bool overGroove = z <= -12.0 + 1e-9 && z >= -14.0 - 1e-9;
        EXPECT_NEAR(frame->end.x, overGroove ? -17.0 : -20.0, 1e-9) << "z " << z;
    }
    EXPECT_EQ(plunges, 16);
}

// The plunges with their dwell over the fixture parts that hold grooves
// (pockets under the bar's surface), each region in turn.
TEST_F(TurnGrooveAcrossTest, GoldenPlungesOfTheFixtureGrooves) {
    std::string text;
    for (const test::FixturePart& part : test::FixtureParts()) {
        const std::string name = part.name;
        if (name != "groove" && name != "undercut" && name != "two lands") continue;
        runner->Bar(part.barLength, part.barDiameter, part.barInner, part.barZ).InnerPoint(part.innerZ, part.innerX);
        CTurnMnogoProhod& op = Groove(part.profile, [](CTurnMnogoProhod& o) {
            test::SetCycleValue(o.grooveCycle, "P1", 1.5);
            test::SetCycleValue(o.grooveCycle, "P2", 2.0);
            test::SetCycleValue(o.grooveCycle, "P6", 0.5);
        });
        EXPECT_EQ(op.messageText, "") << name;
        text += "== " + name + "\n" + runner->Text(0);
    }
    test::ExpectGolden("cycles/groove_plunges.txt", text);
}

}  // namespace
}  // namespace zarvento
