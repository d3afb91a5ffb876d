// The machine cycle's display, simulation and statistics: a single cycle
// passes them on to its sub-frames, a group to its included members.
#include "nc/cycle_auto.h"

#include "nc/frame_simulation.h"
#include "platform/documents/settings_record.h"

namespace zarvento {

namespace {

// Settings colours of the cycle paths.
constexpr int kCycleColour = 13;
constexpr int kSelectedCycleColour = 9;

}  // namespace

void CCycle_Auto::DrawPath2D() {
    for (CCadreISO* f : SubFrames()) f->DrawPath2D();
}

void CCycle_Auto::DrawPath() {
    hidden = 0;
    if (workContour) {
        workContour->ChainUnits();
        if (!region) region = CreateRegionDrawable();
        const SettingsRecord& settings = SettingsRecord::Global();
        workContour->CreateTessellation(*region, settings.Colour(selected ? kSelectedCycleColour : kCycleColour));
    }
    for (CCadreISO* f : SubFrames()) f->SelectPath();
}

void CCycle_Auto::HidePath() {
    hidden = 1;
    if (workContour) workContour->ClearTessellationEdges();
    if (region) region->Hide();
    for (CCadreISO* f : SubFrames()) f->HidePath();
}

void CCycle_Auto::GetSimulationPoints(SimulationPointList& points) {
    for (CCadreISO* f : SubFrames()) {
        if (f->feed < 0.001) f->feed = feed;
        f->spindleSpeed = spindleSpeed;
        f->constantSpeed = constantSpeed;
        // A sub-frame keeps its own rapid flag: the cycle's would turn its
        // approaches and returns into cuts (or its cuts into rapid moves).
        f->speedFactor = speedFactor;
        if (!f->rapid) f->feedIsStep = feedIsStep;
    }
    for (CCadreISO* f : SubFrames()) f->ErasePath();
    for (CCadreISO* f : SubFrames()) f->CreatePathFigure();
    pointCount = 0;
    for (CCadreISO* f : SubFrames()) {
        f->GetSimulationPoints(points);
        pointCount += f->pointCount;
    }
    for (CCadreISO* f : SubFrames()) f->DrawPath();
}

void CCycle_Auto::GetSimulationPoints3D(UnitPoint3DList& points) {
    pointCount = 0;
    if (groupFlag) {
        for (auto& m : members) {
            if (!m->included) continue;
            m->spindleSpeed = spindleSpeed;
            m->speedFactor = speedFactor;
            m->GetSimulationPoints3D(points);
            pointCount += m->pointCount;
        }
        return;
    }
    for (CCadreISO* f : SubFrames()) {
        f->spindleSpeed = spindleSpeed;
        f->speedFactor = speedFactor;
    }
    for (CCadreISO* f : SubFrames()) f->CreatePathFigure();
    for (CCadreISO* f : SubFrames()) {
        f->GetSimulationPoints3D(points);
        pointCount += f->pointCount;
    }
}

void CCycle_Auto::GetTracePoints(UnitPoint3DList& points) {
    if (groupFlag) {
        for (auto& m : members)
            if (m->included) m->GetTracePoints(points);
        return;
    }
    for (CCadreISO* f : SubFrames()) f->GetTracePoints(points);
}

std::int32_t CCycle_Auto::SimulateStep(FrameSimulation& simulation) {
    simulation.ShowStatus(feed, spindleSpeed, toolNumber);
    if (SubFrames().empty()) {
        simulation.SetCycleOptions(noMaterial, feedIsStep);
        simulation.SimulateCycle(secondContour.get(), frameNumber);
        return 0;
    }
    std::int32_t total = 0;
    for (CCadreISO* f : SubFrames()) total += f->SimulateStep(simulation);
    return total;
}

PathStatistics CCycle_Auto::GetStatistics() {
    PathStatistics s;
    if (groupFlag) {
        for (auto& m : members)
            if (m->included) s.AddTimesAndLengths(m->GetStatistics());
        return s;
    }
    if (SubFrames().empty()) s.count = 1;
    for (CCadreISO* f : SubFrames()) {
        f->CreatePathFigure();
        s.AddTimesAndLengths(f->GetStatistics());
    }
    return s;
}

}  // namespace zarvento
