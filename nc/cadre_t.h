// The tool change: T word and, when the post-processor gives one, a
// tool-offset line with the same block number.
#pragma once

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_T : public CCadreISO {
public:
    // tNumber and previousTNumber are tool positions + 1; the new tool becomes
    // the modal previous tool and the spindle has no direction until the next
    // spindle frame.
    CCadre_T(std::int32_t toolPosition, double tNumber, double previousTNumber, bool isFirstTool);

    void SetModalState() override;
    double* GetVariable(std::string_view name) override;
    int WriteText(std::vector<std::string>& lines, int number) override;
    std::int32_t SimulateStep(FrameSimulation& simulation) override;
    // The turret's travel from the previous tool position as auxiliary time.
    PathStatistics GetStatistics() override;

    double toolValue = 0.0;          // "_T"
    double previousToolValue = 0.0;  // "_T0"
    std::uint8_t firstTool = 0;
};

}  // namespace zarvento
