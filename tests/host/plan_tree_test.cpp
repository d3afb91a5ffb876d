// The plan tree on the tree-dialog control in the part window's panel: the
// control made by its ProgID, the tree driven through its window, the image
// table, roles, context menus and their states, the swap of two operations,
// and the tree's events turned into the library's commands.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/base_event.h"
#include "host/tree_ctrl_event.h"
#include "host_test_support.h"
#include "plan/command_door.h"
#include "plan/plan.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/messages.h"
#include "platform/dialogs/host_events.h"
#include "platform/dialogs/host_panel.h"
#include "platform/dialogs/message_loop.h"
#include "platform/dialogs/popup_menu.h"
#include "platform/processes/component_registry.h"
#include "platform/processes/host_registry.h"
#include "platform/tree/image_list.h"

namespace zarvento::test {
namespace {

using Triple = RecordedCommands::Triple;

class PlanTreeTest : public HostBindingTest {
protected:
    void SetUp() override {
        HostBindingTest::SetUp();
        Connect();
        MessageLog::Instance().Clear();
    }
    void TearDown() override {
        BusyFlag = false;
        HostBindingTest::TearDown();
    }

    // The tree made as the first command makes it, with the plan-data groups
    // and `count` operations.
    PlanTree& MakeTree(int count = 0) {
        PlanTree& tree = GetPlanTree();
        tree.Create();
        EXPECT_NE(tree.Control(), nullptr);
        CSPID* spid = GetSPID();
        spid->InsertLSCTreeNode(&tree);
        spid->InsertSPIDTreeNode(&tree);
        for (int k = 0; k < count; ++k) GetPLAN()->InsertTurn(-1, CPLAN::CreateTurnClass(1));
        return tree;
    }
    TreeControl& Tree() { return *GetPlanTree().Control(); }
    TreeItem Op(int k) { return GetPLAN()->GetTurn(k)->hTreeItem; }
    HostPanel& Panel() { return FramePanel(DocumentFrame(part, 0)); }
    // Clicks an item as the user does: the left button on its label.
    void Click(TreeItem item, bool right = false) {
        int x = 0, y = 0;
        ASSERT_TRUE(Tree().ItemPoint(item, TreeHitPart::Label, x, y));
        if (right) {
            RightClickWindow(Tree().Handle(), x, y);
        } else {
            ClickWindow(Tree().Handle(), x, y);
        }
    }
    // Opens the item's context menu and chooses `id` (0: none).
    void Choose(TreeItem item, int id) {
        QueueMenuChoice(id);
        Click(item, true);
        ClearMenuChoices();
    }
    static std::vector<int> Posted() {
        std::vector<int> ids;
        for (const auto& [title, id] : HostLibraries::Instance().Posted()) ids.push_back(id);
        return ids;
    }
    static ATreeCtrlEvent& Sink() {
        const std::vector<ABaseEvent*> sinks = AdvisedControlSinks();
        auto* sink = sinks.size() == 1 ? dynamic_cast<ATreeCtrlEvent*>(sinks.front()) : nullptr;
        if (!sink) throw std::logic_error("the tree has " + std::to_string(sinks.size()) + " sinks");
        return *sink;
    }
};

TEST_F(PlanTreeTest, TreeSitsOnTheControlInTheWindowsPanel) {
    PlanTree& tree = MakeTree();
    ASSERT_EQ(Panel().Controls().size(), 1u);
    EXPECT_EQ(Panel().Controls()[0].caption, "Zarvento");
    EXPECT_EQ(Panel().RefreshCount(), 1);
    EXPECT_EQ(tree.ControlObject(), Panel().Controls()[0].control);
    // The tree is the control's own window, found by its handle.
    EXPECT_TRUE(Panel().Window().Contains(&Tree()));
    const std::vector<TreeItem> top = Tree().Children(kNoTreeItem);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0], tree.Root());
    EXPECT_EQ(Tree().ItemText(tree.Root()), "План токарной обработки");
    EXPECT_EQ(Tree().ItemImage(tree.Root()), 0);
    EXPECT_EQ(AdvisedControlSinks().size(), 1u);
    EXPECT_TRUE(Messages().empty());
    // Asked again, nothing more is placed.
    tree.Create();
    EXPECT_EQ(Panel().Controls().size(), 1u);

    // Teardown takes the control out of the panel and its sink off the
    // tree, the busy flag as it was.
    DeletePlanTree();
    EXPECT_TRUE(Panel().Controls().empty());
    EXPECT_TRUE(AdvisedControlSinks().empty());
    EXPECT_FALSE(BusyFlag);
}

