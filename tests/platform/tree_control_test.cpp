// The host's tree window: walking, inserting, sorting, deleting under the
// caret, hit-testing, the user's keys and label editing.
#include "platform/tree/tree_control.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/dialogs/message_loop.h"
#include "platform/tree/image_list.h"
#include "test_support.h"

namespace zarvento {
namespace {

// Records the notifications as short texts.
class Owner : public TreeControlOwner {
public:
    std::vector<std::string> log;
    const TreeControl* tree = nullptr;
    std::string Name(TreeItem item) const { return item && tree->Exists(item) ? tree->ItemText(item) : "none"; }
    void OnSelChanged(TreeItem, TreeItem item, TreeCause cause) override {
        log.push_back("sel " + Name(item) + " " + std::to_string(static_cast<int>(cause)));
    }
    void OnItemExpanded(TreeItem item, TreeExpand action) override {
        log.push_back((action == TreeExpand::Collapse ? "collapse " : "expand ") + Name(item));
    }
};

// A {A1, A2 {A21}}, B, C {C1} with A expanded, C collapsed.
class TreeControlTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        tree.SetStyle(kTreeHasButtons | kTreeHasLines | kTreeLinesAtRoot);
        tree.Move({0, 0, 300, 200});
        owner.tree = &tree;
        tree.SetOwner(&owner);
        Build();
    }
    void Build() {
        tree.DeleteAllItems();
        a = tree.InsertItem(0, "A", 0, 0);
        a1 = tree.InsertItem(a, "A1", 0, 0);
        a2 = tree.InsertItem(a, "A2", 0, 0);
        a21 = tree.InsertItem(a2, "A21", 0, 0);
        b = tree.InsertItem(0, "B", 0, 0);
        c = tree.InsertItem(0, "C", 0, 0);
        c1 = tree.InsertItem(c, "C1", 0, 0);
        tree.Expand(a);
        owner.log.clear();
    }
    std::vector<std::string> Labels(TreeItem parent) {
        std::vector<std::string> labels;
        for (TreeItem item : tree.Children(parent)) labels.push_back(tree.ItemText(item));
        return labels;
    }

    TreeControl tree;
    Owner owner;
    TreeItem a = 0, a1 = 0, a2 = 0, a21 = 0, b = 0, c = 0, c1 = 0;
};

TEST_F(TreeControlTest, GetNextItemAnswersEveryCode) {
    tree.SelectItem(a1);
    tree.SelectDropTarget(c);
    struct Case {
        TreeItem item;
        TreeNext code;
        TreeItem expected;
    };
    const Case cases[] = {
        {0, TreeNext::Root, a},
        {a2, TreeNext::Next, 0},
        {b, TreeNext::Next, c},
        {b, TreeNext::Previous, a},
        {a21, TreeNext::Parent, a2},
        {a, TreeNext::Parent, 0},
        {a, TreeNext::Child, a1},
        {0, TreeNext::Child, a},
        {kTreeRoot, TreeNext::Child, a},
        {0, TreeNext::FirstVisible, a},
        // A2 is collapsed: its child is not visible, and neither is C's.
        {a2, TreeNext::NextVisible, b},
        {a1, TreeNext::NextVisible, a2},
        {a21, TreeNext::NextVisible, 0},
        {c, TreeNext::NextVisible, 0},
        {b, TreeNext::PreviousVisible, a2},
        {a1, TreeNext::PreviousVisible, a},
        {c1, TreeNext::PreviousVisible, 0},
        {0, TreeNext::DropHilite, c},
        {0, TreeNext::Caret, a1},
        {12345, TreeNext::Next, 0},
    };
    for (const Case& k : cases)
        EXPECT_EQ(tree.GetNextItem(k.item, static_cast<int>(k.code)), k.expected)
            << static_cast<int>(k.code) << " of " << k.item;
    EXPECT_EQ(tree.GetNextItem(a, 10), 0);
}

TEST_F(TreeControlTest, InsertionTakesTheSpecialPositions) {
    tree.DeleteAllItems();
    const TreeItem m = tree.Insert(kTreeRoot, kTreeLast, "м", 0, 0);
    tree.Insert(0, kTreeFirst, "first", 0, 0);
    tree.Insert(0, kTreeSort, "Б", 0, 0);
    tree.Insert(0, kTreeSort, "Я", 0, 0);
    tree.Insert(0, m, "after м", 0, 0);
    // An item under another parent is no place among these: last.
    const TreeItem x = tree.Insert(m, kTreeLast, "x", 0, 0);
    tree.Insert(0, x, "not a sibling", 0, 0);
    EXPECT_EQ(Labels(0), (std::vector<std::string>{"first", "Б", "м", "after м", "Я", "not a sibling"}));
    EXPECT_EQ(tree.Insert(987654, kTreeLast, "orphan", 0, 0), 0);
    EXPECT_EQ(tree.ItemData(tree.Insert(0, kTreeLast, "data", 0, 0, 77)), 77);
}

