// The property-panel framework: the order of a run, the base buttons, the
// first activation by host version, the callbacks of the picking process,
// and the busy flag after a failure at any host call of a panel.
#include <gtest/gtest.h>

#include <set>

#include "host_fault_sweep.h"
#include "panel_test_support.h"
#include "panels/base_panel_3d.h"
#include "plan/command_door.h"
#include "platform/core/host_faults.h"
#include "platform/core/host_version.h"
#include "platform/core/messages.h"
#include "platform/processes/help_calls.h"
#include "platform/processes/host_procedures.h"

namespace zarvento::test {
namespace {

// A panel that writes down the framework's calls.
class ProbePanel : public CBasePanel3D {
public:
    ProbePanel() : CBasePanel3D("probe") {}
    void OnInitPanel() override {
        log.push_back(BusyFlag ? "init busy" : "init");
        propertyManager->AddTab("Tab").AddControl(PropertyControlKind::TextEdit).SetHint("edit");
    }
    void AfterInitPanel() override { log.push_back("after init"); }
    void OnClosePanel() override { log.push_back("close"); }
    bool OnChangeTab(int tab) override {
        log.push_back("tab " + std::to_string(tab));
        return true;
    }
    bool OnButtonClick(int id) override {
        log.push_back("button " + std::to_string(id));
        return CBasePanel3D::OnButtonClick(id);
    }
    bool FilterObject(const HostObjectPtr& object) override { return object->Name() == name; }

    std::vector<std::string> log;
    std::string name;
};

UserSession Session(const std::vector<std::vector<std::string>>& steps, const std::string& panel = "probe") {
    UserSession session{UserSession::Kind::Panel, panel, {}, 0};
    for (const auto& words : steps) {
        UserStep step;
        std::string error;
        EXPECT_TRUE(ParsePanelStep(words, step, error)) << error;
        session.steps.push_back(step);
    }
    return session;
}

using BasePanelTest = PanelTest;

TEST_F(BasePanelTest, ARunIsCreatedFilledRunAndClosedAndOtherButtonsLeaveItGoing) {
    ProbePanel panel;
    ScriptedUser::Instance().Queue(Session({{"click", "5"}, {"click", "9"}, {"ok"}}));
    EXPECT_EQ(panel.ShowModal(), 1);
    EXPECT_EQ(panel.log, (std::vector<std::string>{"init busy", "after init", "tab 1", "button 5", "button 9",
                                                   "button 1", "close"}));
    EXPECT_FALSE(BusyFlag);
    EXPECT_EQ(Shown().Subscriber(), nullptr);
    // Cancel leaves the base panel's result as it was.
    ProbePanel cancelled;
    ScriptedUser::Instance().Queue(Session({{"cancel"}}));
    EXPECT_EQ(cancelled.ShowModal(), 0);
}

TEST_F(BasePanelTest, TheFirstActivationTurnsToTheFirstTabOnceAndOnlyFromHost21) {
    for (const auto& [major, turns] : std::vector<std::pair<int, std::size_t>>{{16, 0}, {20, 0}, {21, 1}, {23, 1}}) {
        SCOPED_TRACE(major);
        SetHostVersion({major, 0, 0, 0});
        ProbePanel panel;
        ScriptedUser::Instance().Queue(Session({{"activate"}, {"activate"}, {"ok"}}));
        panel.ShowModal();
        EXPECT_EQ(std::count(panel.log.begin(), panel.log.end(), "tab 1"), static_cast<long>(turns));
    }
}

TEST_F(BasePanelTest, WithoutAnActive3DDocumentNoProcessIsMade) {
    app->Documents().Add(DocumentType::Drawing2D);
    ProbePanel panel;
    EXPECT_EQ(ErrorCodeOf([&] { panel.ShowModal(); }), E_POINTER_);
    EXPECT_EQ(HostFaults::Calls("Document3D.CreateProcess"), 0);
    EXPECT_TRUE(panel.log.empty());
    EXPECT_FALSE(BusyFlag);
}

TEST_F(BasePanelTest, TheCallbacksReachThePanelCreatedLast) {
    auto a = part->AddSketch("a");
    auto b = part->AddSketch("b");
    auto first = std::make_unique<ProbePanel>();
    first->name = "a";
    first->CreatePanel();
    EXPECT_TRUE(CBasePanel3D::PanelFilterCallback(a));
    ProbePanel second;
    second.name = "b";
    second.CreatePanel();
    EXPECT_FALSE(CBasePanel3D::PanelFilterCallback(a));
    EXPECT_TRUE(CBasePanel3D::PanelFilterCallback(b));
    EXPECT_EQ(CBasePanel3D::CurrentPanel(), &second);
    first.reset();
    EXPECT_EQ(CBasePanel3D::CurrentPanel(), &second) << "only the current panel takes itself out";
}

// Every host call the coordinate-system panel makes fails in turn: the
// command reports it, the busy flag is clear, the panel no longer listens,
// and the next command runs the panel again.
TEST_F(BasePanelTest, AfterAFailedHostCallInAnyPanelStepTheNextCommandRuns) {
    MakePart();
    const std::string steps =
        "panel lsc\n pick ЛСК-1\n set \"Система ЧПУ (постпроцессор)\" ISO_Lathe\n help\n ok\nend\n";
    Run(steps + "coordinate-system\n");
    ASSERT_EQ(GetSPID()->GetLSC(), lsc1);
    const std::set<std::string> panelCalls = HostCallsOf(
        [&] {
            Run("panel lsc\n pick ЛСК-2\n set \"Система ЧПУ (постпроцессор)\" ISO_Python\n help\n ok\nend\n"
                "coordinate-system\n");
        },
        [](const std::string& name) { return name.find('.') != std::string::npos || name == "Help"; });
    ASSERT_EQ(GetSPID()->GetLSC(), lsc2);
    ASSERT_GT(panelCalls.size(), 30u);
    int failed = 0;
    const FaultSweepOptions fresh{[&] {
        ScriptedUser::Instance().Reset();
        MessageLog::Instance().Clear();
        failed = script.CommandsFailed();
    }};
    FailEachCall(
        {panelCalls.begin(), panelCalls.end()}, E_OUTOFMEMORY_, [&] { Run(steps + "coordinate-system\n"); },
        [&](const FaultRun&) {
            EXPECT_EQ(script.CommandsFailed(), failed + 1) << "reported";
            EXPECT_FALSE(BusyFlag);
            EXPECT_EQ(Shown().Subscriber(), nullptr);
            ScriptedUser::Instance().Reset();
            Run("panel lsc\n pick ЛСК-2\n ok\nend\ncoordinate-system\n");
            EXPECT_FALSE(BusyFlag);
            EXPECT_EQ(GetSPID()->GetLSC(), lsc2);
            EXPECT_EQ(PanelScript::Instance().Entries().back().result, IDOK_);
        },
        fresh);
    EXPECT_EQ(MessageLog::Instance().ModalDepth(), 0);
}

TEST_F(BasePanelTest, HelpOpensTheTopicWithoutEndingThePanel) {
    MakePart();
    Run("panel lsc\n help\n pick ЛСК-1\n ok\nend\ncoordinate-system\n");
    ASSERT_EQ(HostHelpCalls().size(), 1u);
    EXPECT_EQ(HostHelpCalls()[0].file, (folder.Path() / "Zarvento.chm").string());
    EXPECT_EQ(HostHelpCalls()[0].command, 1);
    EXPECT_EQ(HostHelpCalls()[0].topic, 1);
    EXPECT_EQ(GetSPID()->GetLSC(), lsc1);
}

}  // namespace
}  // namespace zarvento::test