TEST_F(PlanTreeTest, ImageTableIsFilledOnceAndUnknownIdsAreTheRootsImage) {
    PlanTree& tree = MakeTree();
    const ImageList* list = ImageList::FromHandle(Tree().GetImageList(kTreeNormalImages));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Count(), 32);
    EXPECT_EQ(list->ImageResourceId(31), 10080);
    // A tree made again fills the table anew instead of growing it.
    tree.CreateImageList();
    tree.CreateImageList();
    EXPECT_EQ(TreeImageTable().size(), 32u);
    struct Case {
        int id, index;
    };
    for (const Case c : {Case{10550, 0}, Case{10230, 1}, Case{10200, 4}, Case{10201, 8}, Case{10407, 21},
                         Case{10501, 22}, Case{10080, 31}, Case{4711, 0}, Case{0, 0}})
        EXPECT_EQ(GetTreeImageIndex(c.id), c.index) << c.id;
    // The items take their images from it.
    CSPID* spid = GetSPID();
    spid->InsertLSCTreeNode(&tree);
    EXPECT_EQ(Tree().ItemImage(spid->hLSCGroup), 1);
}

TEST_F(PlanTreeTest, WithoutTheControlTheUserIsToldOnceAndThePlanWorks) {
    HostRegistry::Instance().Close();
    RunLibraryCommand(-1, kActionCreateTree, -1);
    RunLibraryCommand(-1, kActionSynchronize, -1);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Не обнаружен компонент Tindral.ocx"});
    ASSERT_NE(ExistingPlanTree(), nullptr);
    EXPECT_EQ(ExistingPlanTree()->Control(), nullptr);
    EXPECT_TRUE(Panel().Controls().empty());
    // The plan goes on without a tree.
    GetPLAN()->InsertTurn(-1, CPLAN::CreateTurnClass(1));
    GetPLAN()->InsertTurn(-1, CPLAN::CreateTurnClass(2));
    EXPECT_TRUE(GetPLAN()->MoveTurn(0, 1));
    EXPECT_EQ(GetPLAN()->GetTurn(0)->kind, 2);
    EXPECT_EQ(ExistingPlanTree()->GetSelectedRole(), -1);
    EXPECT_EQ(GetTreeImageIndex(10080), 0);
}

TEST_F(PlanTreeTest, ResetLeavesTheBusyFlagAsItWas) {
    for (bool withControl : {false, true}) {
        SCOPED_TRACE(withControl);
        DeletePlanTree();
        if (withControl) MakeTree(1);
        for (bool busy : {false, true}) {
            BusyFlag = busy;
            GetPlanTree().Reset();
            EXPECT_EQ(BusyFlag, busy);
        }
        BusyFlag = false;
        if (withControl) {
            EXPECT_EQ(Tree().Count(), 1u);
            EXPECT_EQ(Tree().ItemText(GetPlanTree().Root()), "План токарной обработки");
        }
    }
}

TEST_F(PlanTreeTest, RolesOfGroupsAndTheirLines) {
    PlanTree& tree = MakeTree(3);
    const CSPID& spid = *GetSPID();
    struct Case {
        TreeItem item;
        int role;
    };
    const TreeItem opLine = Tree().Children(Op(1)).back();
    for (const Case c :
         {Case{tree.Root(), 1000}, Case{spid.hLSCGroup, 0}, Case{spid.hLSCLine, 0}, Case{spid.hSPIDGroup, 1},
          Case{spid.hStartLine, 1}, Case{Op(0), 2}, Case{opLine, 3}, Case{Op(2), 4}, Case{kNoTreeItem, -1}}) {
        Tree().SelectItem(c.item);
        EXPECT_EQ(tree.GetSelectedRole(), c.role) << c.item;
    }
    tree.Deselect(3);
    EXPECT_EQ(Tree().SelectedItem(), kNoTreeItem);
    Tree().SelectItem(Op(0));
    tree.Deselect(-1);
    EXPECT_EQ(Tree().SelectedItem(), kNoTreeItem);
}

