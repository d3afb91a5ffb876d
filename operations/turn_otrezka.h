// CTurnOTREZKA: the operation of cut-off: a radial cut along one end face
// of the part, with an optional chamfer first, plunging passes of shrinking
// depth, a stretch at reduced feed at the very end and dwells.
#pragma once

#include <cstdint>

#include "model/contour_builder_otrezka.h"
#include "nc/cycle_g900el.h"
#include "operations/turn.h"

namespace zarvento {

class StorageRecord;

class CTurnOTREZKA : public virtual CTurn {
public:
    static constexpr const char* kNegativeChamfer = "Размер фаски должен иметь положительное значение";
    static constexpr const char* kChamferTooLong = "Размер фаски не должен быть больше длины отрезки";
    static constexpr const char* kChamferAngle = "Угол фаски должен быть от 5 до 85 градусов";
    static constexpr int kCutOffToolKind = 14;

    CTurnOTREZKA();
    ~CTurnOTREZKA() override;
    CTurnOTREZKA& operator=(const CTurnOTREZKA& other);

    void SaveCycleParameters(StorageRecord& record) override { cycle.SaveParameters(record); }
    CCycle_Auto* PanelCycle() override { return &cycle; }
    void LoadCycleParameters(StorageRecord& record) override { cycle.LoadParameters(record); }
    void SetupTool() override;
    bool CreateContourPath() override;
    // The cut along the first unit of H; false, with the operation's message
    // where there is one, when the cut is refused.
    bool CutOff(Contour& H);

    bool SaveKindValues(StorageRecord& record) override;
    bool LoadKindValues(StorageRecord& record) override;

    double Width = 5.0;          // width of the cut-off tool, mm
    std::int32_t indPrivaz = 0;  // the bound corner: 1 is the right one
    double Pause = 0.0;          // kept for the record; the dwells come from the cycle
    CCycle_G900EL cycle;
    CContourBuilderOtrezka& CutOffBuilder() { return static_cast<CContourBuilderOtrezka&>(*workBuilder); }

private:
    // Width and binding given by the tool turn the cycle's values read-only.
    void TakeToolValues();
};

}  // namespace zarvento
