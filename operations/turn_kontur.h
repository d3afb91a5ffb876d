// CTurnKONTUR: the operation of single-pass contour: one pass along the
// working contour or a sketch, offset by the corner radius, between a
// straight lead-in and lead-out; its defaults, path and stored values.
#pragma once

#include <memory>

#include "operations/turn.h"

namespace zarvento {

class CTurnKONTUR : public virtual CTurn {
public:
    static constexpr const char* kLostSketchText = "Потеряна связь с эскизом";

    CTurnKONTUR() {
        kind = kTurnKONTUR;
        sNameTurn = "Контур";
        sDescription = sNameTurn + " (позволяет производить однопроходное перемещение по контуру)";
        typeKey = "Turning";
        indShema = 0;
        indNapr = false;
        Vrezanie = 1.5;
        VrezanieSposob = 0;
        VrezanieAngle = 0.0;
        Perebeg = 1.5;
        PerebegSposob = 0;
        PerebegAngle = 270.0;
        Nshp = Nshp2 = 700.0;
        Spod = Spod2 = 0.25;
        pWorkSketch.reset();
    }
    CTurnKONTUR& operator=(const CTurnKONTUR& other);

    bool CreateContourPath() override;
    // The first turret position holding a turning tool (kinds 10 to 12).
    void SetupTool() override;
    bool SaveKindValues(StorageRecord& record) override;
    bool LoadKindValues(StorageRecord& record) override;
    // The trajectory read from the sketch; null without one.
    std::unique_ptr<Contour> GetSketchContour();

    // false: along the working contour; true: along the sketch pEskiz.
    bool SposobTrajectory = false;
    std::shared_ptr<HostSketch> pEskiz;
};

}  // namespace zarvento
