// The plan executor: factory, list and tree order, removal by position,
// active-operation searches, recalculation order and what it restores, and
// the path display.
#include "geometry/exception.h"
#include "nc/modal_state.h"
#include "plan/plan.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "plan_test_support.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_faults.h"
#include "platform/documents/hidden_document.h"
#include "stand_in_turn.h"

namespace zarvento {
namespace {

class PlanExecutorTest : public test::PlanTest {
protected:
    // A plan of stand-ins named a, b, c, ... appended in order.
    CPLAN& PlanOf(const std::string& names) {
        CPLAN& plan = *GetPLAN();
        for (char c : names) plan.InsertTurn(-1, Turn(std::string(1, c)));
        return plan;
    }
    std::unique_ptr<test::StandInTurn> Turn(const std::string& name) {
        return std::make_unique<test::StandInTurn>(name, log);
    }
    static test::StandInTurn& At(int i) { return static_cast<test::StandInTurn&>(*GetPLAN()->GetTurn(i)); }
    static std::string ListNames() {
        std::string names;
        for (int i = 0; i < GetPLAN()->GetTurnCount(); ++i) names += GetPLAN()->GetTurn(i)->GetNameTurn();
        return names;
    }
    // The operation items under the plan tree's root, in tree order.
    static std::string TreeNames() {
        const TreeControl& tree = *GetPlanTree().Control();
        std::string names;
        for (TreeItem item : tree.Children(GetPlanTree().Root())) {
            const std::string& text = tree.ItemText(item);
            if (text.size() == 1) names += text;
        }
        return names;
    }

