// The panels of the cut-off, tap/die and chisel-threading operations: their
// layouts, what their own controls write, the cycle dialog of the cut-off,
// the thread texts and the thread-designation mode.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../operations/operations_test_support.h"
#include "geometry/contour_script.h"
#include "geometry/lsc_transform.h"
#include "golden_file.h"
#include "model/revolution_part.h"
#include "model/rotation_contours.h"
#include "operation_panels/kind_panel_support.h"
#include "operation_panels/turn_panel_otrezka.h"
#include "operation_panels/turn_panel_plashka.h"
#include "operation_panels/turn_panel_threading.h"
#include "operations/headless_turn_panels.h"
#include "panel_driver.h"
#include "panels/host_panels.h"
#include "plan/spid.h"
#include "platform/core/host_version.h"
#include "platform/core/messages.h"
#include "platform/dialogs/panel_script.h"
#include "platform/dialogs/property_manager.h"
#include "platform/dialogs/property_tab.h"
#include "platform/dialogs/scripted_user.h"
#include "platform/dialogs/selection_manager.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/host_documents.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/host/host_document_3d.h"
#include "platform/host/thread_designation.h"
#include "platform/part_model.h"

namespace zarvento::test {
namespace {

constexpr const char* kCutOffLine = "LineSeg( -30,-20, -30,0, 1 );\n";
// An outer thread of diameter 10 along Z towards the chuck.
constexpr const char* kThreadLine = "LineSeg( 0,-5, -20,-5, 1 );\n";

class ThreadPanelsTest : public OperationTest, public PanelDriver {
protected:
    void SetUp() override {
        OperationTest::SetUp();
        SetHostVersion({17, 0, 0, 0});
        runner->Part(kStepProfile);
        CreateHiddenDocument();
    }

    template <class Kind>
    Kind& Operation(int kind, const char* work, const std::function<void(Kind&)>& setup = {}) {
        CTurn& op = runner->AddKind(kind, work, [&](CTurn& o) {
            o.nToolPosition = 0;
            o.isAutoTool = false;
            if (setup) setup(dynamic_cast<Kind&>(o));
        });
        runner->Run();
        return dynamic_cast<Kind&>(op);
    }

