// The start-up of the statistics and the cost estimate: the plan's masses,
// density, times and batch values (PlanReports), and the statistics dialog in
// place of the panels' own answer to the plan's statistics command, over
// whatever panels were started before. Scripts drive the dialogs step by step
// as "statistics" and "costs".
#pragma once

#include <string_view>

#include "plan/plan_panels.h"

namespace zarvento {

class StatisticsPanels : public PlanPanels {
public:
    explicit StatisticsPanels(PlanPanels& rest) : rest_(rest) {}

    void ShowStatistics(CPROGRAM& program) override;
    HostShown ShownOnHost(std::string_view panel) const override;

    int ShowPanelSPID(CSPID& spid) override { return rest_.ShowPanelSPID(spid); }
    int ShowPanel_LSC(CSPID& spid) override { return rest_.ShowPanel_LSC(spid); }
    int EditTurn(PlanTurn& op) override { return rest_.EditTurn(op); }
    int ShowPanelPROGRAM(CPROGRAM& program) override { return rest_.ShowPanelPROGRAM(program); }
    int ShowPanelVISUAL(CPROGRAM& program, bool checkMode) override {
        return rest_.ShowPanelVISUAL(program, checkMode);
    }
    void SaveProgramSettings() override { rest_.SaveProgramSettings(); }
    void ShowPostProcessorsList() override { rest_.ShowPostProcessorsList(); }
    int EditSettings() override { return rest_.EditSettings(); }
    std::string AskSaveFile(const std::string& filter, const std::string& defaultExtension) override {
        return rest_.AskSaveFile(filter, defaultExtension);
    }
    void SaveTurnResultModel(PlanTurn& op, const std::string& path) override { rest_.SaveTurnResultModel(op, path); }
    void CreateTurnSketch(PlanTurn& op, const std::string& name) override { rest_.CreateTurnSketch(op, name); }
    void CreatePlanDocument(const std::string& name) override { rest_.CreatePlanDocument(name); }
    void CreateDocumentSet() override { rest_.CreateDocumentSet(); }

private:
    PlanPanels& rest_;
};

// Registers the reports and the statistics dialog over the panels registered
// now (the start-up calls it after StartPanels).
void StartStatisticsReports();
// Puts back what was registered before.
void StopStatisticsReports();

}  // namespace zarvento
