// CTurnPanelDRILL: the panel of a drilling operation. Besides the common tabs
// it defines the hole (along the chosen faces, from a base, or a centre-drill
// hole), its depth, diameter and tip angle, the approach and overrun, the
// drilling kinds of the name list, the automatic name and the drilling cycle.
#pragma once

#include <string>

#include "platform/dialogs/property_manager.h"

#include "operation_panels/turn_kind_panel.h"
#include "operations/turn_drill.h"

namespace zarvento {

class CTurnPanelDRILL : public TurnKindPanel<CTurnDRILL> {
public:
    // The diameter a switch to centring gives the hole.
    static constexpr double kCentringDiameter = 3.15;
    static constexpr int kHelpTopic = 75000;
    static constexpr const char* kElementaryCycle = "Цикл сверления";

    explicit CTurnPanelDRILL(CTurnDRILL& original) : TurnKindPanel<CTurnDRILL>(original) {}

    // Runs the panel on a drilling operation when a panel session waits in
    // the script; otherwise the operation is answered whole.
    static int Edit(CTurn& turn);

    void CreateContourModeGroup() override;
    void CreateGeometryGroup() override;
    void CreateParametersTab() override;
    void FillOperationKinds() override;
    void CreateCycleList() override;
    void UpdateCaption() override;
    void UpdateClosingSegments() override;
    void ShowControlGroup(int shown) override;

    bool OnChangeControlValue(PropertyControl& control) override;
    bool OnControlCommand(PropertyControl& control, int id) override;
    bool OnSelectListItem(PropertyControl& control, int index, int state) override;
    bool OnChangeTab(int tabIndex) override;
    bool OnTabStateChanged(int tabIndex) override;
    bool OnSelectObject(const HostObjectPtr& object, const Variant& value) override;
    // The hole builder lets go of the panel's fields, which go with the panel.
    void OnClosePanel() override;

    // The hole's controls after every change of the hole.
    void RefreshHoleControls();
    void ShowSurfaceModeControls();
    void ShowBaseModeControls();
    void ShowCentringModeControls();
    // The builder takes the hole, the contour is rebuilt, the closing angle
    // follows the tip and the controls are refreshed.
    void ApplyHoleChange();
    // After a change of the tool or the tip: the closing angle follows the
    // tip, the tool is chosen and checked, and a hole the tool changed is
    // rebuilt (and renamed) before the controls are refreshed.
    void ApplyToolAngle();

    // How many times the cycle's dialog was opened (tests read it).
    int CycleDialogCount() const { return cycleDialogs; }

    PropertyControl *modeList = nullptr, *baseZField = nullptr, *depthField = nullptr, *tipAngleField = nullptr,
                    *diameterField = nullptr, *approachField = nullptr, *overrunField = nullptr;

private:
    // A panel field the hole builder writes into.
    class BuilderField final : public BuilderControl {
    public:
        PropertyControl* field = nullptr;
        void SetValue(const Variant& value) override {
            if (field) field->SetValue(value);
        }
        void SetEnabled(bool enabled) override {
            if (field) field->SetEnabled(enabled);
        }
    };
    // The builder takes the hole and the contour is rebuilt; what the build
    // took from the chosen faces (a cone's tip, the wall's diameter) becomes
    // the hole's unless the tool gives it (TakeBuiltHole).
    void RebuildHole();
    // Along the faces: the tip and diameter the last build took from them.
    void TakeBuiltHole();
    BuilderField tipAngleOfBuilder, diameterOfBuilder;
    // The controls of the working tab a hole mode shows or hides.
    void SetFaceModeControls(bool first, bool secondAndThird);
    void AfterTabChange();
    // The user's choice in the mode list.
    void ModeChosen();
    // The automatic tool switched on (the one the tip's angle fits) or off.
    void AutoToolChanged(bool automatic);
    // The name list shows the name.
    void ShowName(const std::string& name);
    int cycleDialogs = 0;
    int tabDepth = 0;
};

}  // namespace zarvento
