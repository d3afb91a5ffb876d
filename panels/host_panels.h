// HostPanels: the plan's panels and dialogs that run on the host's property
// manager and dialog model (the coordinate-system panel, the NC program panel,
// the post-processor list, and the cycle-parameter dialog that every cycle's
// EditParameters opens once the panels are started); every other one is answered by the panels it was
// started over, until it runs on the host too.
//
// A panel comes to the host in three steps: its class derives from
// CBasePanel3D (panels/base_panel.h says how one is written) with a script
// name of its own; the matching PlanPanels call here runs it instead of
// passing it on; and ShownOnHost names it, so that scripts drive it step by
// step (`panel <name> ... end`) and a whole `answer <name>` is refused. A
// dialog derives from HostDialog and is named as HostShown::Dialog.
#pragma once

#include <string_view>

#include "plan/plan_panels.h"

namespace zarvento {

class HostPanels : public PlanPanels {
public:
    explicit HostPanels(PlanPanels& rest) : rest_(rest) {}

    int ShowPanel_LSC(CSPID& spid) override;
    int ShowPanelPROGRAM(CPROGRAM& program) override;
    void ShowPostProcessorsList() override;
    HostShown ShownOnHost(std::string_view panel) const override;

    // The plan-data panel runs on the host when the user's steps for it are
    // queued; otherwise the panels below answer it whole.
    int ShowPanelSPID(CSPID& spid) override;
    int EditTurn(PlanTurn& op) override { return rest_.EditTurn(op); }
    // The simulation panel runs on the host when a script has queued its
    // steps (`panel visual ... end`); the check run, and a run answered whole
    // (`answer simulation ...`), go on in the headless simulation.
    int ShowPanelVISUAL(CPROGRAM& program, bool checkMode) override;
    void SaveProgramSettings() override { rest_.SaveProgramSettings(); }
    void ShowStatistics(CPROGRAM& program) override { rest_.ShowStatistics(program); }
    int EditSettings() override { return rest_.EditSettings(); }
    std::string AskSaveFile(const std::string& filter, const std::string& defaultExtension) override {
        return rest_.AskSaveFile(filter, defaultExtension);
    }
    void SaveTurnResultModel(PlanTurn& op, const std::string& path) override;
    void CreateTurnSketch(PlanTurn& op, const std::string& name) override { rest_.CreateTurnSketch(op, name); }
    void CreatePlanDocument(const std::string& name) override { rest_.CreatePlanDocument(name); }
    void CreateDocumentSet() override { rest_.CreateDocumentSet(); }

private:
    PlanPanels& rest_;
};

// Puts the host's panels in place for the plan, over `rest` for the panels
// not yet on the host; the start-up of the program (or a test) calls it.
void StartPanels(PlanPanels& rest);
// Puts back what was registered before StartPanels.
void StopPanels();

}  // namespace zarvento
