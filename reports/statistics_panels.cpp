// The registration of the statistics and the cost estimate.
#include "reports/statistics_panels.h"

#include <memory>

#include "plan/plan.h"
#include "plan/plan_reports.h"
#include "reports/cost_dialog.h"
#include "reports/statistics_dialog.h"
#include "reports/statistics_reports.h"

namespace zarvento {

namespace {

std::unique_ptr<StatisticsPanels> started;
PlanPanels* panelsBefore = nullptr;
PlanReports* reportsBefore = nullptr;

StatisticsReports& Reports() {
    static StatisticsReports reports;
    return reports;
}

}  // namespace

void StatisticsPanels::ShowStatistics(CPROGRAM& program) { ShowStatisticsDialog(*GetPLAN(), &program); }

PlanPanels::HostShown StatisticsPanels::ShownOnHost(std::string_view panel) const {
    if (panel == CDialogStatistics::kScriptName || panel == CDialogCalculate::kScriptName) return HostShown::Dialog;
    return rest_.ShownOnHost(panel);
}

void StartStatisticsReports() {
    StopStatisticsReports();
    started = std::make_unique<StatisticsPanels>(GetPlanPanels());
    panelsBefore = RegisterPlanPanels(started.get());
    reportsBefore = RegisterPlanReports(&Reports());
}

void StopStatisticsReports() {
    if (!started) return;
    RegisterPlanReports(reportsBefore);
    RegisterPlanPanels(panelsBefore);
    reportsBefore = nullptr;
    panelsBefore = nullptr;
    started.reset();
}

}  // namespace zarvento
