// CTurnPanelPLASHKA: the panel of a thread cut with a tap or a die. The
// working tab only chooses the crest-diameter surface; the strategy tab has
// the thread's hand, pitch and starts (the lead is the feed), the diameter
// read from the working contour and the approach and overrun lengths. The
// automatic name is "Резьба M<diameter>-<pitch>".
#pragma once

#include "operation_panels/turn_kind_panel.h"
#include "operations/turn_plashka.h"

namespace zarvento {

class CTurnPanelPLASHKA : public TurnKindPanel<CTurnPLASHKA> {
public:
    static constexpr int kHelpTopic = 77000;
    static constexpr const char* kCycleItem = "Цикл нарезания резьбы";

    explicit CTurnPanelPLASHKA(CTurnPLASHKA& operation);

    static int Edit(CTurn& turn);

    void FillOperationKinds() override;
    void CreateParametersTab() override;
    void CreateCycleList() override;
    void UpdateClosingSegments() override;
    void UpdateCaption() override;
    bool OnChangeControlValue(PropertyControl& control) override;
    bool OnControlCommand(PropertyControl& control, int id) override;

    // The diameter display shows the diameter at the working contour's
    // start; empty without a working contour.
    void RefreshDiameter();

    PropertyControl *handList = nullptr, *pitchField = nullptr, *startsField = nullptr, *approachField = nullptr,
                    *overrunField = nullptr, *diameterField = nullptr;
};

}  // namespace zarvento
