// The operation panel: its layout on the hosts whose layouts differ, what each
// common control writes into the copy and what follows, the tab accordion,
// the picks by tab, OK, Cancel and the add-tool button, and the plan's
// commands that open it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "../operations/operations_test_support.h"
#include "golden_file.h"
#include "nc/cycle_auto.h"
#include "operation_panels/turn_kind_panel.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn_drill.h"
#include "operations/turn_mnogo_prohod.h"
#include "operations/turn_settings.h"
#include "panel_driver.h"
#include "platform/core/busy_flag.h"
#include "platform/core/check.h"
#include "platform/core/host_version.h"
#include "platform/core/messages.h"
#include "platform/dialogs/panel_script.h"
#include "platform/dialogs/property_manager.h"
#include "platform/dialogs/property_tab.h"
#include "platform/dialogs/scripted_user.h"
#include "platform/documents/hidden_document.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/processes/host_libraries.h"
#include "platform/processes/host_procedures.h"
#include "platform/processes/module.h"

namespace zarvento::test {
namespace {

using MultiPassPanel = TurnKindPanel<CTurnMnogoProhod>;

// Every stored setting of an operation as text, to compare two operations
// field by field.
std::vector<std::string> SettingsText(const CTurn& op) {
    std::vector<std::string> out;
    for (const TurnSetting& setting : TurnSettings()) {
        std::string value = std::visit(
            [&op](auto member) {
                const auto& v = op.*member;
                if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::string>) {
                    return v;
                } else {
                    return std::to_string(v);
                }
            },
            setting.member);
        out.push_back(std::string(setting.name) + "=" + value);
    }
    return out;
}

class TurnPanelTest : public OperationTest, public PanelDriver {
protected:
    void SetUp() override {
        OperationTest::SetUp();
        SetHostVersion({17, 0, 0, 0});
        runner->Part(kStepProfile);
        // The list shows the tools by the names the user gave them.
        for (int i : {0, 1}) GetSPID()->GetTool(i)->sPsevName = GetSPID()->GetTool(i)->sToolName;
        CreateHiddenDocument();
    }

    CTurnMnogoProhod& MultiPass(const std::function<void(CTurnMnogoProhod&)>& setup = {}) {
        CTurn& op = runner->AddKind(kTurnMnogoProhod, kStepProfile, [&](CTurn& o) {
            o.nToolPosition = 0;
            o.isAutoTool = false;
            if (setup) setup(dynamic_cast<CTurnMnogoProhod&>(o));
        });
        runner->Run();
        return dynamic_cast<CTurnMnogoProhod&>(op);
    }

