// Bodies the tests make with the host's modelling, in place of part files:
// turned parts with every kind of face of rotation, a turned spline, features
// that are not of rotation, and STEP files of them in a test's folder.
#pragma once

#include <string>
#include <vector>

#include "platform/documents/host_document.h"
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
// A journal of diameter 45 along Z from 0 to 150, plain; with a keyway 14 wide
// and 5.5 deep milled from +X between z = 50 and z = 100 (both ends rounded);
// with the same slot run out of its end at z = 150 from z = 120 (one end
// rounded).
PartShape PlainJournal();
PartShape JournalWithKeyway();
PartShape JournalWithEndSlot();
// A hex 24 across the flats (corners at 24 / sqrt(3) off the axis, a flat
// facing +X) from z = 0 to z = 10, on a shank of radius 6 down to z = -40.
PartShape HexHeadBolt();
// A pin 1.5 across along Z from 0, its end a cone of half-angle 40° whose
// apex stands at z = 10.6, `offset` off the axis towards +X, and whose axis
// leans `tilt` degrees from Z towards +X.
PartShape PinWithObliqueConeEnd(double tilt, double offset);
// An axle of diameter 30 along Z from -100 to 0 with a groove 18.5 deep cut
// into its back face between radii 4 and 9.5, a keyway 6 wide over the
// groove's length and a hole of diameter 4 across it at z = -90.
PartShape AxleWithFaceGroove();
// A cylinder parallel to Z whose axis stands 30 off it.
PartShape OffAxisCylinder();
// A bar across the Z axis (along Y): no face of rotation about Z.
PartShape CrossBar();

// A part document holding the body as its top part's body.
HostDocumentPtr PartDocument(const PartShape& body, bool visible = true);

}  // namespace zarvento::test
