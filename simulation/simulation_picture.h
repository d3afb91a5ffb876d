// SimulationPicture: what the simulation shows, in the turning plane (z, x),
// as layers of polylines that any drawing can take: the stock the run began
// from, the stock as machined, the part's section, the path the tool's point
// followed (feed and rapid moves apart), the tool's outline where the run
// ended, and the part's units the machined stock departs from.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "nc/simulation_point.h"
#include "simulation/section_comparison.h"

namespace zarvento {

class Contour;

using SectionRun = std::vector<std::array<double, 2>>;  // (z, x) points

struct PictureLayer {
    std::string id;
    std::string title;
    std::uint32_t colour = 0;  // 0x00BBGGRR, as the settings keep colours
    double width = 1.5;        // pixels on the page
    bool dashed = false;
    bool filled = false;  // closed runs filled, translucent
    std::vector<SectionRun> runs;
};

struct SimulationPicture {
    std::string title;
    std::vector<PictureLayer> layers;  // in drawing order, the first at the bottom
};

// Appends the contour's units as runs: a unit that starts where the one
// before it ended continues its run. Arcs are flattened within `chord` of
// their curve, and never into more than 10,000 pieces.
void AppendContourRuns(const Contour& contour, double chord, std::vector<SectionRun>& runs);

// What a run ends with. Every pointer may be null; a layer with nothing to
// show is left out.
struct SimulationScene {
    const Contour* part = nullptr;
    const Contour* initialStock = nullptr;
    const Contour* machined = nullptr;
    const SimulationPointList* points = nullptr;  // the tool point's path
    int pointsStepped = 0;                        // of them, the first so many
    const Contour* tool = nullptr;                // placed where the run ended
    const std::vector<SectionDeviation>* deviations = nullptr;
};

SimulationPicture MakeSimulationPicture(const SimulationScene& scene, const std::string& title, double chord = 0.01);

}  // namespace zarvento
