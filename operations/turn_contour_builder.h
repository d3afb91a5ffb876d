// TurnContourBuilder: what an operation hands the builder of one of its two
// contour channels (working or source), and the build from the channel's
// contour choice. The part model's own builders take these settings over.
#pragma once

#include <cstdint>
#include <memory>

#include "geometry/contour.h"
#include "platform/host_sketch.h"

namespace zarvento {

class TurnContourBuilder {
public:
    TurnContourBuilder() = default;
    virtual ~TurnContourBuilder();
    TurnContourBuilder(const TurnContourBuilder&) = delete;
    TurnContourBuilder& operator=(const TurnContourBuilder&) = delete;

    // A new contour made of clones of the choice's selected units, in the
    // choice's order; null without a choice or without a selected unit.
    virtual std::unique_ptr<Contour> Build();

    std::int32_t buildMethod = 1;
    double tolerance = 0.01;
    const Contour* choice = nullptr;  // the channel's contour choice, not owned
    std::shared_ptr<HostSketch> sketch;
    std::int32_t sketchDirection = 0;
    double stepBezie = 1.0;
    bool isPripusk = false;
    double pripusk = 0.0;
    std::int32_t closedSposob1 = 0, closedSposob2 = 0;
    double closedAngle1 = 0.0, closedAngle2 = 0.0;
    bool isStock = false;  // the source channel's builder
    // Where the operation keeps its working contour; tools read it when they
    // build their contour from a model sketch.
    const std::unique_ptr<Contour>* workingContourLocation = nullptr;
};

}  // namespace zarvento
