// The tree-dialog control: its toolbar from a resource module, the layout,
// the toolbar's commands, button states and tooltips.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "host_fault_sweep.h"
#include "platform/core/host_faults.h"
#include "platform/core/utf8_text.h"
#include "platform/dialogs/message_loop.h"
#include "platform/processes/component_registry.h"
#include "platform/processes/resource_module.h"
#include "test_support.h"
#include "treecontrol/pelmora_app.h"
#include "treecontrol/pm_tree_dlg.h"

namespace pelmora::test {
namespace {

using zarvento::ResourceModule;
using zarvento::Variant;
using zarvento::WindowRect;

class ToolBarLog : public DpmTreeDlgEvents {
public:
    std::vector<std::string> events;
    std::map<int, std::pair<VARIANT_BOOL, std::int32_t>> answers;
    void ToolBarCommand(std::int32_t id) override { events.push_back("ToolBarCommand " + std::to_string(id)); }
    void ButtonUpdate(std::int32_t id, VARIANT_BOOL* enabled, std::int32_t* checked) override {
        events.push_back("ButtonUpdate " + std::to_string(id));
        auto it = answers.find(id);
        if (it == answers.end()) return;
        *enabled = it->second.first;
        *checked = it->second.second;
    }
};

class PmTreeDlgTest : public zarvento::test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        dlg = std::make_shared<CpmTreeDlg>();
        ASSERT_TRUE(dlg->CreateControlWindow(&container, {10, 20, 200, 300}));
        log = std::make_shared<ToolBarLog>();
        AdviseCookie cookie = 0;
        dlg->Advise(log, &cookie);
    }
    VARIANT_BOOL Load(const Variant& module, const Variant& id) {
        VARIANT_BOOL ok = -5;
        EXPECT_EQ(dlg->LoadToolBar(module, id, &ok), zarvento::S_OK_);
        return ok;
    }
    static Variant Buttons() {
        return Variant::BStr(zarvento::test::FixturePath("treecontrol/plan_buttons.resources"));
    }
    WindowRect TreeRect() { return dlg->Tree().Tree()->Rect(); }
    void ClickButton(int id) {
        WindowRect r;
        ASSERT_TRUE(dlg->ToolBar().ButtonRect(id, r));
        zarvento::ClickWindow(dlg->ToolBar().Window()->Handle(), r.left + 1, r.top + 1);
    }

    zarvento::HostWindow container;
    std::shared_ptr<CpmTreeDlg> dlg;
    std::shared_ptr<ToolBarLog> log;
};

TEST_F(PmTreeDlgTest, WithoutButtonsTheToolbarIsHiddenAndTheTreeFillsTheControl) {
    EXPECT_EQ(TreeRect(), (WindowRect{0, 0, 200, 300}));
    EXPECT_FALSE(dlg->ToolBar().Window()->IsVisible());
    EXPECT_EQ(dlg->Tree().Tree()->ControlId(), CpmTreeDlg::kTreeId);
    EXPECT_EQ(dlg->ToolBar().Window()->ControlId(), CExternalToolBar::kControlId);
    // A toolbar without buttons is no different.
    EXPECT_EQ(Load(Buttons(), Variant::BStr("EMPTY")), 1);
    dlg->SetControlRect({0, 0, 150, 100});
    EXPECT_FALSE(dlg->ToolBar().Window()->IsVisible());
    EXPECT_EQ(TreeRect(), (WindowRect{0, 0, 150, 100}));
}

TEST_F(PmTreeDlgTest, TheToolbarTakesItsHeightAtTheNextResize) {
    ASSERT_EQ(Load(Buttons(), Variant::I4(101)), 1);
    // Loading does not lay out.
    EXPECT_EQ(TreeRect(), (WindowRect{0, 0, 200, 300}));
    dlg->SetControlRect({0, 0, 250, 180});
    const int h = dlg->ToolBar().Height();
    EXPECT_EQ(h, 15 + 7 + 4);
    EXPECT_TRUE(dlg->ToolBar().Window()->IsVisible());
    EXPECT_EQ(dlg->ToolBar().Window()->Rect(), (WindowRect{0, 0, 250, h}));
    EXPECT_EQ(TreeRect(), (WindowRect{0, h, 250, 180 - h}));
    // A control lower than its toolbar leaves the tree no height, never a negative one.
    dlg->SetControlRect({0, 0, 250, 10});
    EXPECT_EQ(TreeRect(), (WindowRect{0, h, 250, 0}));
    const std::vector<CExternalToolBar::Button>& buttons = dlg->ToolBar().Buttons();
    ASSERT_EQ(buttons.size(), 4u);
    EXPECT_EQ(buttons[2].id, 0);
    EXPECT_EQ(buttons[3].image, 2);
    EXPECT_EQ(dlg->ToolBar().Bitmap(), "plan_buttons.bmp");
}

