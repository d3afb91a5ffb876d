// The host's selection manager and the recording 3D view.
#include <gtest/gtest.h>

#include "platform/core/host_faults.h"
#include "platform/dialogs/selection_manager.h"
#include "platform/view/view_3d_log.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;

class SelectionViewTest : public CleanStateTest {};

TEST_F(SelectionViewTest, SelectionIsASetWithACallLog) {
    SelectionManager m;
    auto a = std::make_shared<HostObject>(), b = std::make_shared<HostObject>();
    m.Select(a);
    m.Select(a);
    m.Select(b);
    m.Unselect(a);
    m.Unselect(a);
    EXPECT_EQ(m.Selection(), std::vector<HostObjectPtr>{b});
    EXPECT_EQ(m.Calls().size(), 5u);
    EXPECT_EQ(m.Calls()[3].action, "Unselect");

    HostFaults::Arm("SelectionManager.Select", E_FAIL_);
    EXPECT_THROW(m.Select(a), HostError);
    EXPECT_FALSE(m.IsSelected(a));
}

TEST_F(SelectionViewTest, TheManagerIsHeldPerCommandAndResetToNone) {
    EXPECT_EQ(HostSelectionManager(), nullptr);
    SetHostSelectionManager(std::make_shared<SelectionManager>());
    EXPECT_NE(HostSelectionManager(), nullptr);
    ResetProcessState();
    EXPECT_EQ(HostSelectionManager(), nullptr);
}

TEST_F(SelectionViewTest, ViewTracksDrawnAndVisibleItems) {
    auto& view = View3DLog::Instance();
    const int item = view.NewItem();
    EXPECT_FALSE(view.IsDrawn(item));
    view.Record({item, "CreateLine", {0, 0, 1, 1}, 5, 1});
    EXPECT_TRUE(view.IsDrawn(item));
    EXPECT_TRUE(view.IsVisible(item));
    view.Record({item, "Hide", {}, 0, 1});
    EXPECT_TRUE(view.IsDrawn(item));
    EXPECT_FALSE(view.IsVisible(item));
    view.Record({item, "Show", {}, 0, 1});
    EXPECT_TRUE(view.IsVisible(item));
    view.Record({item, "Erase", {}, 0, 1});
    EXPECT_FALSE(view.IsDrawn(item));
    EXPECT_EQ(view.EntriesOf(item).size(), 4u);
    EXPECT_EQ(view.EntriesOf(item + 1).size(), 0u);

    HostFaults::Arm("View3D.CreateLine", E_OUTOFMEMORY_);
    EXPECT_THROW(view.Record({item, "CreateLine", {}, 0, 1}), HostError);
    EXPECT_EQ(view.Entries().size(), 4u);
}

}  // namespace
}  // namespace zarvento
