// CPanelSPID: the panel of the plan command "Заготовка, инструменты". The user
// sets up the plan data on a private copy: the stock (on the embedded contour
// tab), the turret table with the tools' models, the start point, the
// fixtures, the safety zone, and reads the part's variables. OK assigns the
// copy back to the plan, Cancel drops it.
//
// Tabs by number: 1 stock contour, 2 tools, 3 start point, 4 fixtures,
// 5 safety zone, 6 part parameters; from host 17 a placeholder tab comes
// first, so the host's tab index is the tab number there. Opened while an
// operation waits for its tool (WaitingTurn), only the tools tab is shown and
// OK needs no stock contour.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "model/plane_face.h"
#include "panels/base_panel_3d.h"
#include "panels/contour_tab.h"

namespace zarvento {

class CModelTess;
class CSPID;
class Contour;
class ParamTool;

class CPanelSPID : public CBasePanel3D {
public:
    static constexpr const char* kScriptName = "spid";

    // Tab numbers.
    static constexpr int kTabContour = 1;
    static constexpr int kTabTools = 2;
    static constexpr int kTabStartPoint = 3;
    static constexpr int kTabGadgets = 4;
    static constexpr int kTabSafetyZone = 5;
    static constexpr int kTabPartParams = 6;
    static constexpr int kTabCount = 6;

    // Help topics.
    static constexpr int kHelpPanel = 71001;
    static constexpr int kHelpTools = 71002;
    static constexpr int kHelpStartPoint = 71003;
    static constexpr int kHelpGadgets = 71004;
    static constexpr int kHelpSafetyZone = 71005;

    // Buttons of the tools table's bar.
    static constexpr int kImportTable = 10650;
    static constexpr int kToolFromCatalog = 10651;
    static constexpr int kToolFromFile = 10652;
    static constexpr int kRemoveTool = 10653;
    static constexpr int kMoveUp = 10654;
    static constexpr int kMoveDown = 10655;
    static constexpr int kToolVariables = 10656;
    static constexpr int kSpindleRight = 10026;
    static constexpr int kSpindleLeft = 10027;
    // Buttons of the fixtures list's bar.
    static constexpr int kGadgetFromCatalog = 10670;
    static constexpr int kGadgetFromFile = 10671;
    static constexpr int kRemoveGadget = 10672;
    static constexpr int kGadgetVariables = 10673;

    static constexpr std::uint32_t kSafetyPlaneColour = 0x6464FF;

    explicit CPanelSPID(CSPID* planData);
    ~CPanelSPID() override;

    // --- the host's notifications ---
    bool IsButtonEnabled(int buttonId, std::int32_t& state, std::int16_t& enabled) override;
    bool OnButtonClick(int buttonId) override;
    bool OnChangeControlValue(PropertyControl& control) override;
    bool OnControlCommand(PropertyControl& control, int id) override;
    bool OnSelectListItem(PropertyControl& control, int index, int state) override;
    // From a host below 17 with the host's tab index; else with a tab number.
    bool OnChangeTab(int tab) override;
    bool OnTabStateChanged(int tab) override;
    void OnInitPanel() override;
    void OnClosePanel() override;
    bool FilterObject(const HostObjectPtr& object) override;
    bool OnSelectObject(const HostObjectPtr& object, const Variant& value) override;

    // --- tools and fixtures ---
    void ShowToolModel(bool fillGrid);
    void ShowGadgetModels();
    void PlaceGadget(int i);
    void ShowGadgetValues(int i);
    void UpdateMaxToolOverhang();
    // True when a tool was placed (in position i, or where its name says).
    bool AddToolFromFile(int i);
    void AddGadgetFromFile();

    // --- state for whoever drives the panel ---
    const CSPID& PlanData() const { return *copy_; }
    CSPID& MutablePlanData() { return *copy_; }
    // The slot the contour tab keeps the built stock contour in.
    std::unique_ptr<Contour>& BuiltStockSlot();
    CContourTAB& ContourTab() { return contourTabPart; }
    int CurrentTabNumber() const { return currentTab; }
    int SelectedTool() const { return selectedTool; }
    int SelectedGadget() const { return selectedGadget; }
    bool ToolsTableShown() const { return toolsTableShown; }
    bool ToolEditMode() const { return toolEditMode; }
    const CModelTess* ToolModel() const { return toolModel.get(); }
    double MaxToolOverhangX() const { return maxToolOverhangX; }
    double MaxToolOverhangZ() const { return maxToolOverhangZ; }
    const CPlaneFace& SafetyPlaneX() const { return safetyPlaneX; }
    const CPlaneFace& SafetyPlaneZ() const { return safetyPlaneZ; }
    // The host tab of a tab number (1 .. 6).
    PropertyTab* HostTab(int number) const;

private:
    // --- building ---
    void AddContourTabControls();
    void AddSafetyZoneControls();
    void AddToolsControls(bool newLayout);
    void AddStartPointControls();
    void AddGadgetsControls(bool newLayout);
    void AddPartParamsControls();
    void BuildSafetyPlanes();
    void ApplyNewLayout();

