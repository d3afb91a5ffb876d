// CTurnPanelKONTUR: the panel of a single-pass contour operation. Besides
// the common tabs its strategy tab holds the direction switch (which makes
// the approach and the overrun exchange their angles), the approach and
// overrun groups (length, angle mode, free angle) and the path by a sketch,
// chosen by picking it while the strategy tab is current.
#pragma once

#include "operation_panels/turn_kind_panel.h"
#include "operations/turn_kontur.h"

namespace zarvento {

class CTurnPanelKONTUR : public TurnKindPanel<CTurnKONTUR> {
public:
    static constexpr int kHelpTopic = 73000;
    // The angle mode whose angle is typed.
    static constexpr int kFreeAngle = 5;

    explicit CTurnPanelKONTUR(CTurnKONTUR& original) : TurnKindPanel<CTurnKONTUR>(original) {}

    // Runs the panel on a contour operation when a panel session waits in
    // the script; otherwise the operation is answered whole.
    static int Edit(CTurn& turn);

    void FillOperationKinds() override;
    void CreateParametersTab() override;

    bool OnChangeControlValue(PropertyControl& control) override;
    bool OnSelectListItem(PropertyControl& control, int index, int state) override;
    bool FilterObject(const HostObjectPtr& object) override;
    bool OnSelectObject(const HostObjectPtr& object, const Variant& value) override;

    PropertyControl *sketchPathBox = nullptr, *sketchField = nullptr, *reverseBox = nullptr;
    PropertyControl *approachLengthField = nullptr, *approachModeList = nullptr, *approachAngleField = nullptr;
    PropertyControl *overrunLengthField = nullptr, *overrunModeList = nullptr, *overrunAngleField = nullptr;

private:
    // What the panel's own controls do; false for another control.
    bool ChangeOwnValue(PropertyControl& control);
    void AngleModeChosen(bool approach);
    void ShowAngles();
    void HighlightSketch(bool shown);
};

}  // namespace zarvento
