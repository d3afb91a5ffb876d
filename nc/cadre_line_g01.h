// A linear move: G01 at feed or G00 rapid, in the plane or with a Y component.
#pragma once

#include "nc/cadre_iso.h"

namespace zarvento {

class CCadre_LineG01 : public CCadreISO {
public:
    // The feed applies only when above 0; otherwise the frame keeps the modal feed.
    CCadre_LineG01(double startX, double startZ, double endX, double endZ, double feedValue, bool isRapid,
                   bool forceAllWords = false, bool isHidden = false);
    // A move with a Y component (read back from a path file).
    CCadre_LineG01(const FramePoint& from, const FramePoint& to, double feedValue, bool isRapid,
                   bool forceAllWords = false, bool isHidden = false);

    // The base names, and "_THREAD": 1 for a move that cuts a thread in step
    // with the spindle, so that a template can write the control's thread
    // move (G32) for it, else 0.
    double* GetVariable(std::string_view name) override;
    int WriteText(std::vector<std::string>& lines, int number) override;
    void CreatePathFigure() override;
    std::int32_t SimulateStep(FrameSimulation& simulation) override;
    // The cutting time is filled under constant cutting speed only.
    PathStatistics GetStatistics() override;

    std::uint8_t forceAll = 0;  // write every address even when unchanged

private:
    double threadMove_ = 0.0;  // the value behind "_THREAD"
};

}  // namespace zarvento
