// Contract tests of the headless host's property manager: the panel's calls,
// the user's actions and the host habits the panels rely on, each pinned.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_fault_sweep.h"
#include "platform/core/host_faults.h"
#include "platform/core/host_version.h"
#include "platform/dialogs/property_manager.h"
#include "platform/documents/host_application.h"
#include "test_support.h"

namespace zarvento::test {
namespace {

// A panel that writes down every notification and answers as told.
class RecordingPanel : public PropertyManagerNotify {
public:
    bool OnFirstActivate() override { return Log("activate"); }
    bool OnButtonClick(int id) override { return Log("button " + std::to_string(id)); }
    bool OnChangeControlValue(PropertyControl& c) override { return Log("value " + c.Hint()); }
    bool OnControlCommand(PropertyControl& c, int id) override {
        return Log("command " + c.Hint() + " " + std::to_string(id));
    }
    bool IsButtonEnabled(int id, std::int32_t&, std::int16_t& enabled) override {
        enabled = id == kPanelButtonOK && !okEnabled ? 0 : 1;
        return true;
    }
    bool OnHelp() override { return Log("help"); }
    bool OnSelectListItem(PropertyControl& c, int index, int state) override {
        Log("select " + c.Hint() + " " + std::to_string(index) + " " + std::to_string(state));
        return state == 0 || index != refusedIndex;
    }
    bool OnChangeTab(int tab) override { return Log("tab " + std::to_string(tab)); }
    bool OnTabStateChanged(int tab) override { return Log("tab state " + std::to_string(tab)); }

    bool Log(std::string s) {
        log.push_back(std::move(s));
        return true;
    }

    std::vector<std::string> log;
    bool okEnabled = true;
    int refusedIndex = -100;
};

class PropertyManagerTest : public CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        ConnectHostApplication();
        pm = ApplicationPropertyManager();
        pm->Setup(0);
        tab = &pm->AddTab("Tab");
    }

    PropertyControl& Add(PropertyControlKind kind, const std::string& hint) {
        PropertyControl& c = tab->AddControl(kind);
        c.SetHint(hint);
        return c;
    }
    void Listen() { pm->Subscribe(kPropertyManagerNotifications, &panel); }

    std::shared_ptr<PropertyManager> pm;
    PropertyTab* tab = nullptr;
    RecordingPanel panel;
};

TEST_F(PropertyManagerTest, KindsByNumberAndTheTextListByItsOwnCall) {
    for (int number : {1, 2, 3, 4, 7, 8, 9, 10, 11, 13, 18, 24})
        EXPECT_EQ(static_cast<int>(tab->AddControl(number).Kind()), number);
    for (int number : {0, 5, 6, 12, 25})
        EXPECT_EQ(ErrorCodeOf([&] { tab->AddControl(number); }), E_INVALIDARG_) << number;
    PropertyControl& text = tab->AddTextList();
    EXPECT_EQ(text.Kind(), PropertyControlKind::TextList);
    // All the lines in one call, in place of those it had.
    text.SetValue(Variant::Array({Variant::BStr("a"), Variant::BStr("b")}));
    text.SetValue(Variant::Array({Variant::BStr("c")}));
    EXPECT_EQ(text.Lines().Lines(), std::vector<std::string>{"c"});
    EXPECT_EQ(tab->ControlCount(), 13);
    EXPECT_EQ(ErrorCodeOf([&] { tab->Control(13); }), DISP_E_BADINDEX_);
}

