// FrameSimulation: the machining simulation as frames see it. The simulation
// itself lives in the display layer, which hands its implementation to
// CCadreISO::SimulateStep; RecordingFrameSimulation stands in on the headless host.
#pragma once

#include <cstdint>
#include <memory>

#include "geometry/contour.h"

namespace zarvento {

class CTurn;

class FrameSimulation {
public:
    virtual ~FrameSimulation() = default;

    virtual void ShowStatus(double feed, double spindleSpeed, std::int32_t toolNumber) = 0;
    virtual void ChangeTool(std::int32_t toolNumber, CTurn* operation) = 0;
    virtual void SetTurn(CTurn* operation) = 0;
    // The tool's outline offset by the radius of an arc about its centre
    // (z, x), during the pre-calculation; the frame keeps it.
    virtual std::unique_ptr<Contour> CreateToolEquidistant(double centreZ, double centreX, double radius) = 0;
    // The cycle's no-material option and its feed-is-step option, before SimulateCycle.
    virtual void SetCycleOptions(std::uint8_t noMaterial, std::uint8_t feedIsStep) = 0;
    // Removes a cycle's machining region from the simulated stock.
    virtual void SimulateCycle(const Contour* region, std::int32_t frameNumber) = 0;

    // True during the instant run that precedes the timed one.
    virtual bool IsPreCalculation() const = 0;
    virtual bool IsSpindleTurning() const = 0;
    virtual void SetSpindleTurning(bool turning) = 0;
    // The fixtures of the plan data turn with the spindle.
    virtual void SetGadgetsRotated(bool rotated) = 0;
    virtual void RedrawPartView() = 0;
};

// The time step of the sampling in milliseconds: 25 unless the simulation
// sets another. The simulation's own timer tick is a separate value.
double SimulationTimeStep();
void SetSimulationTimeStep(double milliseconds);
inline constexpr double kDefaultSimulationTimeStep = 25.0;

}  // namespace zarvento
