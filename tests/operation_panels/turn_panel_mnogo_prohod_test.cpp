// The multi-pass operation's panel: its layout, what its own controls write
// and what follows, the pass controls' rules, the name rule, the cycle
// dialogs with the plan angles taken from the tool (command 307), and the
// script's choice between the panel and the whole answer.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../operations/operations_test_support.h"
#include "golden_file.h"
#include "nc/cycle_auto.h"
#include "operation_panels/turn_panel_mnogo_prohod.h"
#include "operations/headless_turn_panels.h"
#include "panel_driver.h"
#include "panels/dialog_param.h"
#include "panels/host_panels.h"
#include "platform/core/host_version.h"
#include "platform/core/messages.h"
#include "platform/dialogs/panel_script.h"
#include "platform/dialogs/property_manager.h"
#include "platform/dialogs/property_tab.h"
#include "platform/dialogs/scripted_user.h"
#include "platform/documents/hidden_document.h"

namespace zarvento::test {
namespace {

using Panel = CTurnPanelMnogoProhod;

UserSession Steps(UserSession::Kind kind, const char* name, const std::vector<std::vector<std::string>>& steps) {
    UserSession session{kind, name, {}, 0};
    for (const auto& words : steps) {
        UserStep step;
        std::string error;
        const bool read =
            kind == UserSession::Kind::Panel ? ParsePanelStep(words, step, error) : ParseDialogStep(words, step, error);
        if (!read) throw std::runtime_error(error);
        session.steps.push_back(step);
    }
    return session;
}

class MultiPassPanelTest : public OperationTest, public PanelDriver {
protected:
    void SetUp() override {
        OperationTest::SetUp();
        SetHostVersion({17, 0, 0, 0});
        runner->Part(kStepProfile);
        // A grooving tool for the groove cycle's automatic choice, with the
        // plan angles the turning cycle may take from a tool.
        runner->Tool(2, "Резец канавочный", 0.2).TYPE_ = 13;
        ParamTool& turning = *GetSPID()->GetTool(0);
        for (const auto& [name, value] : {std::pair{"fi", 93.0}, {"fi1", 7.0}}) {
            ParamVariable& variable = turning.aVariables[static_cast<std::size_t>(turning.Npv++)];
            variable.sName = name;
            variable.dValue = value;
        }
        CreateHiddenDocument();
        StartPanels(headless);
    }
    void TearDown() override {
        StopPanels();
        OperationTest::TearDown();
    }

    CTurnMnogoProhod& MultiPass(const std::function<void(CTurnMnogoProhod&)>& setup = {}) {
        CTurn& op = runner->AddKind(kTurnMnogoProhod, kStepProfile, [&](CTurn& o) {
            o.nToolPosition = 0;
            o.isAutoTool = false;
            GivePostProcessor(o);
            if (setup) setup(dynamic_cast<CTurnMnogoProhod&>(o));
        });
        runner->Run();
        return dynamic_cast<CTurnMnogoProhod&>(op);
    }

    // A post-processor with two turning cycles.
    static void GivePostProcessor(CTurn& op) {
        CPostProcessor post("Станок", "");
        for (const auto& [code, name] : {std::pair{"G71", "Продольное точение"}, {"G72", "Торцевое точение"}}) {
            auto cycle = std::make_unique<CCycle_Auto>();
            cycle->SetType("Turning");
            cycle->SetGCode(code);
            cycle->SetName(name);
            post.AddCycleDefinition(std::move(cycle));
        }
        op.SetPostProcessorData(&post);
    }

    static void Open(Panel& panel, const CTurn& built) { PanelDriver::Open(panel, &built); }
    static void QueueCycleDialog(const std::vector<std::vector<std::string>>& steps) {
        ScriptedUser::Instance().Queue(Steps(UserSession::Kind::Dialog, CDialogParam::kScriptName, steps));
    }