TEST_F(PmTreeDlgTest, AModuleLoadedByFileIsTheToolbarsAndGoesWithItsNextLoadOrTheControl) {
    ASSERT_EQ(Load(Buttons(), Variant::I4(101)), 1);
    const zarvento::ModuleHandle first = dlg->ToolBar().Module();
    EXPECT_TRUE(dlg->ToolBar().OwnsModule());
    EXPECT_EQ(ResourceModule::LoadCount(first), 1);
    ASSERT_EQ(Load(Buttons(), Variant::BStr("WIDE")), 1);
    EXPECT_EQ(ResourceModule::FromHandle(first), nullptr);
    const zarvento::ModuleHandle second = dlg->ToolBar().Module();
    ASSERT_NE(ResourceModule::FromHandle(second), nullptr);
    dlg.reset();
    EXPECT_EQ(ResourceModule::FromHandle(second), nullptr);
}

TEST_F(PmTreeDlgTest, AModuleGivenByHandleIsNeverFreedByTheControl) {
    const zarvento::ModuleHandle module =
        ResourceModule::Load(zarvento::test::FixturePath("treecontrol/plan_buttons.resources"));
    ASSERT_NE(module, 0);
    ASSERT_EQ(Load(Variant::I4(static_cast<std::int32_t>(module)), Variant::BStr("#101")), 1);
    EXPECT_FALSE(dlg->ToolBar().OwnsModule());
    ASSERT_EQ(Load(Variant::R8(static_cast<double>(module)), Variant::BStr("WIDE")), 1);
    dlg.reset();
    EXPECT_EQ(ResourceModule::LoadCount(module), 1);
}

TEST_F(PmTreeDlgTest, LoadToolBarFailsWithoutAModuleOrAToolbar) {
    const zarvento::ModuleHandle module =
        ResourceModule::Load(zarvento::test::FixturePath("treecontrol/plan_buttons.resources"));
    struct Case {
        const char* what;
        Variant module, id;
    };
    const Case cases[] = {
        {"no module", Variant(), Variant::I4(101)},
        {"a handle of no module", Variant::I4(12345), Variant::I4(101)},
        {"a number as text is a handle, not a file", Variant::BStr(" 12345 "), Variant::I4(101)},
        {"a file that is missing", Variant::BStr("/no/such/file.resources"), Variant::I4(101)},
        {"a file that is no description", Variant::BStr(zarvento::test::FixturePath("treecontrol/plan.tree")),
         Variant::I4(101)},
        {"a module of another kind", Variant::Dispatch(nullptr), Variant::I4(101)},
        {"no such toolbar", Variant::I4(static_cast<std::int32_t>(module)), Variant::I4(102)},
        {"a number given as a name", Variant::I4(static_cast<std::int32_t>(module)), Variant::BStr("101")},
        {"an id that is no number", Variant::I4(static_cast<std::int32_t>(module)), Variant::Dispatch(nullptr)},
    };
    for (const Case& c : cases) EXPECT_EQ(Load(c.module, c.id), 0) << c.what;
    EXPECT_EQ(Load(Variant::I4(static_cast<std::int32_t>(module)), Variant::I4(101 + 0x10000)), 1)
        << "the id's low 16 bits";
}

TEST_F(PmTreeDlgTest, AButtonSaysItsCommandAndEveryButtonIsAskedForItsStateAfterwards) {
    ASSERT_EQ(Load(Buttons(), Variant::I4(101)), 1);
    dlg->SetControlRect({0, 0, 200, 300});
    log->answers[3502] = {VARIANT_FALSE_, 1};
    ClickButton(3501);
    EXPECT_EQ(log->events, (std::vector<std::string>{"ToolBarCommand 3501", "ButtonUpdate 3501", "ButtonUpdate 3502",
                                                     "ButtonUpdate 3503"}));
    const CExternalToolBar& bar = dlg->ToolBar();
    EXPECT_FALSE(bar.FindButton(3502)->enabled);
    EXPECT_TRUE(bar.FindButton(3502)->checked);
    // A disabled button says nothing.
    log->events.clear();
    ClickButton(3502);
    EXPECT_TRUE(log->events.empty());
    // An answer left alone is enabled and unchecked again.
    log->answers.clear();
    ClickButton(3503);
    EXPECT_TRUE(bar.FindButton(3502)->enabled);
    EXPECT_FALSE(bar.FindButton(3502)->checked);
}

