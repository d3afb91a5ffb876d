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
#include "platform/hidden_document.h"
#include "platform/host_document_3d.h"
#include "platform/host_version.h"
#include "platform/panel_script.h"
#include "platform/property_manager.h"
#include "platform/property_tab.h"
#include "platform/scripted_user.h"
#include "platform/selection_manager.h"

namespace zarvento::test {

class KindPanelTest : public OperationTest {
protected:
    void SetUp() override {
        OperationTest::SetUp();
        SetHostVersion({17, 0, 0, 0});
        runner->Part(kStepProfile);
        CreateHiddenDocument();
        SetHostSelectionManager(Procedural3D(part).Selection());
    }

    // The panel made and filled as the modal run does it, listening to the
    // host; the copy gets the contours the plan built for `built`.
    static void Open(CTurnPanel& panel, const CTurn* built = nullptr) {
        panel.CreatePanel();
        panel.CBasePanel::OnInitPanel();
        panel.OnInitPanel();
        panel.AfterInitPanel();
        if (built) {
            panel.workContour = Contour::ContourCopy(built->workContour.get());
            panel.sourceContour = Contour::ContourCopy(built->sourceContour.get());
        }
        Manager().Subscribe(kPropertyManagerNotifications, &panel);
    }
    static void Close(CTurnPanel& panel) { Manager().Unsubscribe(kPropertyManagerNotifications, &panel); }
    static PropertyManager& Manager() { return *ApplicationPropertyManager(); }

    // A session of steps for the next run of an operation panel.
    static void Queue(const std::vector<std::vector<std::string>>& steps) {
        UserSession session{UserSession::Kind::Panel, CTurnPanel::kScriptName, {}, 0};
        for (const auto& words : steps) {
            UserStep step;
            std::string error;
            if (!ParsePanelStep(words, step, error)) throw std::runtime_error(error);
            session.steps.push_back(step);
        }
        ScriptedUser::Instance().Queue(std::move(session));
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
