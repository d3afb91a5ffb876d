// CTurnPanel: the property panel in which the user edits a turning
// operation. The panel is itself an operation (its CTurn part, a virtual
// base): a full copy of the edited operation, into which every control
// writes; the plan's operation changes only on OK (or when the add-tool
// button hands it to the plan-data panel), through CopyToTurn.
//
// A kind's panel derives from CTurnPanel and from its operation class and
// fills the hooks (TurnKindPanel<Kind> fills the three copy hooks with the
// kind's copy assignment). The plain CTurnPanel, the panel of an operation of
// no kind, shows the common tabs and copies nothing back.
//
// The seven tabs are numbered from 1 (working contour) to 7 (properties and
// statistics) whatever the host's own numbering of its tabs; the working and
// source contour tabs are CContourTAB objects of kinds 'w' and 's'.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "nc/cycle_auto.h"
#include "operations/turn.h"
#include "panels/base_panel_3d.h"
#include "panels/contour_tab.h"
#include "panels/contour_tab_owner.h"

namespace zarvento {

class CModelTess;
class PropertyControl;
class PropertyTab;

class CTurnPanel : public CBasePanel3D, public virtual CTurn, public ContourTabOwner, public CycleDialogOwner {
public:
    // The panel's name in scripts, "panel turn ... end": the name of the
    // operation's form that the plan's panel model answers whole.
    static constexpr const char* kScriptName = "turn";
    static constexpr int kTabCount = 7;
    enum Tab : int {
        kNoTab = 0,
        kWorkingTab = 1,
        kSourceTab = 2,
        kToolTab = 3,
        kStrategyTab = 4,
        kCuttingTab = 5,
        kCorrectionTab = 6,
        kPropertiesTab = 7
    };
    // Buttons of the approach, return and spindle-direction groups.
    static constexpr int kApproachLine = 10007, kApproachZX = 10008, kApproachXZ = 10009;
    static constexpr int kReturnLine = 10010, kReturnZX = 10011, kReturnXZ = 10012;
    static constexpr int kSpindleRight = 10026, kSpindleLeft = 10027;
    // The plan's command that opens the plan-data panel.
    static constexpr int kPlanDataCommand = 1;
    static constexpr const char* kG41Warning =
        "Внимание!\nG41 и G42 следует использовать осторожно.\nТраектория на станке может отличаться.";
    static constexpr const char* kNoAutoTool = "Не удалось автоматически подобрать инструмент";
    static constexpr const char* kAutoToolOn = "Чтобы изменить инструмент отключите автоподбор";
    static constexpr const char* kNoTurret = "Инструмент не выбран";
    static constexpr const char* kNoMachineCycleStatistics =
        "Невозможно рассчитать статистику траектории, так как в состав траектории входит станочный цикл";
    static constexpr const char* kUndefined = "не определено";

    CTurnPanel();
    ~CTurnPanel() override;
    CTurnPanel(const CTurnPanel&) = delete;
    CTurnPanel& operator=(const CTurnPanel&) = delete;

    // Runs a plain panel on the operation (the editor of operations of no kind).
    static int EditPlain(CTurn& turn);

    // ---- hooks of the kinds' panels ----
    // The plan's operation the panel edits; null in the plain panel.
    virtual CTurn* GetOriginalTurn() { return nullptr; }
    virtual void CreateGeometryGroup() {}
    virtual void CreateContourModeGroup() {}
    // The kinds' names in the name list; the help topics of the kind.
    virtual void FillOperationKinds() {}
    // Erases the contour-end figures and follows a changed working contour
    // with the automatic tool choice.
    void UpdateClosingSegments() override;
    // The working tab changed its build method (1 for the sketch method).
    void ShowControlGroup(int) override {}
    // What the cycle-parameter dialog of a cycle this panel owns tells it:
    // kDialogOpened when it has opened, and the id of an editor the user
    // chose in or clicked.
    void OnCycleDialogCommand(CycleDialogView&, int) override {}
    virtual void CopyFromTurn() {}
    virtual void CopyToTurn() {}
    virtual void CreateParametersTab() {}
    // Fills the cycle list from the post-processor's cycles of the type.
    virtual void CreateCycleList();
    virtual void UpdateCaption() {}