    // A post-processor with two longitudinal cycles and a drilling one.
    void GivePostProcessor(CTurn& op, bool withTurningCycles = true) {
        CPostProcessor post("Станок", "");
        auto add = [&post](const char* type, const char* code, const char* name) {
            auto cycle = std::make_unique<CCycle_Auto>();
            cycle->SetType(type);
            cycle->SetGCode(code);
            cycle->SetName(name);
            post.AddCycleDefinition(std::move(cycle));
        };
        if (withTurningCycles) {
            add("Turning", "G71", "Продольное точение");
            add("Turning", "G72", "Торцевое точение");
        }
        add("Drilling", "G83", "Сверление");
        op.SetPostProcessorData(&post);
    }
};

class TurnPanelLayoutTest : public TurnPanelTest, public ::testing::WithParamInterface<int> {};

TEST_P(TurnPanelLayoutTest, SevenTabsWithTheCommonControls) {
    SetHostVersion({GetParam(), 0, 0, 0});
    CTurnMnogoProhod& op = MultiPass([this](CTurnMnogoProhod& o) {
        GivePostProcessor(o);
        o.indShema = 1;
        o.indCycle = 1;
        o.sNameTurn = "Черновая";
    });
    MultiPassPanel panel(op);
    Open(panel);
    ExpectGolden("operation_panels/turn_panel_host" + std::to_string(GetParam()) + ".txt", Manager().Dump());
    Close(panel);
}

INSTANTIATE_TEST_SUITE_P(Hosts, TurnPanelLayoutTest, ::testing::Values(16, 17));

TEST_F(TurnPanelTest, APostProcessorWithoutCyclesOfTheTypeGivesAnEmptyDisabledList) {
    CTurnMnogoProhod& op = MultiPass([this](CTurnMnogoProhod& o) { GivePostProcessor(o, false); });
    // As stored: the calculation falls back to elementary moves itself.
    op.indShema = 1;
    op.indCycle = 3;
    MultiPassPanel panel(op);
    Open(panel);
    ASSERT_NE(panel.cycleList, nullptr);
    EXPECT_TRUE(panel.cycleList->Items().empty());
    EXPECT_FALSE(panel.cycleList->Enabled());
    EXPECT_EQ(panel.indCycle, 0);
    EXPECT_EQ(op.indCycle, 3) << "the plan's operation waits for OK";
    Close(panel);
}

TEST_F(TurnPanelTest, StoredIndicesOutOfTheListsOpenThePanelWithNothingSelected) {
    CTurnMnogoProhod& op = MultiPass([](CTurnMnogoProhod& o) {
        o.DirRcorrect = 7;
        o.ClosedSposob1 = -2;
        o.indSpod = 5;
    });
    MultiPassPanel panel(op);
    ASSERT_NO_THROW(Open(panel));
    EXPECT_EQ(panel.machineCorrectionList->CurrentItem(), -1);
    EXPECT_EQ(panel.startModeList->CurrentItem(), -1);
    EXPECT_EQ(panel.feedModeList->CurrentItem(), -1);
    Close(panel);
}

// One action of the user and what it must leave: the copy's field, how many
// times the path was rebuilt, and what the panel shows.
struct EventCase {
    const char* what;
    std::function<void(MultiPassPanel&)> act;
    std::function<bool(const MultiPassPanel&)> written;
    int recalculations;
};

TEST_F(TurnPanelTest, EachCommonControlWritesItsFieldAndTriggersItsFollowUp) {
    CTurnMnogoProhod& op = MultiPass();
    const std::vector<std::string> stored = SettingsText(op);
    MultiPassPanel panel(op);
    Open(panel, &op);
    PropertyManager& m = Manager();
    // Lists of the second kind are chosen from, the others typed into.
    auto set = [&m](PropertyControl* c, const std::string& text) {
        ASSERT_NE(c, nullptr);
        const UserActionResult done = c->Kind() == PropertyControlKind::ImageList
                                          ? m.UserSelect(*c, c->IndexOfValue(text))
                                          : m.UserSetValue(*c, text);
        ASSERT_TRUE(done.done) << text;
    };
    const std::vector<EventCase> cases = {
        {"feed typed", [&](auto& p) { set(p.feedField, "0.3"); }, [](auto& p) { return p.Spod == 0.3; }, 0},
        {"feed mode to formula", [&](auto& p) { set(p.feedModeList, "Формула"); },
         [](auto& p) { return p.indSpod == 1 && p.feedField->ReadOnly() && p.feedFormulaField->Visible(); }, 0},
        {"feed mode back to manual keeps the typed feed", [&](auto& p) { set(p.feedModeList, "Вручную"); },
         [](auto& p) { return p.indSpod == 0 && p.Spod == 0.3 && !p.feedFormulaField->Visible(); }, 0},
        {"spindle speed", [&](auto& p) { set(p.spindleSpeedField, "900"); }, [](auto& p) { return p.Nshp == 900; }, 0},
        {"constant speed", [&](auto& p) { set(p.constantSpeedBox, "on"); },
         [](auto& p) {
             return p.isVconst && p.cuttingSpeedField->Visible() && !p.spindleSpeedField->Visible() &&
                    p.minSpeedField->Visible() && p.Nshp == 900;
         },
         0},
        {"cutting speed", [&](auto& p) { set(p.cuttingSpeedField, "150"); }, [](auto& p) { return p.Vconst == 150; },
         0},
        {"minimum speed", [&](auto& p) { set(p.minSpeedField, "100"); }, [](auto& p) { return p.Nmin == 100; }, 0},
        {"maximum speed", [&](auto& p) { set(p.maxSpeedField, "3000"); }, [](auto& p) { return p.Nmax == 3000; }, 0},
        {"coolant", [&](auto& p) { set(p.coolantBox, "on"); }, [](auto& p) { return p.isCheckCooler; }, 0},
        {"M01 at end", [&](auto& p) { set(p.m01Box, "off"); }, [](auto& p) { return !p.isM01end; }, 0},
        {"tool life", [&](auto& p) { set(p.toolLifeField, "45"); }, [](auto& p) { return p.TT == 45; }, 0},
        {"auto direction off", [&](auto& p) { set(p.autoDirectionBox, "off"); },
         [](auto& p) { return !p.isAutoM34 && p.directionGroup->Enabled(); }, 0},
        {"spindle left", [&](auto& p) { ASSERT_TRUE(m.UserCommand(*p.directionGroup, 10027).done); },
         [](auto& p) { return p.isM04; }, 1},
        {"show approach off", [&](auto& p) { set(p.showApproachBox, "off"); }, [](auto& p) { return p.isPathToggled; },
         1},
        {"transition directly", [&](auto& p) { set(p.transitionList, "Напрямую"); },
         [](auto& p) { return p.indPerehod == 0 && !p.approachGroup->Enabled(); }, 1},
        {"transition through the start point", [&](auto& p) { set(p.transitionList, "Через Исходную точку"); },
         [](auto& p) { return p.indPerehod == 2 && p.approachGroup->Enabled(); }, 1},
        {"approach Z then X", [&](auto& p) { ASSERT_TRUE(m.UserCommand(*p.approachGroup, 10008).done); },
         [](auto& p) { return p.naprVihod == 2; }, 1},
        {"return Z then X", [&](auto& p) { ASSERT_TRUE(m.UserCommand(*p.returnGroup, 10011).done); },
         [](auto& p) { return p.naprVozvrat == 2; }, 1},
        {"radius correction off", [&](auto& p) { set(p.radiusBox, "off"); },
         [](auto& p) { return !p.isCorrectRadius && !p.radiusField->Enabled() && !p.machineCorrectionList->Enabled(); },
         1},
        {"radius correction on", [&](auto& p) { set(p.radiusBox, "on"); },
         [](auto& p) { return p.isCorrectRadius && p.machineCorrectionList->Enabled(); }, 1},
        {"machine correction G41", [&](auto& p) { set(p.machineCorrectionList, "G41"); },
         [](auto& p) { return p.DirRcorrect == 1; }, 0},
        {"machine correction G42", [&](auto& p) { set(p.machineCorrectionList, "G42"); },
         [](auto& p) { return p.DirRcorrect == 2; }, 0},
        {"length correction Z", [&](auto& p) { set(p.lengthZBox, "on"); },
         [](auto& p) { return p.isCorrectLz && p.lengthZField->Enabled(); }, 1},
        {"length correction X", [&](auto& p) { set(p.lengthXBox, "on"); },
         [](auto& p) { return p.isCorrectLx && p.lengthXField->Enabled(); }, 1},
        {"offset Z", [&](auto& p) { set(p.offsetZField, "0.5"); }, [](auto& p) { return p.CorrectLz == 0.5; }, 1},
        {"offset X", [&](auto& p) { set(p.offsetXField, "-0.2"); }, [](auto& p) { return p.CorrectLx == -0.2; }, 1},
        {"start angle mode arbitrary", [&](auto& p) { set(p.startModeList, "Произвольный угол"); },
         [](auto& p) { return p.ClosedSposob1 == 5 && p.startAngleField->Enabled() && p.workBuilder->startMode == 5; },
         0},
        {"start angle", [&](auto& p) { set(p.startAngleField, "30"); },
         [](auto& p) { return p.ClosedAngle1 == 30 && p.workBuilder->startAngle == 30; }, 0},
        {"end angle mode", [&](auto& p) { set(p.endModeList, "-Z (180 гр.)"); },
         [](auto& p) { return p.ClosedSposob2 == 3 && !p.endAngleField->Enabled(); }, 0},
        {"use previous result off", [&](auto& p) { set(p.usePrevBox, "off"); },
         [](auto& p) { return !p.isUsePrevContour; }, 0},
        {"auto naming off", [&](auto& p) { set(p.autoNameBox, "off"); },
         [](auto& p) { return !p.isAutoName && p.nameList->Enabled(); }, 0},
        {"auto tool on", [&](auto& p) { set(p.autoToolBox, "on"); },
         [](auto& p) { return p.isAutoTool && !p.toolList->Enabled(); }, 0},
    };
    for (const EventCase& c : cases) {
        const int before = panel.RecalculationCount();
        c.act(panel);
        EXPECT_TRUE(c.written(panel)) << c.what;
        EXPECT_EQ(panel.RecalculationCount() - before, c.recalculations) << c.what;
    }
    // The warning comes once, when the correction is switched on; the tool
    // has no feed of its own for the formula.
    const std::vector<std::string> boxes = MessageLog::Instance().Texts(MessageRole::MessageBox);
    EXPECT_EQ(boxes,
              (std::vector<std::string>{
                  "Ошибка вычисления формулы. Инструмент не содержит параметр FEED1\nЗадайте подачу вручную",
                  "Внимание!\nG41 и G42 следует использовать осторожно.\nТраектория на станке может отличаться."}));
    EXPECT_EQ(MessageLog::Instance().Entries().back().caption, "Orbisel");
    // Nothing of it reached the plan's operation.
    EXPECT_EQ(SettingsText(op), stored);
    Close(panel);
}

TEST_F(TurnPanelTest, TheSecondRecalculationBuildsTheSamePathAsTheFirst) {
    CTurnMnogoProhod& op = MultiPass();
    ASSERT_FALSE(op.HasMessage()) << op.messageText;
    MultiPassPanel panel(op);
    Open(panel, &op);
    const std::string shown = ContourScriptText(*panel.workContour);
    panel.RecalculatePath();
    ASSERT_FALSE(panel.HasMessage()) << panel.messageText;
    const std::size_t frames = panel.Frames().size();
    EXPECT_GT(frames, 0u);
    EXPECT_EQ(ContourScriptText(*panel.workContour), shown) << "the tab's contour stays as it was built";
    panel.RecalculatePath();
    EXPECT_FALSE(panel.HasMessage()) << panel.messageText;
    EXPECT_EQ(panel.Frames().size(), frames);
    EXPECT_TRUE(MessageLog::Instance().Texts(MessageRole::MessageBox).empty());
    Close(panel);
}

TEST_F(TurnPanelTest, OkCopiesBackAndCancelLeavesTheOperationAsItWas) {
    CTurnMnogoProhod& op = MultiPass([](CTurnMnogoProhod& o) { o.Nshp = 900; });
    // Left so by a form that never set the kept manual speed: the panel starts
    // from the operation's own value.
    op.Nshp2 = 500;
    const std::vector<std::string> before = SettingsText(op);
    Queue({{"tab", "Режимы резания"},
           {"set", "Подача, s, мм/об", "0.25"},
           {"tab", "Коррекция инструмента"},
           {"set", "Смещение по Z", "1"},
           {"cancel"}});
    {
        MultiPassPanel panel(op);
        EXPECT_EQ(panel.ShowModal(), 2);
        EXPECT_GT(panel.RecalculationCount(), 0);
    }
    EXPECT_EQ(SettingsText(op), before) << "Cancel changes nothing, even after recalculations";
    Queue({{"tab", "Режимы резания"}, {"set", "Подача, s, мм/об", "0.25"}, {"ok"}, {"ok"}});
    {
        MultiPassPanel panel(op);
        EXPECT_EQ(panel.ShowModal(), 1);
    }
    EXPECT_EQ(op.Spod, 0.25);
    EXPECT_EQ(op.Nshp, 900) << "opening the panel keeps the spindle speed";
    EXPECT_FALSE(BusyFlag);
}

// The panel's copy is always of its operation's kind; one that is not, in a
// user's build, goes not back, and the panel says why.
TEST_F(TurnPanelTest, ACopyOfAnotherKindGoesNotBack) {
    const detail::UserBuildInvariants userBuild;
    CTurnMnogoProhod& op = MultiPass();
    const std::vector<std::string> before = SettingsText(op);
    MultiPassPanel panel(op);
    panel.Spod = op.Spod + 0.1;
    panel.kind = op.kind + 1;
    panel.CopyToTurn();
    EXPECT_EQ(SettingsText(op), before);
    const std::vector<std::string> boxes = MessageLog::Instance().Texts(MessageRole::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Параметры операции не переданы: внутренняя ошибка программы (turn_kind_panel.h:", 0), 0u)
        << boxes[0];
    panel.kind = op.kind;
    panel.CopyToTurn();
    EXPECT_EQ(op.Spod, panel.Spod) << "a copy of the kind goes back";
}

TEST_F(TurnPanelTest, APlainPanelRunsShowsTheCommonTabsAndCopiesNothingBack) {
    ProbeTurn op;
    const std::vector<std::string> before = SettingsText(op);
    Queue({{"tab", "Режимы резания"}, {"set", "Подача, s, мм/об", "0.5"}, {"dump"}, {"ok"}});
    EXPECT_EQ(op.Edit(), 1) << "the layer registered the plain panel for an operation of no kind";
    EXPECT_EQ(SettingsText(op), before);
    int tabs = 0;
    for (int t = 0; t < Manager().TabCount(); ++t) tabs += Manager().Tab(t).Caption() != "......." ? 1 : 0;
    EXPECT_EQ(tabs, 7);
}

TEST_F(TurnPanelTest, OpeningATabCollapsesTheOthersAndOpensItOnce) {
    CTurnMnogoProhod& op = MultiPass();
    const std::vector<std::string> stored = SettingsText(op);
    MultiPassPanel panel(op);
    Open(panel, &op);
    PropertyManager& m = Manager();
    ASSERT_TRUE(m.UserOpenTab(*panel.HostTab(CTurnPanel::kWorkingTab)).done);
    EXPECT_EQ(panel.CurrentTab(), CTurnPanel::kWorkingTab);
    ASSERT_TRUE(m.UserOpenTab(*panel.HostTab(CTurnPanel::kStrategyTab)).done);
    EXPECT_EQ(panel.CurrentTab(), CTurnPanel::kStrategyTab);
    for (int k = 1; k <= CTurnPanel::kTabCount; ++k)
        EXPECT_EQ(panel.HostTab(k)->Expanded(), k == CTurnPanel::kStrategyTab) << "tab " << k;
    EXPECT_EQ(panel.RecalculationCount(), 1) << "the strategy tab was opened once";
    ASSERT_TRUE(m.UserOpenTab(*panel.HostTab(CTurnPanel::kCorrectionTab)).done);
    EXPECT_EQ(panel.RecalculationCount(), 2);
    EXPECT_FALSE(panel.HostTab(CTurnPanel::kStrategyTab)->Expanded());
    Close(panel);
}

TEST_F(TurnPanelTest, PicksAreRefusedOnTheSourceTabWithThePreviousResultAndOnTabsThreeToSeven) {
    CTurnMnogoProhod& op = MultiPass();
    MultiPassPanel panel(op);
    Open(panel, &op);
    const HostObjectPtr object = part->AddLocalCoordinateSystem("ЛСК-1", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    ASSERT_TRUE(panel.isUsePrevContour);
    panel.ChangeTab(CTurnPanel::kSourceTab);
    EXPECT_FALSE(panel.FilterObject(object));
    EXPECT_FALSE(panel.OnSelectObject(object, {}));
    for (int tab = CTurnPanel::kToolTab; tab <= CTurnPanel::kPropertiesTab; ++tab) {
        panel.ChangeTab(tab);
        EXPECT_FALSE(panel.FilterObject(object)) << "tab " << tab;
        EXPECT_FALSE(panel.OnSelectObject(object, {})) << "tab " << tab;
    }
    Close(panel);
}

TEST_F(TurnPanelTest, TheTransitionIsForcedWhileThePreviousOperationUsesAnotherTool) {
    MultiPass([](CTurnMnogoProhod& o) { o.nToolPosition = 1; });
    CTurnMnogoProhod& op = MultiPass([](CTurnMnogoProhod& o) { o.indPerehod = 1; });
    MultiPassPanel panel(op);
    Open(panel, &op);
    panel.ChangeTab(CTurnPanel::kStrategyTab);
    EXPECT_FALSE(panel.transitionList->Enabled());
    EXPECT_EQ(panel.transitionList->CurrentItem(), 2) << "\"Через Исходную точку\"";
    EXPECT_EQ(panel.indPerehod, 2);
    // Forced again on the next opening: the user's mode stays the saved one.
    panel.ChangeTab(CTurnPanel::kCuttingTab);
    panel.ChangeTab(CTurnPanel::kStrategyTab);
    EXPECT_EQ(panel.SavedTransitionMode(), 1);
    // The tools match again.
    panel.nToolPosition = 1;
    panel.ChangeTab(CTurnPanel::kStrategyTab);
    EXPECT_TRUE(panel.transitionList->Enabled());
    EXPECT_EQ(panel.indPerehod, 1);
    EXPECT_EQ(panel.transitionList->CurrentItem(), 1);
    Close(panel);
}

TEST_F(TurnPanelTest, TheStrategyTabKeepsTheUsersTransitionWhenItOpensAgain) {
    MultiPass();
    CTurnMnogoProhod& op = MultiPass([](CTurnMnogoProhod& o) { o.indPerehod = 1; });
    MultiPassPanel panel(op);
    Open(panel, &op);
    panel.ChangeTab(CTurnPanel::kStrategyTab);
    ASSERT_TRUE(panel.transitionList->Enabled());
    ASSERT_TRUE(Manager().UserSelect(*panel.transitionList, 0).done);
    panel.ChangeTab(CTurnPanel::kCuttingTab);
    panel.ChangeTab(CTurnPanel::kStrategyTab);
    EXPECT_EQ(panel.indPerehod, 0);
    EXPECT_EQ(panel.transitionList->CurrentItem(), 0);
    Close(panel);
}

TEST_F(TurnPanelTest, TheAddToolButtonHandsTheEditedOperationToThePlanDataPanel) {
    CTurnMnogoProhod& op = MultiPass();
    HostLibraries::Instance().Add({LibraryTitle(), LibraryTitle(), nullptr});
    Queue({{"tab", "Режимы резания"},
           {"set", "Подача, s, мм/об", "0.4"},
           {"tab", "Инструмент"},
           {"press", "Добавить инструмент"}});
    int result = 0;
    {
        MultiPassPanel panel(op);
        result = panel.ShowModal();
    }
    EXPECT_EQ(result, 2) << "the panel ends as if cancelled";
    EXPECT_EQ(op.Spod, 0.4) << "with the copy written back";
    EXPECT_EQ(WaitingTurn, &op);
    ASSERT_FALSE(HostLibraries::Instance().Posted().empty());
    EXPECT_EQ(HostLibraries::Instance().Posted().back().second, CTurnPanel::kPlanDataCommand);
    // The next panel of the operation opens on the tool tab and no longer waits.
    {
        MultiPassPanel panel(op);
        Open(panel, &op);
        panel.ChangeTab(CTurnPanel::kWorkingTab);
        EXPECT_EQ(panel.CurrentTab(), CTurnPanel::kToolTab);
        EXPECT_EQ(WaitingTurn, nullptr);
        Close(panel);
    }
}

TEST_F(TurnPanelTest, TheSchemeAndTheCycleOfADrillingOperationRecalculateOnce) {
    CTurn& made = runner->AddKind(kTurnDRILL, "", [this](CTurn& o) {
        GivePostProcessor(o);
        o.nToolPosition = 0;
        o.isAutoTool = false;
    });
    auto& op = dynamic_cast<CTurnDRILL&>(made);
    TurnKindPanel<CTurnDRILL> panel(op);
    Open(panel);
    PropertyManager& m = Manager();
    ASSERT_NE(panel.schemeList, nullptr);
    ASSERT_TRUE(m.UserSelect(*panel.schemeList, 1).done);
    EXPECT_EQ(panel.indShema, 1);
    EXPECT_EQ(panel.RecalculationCount(), 1);
    ASSERT_EQ(panel.cycleList->Items().size(), 1u) << "the drilling cycles of the post-processor";
    EXPECT_EQ(panel.cycleList->Items()[0].text, " G83 - Сверление");
    EXPECT_TRUE(panel.cycleList->Enabled());
    ASSERT_TRUE(m.UserSetValue(*panel.cycleList, " G83 - Сверление").done);
    EXPECT_EQ(panel.indCycle, 0);
    EXPECT_EQ(panel.RecalculationCount(), 2);
    // The multi-pass panel leaves its scheme to its own panel.
    EXPECT_EQ(op.indShema, 0);
    Close(panel);
}

TEST_F(TurnPanelTest, TheToolTabSaysWhenNoToolCouldBeChosen) {
    CTurnMnogoProhod& op = MultiPass();
    MultiPassPanel panel(op);
    Open(panel, &op);
    panel.nToolPosition = -1;
    panel.isAutoTool = true;
    panel.ChangeTab(CTurnPanel::kToolTab);
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::MessageBox),
              std::vector<std::string>{"Не удалось автоматически подобрать инструмент"});
    EXPECT_EQ(panel.RecalculationCount(), 0);
    // With a tool chosen by hand the tab recalculates and selects its row.
    panel.isAutoTool = false;
    panel.nToolPosition = 1;
    panel.ChangeTab(CTurnPanel::kToolTab);
    EXPECT_EQ(panel.RecalculationCount(), 1);
    EXPECT_EQ(panel.toolList->CurrentItem(), 1);
    // The properties tab shows the name in its list.
    panel.ChangeTab(CTurnPanel::kPropertiesTab);
    EXPECT_EQ(panel.nameList->Value().ToBStr(), op.sNameTurn);
    Close(panel);
}

TEST_F(TurnPanelTest, HelpOpensTheTopicAndASecondOkIsIgnored) {
    SetModuleDirectory(folder.Path());
    CTurnMnogoProhod& op = MultiPass();
    MultiPassPanel panel(op);
    Open(panel, &op);
    panel.OnButtonClick(kPanelButtonHelp);
    ASSERT_FALSE(HostHelpCalls().empty());
    EXPECT_EQ(HostHelpCalls().back().topic, 1);
    EXPECT_EQ(panel.Result(), 0) << "the panel stays open";
    panel.Spod = 0.31;
    panel.OnButtonClick(kPanelButtonOK);
    EXPECT_EQ(op.Spod, 0.31);
    op.Spod = 0.2;
    panel.OnButtonClick(kPanelButtonOK);
    panel.OnButtonClick(kPanelButtonCancel);
    EXPECT_EQ(panel.Result(), 1);
    EXPECT_EQ(op.Spod, 0.2) << "nothing is copied a second time";
    Close(panel);
    SetModuleDirectory(std::nullopt);
}

TEST_F(TurnPanelTest, OnOlderHostsTheUsersTabIsTheTabOfItsPlace) {
    SetHostVersion({16, 0, 0, 0});
    CTurnMnogoProhod& op = MultiPass();
    MultiPassPanel panel(op);
    Open(panel, &op);
    ASSERT_TRUE(Manager().UserOpenTab(*panel.HostTab(CTurnPanel::kCorrectionTab)).done);
    EXPECT_EQ(panel.CurrentTab(), CTurnPanel::kCorrectionTab);
    EXPECT_EQ(panel.RecalculationCount(), 1);
    ASSERT_TRUE(Manager().UserOpenTab(*panel.HostTab(CTurnPanel::kWorkingTab)).done);
    EXPECT_EQ(panel.CurrentTab(), CTurnPanel::kWorkingTab);
    Close(panel);
}

TEST_F(TurnPanelTest, AKindWithoutAPanelKeepsTheAnswerFormWhoseSpeedsThePanelThenShows) {
    CTurnMnogoProhod& op = MultiPass();
    HeadlessTurnPanels headless;
    PlanPanels* before = RegisterPlanPanels(&headless);
    PanelScript::Instance().Queue(PlanPanels::kTurn, PanelAnswer{IDOK_, {{"spin", "900"}, {"feed", "0.3"}}});
    EXPECT_EQ(op.Edit(), IDOK_);
    RegisterPlanPanels(before);
    EXPECT_EQ(op.Nshp, 900);
    EXPECT_EQ(op.Nshp2, 900) << "the form's speed is the operation's manual one";
    EXPECT_EQ(op.Spod2, 0.3);
    Queue({{"ok"}});
    MultiPassPanel panel(op);
    EXPECT_EQ(panel.ShowModal(), 1);
    EXPECT_EQ(op.Nshp, 900);
    EXPECT_EQ(op.Spod, 0.3);
}

int sawSource = -1;
int RecordSource(CTurn& op) {
    sawSource = op.prevFinalContour != nullptr ? 1 : 0;
    return 0;
}

int ConfirmRenamed(CTurn& op) {
    op.sNameTurn = "Изменена";
    return 1;
}

TEST_F(TurnPanelTest, ThePlansCommandsEditThroughTheOperationsOwnEdit) {
    MultiPass();
    const TurnEditor previous = SetTurnEditor(kTurnMnogoProhod, ConfirmRenamed);
    GetPLAN()->EditTurn(0);
    EXPECT_EQ(GetPLAN()->GetTurn(0)->GetNameTurn(), "Изменена");
    GetPLAN()->CreateNewTurn(kTurnMnogoProhod, 0);
    ASSERT_EQ(GetPLAN()->GetTurnCount(), 2);
    EXPECT_EQ(GetPLAN()->GetTurn(0)->GetNameTurn(), "Изменена");
    SetTurnEditor(kTurnMnogoProhod, previous);
}

TEST_F(TurnPanelTest, ANewOperationHasItsSourceContourBeforeItsPanelOpens) {
    MultiPass();
    const TurnEditor previous = SetTurnEditor(kTurnMnogoProhod, RecordSource);
    sawSource = -1;
    GetPLAN()->CreateNewTurn(kTurnMnogoProhod, -1);
    SetTurnEditor(kTurnMnogoProhod, previous);
    EXPECT_EQ(sawSource, 1);
    EXPECT_EQ(GetPLAN()->GetTurnCount(), 1) << "cancelled: not inserted";
}

}  // namespace
}  // namespace zarvento::test
