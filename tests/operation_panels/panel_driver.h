// How the operation panels' tests drive a panel: made and filled as the modal
// run does it and listening to the host, closed, and the user's steps for the
// next panel run.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "geometry/contour.h"
#include "operation_panels/turn_panel.h"
#include "platform/dialogs/panel_script.h"
#include "platform/dialogs/property_manager.h"
#include "platform/dialogs/scripted_user.h"

namespace zarvento::test {

struct PanelDriver {
    static PropertyManager& Manager() { return *ApplicationPropertyManager(); }

    // The copy gets the contours the plan built for `built`.
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
};

}  // namespace zarvento::test
