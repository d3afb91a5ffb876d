// Sizes shared by the figure drawing of the 3D view: the marker scale that
// recognising the part sets from the part's size.
#pragma once

namespace zarvento {

// Length of drawn arrows and the scale of the markers; 2.5 until a part
// contour is recognised.
extern double ArrowLength;
inline constexpr double kDefaultArrowLength = 2.5;
inline constexpr double PointMarkerRadius = 0.4;

}  // namespace zarvento
