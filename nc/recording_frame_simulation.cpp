// The recording simulation for frames.
#include "nc/recording_frame_simulation.h"

#include "geometry/circle_unit.h"
#include "platform/view/simulation_log.h"

namespace zarvento {

namespace {

void Record(const char* action, std::vector<double> args, const void* object = nullptr) {
    SimulationLog::Instance().Record({action, std::move(args), object});
}

}  // namespace

void RecordingFrameSimulation::ShowStatus(double feed, double spindleSpeed, std::int32_t toolNumber) {
    Record("ShowStatus", {feed, spindleSpeed, static_cast<double>(toolNumber)});
}

void RecordingFrameSimulation::ChangeTool(std::int32_t toolNumber, CTurn* operation) {
    Record("ChangeTool", {static_cast<double>(toolNumber)}, operation);
}

void RecordingFrameSimulation::SetTurn(CTurn* operation) { Record("SetTurn", {}, operation); }

std::unique_ptr<Contour> RecordingFrameSimulation::CreateToolEquidistant(double centreZ, double centreX,
                                                                         double radius) {
    Record("CreateToolEquidistant", {centreZ, centreX, radius});
    auto contour = std::make_unique<Contour>();
    contour->AddUnit(std::make_unique<CCircleUnit>(centreZ, centreX, radius, 1));
    return contour;
}

void RecordingFrameSimulation::SetCycleOptions(std::uint8_t noMaterial, std::uint8_t feedIsStep) {
    Record("SetCycleOptions", {static_cast<double>(noMaterial), static_cast<double>(feedIsStep)});
}

void RecordingFrameSimulation::SimulateCycle(const Contour* region, std::int32_t frameNumber) {
    Record("SimulateCycle", {static_cast<double>(frameNumber)}, region);
}

bool RecordingFrameSimulation::IsPreCalculation() const { return SimulationLog::Instance().preCalculation; }

bool RecordingFrameSimulation::IsSpindleTurning() const { return SimulationLog::Instance().spindleTurning; }

void RecordingFrameSimulation::SetSpindleTurning(bool turning) {
    Record("SetSpindleTurning", {turning ? 1.0 : 0.0});
    SimulationLog::Instance().spindleTurning = turning;
}

void RecordingFrameSimulation::SetGadgetsRotated(bool rotated) {
    Record("SetGadgetsRotated", {rotated ? 1.0 : 0.0});
    SimulationLog::Instance().gadgetsRotated = rotated;
}

void RecordingFrameSimulation::RedrawPartView() {
    Record("RedrawPartView", {});
    ++SimulationLog::Instance().partViewRedraws;
}

}  // namespace zarvento