TEST_F(TreeControlTest, AComparisonThatAnswersForOnePairSwapsJustThatPair) {
    tree.DeleteAllItems();
    constexpr int n = 7;
    for (int i = 0; i < n; ++i) tree.Insert(0, kTreeLast, std::to_string(i), 0, 0, i);
    for (int first = 0; first + 1 < n; ++first) {
        const std::vector<TreeItem> before = tree.Children(0);
        const std::int64_t x = tree.ItemData(before[static_cast<std::size_t>(first)]);
        const std::int64_t y = tree.ItemData(before[static_cast<std::size_t>(first) + 1]);
        ASSERT_TRUE(tree.SortChildrenCB(
            0, [&](std::int64_t p, std::int64_t q, std::int64_t) { return p == x && q == y ? 1 : 0; }, 0));
        std::vector<TreeItem> expected = before;
        std::swap(expected[static_cast<std::size_t>(first)], expected[static_cast<std::size_t>(first) + 1]);
        EXPECT_EQ(tree.Children(0), expected) << "pair at " << first;
    }
    EXPECT_FALSE(tree.SortChildrenCB(
        987654, [](std::int64_t, std::int64_t, std::int64_t) { return 0; }, 0));
}

TEST_F(TreeControlTest, SortingByLabelIgnoresLatinAndCyrillicCase) {
    tree.DeleteAllItems();
    for (const char* label : {"ёлка", "Ясень", "береза", "Акация", "alpha", "Beta"}) tree.InsertItem(0, label, 0, 0);
    const TreeItem parent = tree.Children(0)[0];
    tree.InsertItem(parent, "b", 0, 0);
    tree.InsertItem(parent, "A", 0, 0);
    ASSERT_TRUE(tree.SortChildren(0, true));
    EXPECT_EQ(Labels(0), (std::vector<std::string>{"alpha", "Beta", "Акация", "береза", "Ясень", "ёлка"}));
    EXPECT_EQ(Labels(tree.Children(0)[5]), (std::vector<std::string>{"A", "b"}));
}

TEST_F(TreeControlTest, ADeletedCaretMovesOnAndTheOwnerHears) {
    // The caret, the item deleted, and where the caret is then.
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"A1", "A1", "A2"},   // the next sibling
        {"A21", "A2", "A1"},  // deleted with an ancestor: the ancestor's previous sibling
        {"C1", "C1", "C"},    // no sibling: the parent
        {"B", "A", "B"},      // not under the deleted item: stays
        {"C", "C", "B"},      // the last top-level item: the previous one
    };
    for (const auto& [caretLabel, deletedLabel, nowLabel] : cases) {
        Build();
        auto find = [&](const std::string& label) {
            for (TreeItem item : {a, a1, a2, a21, b, c, c1})
                if (tree.ItemText(item) == label) return item;
            return TreeItem{0};
        };
        tree.SelectItem(find(caretLabel));
        owner.log.clear();
        ASSERT_TRUE(tree.DeleteItem(find(deletedLabel)));
        EXPECT_EQ(owner.Name(tree.SelectedItem()), nowLabel) << caretLabel << " / " << deletedLabel;
        EXPECT_EQ(owner.log.size(), caretLabel == nowLabel ? 0u : 1u) << caretLabel << " / " << deletedLabel;
    }
    tree.SelectItem(b);
    owner.log.clear();
    tree.DeleteItem(kTreeRoot);
    EXPECT_EQ(tree.Count(), 0u);
    EXPECT_EQ(owner.log, std::vector<std::string>{"sel none 0"});
    EXPECT_FALSE(tree.DeleteItem(b));
}