TEST_F(PropertyManagerTest, ValuesOutsideTheRangeOrNoNumbersAreRefusedWithoutNotification) {
    PropertyControl& integer = Add(PropertyControlKind::IntegerEdit, "n");
    integer.SetRange(0, 30);
    PropertyControl& real = Add(PropertyControlKind::RealEdit, "x");
    real.SetRange(-1, 500);
    PropertyControl& slide = Add(PropertyControlKind::Slide, "s");
    slide.SetRange(1, 5);
    Listen();
    struct Case {
        PropertyControl* control;
        const char* typed;
        bool taken;
        Variant value;
    };
    const Case cases[] = {
        {&integer, "30", true, Variant::I4(30)},      {&integer, "31", false, Variant::I4(30)},
        {&integer, "-1", false, Variant::I4(30)},     {&integer, "2.5", false, Variant::I4(30)},
        {&real, "499,99", true, Variant::R8(499.99)}, {&real, "500.01", false, Variant::R8(499.99)},
        {&real, "abc", false, Variant::R8(499.99)},   {&real, "nan", false, Variant::R8(499.99)},
        {&slide, "5", true, Variant::I4(5)},          {&slide, "6", false, Variant::I4(5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        panel.log.clear();
        const UserActionResult r = pm->UserSetValue(*c.control, c.typed);
        EXPECT_EQ(r.done, c.taken) << r.refusal;
        EXPECT_EQ(c.control->Value(), c.value);
        EXPECT_EQ(panel.log.size(), c.taken ? 1u : 0u);
    }
    // The panel's own put is not a user's edit: no range, no notification.
    panel.log.clear();
    integer.SetValue(Variant::I4(99));
    EXPECT_EQ(integer.Value(), Variant::I4(99));
    EXPECT_TRUE(panel.log.empty());
}

TEST_F(PropertyManagerTest, HiddenDisabledAndReadOnlyControlsRefuseTheUser) {
    PropertyControl& edit = Add(PropertyControlKind::TextEdit, "t");
    Listen();
    edit.SetEnabled(false);
    EXPECT_FALSE(pm->UserSetValue(edit, "a").done);
    edit.SetEnabled(true);
    edit.SetReadOnly(true);
    EXPECT_FALSE(pm->UserSetValue(edit, "a").done);
    edit.SetReadOnly(false);
    tab->SetVisible(false);
    EXPECT_EQ(pm->UserSetValue(edit, "a").refusal, "the control is hidden");
    EXPECT_TRUE(panel.log.empty());
    tab->SetVisible(true);
    EXPECT_TRUE(pm->UserSetValue(edit, "a").done);
    EXPECT_EQ(panel.log, std::vector<std::string>{"value t"});
}

TEST_F(PropertyManagerTest, ChoosingARowFirstDeselectsThePreviousOneAndARefusalSnapsBack) {
    PropertyControl& list = Add(PropertyControlKind::ListWithButtons, "gaps");
    for (const char* item : {"a", "b", "c"}) list.AddItem(item);
    Listen();
    EXPECT_TRUE(pm->UserSelect(list, 0).done);
    EXPECT_TRUE(pm->UserSelect(list, 2).done);
    EXPECT_EQ(panel.log, (std::vector<std::string>{"select gaps 0 1", "select gaps 0 0", "select gaps 2 1"}));
    // Answered false: the previous row is selected again, without a word.
    panel.log.clear();
    panel.refusedIndex = 1;
    EXPECT_FALSE(pm->UserSelect(list, 1).done);
    EXPECT_EQ(list.CurrentItem(), 2);
    EXPECT_EQ(panel.log, (std::vector<std::string>{"select gaps 2 0", "select gaps 1 1"}));
    // A click beside the rows deselects.
    panel.log.clear();
    EXPECT_TRUE(pm->UserSelect(list, -1).done);
    EXPECT_EQ(panel.log, std::vector<std::string>{"select gaps 2 0"});
    EXPECT_EQ(list.CurrentItem(), -1);
}

TEST_F(PropertyManagerTest, RowsThePanelSelectsAreReportedLikeTheUsersOnlyWhileItListens) {
    PropertyControl& list = Add(PropertyControlKind::ImageList, "tools");
    list.AddItem("T1", HostImage::Library(10075));
    list.AddItem("T2", HostImage::Host(57445));
    list.SetCurrentItem(0);
    EXPECT_TRUE(panel.log.empty()) << "nobody listens while the panel is built";
    Listen();
    // A refill: cleared, filled again, the first row selected.
    list.ClearItems();
    list.AddItem("T1");
    list.SetCurrentItem(0);
    list.SetCurrentItem(0);
    EXPECT_EQ(panel.log, std::vector<std::string>{"select tools 0 1"});
    // A drop-down list's choice by the panel is no selection.
    PropertyControl& units = Add(PropertyControlKind::DropDownList, "units");
    units.AddItem("мм");
    units.SetCurrentItem(0);
    EXPECT_EQ(panel.log.size(), 1u);
    EXPECT_EQ(ErrorCodeOf([&] { units.SetCurrentItem(1); }), E_INVALIDARG_);
}

// A panel that answers each selection by selecting the other row.
class PingPongPanel : public RecordingPanel {
public:
    bool OnSelectListItem(PropertyControl& c, int index, int state) override {
        if (state == 1) c.SetCurrentItem(1 - index);
        return true;
    }
};

TEST_F(PropertyManagerTest, NotificationsThatNeverEndAreStopped) {
    PropertyControl& list = Add(PropertyControlKind::ListWithButtons, "list");
    list.AddItem("a");
    list.AddItem("b");
    PingPongPanel pingPong;
    pm->Subscribe(kPropertyManagerNotifications, &pingPong);
    EXPECT_EQ(ErrorCodeOf([&] { pm->UserSelect(list, 0); }), E_FAIL_);
    // The host is itself again afterwards.
    pm->Unsubscribe(kPropertyManagerNotifications, &pingPong);
    Listen();
    EXPECT_TRUE(pm->UserSelect(list, 0).done);
}

TEST_F(PropertyManagerTest, AGridSelectionIndexCarriesTheRowInItsLowEightBits) {
    PropertyControl& grid = Add(PropertyControlKind::Grid, "table");
    grid.SetGridSize(4, 3);
    grid.SetFixed(1, 0);
    grid.SetReadOnlyColumns(1);
    Listen();
    EXPECT_TRUE(pm->UserSelectCell(grid, 3, 2).done);
    EXPECT_EQ(panel.log, std::vector<std::string>{"select table " + std::to_string((2 << 8) | 3) + " 1"});
    EXPECT_EQ(PropertyManager::GridSelectionIndex(3, 2) & 0xFF, 3);
    // The header row and the leading columns take no typing.
    EXPECT_FALSE(pm->UserEditCell(grid, 0, 2, "x").done);
    EXPECT_FALSE(pm->UserEditCell(grid, 2, 0, "x").done);
    panel.log.clear();
    EXPECT_TRUE(pm->UserEditCell(grid, 2, 1, "1.5").done);
    EXPECT_EQ(panel.log,
              (std::vector<std::string>{"select table " + std::to_string((2 << 8) | 3) + " 0",
                                        "select table " + std::to_string((1 << 8) | 2) + " 1", "value table"}));
    EXPECT_EQ(grid.Grid().CellText(2, 1), "1.5");
    EXPECT_EQ(grid.Value(), Variant::BStr("1.5"));
}

TEST_F(PropertyManagerTest, TabsOpenAndCloseFrom17OnAndArePagesBefore) {
    PropertyTab& second = pm->AddTab("Second");
    for (int major : {16, 23}) {
        SCOPED_TRACE(major);
        SetHostVersion({major, 0, 0, 0});
        panel.log.clear();
        pm->Unsubscribe(kPropertyManagerNotifications, &panel);
        second.StoreExpanded(false);
        Listen();
        // The panel's own opening and closing is reported like the user's on
        // hosts whose tabs open and close.
        second.SetExpanded(true);
        second.SetExpanded(true);
        second.SetExpanded(false);
        EXPECT_TRUE(pm->UserOpenTab(second).done);
        EXPECT_TRUE(second.IsCurrent());
        if (major >= 17) {
            EXPECT_EQ(panel.log, (std::vector<std::string>{"tab state 1", "tab state 1", "tab state 1"}));
            EXPECT_TRUE(pm->UserCloseTab(second).done);
        } else {
            EXPECT_EQ(panel.log, std::vector<std::string>{"tab 1"});
            EXPECT_FALSE(pm->UserCloseTab(second).done);
        }
    }
}

TEST_F(PropertyManagerTest, ButtonsAreAskedBeforeUseAndCommandsReachTheirBar) {
    PropertyControl& bar = Add(PropertyControlKind::ListWithButtons, "fixtures");
    bar.AddButton(10671, HostImage::Library(10671), "Добавить");
    bar.AddButton(10672, HostImage::Library(10672), "Удалить");
    bar.EnableButton(10672, false);
    bar.SetButtonSecondText(10671, "Добавить приспособление");
    PropertyControl& button = Add(PropertyControlKind::Button, "refresh");
    button.SetId(7);
    Listen();
    panel.okEnabled = false;
    EXPECT_FALSE(pm->UserClick(kPanelButtonOK).done);
    EXPECT_TRUE(pm->UserClick(5).done);
    panel.okEnabled = true;
    EXPECT_TRUE(pm->UserClick(kPanelButtonOK).done);
    EXPECT_TRUE(pm->UserCommand(bar, 10671).done);
    EXPECT_FALSE(pm->UserCommand(bar, 10672).done);
    EXPECT_FALSE(pm->UserCommand(bar, 99).done);
    EXPECT_TRUE(pm->UserPress(button).done);
    EXPECT_FALSE(pm->UserPress(bar).done);
    EXPECT_EQ(panel.log,
              (std::vector<std::string>{"button 5", "button 1", "command fixtures 10671", "command refresh 7"}));
}

TEST_F(PropertyManagerTest, ANewLayoutDropsTheOldPanelAndEveryCallCanFail) {
    Add(PropertyControlKind::TextEdit, "old");
    pm->DefaultTab().SetVisible(false);
    pm->Setup(0);
    EXPECT_EQ(pm->TabCount(), 0);
    EXPECT_TRUE(pm->DefaultTab().Visible());
    EXPECT_EQ(pm->FindControl("old"), nullptr);
    PropertyTab* t = nullptr;
    PropertyControl* c = nullptr;
    FailEachCall(
        {"PropertyManager.Setup", "PropertyManager.Caption", "PropertyTabs.Add", "PropertyControls.Add",
         "PropertyControl.Caption", "PropertyTab.Expanded"},
        E_OUTOFMEMORY_,
        [&] {
            pm->Setup(1);
            pm->SetCaption("c");
            pm->AddTab("x");
            t->AddControl(4);
            c->SetCaption("c");
            t->SetExpanded(true);
        },
        [](const FaultRun& run) { EXPECT_EQ(run.thrown, E_OUTOFMEMORY_); }, {[&] {
            t = &pm->AddTab("t");
            c = &t->AddControl(4);
        }});
}

TEST_F(PropertyManagerTest, ControlsAreFoundByHintOrCaptionVisibleOnesFirst) {
    PropertyControl& hidden = Add(PropertyControlKind::Button, "Сохранить в файл");
    hidden.SetVisible(false);
    PropertyControl& shown = Add(PropertyControlKind::Button, "Сохранить в файл");
    PropertyControl& third = Add(PropertyControlKind::Button, "Сохранить в файл");
    PropertyControl& captioned = Add(PropertyControlKind::TextEdit, "Система координат ЧПУ");
    captioned.SetCaption("Система координат");
    EXPECT_EQ(pm->FindControl("Сохранить в файл"), &shown);
    EXPECT_EQ(pm->FindControl("Сохранить в файл", 2), &third);
    EXPECT_EQ(pm->FindControl("Сохранить в файл", 3), nullptr);
    EXPECT_EQ(pm->FindControl("Система координат"), &captioned);
    EXPECT_EQ(pm->FindControl("Система координат ЧПУ"), &captioned);
    shown.SetVisible(false);
    third.SetVisible(false);
    EXPECT_EQ(pm->FindControl("Сохранить в файл"), &hidden) << "a hidden one when none is visible";
    // Without a name, by position.
    EXPECT_EQ(pm->FindControl("", 4), &captioned);
    EXPECT_EQ(pm->FindControl("", 5), nullptr);
}

TEST_F(PropertyManagerTest, TheDumpShowsTheWholePanel) {
    pm->SetScriptName("lsc");
    pm->SetCaption("Выбор");
    pm->SetPrompt("Укажите");
    tab->SetImage(HostImage::Library(1030));
    tab->SetExpanded(true);
    tab->SetCurrent();
    PropertyControl& list = Add(PropertyControlKind::DropDownList, "Система ЧПУ (постпроцессор)");
    list.SetCaption("Система ЧПУ");
    list.SetHelpTopic(70001);
    list.AddItem("ISO_Lathe");
    list.Setup(1);
    list.SetWidth(30);
    list.SetValue(Variant::BStr("ISO_Lathe"));
    Listen();
    panel.okEnabled = false;
    pm->RefreshButtons();
    EXPECT_EQ(pm->Dump(),
              "panel [lsc] \"Выбор\"\n"
              "  prompt \"Укажите\"\n"
              "  buttons: OK disabled, Cancel enabled\n"
              "  tab 0 \"Tab\" (library 1030) current expanded\n"
              "    0: drop-down caption \"Система ЧПУ\" hint \"Система ЧПУ (постпроцессор)\" help 70001 width 30 "
              "setup 1 items [\"ISO_Lathe\"] current 0\n");
}

}  // namespace
}  // namespace zarvento::test