TEST_F(PlanTreeTest, NodeClickMakesTheOperationCurrentExceptWhileBusy) {
    MakeTree(3);
    RecordedCommands recorded;
    Click(Op(1));
    EXPECT_EQ(Sink().Role(), 3);
    EXPECT_EQ(Posted(), std::vector<int>{116});
    // Its menu is the operation's, handed to the control.
    const PopupMenu* menu = PopupMenu::FromHandle(GetPlanTree().ContextMenu());
    ASSERT_NE(menu, nullptr);
    EXPECT_NE(menu->Find(506), nullptr);
    EXPECT_EQ(menu->Find(560), nullptr);
    // The host runs it: operation 1 becomes the current one.
    HostLibraries::Instance().RunPosted();
    EXPECT_EQ(recorded.Take(), (std::vector<Triple>{{1, 6, 1}}));

    BusyFlag = true;
    Click(Op(2));
    EXPECT_EQ(Sink().Role(), 4);
    EXPECT_NE(GetPlanTree().ContextMenu(), 0u);
    EXPECT_TRUE(Posted().empty());
    BusyFlag = false;
    // The root, a data group: no command; nothing selected: no menu.
    Click(GetPlanTree().Root());
    Click(GetSPID()->hSPIDGroup);
    EXPECT_TRUE(Posted().empty());
    ASSERT_NE(PopupMenu::FromHandle(GetPlanTree().ContextMenu()), nullptr);
    EXPECT_EQ(PopupMenu::FromHandle(GetPlanTree().ContextMenu())->Find(560), nullptr);
    Tree().SelectItem(kNoTreeItem);
    EXPECT_EQ(Sink().Role(), -1);
    EXPECT_EQ(GetPlanTree().ContextMenu(), 0u);
}

TEST_F(PlanTreeTest, ContextMenuIdsBecomeTheirCommands) {
    MakeTree(3);
    RecordedCommands recorded;
    struct Case {
        int id;
        std::vector<Triple> triples;
        std::vector<int> posted;
    };
    const std::vector<Case> onOperation = {{502, {{-1, 3, 1}}, {}},
                                           {503, {{-1, 5, 1}}, {}},
                                           {505, {{-1, 7, 1}}, {}},
                                           {506, {{-1, 8, 1}}, {}},
                                           {507, {{-1, 9, 1}}, {}},
                                           {501, {}, {15}},
                                           {521, {}, {521}},
                                           {627, {}, {627}},
                                           {540, {}, {540}},
                                           {541, {}, {541}},
                                           {0, {}, {}}};
    for (const Case& c : onOperation) {
        SCOPED_TRACE(c.id);
        Choose(Op(1), c.id);
        EXPECT_EQ(recorded.Take(), c.triples);
        // The click itself posts 116 first.
        std::vector<int> posted = Posted();
        posted.erase(std::remove(posted.begin(), posted.end(), 116), posted.end());
        EXPECT_EQ(posted, c.posted);
        HostLibraries::Instance().RunPosted();
        recorded.Take();
    }
    Choose(GetPlanTree().Root(), 560);
    Choose(GetPlanTree().Root(), 550);
    Choose(GetSPID()->hLSCGroup, 552);
    EXPECT_EQ(recorded.Take(), (std::vector<Triple>{{-1, 36, -1}, {-1, 31, 998}, {-1, 33, -2}}));
    // Nothing selected: the menu's commands do nothing.
    Tree().SelectItem(kNoTreeItem);
    Sink().MenuCommand(560);
    // Busy: nothing either.
    Click(GetPlanTree().Root());
    BusyFlag = true;
    Sink().MenuCommand(560);
    BusyFlag = false;
    Sink().MenuCommand(700);
    EXPECT_EQ(recorded.Take(), std::vector<Triple>{});
}

