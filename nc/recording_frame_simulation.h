// The headless host's simulation for frames: every call goes to SimulationLog
// and the marks are the log's, so tests see what a frame asked for.
#pragma once

#include "nc/frame_simulation.h"

namespace zarvento {

class RecordingFrameSimulation final : public FrameSimulation {
public:
    void ShowStatus(double feed, double spindleSpeed, std::int32_t toolNumber) override;
    void ChangeTool(std::int32_t toolNumber, CTurn* operation) override;
    void SetTurn(CTurn* operation) override;
    // A full circle of the tool radius about the arc's centre.
    std::unique_ptr<Contour> CreateToolEquidistant(double centreZ, double centreX, double radius) override;
    void SetCycleOptions(std::uint8_t noMaterial, std::uint8_t feedIsStep) override;
    void SimulateCycle(const Contour* region, std::int32_t frameNumber) override;
    bool IsPreCalculation() const override;
    bool IsSpindleTurning() const override;
    void SetSpindleTurning(bool turning) override;
    void SetGadgetsRotated(bool rotated) override;
    void RedrawPartView() override;
};

}  // namespace zarvento
