// The tree view's events: keys through the library's message hook, label
// edits, right clicks with the context menu, expansion and the stock events.
#include <gtest/gtest.h>

#include "pelmora_fixture.h"
#include "platform/dialogs/popup_menu.h"
#include "platform/tree/image_list.h"

namespace pelmora::test {
namespace {

using zarvento::Delivery;
using zarvento::TreeHitPart;
namespace vk = zarvento::vk;

class PelmoraEventsTest : public PelmoraTest {
protected:
    void SetUp() override {
        PelmoraTest::SetUp();
        a = Add(0, "A");
        b = Add(a, "B");
        c = Add(0, "C");
        Tree().Expand(a);
        // A container that forwards no key to the control: whatever reaches it stays there.
        zarvento::SetContainerPreTranslate([this](const zarvento::HostMessage& m) {
            if (m.kind != zarvento::MessageKind::KeyDown) return false;
            containerKeys.push_back(m.code);
            return true;
        });
    }
    // The user clicks the item's label: it is selected and the tree has the focus.
    void Focus(HTREEITEM_ID item) {
        Click(item, TreeHitPart::Label);
        log->events.clear();
    }

    HTREEITEM_ID a = 0, b = 0, c = 0;
    std::vector<int> containerKeys;
};

TEST_F(PelmoraEventsTest, KeysOfATreeThatIsNotReadOnlyAreTheControlsThroughTheHook) {
    struct Case {
        const char* what;
        int key;
        bool selected;
        Delivery delivery;
        std::vector<std::string> events;
        bool editing;
    };
    const Case cases[] = {
        {"F2 starts editing", vk::F2, true, Delivery::Hooked, {"BeforeLabelEdit"}, true},
        {"Enter asks BeforeLabelEdit", vk::Return, true, Delivery::Hooked, {"BeforeLabelEdit"}, false},
        {"Delete says AfterLabelEdit(\"\")", vk::Delete, true, Delivery::Hooked, {"AfterLabelEdit \"\""}, false},
        {"Escape without an edit passes on", vk::Escape, true, Delivery::KeptByContainer, {}, false},
        {"F2 without a selection passes on", vk::F2, false, Delivery::KeptByContainer, {}, false},
        {"Delete without a selection passes on", vk::Delete, false, Delivery::KeptByContainer, {}, false},
        {"other keys pass on", vk::Down, true, Delivery::KeptByContainer, {}, false},
    };
    for (const Case& k : cases) {
        Tree().EndEditLabelNow(true);
        Focus(a);
        if (!k.selected) {
            Tree().SelectItem(zarvento::kNoTreeItem);
            log->events.clear();
        }
        containerKeys.clear();
        EXPECT_EQ(zarvento::PressKey(k.key), k.delivery) << k.what;
        EXPECT_EQ(log->Plain(), k.events) << k.what;
        EXPECT_EQ(Tree().EditControl() != nullptr, k.editing) << k.what;
        EXPECT_EQ(containerKeys.empty(), k.delivery == Delivery::Hooked) << k.what;
        EXPECT_EQ(Tree().ItemText(a), "A") << k.what;
    }
}

TEST_F(PelmoraEventsTest, AReadOnlyTreeLetsItsKeysPassAndRefusesEveryEditSilently) {
    control->put_ReadOnly(VARIANT_TRUE_);
    for (int key : {vk::F2, vk::Return, vk::Delete}) {
        Focus(a);
        EXPECT_EQ(zarvento::PressKey(key), Delivery::KeptByContainer) << key;
        EXPECT_TRUE(log->Plain().empty()) << key;
    }
    EXPECT_EQ(containerKeys, (std::vector<int>{vk::F2, vk::Return, vk::Delete}));
    // An edit started by the container through the window is refused before anyone is asked.
    EXPECT_EQ(Tree().EditLabel(a), nullptr);
    EXPECT_TRUE(log->Plain().empty());
}

TEST_F(PelmoraEventsTest, WithoutTheLibrarysHookTheKeysStayWithTheContainer) {
    module.reset();
    Focus(a);
    EXPECT_EQ(zarvento::PressKey(vk::F2), Delivery::KeptByContainer);
    EXPECT_EQ(Tree().EditControl(), nullptr);
    EXPECT_EQ(containerKeys, std::vector<int>{vk::F2});
}

TEST_F(PelmoraEventsTest, ALabelEditEndsAsTheSinkAnswers) {
    const std::string longText(300, 'Z');
    struct Case {
        const char* what;
        std::int16_t cancel;
        bool replace;
        std::string newString;
        bool abandon;  // Escape instead of a click elsewhere
        std::string label;
    };
    const Case cases[] = {
        {"the typed text is taken", 0, false, "", false, "Typed"},
        {"a cancel keeps the label", 1, false, "", false, "A"},
        {"an abandoned edit keeps the label", 0, false, "", true, "A"},
        {"the sink's text is taken", 0, true, "Ось", false, "Ось"},
        {"an empty sink text leaves the typed one", 0, true, "", false, "Typed"},
        {"a long sink text is cut to the edit buffer", 0, true, longText, false,
         longText.substr(0, zarvento::TreeControl::kMaxLabelEditChars)},
    };
    for (const Case& k : cases) {
        Tree().SetItemText(a, "A");
        Focus(a);
        log->cancelAfter = k.cancel;
        log->replaceNewString = k.replace;
        log->newString = k.newString;
        ASSERT_EQ(zarvento::PressKey(vk::F2), Delivery::Hooked) << k.what;
        ASSERT_NE(Tree().EditControl(), nullptr) << k.what;
        Tree().EditControl()->SetText("Typed");
        if (k.abandon) {
            EXPECT_EQ(zarvento::PressKey(vk::Escape), Delivery::Hooked) << k.what;
        } else {
            // A click on the empty area below the items moves the focus and ends the edit.
            zarvento::ClickWindow(Tree().Handle(), 1, 390);
        }
        EXPECT_EQ(Tree().EditControl(), nullptr) << k.what;
        EXPECT_EQ(log->Plain(), (std::vector<std::string>{"BeforeLabelEdit", std::string("AfterLabelEdit \"") +
                                                                                 (k.abandon ? "" : "Typed") + "\""}))
            << k.what;
        EXPECT_EQ(Tree().ItemText(a), k.label) << k.what;
    }
}

TEST_F(PelmoraEventsTest, ACancelInBeforeLabelEditRefusesTheEdit) {
    log->cancelBefore = 1;
    Focus(a);
    EXPECT_EQ(zarvento::PressKey(vk::F2), Delivery::Hooked);
    EXPECT_EQ(Tree().EditControl(), nullptr);
    EXPECT_EQ(log->Plain(), std::vector<std::string>{"BeforeLabelEdit"});
}

TEST_F(PelmoraEventsTest, ARightClickSelectsAnItemOnlyWhereItLies) {
    Tree().SelectItem(a);
    log->events.clear();
    // An already selected item: NodeClick once.
    Click(a, TreeHitPart::Label, true);
    EXPECT_EQ(log->Plain(), std::vector<std::string>{"NodeClick A"});
    // Another item: selected, which says NodeClick once.
    log->events.clear();
    Click(c, TreeHitPart::Right, true);
    EXPECT_EQ(log->Plain(), std::vector<std::string>{"NodeClick C"});
    EXPECT_EQ(Tree().SelectedItem(), c);
    // The indent counts as the item; its expand button and the empty area do not.
    log->events.clear();
    Click(b, TreeHitPart::Indent, true);
    EXPECT_EQ(log->Plain(), std::vector<std::string>{"NodeClick B"});
    log->events.clear();
    Click(a, TreeHitPart::Button, true);
    zarvento::RightClickWindow(Tree().Handle(), 100, 390);
    EXPECT_TRUE(log->Plain().empty());
    EXPECT_TRUE(zarvento::MenuTrackings().empty());
}

TEST_F(PelmoraEventsTest, TheContainersMenuAsksForItsStatesAndReportsTheChoiceInItsRangeOnly) {
    using zarvento::PopupMenu;
    const zarvento::MenuHandle menu = PopupMenu::Create();
    const zarvento::MenuHandle insert = PopupMenu::Create();
    PopupMenu::FromHandle(insert)->Append(521, "Многопроходная");
    PopupMenu& m = *PopupMenu::FromHandle(menu);
    m.Append(501, "Редактировать");
    m.AppendSeparator();
    m.Append(502, "Удалить");
    m.Append(3600, "Кнопка панели");
    m.AppendSubmenu(insert, "Вставить обработку сверху");
    control->SetContextMenu(menu);
    log->menuAnswers[501] = {VARIANT_FALSE_, -1};
    // With the container's images, the items show icons to click on.
    const zarvento::ImageListHandle images = zarvento::ImageList::Create(16, 16, 0, 4, 0);
    control->SetImageList(images, 0);
    ASSERT_EQ(Tree().GetImageList(zarvento::kTreeNormalImages), images);

    struct Case {
        int choice;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {502, {"NodeClick A", "MenuCommandUpdate 501", "MenuCommandUpdate 502", "MenuCommand 502"}},
        // The submenu asks when the user opens it.
        {521,
         {"NodeClick A", "MenuCommandUpdate 501", "MenuCommandUpdate 502", "MenuCommandUpdate 521", "MenuCommand 521"}},
        // Disabled by the answer: nothing is chosen.
        {501, {"NodeClick A", "MenuCommandUpdate 501", "MenuCommandUpdate 502"}},
        // An id of the toolbar's range is none of the tree's: no state, no command.
        {3600, {"NodeClick A", "MenuCommandUpdate 501", "MenuCommandUpdate 502"}},
        {0, {"NodeClick A", "MenuCommandUpdate 501", "MenuCommandUpdate 502"}},
    };
    for (const Case& k : cases) {
        Tree().SelectItem(a);
        log->events.clear();
        zarvento::QueueMenuChoice(k.choice);
        Click(a, TreeHitPart::Icon, true);
        EXPECT_EQ(log->Plain(), k.events) << k.choice;
        const zarvento::MenuTracking& shown = zarvento::MenuTrackings().back();
        EXPECT_EQ(shown.menu, menu);
        EXPECT_EQ(shown.owner, Tree().Handle());
        EXPECT_FALSE(shown.shown[0].enabled) << k.choice;
        EXPECT_TRUE(shown.shown[0].checked) << k.choice;
        EXPECT_TRUE(shown.shown[2].enabled) << k.choice;
    }
    // A handle that is no menu shows nothing.
    const std::size_t tracked = zarvento::MenuTrackings().size();
    control->SetContextMenu(0x12345);
    Click(a, TreeHitPart::Label, true);
    PopupMenu::Destroy(menu);
    control->SetContextMenu(menu);
    Click(a, TreeHitPart::Label, true);
    EXPECT_EQ(zarvento::MenuTrackings().size(), tracked);
}

TEST_F(PelmoraEventsTest, TheExpandButtonTogglesAndACollapseOverTheCaretMovesIt) {
    Tree().SelectItem(b);
    log->events.clear();
    Click(a, TreeHitPart::Button);
    EXPECT_EQ(log->Plain(), (std::vector<std::string>{"NodeClick A", "Collapse A"}));
    log->events.clear();
    Click(a, TreeHitPart::Button);
    EXPECT_EQ(log->Plain(), std::vector<std::string>{"Expand A"});
}

TEST_F(PelmoraEventsTest, TheContainerDrivesTheSameItemsThroughTheWindowHandle) {
    OLE_HANDLE handle = 0;
    ASSERT_EQ(control->get_Handle(&handle), zarvento::S_OK_);
    zarvento::TreeControl* window = zarvento::TreeControl::FromHandle(handle);
    ASSERT_EQ(window, &Tree());
    const zarvento::TreeItem d = window->Insert(0, zarvento::kTreeLast, "D", 0, 0, 42);
    window->SelectItem(d);
    EXPECT_EQ(log->Plain(), std::vector<std::string>{"NodeClick D"});
    HTREEITEM_ID caret = 0, root = 0;
    control->GetNextItem(0, pmTVGN_CARET, &caret);
    control->GetNextItem(0, pmTVGN_ROOT, &root);
    EXPECT_EQ(caret, d);
    EXPECT_EQ(root, a);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"A", "\tB", "C", "D"}));
}

TEST_F(PelmoraEventsTest, StockEventsComeFromTheWindowsMessages) {
    Click(c, TreeHitPart::Label);
    EXPECT_EQ(log->events, (std::vector<std::string>{"MouseDown 1", "NodeClick C", "MouseUp 1", "Click"}));
    // A sink that clears the key keeps it from the tree.
    log->events.clear();
    log->clearKeys = true;
    zarvento::SetContainerPreTranslate(nullptr);
    zarvento::PressKey(vk::Up);
    EXPECT_EQ(log->events, std::vector<std::string>{"KeyDown 38"});
    EXPECT_EQ(Tree().SelectedItem(), c);
    log->clearKeys = false;
    zarvento::PressKey(vk::Up);
    EXPECT_EQ(Tree().SelectedItem(), b);
}

}  // namespace
}  // namespace pelmora::test
