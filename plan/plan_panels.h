// PlanPanels: the panels and dialogs that the plan commands open, and the
// documents of the reports that they ask for. Those subsystems sit above the
// plan and register their own in an explicit start-up call. Until a panel is
// real, the headless model here answers it whole from the panel script
// (platform/dialogs/panel_script.h) under its panel name; a real one runs on the
// host and is driven control by control (platform/dialogs/scripted_user.h).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs/panel_script.h"

namespace zarvento {

class CCadreISO;
class CPROGRAM;
class CSPID;
class PlanTurn;

class PlanPanels {
public:
    // Panel names in the script.
    static constexpr const char* kSPID = "spid";
    static constexpr const char* kLSC = "lsc";
    static constexpr const char* kTurn = "turn";
    static constexpr const char* kProgram = "program";
    static constexpr const char* kSimulation = "simulation";
    static constexpr const char* kStatistics = "statistics";
    static constexpr const char* kSettings = "settings";
    static constexpr const char* kPostProcessors = "postprocessors";
    static constexpr const char* kSaveFile = "save-file";

    virtual ~PlanPanels() = default;

    // The plan-data panel on a private copy; on 1 (OK) the copy has been
    // assigned back to `spid`. Fields: L D d Z (bar sizes), method, stock,
    // positions, x0 z0 (start point), xplane zplane (safety zone),
    // tool1..tool30 (display names), allowance.
    virtual int ShowPanelSPID(CSPID& spid);
    // The NC coordinate-system and post-processor panel, likewise. Fields of
    // the headless model: lsc (name of a coordinate system of the part), post
    // (post-processor name; picking one reads its description, as the panel
    // does).
    virtual int ShowPanel_LSC(CSPID& spid);
    // The operation's panel; 1 for OK. The field wait=1 leaves the panel for
    // a tool-table edit: the operation becomes the waiting one.
    virtual int EditTurn(PlanTurn& op);
    // The NC program panel on the program the plan command made; 1 for OK,
    // when the program has taken the panel's settings.
    virtual int ShowPanelPROGRAM(CPROGRAM& program);
    // The simulation panel on the program the plan command made (with the
    // registered simulation run, see plan/plan_simulation.h); 1 for OK, when
    // the program has taken the panel's settings.
    virtual int ShowPanelVISUAL(CPROGRAM& program, bool checkMode);
    // The program's settings record, written after an accepted panel.
    virtual void SaveProgramSettings();
    virtual void ShowPostProcessorsList();
    // The program as the statistics command passed it through the post-processor.
    virtual void ShowStatistics(CPROGRAM& program);
    // The settings dialog; IDOK when the settings changed. The registered
    // dialog when there is one, else the script's fields rapid, accuracy, xoutput.
    virtual int EditSettings();
    // Whether the panel or dialog of that script name runs on the host, driven
    // control by control, rather than answered whole; PanelOrAnswer: the
    // panel runs on the host when a `panel` block is queued for it, and an
    // `answer` line still answers it whole.
    enum class HostShown { No, Panel, Dialog, PanelOrAnswer };
    virtual HostShown ShownOnHost(std::string_view panel) const;

    // The save-file dialog; the chosen path, empty when cancelled.
    virtual std::string AskSaveFile(const std::string& filter, const std::string& defaultExtension);
    virtual void SaveTurnResultModel(PlanTurn& op, const std::string& path);
    virtual void CreateTurnSketch(PlanTurn& op, const std::string& name);
    virtual void CreatePlanDocument(const std::string& name);
    virtual void CreateDocumentSet();

    // Reports a field value that the panel cannot take in a message box; the
    // answer becomes a cancel.
    static void RefuseField(PanelAnswer& answer, const std::string& field, const std::string& value);
    // Refuses (as RefuseField, with "Панель не имеет поля ...") the first
    // field of the answer that the panel does not have: one of `known`, or
    // one of the `numbered` prefixes followed by 1 .. the count of turret
    // positions. True when one was refused.
    static bool RefuseUnknownFields(PanelAnswer& answer, std::initializer_list<std::string_view> known,
                                    std::initializer_list<std::string_view> numbered = {});

protected:
    // The fields of an accepted operation panel that the operation itself
    // knows (its name, its parameters); the headless model knows none.
    virtual void ApplyTurnFields(PlanTurn& op, PanelAnswer& answer);
    // Shows a panel of the script.
    static PanelAnswer Show(const std::string& panel, const std::string& detail = {});
};

// The settings dialog, which the host binding provides; without one the
// panel script's "settings" answer stands in for it (PlanPanels::EditSettings).
class SettingsDialogRunner {
public:
    virtual ~SettingsDialogRunner() = default;
    // Runs the dialog modally; IDOK_ when the settings were changed and saved.
    virtual int RunSettingsDialog() = 0;
};
// Returns the previous registration.
SettingsDialogRunner* RegisterSettingsDialog(SettingsDialogRunner* runner);

// The registered panels, or the headless model.
PlanPanels& GetPlanPanels();
// Returns the previous registration (null for the headless model).
// Registration is wiring, not process state: a state reset keeps it.
PlanPanels* RegisterPlanPanels(PlanPanels* panels);

}  // namespace zarvento