    HeadlessTurnPanels headless;
};

class MultiPassLayoutTest : public MultiPassPanelTest, public ::testing::WithParamInterface<int> {};

TEST_P(MultiPassLayoutTest, TheStrategyTabHoldsTheCycleListAndThePassControls) {
    SetHostVersion({GetParam(), 0, 0, 0});
    CTurnMnogoProhod& op = MultiPass([](CTurnMnogoProhod& o) {
        o.Vrezanie = 2;
        o.indNapr = true;
        o.isZachistka = false;
    });
    Panel panel(op);
    Open(panel, op);
    ExpectGolden("operation_panels/mnogo_prohod_host" + std::to_string(GetParam()) + ".txt", Manager().Dump());
    // Every control carries the kind's help topic; the kinds' names follow
    // what the base put in the list, none chosen by the kind.
    for (int t = 0; t < Manager().TabCount(); ++t)
        for (int c = 0; c < Manager().Tab(t).ControlCount(); ++c)
            EXPECT_EQ(Manager().Tab(t).Control(c).HelpTopic(), Panel::kHelpTopic);
    ASSERT_EQ(panel.nameList->Items().size(), 11u);
    EXPECT_EQ(panel.nameList->Items().back().text, "Канавка многопроходная");
    Close(panel);
}

INSTANTIATE_TEST_SUITE_P(Hosts, MultiPassLayoutTest, ::testing::Values(16, 17));

// One action of the user and what it must leave in the copy and the panel,
// with the number of path recalculations it costs.
struct KindEvent {
    const char* what;
    std::function<void(Panel&)> act;
    std::function<bool(const Panel&)> left;
    int recalculations;
};

TEST_F(MultiPassPanelTest, EachOwnControlWritesItsFieldAndFollowsUp) {
    CTurnMnogoProhod& op = MultiPass([](CTurnMnogoProhod& o) {
        o.isAutoName = true;
        o.Nshp = 700;
        o.Vconst = 160;
    });
    Panel panel(op);
    Open(panel, op);
    PropertyManager& m = Manager();
    auto set = [&m](PropertyControl* c, const std::string& text) {
        ASSERT_NE(c, nullptr);
        ASSERT_TRUE(m.UserSetValue(*c, text).done) << text;
    };
    auto p5 = [](const Panel& p) { return p.turningCycle.FindParam("P5")->valueText; };
    const std::vector<KindEvent> cases = {
        {"approach", [&](auto& p) { set(p.approachField, "2.5"); }, [](auto& p) { return p.Vrezanie == 2.5; }, 1},
        {"overrun", [&](auto& p) { set(p.overrunField, "3"); }, [](auto& p) { return p.Perebeg == 3; }, 1},
        {"reversal", [&](auto& p) { set(p.reversalBox, "on"); }, [](auto& p) { return p.indNapr; }, 1},
        {"clean-up off", [&](auto& p) { set(p.cleanUpBox, "off"); }, [](auto& p) { return !p.isZachistka; }, 1},
        {"constant speed on gives the finishing pass the cutting speed",
         [&](auto& p) { set(p.constantSpeedBox, "on"); }, [&](auto& p) { return p.isVconst && p5(p) == "160"; }, 0},
        {"constant speed off gives it the spindle speed", [&](auto& p) { set(p.constantSpeedBox, "off"); },
         [&](auto& p) { return !p.isVconst && p5(p) == "700"; }, 0},
        {"the groove cycle disables the overrun, renames and chooses a grooving tool",
         [&](auto& p) {
             p.isAutoTool = true;
             set(p.cycleList, Panel::kGrooveCycleItem);
         },
         [](auto& p) {
             return p.indCycleElementar == 1 && !p.overrunField->Enabled() && p.sNameTurn == "Канавка многопроходная" &&
                    p.nameList->Value().ToBStr() == "Канавка многопроходная" && p.nToolPosition == 2;
         },
         1},
        {"the turning cycle enables it again and chooses a turning tool",
         [&](auto& p) { set(p.cycleList, Panel::kTurningCycleItem); },
         [](auto& p) {
             return p.indCycleElementar == 0 && p.overrunField->Enabled() && p.sNameTurn == "Многопроходная" &&
                    p.nToolPosition == 0;
         },
         1},
        {"machine cycles list the post-processor's and name the chosen one",
         [&](auto& p) {
             p.isAutoTool = false;
             ASSERT_TRUE(m.UserSelect(*p.schemeList, 1).done);
         },
         [](auto& p) {
             return p.indShema == 1 && p.cycleList->Items().size() == 2u &&
                    p.nameList->Value().ToBStr() == "Многопроходная, [G71]" && p.overrunField->Enabled();
         },
         1},
        {"the second machine cycle", [&](auto& p) { set(p.cycleList, " G72 - Торцевое точение"); },
         [](auto& p) { return p.indCycle == 1 && p.nameList->Value().ToBStr() == "Многопроходная, [G72]"; }, 1},
        {"elementary moves again list the two cycles",
         [&](auto& p) { ASSERT_TRUE(m.UserSelect(*p.schemeList, 0).done); },
         [](auto& p) {
             return p.indShema == 0 && p.cycleList->Items().size() == 2u &&
                    p.cycleList->Items()[1].text == Panel::kGrooveCycleItem && p.reversalBox->Visible();
         },
         1},
    };
    for (const KindEvent& c : cases) {
        const int before = panel.RecalculationCount();
        c.act(panel);
        EXPECT_TRUE(c.left(panel)) << c.what;
        EXPECT_EQ(panel.RecalculationCount() - before, c.recalculations) << c.what;
    }
    EXPECT_EQ(op.Vrezanie, 1.5) << "the plan's operation waits for OK";
    EXPECT_EQ(op.indCycleElementar, 0);
    Close(panel);
}

TEST_F(MultiPassPanelTest, ThePassControlsFollowTheSchemeTheCycleAndTheLastCalculation) {
    CTurnMnogoProhod& op = MultiPass();
    Panel panel(op);
    Open(panel, op);
    struct Case {
        int scheme, cycle;
        bool along, across;
        int traversal;
        bool overrunOn, reversalShown, cleanUpOn;
    };
    // The clean-up box is only ever enabled here: a case that does not
    // enable it leaves it as the case before left it (disabled below).
    const Case cases[] = {
        {0, 0, false, false, 0, true, true, true}, {0, 1, false, false, 0, false, true, true},
        {0, 0, true, false, 0, true, true, false}, {0, 0, false, true, 1, true, true, false},
        {0, 0, true, false, 1, true, true, true},  {1, 0, false, false, 2, true, false, true},
        {1, 1, true, false, 2, true, true, true},  {1, 0, false, true, 2, true, true, true},
        {0, 0, true, true, 2, true, true, false},
    };
    for (const Case& c : cases) {
        panel.indShema = c.scheme;
        panel.indCycleElementar = c.cycle;
        panel.OnePieceAlongPass = c.along;
        panel.OnePieceAcrossPass = c.across;
        panel.calc.feedDirection = c.traversal;
        panel.cleanUpBox->SetEnabled(false);
        panel.UpdatePassControls();
        const std::string what = "scheme " + std::to_string(c.scheme) + " cycle " + std::to_string(c.cycle) +
                                 " flags " + std::to_string(c.along) + std::to_string(c.across) + " traversal " +
                                 std::to_string(c.traversal);
        EXPECT_EQ(panel.overrunField->Enabled(), c.overrunOn) << what;
        EXPECT_EQ(panel.reversalBox->Visible(), c.reversalShown) << what;
        EXPECT_EQ(panel.cleanUpBox->Enabled(), c.cleanUpOn) << what;
    }
    // Opening the strategy tab applies the rules to the last calculation and
    // shows the copy's direction.
    panel.indShema = 1;
    panel.indNapr = true;
    ASSERT_TRUE(Manager().UserOpenTab(*panel.HostTab(CTurnPanel::kStrategyTab)).done);
    EXPECT_EQ(panel.reversalBox->Visible(), panel.OnePieceAlongPass || panel.OnePieceAcrossPass);
    EXPECT_TRUE(panel.reversalBox->Value().ToBool());
    Close(panel);
}

TEST_F(MultiPassPanelTest, TheTurningCyclesDialogTakesThePlanAnglesFromTheToolWhenItOpens) {
    CTurnMnogoProhod& op = MultiPass([](CTurnMnogoProhod& o) {
        o.sFi0 = "45";
        o.sFi1 = "10";
    });
    const std::string planMain = op.turningCycle.FindParam("P8")->valueText;
    Panel panel(op);
    Open(panel, op);
    CycleParameter& traversal = *panel.turningCycle.FindParam("P7");
    traversal.intValue = 1;
    traversal.valueText = "1";
    // The dialog's run: it opens, the panel fills the angles from the tool
    // (what the dialog shows), and OK takes them.
    std::string shownMain, shownAux;
    bool readOnly = false;
    struct Watch : CycleDialogOwner {
        Panel* panel;
        std::string *main, *aux;
        bool* readOnly;
        void OnCycleDialogCommand(CycleDialogView& dialog, int id) override {
            panel->OnCycleDialogCommand(dialog, id);
            auto& d = dynamic_cast<CDialogParam&>(dialog);
            *main = d.Control(CDialogParam::kFirstEdit + 8).Text();
            *aux = d.Control(CDialogParam::kFirstEdit + 9).Text();
            *readOnly = d.Control(CDialogParam::kFirstEdit + 8).ReadOnly();
        }
    };
    {
        // What the panel does when its button is pressed, seen from the dialog.
        Watch watch;
        watch.panel = &panel;
        watch.main = &shownMain;
        watch.aux = &shownAux;
        watch.readOnly = &readOnly;
        CCycle_Auto cycle;
        cycle.Copy(panel.turningCycle);
        cycle.SetParentParameters(&panel.Parameters());
        cycle.ownerPanel = &watch;
        CDialogParam dialog(cycle);
        dialog.OnInitDialog();
        EXPECT_EQ(shownMain, "93");
        EXPECT_EQ(shownAux, "7");
        EXPECT_TRUE(readOnly);
        EXPECT_EQ(dialog.Control(CDialogParam::kList).Cell(8, 3), "93 ");
        EXPECT_FALSE(dialog.HasError());
        EXPECT_EQ(panel.sFi0, "TOOL.fi");
        EXPECT_EQ(panel.sFi1, "TOOL.fi1-3");
        // The traversal's choice (the combo of P7, whose id the command
        // shares) takes the angles again by the chosen way.
        ASSERT_TRUE(dialog.UserSetValue(CDialogParam::kFirstCombo + 7, "не учитывать поднутрения").done);
        EXPECT_EQ(shownMain, "90");
        EXPECT_EQ(shownAux, "0");
        // Other commands of the dialog change nothing.
        panel.sFi0 = "45";
        ASSERT_TRUE(dialog.UserSetValue(CDialogParam::kFirstCombo + 3, "поперечная подача").done);
        EXPECT_EQ(panel.sFi0, "45");
        EXPECT_EQ(shownMain, "90");
    }
    // Through the panel's button: OK recalculates, with the angles taken.
    panel.sFi0 = "45";
    QueueCycleDialog({{"ok"}});
    const int before = panel.RecalculationCount();
    ASSERT_TRUE(Manager().UserPress(*panel.cycleParametersButton).done);
    EXPECT_EQ(ScriptedUser::Instance().Pending(), 0u) << "the dialog ran";
    EXPECT_EQ(panel.turningCycle.FindParam("P8")->valueText, "93");
    EXPECT_EQ(panel.turningCycle.FindParam("P9")->valueText, "7");
    EXPECT_EQ(panel.sFi0, "TOOL.fi");
    EXPECT_EQ(panel.RecalculationCount() - before, 1);
    EXPECT_EQ(panel.turningCycle.ownerPanel, nullptr) << "the panel owns the dialog's commands only while it runs";
    // Cancel changes nothing and starts no recalculation.
    panel.turningCycle.FindParam("P8")->valueText = "80";
    QueueCycleDialog({{"set", "200", "3"}, {"cancel"}});
    ASSERT_TRUE(Manager().UserPress(*panel.cycleParametersButton).done);
    EXPECT_EQ(panel.turningCycle.FindParam("P8")->valueText, "80");
    EXPECT_EQ(panel.turningCycle.FindParam("I")->valueText, "1.5");
    EXPECT_EQ(panel.RecalculationCount() - before, 1);
    EXPECT_EQ(op.turningCycle.FindParam("P8")->valueText, planMain) << "the plan's operation waits for OK";
    Close(panel);
}

TEST_F(MultiPassPanelTest, TheGrooveCyclesDialogIsNotRoutedToThePanel) {
    CTurnMnogoProhod& op = MultiPass([](CTurnMnogoProhod& o) {
        o.indCycleElementar = 1;
        o.sFi0 = "45";
    });
    Panel panel(op);
    Open(panel, op);
    const std::string before = panel.turningCycle.FindParam("P8")->valueText;
    QueueCycleDialog({{"ok"}});
    ASSERT_TRUE(Manager().UserPress(*panel.cycleParametersButton).done);
    EXPECT_EQ(ScriptedUser::Instance().Pending(), 0u) << "the groove cycle's dialog ran";
    EXPECT_EQ(panel.sFi0, "45");
    EXPECT_EQ(panel.turningCycle.FindParam("P8")->valueText, before);
    EXPECT_EQ(panel.grooveCycle.ownerPanel, nullptr);
    Close(panel);
}

TEST_F(MultiPassPanelTest, AScriptRunsThePanelWhenItsStepsWaitAndAnswersTheFormOtherwise) {
    CTurnMnogoProhod& op = MultiPass([](CTurnMnogoProhod& o) { o.isAutoName = true; });
    EXPECT_EQ(GetPlanPanels().ShownOnHost(PlanPanels::kTurn), PlanPanels::HostShown::PanelOrAnswer);
    // Driven step by step: the panel's own controls.
    ScriptedUser::Instance().Queue(Steps(
        UserSession::Kind::Panel, CTurnPanel::kScriptName,
        {{"tab", "Стратегия"}, {"set", "Подвод", "4"}, {"set", "Список циклов", Panel::kGrooveCycleItem}, {"ok"}}));
    EXPECT_EQ(op.Edit(), 1);
    EXPECT_EQ(op.Vrezanie, 4);
    EXPECT_EQ(op.indCycleElementar, 1);
    EXPECT_EQ(op.sNameTurn, "Канавка многопроходная");
    // Answered whole, as scripts did before the panel.
    PanelScript::Instance().Queue(PlanPanels::kTurn, PanelAnswer{IDOK_, {{"feed", "0.3"}}});
    EXPECT_EQ(op.Edit(), IDOK_);
    EXPECT_EQ(op.Spod, 0.3);
    EXPECT_EQ(op.Vrezanie, 4);
}

}  // namespace
}  // namespace zarvento::test
