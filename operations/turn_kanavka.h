// CTurnKANAVKA: the operation of a simple groove made by a single plunge:
// the tool comes to the groove, plunges to its bottom, may dwell, and leaves
// by the same line.
#pragma once

#include <cstdint>

#include "model/contour_builder_kanavka.h"
#include "operations/turn.h"

namespace zarvento {

class StorageRecord;

class CTurnKANAVKA : public virtual CTurn {
public:
    // Tool kinds of the turret: grooving tools first, cut-off tools next.
    static constexpr int kGroovingToolKind = 13;
    static constexpr int kCutOffToolKind = 14;
    // One plunge makes a groove exactly as wide as the blade: a wider blade
    // cuts into the groove's wall, a narrower one leaves a strip standing
    // (the multi-pass groove cuts it in several plunges).
    static constexpr const char* kBladeNarrower =
        "Ширина резца меньше ширины канавки: одним врезанием канавка не будет проточена. Выберите многопроходную "
        "канавку";

    CTurnKANAVKA();
    CTurnKANAVKA& operator=(const CTurnKANAVKA& other);

    void SetupTool() override;
    bool CreateContourPath() override;
    // The plunge into one region: H the working side, S the stock side.
    // False, with the operation's message, when the groove is too narrow or
    // not as wide as the blade.
    bool CutGroove(const Contour& H, const Contour& S);

    bool SaveKindValues(StorageRecord& record) override;
    bool LoadKindValues(StorageRecord& record) override;
    void UpdateContourBuilder();

    std::int32_t indPrivaz = 0;  // the tool corner bound to the groove: 0, 1 or other
    double Pause = 0.0;          // dwell at the bottom, s
    bool isPrivazFromTool = false;
    CContourBuilderKanavka& GrooveBuilder() { return static_cast<CContourBuilderKanavka&>(*workBuilder); }
};

}  // namespace zarvento
