// CPanelVISUAL: the simulation panel of the plan command "Визуализация
// обработки". It lists the whole program as intermediate code, pre-calculates
// every frame's stock, shows the state at a chosen line, and runs, pauses and
// stops the animated simulation on the host's timer; the speed factor and the
// stock's transparency are set here, the current S, F and T and the run's
// messages shown, and the part as machined saved as a 3D model or drawn
// into a new 2D document. Closing puts the display of the stock and the
// fixtures back as it was; OK gives the program the panel's settings.
//
// The panel's copy of the program takes the settings and only the links to
// the frames: the program that made them stays their one owner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "panels/base_panel_3d.h"
#include "post/program.h"
#include "simulation/simulation_controls.h"
#include "simulation/simulation_messages.h"

namespace zarvento {

class CSimulation;

class CPanelVISUAL : public CBasePanel3D, private SimulationControls {
public:
    static constexpr const char* kScriptName = "visual";
    static constexpr int kHelpTopic = 83000;
    static constexpr const char* kTabCaption = "Визуализация токарной обработки";
    static constexpr const char* kProgramHint = "Программа ЧПУ (промежуточный код)";
    static constexpr const char* kRunHint = "Управление процессом визуализации";
    static constexpr const char* kResultHint = "Результат визуализации";
    static constexpr const char* kSpeedHint = "Коэффициент скорости";
    static constexpr const char* kTransparencyHint = "Прозрачность, %";
    static constexpr const char* kMessagesHint = "Сообщения визуализации";
    static constexpr const char* kSelectFirst = "Выберите сначала кадр программы";
    static constexpr const char* kResultFilter = "VOVUVE-Деталь (*.rdp)|*.rdp|";
    // The sketch of a result fragment's 2D document that holds its lines.
    static constexpr const char* kFragmentLayer = "Результат";
    static constexpr int kStart = 10051;
    static constexpr int kPause = 10052;
    static constexpr int kStop = 10053;
    static constexpr int kImageOnly = 10698;
    static constexpr int kResultModel = 10160;
    static constexpr int kResultFragment = 10161;

    explicit CPanelVISUAL(CPROGRAM& program);
    ~CPanelVISUAL() override;

    void OnInitPanel() override;
    bool OnSelectListItem(PropertyControl& control, int index, int selected) override;
    bool OnControlCommand(PropertyControl& control, int id) override;
    bool OnChangeControlValue(PropertyControl& control) override;
    bool OnButtonClick(int buttonId) override;
    void OnClosePanel() override;

    // ---- for the program that drives the host, and tests ----
    const CPROGRAM& Program() const { return copy_; }
    const CSimulation* Simulation() const { return simulation_.get(); }
    std::int32_t SelectedLine() const { return selectedLine_; }
    // The panel that runs now, or null.
    static const CPanelVISUAL* Running();

private:
    // ---- SimulationControls ----
    void ShowValues(double spindleSpeed, double feed, std::int32_t toolNumber) override;
    void ShowStatusText(const std::string& text) override;
    void MarkRow(std::int32_t row, int state) override;
    void ClearRowMarks() override;
    std::string RowText(std::int32_t row) const override;
    void ClearMessageList() override;
    void RestoreAfterRun() override;

    // A simulation over the copy's frames, bound to the panel's controls.
    std::unique_ptr<CSimulation> NewSimulation();
    void EnableResultButtons(bool enabled);
    void SaveResultModel();
    // A button of the run's bar: start (or resume), pause, stop.
    void OnRunCommand(int id);
    void DrawResultFragment();

    CPROGRAM copy_;
    CPROGRAM& sourceProgram;
    PropertyControl* programList = nullptr;
    PropertyControl* runGroup = nullptr;
    PropertyControl* spindleField = nullptr;
    PropertyControl* feedField = nullptr;
    PropertyControl* toolField = nullptr;
    PropertyControl* speedField = nullptr;
    PropertyControl* transparencyField = nullptr;
    PropertyControl* messagesList = nullptr;
    PropertyControl* resultGroup = nullptr;
    PropertyControl* pathsBox = nullptr;
    PropertyControl* toolBox = nullptr;
    std::unique_ptr<SimulationMessages> messages_;
    std::vector<int> rowMarks_;
    // Declared after what it links to, so that it goes first.
    std::unique_ptr<CSimulation> simulation_;
    std::int32_t selectedLine_ = 0;
    bool fixturesShown_ = false;
    bool stockShown_ = false;
};

// Runs the panel on the program; 1 for OK, 2 for Cancel.
int ShowPanelVISUAL(CPROGRAM& program);

}  // namespace zarvento
