// The groove operation's panel: its layout on both hosts, the direction that
// rebuilds the working contour, the binding that only recalculates and that
// the tool may lock, and the dwell read by the next calculation.
#include <gtest/gtest.h>

#include <algorithm>

#include "kind_panel_test_support.h"
#include "nc/cadre_g04.h"
#include "operation_panels/turn_panel_kanavka.h"
#include "operations/turn_kanavka.h"

namespace zarvento::test {
namespace {

// A groove 4 wide and 4 deep in the outside of the bar.
constexpr const char* kGroove =
    "LineSeg( -10,-26, -10,-22, 1 );\nLineSeg( -10,-22, -14,-22, 1 );\nLineSeg( -14,-22, -14,-26, 1 );\n";

class GroovePanelTest : public KindPanelTest {
protected:
    CTurnKANAVKA& Groove(const std::function<void(CTurnKANAVKA&)>& setup = {}) {
        KindTool(*runner, 2, CTurnKANAVKA::kGroovingToolKind, {{"width", 4.0}});
        CTurn& op = runner->AddKind(kTurnKANAVKA, kGroove, [&](CTurn& o) {
            auto& g = dynamic_cast<CTurnKANAVKA&>(o);
            g.isSilent = true;
            g.isAutoTool = false;
            g.nToolPosition = 2;
            if (setup) setup(g);
        });
        runner->Run();
        return dynamic_cast<CTurnKANAVKA&>(op);
    }
    static bool Dwells(const CTurn& op) {
        return std::any_of(op.Frames().begin(), op.Frames().end(),
                           [](const auto& f) { return dynamic_cast<const CCadre_G04*>(f.get()) != nullptr; });
    }
};

class GroovePanelLayoutTest : public GroovePanelTest, public ::testing::WithParamInterface<int> {};

TEST_P(GroovePanelLayoutTest, DirectionBindingApproachAndDwell) {
    const int host = GetParam();
    SetHostVersion({host, 0, 0, 0});
    CTurnKANAVKA& op = Groove([](CTurnKANAVKA& g) { g.Pause = 0.5; });
    CTurnPanelKANAVKA panel(op);
    Open(panel, &op);
    ExpectGolden("operation_panels/groove_panel_host" + std::to_string(host) + ".txt", Manager().Dump());
    EXPECT_EQ(panel.grooveDirectionGroup->Caption(), host < 17 ? "" : "Направление");
    EXPECT_EQ(panel.bindingGroup->Caption(), host < 17 ? "Привязка резца" : "Привязка");
    // Below host 17 a separator follows the direction group.
    PropertyTab& tab = *panel.HostTab(CTurnPanel::kWorkingTab);
    int at = -1;
    for (int k = 0; k < tab.ControlCount(); ++k)
        if (&tab.Control(k) == panel.grooveDirectionGroup) at = k;
    ASSERT_GE(at, 0);
    ASSERT_LT(at + 1, tab.ControlCount());
    EXPECT_EQ(tab.Control(at + 1).Kind() == PropertyControlKind::Empty, host < 17);
    EXPECT_EQ(panel.dwellField->HelpTopic(), CTurnPanelKANAVKA::kHelpTopic);
    Close(panel);
}

INSTANTIATE_TEST_SUITE_P(Hosts, GroovePanelLayoutTest, ::testing::Values(16, 17));

TEST_F(GroovePanelTest, AlongZRebuildsTheContourAndTheBindingOnlyRecalculates) {
    CTurnKANAVKA& op = Groove();
    CTurnPanelKANAVKA panel(op);
    Open(panel, &op);
    struct Case {
        const char* what;
        PropertyControl* control;
        int id;
        bool along;
        int binding;
        int builds;
        int recalculations;
    };
    const Case cases[] = {
        {"along Z", panel.grooveDirectionGroup, CTurnPanelKANAVKA::kAlongZ, true, 0, 1, 0},
        {"right", panel.bindingGroup, CTurnPanelKANAVKA::kBindRight, true, 1, 0, 1},
        {"along X", panel.grooveDirectionGroup, CTurnPanelKANAVKA::kAlongX, false, 1, 1, 0},
        {"left", panel.bindingGroup, CTurnPanelKANAVKA::kBindLeft, false, 0, 0, 1},
    };
    for (const Case& c : cases) {
        const int builds = panel.ContourBuildCount(), recalculations = panel.RecalculationCount();
        Command(c.control, c.id);
        EXPECT_EQ(panel.indNapr, c.along) << c.what;
        EXPECT_EQ(panel.GrooveBuilder().grooveDirection, c.along ? 1 : 0) << c.what;
        EXPECT_EQ(panel.indPrivaz, c.binding) << c.what;
        EXPECT_EQ(panel.ContourBuildCount() - builds, c.builds) << c.what;
        EXPECT_EQ(panel.RecalculationCount() - recalculations, c.recalculations) << c.what;
    }
    EXPECT_EQ(op.indNapr, false) << "the plan's operation waits for OK";
    Close(panel);
}

TEST_F(GroovePanelTest, ATheToolsOwnBindingLocksTheBindingButtons) {
    CTurnKANAVKA& op = Groove();
    KindTool(*runner, 3, CTurnKANAVKA::kGroovingToolKind, {{"width", 4.0}, {"base", 0.99}});
    CTurnPanelKANAVKA panel(op);
    Open(panel, &op);
    EXPECT_TRUE(panel.bindingGroup->Enabled());
    // Choosing the tool recalculates the copy's path, which takes the
    // binding from the tool, and the list shows it at once.
    ASSERT_TRUE(Manager().UserSelect(*panel.toolList, 3).done);
    ASSERT_EQ(panel.nToolPosition, 3);
    ASSERT_TRUE(panel.isPrivazFromTool);
    EXPECT_FALSE(panel.bindingGroup->Enabled());
    EXPECT_TRUE(panel.bindingGroup->Button(CTurnPanelKANAVKA::kBindRight)->pressed) << "the tool's binding";
    EXPECT_FALSE(panel.bindingGroup->Button(CTurnPanelKANAVKA::kBindLeft)->pressed);
    EXPECT_FALSE(Manager().UserCommand(*panel.bindingGroup, CTurnPanelKANAVKA::kBindLeft).done);
    Close(panel);
    // A panel opened on an operation whose tool binds shows the lock at once.
    op.nToolPosition = 3;
    runner->Run();
    CTurnPanelKANAVKA locked(op);
    Open(locked, &op);
    EXPECT_FALSE(locked.bindingGroup->Enabled());
    Close(locked);
}

TEST_F(GroovePanelTest, ANewDwellTakesEffectAtTheNextRecalculation) {
    CTurnKANAVKA& op = Groove();
    CTurnPanelKANAVKA panel(op);
    Open(panel, &op);
    panel.RecalculatePath();
    ASSERT_FALSE(panel.HasMessage()) << panel.messageText;
    EXPECT_FALSE(Dwells(panel));
    const int recalculations = panel.RecalculationCount();
    Set(panel.dwellField, "0.5");
    EXPECT_EQ(panel.Pause, 0.5);
    EXPECT_EQ(panel.RecalculationCount(), recalculations);
    EXPECT_FALSE(Dwells(panel)) << "not at once";
    Set(panel.approachField, "2");
    EXPECT_EQ(panel.Vrezanie, 2.0);
    EXPECT_EQ(panel.RecalculationCount(), recalculations + 1);
    EXPECT_TRUE(Dwells(panel));
    Close(panel);
}

}  // namespace
}  // namespace zarvento::test