TEST_F(PmTreeDlgTest, IdsOutsideTheToolbarsRangeAreNotTheControlsAndKeepTheirState) {
    ASSERT_EQ(Load(Buttons(), Variant::BStr("WIDE")), 1);
    dlg->SetControlRect({0, 0, 200, 300});
    ClickButton(600);
    EXPECT_EQ(log->events, std::vector<std::string>{"ButtonUpdate 3510"});
    EXPECT_TRUE(dlg->ToolBar().FindButton(600)->enabled);
}

TEST_F(PmTreeDlgTest, TooltipsAreTheModulesStringsCutToTheTooltipBuffer) {
    ASSERT_EQ(Load(Buttons(), Variant::BStr("WIDE")), 1);
    const std::optional<std::string> wide = dlg->ToolBar().TooltipText(3510);
    ASSERT_TRUE(wide);
    EXPECT_EQ(zarvento::Utf8Length(*wide), CExternalToolBar::kTooltipChars);
    EXPECT_EQ(wide->rfind("Очень длинная подсказка", 0), 0u);
    EXPECT_FALSE(dlg->ToolBar().TooltipText(600));
    // The mouse over a button brings its tooltip up.
    ASSERT_EQ(Load(Buttons(), Variant::I4(101)), 1);
    dlg->SetControlRect({0, 0, 200, 300});
    zarvento::WindowRect r;
    ASSERT_TRUE(dlg->ToolBar().ButtonRect(3502, r));
    zarvento::MoveMouse(dlg->ToolBar().Window()->Handle(), r.left + 2, r.top + 2);
    EXPECT_EQ(dlg->ToolBar().ShownTooltip(), std::optional<std::string>("Удалить операцию"));
}

TEST_F(PmTreeDlgTest, TheTreeViewIsTheEmbeddedTree) {
    std::shared_ptr<IPelmora> tree;
    ASSERT_EQ(dlg->get_TreeView(&tree), zarvento::S_OK_);
    EXPECT_EQ(tree.get(), static_cast<IPelmora*>(&dlg->Tree()));
    EXPECT_EQ(dlg->get_TreeView(nullptr), zarvento::E_INVALIDARG_);
    EXPECT_EQ(dlg->LoadToolBar(Variant(), Variant(), nullptr), zarvento::E_INVALIDARG_);
    EXPECT_EQ(dlg->PropertyPages(), std::vector<std::string>{kPmTreeDlgPropPageClsid});
    // Each control's methods leave error records for its own interface only.
    EXPECT_EQ(dlg->InterfaceSupportsErrorInfo("{9ab0260e-a1d2-4be5-b7ec-0ae35b71a676}"), zarvento::S_OK_);
    EXPECT_EQ(dlg->InterfaceSupportsErrorInfo(kIPelmoraIid), zarvento::S_FALSE_);
    EXPECT_EQ(dlg->Tree().InterfaceSupportsErrorInfo(kIPelmoraIid), zarvento::S_OK_);
    EXPECT_EQ(dlg->Tree().InterfaceSupportsErrorInfo(kIpmTreeDlgIid), zarvento::S_FALSE_);
    EXPECT_EQ(dlg->Tree().PropertyPages(), std::vector<std::string>{kPelmoraPropPageClsid});
}

TEST_F(PmTreeDlgTest, AWindowThatCannotBeMadeLeavesNoneOfTheControlsWindows) {
    // The control's own window and then the tree check the same call.
    for (const char* call : {"Pelmora.CreateWindow", "Pelmora.CreateToolBar"}) {
        std::optional<CpmTreeDlg> other;
        bool made = false;
        const int failed = zarvento::test::FailEachCallInTurn(
            call, zarvento::E_FAIL_,
            [&] {
                made = other->CreateControlWindow(&container, {0, 0, 100, 100});
            },
            [&](const zarvento::test::FaultRun& run) {
                EXPECT_EQ(made, !run.reached);
                if (!run.reached) return;
                EXPECT_EQ(other->ControlWindow(), nullptr);
                EXPECT_EQ(other->Tree().Tree(), nullptr);
                EXPECT_EQ(other->ToolBar().Window(), nullptr);
            },
            {[&] {
                other.reset();
                other.emplace();
                made = false;
            }});
        EXPECT_EQ(failed, std::string(call) == "Pelmora.CreateWindow" ? 2 : 1);
    }
}

}  // namespace
}  // namespace pelmora::test