    std::vector<std::string> log;
};

TEST_F(PlanExecutorTest, FactoryBuildsTheSevenKindsAndNothingElse) {
    EXPECT_EQ(CPLAN::CreateTurnClass(1), nullptr) << "no factory registered yet";
    test::StandInFactory factory(log);
    for (int type = 1; type <= 7; ++type) {
        std::unique_ptr<PlanTurn> op = CPLAN::CreateTurnClass(type);
        ASSERT_NE(op, nullptr) << type;
        EXPECT_EQ(op->kind, type);
        EXPECT_EQ(op->GetNameTurn(), "k" + std::to_string(type));
    }
    for (int type : {0, 8, -1, 1000}) EXPECT_EQ(CPLAN::CreateTurnClass(type), nullptr) << type;
}

TEST_F(PlanExecutorTest, EmptyPlanAnswersNothing) {
    CPLAN& plan = *GetPLAN();
    test::StandInTurn outside("x", log);
    EXPECT_EQ(plan.GetTurn(0), nullptr);
    EXPECT_EQ(plan.GetTurn(-1), nullptr);
    EXPECT_EQ(plan.GetActiveTurnNumber(&outside), -1);
    EXPECT_EQ(plan.GetActiveTurnNumber(nullptr), -1);
    EXPECT_EQ(plan.GetPrevActiveTurn(0), nullptr);
    EXPECT_EQ(plan.GetNextActiveTurn(0), nullptr);
    EXPECT_FALSE(plan.ContainsTurn(&outside));
    EXPECT_FALSE(plan.RemoveTurn(&outside));
    EXPECT_EQ(plan.storedDocumentPath, "") << "the active part was never saved";
}

TEST_F(PlanExecutorTest, InsertionKeepsListAndTreeInTheSameOrder) {
    GetPlanTree().CreateControl();
    CSPID& spid = *GetSPID();
    spid.InsertLSCTreeNode(&GetPlanTree());
    spid.InsertSPIDTreeNode(&GetPlanTree());
    struct Step {
        int at;
        char name;
        const char* expected;
    };
    const Step steps[] = {
        {-1, 'a', "a"},     {1, 'b', "ab"},       // -1 and count append
        {0, 'c', "cab"},                          // the front, behind the plan-data groups
        {2, 'd', "cadb"},                         // the middle
        {99, 'e', "cadbe"}, {-7, 'f', "cadbef"},  // stale positions append
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        GetPLAN()->InsertTurn(s.at, Turn(std::string(1, s.name)));
        EXPECT_EQ(ListNames(), s.expected);
        EXPECT_EQ(TreeNames(), s.expected);
    }
    const std::vector<TreeItem> top = GetPlanTree().Control()->Children(GetPlanTree().Root());
    EXPECT_EQ(top[0], spid.hLSCGroup);
    EXPECT_EQ(top[1], spid.hSPIDGroup);
}

TEST_F(PlanExecutorTest, InsertionWithoutATreeControlOnlyFillsTheList) {
    CPLAN& plan = PlanOf("ab");
    plan.InsertTurn(1, Turn("c"));
    EXPECT_EQ(ListNames(), "acb");
    EXPECT_EQ(plan.GetTurn(1)->hTreeItem, kNoTreeItem);
}

TEST_F(PlanExecutorTest, MovesKeepListAndTreeTogetherAndRefuseStalePositions) {
    GetPlanTree().CreateControl();
    CPLAN& plan = PlanOf("abcd");
    EXPECT_TRUE(plan.MoveTurn(0, 2));
    EXPECT_EQ(ListNames(), "bcad");
    EXPECT_TRUE(plan.MoveTurn(3, 0));
    EXPECT_EQ(ListNames(), "dbca");
    EXPECT_EQ(TreeNames(), "dbca");
    EXPECT_FALSE(plan.MoveTurn(4, 0));
    EXPECT_FALSE(plan.MoveTurn(0, -1));
    EXPECT_EQ(ListNames(), "dbca");
}

TEST_F(PlanExecutorTest, RemovalDropsTheRecordOfTheLastPositionWhicheverOperationGoes) {
    for (int removed = 0; removed < 3; ++removed) {
        SCOPED_TRACE(removed);
        DeletePLAN();
        DeletePlanTree();
        GetPlanTree().CreateControl();
        CPLAN& plan = PlanOf("abc");
        log.clear();
        ASSERT_TRUE(plan.RemoveTurn(plan.GetTurn(removed)));
        EXPECT_EQ(log, std::vector<std::string>{"remove 2"});
        std::string expected = "abc";
        expected.erase(static_cast<std::size_t>(removed), 1);
        EXPECT_EQ(ListNames(), expected);
        EXPECT_EQ(TreeNames(), expected);
    }
}

TEST_F(PlanExecutorTest, NoLinkOutlivesADeletedOperation) {
    GetSPID()->pLSC = part->AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    CPLAN& plan = PlanOf("abc");
    plan.SelectTurn(1);
    ASSERT_EQ(plan.GetCurrentTurn(), plan.GetTurn(1));
    WaitingTurn = plan.GetTurn(1);
    plan.RemoveTurn(plan.GetTurn(1));
    EXPECT_EQ(plan.GetCurrentTurn(), nullptr);
    EXPECT_EQ(WaitingTurn, nullptr);

    plan.SelectTurn(0);
    WaitingTurn = plan.GetTurn(1);
    plan.ClearTurns();
    EXPECT_EQ(plan.GetCurrentTurn(), nullptr);
    EXPECT_EQ(WaitingTurn, nullptr);

    PlanOf("d");
    WaitingTurn = GetPLAN()->GetTurn(0);
    DeletePLAN();
    EXPECT_EQ(WaitingTurn, nullptr);
}

TEST_F(PlanExecutorTest, SelectionNeedsACoordinateSystemAndAnOperationOfThePlan) {
    CPLAN& plan = PlanOf("ab");
    plan.SelectTurn(0);
    EXPECT_EQ(plan.GetCurrentTurn(), nullptr) << "no coordinate system";
    GetSPID()->pLSC = part->AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    plan.SelectTurn(0);
    plan.SelectTurn(1);
    plan.SelectTurn(5);
    EXPECT_EQ(plan.GetCurrentTurn(), plan.GetTurn(1));
    plan.DeselectTurn();
    EXPECT_EQ(plan.GetCurrentTurn(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"a select", "a deselect", "b select", "b deselect", "b deselect"}));
}

// Plan a..f: b excluded, c with a message, e excluded and with a message.
TEST_F(PlanExecutorTest, ActiveSearchesSkipExcludedAndFailingOperations) {
    CPLAN& plan = PlanOf("abcdef");
    At(1).isExclude = true;
    At(2).messageText = "Ошибка";
    At(4).isExclude = true;
    At(4).messageText = "Ошибка";
    struct Case {
        int i;
        int activeNumber;
        const char* previous;
        const char* next;
    };
    const Case cases[] = {
        {0, 0, "a", "a"}, {1, 1, "a", "d"}, {2, 1, "a", "d"}, {3, 1, "d", "d"}, {4, 2, "d", "f"}, {5, 2, "f", "f"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.i);
        EXPECT_EQ(plan.GetActiveTurnNumber(plan.GetTurn(c.i)), c.activeNumber);
        EXPECT_EQ(plan.GetPrevActiveTurn(c.i)->GetNameTurn(), c.previous);
        EXPECT_EQ(plan.GetNextActiveTurn(c.i)->GetNameTurn(), c.next);
    }
    EXPECT_EQ(plan.GetPrevActiveTurn(6), nullptr);
    EXPECT_EQ(plan.GetNextActiveTurn(-1), nullptr);
    At(5).isExclude = true;
    EXPECT_EQ(plan.GetNextActiveTurn(4), nullptr);
    At(0).messageText = "Предупреждение";
    EXPECT_EQ(plan.GetPrevActiveTurn(2), nullptr);
}

TEST_F(PlanExecutorTest, ExclusionFlipsAndRefreshesTheTreeItem) {
    GetPlanTree().CreateControl();
    CPLAN& plan = PlanOf("a");
    EXPECT_TRUE(plan.ToggleExclude(0));
    EXPECT_TRUE(plan.GetTurn(0)->isExclude);
    EXPECT_FALSE(plan.ToggleExclude(1));
    EXPECT_TRUE(plan.ToggleExclude(0));
    EXPECT_FALSE(plan.GetTurn(0)->isExclude);
}

TEST_F(PlanExecutorTest, RecalculationRunsEveryOperationInOrderFromACleanModalState) {
    CPLAN& plan = PlanOf("abcd");
    At(1).isExclude = true;
    At(2).messageText = "old";
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        At(i).onCalculate = [&seen, i](test::StandInTurn& op) {
            const bool hiddenActive = HostApplicationObject()->ActiveDocumentOrNull() == HiddenDocument();
            const bool drawsIntoHidden = &ActiveDocument2D() == &HiddenWorkDocument2D();
            seen.push_back(op.GetNameTurn() + " tool " + std::to_string(ModalState.previousTool) +
                           (BusyFlag ? " busy" : "") + (hiddenActive ? " hidden" : "") +
                           (drawsIntoHidden ? " 2d" : ""));
            ModalState.previousTool = i;
        };
    }
    ModalState.previousTool = 7;
    Document2D sketch;
    SetActiveDocument2D(&sketch);
    for (bool busyBefore : {false, true}) {
        SCOPED_TRACE(busyBefore);
        seen.clear();
        log.clear();
        BusyFlag = busyBefore;
        plan.DiagnosticRaschetPath();
        EXPECT_EQ(log, (std::vector<std::string>{"a@0", "b@1", "c@2", "d@3"})) << "excluded ones run too";
        EXPECT_EQ(seen, (std::vector<std::string>{"a tool -1 busy hidden 2d", "b tool 0 busy hidden 2d",
                                                  "c tool 1 busy hidden 2d", "d tool 2 busy hidden 2d"}));
        EXPECT_EQ(BusyFlag, busyBefore);
        EXPECT_EQ(app->ActiveDocumentOrNull(), part);
        EXPECT_EQ(&ActiveDocument2D(), &sketch);
    }
    EXPECT_NE(HiddenDocument(), nullptr);
    EXPECT_FALSE(HiddenDocument()->Visible());
}