    // ---- the contour tab's owner ----
    std::int32_t ContourTabOperationType() const override { return kind; }
    void CreateContourModeGroup(PropertyTab&) override { CreateContourModeGroup(); }
    void CreateGeometryGroup(PropertyTab&) override { CreateGeometryGroup(); }

    // ---- the framework's ----
    void OnInitPanel() override;
    void AfterInitPanel() override;
    void OnClosePanel() override;
    bool OnButtonClick(int buttonId) override;
    bool OnChangeControlValue(PropertyControl& control) override;
    bool OnControlCommand(PropertyControl& control, int id) override;
    bool OnSelectListItem(PropertyControl& control, int index, int state) override;
    bool OnHelp() override;
    // The host's tab index; the panel opens the tab of its own number.
    bool OnChangeTab(int tabIndex) override;
    bool OnTabStateChanged(int tabIndex) override;
    bool FilterObject(const HostObjectPtr& object) override;
    bool OnSelectObject(const HostObjectPtr& object, const Variant& value) override;
    // Help of a control's topic (what the host passes).
    bool OnHelpTopic(int topic);

    // ---- what the events do ----
    // Collects the contour tabs' choices into the copy, then CopyToTurn.
    void ApplyToTurn();
    void HidePath();
    // Rebuilds the copy's path in the hidden work document and draws it;
    // nothing while there is no work document.
    void RecalculatePath();
    // Opens the panel's tab of that number (1 to 7).
    void ChangeTab(int tab);
    void UpdateFeedControls();
    void UpdateSpeedControls();
    void UpdateTransitionControl();
    void UpdateDirectionButtons();
    // The tool list's rows, one per turret position: row i is position i.
    void FillToolList();
    // The operation's own choice of its tool (the auto-tool box set): the
    // list follows a changed position, a warning when no tool fits.
    void ChooseToolAutomatically();
    // The user picked row `row` of the tool list; false when the pick is
    // refused (the automatic choice is on) and the list shows the chosen row.
    bool OnToolListPick(int row);
    // Brings the panel in line with the tool at nToolPosition.
    void OnToolChanged();
    // Loads the chosen tool's model and redraws an adaptive tool's sketch.
    void PrepareToolModel();
    // The tool's model at the selected frame: made and placed, or moved.
    void PlaceToolModel();
    // The NC lines of the copy's frames, written as they stand in the
    // program: after the frames of every active operation before it and the
    // program's head and safety blocks.
    void ShowProgramPreview();
    // Writes the frames of every active operation before plan index `before`,
    // oldest first, into a list that is thrown away.
    void ReplayPreviousTurns(int before);
    // The frame whose preview lines hold line `line` (the last frame past
    // the end); -1 without frames.
    int FrameOfLine(int line) const;
    void ShowStatistics();

    // Opens the cycle-parameter dialog on one of the copy's cycles, its
    // formulas chained to the copy's variables; with `owned` the panel owns
    // the dialog's commands while it runs. 1 for OK, when the cycle has taken
    // the dialog's values.
    int EditCycleParameters(CCycle_Auto& cycle, bool owned);
    // The strategy tab's cycle button: the dialog of the copy's cycle in
    // elementary moves (the panel owning its commands) or, in machine-cycle
    // mode, of the post-processor's chosen cycle. The dialog's answer; -1
    // when machine-cycle mode has no cycle chosen, and no dialog opened.
    int EditOperationCycle(CCycle_Auto& elementary);

    // ---- state ----
    int CurrentTab() const { return currentTab; }
    // The panel's number of a host tab index; 0 for a tab that is none of the seven.
    int TabNumber(int tabIndex) const;
    PropertyTab* HostTab(int number) const;
    // How many times the path was rebuilt.
    int RecalculationCount() const { return recalculations; }
    std::int32_t SavedTransitionMode() const { return savedTransition; }
    int SelectedFrame() const { return selectedFrame; }
    const CModelTess* ToolModel() const { return toolModel.get(); }
    CContourTAB& WorkingContourTab() { return workTab; }
    CContourTAB& SourceContourTab() { return sourceTab; }