    // --- tabs ---
    void TakeOverContourTab();
    // Opens `keep` and closes the other tabs, the tab notifications suppressed.
    void OpenOnly(int keep);

    // --- values ---
    void OnTableCell();
    void OnParamsGrid(bool tools);
    // A row of the tools' table or of the gadgets' list chosen (the host's index).
    void OnToolSelected(int index);
    void OnGadgetSelected(int index);
    // The part's overhang or the gadget's Z typed: the chosen gadget moves.
    void OnGadgetZ(PropertyControl& control);
    void UpdateSafetyPlanes();
    void UpdateStartPoint();
    void OnPositionCount();
    int SelectedToolIndex() const;
    bool Checked(PropertyControl* box) const;

    // --- commands ---
    void OnToolCommand(int id);
    void OnGadgetCommand(int id);
    void OnToolFromCatalog(int i);
    void OnRemoveTool(int i);
    void OnMoveTool(int i, int j);
    void OnSpindle(int i, std::int16_t m34, const char* text);
    void OnImportTable();
    void OnGadgetFromCatalog();
    void OnRemoveGadget();
    void OnRefreshPartParams();
    void EnableMoveButtons(int i);
    void EnableToolButtons(int i);
    // The chosen model file, or empty: the file dialog, then the refusal of
    // the part open in the current window.
    std::string AskModelFile(const std::string& extensions, const std::string& filter, int buffer);

    // The model's variables into the record: from the open model, else its copy.
    static void ReadVariables(ParamTool& record);
    // The record's size-table dialog; true when the user changed the record.
    static bool EditVariables(ParamTool& record);

    // --- filling ---
    void FillToolsTable();
    void FillGadgetsList();
    void FillToolParams(const ParamTool& tool);
    void FillGadgetParams(const ParamTool& tool);
    void ClearGrid(PropertyControl* grid);
    void RefreshView();

    std::unique_ptr<CSPID> copy_;
    CSPID* sourcePlanData = nullptr;
    bool toolEditMode = false;

    // Contour tab.
    PropertyControl* stockMethodList = nullptr;
    // Safety zone.
    PropertyControl* safetyDiameterEdit = nullptr;
    PropertyControl* safetyZEdit = nullptr;
    PropertyControl* showSafetyPlanesBox = nullptr;
    // Tools.
    PropertyControl* positionCountEdit = nullptr;
    PropertyControl* toolsTable = nullptr;
    PropertyControl* angleEdit = nullptr;
    PropertyControl* showToolBox = nullptr;
    PropertyControl* toolSlide = nullptr;
    PropertyControl* toolParamsGrid = nullptr;
    // Start point.
    PropertyControl* startXEdit = nullptr;
    PropertyControl* startZEdit = nullptr;
    PropertyControl* referentBox = nullptr;
    PropertyControl* overhangXEdit = nullptr;
    PropertyControl* overhangZEdit = nullptr;
    PropertyControl* showStartPointBox = nullptr;
    // Fixtures.
    PropertyControl* gadgetsList = nullptr;
    PropertyControl* partOverhangEdit = nullptr;
    PropertyControl* gadgetZEdit = nullptr;
    PropertyControl* gadgetParamsGrid = nullptr;
    PropertyControl* showGadgetsBox = nullptr;
    // Part parameters.
    PropertyControl* refreshParamsButton = nullptr;
    PropertyControl* partParamsGrid = nullptr;

    std::array<PropertyTab*, kTabCount + 1> tabs{};  // by tab number; [0] unused
    std::array<bool, kTabCount + 1> tabExpanded{};
    int currentTab = 0;
    bool toolsTableShown = false;
    bool selectionEventsOn = true;
    int selectedTool = -1;
    int selectedGadget = -1;
    double maxToolOverhangX = 0.0, maxToolOverhangZ = 0.0;
    CContourTAB contourTabPart;
    std::unique_ptr<CModelTess> toolModel;
    CPlaneFace safetyPlaneX, safetyPlaneZ;
};

// Runs the panel on the plan data; 1 when OK assigned the copy to it.
int ShowPanelSPID(CSPID& planData);

// A turret or fixture record's mounting back to the defaults: no comment,
// spindle M3, no file time, neither internal nor left-hand.
void ResetMounting(ParamTool& record);

}  // namespace zarvento
