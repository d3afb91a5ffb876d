// Multi-pass groove in elementary moves: the plunge count and step, the
// dwell, the binding vertex, the tool's width and base, and the refusal of a
// groove narrower than the tool.
#include <gtest/gtest.h>

#include <cmath>

#include "multipass_test_support.h"
#include "nc/cadre_g04.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations_test_support.h"

namespace zarvento {
namespace {

// A groove 6 wide and 5 deep in the bar's surface.
constexpr const char* kGroove =
    "LineSeg( 5,-25, -10,-25, 1 );\nLineSeg( -10,-25, -10,-20, 1 );\nLineSeg( -10,-20, -16,-20, 1 );\n"
    "LineSeg( -16,-20, -16,-25, 1 );\nLineSeg( -16,-25, -40,-25, 1 );\n";

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
        {2.0, 2.0, false, {-12, -14, -16}},       // H an exact multiple of t
        {3.0, 2.0, false, {-12, -15, -16}},       // the last step takes the rest
        {2.5, 2.0, false, {-12, -14.5, -16}},
        {2.5, 2.0, true, {-12, -14, -16}},        // spread evenly
        {3.0, 1.0, true, {-11, -13.5, -16}},
        {2.0, 6.0, false, {-16, -16}},            // as wide as the tool: two plunges at one Z
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

}  // namespace
}  // namespace zarvento
