// Bodies the tests make with the host's modelling, in place of part files:
// turned parts with every kind of face of rotation, a turned spline, features
// that are not of rotation, and STEP files of them in a test's folder.
#pragma once

#include <string>
#include <vector>

#include "platform/host_document.h"
#include "platform/part_shape.h"

namespace zarvento::test {

// The stepped shaft's meridian (z along the axis, r the radius): a spherical
// end at z = 0, a cylinder with a groove, a step face with a fillet (torus)
// into a collar, a chamfer (cone) at z = 62, the face and a bore of radius 5
// down to its flat bottom at z = 45. Thirteen faces.
std::vector<MeridianPiece> SteppedShaftMeridian();
// The same as profile text (z, x = -r) for the profile statement.
std::string SteppedShaftProfileText();
PartShape SteppedShaft(const RevolutionAxis& axis = {});

// A body whose outer face is a turned B-spline between two end faces.
PartShape TurnedSpline();
// The stepped shaft with a flat milled into its collar (at x = 16 from z = 44
// to 56), and with a hole across it along X at z = 20.
PartShape ShaftWithFlat();
PartShape ShaftWithCrossHole();
// A cylinder parallel to Z whose axis stands 30 off it.
PartShape OffAxisCylinder();
// A bar across the Z axis (along Y): no face of rotation about Z.
PartShape CrossBar();

// A part document holding the body as its top part's body.
HostDocumentPtr PartDocument(const PartShape& body, bool visible = true);

}  // namespace zarvento::test
