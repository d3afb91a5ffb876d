// CTurnPanelOTREZKA: the panel of a cut-off operation. The working tab only
// chooses the surface that guides the cut; the strategy tab has the button of
// the cut-off cycle's parameters (the cycle is edited in its dialog only) and
// the approach and overrun lengths.
#pragma once

#include "operation_panels/turn_kind_panel.h"
#include "operations/turn_otrezka.h"

namespace zarvento {

class CTurnPanelOTREZKA : public TurnKindPanel<CTurnOTREZKA> {
public:
    static constexpr int kHelpTopic = 78000;
    static constexpr const char* kKindName = "Отрезка";

    explicit CTurnPanelOTREZKA(CTurnOTREZKA& operation);

    // The kind's editor: the panel when the script waits for it.
    static int Edit(CTurn& turn);

    void FillOperationKinds() override;
    void CreateParametersTab() override;
    bool OnChangeControlValue(PropertyControl& control) override;
    bool OnControlCommand(PropertyControl& control, int id) override;

    PropertyControl *approachField = nullptr, *overrunField = nullptr;
};

// Hides the working tab's build-method group and intermediate-faces box; on
// hosts before 17 gives its surface list the caption and hint of the kind.
void ReduceWorkingTab(CContourTAB& tab, const char* caption, const char* hint);

}  // namespace zarvento