    // ---- the controls (owned by the host's tabs; null until made) ----
    PropertyControl *startModeList = nullptr, *startAngleField = nullptr, *endModeList = nullptr,
                    *endAngleField = nullptr;
    PropertyControl* usePrevBox = nullptr;
    PropertyControl *toolList = nullptr, *autoToolBox = nullptr, *addToolButton = nullptr, *toolPathSpacer = nullptr,
                    *toolPathList = nullptr, *toolNameField = nullptr, *modelFileField = nullptr;
    PropertyControl *schemeList = nullptr, *cycleList = nullptr, *cycleParametersButton = nullptr,
                    *showApproachBox = nullptr, *transitionList = nullptr, *approachGroup = nullptr,
                    *returnGroup = nullptr;
    PropertyControl *feedModeList = nullptr, *feedField = nullptr, *feedFormulaField = nullptr,
                    *constantSpeedBox = nullptr, *speedModeList = nullptr, *spindleSpeedField = nullptr,
                    *speedFormulaField = nullptr, *cuttingSpeedField = nullptr, *cuttingFormulaField = nullptr,
                    *minSpeedField = nullptr, *maxSpeedField = nullptr, *directionGroup = nullptr,
                    *autoDirectionBox = nullptr, *coolantBox = nullptr, *toolLifeField = nullptr, *m01Box = nullptr;
    PropertyControl *radiusBox = nullptr, *radiusField = nullptr, *machineCorrectionList = nullptr,
                    *lengthZBox = nullptr, *lengthZField = nullptr, *lengthXBox = nullptr, *lengthXField = nullptr,
                    *offsetZField = nullptr, *offsetXField = nullptr;
    PropertyControl *autoNameBox = nullptr, *nameList = nullptr, *statisticsGrid = nullptr;

protected:
    // Selects the item of a list; an index the list has no item for (a
    // stored value out of range) selects none, and the user chooses again.
    void SelectItem(PropertyControl& control, int index);
    // The thread's hand ("правое", "левое") as `indNapr` holds it.
    PropertyControl& AddHandList(PropertyTab& tab);
    // A cycle list in elementary moves that holds the kind's one cycle.
    void ShowOneElementaryCycle(const std::string& item, int width);

    // The kind's name in the panel's caption ("Тип обработки - " + it): the
    // name a new operation of the kind has.
    std::string kindName;

    int currentTab = kNoTab;
    std::array<PropertyTab*, kTabCount> tabs{};
    std::array<bool, kTabCount> tabOpen{};
    CContourTAB workTab;
    CContourTAB sourceTab;
    std::unique_ptr<CModelTess> toolModel;
    int selectedFrame = 0;
    std::int32_t savedTransition = 0;
    // Set while the transition list shows the forced mode.
    bool transitionForced = false;
    // Set while the panel selects a list's item itself.
    bool ownSelection = false;
    int recalculations = 0;
    // The preview's line count before each of its frames, and the total
    // last: a picked line finds its frame by a binary search.
    std::vector<int> previewLineStarts;
    // The program's state where the copy's frames begin, kept for the panel
    // run: the operations before it do not change while it runs.
    struct PreviewStart;
    std::shared_ptr<const PreviewStart> previewStart;
    // The block number the next frame of the preview takes.
    int previewNumber = 1;

private:
    void CreateTabs();
    void CreateWorkingTab();
    void CreateSourceTab();
    void CreateToolTab();
    void CreateStrategyTab();
    void CreateCuttingTab();
    void CreateCorrectionTab();
    void CreatePropertiesTab();
    void SetLongCaptions();
    void ApplyUsePrevContour();
    void PushClosingSegments();
    // The feed and speed fields shown, editable and filled by the modes.
    void ShowFeedMode();
    void ShowSpeedMode();
    void TakeSurfaces();
    bool ChangeValue(PropertyControl& control);
    // The contours the path builder reshaped, kept while its frames live.
    std::unique_ptr<Contour> pathWorkContour, pathSourceContour;
};

}  // namespace zarvento