TEST_F(TreeControlTest, APointHitsThePartsOfTheRowItLiesIn) {
    const ImageListHandle images = ImageList::Create(16, 16, 0, 1, 0);
    const ImageListHandle states = ImageList::Create(12, 12, 0, 1, 0);
    tree.SetImageList(images, kTreeNormalImages);
    // Row 0 is A at depth 0: the button in the first indent (lines at root),
    // then the icon from 19, the label from 35 ("A": 7 + 4 wide).
    struct Case {
        int x, y;
        TreeItem item;
        TreeHitPart part;
    };
    const Case cases[] = {
        {5, 5, a, TreeHitPart::Button},  {20, 5, a, TreeHitPart::Icon},           {36, 5, a, TreeHitPart::Label},
        {46, 5, a, TreeHitPart::Right},  {5, 20, a1, TreeHitPart::Indent},        {25, 20, a1, TreeHitPart::Indent},
        {40, 20, a1, TreeHitPart::Icon}, {5, 5 + 16 * 4, c, TreeHitPart::Button}, {5, 16 * 5, 0, TreeHitPart::Nowhere},
        {5, -1, 0, TreeHitPart::Above},  {-1, 5, 0, TreeHitPart::ToLeft},         {300, 5, 0, TreeHitPart::ToRight},
    };
    for (const Case& k : cases) {
        const TreeHit hit = tree.HitTest(k.x, k.y);
        EXPECT_EQ(hit.item, k.item) << k.x << "," << k.y;
        EXPECT_EQ(hit.part, k.part) << k.x << "," << k.y << ": " << TreeHitPartName(hit.part);
    }
    tree.SetImageList(states, kTreeStateImages);
    EXPECT_EQ(tree.HitTest(20, 5).part, TreeHitPart::StateIcon);
    EXPECT_EQ(tree.HitTest(32, 5).part, TreeHitPart::Icon);
    int x = 0, y = 0;
    EXPECT_FALSE(tree.ItemPoint(a21, TreeHitPart::Label, x, y)) << "a hidden item has no point";
    EXPECT_FALSE(tree.ItemPoint(b, TreeHitPart::Button, x, y)) << "an item without children has no button";
}

TEST_F(TreeControlTest, TheUsersKeysAndClicksMoveTheCaretAndExpand) {
    HostWindow::SetFocus(&tree);
    struct Case {
        int key;
        std::string caret;
        std::vector<std::string> heard;
    };
    const Case cases[] = {
        {vk::Down, "A", {"sel A 2"}},    {vk::Right, "A1", {"sel A1 2"}}, {vk::End, "C", {"sel C 2"}},
        {vk::Right, "C", {"expand C"}},  {vk::Down, "C1", {"sel C1 2"}},  {vk::Left, "C", {"sel C 2"}},
        {vk::Left, "C", {"collapse C"}}, {vk::Up, "B", {"sel B 2"}},      {vk::Home, "A", {"sel A 2"}},
    };
    for (const Case& k : cases) {
        owner.log.clear();
        EXPECT_EQ(PressKey(k.key), Delivery::Dispatched);
        EXPECT_EQ(owner.Name(tree.SelectedItem()), k.caret) << k.key;
        EXPECT_EQ(owner.log, k.heard) << k.key;
    }
    // A double click on a label toggles its item.
    int x = 0, y = 0;
    ASSERT_TRUE(tree.ItemPoint(a2, TreeHitPart::Label, x, y));
    owner.log.clear();
    DoubleClickWindow(tree.Handle(), x, y);
    EXPECT_EQ(owner.log, (std::vector<std::string>{"sel A2 1", "expand A2"}));
}

TEST_F(TreeControlTest, ALabelEditWithoutAnOwnerThatTakesTheTextKeepsTheLabel) {
    tree.SetOwner(nullptr);
    LabelEditBox* box = tree.EditLabel(b);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(HostWindow::Focus(), box);
    EXPECT_EQ(box->Text(), "B");
    // Typing is limited to the edit buffer.
    box->SetText("");
    for (int i = 0; i < 300; ++i) {
        HostMessage zhe{MessageKind::Char, box->Handle(), 0x0416};
        box->Send(zhe);
    }
    EXPECT_EQ(box->Text().size(), 2 * TreeControl::kMaxLabelEditChars);
    EXPECT_EQ(PressKey(vk::Return), Delivery::Dispatched);
    EXPECT_EQ(tree.EditControl(), nullptr);
    EXPECT_EQ(HostWindow::Focus(), &tree);
    EXPECT_EQ(tree.ItemText(b), "B");
    EXPECT_FALSE(tree.EndEditLabelNow(false));
    EXPECT_EQ(tree.EditLabel(987654), nullptr);
}

}  // namespace
}  // namespace zarvento
