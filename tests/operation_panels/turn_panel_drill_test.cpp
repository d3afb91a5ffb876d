// The drilling operation's panel: its layout on both hosts, the hole modes
// (centring's diameter and depth, the fields the drill fills), the name
// rule, approach and overrun, the tabs of a hole given by a sketch, and the
// drilling cycle's dialog.
#include <gtest/gtest.h>

#include "kind_panel_test_support.h"
#include "nc/cycle_auto.h"
#include "operation_panels/turn_panel_drill.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn_drill.h"
#include "post/post_processor.h"

namespace zarvento::test {
namespace {

constexpr const char* kHole = "LineSeg( -25,0, -20,-5, 1 );\nLineSeg( -20,-5, 5,-5, 1 );\n";

int cycleAnswer = 0;
int cycleRuns = 0;
int AnswerCycle(CCycle_Auto&) {
    ++cycleRuns;
    return cycleAnswer;
}

class DrillPanelTest : public KindPanelTest {
protected:
    void SetUp() override {
        KindPanelTest::SetUp();
        KindTool(*runner, 2, CTurnDRILL::kDrillKind, {{"D", 10.0}, {"__D", 10.0}, {"fi", 45.0}});
    }
    CTurnDRILL& Drill(const std::function<void(CTurnDRILL&)>& setup = {}) {
        CTurn& op = runner->Add(std::make_unique<CTurnDRILL>(), kHole, [&](CTurn& o) {
            auto& d = dynamic_cast<CTurnDRILL&>(o);
            d.isSilent = true;
            d.isAutoTool = false;
            d.nToolPosition = -1;
            d.SposobDrill = CTurnDRILL::kFromBase;
            d.Diametr = 10.0;
            d.Glubina = 20.0;
            d.GlubinaCentr = 1.5;
            if (setup) setup(d);
        });
        runner->Run();
        return dynamic_cast<CTurnDRILL&>(op);
    }
    static void GiveDrillingCycle(CTurn& op) {
        CPostProcessor post("Станок", "");
        auto cycle = std::make_unique<CCycle_Auto>();
        cycle->SetType("Drilling");
        cycle->SetGCode("G83");
        cycle->SetName("Сверление");
        post.AddCycleDefinition(std::move(cycle));
        op.SetPostProcessorData(&post);
    }
};

class DrillPanelLayoutTest : public DrillPanelTest, public ::testing::WithParamInterface<int> {};

TEST_P(DrillPanelLayoutTest, TheHoleGroupsTheDrillingKindsAndTheElementaryCycle) {
    SetHostVersion({GetParam(), 0, 0, 0});
    CTurnDRILL& op = Drill([](CTurnDRILL& d) { GiveDrillingCycle(d); });
    CTurnPanelDRILL panel(op);
    Open(panel, &op);
    ExpectGolden("operation_panels/drill_panel_host" + std::to_string(GetParam()) + ".txt", Manager().Dump());
    ASSERT_NE(panel.cycleList, nullptr);
    ASSERT_EQ(panel.cycleList->Items().size(), 1u);
    EXPECT_EQ(panel.cycleList->Items()[0].text, "Цикл сверления");
    EXPECT_FALSE(panel.cycleList->Enabled());
    EXPECT_EQ(panel.nameList->Items().size(), 10u);
    EXPECT_EQ(panel.nameList->Items()[9].text, "Зенкование");
    EXPECT_EQ(panel.modeList->HelpTopic(), CTurnPanelDRILL::kHelpTopic);
    EXPECT_FALSE(panel.radiusBox->Visible());
    Close(panel);
}

INSTANTIATE_TEST_SUITE_P(Hosts, DrillPanelLayoutTest, ::testing::Values(16, 17));

TEST_F(DrillPanelTest, CentringTakesItsDiameterAndDepthAndGivesTheDepthBackUnchanged) {
    CTurnDRILL& op = Drill();
    CTurnPanelDRILL panel(op);
    Open(panel, &op);
    OpenTab(panel, CTurnPanel::kWorkingTab);
    EXPECT_EQ(panel.depthField->Value().ToR8(), 20.0);
    Set(panel.modeList, "Центрование ");
    EXPECT_EQ(panel.SposobDrill, CTurnDRILL::kCentring);
    EXPECT_EQ(panel.Diametr, 3.15);
    EXPECT_EQ(panel.diameterField->Value().ToR8(), 3.15);
    EXPECT_EQ(panel.depthField->Value().ToR8(), 1.5) << "the centring depth";
    EXPECT_EQ(panel.HoleBuilder().Glubina, 1.5);
    Set(panel.depthField, "2.5");
    EXPECT_EQ(panel.GlubinaCentr, 2.5);
    EXPECT_EQ(panel.Glubina, 20.0);
    Set(panel.modeList, "От базы ");
    EXPECT_EQ(panel.depthField->Value().ToR8(), 20.0) << "the hole's depth, untouched by centring";
    EXPECT_EQ(panel.HoleBuilder().Glubina, 20.0);
    EXPECT_TRUE(panel.baseZField->Visible());
    EXPECT_FALSE(panel.WorkingContourTab().surfaceTable && panel.WorkingContourTab().surfaceTable->Visible());
    Set(panel.baseZField, "-3");
    EXPECT_EQ(panel.Zbase, -3.0);
    EXPECT_EQ(panel.HoleBuilder().Zbase, -3.0);
    EXPECT_EQ(op.Zbase, 0.0) << "the plan's operation waits for OK";
    Close(panel);
}

TEST_F(DrillPanelTest, TheNameIsTheDiameterOrCentringInElementaryMovesAndTheCycleInMachineCycles) {
    CTurnDRILL& op = Drill([](CTurnDRILL& d) {
        GiveDrillingCycle(d);
        d.isAutoName = true;
    });
    CTurnPanelDRILL panel(op);
    Open(panel, &op);
    OpenTab(panel, CTurnPanel::kWorkingTab);
    panel.UpdateCaption();
    EXPECT_EQ(panel.sNameTurn, "Сверление d10");
    Set(panel.diameterField, "8.5");
    EXPECT_EQ(panel.sNameTurn, "Сверление d8.5") << "the rebuilt contour renames";
    Set(panel.modeList, "Центрование ");
    EXPECT_EQ(panel.sNameTurn, "Центрование");
    EXPECT_EQ(panel.nameList->CurrentItem(), 6);
    Set(panel.modeList, "От базы ");
    EXPECT_EQ(panel.sNameTurn, "Сверление d3.15");
    EXPECT_EQ(panel.nameList->Value().ToBStr(), "Сверление d3.15");
    Set(panel.schemeList, "В машинных циклах");
    EXPECT_EQ(panel.sNameTurn, "Сверление d3.15") << "machine cycles keep the name";
    EXPECT_EQ(panel.nameList->Value().ToBStr(), "Сверление d3.15, [G83]");
    Close(panel);
}

TEST_F(DrillPanelTest, TheDrillInTheChosenPositionFillsTheFieldsItGives) {
    CTurnDRILL& op = Drill([](CTurnDRILL& d) { d.nToolPosition = 2; });
    CTurnPanelDRILL panel(op);
    Open(panel, &op);
    OpenTab(panel, CTurnPanel::kWorkingTab);
    EXPECT_TRUE(panel.diameterField->ReadOnly()) << "from a base too the drill gives both";
    EXPECT_TRUE(panel.tipAngleField->ReadOnly());
    Set(panel.modeList, "По поверхности  ");
    EXPECT_TRUE(panel.diameterField->ReadOnly());
    EXPECT_TRUE(panel.tipAngleField->ReadOnly());
    EXPECT_EQ(panel.tipAngleField->Value().ToR8(), 90.0) << "twice the drill's fi";
    EXPECT_FALSE(panel.depthField->Visible());
    Set(panel.modeList, "Центрование ");
    EXPECT_FALSE(panel.diameterField->ReadOnly()) << "a drill gives no centring diameter";
    EXPECT_TRUE(panel.tipAngleField->ReadOnly()) << "but its tip";
    Set(panel.modeList, "От базы ");
    EXPECT_TRUE(panel.diameterField->ReadOnly()) << "the drill's diameter replaces a typed one";
    // Without a tool in the position the faces leave the fields to the user.
    panel.nToolPosition = 5;
    Set(panel.modeList, "По поверхности  ");
    EXPECT_FALSE(panel.diameterField->ReadOnly());
    Close(panel);
}

// What the fields show is what the operation keeps: a tool chosen after a
// change of mode gives the diameter to the field, the contour and the name
// alike; the closing angle follows the tip; a value the drill gives cannot
// be typed over; the builder writes into the panel's tip and diameter.
TEST_F(DrillPanelTest, TheFieldsTheContourAndTheNameShowWhatTheOperationKeeps) {
    EXPECT_DOUBLE_EQ(CTurnDRILL().ClosedAngle1, 121.0) << "the closing angle of the default tip";
    KindTool(*runner, 3, CTurnDRILL::kDrillKind, {{"D", 6.0}, {"__D", 6.0}, {"fi", 60.5}});
    CTurnDRILL& op = Drill([](CTurnDRILL& d) {
        d.isAutoName = true;
        d.isAutoTool = true;
    });
    CTurnPanelDRILL panel(op);
    Open(panel, &op);
    OpenTab(panel, CTurnPanel::kWorkingTab);
    Set(panel.modeList, "Центрование ");
    Set(panel.modeList, "От базы ");
    EXPECT_EQ(panel.nToolPosition, 3) << "the drill nearest the centre hole";
    EXPECT_EQ(panel.Diametr, 6.0);
    EXPECT_EQ(panel.diameterField->Value().ToR8(), 6.0);
    EXPECT_EQ(panel.sNameTurn, "Сверление d6");
    ASSERT_TRUE(panel.workContour);
    double wall = 0.0;
    for (int i = 0; i < panel.workContour->Count(); ++i)
        wall = std::min(wall, panel.workContour->GetUnit(i)->EndPoint.x);
    EXPECT_NEAR(-2.0 * wall, 6.0, 1e-9) << "the hole is the drill's";
    EXPECT_EQ(panel.AngleDrill, 121.0);
    EXPECT_EQ(panel.tipAngleField->Value().ToR8(), 121.0);
    EXPECT_EQ(panel.ClosedAngle1, 180.0 - 121.0 / 2.0) << "the closing angle of the drill's tip";
    EXPECT_EQ(panel.startAngleField->Value().ToR8(), panel.ClosedAngle1);
    EXPECT_TRUE(panel.diameterField->ReadOnly()) << "the drill gives the diameter";
    EXPECT_TRUE(panel.tipAngleField->ReadOnly());
    // The hole builder writes into the panel's own fields.
    ASSERT_NE(panel.HoleBuilder().tipAngleControl, nullptr);
    ASSERT_NE(panel.HoleBuilder().diameterControl, nullptr);
    panel.HoleBuilder().diameterControl->SetValue(Variant::R8(7.5));
    EXPECT_EQ(panel.diameterField->Value().ToR8(), 7.5);
    Close(panel);
}

TEST_F(DrillPanelTest, ApproachAndOverrunKeepTheirRangesAndRecalculate) {
    CTurnDRILL& op = Drill();
    CTurnPanelDRILL panel(op);
    Open(panel, &op);
    const int before = panel.RecalculationCount();
    Set(panel.approachField, "-50");
    EXPECT_EQ(panel.Vrezanie, -50.0);
    EXPECT_FALSE(Manager().UserSetValue(*panel.approachField, "-51").done);
    EXPECT_FALSE(Manager().UserSetValue(*panel.overrunField, "-1").done);
    Set(panel.overrunField, "100");
    EXPECT_EQ(panel.Perebeg, 100.0);
    EXPECT_EQ(panel.RecalculationCount() - before, 2);
    Close(panel);
}

TEST_F(DrillPanelTest, AHoleGivenByASketchKeepsTheHoleControlsHiddenOnEveryTab) {
    CTurnDRILL& op = Drill();
    CTurnPanelDRILL panel(op);
    Open(panel, &op);
    OpenTab(panel, CTurnPanel::kWorkingTab);
    ASSERT_NE(panel.WorkingContourTab().methodGroup, nullptr);
    Command(panel.WorkingContourTab().methodGroup, CContourTAB::kButtonSketch);
    for (int tab : {CTurnPanel::kStrategyTab, CTurnPanel::kWorkingTab, CTurnPanel::kToolTab, CTurnPanel::kWorkingTab}) {
        OpenTab(panel, tab);
        for (PropertyControl* c :
             {panel.modeList, panel.baseZField, panel.depthField, panel.tipAngleField, panel.diameterField})
            EXPECT_FALSE(c->Visible()) << "tab " << tab;
    }
    Command(panel.WorkingContourTab().methodGroup, CContourTAB::kButtonFaces);
    OpenTab(panel, CTurnPanel::kWorkingTab);
    EXPECT_TRUE(panel.modeList->Visible());
    EXPECT_TRUE(panel.depthField->Visible()) << "from a base";
    Close(panel);
}

TEST_F(DrillPanelTest, TheCycleDialogRecalculatesOnlyAfterOk) {
    CTurnDRILL& op = Drill([](CTurnDRILL& d) { GiveDrillingCycle(d); });
    const CycleDialogRunner before = RegisterCycleDialogRunner(&AnswerCycle);
    CTurnPanelDRILL panel(op);
    Open(panel, &op);
    ASSERT_NE(panel.cycleParametersButton, nullptr);
    cycleRuns = 0;
    cycleAnswer = 2;
    int recalculations = panel.RecalculationCount();
    Press(panel.cycleParametersButton);
    EXPECT_EQ(cycleRuns, 1);
    EXPECT_EQ(panel.RecalculationCount(), recalculations) << "cancelled: the path stays";
    cycleAnswer = 1;
    Press(panel.cycleParametersButton);
    EXPECT_EQ(panel.RecalculationCount(), recalculations + 1);
    // In machine cycles the post-processor's cycle is opened; none of the
    // number opens nothing.
    Set(panel.schemeList, "В машинных циклах");
    recalculations = panel.RecalculationCount();
    Press(panel.cycleParametersButton);
    EXPECT_EQ(cycleRuns, 3);
    EXPECT_EQ(panel.RecalculationCount(), recalculations + 1);
    panel.indCycle = 4;
    Press(panel.cycleParametersButton);
    EXPECT_EQ(cycleRuns, 3);
    RegisterCycleDialogRunner(before);
    Close(panel);
}

TEST_F(DrillPanelTest, AWaitingPanelBlockRunsThePanelAndOtherwiseTheOperationIsAnsweredWhole) {
    CTurnDRILL& op = Drill();
    Queue({{"tab", "Рабочий контур"}, {"set", "Диаметр отверстия", "12"}, {"ok"}});
    EXPECT_EQ(op.Edit(), 1);
    EXPECT_EQ(op.Diametr, 12.0);
    EXPECT_FALSE(ScriptedUser::Instance().Has(UserSession::Kind::Panel, CTurnPanel::kScriptName));
    // No block waits: the answer form, as scripts wrote before the panels.
    HeadlessTurnPanels headless;
    PlanPanels* previous = RegisterPlanPanels(&headless);
    PanelScript::Instance().Queue(PlanPanels::kTurn, PanelAnswer{IDOK_, {{"name", "Отверстие"}}});
    EXPECT_EQ(op.Edit(), IDOK_);
    RegisterPlanPanels(previous);
    EXPECT_EQ(op.sNameTurn, "Отверстие");
}

}  // namespace
}  // namespace zarvento::test
