// The cycle-parameter dialog: its list, editors and values, re-evaluation
// on leaving an edit, OK refused while a value fails, Enter inside an edit,
// Cancel, a cycle without parameters, a group's nested dialogs, the owner
// panel's commands, and EditParameters of a cycle opening it once the panels
// are started.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nc/cycle_auto.h"
#include "nc/parameters.h"
#include "panels/dialog_param.h"
#include "panels/host_panels.h"
#include "plan/plan_panels.h"
#include "platform/dialogs/scripted_user.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

UserSession CycleSteps(const std::vector<std::vector<std::string>>& steps) {
    UserSession session{UserSession::Kind::Dialog, CDialogParam::kScriptName, {}, 0};
    for (const auto& words : steps) {
        UserStep step;
        std::string error;
        EXPECT_TRUE(ParseDialogStep(words, step, error)) << error;
        session.steps.push_back(step);
    }
    return session;
}

// A cycle of a post-processor: a real value, an integer, a formula over
// both, a mandatory value, an automatic one and a choice.
void FillCycle(CCycle_Auto& cycle) {
    cycle.SetGCode("G71");
    cycle.SetName("Черновое точение");
    cycle.SetComment("Цикл черновой обработки");
    cycle.SetPostProcessorName("ISO_Lathe");
    cycle.AddParamDouble("DEPTH", 2, "Глубина");
    cycle.AddParamInt("PASSES", 3, "Число проходов");
    cycle.AddParamDouble("TOTAL", 0, "Всего");
    --cycle.paramCount;
    cycle.SetParamExpression("DEPTH*PASSES");
    ++cycle.paramCount;
    cycle.AddParamDouble("FEED", 0.2, "Подача");
    cycle.params[3].kind = 'O';
    cycle.AddParamDouble("AUTO", 0, "Авто");
    cycle.params[4].kind = 'A';
    cycle.AddParamInt("MODE", 0, "Режим");
    cycle.AddListValue("по X");
    cycle.AddListValue("по Z");
}

class RecordingPanel : public CycleDialogOwner {
public:
    void OnCycleDialogCommand(CycleDialogView& dialog, int id) override {
        commands.push_back(id);
        dialogs.push_back(&dialog);
    }
    std::vector<int> commands;
    std::vector<CycleDialogView*> dialogs;
};

class CycleDialogTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        FillCycle(cycle);
    }
    CCycle_Auto cycle;
};

TEST_F(CycleDialogTest, ListsParametersWithEditorsValuesAndNotes) {
    CDialogParam dialog(cycle);
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.Title(), "G71 - Черновое точение");
    const DialogControl& list = dialog.Control(CDialogParam::kList);
    ASSERT_EQ(list.RowCount(), 6);
    ASSERT_EQ(list.Columns().size(), 4u);
    EXPECT_EQ(list.Columns()[1].width, 333);
    EXPECT_EQ(list.Row(3), (std::vector<std::string>{"FEED", "Подача*", "", "0.2 "}));
    EXPECT_EQ(list.Cell(2, 3), "6 ");
    EXPECT_EQ(list.Cell(1, 3), "3");
    EXPECT_EQ(list.Cell(4, 3), "");  // automatic: no value
    EXPECT_EQ(dialog.Control(200).Text(), "2");
    EXPECT_EQ(dialog.Control(202).Text(), "DEPTH*PASSES");
    EXPECT_EQ(dialog.Control(204).Text(), "auto");
    EXPECT_TRUE(dialog.Control(204).ReadOnly());
    const DialogControl& combo = dialog.Control(305);
    EXPECT_EQ(combo.Items(), (std::vector<std::string>{"по X", "по Z"}));
    EXPECT_EQ(combo.CurrentItem(), 0);
    EXPECT_EQ(dialog.FindControl(205), nullptr);
    EXPECT_EQ(dialog.Control(CDialogParam::kNotes).Text(),
              "Примечание:  auto - параметр определяется автоматически; * - обязательный параметр       ");
    EXPECT_EQ(dialog.Control(CDialogParam::kComment).Text(), "Цикл черновой обработки");
    EXPECT_FALSE(dialog.Control(CDialogParam::kCodeTitle).Visible());
    EXPECT_EQ(dialog.Control(CDialogParam::kNameTitle).Text(), "Параметр");
}

TEST_F(CycleDialogTest, LeavingAnEditReevaluatesAndOkCopiesBack) {
    CDialogParam dialog(cycle);
    dialog.OnInitDialog();
    ASSERT_TRUE(dialog.UserSetValue(200, " 2.5 ").done);
    EXPECT_EQ(dialog.Control(CDialogParam::kList).Cell(2, 3), "7.5 ");
    ASSERT_TRUE(dialog.UserSetValue(305, "по Z").done);
    ASSERT_TRUE(dialog.UserClick(1).done);
    EXPECT_TRUE(dialog.Ended());
    EXPECT_EQ(cycle.params[0].valueText, "2.5");
    EXPECT_EQ(cycle.params[5].intValue, 1);
    EXPECT_EQ(cycle.params[5].valueText, "1");
}

