// CTurnDRILL: the operation of drilling on the axis (centring, drilling,
// counter-boring, reaming): the hole, pecking passes or one drilling cycle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/contour_builder_drill.h"
#include "nc/cycle_g800el.h"
#include "operations/turn.h"

namespace zarvento {

class StorageRecord;

class CTurnDRILL : public virtual CTurn {
public:
    static constexpr const char* kToolInPosition = "Инструмент в позиции";
    static constexpr const char* kNotCentreDrill = "не является центровочным сверлом";
    static constexpr const char* kBadTipAngle = "Угол при вершине сверла должен быть больше 0 и не больше 180 градусов";

    // How the hole is given.
    static constexpr std::int32_t kByFaces = 0;
    static constexpr std::int32_t kFromBase = 1;
    static constexpr std::int32_t kCentring = 2;
    // Tool kinds of the turret.
    static constexpr int kCentreDrillKind = 20;
    static constexpr int kDrillKind = 21;

    CTurnDRILL();
    ~CTurnDRILL() override;
    CTurnDRILL& operator=(const CTurnDRILL& other);

    void SaveCycleParameters(StorageRecord& record) override { cycle.SaveParameters(record); }
    CCycle_Auto* PanelCycle() override { return &cycle; }
    void LoadCycleParameters(StorageRecord& record) override { cycle.LoadParameters(record); }
    // Takes the hole's diameter and tip angle from the tool.
    void CheckTool() override;
    // Whether the tool in the chosen position gives the hole its diameter
    // (a drill's "__D", a centre drill's "d_centr") or its tip angle ("fi"):
    // a value the tool gives is no value for the user to type.
    bool ToolGivesDiameter() const;
    bool ToolGivesTipAngle() const;
    // Mode 2 takes the first centre drill; the others the drill whose
    // diameter is nearest the hole's.
    void SetupTool() override;
    bool CreateContourPath() override;
    void GetCycleVariables(std::string& text) override;

    // The kind's own values of the operation's record, after the base's.
    bool SaveKindValues(StorageRecord& record) override;
    bool LoadKindValues(StorageRecord& record) override;

    void UpdateContourBuilder();
    // The panel's reaction to a new tool or hole: the closing angle follows the tip.
    bool SetToolAngle();

    std::int32_t SposobDrill = kByFaces;
    double Zbase = 0.0;
    double Glubina = 5.0;
    double GlubinaCentr = 1.5;
    double Diametr = 5.0;
    double AngleDrill = 118.0;
    CCycle_G800EL cycle;
    // The working-contour builder: the hole.
    CContourBuilderDrill& HoleBuilder() { return static_cast<CContourBuilderDrill&>(*workBuilder); }

private:
    // The pecking passes on the axis Xa from the top Zt down to zmin.
    bool AddPeckingPasses(double xa, double zt, double zmax, double zmin, const Contour& zone);
    bool AddDrillingCycle(double xa, double zt, const Contour& zone);
};

}  // namespace zarvento