TEST_F(PlanTreeTest, MenuStatesOfFirstLastOnlyAndExcludedOperations) {
    MakeTree(3);
    GetPLAN()->GetTurn(1)->isExclude = true;
    GetPLAN()->GetTurn(2)->isShowPath = false;
    auto shown = [&](TreeItem item) {
        Choose(item, 0);
        return MenuTrackings().back().shown;
    };
    auto state = [](const std::vector<MenuItem>& items, int id) {
        auto it = std::find_if(items.begin(), items.end(), [id](const MenuItem& m) { return m.id == id; });
        EXPECT_NE(it, items.end()) << id;
        return it == items.end() ? std::string("?")
                                 : std::string(it->enabled ? "on" : "off") + (it->checked ? "+" : "");
    };
    struct Case {
        int op;
        std::string edit, exclude, path, up, down;
    };
    for (const Case& c : {Case{0, "on", "on", "on+", "off", "on"}, Case{1, "off", "on+", "on+", "on", "on"},
                          Case{2, "on", "on", "on", "on", "off"}}) {
        SCOPED_TRACE(c.op);
        const std::vector<MenuItem> items = shown(Op(c.op));
        EXPECT_EQ(state(items, 501), c.edit);
        EXPECT_EQ(state(items, 503), c.exclude);
        EXPECT_EQ(state(items, 505), c.path);
        EXPECT_EQ(state(items, 506), c.up);
        EXPECT_EQ(state(items, 507), c.down);
    }
    // The only operation can move neither way.
    GetPLAN()->RemoveTurn(GetPLAN()->GetTurn(2));
    GetPLAN()->RemoveTurn(GetPLAN()->GetTurn(1));
    const std::vector<MenuItem> only = shown(Op(0));
    EXPECT_EQ(state(only, 506), "off");
    EXPECT_EQ(state(only, 507), "off");
    // The root and the data groups show the plan data's displays.
    GetSPID()->isShowSource = true;
    const std::vector<MenuItem> root = shown(GetPlanTree().Root());
    EXPECT_EQ(state(root, 550), "on");
    EXPECT_EQ(state(root, 551), "on+");
    EXPECT_EQ(state(root, 560), "on");
    const std::vector<MenuItem> data = shown(GetSPID()->hLSCGroup);
    EXPECT_EQ(std::count_if(data.begin(), data.end(), [](const MenuItem& m) { return m.id == 560; }), 0);
    // While busy every item is refused.
    Click(Op(0));
    BusyFlag = true;
    pelmora::VARIANT_BOOL enabled = pelmora::VARIANT_TRUE_;
    std::int32_t checked = 0;
    Sink().MenuCommandUpdate(501, &enabled, &checked);
    EXPECT_EQ(enabled, pelmora::VARIANT_FALSE_);
}

TEST_F(PlanTreeTest, MovingSwapsTheTwoItemsKeepingHandlesLinesAndExpansion) {
    PlanTree& tree = MakeTree(3);
    const TreeItem a = Op(1), b = Op(2);
    const std::vector<TreeItem> linesOfA = Tree().Children(a);
    Tree().Expand(a);
    ASSERT_TRUE(GetPLAN()->MoveTurn(2, 1));
    const std::vector<TreeItem> top = Tree().Children(tree.Root());
    ASSERT_EQ(top.size(), 5u);
    EXPECT_EQ(top, (std::vector<TreeItem>{GetSPID()->hLSCGroup, GetSPID()->hSPIDGroup, Op(0), b, a}));
    EXPECT_EQ(Op(1), b);
    EXPECT_EQ(Op(2), a);
    EXPECT_EQ(Tree().Children(a), linesOfA);
    EXPECT_TRUE(Tree().IsExpanded(a));
    EXPECT_FALSE(Tree().IsExpanded(b));
    // Back again, and the first two.
    ASSERT_TRUE(GetPLAN()->MoveTurn(1, 2));
    ASSERT_TRUE(GetPLAN()->MoveTurn(0, 1));
    EXPECT_EQ(Op(0), a);
    EXPECT_EQ(Op(2), b);
    EXPECT_EQ(Tree().Children(tree.Root()),
              (std::vector<TreeItem>{GetSPID()->hLSCGroup, GetSPID()->hSPIDGroup, Op(0), Op(1), Op(2)}));
}

TEST_F(PlanTreeTest, LabelEditOrDeleteKeyDeletesOnlyAnOperationAndNeverWhileBusy) {
    MakeTree(2);
    RecordedCommands recorded;
    std::int16_t cancel = 0;
    std::string text;
    struct Case {
        TreeItem item;
        bool busy;
        std::vector<Triple> deleted;
    };
    for (const Case& c :
         {Case{GetPlanTree().Root(), false, {}}, Case{GetSPID()->hLSCGroup, false, {}},
          Case{GetSPID()->hSPIDGroup, false, {}}, Case{kNoTreeItem, false, {}}, Case{Op(1), true, {}},
          Case{Op(1), false, {{-1, 3, 1}}}, Case{Tree().Children(Op(0)).front(), false, {{-1, 3, 0}}}}) {
        Tree().SelectItem(c.item);
        BusyFlag = c.busy;
        Sink().AfterLabelEdit(&cancel, &text);
        BusyFlag = false;
        EXPECT_EQ(recorded.Take(), c.deleted) << c.item;
    }
    // Starting a label edit asks the host to edit the selected item.
    HostLibraries::Instance().RunPosted();
    Sink().BeforeLabelEdit(&cancel);
    EXPECT_EQ(Posted(), std::vector<int>{15});
}

// Records the triples with the busy flag as it was when each one ran.
std::vector<std::pair<Triple, bool>>& BusyLog() {
    static std::vector<std::pair<Triple, bool>> log;
    return log;
}
std::int32_t RecordBusy(std::int32_t type, std::int32_t action, std::int32_t index) {
    BusyLog().push_back({Triple{type, action, index}, BusyFlag});
    return 1;
}

