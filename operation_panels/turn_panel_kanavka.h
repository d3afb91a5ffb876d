// CTurnPanelKANAVKA: the panel of a single-plunge groove. Besides the common
// tabs it chooses the groove's direction (which rebuilds the working
// contour), the side of the blade bound to the groove (locked when the tool
// defines it), the approach and the dwell at the bottom.
#pragma once

#include "operation_panels/turn_kind_panel.h"
#include "operations/turn_kanavka.h"

namespace zarvento {

class CTurnPanelKANAVKA : public TurnKindPanel<CTurnKANAVKA> {
public:
    static constexpr int kAlongX = 10133, kAlongZ = 10134;
    static constexpr int kBindLeft = 10061, kBindRight = 10063;
    static constexpr int kHelpTopic = 74000;

    explicit CTurnPanelKANAVKA(CTurnKANAVKA& original);

    // Runs the panel on a groove when a panel session waits in the script;
    // otherwise the operation is answered whole.
    static int Edit(CTurn& turn);

    void CopyFromTurn() override;
    void CreateGeometryGroup() override;
    void CreateParametersTab() override;
    void FillOperationKinds() override;
    void UpdateClosingSegments() override;

    bool OnChangeControlValue(PropertyControl& control) override;
    bool OnControlCommand(PropertyControl& control, int id) override;
    bool OnSelectListItem(PropertyControl& control, int index, int state) override;

    // How many times the working contour was built (tests read it).
    int ContourBuildCount() const { return contourBuilds; }

    PropertyControl *grooveDirectionGroup = nullptr, *bindingGroup = nullptr, *approachField = nullptr,
                    *dwellField = nullptr;

private:
    void ShowBinding();
    int contourBuilds = 0;
};

}  // namespace zarvento
