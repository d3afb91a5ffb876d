// CTurnPLASHKA: the operation of thread cutting with a tap or a die on the
// axis: the tool is fed in along Z, the spindle reversed and the tool fed
// back out; or the whole stroke is one machine cycle.
#pragma once

#include <cstdint>
#include <string>

#include "model/contour_builder_tap_die.h"
#include "nc/cycle_g310el.h"
#include "operations/turn.h"

namespace zarvento {

class StorageRecord;

class CTurnPLASHKA : public virtual CTurn {
public:
    static constexpr int kDieKind = 30;
    static constexpr int kTapKind = 31;

    CTurnPLASHKA();
    ~CTurnPLASHKA() override;
    // The thread diameter stays: it belongs to the tool this operation chose.
    CTurnPLASHKA& operator=(const CTurnPLASHKA& other);

    void SaveCycleParameters(StorageRecord& record) override { cycle.SaveParameters(record); }
    CCycle_Auto* PanelCycle() override { return &cycle; }
    void LoadCycleParameters(StorageRecord& record) override { cycle.LoadParameters(record); }
    // A long enough contour running towards smaller Z takes the first tap
    // with a diameter; any other the first die.
    void SetupTool() override;
    bool CreateContourPath() override;
    void GetCycleVariables(std::string& text) override;

    bool SaveKindValues(StorageRecord& record) override;
    bool LoadKindValues(StorageRecord& record) override;

    // Set by the tool choice only; 0 until a tap with a diameter was chosen.
    double threadDiameter = 0.0;
    double Step = 1.5;  // thread pitch, mm
    bool isAutoStep = true;
    std::int32_t Nzahod = 1;  // number of thread starts
    CCycle_G310EL cycle;

private:
    // Whether the spindle already turns the given way when this operation
    // starts: the previous active operation ran in that direction.
    bool PreviousRunsReversed(bool reversed) const;
};

}  // namespace zarvento