TEST_F(PlanTreeTest, ReloadCleansUpUnderTheBusyFlagAndNothingWhileBusy) {
    const std::uint32_t reference = DocumentReference(part);
    ASSERT_NE(EnsureDocumentEvent(reference), nullptr);
    BusyLog().clear();
    CommandWrapper previous = SetCommandWrapper(&RecordBusy);
    EXPECT_TRUE(FireHostEvent(kDocumentFileEvents, reference, 6));
    EXPECT_FALSE(BusyFlag);
    BusyFlag = true;
    EXPECT_TRUE(FireHostEvent(kDocumentFileEvents, reference, 6));
    BusyFlag = false;
    SetCommandWrapper(previous);
    ASSERT_EQ(BusyLog().size(), 1u);
    EXPECT_EQ(BusyLog()[0].first, (Triple{-1, 22, -1}));
    EXPECT_TRUE(BusyLog()[0].second);
}

TEST_F(PlanTreeTest, ClosingThePartTakesTheTreeThePlanAndEverySinkOfTheDocument) {
    MakeTree(2);
    const std::uint32_t reference = DocumentReference(part);
    AdviseDocumentEvents(reference);
    AdviseDocumentEvents(0);
    for (std::int32_t kind : {kDocumentFileEvents, kSelectionEvents, kObject3DEvents, kDocumentFrameEvents})
        EXPECT_EQ(HostSubscriptionCount(kind), 1) << kind;
    EXPECT_EQ(Globals().firstFrame, DocumentFrame(part, 0));
    EXPECT_TRUE(FireHostEvent(kDocumentFileEvents, reference, 2));
    EXPECT_EQ(ExistingPlanTree(), nullptr);
    EXPECT_EQ(ExistingPLAN(), nullptr);
    EXPECT_EQ(ExistingSPID(), nullptr);
    EXPECT_TRUE(Panel().Controls().empty());
    EXPECT_TRUE(AdvisedControlSinks().empty());
    for (std::int32_t kind : {kDocumentFileEvents, kSelectionEvents, kObject3DEvents, kDocumentFrameEvents})
        EXPECT_EQ(HostSubscriptionCount(kind), 0) << kind;
    // The application's own sink stays.
    EXPECT_EQ(HostSubscriptionCount(kApplicationEvents), 1);
}

TEST_F(PlanTreeTest, DrawingsHaveTheirSelectionAndObjectSinks) {
    HostDocumentPtr drawing = ConnectHostApplication().Documents().Add(DocumentType::Drawing2D);
    const std::uint32_t reference = DocumentReference(drawing);
    AdviseDocumentEvents(reference);
    EXPECT_EQ(ConnectHostApplication().ActiveDocument(), drawing);
    for (std::int32_t kind : {kDocumentFileEvents, kSelectionEvents, kObject2DEvents})
        EXPECT_EQ(HostSubscriptionCount(kind), 1) << kind;
    EXPECT_EQ(HostSubscriptionCount(kDocumentFrameEvents), 0);
    // Found with object type -1 as stored with 0.
    EXPECT_NE(FindEvent(kObject2DEvents, reference, -1, nullptr), nullptr);
    RemoveEvents(0, reference, -1, nullptr);
    EXPECT_EQ(HostSubscriptionCount(), 1);
    // A refused document sink: nothing more is subscribed.
    RefuseHostSubscriptions(true);
    AdviseDocumentEvents(reference);
    EXPECT_EQ(HostSubscriptionCount(), 1);
}

TEST_F(PlanTreeTest, ViewExtentIsThePlansSafetyZone) {
    const std::uint32_t reference = DocumentReference(part);
    HostObjectPtr frame = DocumentFrame(part, 0);
    ASSERT_NE(EnsureDocumentFrameEvent(reference, frame), nullptr);
    GetSPID()->Xplane = 30;
    GetSPID()->Zplane = 12;
    auto box = std::make_shared<HostViewBox>();
    EXPECT_TRUE(FireHostEvent(kDocumentFrameEvents, reference, 8, HostEventArgs{box, 0}, frame));
    ASSERT_TRUE(box->set);
    EXPECT_EQ(std::vector<double>(box->max, box->max + 3), (std::vector<double>{30, 0, 12}));
    EXPECT_EQ(std::vector<double>(box->min, box->min + 3), (std::vector<double>{-30, 0, -12}));
}

}  // namespace
}  // namespace zarvento::test
