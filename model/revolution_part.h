// Making a part document's body from a turning profile: the profile is turned
// once about the axis, so that a part given as profile text has the same
// exact body, faces and section as one read from a STEP file.
#pragma once

#include <array>
#include <vector>

#include "geometry/contour.h"
#include "platform/documents/host_document.h"
#include "platform/part_shape.h"

namespace zarvento {

// The profile's units as pieces of a meridian (z along the axis, r = -x):
// lines and arcs as they are, a complex unit by its pieces; gap and circle
// units have no place in a profile and are left out.
std::vector<MeridianPiece> MeridianOfProfile(const Contour& profile);

// The body turned from the profile (z along the axis, x the negated radius)
// about the axis through `origin` along `direction`. Units on the axis sweep
// nothing; the ends of an open profile must both lie on the axis. HostError
// (E_INVALIDARG) says what is wrong with a profile that bounds no body.
PartShape BodyOfProfile(const Contour& profile, std::array<double, 3> origin = {0, 0, 0},
                        std::array<double, 3> direction = {0, 0, 1});

// The body turned from the profile becomes the body of the document's top
// part. Returns the body's face count.
int SetPartFromProfile(const HostDocumentPtr& document, const Contour& profile,
                       std::array<double, 3> origin = {0, 0, 0}, std::array<double, 3> direction = {0, 0, 1});

}  // namespace zarvento
