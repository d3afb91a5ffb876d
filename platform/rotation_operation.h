// The rotation operation of a part (host entity types 28 and 29): the region
// its sketch bounds, turned about the sketch's axis line, added to the part's
// body (a new solid when it has none) or cut from it.
//
// The sketch must lie on a plane of a coordinate system. Its axis is the first
// object of the axis line style (3); the region's outline is every segment,
// arc and polyline of the main line style (1), in one closed chain, which may
// run along the axis but not cross it.
#pragma once

namespace zarvento {

class HostPart;
class HostSketch;

enum class RotationOperationKind : int { Add = 28, Cut = 29 };

// Line styles the operation reads.
inline constexpr int kSketchOutlineStyle = 1;
inline constexpr int kSketchAxisStyle = 3;

// Makes the operation with a full turn and rebuilds the part's body (its faces
// and edges become new entities of the document). HostError: E_INVALIDARG
// for a sketch without a plane, an axis or an outline, for an outline that is
// not one closed chain or crosses the axis, for a cut from a part without a
// body or one that would leave nothing; E_POINTER for a part without a
// document.
void AddRotationOperation(HostPart& part, const HostSketch& sketch, RotationOperationKind kind);

}  // namespace zarvento