    static void Set(PropertyControl* control, const std::string& text) {
        ASSERT_NE(control, nullptr);
        ASSERT_TRUE(Manager().UserSetValue(*control, text).done) << text;
    }
    static void Choose(PropertyControl* control, const std::string& item) {
        ASSERT_NE(control, nullptr);
        ASSERT_TRUE(Manager().UserSetValue(*control, item).done) << item;
    }
    static std::string Shown(const PropertyControl* control) { return control->Value().ToBStr(); }
};

// ---- layouts ----

class ThreadPanelsLayoutTest : public ThreadPanelsTest, public ::testing::WithParamInterface<int> {};

TEST_P(ThreadPanelsLayoutTest, EachKindsPanelOnBothHostLayouts) {
    const int host = GetParam();
    SetHostVersion({host, 0, 0, 0});
    const std::string suffix = "_host" + std::to_string(host) + ".txt";
    {
        auto& op = Operation<CTurnOTREZKA>(kTurnOTREZKA, kCutOffLine, [](CTurnOTREZKA& o) {
            o.Vrezanie = 2;
            o.Perebeg = 1;
        });
        CTurnPanelOTREZKA panel(op);
        Open(panel);
        ExpectGolden("operation_panels/cut_off_panel" + suffix, Manager().Dump());
        Close(panel);
    }
    runner->Clear();
    {
        auto& op = Operation<CTurnPLASHKA>(kTurnPLASHKA, kThreadLine, [](CTurnPLASHKA& o) {
            o.Step = 1.5;
            o.Nzahod = 1;
        });
        CTurnPanelPLASHKA panel(op);
        Open(panel, &op);
        panel.UpdateClosingSegments();
        ExpectGolden("operation_panels/tap_die_panel" + suffix, Manager().Dump());
        Close(panel);
    }
    runner->Clear();
    {
        auto& op = Operation<CTurnTHREADING>(kTurnTHREADING, kThreadLine, [](CTurnTHREADING& o) {
            o.Step = 1.5;
            o.isAutoDepth = true;
        });
        CTurnPanelTHREADING panel(op);
        Open(panel, &op);
        panel.UpdateClosingSegments();
        ExpectGolden("operation_panels/threading_panel" + suffix, Manager().Dump());
        Close(panel);
    }
}

INSTANTIATE_TEST_SUITE_P(Hosts, ThreadPanelsLayoutTest, ::testing::Values(16, 17));

// ---- cut-off ----

int cycleAnswer = 0;
int cycleRuns = 0;
const CycleDialogOwner* ownerWhileOpen = nullptr;
// The user sets three passes in the cycle's dialog and closes it.
int EditThreePasses(CCycle_Auto& cycle) {
    ++cycleRuns;
    ownerWhileOpen = cycle.ownerPanel;
    cycle.FindParam("N")->valueText = "3";
    cycle.FindParam("N")->intValue = 3;
    return cycleAnswer;
}

TEST_F(ThreadPanelsTest, CutOffStrategyTabHasOnlyItsCycleButtonAndTheLengths) {
    auto& op = Operation<CTurnOTREZKA>(kTurnOTREZKA, kCutOffLine);
    CTurnPanelOTREZKA panel(op);
    Open(panel);
    EXPECT_EQ(panel.schemeList, nullptr);
    EXPECT_EQ(panel.cycleList, nullptr);
    PropertyTab& tab = *panel.HostTab(CTurnPanel::kStrategyTab);
    int buttons = 0;
    for (int k = 0; k < tab.ControlCount(); ++k) {
        if (tab.Control(k).Kind() != PropertyControlKind::Button) continue;
        ++buttons;
        EXPECT_EQ(tab.Control(k).Caption(), "Параметры цикла...");
        EXPECT_EQ(tab.Control(k).Hint(), "Параметры отрезного цикла");
    }
    EXPECT_EQ(buttons, 1);
    EXPECT_FALSE(panel.WorkingContourTab().methodGroup->Visible());
    EXPECT_FALSE(panel.WorkingContourTab().intermediateFacesBox->Visible());
    EXPECT_EQ(panel.nameList->CurrentItem(), 0);
    EXPECT_EQ(panel.nameList->Items().size(), 1u);
    Close(panel);
}

TEST_F(ThreadPanelsTest, CutOffApproachAndOverrunAreReadTogether) {
    auto& op = Operation<CTurnOTREZKA>(kTurnOTREZKA, kCutOffLine);
    CTurnPanelOTREZKA panel(op);
    Open(panel, &op);
    // The overrun field shows a value the copy does not hold yet.
    panel.overrunField->SetValue(Variant::R8(4.0));
    Set(panel.approachField, "3");
    EXPECT_EQ(panel.Vrezanie, 3.0);
    EXPECT_EQ(panel.Perebeg, 4.0);
    panel.approachField->SetValue(Variant::R8(6.0));
    Set(panel.overrunField, "2");
    EXPECT_EQ(panel.Vrezanie, 6.0);
    EXPECT_EQ(panel.Perebeg, 2.0);
    EXPECT_EQ(panel.RecalculationCount(), 2);
    Close(panel);
}

TEST_F(ThreadPanelsTest, CutOffCycleDialogRecalculatesOnOkOnlyAndCancelLeavesThePlansCycle) {
    auto& op = Operation<CTurnOTREZKA>(kTurnOTREZKA, kCutOffLine);
    const std::string storedPasses = op.cycle.FindParam("N")->valueText;
    const CycleDialogRunner before = RegisterCycleDialogRunner(&EditThreePasses);
    cycleRuns = 0;
    {
        CTurnPanelOTREZKA panel(op);
        Open(panel, &op);
        cycleAnswer = 0;
        ASSERT_TRUE(Manager().UserPress(*panel.cycleParametersButton).done);
        EXPECT_EQ(panel.RecalculationCount(), 0) << "cancelled: no recalculation";
        cycleAnswer = 1;
        ASSERT_TRUE(Manager().UserPress(*panel.cycleParametersButton).done);
        EXPECT_EQ(panel.RecalculationCount(), 1);
        EXPECT_EQ(cycleRuns, 2);
        EXPECT_EQ(panel.cycle.parentProvider, &panel.Parameters());
        EXPECT_EQ(ownerWhileOpen, &panel) << "the panel owns the dialog's commands while it runs";
        EXPECT_EQ(panel.cycle.ownerPanel, nullptr);
        EXPECT_EQ(panel.cycle.FindParam("N")->valueText, "3");
        panel.OnButtonClick(kPanelButtonCancel);
        Close(panel);
    }
    EXPECT_EQ(op.cycle.FindParam("N")->valueText, storedPasses) << "the panel was cancelled";
    {
        CTurnPanelOTREZKA panel(op);
        Open(panel, &op);
        cycleAnswer = 1;
        ASSERT_TRUE(Manager().UserPress(*panel.cycleParametersButton).done);
        panel.OnButtonClick(kPanelButtonOK);
        Close(panel);
    }
    EXPECT_EQ(op.cycle.FindParam("N")->valueText, "3");
    RegisterCycleDialogRunner(before);
}

// ---- tap/die ----

TEST_F(ThreadPanelsTest, TapDieLeadIsTheFeedAndTheHandChangesNoPath) {
    auto& op = Operation<CTurnPLASHKA>(kTurnPLASHKA, kThreadLine);
    const double storedFeed = op.Spod;
    CTurnPanelPLASHKA panel(op);
    Open(panel, &op);
    Set(panel.pitchField, "1.25");
    Set(panel.startsField, "2");
    EXPECT_DOUBLE_EQ(panel.Spod, 2.5);
    EXPECT_DOUBLE_EQ(panel.feedField->Value().ToR8(), 2.5);
    Choose(panel.handList, "левое");
    EXPECT_TRUE(panel.indNapr);
    EXPECT_EQ(panel.RecalculationCount(), 0);
    Set(panel.approachField, "2");
    EXPECT_EQ(panel.Vrezanie, 2.0);
    EXPECT_EQ(panel.RecalculationCount(), 1);
    EXPECT_EQ(op.Spod, storedFeed) << "the plan's operation waits for OK";
    Close(panel);
}

TEST_F(ThreadPanelsTest, TapDieDiameterAndNameFollowTheWorkingContour) {
    auto& op = Operation<CTurnPLASHKA>(kTurnPLASHKA, kThreadLine, [](CTurnPLASHKA& o) { o.Step = 1.5; });
    {
        CTurnPanelPLASHKA panel(op);
        Open(panel);
        panel.workContour.reset();
        const std::string name = panel.sNameTurn;
        panel.UpdateClosingSegments();
        EXPECT_EQ(Shown(panel.diameterField), "");
        EXPECT_EQ(panel.sNameTurn, name) << "no contour: the name stays";
        Close(panel);
    }
    CTurnPanelPLASHKA panel(op);
    Open(panel, &op);
    panel.UpdateClosingSegments();
    EXPECT_EQ(Shown(panel.diameterField), "10");
    EXPECT_EQ(panel.sNameTurn, "Резьба M10-1.5");
    EXPECT_EQ(panel.cycleList == nullptr || panel.cycleList->Items().size() == 1u, true);
    Close(panel);
}

// ---- chisel threading ----

TEST(ThreadDiameterTextTest, ExternalInternalAndSteppedContours) {
    struct Case {
        const char* what;
        const char* script;
        double depth;
        const char* text;
        double last;
    };
    const std::vector<Case> cases = {
        {"external cylinder", "LineSeg( 0,-10, -20,-10, 1 );\n", 0.92, "20", 20.0},
        {"internal: 2 x depth more, rounded up", "LineSeg( -20,-8, 0,-8, 1 );\n", 0.9203, "17.85", 17.85},
        {"stepped", "LineSeg( 0,-10, -10,-10, 1 );\nLineSeg( -10,-10, -10,-9, 1 );\nLineSeg( -10,-9, -20,-9, 1 );\n",
         1.0, "20 - 18", 18.0},
        {"a change below 0.001 is none", "LineSeg( 0,-10.001, -10,-10.004, 1 );\n", 0.0, "20.01", 20.01},
    };
    for (const Case& c : cases) {
        std::string error;
        std::unique_ptr<Contour> contour = ParseContourScript(c.script, &error, 1e6);
        ASSERT_TRUE(contour) << c.what << ": " << error;
        double last = 0.0;
        EXPECT_EQ(ThreadDiameterText(*contour, c.depth, last), c.text) << c.what;
        EXPECT_DOUBLE_EQ(last, c.last) << c.what;
    }
    EXPECT_EQ(ThreadSizeName(10, 1.5), "Резьба M10-1.5");
    EXPECT_EQ(ThreadSizeName(6.5, 0.75), "Резьба M6.5-0.75");
}

TEST_F(ThreadPanelsTest, ThreadingMetricDepthFollowsThePitchReadOnly) {
    auto& op = Operation<CTurnTHREADING>(kTurnTHREADING, kThreadLine, [](CTurnTHREADING& o) {
        o.isAutoDepth = true;
        o.Step = 1.5;
    });
    CTurnPanelTHREADING panel(op);
    Open(panel, &op);
    EXPECT_DOUBLE_EQ(panel.Depth, 0.920);
    EXPECT_TRUE(panel.depthField->ReadOnly());
    Set(panel.pitchField, "2");
    Set(panel.startsField, "3");
    EXPECT_DOUBLE_EQ(panel.Depth, 1.227);
    EXPECT_DOUBLE_EQ(panel.depthField->Value().ToR8(), 1.227);
    EXPECT_DOUBLE_EQ(panel.Spod, 6.0);
    EXPECT_EQ(panel.sNameTurn, "Резьба M10-2");
    Set(panel.metricBox, "0");
    EXPECT_FALSE(panel.depthField->ReadOnly());
    EXPECT_DOUBLE_EQ(panel.Depth, 1.227) << "the last depth stays";
    Set(panel.pitchField, "1");
    EXPECT_DOUBLE_EQ(panel.Depth, 1.227);
    Set(panel.depthField, "0.5");
    EXPECT_DOUBLE_EQ(panel.Depth, 0.5);
    EXPECT_EQ(panel.RecalculationCount(), 0) << "thread data rebuild no path";
    Set(panel.repeatCountField, "2");
    EXPECT_EQ(panel.Nrep, 2);
    EXPECT_EQ(panel.RecalculationCount(), 1);
    Close(panel);
}

TEST_F(ThreadPanelsTest, ThreadingRunsTheCommonHandlerOncePerChange) {
    auto& op = Operation<CTurnTHREADING>(kTurnTHREADING, kThreadLine);
    CTurnPanelTHREADING panel(op);
    Open(panel, &op);
    Set(panel.offsetZField, "0.5");
    EXPECT_EQ(panel.CorrectLz, 0.5);
    Set(panel.startShiftField, "-1");
    EXPECT_EQ(panel.dZ0rep, -1.0);
    EXPECT_EQ(panel.RecalculationCount(), 2) << "one change, one path";
    Choose(panel.feedModeList, "Формула");
    MessageLog::Instance().Clear();
    Set(panel.feedFormulaField, "НЕТ_ТАКОЙ+");
    int shown = 0;
    for (const std::string& text : MessageLog::Instance().AllTexts())
        if (text.find("Ошибка вычисления формулы") != std::string::npos) ++shown;
    EXPECT_EQ(shown, 1) << "a formula's error is shown once";
    Close(panel);
}

class ThreadDesignationTest : public ThreadPanelsTest {
protected:
    // A designation M24x2 on the part's face of diameter 40 (its first face),
    // and one M10 without a surface.
    void SetUp() override {
        ThreadPanelsTest::SetUp();
        const HostDocumentPtr document = ActiveHostDocument();
        std::string error;
        const std::unique_ptr<Contour> profile = ParseContourScript(
            "LineSeg( 0,0, 0,-12, 1 );\nLineSeg( 0,-12, 30,-12, 1 );\nLineSeg( 30,-12, 30,0, 1 );\n", &error, 1e6);
        ASSERT_TRUE(profile) << error;
        SetPartFromProfile(document, *profile);
        LscTransform::Global().ReadFromHost(
            document->AddLocalCoordinateSystem("ЛСК-1", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}));
        SetHostSelectionManager(Procedural3D(document).Selection());
        GetSPID()->pDetailContour = BuildRotationContours(document);
        ASSERT_TRUE(GetSPID()->pDetailContour);
        const std::shared_ptr<HostPart> part = TopPart(document);
        ASSERT_TRUE(part);
        for (const auto& face : part->Faces())
            if (face->IsKind(SurfaceKind::Cylinder)) surface = face;
        ASSERT_TRUE(surface);
        designation = std::make_shared<HostThreadDesignation>("M24x2", 24.5, 2.0, surface);
        document->AddEntity(designation);
        bare = std::make_shared<HostThreadDesignation>("M10", 10.0, 1.5, nullptr);
        document->AddEntity(bare);
    }
    std::shared_ptr<HostFace> surface;
    std::shared_ptr<HostThreadDesignation> designation, bare;
};

TEST_F(ThreadDesignationTest, PickingADesignationTakesItsThreadAndPickingItAgainReleasesIt) {
    auto& op = Operation<CTurnTHREADING>(kTurnTHREADING, kThreadLine, [](CTurnTHREADING& o) {
        o.isModel = true;
        o.ThreadBuilder().suppressBuild = true;
    });
    CTurnPanelTHREADING panel(op);
    Open(panel, &op);
    panel.ChangeTab(CTurnPanel::kWorkingTab);
    EXPECT_TRUE(panel.FilterObject(designation));
    EXPECT_FALSE(panel.FilterObject(surface)) << "faces are no designations";
    EXPECT_FALSE(panel.FilterObject(ActiveHostDocument()->AddNamedObject(57, "другое")));
    panel.OnSelectObject(designation, Variant());
    EXPECT_EQ(panel.Obj7, designation);
    const double surfaceDiameter = designation->SurfaceDiameter();
    EXPECT_NEAR(surfaceDiameter, 24.0, 1e-9);
    EXPECT_DOUBLE_EQ(panel.ThreadDiameter(), 24.5);
    EXPECT_EQ(panel.Step, 2.0);
    EXPECT_EQ(panel.Nzahod, 1);
    EXPECT_EQ(panel.Vrezanie, 2.0);
    EXPECT_EQ(panel.Perebeg, 2.0);
    EXPECT_EQ(panel.Spod, 2.0);
    EXPECT_DOUBLE_EQ(panel.Depth, (24.5 - surfaceDiameter) / 2.0);
    EXPECT_DOUBLE_EQ(panel.pitchField->Value().ToR8(), 2.0);
    ASSERT_TRUE(panel.workContour) << "the contour is built from the thread surface";
    ASSERT_GT(panel.workContour->Count(), 0);
    EXPECT_NEAR(panel.workContour->GetUnit(0)->StartPoint.x, -12.0, 1e-6);
    const auto& selection = Procedural3D(ActiveHostDocument()).Selection();
    ASSERT_TRUE(selection);
    EXPECT_TRUE(selection->IsSelected(designation));
    panel.OnSelectObject(designation, Variant());
    EXPECT_EQ(panel.Obj7, nullptr);
    EXPECT_FALSE(selection->IsSelected(designation));
    // Without a surface the depth is 0.
    panel.OnSelectObject(bare, Variant());
    EXPECT_EQ(panel.Depth, 0.0);
    EXPECT_EQ(panel.Step, 1.5);
    panel.ChangeTab(CTurnPanel::kStrategyTab);
    EXPECT_FALSE(panel.FilterObject(designation)) << "other tabs take nothing";
    Close(panel);
}

TEST_F(ThreadDesignationTest, WithoutTheModelModeDesignationsAreNotPicked) {
    auto& op = Operation<CTurnTHREADING>(kTurnTHREADING, kThreadLine);
    CTurnPanelTHREADING panel(op);
    Open(panel, &op);
    panel.ChangeTab(CTurnPanel::kWorkingTab);
    EXPECT_FALSE(panel.FilterObject(designation));
    Close(panel);
}

// ---- the editors ----

TEST_F(ThreadPanelsTest, EachKindRunsItsPanelForAPanelBlockAndIsAnsweredWholeOtherwise) {
    auto& op = Operation<CTurnPLASHKA>(kTurnPLASHKA, kThreadLine);
    HeadlessTurnPanels headless;
    StartPanels(headless);
    EXPECT_EQ(GetPlanPanels().ShownOnHost(PlanPanels::kTurn), PlanPanels::HostShown::PanelOrAnswer);
    PanelScript::Instance().Queue(PlanPanels::kTurn, PanelAnswer{IDOK_, {{"feed", "0.3"}}});
    EXPECT_EQ(op.Edit(), IDOK_);
    EXPECT_EQ(op.Spod, 0.3) << "answered whole";
    UserSession session{UserSession::Kind::Panel, PlanPanels::kTurn, {}, 0};
    for (const std::vector<std::string>& words :
         std::vector<std::vector<std::string>>{{"set", "Шаг", "2"}, {"set", "Число заходов", "2"}, {"ok"}}) {
        UserStep step;
        std::string error;
        ASSERT_TRUE(ParsePanelStep(words, step, error)) << error;
        session.steps.push_back(step);
    }
    ScriptedUser::Instance().Queue(std::move(session));
    EXPECT_EQ(op.Edit(), 1);
    EXPECT_EQ(op.Step, 2.0);
    EXPECT_EQ(op.Nzahod, 2);
    EXPECT_EQ(op.Spod, 4.0);
    StopPanels();
}

}  // namespace
}  // namespace zarvento::test
