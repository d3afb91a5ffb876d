// The section of a part's faces of revolution about the Z axis of the NC
// coordinate system, as the turning-plane contour every operation works on.
#pragma once

#include <memory>
#include <string>

#include "geometry/contour.h"
#include "platform/host_document.h"

namespace zarvento {

// The message when the document has faces but none turns about the LSC Z axis.
inline constexpr const char* kNoRotationFacesMessage =
    "Деталь не содержит поверхностей вращения, совпадающих с осью Z ЛСК";

// A new contour, or null: without an LSC (no message), without faces, or
// without faces about the LSC Z axis (then `message` gets the text above for
// the caller to report). Each unit keeps its face as host object and its
// surface kind name. The profile starts at its smallest z, nearest the axis
// there, and is closed along the axis when both its ends lie on it; a closed
// profile runs clockwise in the (z right, x up) plane (the material on the
// right: a solid part first along the axis, a tube first along its bore). A
// profile whose pieces do not join is returned open, as far as it joins.
std::unique_ptr<Contour> BuildRotationContours(const HostDocument& document, std::string* message = nullptr);

}  // namespace zarvento
