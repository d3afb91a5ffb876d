// The fixture of the statistics and cost estimate suite: the panels' fixture
// (a host with a part, the installed post-processors, the stepped shaft)
// with the reports started over the panels.
#pragma once

#include <string>
#include <vector>

#include "platform/dialogs/scripted_user.h"
#include "reports/statistics_panels.h"
#include "tests/panels/panel_test_support.h"

namespace zarvento::test {

class ReportsTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        StartStatisticsReports();
    }
    void TearDown() override {
        StopStatisticsReports();
        PanelTest::TearDown();
    }

    static UserSession DialogSteps(const std::string& dialog, const std::vector<std::vector<std::string>>& steps) {
        UserSession session{UserSession::Kind::Dialog, dialog, {}, 0};
        for (const auto& words : steps) {
            UserStep step;
            std::string error;
            EXPECT_TRUE(ParseDialogStep(words, step, error)) << error;
            session.steps.push_back(step);
        }
        return session;
    }
};

}  // namespace zarvento::test
