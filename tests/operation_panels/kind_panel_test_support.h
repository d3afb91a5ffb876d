// What the tests of the kinds' panels share: a plan with a part, a bar and
// tools, the panel opened as the modal run opens it and listening to the
// host, and the user's steps for the next panel run.
#pragma once

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "../operations/kind_test_support.h"
#include "../operations/operations_test_support.h"
#include "golden_file.h"
#include "operation_panels/turn_panel.h"
#include "panel_driver.h"
#include "platform/core/host_version.h"
#include "platform/dialogs/panel_script.h"
#include "platform/dialogs/property_manager.h"
#include "platform/dialogs/property_tab.h"
#include "platform/dialogs/scripted_user.h"
#include "platform/dialogs/selection_manager.h"
#include "platform/documents/hidden_document.h"
#include "platform/host/host_document_3d.h"

namespace zarvento::test {

class KindPanelTest : public OperationTest, public PanelDriver {
protected:
    void SetUp() override {
        OperationTest::SetUp();
        SetHostVersion({17, 0, 0, 0});
        runner->Part(kStepProfile);
        CreateHiddenDocument();
        SetHostSelectionManager(Procedural3D(part).Selection());
    }

    // The user types into a field or chooses from a list by its text.
    static void Set(PropertyControl* c, const std::string& text) {
        ASSERT_NE(c, nullptr);
        const UserActionResult done = c->Kind() == PropertyControlKind::ImageList
                                          ? Manager().UserSelect(*c, c->IndexOfValue(text))
                                          : Manager().UserSetValue(*c, text);
        ASSERT_TRUE(done.done) << text;
    }
    static void Command(PropertyControl* c, int id) {
        ASSERT_NE(c, nullptr);
        ASSERT_TRUE(Manager().UserCommand(*c, id).done) << id;
    }
    static void Press(PropertyControl* c) {
        ASSERT_NE(c, nullptr);
        ASSERT_TRUE(Manager().UserPress(*c).done);
    }
    static void OpenTab(CTurnPanel& panel, int tab) {
        ASSERT_TRUE(Manager().UserOpenTab(*panel.HostTab(tab)).done) << "tab " << tab;
    }
};

}  // namespace zarvento::test