TEST_F(CycleDialogTest, OkIsRefusedWhileAValueFailsAndCancelKeepsTheCycle) {
    CDialogParam dialog(cycle);
    dialog.OnInitDialog();
    ASSERT_TRUE(dialog.UserSetValue(200, "1/0").done);
    const DialogControl& list = dialog.Control(CDialogParam::kList);
    EXPECT_EQ(list.Cell(0, 3), "Error");
    // What depends on the failed value fails too.
    EXPECT_EQ(list.Cell(2, 3), "Error");
    EXPECT_NE(dialog.Control(CDialogParam::kNotes).Text().find("DEPTH"), std::string::npos);
    dialog.UserClick(1);
    EXPECT_FALSE(dialog.Ended());
    ASSERT_TRUE(dialog.UserSetValue(200, "4").done);
    EXPECT_EQ(list.Cell(2, 3), "12 ");
    dialog.UserClick(2);
    EXPECT_TRUE(dialog.Ended());
    EXPECT_EQ(cycle.params[0].valueText, "2");
}

TEST_F(CycleDialogTest, EnterInsideAnEditRecalculatesWithoutClosing) {
    CDialogParam dialog(cycle);
    dialog.OnInitDialog();
    // The edit has the focus and a new text when Enter (OK) comes.
    dialog.OnCommand(200, kEditGotFocus);
    dialog.Control(200).SetText("5");
    dialog.UserClick(1);
    EXPECT_FALSE(dialog.Ended());
    EXPECT_EQ(dialog.pending, 0);
    EXPECT_EQ(dialog.Control(CDialogParam::kList).Cell(2, 3), "15 ");
    dialog.UserClick(1);
    EXPECT_TRUE(dialog.Ended());
    EXPECT_EQ(cycle.params[0].valueText, "5");
}

TEST_F(CycleDialogTest, CycleWithoutParametersShowsItsCommentOnly) {
    CCycle_Auto bare;
    bare.SetName("Пустой");
    bare.SetComment("Без параметров");
    CDialogParam dialog(bare);
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.Title(), "Пустой");  // no post-processor: the name alone
    EXPECT_EQ(dialog.Control(CDialogParam::kList).RowCount(), 0);
    EXPECT_EQ(dialog.Control(CDialogParam::kComment).Text(), "Без параметров");
    dialog.UserClick(1);
    EXPECT_TRUE(dialog.Ended());
    EXPECT_EQ(bare.comment, "Без параметров");
}

TEST_F(CycleDialogTest, OwnerPanelHearsTheOpeningAndTheChoices) {
    RecordingPanel panel;
    cycle.ownerPanel = &panel;
    CDialogParam dialog(cycle);
    dialog.OnInitDialog();
    dialog.UserSetValue(305, "по Z");
    dialog.UserSetValue(200, "3");  // an edit's focus is no command
    EXPECT_EQ(panel.commands, (std::vector<int>{CycleDialogOwner::kDialogOpened, 305}));
    EXPECT_EQ(panel.dialogs, (std::vector<CycleDialogView*>{&dialog, &dialog})) << "the running dialog comes along";
    // A copy belongs to no panel.
    CCycle_Auto copy;
    copy.Copy(cycle);
    EXPECT_EQ(copy.ownerPanel, nullptr);
}

TEST_F(CycleDialogTest, GroupOpensOnlyCheckedMembers) {
    CCycle_Auto group;
    group.SetName("Группа");
    group.groupFlag = 1;
    for (const char* code : {"G71", "G70"}) {
        auto member = std::make_unique<CCycle_Auto>();
        FillCycle(*member);
        member->SetGCode(code);
        group.members.push_back(std::move(member));
        group.AddParamInt(code, 0, code);
    }
    group.params[0].valueText = "1";
    CDialogParam dialog(group);
    dialog.OnInitDialog();
    const DialogControl& list = dialog.Control(CDialogParam::kList);
    ASSERT_EQ(list.Columns().size(), 2u);
    EXPECT_TRUE(list.CheckBoxes());
    EXPECT_TRUE(list.RowChecked(0));
    EXPECT_FALSE(list.RowChecked(1));
    EXPECT_EQ(dialog.Control(CDialogParam::kNotes).Text(), CDialogParam::kGroupNote);
    // The unchecked member does not open: no dialog session is taken.
    ScriptedUser::Instance().Queue(CycleSteps({{"set", "200", "7"}, {"ok"}}));
    dialog.UserDoubleClick(CDialogParam::kList, 1);
    EXPECT_EQ(ScriptedUser::Instance().Pending(), 1u);
    dialog.UserDoubleClick(CDialogParam::kList, 0);
    EXPECT_EQ(ScriptedUser::Instance().Pending(), 0u);
    dialog.UserCheckRow(CDialogParam::kList, 1, true);
    dialog.UserClick(1);
    ASSERT_TRUE(dialog.Ended());
    EXPECT_EQ(group.members[0]->params[0].valueText, "7");
    EXPECT_EQ(group.members[1]->params[0].valueText, "2");
    EXPECT_EQ(group.params[1].intValue, 1);
}

TEST_F(CycleDialogTest, EditParametersOpensTheDialogOnceThePanelsAreStarted) {
    EXPECT_EQ(cycle.EditParameters(), 0);  // no dialog: nothing is edited
    PlanPanels headless;
    StartPanels(headless);
    EXPECT_EQ(GetPlanPanels().ShownOnHost(CDialogParam::kScriptName), PlanPanels::HostShown::Dialog);
    ScriptedUser::Instance().Queue(CycleSteps({{"set", "201", "4"}, {"ok"}}));
    EXPECT_EQ(cycle.EditParameters(), 1);
    EXPECT_EQ(cycle.params[1].valueText, "4");
    // Without steps the user cancels.
    EXPECT_EQ(cycle.EditParameters(), 2);
    StopPanels();
    EXPECT_EQ(cycle.EditParameters(), 0);
}

}  // namespace
}  // namespace zarvento::test