TEST_F(PlanExecutorTest, RecalculationRestoresFlagAndDocumentsWhenItFails) {
    CPLAN& plan = PlanOf("ab");
    At(1).onCalculate = [](test::StandInTurn&) { throw Exception("сбой"); };
    BusyFlag = false;
    EXPECT_THROW(plan.DiagnosticRaschetPath(), Exception);
    EXPECT_FALSE(BusyFlag);
    EXPECT_EQ(app->ActiveDocumentOrNull(), part);
    EXPECT_EQ(&ActiveDocument2D(), &HiddenWorkDocument2D());

    HostFaults::Arm("HostApplication.SetActiveDocument", E_FAIL_);
    EXPECT_EQ(test::ErrorCodeOf([&] { plan.DiagnosticRaschetPath(); }), E_FAIL_);
    HostFaults::Clear();
    EXPECT_FALSE(BusyFlag);
    EXPECT_EQ(app->ActiveDocumentOrNull(), part);
}

TEST_F(PlanExecutorTest, RecalculationNeedsTheHostApplication) {
    CPLAN& plan = PlanOf("a");
    DisconnectHostApplication();
    EXPECT_EQ(test::ErrorCodeOf([&] { plan.DiagnosticRaschetPath(); }), E_POINTER_);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(BusyFlag);
}

TEST_F(PlanExecutorTest, PathDisplayFollowsExclusionAndShownMarks) {
    CPLAN& plan = PlanOf("abc");
    At(1).isExclude = true;
    At(2).isShowPath = false;
    CSPID& spid = *GetSPID();

    plan.RedrawPaths();
    EXPECT_TRUE(log.empty()) << "nothing without a part contour";
    EXPECT_FALSE(spid.startPointMarker.IsDrawn());

    spid.pDetailContour = std::make_unique<Contour>();
    plan.RedrawPaths();
    EXPECT_EQ(log, (std::vector<std::string>{"a show", "b hide"}));
    EXPECT_TRUE(spid.startPointMarker.IsVisible());

    log.clear();
    plan.RestorePaths();
    EXPECT_EQ(log, (std::vector<std::string>{"a unhide", "b hide"}));
    EXPECT_TRUE(spid.startPointMarker.IsVisible());

    log.clear();
    At(0).isShowPath = false;
    plan.RedrawPaths();
    EXPECT_EQ(log, (std::vector<std::string>{"b hide"}));
    EXPECT_TRUE(spid.startPointMarker.IsDrawn());
    EXPECT_FALSE(spid.startPointMarker.IsVisible()) << "no path drawn: the start point is hidden";

    log.clear();
    At(0).isShowPath = true;
    plan.HidePaths();
    EXPECT_EQ(log, (std::vector<std::string>{"a hide", "b hide"}));
    EXPECT_FALSE(spid.startPointMarker.IsDrawn());
}

}  // namespace
}  // namespace zarvento
