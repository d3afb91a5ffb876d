// The drawable a contour hands its region outline to (a flat face in the 3D
// view). The display layer supplies its own; the recording one draws into the
// headless host's 3D view log as "CreateRegion" with (z, x, tag) triples.
#pragma once

#include <cstdint>
#include <memory>

#include "geometry/intersect_point.h"

namespace zarvento {

class RegionDrawable {
public:
    virtual ~RegionDrawable() = default;
    // The outline as {z, x, tag} records, closed by repeating the first point.
    virtual void CreateRegion(const IntersectPointList& points, std::uint32_t colour) = 0;
    // Hides the drawn region; nothing when it was never drawn.
    virtual void Hide() = 0;
};

std::unique_ptr<RegionDrawable> CreateRecordingRegionDrawable();

// The display layer registers how it makes regions; null (the default) brings
// back the recording one. Registration is wiring: a state reset keeps it.
using RegionDrawableMaker = std::unique_ptr<RegionDrawable> (*)();
void SetRegionDrawableMaker(RegionDrawableMaker maker);
std::unique_ptr<RegionDrawable> CreateRegionDrawable();

}  // namespace zarvento
